// [TCPIP-RECOVER] against a real loopback peer that misbehaves and then heals: the
// cockpit must end on fresh data, its lamp lit, without the operator. The cockpit's clock
// is the test's, the timers are run by hand, every wait polls with a generous deadline.
#include "cockpit/Cockpit.h"
#include "cockpit/CockpitOutputs.h"
#include "phidget/VirtualBoard.h"
#include "sources/RelayWire.h"
#include "sources/SimulatedFlight.h"
#include "support/JournalBoards.h"
#include "support/LogCapture.h"
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

// Output routines whose next yield outside a cycle (the arrival handler's) runs `hook`.
class HookedOutputs : public CockpitOutputs
{
public:
    using CockpitOutputs::CockpitOutputs;
    std::function<void()> hook;

    void yieldToEvents() override
    {
        CockpitOutputs::yieldToEvents();
        if (hook && !cockpit().isCycleRunning())
            std::exchange(hook, nullptr)();
    }
};

// A cockpit with recovery on, its clock stopped (nothing is ever asked again for want of
// an answer), one lamp on a journalled board, and a loopback peer that answers "X" with
// `active` and every "Y" with `next` while `answering`, counting the requests.
class FreshRelay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&peer, &QTcpServer::newConnection, [this] {
            QTcpSocket *socket = peer.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                for (const char request : socket->readAll()) {
                    if (request == 'X')
                        socket->write(relay::livenessAnswer(active));
                    else if (++requests, answering)
                        socket->write(next.isEmpty() ? relay::formatRecord(numbered(requests), true) : next);
                }
            });
        });
        platform.writeFile(u"Tavrel.cfg"_s, "[PLED64-1]\r\n0,Lamp,1,1\r\n[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n"
                                            + QByteArray::number(peer.serverPort())
                                            + "\r\n[COMPREF]\r\nTCP/IP\r\n[TCPIP-RECOVER]\r\nTRUE\r\n");
        auto hooked = std::make_unique<HookedOutputs>(cockpit);
        outputs = hooked.get();
        cockpit.setOutputs(std::move(hooked));
        cockpit.setClock([this] { return now; });
        cockpit.startUp();
        for (QTimer *timer : {&cockpit.pollingTimer(), &cockpit.livenessTimer(), &cockpit.reconnectTimer()})
            timer->stop();
        cockpit.setPhidgetManager(nullptr);
        cockpit.boards().pViperLED_1 = lamp;
        QObject::connect(&cockpit.socket(), &WinsockClient::dataArrival, [this] { ++arrivals; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit.socket().state() == WinsockClient::Connected; }, kWaitMs));
        ASSERT_TRUE(afterArrival([&] { cockpit.tmrOstrel_Timer(); }));
        ASSERT_TRUE(cockpit.flags().SimActive);
    }

    // Record n: ShipNorth n, the lamp's bit set.
    static FlightData numbered(int n)
    {
        FlightData d{};
        d.ShipNorth = float(n);
        d.LightBits = 1;
        return d;
    }
    bool afterArrival(const std::function<void()> &step)
    {
        const int before = arrivals;
        step();
        return QTest::qWaitFor([&] { return arrivals > before; }, kWaitMs);
    }
    // The lamp's writes since the last call, as their values.
    QStringList lampWrites()
    {
        QStringList values;
        for (const QString &line : boards.take())
            if (line.startsWith(u"1001\tDiscreteLED\t0\t"_s))
                values << line.section(u'\t', 3);
        return values;
    }

    QTcpServer peer;
    bool active = true;
    bool answering = true;
    QByteArray next; // empty: the numbered record of the request
    int requests = 0;
    int arrivals = 0;
    qint64 now = 0;
    test::TestPlatform platform;
    Cockpit cockpit{platform, test::scriptedFactory(std::make_shared<test::ServerScript>())};
    HookedOutputs *outputs = nullptr;
    test::JournalBoards boards;
    std::shared_ptr<VirtualBoard> lamp = boards.add(VirtualBoard::Kind::Led64, 1001);
};

// The answer to a request sent by a cycle that ran in the arrival handler's yield comes
// while the handler still runs: it is read then, not left in the socket for the re-ask.
TEST_F(FreshRelay, AnAnswerThatComesWhileTheArrivalYieldsIsReadAtOnce)
{
    outputs->hook = [this] {
        cockpit.tmrGlimra_Timer();
        EXPECT_TRUE(QTest::qWaitFor([&] { return cockpit.socket().bytesAvailable() > 0; }, kWaitMs));
    };
    ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return cockpit.flightData().ShipNorth == 2.0f; }, kWaitMs))
        << "record " << cockpit.flightData().ShipNorth << " of " << requests;
}

// Garbage with the record's shape is dropped, counted, logged once a second at most, and
// counts as silence: the lamp keeps the last record's state, and the source goes stale.
TEST_F(FreshRelay, RecordShapedJunkNeverReachesTheBoards)
{
    test::LogCapture log;
    ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    next = "R" + QByteArray("junk\r").repeated(84) + "1";
    for (int answer = 0; answer < 2; ++answer)
        ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    EXPECT_EQ(cockpit.droppedRecords(), 2);
    EXPECT_EQ(log.with(u"no record"_s).size(), 1);
    EXPECT_EQ(cockpit.flightData().ShipNorth, 1.0f);
    now += 2500;
    lampWrites();
    cockpit.tmrGlimra_Timer();
    EXPECT_EQ(lampWrites(), QStringList{u"100"_s});
    EXPECT_EQ(cockpit.controls().lblTCPIPMsg.caption(), u"Stale 2 s"_s);
}

// The simulator stops and comes back: the cycles after its return write nothing until
// a record from after the return is in.
TEST_F(FreshRelay, NoRecordFromBeforeTheSimulatorCameBackIsWritten)
{
    ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    next = relay::formatRecord(numbered(1), false);
    ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    ASSERT_FALSE(cockpit.flags().SimActive);
    ASSERT_TRUE(afterArrival([&] { cockpit.tmrOstrel_Timer(); }));
    ASSERT_TRUE(cockpit.flags().SimActive);

    answering = false;
    next = relay::formatRecord(FlightData{}, true); // the lamp's bit clear
    lampWrites();
    cockpit.tmrGlimra_Timer();
    EXPECT_EQ(lampWrites(), QStringList());
    now += 600; // the request is asked again, and answered
    answering = true;
    ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    cockpit.tmrGlimra_Timer();
    EXPECT_EQ(lampWrites(), QStringList{u"0"_s});
}

} // namespace
} // namespace tavrel
