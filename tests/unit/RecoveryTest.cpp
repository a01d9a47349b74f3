// [TCPIP-RECOVER] against a real loopback peer that misbehaves and then heals: the
// cockpit must end on fresh data, its lamp lit, without the operator. The cockpit's clock
// is the test's, the timers are run by hand, every wait polls with a generous deadline.
#include "cockpit/Cockpit.h"
#include "phidget/VirtualBoard.h"
#include "sources/RelayWire.h"
#include "sources/SimulatedFlight.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

constexpr int kWaitMs = 10000;

// What the peer answers to the "Y" after the good record; whether it then stays silent
// for 6 s. (A record in pieces is the assembler's, fuzzed whole against in pieces.)
using Fault = std::tuple<const char *, std::function<void(QTcpSocket *, const QByteArray &)>, bool>;

TEST(RelayRecovery, APeerThatMisbehavesAndHealsEndsInARecoveredCockpit)
{
    FlightData good{}, fresh{};
    SimulatedFlight().sample(40.0, good), SimulatedFlight().sample(90.0, fresh);
    good.LightBits |= 1, fresh.LightBits |= 1; // the lamp of the configuration below
    const auto half = [](const QByteArray &record) { return record.first(record.size() / 2); };
    const std::vector<Fault> faults = {
        {"drops the connection mid-record", [&](QTcpSocket *s, const QByteArray &r) {
             s->write(half(r)), s->flush(), s->disconnectFromHost(); }, false},
        {"answers garbage", [](QTcpSocket *s, const QByteArray &) { s->write("\x7fGARBAGE\r\r\r\x01\r 1"); }, false},
        {"stalls mid-record", [&](QTcpSocket *s, const QByteArray &r) { s->write(half(r)); }, true},
    };
    for (const auto &[what, answer, stalls] : faults) {
        SCOPED_TRACE(what);
        const auto respond = answer; // named anew: clang before 16 cannot capture a binding
        // The peer: "X" gets true, the third "Y" the fault, every other `record` while answering.
        QTcpServer peer;
        ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
        QByteArray record = relay::formatRecord(good, true);
        int requests = 0;
        bool answering = true;
        QObject::connect(&peer, &QTcpServer::newConnection, [&] {
            QTcpSocket *socket = peer.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                for (const char request : socket->readAll()) {
                    if (request == 'X')
                        socket->write(relay::livenessAnswer(true));
                    else if (++requests == 3)
                        respond(socket, record);
                    else if (answering)
                        socket->write(record);
                }
            });
        });
        test::TestPlatform platform;
        platform.writeFile(u"Tavrel.cfg"_s, "[PLED64-1]\r\n0,Lamp,1,1\r\n[NOSCREENUPDATE]\r\nTRUE\r\n[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]"
                                            "\r\n" + QByteArray::number(peer.serverPort()) + "\r\n[COMPREF]\r\nTCP/IP\r\n[TCPIP-RECOVER]\r\nTRUE\r\n");
        Cockpit cockpit(platform, test::scriptedFactory(std::make_shared<test::ServerScript>()));
        qint64 now = 0;
        cockpit.setClock([&now] { return now; });
        cockpit.startUp();
        for (QTimer *timer : {&cockpit.pollingTimer(), &cockpit.livenessTimer(), &cockpit.reconnectTimer()})
            timer->stop();
        cockpit.setPhidgetManager(nullptr);
        auto lamp = std::make_shared<VirtualBoard>(VirtualBoard::Kind::Led64, 1001);
        cockpit.boards().pViperLED_1 = lamp;
        int arrivals = 0;
        QObject::connect(&cockpit.socket(), &WinsockClient::dataArrival, [&] { ++arrivals; });
        const auto afterArrival = [&](const std::function<void()> &step) {
            const int before = arrivals;
            step();
            return QTest::qWaitFor([&] { return arrivals > before; }, kWaitMs);
        };
        const auto shown = [&] { // 0 the good record, 1 the fresh one, -1 a mix of records
            const FlightData &d = cockpit.flightData();
            const auto is = [&](const FlightData &r) { return d.ShipNorth == r.ShipNorth && d.TotalFuel == r.TotalFuel; };
            return is(fresh) ? 1 : is(good) ? 0 : -1;
        };

        // Active, and the good record driving the lamp (the second cycle asks again).
        ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit.socket().state() == WinsockClient::Connected; }, kWaitMs));
        ASSERT_TRUE(afterArrival([&] { cockpit.tmrOstrel_Timer(); }) && cockpit.flags().SimActive);
        for (int cycle = 0; cycle < 2; ++cycle)
            ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
        ASSERT_EQ(shown(), 0);
        ASSERT_EQ(lamp->discreteLED(0), 100);

        // The fault: whatever the peer sends, no half and no garbage reaches the outputs.
        record = relay::formatRecord(fresh, true);
        answering = !stalls;
        now += 600; // past the wait for an answer: a request may go out
        ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
        if (stalls) {
            for (const auto &[later, notice, dark] : {std::tuple{2500, u"Stale 3 s"_s, false}, {3000, u"Stale 6 s"_s, true}}) {
                now += later;
                cockpit.tmrGlimra_Timer();
                EXPECT_TRUE(cockpit.controls().lblTCPIPMsg.caption() == notice && lamp->discreteLED(0) == (dark ? 0 : 100));
            }
            answering = true;
        }
        EXPECT_TRUE(cockpit.flags().SimActive && shown() >= 0) << "never a half, never inactive";

        // Healing: the timers run as time passes, until the fresh record is in.
        for (int tick = 0; shown() != 1 && tick < 1000; ++tick) { // 20 s at the least
            now += 1000;
            cockpit.tmrReconnect_Timer();
            cockpit.tmrOstrel_Timer();
            cockpit.tmrGlimra_Timer();
            QTest::qWait(20);
            ASSERT_TRUE(shown() >= 0 && cockpit.flags().SimActive) << "only whole records, never a mix";
        }
        cockpit.tmrGlimra_Timer();
        EXPECT_TRUE(shown() == 1 && !cockpit.isDark() && lamp->discreteLED(0) == 100);
        EXPECT_FALSE(cockpit.controls().lblTCPIPMsg.caption().startsWith(u"Stale"_s));
    }
}

} // namespace
} // namespace tavrel
