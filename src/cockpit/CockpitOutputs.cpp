#include "cockpit/CockpitOutputs.h"

#include "cockpit/Cockpit.h"
#include "core/Grid.h"
#include "core/GridBuilders.h"

#include <QCoreApplication>

namespace tavrel {

Grid &CockpitOutputs::grid(int index)
{
    return cockpit_.controls().grdTavrel[std::size_t(index)];
}

GaugeTable &CockpitOutputs::maGAUGES()
{
    return cockpit_.maGAUGES_;
}

void CockpitOutputs::yieldToEvents()
{
    QCoreApplication::processEvents();
}

// The board and card routines arrive with the device support; until then each stands in
// its place and does nothing.
void CockpitOutputs::BuildTextLedContent(int) {}
void CockpitOutputs::BuildTextLcdContent(int) {}
void CockpitOutputs::UpdateGaugeValues() {}
void CockpitOutputs::DriveDiscreteOutputs(int) {}
void CockpitOutputs::WriteTextLed(int) {}
void CockpitOutputs::WriteTextLcd(int) {}
void CockpitOutputs::ShowTextDisplay(int) {}
void CockpitOutputs::DriveGaugeServos() {}
void CockpitOutputs::SendEpicData() {}
void CockpitOutputs::DriveGForceServo() {}
void CockpitOutputs::LampTest(bool, bool) {}
void CockpitOutputs::DisconnectEpic() {}

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
