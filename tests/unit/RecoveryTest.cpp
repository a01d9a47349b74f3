// [TCPIP-RECOVER] against a real loopback peer: one that misbehaves and then heals (the
// cockpit must end on fresh data, its lamp lit, without the operator), answers that come
// while an arrival is handled, junk shaped like a record, the simulator gone and back.
// The cockpit's clock is the test's, the timers are run by hand, every wait polls with a
// generous deadline.
#include "phidget/VirtualBoard.h"
#include "sources/RelayWire.h"
#include "sources/SimulatedFlight.h"
#include "support/CockpitHarness.h"
#include "support/JournalBoards.h"
#include "support/LogCapture.h"
#include "support/RelayPeer.h"
#include "support/UnitData.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using test::waitUntil;

// A cockpit with recovery on, its clock stopped (nothing is ever asked again for want of
// an answer), a lamp, a text LED line, a text LCD and a needle on journalled boards, the
// brightness slider at 40, and a loopback peer that answers "X" with
// `active` and every "Y" with `next` while `answering` (or, once, by `fault`), counting
// the requests.
class RelayRecovery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        peer.answer = [this](QTcpSocket *socket, char request) {
            if (request == 'X')
                socket->write(relay::livenessAnswer(active));
            else if (++requests, fault)
                std::exchange(fault, nullptr)(socket);
            else if (answering)
                socket->write(next.isEmpty() ? relay::formatRecord(numbered(requests), true) : next);
        };
        h.platform.writeFile(
            u"Tavrel.cfg"_s,
            test::unitData(u"relay-recovery.cfg"_s).replace("{port}", QByteArray::number(peer.port())));
        h.setClock([this] { return now; });
        h.noBoards();
        h.startUp();
        h.stopTimers();
        h.controls().sldGlimra[SldBrightness].setValue(40);
        for (const Board &board : std::initializer_list<Board>{lamp, lcd, textLed, servo})
            h.attach(board);
        ASSERT_TRUE(waitUntil([&] { return h.socket().state() == WinsockClient::Connected; }));
        ASSERT_TRUE(h.afterArrival([&] { h.cockpit.tmrOstrel_Timer(); }));
        ASSERT_TRUE(h.flags().SimActive);
    }

    // Record n: ShipNorth n, the lamp's bit set.
    static FlightData numbered(int n)
    {
        FlightData d{};
        d.ShipNorth = float(n);
        d.LightBits = 1;
        return d;
    }
    void tick() { h.cockpit.tmrGlimra_Timer(); }
    // 0 a numbered record, 1 the fresh one, -1 a mix of records.
    int shown()
    {
        const FlightData &d = h.flight();
        return d.ShipNorth == fresh.ShipNorth && d.TotalFuel == fresh.TotalFuel ? 1 : d.TotalFuel == 0.0f ? 0 : -1;
    }
    // Two cycles drive the lamp from the first record; then the peer sends half the fresh
    // record it owes for the next request (and, to `drop`, closes the connection), and
    // answers again only when it does not `stall`.
    void misbehaveOnce(bool drop, bool stall)
    {
        for (int cycle = 0; cycle < 2; ++cycle)
            ASSERT_TRUE(h.afterArrival([&] { tick(); }));
        ASSERT_EQ(lamp->discreteLED(0), 40);
        next = relay::formatRecord(fresh, true);
        fault = [this, drop](QTcpSocket *socket) {
            socket->write(next.first(next.size() / 2));
            if (drop)
                socket->flush(), socket->disconnectFromHost();
        };
        answering = !stall;
        ASSERT_TRUE(h.afterArrival([&] { tick(); }));
    }
    // The peer answers again: no half, no garbage and no mix of records ever reaches the
    // outputs, and the timers alone bring the fresh record in, lamp lit.
    void heals()
    {
        answering = true;
        EXPECT_EQ(shown(), 0) << "never a half";
        for (int second = 0; shown() != 1 && second < 1000; ++second) { // 20 s at the least
            now += 1000;
            h.cockpit.relay().tmrReconnect_Timer();
            h.cockpit.tmrOstrel_Timer();
            tick();
            QTest::qWait(20);
            ASSERT_GE(shown(), 0) << "only whole records, never a mix";
            ASSERT_TRUE(h.flags().SimActive);
        }
        tick();
        EXPECT_EQ(shown(), 1);
        EXPECT_FALSE(h.isDark());
        EXPECT_EQ(boardsShow(), u"lamp 40, text '  2451' at 40, backlight 1, needle 150"_s);
        EXPECT_FALSE(h.controls().lblTCPIPMsg.caption().startsWith(u"Stale"_s));
    }
    QString boardsShow()
    {
        return u"lamp %1, text '%2' at %3, backlight %4, needle %5"_s.arg(lamp->discreteLED(0))
            .arg(textLed->displayString(0))
            .arg(textLed->brightness())
            .arg(lcd->backlight())
            .arg(servo->motorPosition(0));
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
    // Two answers of junk with the record's shape, after one good record.
    void sendJunkTwice()
    {
        ASSERT_TRUE(h.afterArrival([&] { tick(); }));
        next = "R" + QByteArray("junk\r").repeated(84) + "1";
        for (int answer = 0; answer < 2; ++answer)
            ASSERT_TRUE(h.afterArrival([&] { tick(); }));
    }

    test::RelayPeer peer;
    bool active = true;
    bool answering = true;
    QByteArray next; // empty: the numbered record of the request
    std::function<void(QTcpSocket *)> fault;
    int requests = 0;
    qint64 now = 0;
    FlightData fresh = [] {
        FlightData d{};
        SimulatedFlight().sample(90.0, d);
        d.LightBits |= 1, d.FuelFlow = 2450.6f, d.KIAS = 150.4f;
        return d;
    }();
    test::CockpitHarness h;
    test::HookedOutputs &outputs = h.useOutputs<test::HookedOutputs>();
    test::JournalBoards boards;
    std::shared_ptr<VirtualBoard> lamp = boards.add(BoardKind::Led64, 1001);
    std::shared_ptr<VirtualBoard> lcd = boards.add(BoardKind::TextLcd, 3001);
    std::shared_ptr<VirtualBoard> textLed = boards.add(BoardKind::TextLed, 4001);
    std::shared_ptr<VirtualBoard> servo = boards.add(BoardKind::MultiServo, 6001);
};

