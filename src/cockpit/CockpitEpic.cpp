// The EPIC card: its buttons, its link and the per-cycle transfer, over the driver library
// the cockpit loads when the link first needs it.
#include "cockpit/Cockpit.h"
#include "cockpit/CockpitOutputs.h"

#include "core/Error.h"
#include "core/ErrorTally.h"
#include "core/Log.h"
#include "core/Version.h"
#include "epic/EpicLink.h"
#include "epic/EpicTransfer.h"

namespace tavrel {

EpicLibrary &Cockpit::epicLibrary()
{
    if (!EFReader_)
        EFReader_ = createEpicLibrary();
    return *EFReader_;
}

void Cockpit::btnOpenEpic_Click()
{
    operatorWork(Operator::OpenEpic);
}

void Cockpit::btnCloseEpic_Click()
{
    operatorWork(Operator::CloseEpic);
}

// Listed with no version and no serial number, so a second "Open Epic" finds the row and
// only greens it again.
void CockpitOutputs::ConnectEpic()
{
    Cockpit &c = cockpit();
    tavrel::ConnectEpic(
        c.epicLibrary(), c.flags().EpicOpen,
        [&c] { c.messageBox(versionRecord().productName, QStringLiteral("Epic Not Detected")); },
        [&c] { c.roster().AddDeviceRow(1, QStringLiteral("EPIC USB"), QString(), QString(), c.epicLibrary().name()); });
}

void CockpitOutputs::DisconnectEpic()
{
    tavrel::DisconnectEpic(cockpit().epicLibrary(), cockpit().flags().EpicOpen);
}

void CockpitOutputs::SendEpicData()
{
    ErrorTally::at(lcEpic, u"EPICAnalogs");
    Cockpit &c = cockpit();
    tavrel::SendEpicData(table(DeviceSection::EPICAnalogs), c.flightData(),
                         c.flags().EpicOpen ? &c.epicLibrary() : nullptr, grid(GrdEpic), c.flags().ScreenUpdate,
                         [this] { yieldToEvents(); }, &epicReadings_);
}

} // namespace tavrel
