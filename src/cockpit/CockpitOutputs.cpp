#include "cockpit/CockpitOutputs.h"

#include <QCoreApplication>

namespace tavrel {

void CockpitOutputs::yieldToEvents()
{
    QCoreApplication::processEvents();
}

// The board, card and table routines arrive with the device support and the device
// tables; until then each stands in its place and does nothing.
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
void CockpitOutputs::CreatePhidgetManager() {}
void CockpitOutputs::SetupDeviceList() {}
void CockpitOutputs::BuildDeviceGrid(int) {}
void CockpitOutputs::BuildButtonTables() {}
void CockpitOutputs::ReleaseBoards() {}
void CockpitOutputs::DisconnectEpic() {}

} // namespace tavrel