TEST_F(RelayRecovery, APeerThatDropsMidRecordIsConnectedAgain)
{
    misbehaveOnce(true, false);
    heals();
}

TEST_F(RelayRecovery, APeerThatStallsMidRecordGoesStaleThenDark)
{
    misbehaveOnce(false, true);
    now += 2500;
    tick();
    EXPECT_EQ(h.controls().lblTCPIPMsg.caption(), u"Stale 2 s"_s);
    EXPECT_EQ(boardsShow(), u"lamp 40, text '     0' at 40, backlight 1, needle 0"_s);
    now += 3000;
    tick();
    EXPECT_EQ(boardsShow(), u"lamp 0, text '' at 0, backlight 0, needle 0"_s);
    EXPECT_TRUE(h.isDark());
}

TEST_F(RelayRecovery, ADarkCockpitLightsAgainWithFreshData)
{
    h.controls().chkGlimra[0].setValue(1); // no screen updates: nothing but the link clears "Stale"
    misbehaveOnce(false, true);
    now += 5500;
    tick();
    ASSERT_TRUE(h.isDark());
    heals();
}

// An answer that comes in two arrivals is gathered and read whole.
TEST_F(RelayRecovery, ARecordInTwoPiecesIsTakenWhole)
{
    next = relay::formatRecord(fresh, true);
    fault = [this](QTcpSocket *socket) {
        socket->write(next.first(100)), socket->flush();
        QTimer::singleShot(20, socket, [socket, rest = next.sliced(100)] { socket->write(rest); });
    };
    tick();
    EXPECT_TRUE(waitUntil([&] { return shown() == 1; })) << "ShipNorth " << h.flight().ShipNorth;
}

// The answer to a request sent by a cycle that ran in the arrival handler's yield comes
// while the handler still runs: it is read then, not left in the socket for the re-ask.
TEST_F(RelayRecovery, AnAnswerThatComesWhileTheArrivalYieldsIsReadAtOnce)
{
    outputs.hook = [this] {
        if (h.isCycleRunning())
            return false;
        tick();
        EXPECT_TRUE(waitUntil([&] { return h.socket().bytesAvailable() > 0; }));
        return true;
    };
    ASSERT_TRUE(h.afterArrival([&] { tick(); }));
    EXPECT_TRUE(waitUntil([&] { return h.flight().ShipNorth == 2.0f; }))
        << "record " << h.flight().ShipNorth << " of " << requests;
}

// Garbage with the record's shape is dropped, counted and logged once a second at most.
TEST_F(RelayRecovery, RecordShapedJunkIsDroppedAndCounted)
{
    test::LogCapture log;
    sendJunkTwice();
    EXPECT_EQ(h.droppedRecords(), 2);
    EXPECT_EQ(log.with(u"no record"_s).size(), 1);
    EXPECT_EQ(h.flight().ShipNorth, 1.0f);
}

// Junk counts as silence: the lamp keeps the last record's state, and the source goes stale.
TEST_F(RelayRecovery, RecordShapedJunkCountsAsSilence)
{
    sendJunkTwice();
    now += 2500;
    lampWrites();
    tick();
    EXPECT_EQ(lampWrites(), QStringList{u"40"_s});
    EXPECT_EQ(h.controls().lblTCPIPMsg.caption(), u"Stale 2 s"_s);
}

// The simulator stops and comes back: the cycles after its return write nothing until
// a record from after the return is in.
TEST_F(RelayRecovery, NoRecordFromBeforeTheSimulatorCameBackIsWritten)
{
    ASSERT_TRUE(h.afterArrival([&] { tick(); }));
    next = relay::formatRecord(numbered(1), false);
    ASSERT_TRUE(h.afterArrival([&] { tick(); }));
    ASSERT_FALSE(h.flags().SimActive);
    now += 2500;
    ASSERT_TRUE(h.afterArrival([&] { h.cockpit.tmrOstrel_Timer(); }));
    ASSERT_TRUE(h.flags().SimActive);
    EXPECT_EQ(h.controls().lblTCPIPMsg.caption(), u"Receiving"_s) << "a simulator away is never stale";

    answering = false;
    next = relay::formatRecord(FlightData{}, true); // the lamp's bit clear
    lampWrites();
    const int asked = requests;
    tick();
    ASSERT_TRUE(waitUntil([&] { return requests > asked; })) << "the request that goes unanswered";
    EXPECT_EQ(lampWrites(), QStringList());
    now += 500; // the request is asked again, and answered
    answering = true;
    ASSERT_TRUE(h.afterArrival([&] { tick(); }));
    tick();
    EXPECT_EQ(lampWrites(), QStringList{u"0"_s});
}

} // namespace
} // namespace tavrel
