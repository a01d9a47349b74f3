#include "support/CockpitHarness.h"

namespace tavrel::test {

CockpitHarness::CockpitHarness(const QByteArray &config, bool registered)
    : cockpit(platform, [this, servers = scriptedFactory(script, registered)](QStringView progId) {
        platform.events << QStringLiteral("create ") + progId.toString();
        return servers(progId);
    })
{
    platform.writeFile(QStringLiteral("Tavrel.cfg"), config);
    QObject::connect(&cockpit.socket(), &WinsockClient::dataArrival, [this] { ++arrivals_; });
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
    for (QTimer *timer : {&cockpit.pollingTimer(), &cockpit.livenessTimer(), &cockpit.reconnectTimer()})
        timer->stop();
}

Board &CockpitHarness::slot(QStringView name)
{
    BoardSlots &b = cockpit.boards();
    const std::pair<QStringView, Board *> slots[] = {
        {u"P01616-1", &b.pViper01616_1},  {u"P01616-2", &b.pViper01616_2},  {u"PLED64-1", &b.pViperLED_1},
        {u"PLED64-2", &b.pViperLED_2},    {u"PTLED-1", &b.pViperTextLED_1}, {u"PTLED-2", &b.pViperTextLED_2},
        {u"PTLCD-1", &b.pViperTextLCD_1}, {u"PTLCD-2", &b.pViperTextLCD_2}, {u"PSERVO-1", &b.pViperServo_1},
        {u"PSERVO-2", &b.pViperServo_2},  {u"P4SERVO-1", &b.pViper4Servo_1}, {u"P4SERVO-2", &b.pViper4Servo_2}};
    for (const auto &[slotName, board] : slots)
        if (slotName == name)
            return *board;
    throw std::invalid_argument("no board slot of that name");
}

void CockpitHarness::noBoards()
{
    cockpit.setPhidgetManagerFactory([] { return nullptr; });
    cockpit.setPhidgetManager(nullptr);
}

void CockpitHarness::makeBoardsWith(Cockpit::PhidgetManagerFactory factory)
{
    cockpit.setPhidgetManagerFactory(std::move(factory));
}

} // namespace tavrel::test
