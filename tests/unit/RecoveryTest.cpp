// [TCPIP-RECOVER] against a real loopback peer that misbehaves and then heals: the
// cockpit must end on fresh data, its lamp lit, without the operator. The cockpit's clock
// is the test's, the timers are run by hand, and every wait on the socket polls with a
// generous deadline.
#include "cockpit/Cockpit.h"
#include "core/Convert.h"
#include "phidget/VirtualBoard.h"
#include "sources/RelayWire.h"
#include "sources/SimulatedFlight.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cstring>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

constexpr int kWaitMs = 10000;

QByteArray recordAt(double seconds)
{
    FlightData d{};
    SimulatedFlight().sample(seconds, d);
    d.LightBits |= 1; // the lamp of the configuration below
    return relay::formatRecord(d, true);
}

FlightData parsed(const QByteArray &record)
{
    QString text;
    convert::decodeWindows1252(record, text);
    FlightData d{};
    relay::parseRecord(text, d);
    return d;
}

bool same(const FlightData &a, const FlightData &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The peer: "X" is answered true; each "Y" by the next scripted answer, or, when none is
// left, by the healthy record (nothing while `answering` is off).
struct Peer
{
    QTcpServer server;
    QPointer<QTcpSocket> client;
    QList<std::function<void(QTcpSocket *)>> script;
    QByteArray healthy;
    bool answering = true;

    Peer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            client = server.nextPendingConnection();
            QTcpSocket *socket = client;
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                for (const char request : socket->readAll()) {
                    if (request == 'X')
                        socket->write(relay::livenessAnswer(true));
                    else if (!script.isEmpty())
                        script.takeFirst()(socket);
                    else if (answering)
                        socket->write(healthy);
                }
            });
        });
    }
};

struct Fault
{
    const char *what;
    std::function<void(QTcpSocket *)> answer; // to the first "Y" after the good record
    bool stalls;                              // the peer then stays silent for 6 s
    bool healsItself;                         // the fresh record comes with no timer run
};

