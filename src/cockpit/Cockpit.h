#pragma once

#include "cockpit/CockpitOutputs.h"
#include "cockpit/Platform.h"
#include "cockpit/WorkGate.h"
#include "core/ConfigReader.h"
#include "core/Controls.h"
#include "core/ErrorTally.h"
#include "core/FlightData.h"
#include "core/Grid.h"
#include "core/GridBuilders.h"
#include "epic/EpicLibrary.h"
#include "input/F4Lib.h"
#include "phidget/BoardBinding.h"
#include "phidget/PhidgetBoard.h"
#include "phidget/PhidgetManager.h"
#include "sources/LateBound.h"
#include "sources/RelayAssembler.h"
#include "sources/WinsockClient.h"

#include <QObject>
#include <QTimer>
#include <QVarLengthArray>

#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace tavrel {

// The window flags: what the cycle, the sources and the outputs share.
struct CockpitFlags
{
    bool SimActive = false;        // the source reports the simulator active
    bool ScreenUpdate = true;      // values and status texts go to the window
    bool UpdateEpicAnyway = false; // run the EPIC transfer without a card
    bool EpicOpen = false;         // the EPIC link is open
    bool SpeedBrakeOpen = false;   // SpeedBrake > 0, recomputed every cycle
    bool LivenessPending = false;  // the next arrival answers "X"
    bool ServoPresent = false;      // a one-motor servo controller has attached
    bool MultiServoPresent = false; // a servo controller with more motors has attached
};

// Every control that behaviour reads or writes, by the names and indices the
// configuration and the operator know. The window binds one widget to each.
struct CockpitControls
{
    Form frmTavrel;
    std::array<CheckBox, 3> chkGlimra;
    std::array<OptionButton, 2> optConnectType; // 0 "TCP/IP", 1 "DCOM"
    static constexpr int kBrightness = 0;
    static constexpr int kPollingRate = 1;
    std::array<Slider, 2> sldGlimra;            // by kBrightness, kPollingRate
    std::array<TextBox, 2> fldGlimra;           // 0 relay address, 1 relay port
    std::array<Label, 26> lblGlimra;
    Label lblTCPIPMsg;
    Label lblTimerValue;
    std::array<Frame, 21> fraGlimra;
    // The device tables on screen: 0/1 LED-64, 2/5 interface kits, 3/11 text LEDs,
    // 4 "Devices", 6/12 text LCDs, 7 gauges, 8/9 MFD buttons, 10 EPIC pigeonholes.
    std::array<Grid, 13> grdTavrel;
    StatusBar sbStatusBar;
    TabStrip tabGlimra;
    // The gear test on the "Switches" tab: "Gear Up", "Gear Down", "Timer Enabled".
    CommandButton Command1;
    CommandButton Command2;
    CheckBox Check1;
};

// The owner of all run-time state: the flight data record and its relay staging copy,
// the configuration tables, the flags, the data server, the relay socket, the timers and
// the control models. It wires the source and output routines into start-up, the polling
// tick, the update cycle and shutdown. Everything runs on the thread of the Qt event loop.
class Cockpit : public QObject
{
    Q_OBJECT
public:
    using ObjectFactory = std::function<std::unique_ptr<LateBound>(QStringView progId)>;

    // `createObject` resolves ProgIDs (the data server); the default is the platform's.
    explicit Cockpit(Platform &platform, ObjectFactory createObject = {}, QObject *parent = nullptr);
    ~Cockpit() override;

    // Start-up, once, before the window shows: refuses a second copy, places the window,
    // reads Tavrel.cfg into the tables and the controls, builds the device tables and
    // chooses the data source. A failure is reported and ends in shutdown; a missing or
    // malformed file and a second copy end the process at once.
    void startUp();
    // The one way out: timers stopped, lamps and displays dark, boards and card let go,
    // socket and data server closed, then the process ends. Every step runs with errors
    // ignored.
    [[noreturn]] void shutdown();

    // Puts the tables of a configuration in place and applies its switches in file
    // order, each through its control (so the control's handler runs).
    void applyConfiguration(const Configuration &config);
    const ConfigTable &table(DeviceSection section) const { return tables_[std::size_t(section)]; }
    // The GAUGES table widened to seven columns with the motor assignments; built with
    // the gauge grid at start-up (empty before), then kept by the gauge routines.
    const GaugeTable &maGAUGES() const { return maGAUGES_; }

    // What may run now: the gate says so, in one place (WorkGate.h).
    using Work = WorkGate::Work;
    bool mayRun(Work work) const { return gate_.mayRun(work); }
    const WorkGate &gate() const { return gate_; }

    // The polling tick: the gate, then the cycle.
    void tmrGlimra_Timer();
    void UpdateCycle();
    // The liveness timer of the data source.
    void tmrOstrel_Timer();

