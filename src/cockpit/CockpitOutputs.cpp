#include "cockpit/CockpitOutputs.h"

#include <QCoreApplication>

namespace tavrel {

void CockpitOutputs::yieldToEvents()
{
    QCoreApplication::processEvents();
}

// The board and card routines arrive with the device support; until then each step
// stands in its place in the cycle and does nothing.
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

} // namespace tavrel
