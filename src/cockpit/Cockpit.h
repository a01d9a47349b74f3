#pragma once

#include "cockpit/BoardRoster.h"
#include "cockpit/CockpitControls.h"
#include "cockpit/CockpitOutputs.h"
#include "cockpit/Platform.h"
#include "cockpit/RelayLink.h"
#include "cockpit/WorkGate.h"
#include "core/ConfigReader.h"
#include "core/ErrorTally.h"
#include "core/FlightData.h"
#include "core/GridBuilders.h"
#include "epic/EpicLibrary.h"
#include "input/F4Lib.h"
#include "sources/LateBound.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

namespace tavrel {

// The owner of all run-time state and the order things happen in: start-up, the polling
// tick, the update cycle and shutdown, each in its fixed order, and the handlers of the
// controls. It holds the flight data record, the configuration tables, the flags and the
// control models, and hands the rest to its parts: the work gate says what may run now,
// the relay link talks to the relay peer, the board roster keeps the boards, and the
// output routines drive them. Everything runs on the thread of the Qt event loop.
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
    // The device tables read from Tavrel.cfg; the text routines rewrite column 3 of the
    // text display tables every cycle.
    const ConfigTable &table(DeviceSection section) const { return tables_[std::size_t(section)]; }
    ConfigTable &table(DeviceSection section) { return tables_[std::size_t(section)]; }
    // The GAUGES table widened to seven columns with the motor assignments; built with
    // the gauge grid at start-up (empty before), then kept by the gauge routines.
    const GaugeTable &maGAUGES() const { return maGAUGES_; }
    GaugeTable &maGAUGES() { return maGAUGES_; }

    // What may run now: the gate says so, in one place (WorkGate.h).
    using Work = WorkGate::Work;
    bool mayRun(Work work) const { return gate_.mayRun(work); }
    const WorkGate &gate() const { return gate_; }
    bool isCycleRunning() const { return gate_.cycleRunning(); }

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
    // "Open Epic" and "Close Epic": the card's link, opened only by the button.
    void btnOpenEpic_Click();
    void btnCloseEpic_Click();
    // A message box under the gate's rule: during start-up nothing else runs while it is
    // open; at run time its event loop is a yield.
    void messageBox(const QString &title, const QString &text);

    FlightData &flightData() { return flightData_; }
    CockpitFlags &flags() { return flags_; }
    CockpitControls &controls() { return controls_; }
    RelayLink &relay() { return relay_; }
    const RelayLink &relay() const { return relay_; }
    BoardRoster &roster() { return roster_; }
    const BoardRoster &roster() const { return roster_; }
    LateBound *dataServer() { return dataServer_.get(); }
    QTimer &pollingTimer() { return tmrGlimra_; }
    QTimer &livenessTimer() { return tmrOstrel_; }
    QTimer &gearTestTimer() { return Timer1_; }
    // The keystroke routine and the injector its keys go to.
    F4Lib &keys() { return F4Lib_; }

    // The card's driver library, loaded when the link first needs it (createEpicLibrary);
    // a test or benchmark puts its own in place first.
    EpicLibrary &epicLibrary();
    void setEpicLibrary(std::unique_ptr<EpicLibrary> library) { EFReader_ = std::move(library); }

    // Replaces the output routines (a test records the order through its own); they are
    // made over outputState().
    OutputState outputState();
    void setOutputs(std::unique_ptr<CockpitOutputs> outputs);
    CockpitOutputs &outputs() { return *outputs_; }

    // The configuration file start-up reads: Tavrel.cfg in the working folder unless
    // another is set (--config); the upgrade from Glimra.cfg looks beside that file.
    void setConfigFile(const QString &path) { configFile_ = path; }
    QString configFile() const;
    // The status bar's tooltip: the board library in use and when the last record came.
    QString statusToolTip() const;

private:
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
    // Lamps and displays dark as at shutdown: the boards in the slots through the lamp
    // test, then every other board still attached.
    void darkenCockpit();
    void restoreDisplays();
    // What the log and the tooltips say beside the design's own texts.
    void logFindings(const QString &file, const QString &text);
    void noteRecord(); // a record came from the source now

    Platform &platform_;
    ObjectFactory createObject_;
    std::array<ConfigTable, kDeviceSectionCount> tables_;
    GaugeTable maGAUGES_;
    QString msConfigFile_;
    FlightData flightData_{};
    CockpitFlags flags_;
    CockpitControls controls_;
    WorkGate gate_;
    bool heldWorkPosted_ = false;
    BoardRoster roster_;
    // [BOARDS] lines that did not read, reported once the switches are applied.
    QStringList boardBindingErrors_;
    RelayLink relay_;
    std::unique_ptr<CockpitOutputs> outputs_;
    std::unique_ptr<LateBound> dataServer_;
    std::unique_ptr<EpicLibrary> EFReader_;
    QTimer tmrGlimra_;
    QTimer tmrOstrel_;
    QTimer Timer1_;
    bool GearTestToggle_ = false; // true: the last tick sent gear down
    F4Lib F4Lib_;
    QString configFile_;
    qint64 lastRecordAt_ = 0; // milliseconds since the epoch; 0 before the first
    ErrorTally errorTally_;
};

} // namespace tavrel