    // Control handlers, by control index.
    void optConnectType_Click(int index);
    void chkGlimra_Click(int index);
    void sldGlimra_Change(int index);
    void CloseSockets();
    // The gear test (CockpitKeys.cpp): the buttons press the simulator's gear keys,
    // Check1 switches Timer1, whose ticks alternate gear down and gear up with a beep.
    void Command1_Click();
    void Command2_Click();
    void Check1_Click();
    void Timer1_Timer();
    // A message box under the gate's rule: during start-up nothing else runs while it is
    // open; at run time its event loop is a yield.
    void messageBox(const QString &title, const QString &text);
    // The relay receiver: an arrival is the answer to "X" while LivenessPending, else a
    // record, parsed into the staging record and copied whole over the flight data.
    void sktTavrel_DataArrival(qint64 bytesTotal);

    // [TCPIP-RECOVER] TRUE: the relay link mends itself. Answers are gathered across
    // arrivals and only whole ones are read, as soon as they are in; one request is out
    // at a time (asked again after kAnswerWaitMs); a record that is not plausible as one
    // is dropped like silence; no record from before the simulator came or went reaches
    // the outputs; a connection that closed or failed is made again every kReconnectMs,
    // and a source silent for more than kStaleMs shows "Stale n s" and, after kDarkMs,
    // puts the outputs dark as at shutdown until fresh data comes.
    static constexpr int kAnswerWaitMs = 500;
    static constexpr int kReconnectMs = 2000;
    static constexpr int kStaleMs = 2000;
    static constexpr int kDarkMs = 5000;
    static constexpr int kDropReportMs = 1000;
    bool relayRecovery() const { return recovery_.on; }
    // The reconnection timer's tick; it runs all the time and acts only in relay mode
    // with recovery on.
    void tmrReconnect_Timer();
    QTimer &reconnectTimer() { return tmrReconnect_; }
    // Whether the outputs are dark because the relay data went stale.
    bool isDark() const { return recovery_.dark; }
    // Answers shaped like a record that were no record, dropped since start-up.
    int droppedRecords() const { return recovery_.droppedRecords; }
    // Milliseconds on a clock that never goes back, read by the recovery rules; a test
    // puts its own in place.
    using Clock = std::function<qint64()>;
    void setClock(Clock clock) { clock_ = std::move(clock); }

    FlightData &flightData() { return flightData_; }
    FlightData &relayRecord() { return relayRecord_; }
    CockpitFlags &flags() { return flags_; }
    // The twelve board slots the outputs drive, and the manager that fills them.
    BoardSlots &boards() { return boards_; }
    PhidgetManager *phidgetManager() { return PhidgetManager_.get(); }
    // Takes the manager and handles its attach, detach and error events from now on.
    void setPhidgetManager(std::unique_ptr<PhidgetManager> manager);
    // What start-up makes its manager with; by default the library's (vendor or virtual).
    // A test puts its own virtual boards in place here.
    using PhidgetManagerFactory = std::function<std::unique_ptr<PhidgetManager>()>;
    void setPhidgetManagerFactory(PhidgetManagerFactory factory) { phidgetManagerFactory_ = std::move(factory); }
    std::unique_ptr<PhidgetManager> makePhidgetManager();

    // The board events, and the "Devices" list (grid 4) they keep: one row per serial
    // number, its name cell green attached, red pulled, yellow failing; the row's tooltip
    // says which and since when.
    void PhidgetManager_OnAttach(const Board &board);
    void PhidgetManager_OnDetach(const Board &board);
    void PhidgetManager_OnError(const Board &board, const QString &description, int scode);
    // `library` is the second line of the row's tooltip: what the device is driven through.
    void AddDeviceRow(int number, const QString &name, const QString &version, const QString &serial,
                      const QString &library = QString());
    void MarkDeviceRow(const Board &board, quint32 colour, const QString &toolTip);
    // The attach counters by kind; each counts every attach of its kind since start-up.
    enum AttachKind { CountInterfaceKit, CountTextLcd, CountTextLed, CountServo, CountLed64, CountMultiServo };
    const std::array<int, 6> &attachCounts() const { return AttachCount_; }
    CockpitControls &controls() { return controls_; }
    LateBound *dataServer() { return dataServer_.get(); }
    WinsockClient &socket() { return sktTavrel_; }
    QTimer &pollingTimer() { return tmrGlimra_; }
    QTimer &livenessTimer() { return tmrOstrel_; }
    QTimer &gearTestTimer() { return Timer1_; }
    // The keystroke routine and the injector its keys go to.
    F4Lib &keys() { return F4Lib_; }
    bool isCycleRunning() const { return gate_.cycleRunning(); }

    // "Open Epic" and "Close Epic": the card's link, opened only by the button.
    void btnOpenEpic_Click();
    void btnCloseEpic_Click();
    // The card's driver library, loaded when the link first needs it (createEpicLibrary);
    // a test or benchmark puts its own in place first.
    EpicLibrary &epicLibrary();
    void setEpicLibrary(std::unique_ptr<EpicLibrary> library) { EFReader_ = std::move(library); }