TEST(RelayRecovery, APeerThatMisbehavesAndHealsEndsInARecoveredCockpit)
{
    const QByteArray goodRecord = recordAt(40.0);
    const QByteArray freshRecord = recordAt(90.0);
    const FlightData good = parsed(goodRecord);
    const FlightData fresh = parsed(freshRecord);
    ASSERT_NE(good.ShipNorth, fresh.ShipNorth);
    const QByteArray half = freshRecord.first(freshRecord.size() / 2);

    const std::vector<Fault> faults = {
        {"a record in two pieces", [&](QTcpSocket *s) { s->write(half); s->flush(); QTest::qWait(50);
                                                          s->write(freshRecord.sliced(half.size())); }, false, true},
        {"drops the connection mid-record", [&](QTcpSocket *s) { s->write(half); s->flush(); s->disconnectFromHost(); },
         false, false},
        {"answers garbage", [](QTcpSocket *s) { s->write("\x7fGARBAGE\r\r\r\x01\r 1"); }, false, false},
        {"stalls mid-record", [&](QTcpSocket *s) { s->write(half); }, true, false},
    };
    for (const Fault &fault : faults) {
        SCOPED_TRACE(fault.what);
        Peer peer;
        ASSERT_TRUE(peer.server.isListening());
        peer.healthy = goodRecord;
        test::TestPlatform platform;
        platform.writeFile(u"Tavrel.cfg"_s, "[PLED64-1]\r\n0,Lamp,1,1\r\n[NOSCREENUPDATE]\r\nTRUE\r\n[TCPIP-IP]\r\n127.0.0.1\r\n"
                                            "[TCPIP-PORT]\r\n" + QByteArray::number(peer.server.serverPort())
                                                + "\r\n[COMPREF]\r\nTCP/IP\r\n[TCPIP-RECOVER]\r\nTRUE\r\n");
        Cockpit cockpit(platform, test::scriptedFactory(std::make_shared<test::ServerScript>()));
        qint64 now = 0;
        cockpit.setClock([&now] { return now; });
        cockpit.startUp();
        for (QTimer *timer : {&cockpit.pollingTimer(), &cockpit.livenessTimer(), &cockpit.reconnectTimer()})
            timer->stop();
        cockpit.setPhidgetManager(nullptr);
        auto lamp = std::make_shared<VirtualBoard>(VirtualBoard::Kind::Led64, 1001);
        cockpit.boards().pViperLED_1 = lamp;
        ASSERT_TRUE(cockpit.relayRecovery());
        int arrivals = 0;
        QObject::connect(&cockpit.socket(), &WinsockClient::dataArrival, [&] { ++arrivals; });
        const auto arrived = [&](int before) { return QTest::qWaitFor([&] { return arrivals > before; }, kWaitMs); };

        // Active, and one good record driving the lamp.
        ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit.socket().state() == WinsockClient::Connected; }, kWaitMs));
        int before = arrivals;
        cockpit.tmrOstrel_Timer();
        ASSERT_TRUE(arrived(before) && cockpit.flags().SimActive);
        for (int cycle = 0; cycle < 2; ++cycle) { // the second drives the lamp (and asks again)
            before = arrivals;
            cockpit.tmrGlimra_Timer();
            ASSERT_TRUE(arrived(before));
        }
        ASSERT_TRUE(same(cockpit.flightData(), good));
        ASSERT_EQ(lamp->discreteLED(0), 100);

        // The fault: whatever the peer sends, no half and no garbage reaches the outputs.
        peer.healthy = freshRecord;
        peer.answering = !fault.stalls;
        peer.script = {fault.answer};
        before = arrivals;
        now += 600; // the good record's answer is in: a new request may go out
        cockpit.tmrGlimra_Timer();
        ASSERT_TRUE(arrived(before));
        if (fault.stalls) {
            now += 2500;
            cockpit.tmrGlimra_Timer();
            EXPECT_EQ(cockpit.controls().lblTCPIPMsg.caption(), u"Stale 3 s"_s);
            EXPECT_EQ(lamp->discreteLED(0), 100) << "not dark yet";
            now += 3000;
            cockpit.tmrGlimra_Timer();
            EXPECT_EQ(cockpit.controls().lblTCPIPMsg.caption(), u"Stale 6 s"_s);
            EXPECT_TRUE(cockpit.isDark());
            EXPECT_EQ(lamp->discreteLED(0), 0);
            peer.answering = true;
        } else {
            EXPECT_TRUE(same(cockpit.flightData(), good) || same(cockpit.flightData(), fresh)) << "never a half";
        }
        EXPECT_TRUE(cockpit.flags().SimActive) << "a half or garbage answer never reads as inactive";
        if (fault.healsItself) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return same(cockpit.flightData(), fresh); }, kWaitMs));
        }

        // Healing: the timers run as time passes, until the fresh record has arrived.
        QElapsedTimer patience;
        patience.start();
        while (!same(cockpit.flightData(), fresh) && patience.elapsed() < 3 * kWaitMs) {
            now += 1000;
            cockpit.tmrReconnect_Timer();
            cockpit.tmrOstrel_Timer();
            cockpit.tmrGlimra_Timer();
            QTest::qWait(20);
            const bool whole = same(cockpit.flightData(), good) || same(cockpit.flightData(), fresh);
            ASSERT_TRUE(whole && cockpit.flags().SimActive) << "only whole records, never a mix";
        }
        EXPECT_TRUE(same(cockpit.flightData(), fresh));
        cockpit.tmrGlimra_Timer();
        EXPECT_TRUE(cockpit.flags().SimActive);
        EXPECT_FALSE(cockpit.isDark());
        EXPECT_EQ(lamp->discreteLED(0), 100);
        EXPECT_FALSE(cockpit.controls().lblTCPIPMsg.caption().startsWith(u"Stale"_s));
    }
}

} // namespace
} // namespace tavrel
