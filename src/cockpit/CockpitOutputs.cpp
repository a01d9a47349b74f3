#include "cockpit/CockpitOutputs.h"

#include "cockpit/Cockpit.h"
#include "core/Error.h"
#include "core/ErrorTally.h"
#include "core/Log.h"
#include "core/Grid.h"
#include "core/GridBuilders.h"
#include "phidget/LampOutputs.h"
#include "phidget/ServoGauges.h"
#include "phidget/TextDisplays.h"

#include <QCoreApplication>

namespace tavrel {

namespace {

// The table and board slot each output grid stands for.
struct Output
{
    DeviceSection section;
    Board BoardSlots::*slot;
};

std::optional<Output> outputOf(int grid)
{
    switch (grid) {
    case 0:
        return Output{DeviceSection::PLED64_1, &BoardSlots::pViperLED_1};
    case 1:
        return Output{DeviceSection::PLED64_2, &BoardSlots::pViperLED_2};
    case 2:
        return Output{DeviceSection::P01616_1, &BoardSlots::pViper01616_1};
    case 5:
        return Output{DeviceSection::P01616_2, &BoardSlots::pViper01616_2};
    case 3:
        return Output{DeviceSection::PTLED_1, &BoardSlots::pViperTextLED_1};
    case 11:
        return Output{DeviceSection::PTLED_2, &BoardSlots::pViperTextLED_2};
    case 6:
        return Output{DeviceSection::PTLCD_1, &BoardSlots::pViperTextLCD_1};
    case 12:
        return Output{DeviceSection::PTLCD_2, &BoardSlots::pViperTextLCD_2};
    default:
        return std::nullopt;
    }
}

} // namespace

Grid &CockpitOutputs::grid(int index)
{
    return cockpit_.controls().grdTavrel[std::size_t(index)];
}

GaugeTable &CockpitOutputs::maGAUGES()
{
    return cockpit_.maGAUGES_;
}

ConfigTable &CockpitOutputs::table(DeviceSection section)
{
    return cockpit_.tables_[std::size_t(section)];
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
    tavrel::UpdateGaugeValues(maGAUGES(), cockpit_.flightData(), [this] { yieldToEvents(); }, &gaugeReadings_);
}

void CockpitOutputs::DriveGaugeServos()
{
    ErrorTally::at(lcBoards, u"P4SERVO needles");
    const CockpitFlags &f = cockpit_.flags();
    const ServoInputs in{cockpit_.boards(), f.MultiServoPresent, f.ScreenUpdate, [this] { yieldToEvents(); }};
    tavrel::DriveGaugeServos(maGAUGES(), grid(7), in, &gaugeReadings_);
}

// lblGlimra(15) shows the G load, lblGlimra(24) and (25) the two servos' position.
void CockpitOutputs::DriveGForceServo()
{
    ErrorTally::at(lcBoards, u"G-suit servo");
    const CockpitFlags &f = cockpit_.flags();
    const ServoInputs in{cockpit_.boards(), f.ServoPresent, f.ScreenUpdate, [this] { yieldToEvents(); }};
    auto &labels = cockpit_.controls().lblGlimra;
    tavrel::DriveGForceServo(cockpit_.flightData(), in, {labels[15], labels[24], labels[25]}, gForceText_);
}

void CockpitOutputs::BuildTextLedContent(int index)
{
    if (const auto out = outputOf(index)) {
        ErrorTally::at(lcBoards, sectionName(out->section));
        tavrel::BuildTextLedContent(table(out->section), cockpit_.flightData());
    }
}

void CockpitOutputs::BuildTextLcdContent(int index)
{
    const auto out = outputOf(index);
    if (!out)
        return;
    ErrorTally::at(lcBoards, sectionName(out->section));
    const auto buildPfl = [this](QString &text) {
        const FlightData &d = cockpit_.flightData();
        BuildDisplay(QStringView(d.PFLLines, kTextFieldLength), text);
    };
    tavrel::BuildTextLcdContent(table(out->section), cockpit_.flightData(), buildPfl, pflText_);
}

void CockpitOutputs::DriveDiscreteOutputs(int index)
{
    const auto out = outputOf(index);
    if (!out)
        return;
    ErrorTally::at(lcBoards, sectionName(out->section));
    const CockpitControls &c = cockpit_.controls();
    const LampInputs in{cockpit_.flightData(), cockpit_.flags().SpeedBrakeOpen, cockpit_.flags().ScreenUpdate,
                        [&c] { return c.sldGlimra[CockpitControls::kBrightness].value(); },
                        [this] { yieldToEvents(); }, &lampReadings_[std::size_t(index)]};
    tavrel::DriveDiscreteOutputs(index, table(out->section), (cockpit_.boards().*out->slot).get(), grid(index), in);
}

// Both writers stop at their first failing call; the cycle skips the rest of the pass.
void CockpitOutputs::WriteTextLed(int index)
{
    if (const auto out = outputOf(index)) {
        ErrorTally::at(lcBoards, sectionName(out->section));
        tavrel::WriteTextLed(table(out->section), (cockpit_.boards().*out->slot).get(), grid(index),
                             cockpit_.flags().ScreenUpdate, [this] { yieldToEvents(); });
    }
}

void CockpitOutputs::WriteTextLcd(int index)
{
    if (const auto out = outputOf(index)) {
        ErrorTally::at(lcBoards, sectionName(out->section));
        tavrel::WriteTextLcd(table(out->section), (cockpit_.boards().*out->slot).get(), grid(index),
                             cockpit_.flags().ScreenUpdate, [this] { yieldToEvents(); });
    }
}

void CockpitOutputs::BuildDisplay(QStringView text, QString &result)
{
    tavrel::BuildDisplay(text, result, [this] { yieldToEvents(); }, [this](const Error &error) {
        cockpit_.messageBox(QStringLiteral("Ostrel Mon Error"), errorReport(error, u"BuildDisplay"));
    });
}

void CockpitOutputs::ShowTextDisplay(int label)
{
    ErrorTally::at(lcSource, u"text displays on screen");
    const FlightData &d = cockpit_.flightData();
    if (label == 0)
        BuildDisplay(QStringView(d.DEDLines, kTextFieldLength), displayText_);
    else if (label == 2)
        BuildDisplay(QStringView(d.PFLLines, kTextFieldLength), displayText_);
    else
        return;
    cockpit_.controls().lblGlimra[std::size_t(label)].setCaption(displayText_);
}

void CockpitOutputs::LampTest(bool on, bool alsoDisplays)
{
    tavrel::LampTest(on, alsoDisplays, cockpit_.boards(), table(DeviceSection::PTLED_1), table(DeviceSection::PTLED_2),
                     cockpit_.controls().sldGlimra[CockpitControls::kBrightness].value());
}

void CockpitOutputs::SetupDeviceList()
{
    grids::setupDeviceList(grid(4));
}

// Each device table from its section, as start-up calls them one by one; an index that
// names no configured device (4, 8, 9) builds nothing here.
void CockpitOutputs::BuildDeviceGrid(int index)
{
    const Cockpit &owner = cockpit_;
    const auto table = [&](DeviceSection section) -> const ConfigTable & { return owner.table(section); };
    const auto portList = [&](DeviceSection section) {
        grids::portList(grid(index), table(section), [this] { yieldToEvents(); });
    };
    switch (index) {
    case 0:
        portList(DeviceSection::PLED64_1);
        break;
    case 1:
        portList(DeviceSection::PLED64_2);
        break;
    case 2:
        portList(DeviceSection::P01616_1);
        break;
    case 5:
        portList(DeviceSection::P01616_2);
        break;
    case 3:
    case 11: {
        const DeviceSection section = index == 3 ? DeviceSection::PTLED_1 : DeviceSection::PTLED_2;
        portList(section);
        grids::variableColumns(grid(index), table(section));
        break;
    }
    case 6:
    case 12: {
        const DeviceSection section = index == 6 ? DeviceSection::PTLCD_1 : DeviceSection::PTLCD_2;
        portList(section);
        grids::lineColumns(grid(index), table(section));
        break;
    }
    case 7:
        portList(DeviceSection::GAUGES);
        maGAUGES() = widenGauges(table(DeviceSection::GAUGES));
        grids::servoTable(grid(index), maGAUGES(), table(DeviceSection::P4SERVO_1), table(DeviceSection::P4SERVO_2));
        break;
    case 10:
        grids::pigeonholeList(grid(index), table(DeviceSection::EPICAnalogs));
        break;
    default:
        break;
    }
}

void CockpitOutputs::BuildButtonTables()
{
    grids::buttonList(grid(8));
    grids::buttonList(grid(9));
}

} // namespace tavrel