    // Replaces the output routines (a test records the order through its own).
    void setOutputs(std::unique_ptr<CockpitOutputs> outputs);
    CockpitOutputs &outputs() { return *outputs_; }

    // The configuration file start-up reads: Tavrel.cfg in the working folder unless
    // another is set (--config); the upgrade from Glimra.cfg looks beside that file.
    void setConfigFile(const QString &path) { configFile_ = path; }
    QString configFile() const;
    // The status bar's tooltip: the board library in use and when the last record came.
    QString statusToolTip() const;

private:
    friend class CockpitOutputs; // the gauge routines own maGAUGES_; messages go to the platform

    using Phase = WorkGate::Phase;
    // Moves to a phase and runs what waited for it.
    void enter(Phase phase);
    // The operator's work, run now when it may, else held by the gate until start-up, the
    // cycle under way or the operator's work under way is over.
    using Operator = WorkGate::Operator;
    void operatorWork(Operator what);
    void perform(Operator what);
    void pressGearUp();
    void pressGearDown();
    void gearTestTick();
    void runHeldWork();
    void runStartUp();
    void yieldToBoards();
    void cycleSteps();
    QString readConfigurationText();
    void readConfiguration();
    void applySwitch(const ConfigSwitch &setting);
    void buildDeviceGrids();
    void setUpControls();
    void setUpGearTest();
    void sourceStep();
    void closeDataServer();
    void setMessage(const QString &text);
    void setTimerEnabled(QTimer &timer, bool enabled);
    void connectRelay();
    // The recovery rules (CockpitRecovery.cpp).
    bool mayAsk();
    void checkStaleness();
    void recoveryArrival();
    bool takeRecoveryAnswer();
    bool awaitingRecord() const;
    void resetRecovery();
    void showStale(qint64 seconds);
    bool isStale() const;
    // Lamps and displays dark as at shutdown: the boards in the slots through the lamp
    // test, then every other board still attached.
    void darkenCockpit();
    void bindBoard(Board &slot1, Board &slot2, const Board &board);

    Platform &platform_;
    ObjectFactory createObject_;
    std::array<ConfigTable, kDeviceSectionCount> tables_;
    GaugeTable maGAUGES_;
    QString msConfigFile_;
    // Boards seen since start-up, per kind: interface kit, text LCD, text LED, servo,
    // LED-64, multi-motor servo.
    std::array<int, 6> AttachCount_{};
    FlightData flightData_{};
    FlightData relayRecord_{};
    // The relay receiver's own state: the last answer to "X" (true only for -1), and the
    // bytes and text of the last arrival, kept so that their room is reused.
    bool LivenessReply_ = false;
    QByteArray relayBytes_;
    QString RelayText_;
    CockpitFlags flags_;
    BoardSlots boards_;
    std::unique_ptr<PhidgetManager> PhidgetManager_;
    PhidgetManagerFactory phidgetManagerFactory_;
    CockpitControls controls_;
    std::unique_ptr<LateBound> dataServer_;
    std::unique_ptr<EpicLibrary> EFReader_;
    WinsockClient sktTavrel_;
    QTimer tmrGlimra_;
    QTimer tmrOstrel_;
    QTimer Timer1_;
    bool GearTestToggle_ = false; // true: the last tick sent gear down
    F4Lib F4Lib_;
    std::unique_ptr<CockpitOutputs> outputs_;
    WorkGate gate_;
    bool heldWorkPosted_ = false;
    // [BOARDS], and the lines of it that did not read.
    BoardBinding boardBinding_;
    QStringList boardBindingErrors_;
    // Every board attached now (pulled ones leave), in attach order, whether a slot holds
    // it or not: shutdown puts them all dark.
    std::vector<Board> attached_;
    struct Recovery
    {
        bool on = false;
        bool asked = false;   // a request is out and its answer not yet whole
        qint64 askedAt = 0;
        qint64 lastData = 0;  // when the source last said something that counts
        bool dark = false;
        bool haveRecord = false; // a record came since the link began or the simulator came or went
        int droppedRecords = 0;  // record-shaped answers that were no record
        int droppedUnreported = 0;                            // of them, not logged yet
        qint64 dropReportedAt = std::numeric_limits<qint64>::min() / 2; // logged at most once a second
        int waitingTicks = 0; // reconnection ticks a connection attempt has been pending
        qint64 staleShown = -1;
        QString staleText;
        relay::RecordAssembler assembler;
        QByteArray record;
    } recovery_;
    Clock clock_;
    QTimer tmrReconnect_;

    // What the log and the tooltips say beside the design's own texts.
    void logFindings(const QString &file, const QString &text);
    void noteRecord(); // a record came from the source now
    QString configFile_;
    QString boardNote_;     // the "Devices" rows' library line: "virtual board" or the library's path
    qint64 lastRecordAt_ = 0; // milliseconds since the epoch; 0 before the first
    ErrorTally errorTally_;
};

} // namespace tavrel
