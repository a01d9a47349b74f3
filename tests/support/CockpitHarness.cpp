#include "support/CockpitHarness.h"

namespace tavrel::test {

CockpitHarness::CockpitHarness(const QByteArray &config, bool registered)
    : cockpit(platform, [this, servers = scriptedFactory(script, registered)](QStringView progId) {
        platform.events << QStringLiteral("create ") + progId.toString();
        return servers(progId);
    })
{
    platform.writeFile(QStringLiteral("Tavrel.cfg"), config);
    QObject::connect(&cockpit.relay().socket(), &WinsockClient::dataArrival, [this] { ++arrivals_; });
}

bool CockpitHarness::startUp()
{
    try {
        cockpit.startUp();
        return false;
    } catch (const ProcessEnded &) {
        return true;
    }
}

bool CockpitHarness::shutdown()
{
    try {
        cockpit.shutdown();
    } catch (const ProcessEnded &) {
        return true;
    }
}

bool CockpitHarness::afterArrival(const std::function<void()> &step)
{
    const int before = arrivals_;
    step();
    return waitUntil([&] { return arrivals_ > before; });
}

void CockpitHarness::stopTimers()
{
    for (QTimer *timer : {&cockpit.pollingTimer(), &cockpit.livenessTimer(), &cockpit.relay().reconnectTimer()})
        timer->stop();
}

Board &CockpitHarness::slot(QStringView name)
{
    for (const BoardSlotInfo &slot : kBoardSlots)
        if (slot.name == name)
            return cockpit.roster().slots().*slot.slot;
    throw std::invalid_argument("no board slot of that name");
}

void CockpitHarness::noBoards()
{
    cockpit.roster().setManagerFactory([] { return nullptr; });
    cockpit.roster().setManager(nullptr);
}

} // namespace tavrel::test
