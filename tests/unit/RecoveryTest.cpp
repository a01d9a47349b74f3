// [TCPIP-RECOVER] against a real loopback peer: one that misbehaves and then heals (the
// cockpit must end on fresh data, its lamp lit, without the operator), answers that come
// while an arrival is handled, junk shaped like a record, the simulator gone and back.
// The cockpit's clock is the test's, the timers are run by hand, every wait polls with a
// generous deadline.
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

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

constexpr int kWaitMs = 10000;

// Output routines whose next yield outside a cycle (the arrival handler's) runs `hook`.
class HookedOutputs : public CockpitOutputs
{
public:
    using CockpitOutputs::CockpitOutputs;
    std::function<void()> hook;
    std::function<bool()> inCycle;

    void yieldToEvents() override
    {
        CockpitOutputs::yieldToEvents();
        if (hook && !inCycle())
            std::exchange(hook, nullptr)();
    }
};

// A cockpit with recovery on, its clock stopped (nothing is ever asked again for want of
// an answer), one lamp on a journalled board, and a loopback peer that answers "X" with
// `active` and every "Y" with `next` while `answering` (or, once, by `fault`), counting
// the requests.
class RelayRecovery : public ::testing::Test
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
                    else if (++requests, fault)
                        std::exchange(fault, nullptr)(socket);
                    else if (answering)
                        socket->write(next.isEmpty() ? relay::formatRecord(numbered(requests), true) : next);
                }
            });
        });
        platform.writeFile(u"Tavrel.cfg"_s, "[PLED64-1]\r\n0,Lamp,1,1\r\n[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n"
                                            + QByteArray::number(peer.serverPort())
                                            + "\r\n[COMPREF]\r\nTCP/IP\r\n[TCPIP-RECOVER]\r\nTRUE\r\n");
        auto hooked = std::make_unique<HookedOutputs>(cockpit.outputState());
        hooked->inCycle = [this] { return cockpit.isCycleRunning(); };
        outputs = hooked.get();
        cockpit.setOutputs(std::move(hooked));
        cockpit.relay().setClock([this] { return now; });
        cockpit.startUp();
        for (QTimer *timer : {&cockpit.pollingTimer(), &cockpit.livenessTimer(), &cockpit.relay().reconnectTimer()})
            timer->stop();
        cockpit.roster().setManager(nullptr);
        cockpit.roster().slots().pViperLED_1 = lamp;
        QObject::connect(&cockpit.relay().socket(), &WinsockClient::dataArrival, [this] { ++arrivals; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit.relay().socket().state() == WinsockClient::Connected; }, kWaitMs));
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
    // The peer misbehaves once (`fault`, then silence while it `stalls`), then answers a
    // fresh record: no half, no garbage and no mix of records ever reaches the outputs, a
    // silent source goes stale and dark, and the timers alone bring the fresh record in.
    void misbehavesThenHeals(std::function<void(QTcpSocket *, const QByteArray &)> misbehave, bool stalls)
    {
        FlightData fresh{};
        SimulatedFlight().sample(90.0, fresh);
        fresh.LightBits |= 1;
        const auto shown = [&] { // 0 a numbered record, 1 the fresh one, -1 a mix of records
            const FlightData &d = cockpit.flightData();
            return d.ShipNorth == fresh.ShipNorth && d.TotalFuel == fresh.TotalFuel ? 1 : d.TotalFuel == 0.0f ? 0 : -1;
        };
        for (int cycle = 0; cycle < 2; ++cycle) // the second drives the lamp from the first record
            ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
        ASSERT_EQ(lamp->discreteLED(0), 100);

        next = relay::formatRecord(fresh, true);
        fault = [this, misbehave](QTcpSocket *socket) { misbehave(socket, next); };
        answering = !stalls;
        ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
        if (stalls) {
            now += 2500;
            cockpit.tmrGlimra_Timer();
            EXPECT_EQ(cockpit.controls().lblTCPIPMsg.caption(), u"Stale 2 s"_s);
            EXPECT_EQ(lamp->discreteLED(0), 100);
            now += 3000;
            cockpit.tmrGlimra_Timer();
            EXPECT_EQ(lamp->discreteLED(0), 0) << "dark after 5 s";
            answering = true;
        }
        EXPECT_EQ(shown(), 0) << "never a half";

        for (int tick = 0; shown() != 1 && tick < 1000; ++tick) { // 20 s at the least
            now += 1000;
            cockpit.relay().tmrReconnect_Timer();
            cockpit.tmrOstrel_Timer();
            cockpit.tmrGlimra_Timer();
            QTest::qWait(20);
            ASSERT_TRUE(shown() >= 0 && cockpit.flags().SimActive) << "only whole records, never a mix";
        }
        cockpit.tmrGlimra_Timer();
        EXPECT_EQ(shown(), 1);
        EXPECT_FALSE(cockpit.relay().isDark());
        EXPECT_EQ(lamp->discreteLED(0), 100);
        EXPECT_FALSE(cockpit.controls().lblTCPIPMsg.caption().startsWith(u"Stale"_s));
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
    std::function<void(QTcpSocket *)> fault;
    int requests = 0;
    int arrivals = 0;
    qint64 now = 0;
    test::TestPlatform platform;
    Cockpit cockpit{platform, test::scriptedFactory(std::make_shared<test::ServerScript>())};
    HookedOutputs *outputs = nullptr;
    test::JournalBoards boards;
    std::shared_ptr<VirtualBoard> lamp = boards.add(BoardKind::Led64, 1001);
};

TEST_F(RelayRecovery, APeerThatDropsMidRecordIsConnectedAgain)
{
    misbehavesThenHeals([](QTcpSocket *s, const QByteArray &r) {
        s->write(r.first(r.size() / 2)), s->flush(), s->disconnectFromHost(); }, false);
}

TEST_F(RelayRecovery, GarbageCostsOneAnswer)
{
    misbehavesThenHeals([](QTcpSocket *s, const QByteArray &) { s->write("\x7fGARBAGE\r\r\r\x01\r 1"); }, false);
}

TEST_F(RelayRecovery, APeerThatStallsMidRecordGoesStaleThenDark)
{
    misbehavesThenHeals([](QTcpSocket *s, const QByteArray &r) { s->write(r.first(r.size() / 2)); }, true);
}

// The answer to a request sent by a cycle that ran in the arrival handler's yield comes
// while the handler still runs: it is read then, not left in the socket for the re-ask.
TEST_F(RelayRecovery, AnAnswerThatComesWhileTheArrivalYieldsIsReadAtOnce)
{
    outputs->hook = [this] {
        cockpit.tmrGlimra_Timer();
        EXPECT_TRUE(QTest::qWaitFor([&] { return cockpit.relay().socket().bytesAvailable() > 0; }, kWaitMs));
    };
    ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return cockpit.flightData().ShipNorth == 2.0f; }, kWaitMs))
        << "record " << cockpit.flightData().ShipNorth << " of " << requests;
}

// Garbage with the record's shape is dropped, counted, logged once a second at most, and
// counts as silence: the lamp keeps the last record's state, and the source goes stale.
TEST_F(RelayRecovery, RecordShapedJunkNeverReachesTheBoards)
{
    test::LogCapture log;
    ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    next = "R" + QByteArray("junk\r").repeated(84) + "1";
    for (int answer = 0; answer < 2; ++answer)
        ASSERT_TRUE(afterArrival([&] { cockpit.tmrGlimra_Timer(); }));
    EXPECT_EQ(cockpit.relay().droppedRecords(), 2);
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
TEST_F(RelayRecovery, NoRecordFromBeforeTheSimulatorCameBackIsWritten)
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
