#include "cockpit/CockpitOutputs.h"

#include "core/Error.h"
#include "core/ErrorTally.h"
#include "core/Grid.h"
#include "core/GridBuilders.h"
#include "core/Log.h"
#include "core/Version.h"
#include "epic/EpicLink.h"
#include "phidget/BoardKind.h"
#include "phidget/LampOutputs.h"
#include "phidget/ServoGauges.h"
#include "phidget/TextDisplays.h"

#include <QCoreApplication>

namespace tavrel {

namespace {

// The table each output grid shows and drives through its board slot.
std::optional<DeviceSection> sectionOf(int grid)
{
    switch (grid) {
    case GrdLed64_1:
        return DeviceSection::PLED64_1;
    case GrdLed64_2:
        return DeviceSection::PLED64_2;
    case GrdKit1:
        return DeviceSection::P01616_1;
    case GrdKit2:
        return DeviceSection::P01616_2;
    case GrdTextLed1:
        return DeviceSection::PTLED_1;
    case GrdTextLed2:
        return DeviceSection::PTLED_2;
    case GrdTextLcd1:
        return DeviceSection::PTLCD_1;
    case GrdTextLcd2:
        return DeviceSection::PTLCD_2;
    default:
        return std::nullopt;
    }
}

struct Output
{
    DeviceSection section;
    Board BoardSlots::*slot;
};

std::optional<Output> outputOf(int grid)
{
    if (const auto section = sectionOf(grid))
        return Output{*section, slotOf(*section)};
    return std::nullopt;
}

} // namespace

void CockpitOutputs::CreatePhidgetManager()
{
    BoardRoster &roster = state_.roster;
    roster.setManager(roster.makeManager());
}

void CockpitOutputs::ReleaseBoards()
{
    state_.roster.release();
}

// What runs in the yield is not the cycle's: its errors are not counted as the cycle's.
void CockpitOutputs::yieldToEvents()
{
    const ErrorTally::Pause pause;
    QCoreApplication::processEvents();
}

void CockpitOutputs::UpdateGaugeValues()
{
    ErrorTally::at(lcBoards, u"GAUGES");
    tavrel::UpdateGaugeValues(
        state_.maGAUGES, state_.flightData, [this] { yieldToEvents(); }, &gaugeReadings_);
}

void CockpitOutputs::DriveGaugeServos()
{
    ErrorTally::at(lcBoards, u"P4SERVO needles");
    const CockpitFlags &f = state_.flags;
    const ServoInputs in{state_.roster.slots(), f.MultiServoPresent, f.ScreenUpdate, [this] { yieldToEvents(); }};
    tavrel::DriveGaugeServos(state_.maGAUGES, grid(GrdGauges), in, &gaugeReadings_);
}

// lblGlimra(15) shows the G load, lblGlimra(24) and (25) the two servos' position.
void CockpitOutputs::DriveGForceServo()
{
    ErrorTally::at(lcBoards, u"G-suit servo");
    const CockpitFlags &f = state_.flags;
    const ServoInputs in{state_.roster.slots(), f.ServoPresent, f.ScreenUpdate, [this] { yieldToEvents(); }};
    auto &labels = state_.controls.lblGlimra;
    tavrel::DriveGForceServo(state_.flightData, in, {labels[LblGLoad], labels[LblServo1], labels[LblServo2]},
                             gForceText_);
}

void CockpitOutputs::BuildTextLedContent(int index)
{
    if (const auto out = outputOf(index)) {
        ErrorTally::at(lcBoards, sectionName(out->section));
        tavrel::BuildTextLedContent(table(out->section), state_.flightData);
    }
}

void CockpitOutputs::BuildTextLcdContent(int index)
{
    const auto out = outputOf(index);
    if (!out)
        return;
    ErrorTally::at(lcBoards, sectionName(out->section));
    const auto buildPfl = [this](QString &text) {
        const FlightData &d = state_.flightData;
        BuildDisplay(QStringView(d.PFLLines, kTextFieldLength), text);
    };
    tavrel::BuildTextLcdContent(table(out->section), state_.flightData, buildPfl, pflText_);
}

void CockpitOutputs::DriveDiscreteOutputs(int index)
{
    const auto out = outputOf(index);
    if (!out)
        return;
    ErrorTally::at(lcBoards, sectionName(out->section));
    const CockpitControls &c = state_.controls;
    const LampInputs in{state_.flightData,           state_.flags.SpeedBrakeOpen,
                        state_.flags.ScreenUpdate,   [&c] { return c.sldGlimra[SldBrightness].value(); },
                        [this] { yieldToEvents(); }, &lampReadings_[std::size_t(index)]};
    tavrel::DriveDiscreteOutputs(index, table(out->section), (state_.roster.slots().*out->slot).get(), grid(index), in);
}

// Both writers stop at their first failing call; the cycle skips the rest of the pass.
void CockpitOutputs::WriteTextLed(int index)
{
    if (const auto out = outputOf(index)) {
        ErrorTally::at(lcBoards, sectionName(out->section));
        tavrel::WriteTextLed(table(out->section), (state_.roster.slots().*out->slot).get(), grid(index),
                             state_.flags.ScreenUpdate, [this] { yieldToEvents(); });
    }
}

void CockpitOutputs::WriteTextLcd(int index)
{
    if (const auto out = outputOf(index)) {
        ErrorTally::at(lcBoards, sectionName(out->section));
        tavrel::WriteTextLcd(table(out->section), (state_.roster.slots().*out->slot).get(), grid(index),
                             state_.flags.ScreenUpdate, [this] { yieldToEvents(); });
    }
}

void CockpitOutputs::BuildDisplay(QStringView text, QString &result)
{
    tavrel::BuildDisplay(
        text, result, [this] { yieldToEvents(); },
        [this](const Error &error) {
            state_.messageBox(QStringLiteral("Ostrel Mon Error"), errorReport(error, u"BuildDisplay"));
        });
}

void CockpitOutputs::ShowTextDisplay(int label)
{
    ErrorTally::at(lcSource, u"text displays on screen");
    const FlightData &d = state_.flightData;
    if (label == 0)
        BuildDisplay(QStringView(d.DEDLines, kTextFieldLength), displayText_);
    else if (label == 2)
        BuildDisplay(QStringView(d.PFLLines, kTextFieldLength), displayText_);
    else
        return;
    state_.controls.lblGlimra[std::size_t(label)].setCaption(displayText_);
}

void CockpitOutputs::LampTest(bool on, bool alsoDisplays)
{
    tavrel::LampTest(on, alsoDisplays, state_.roster.slots(), table(DeviceSection::PTLED_1),
                     table(DeviceSection::PTLED_2), state_.controls.sldGlimra[SldBrightness].value());
}

void CockpitOutputs::SetupDeviceList()
{
    grids::setupDeviceList(grid(GrdDevices));
}

// Each device table from its section, as start-up calls them one by one; an index that
// names no configured device (the "Devices" list, the MFD buttons) builds nothing here.
void CockpitOutputs::BuildDeviceGrid(int index)
{
    const auto portList = [&](DeviceSection section) {
        grids::portList(grid(index), table(section), [this] { yieldToEvents(); });
    };
    switch (index) {
    case GrdGauges:
        portList(DeviceSection::GAUGES);
        state_.maGAUGES = widenGauges(table(DeviceSection::GAUGES));
        grids::servoTable(grid(index), state_.maGAUGES, table(DeviceSection::P4SERVO_1),
                          table(DeviceSection::P4SERVO_2));
        break;
    case GrdEpic:
        grids::pigeonholeList(grid(index), table(DeviceSection::EPICAnalogs));
        break;
    default:
        if (const auto out = outputOf(index)) {
            portList(out->section);
            if (index == GrdTextLed1 || index == GrdTextLed2)
                grids::variableColumns(grid(index), table(out->section));
            else if (index == GrdTextLcd1 || index == GrdTextLcd2)
                grids::lineColumns(grid(index), table(out->section));
        }
        break;
    }
}

void CockpitOutputs::BuildButtonTables()
{
    grids::buttonList(grid(GrdLeftMfd));
    grids::buttonList(grid(GrdRightMfd));
}

// Listed with no version and no serial number, so a second "Open Epic" finds the row and
// only greens it again.
void CockpitOutputs::ConnectEpic()
{
    OutputState &c = state_;
    tavrel::ConnectEpic(
        c.epicLibrary(), c.flags.EpicOpen,
        [&c] { c.messageBox(versionRecord().productName, QStringLiteral("Epic Not Detected")); },
        [&c] { c.roster.AddDeviceRow(1, QStringLiteral("EPIC USB"), QString(), QString(), c.epicLibrary().name()); });
}

void CockpitOutputs::DisconnectEpic()
{
    tavrel::DisconnectEpic(state_.epicLibrary(), state_.flags.EpicOpen);
}

void CockpitOutputs::SendEpicData()
{
    ErrorTally::at(lcEpic, u"EPICAnalogs");
    OutputState &c = state_;
    tavrel::SendEpicData(
        table(DeviceSection::EPICAnalogs), c.flightData, c.flags.EpicOpen ? &c.epicLibrary() : nullptr, grid(GrdEpic),
        c.flags.ScreenUpdate, [this] { yieldToEvents(); }, &epicReadings_);
}

} // namespace tavrel
