#pragma once

#include "cockpit/BoardRoster.h"
#include "cockpit/CockpitControls.h"
#include "core/ConfigReader.h"
#include "core/FlightData.h"
#include "core/GridBuilders.h"
#include "epic/EpicLibrary.h"
#include "epic/EpicTransfer.h"
#include "phidget/LampOutputs.h"
#include "phidget/ServoGauges.h"

#include <QString>
#include <QStringView>

#include <array>
#include <functional>

namespace tavrel {

class Grid;

// What the output routines work on: the cockpit's state, lent to them for its lifetime.
struct OutputState
{
    CockpitControls &controls;
    CockpitFlags &flags;
    FlightData &flightData;
    std::array<ConfigTable, kDeviceSectionCount> &tables;
    GaugeTable &maGAUGES;
    BoardRoster &roster;
    std::function<EpicLibrary &()> epicLibrary;                       // loaded when first asked for
    std::function<void(const QString &, const QString &)> messageBox; // title, text: under the gate's rule
};

// The board, card and table routines the cockpit calls from start-up, the update cycle,
// the lamp test and shutdown, each in its fixed place. Grid indices (Grd in
// CockpitControls.h) name the table and board a routine works on. The cockpit owns one; a test may put a recording
// one in its place to observe the order. Every routine runs with errors ignored inside;
// the caller also skips a routine that fails as a whole.
class CockpitOutputs
{
public:
    explicit CockpitOutputs(OutputState state) : state_(std::move(state)) {}
    virtual ~CockpitOutputs() = default;
    CockpitOutputs(const CockpitOutputs &) = delete;
    CockpitOutputs &operator=(const CockpitOutputs &) = delete;

    // Lets pending window events run (timer, socket and board events queued so far).
    virtual void yieldToEvents();

    virtual void BuildTextLedContent(int grid);
    virtual void BuildTextLcdContent(int grid);
    virtual void UpdateGaugeValues();
    virtual void DriveDiscreteOutputs(int grid);
    virtual void WriteTextLed(int grid);
    virtual void WriteTextLcd(int grid);
    // lblGlimra(0) shows the DED text, lblGlimra(2) the PFL text.
    virtual void ShowTextDisplay(int label);
    virtual void DriveGaugeServos();
    virtual void SendEpicData();
    virtual void DriveGForceServo();
    virtual void LampTest(bool on, bool alsoDisplays);

    // The five lines of a 5 × 26 text block (the DED or the fault list) into `result`,
    // whose room is reused; a failure shows "Ostrel Mon Error" and keeps what was built.
    void BuildDisplay(QStringView text, QString &result);

    // Start-up: the board manager (whose attach events may arrive from the next yield
    // on), the "Devices" list, one device table on screen, the button tables.
    virtual void CreatePhidgetManager();
    virtual void SetupDeviceList();
    virtual void BuildDeviceGrid(int grid);
    virtual void BuildButtonTables();
    // Shutdown: every bound board let go (board 1 before board 2 of each kind).
    virtual void ReleaseBoards();
    // The card's link: "Open Epic" and "Close Epic" (the latter also at shutdown).
    virtual void ConnectEpic();
    virtual void DisconnectEpic();

protected:
    OutputState &state() { return state_; }
    Grid &grid(int index) { return state_.controls.grdTavrel[std::size_t(index)]; }
    // The tables whose column 3 the text routines rewrite every cycle.
    ConfigTable &table(DeviceSection section) { return state_.tables[std::size_t(section)]; }

private:
    OutputState state_;
    // Rebuilt every cycle; kept so that their room is reused.
    QString displayText_;
    std::array<LampReadings, 6> lampReadings_; // by lamp grid: 0, 1, 2 and 5
    EpicReadings epicReadings_;
    GaugeReadings gaugeReadings_;
    QString pflText_;
    QString gForceText_;
};

} // namespace tavrel
