// The relay link end to end inside the process: a real cockpit, its real socket, and a
// peer on loopback that the test drives by hand. Both timers are stopped once connected,
// and the test runs the liveness check and the cycle itself, so nothing depends on time.
#include "cockpit/Cockpit.h"
#include "core/Convert.h"
#include "sources/RelayWire.h"
#include "sources/SimulatedFlight.h"
#include "support/QtPrinters.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cstring>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

constexpr int kWaitMs = 10000;

FlightData sampleRecord(double seconds)
{
    FlightData d{};
    SimulatedFlight().sample(seconds, d);
    d.AdiIlsPos2 = -0.625f;
    return d;
}

// What the receiver should make of `bytes` as a record, starting from `staging`.
FlightData parsedFrom(const QByteArray &bytes, FlightData staging)
{
    QString text;
    convert::decodeWindows1252(bytes, text);
    relay::parseRecord(text, staging);
    return staging;
}

bool same(const FlightData &a, const FlightData &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class RelayLinkTest : public ::testing::Test
{
protected:
    // A started cockpit in relay mode, connected to the peer, with both timers stopped.
    void connectCockpit(bool screenUpdate = true)
    {
        cockpit.reset();
        client = nullptr;
        received.clear();
        cockpit = std::make_unique<Cockpit>(platform, test::scriptedFactory(script));
        cockpit->startUp();
        QObject::connect(&cockpit->socket(), &WinsockClient::dataArrival, [this] { ++arrivals; });
        if (!peer.isListening()) {
            ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
        }
        QObject::disconnect(&peer, nullptr, nullptr, nullptr);
        QObject::connect(&peer, &QTcpServer::newConnection, [this] {
            QTcpSocket *socket = peer.nextPendingConnection();
            client = socket;
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { received += socket->readAll(); });
        });
        controls().chkGlimra[0].setValue(screenUpdate ? 0 : 1);
        controls().fldGlimra[0].setText(u"127.0.0.1"_s);
        controls().fldGlimra[1].setText(QString::number(peer.serverPort()));
        controls().optConnectType[0].select();
        ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit->socket().state() == WinsockClient::Connected; }, kWaitMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return client != nullptr; }, kWaitMs));
        stopTimers();
        ASSERT_EQ(cockpit->flags().ScreenUpdate, screenUpdate);
    }
    void stopTimers()
    {
        cockpit->pollingTimer().stop();
        cockpit->livenessTimer().stop();
    }
    CockpitControls &controls() { return cockpit->controls(); }
    QString message() { return controls().lblTCPIPMsg.caption(); }

    // Runs the liveness check, which sends "X" while connected and not active, and waits
    // until the peer has it.
    void askLiveness()
    {
        const qsizetype before = received.count('X');
        cockpit->tmrOstrel_Timer();
        stopTimers();
        ASSERT_TRUE(cockpit->flags().LivenessPending);
        ASSERT_TRUE(QTest::qWaitFor([&] { return received.count('X') > before; }, kWaitMs));
    }
    // The peer sends `bytes` in one piece; returns once the cockpit has handled them.
    void deliver(const QByteArray &bytes)
    {
        const int before = arrivals;
        client->write(bytes);
        client->flush();
        ASSERT_TRUE(QTest::qWaitFor([&] { return arrivals > before; }, kWaitMs));
    }

    std::shared_ptr<test::ServerScript> script = std::make_shared<test::ServerScript>();
    test::TestPlatform platform;
    QTcpServer peer;
    QTcpSocket *client = nullptr;
    QByteArray received;
    int arrivals = 0;
    std::unique_ptr<Cockpit> cockpit;
};

TEST_F(RelayLinkTest, OnlyMinusOneInAnswerToXMakesTheLinkActive)
{
    connectCockpit();
    const std::vector<std::pair<QByteArray, bool>> answers = {
        {relay::livenessAnswer(true), true},
        {relay::livenessAnswer(false), false},
        {QByteArray("\x01\x00", 2), false},
        {QByteArray("\xFF\x00", 2), false},
        {QByteArray("\xFF\xFF", 2), true},
        {QByteArray("\x00\xFF", 2), false},
    };
    for (const auto &[answer, active] : answers) {
        cockpit->flags().SimActive = false;
        askLiveness();
        deliver(answer);
        EXPECT_EQ(cockpit->flags().SimActive, active) << answer.toHex().toStdString();
        EXPECT_FALSE(cockpit->flags().LivenessPending);
        EXPECT_EQ(message(), u"Receiving"_s);
    }
}

TEST_F(RelayLinkTest, OnceActiveTheTimerStopsAndEveryCycleAsksForARecord)
{
    connectCockpit();
    askLiveness();
    deliver(relay::livenessAnswer(true));
    ASSERT_TRUE(cockpit->flags().SimActive);

    cockpit->tmrOstrel_Timer();
    EXPECT_EQ(controls().sbStatusBar.panelText(2), u"Ostrel"_s);
    EXPECT_FALSE(cockpit->livenessTimer().isActive());

    received.clear();
    for (int cycle = 0; cycle < 3; ++cycle)
        cockpit->tmrGlimra_Timer();
    EXPECT_EQ(message(), u"Sending"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return received == "YYY"; }, kWaitMs)) << received.toStdString();
}

TEST_F(RelayLinkTest, AnAnswerTooShortToReadLeavesTheLastReply)
{
    connectCockpit();
    askLiveness();
    deliver(relay::livenessAnswer(true));
    ASSERT_TRUE(cockpit->flags().SimActive);

    cockpit->flags().SimActive = false;
    askLiveness();
    deliver(QByteArray("\x00", 1));
    EXPECT_TRUE(cockpit->flags().SimActive) << "the answer before stands";
    EXPECT_FALSE(cockpit->flags().LivenessPending) << "the next arrival is a record again";
}

TEST_F(RelayLinkTest, ARecordReplacesTheFlightDataWholeAndItsFlagSetsTheLink)
{
    connectCockpit();
    askLiveness();
    deliver(relay::livenessAnswer(true));

    // Whatever the flight data held, the reserved block included, gives way to the record.
    std::fill(std::begin(cockpit->flightData().FlightDataReserved), std::end(cockpit->flightData().FlightDataReserved), 7);
    cockpit->flightData().FTIT = 999.0f; // as the gauge step leaves it
    const QByteArray first = relay::formatRecord(sampleRecord(42.5), true);
    const FlightData expectedFirst = parsedFrom(first, FlightData{});
    deliver(first);
    EXPECT_TRUE(cockpit->flags().SimActive);
    EXPECT_TRUE(same(cockpit->flightData(), expectedFirst));
    EXPECT_TRUE(same(cockpit->relayRecord(), expectedFirst));
    EXPECT_TRUE(std::all_of(std::begin(cockpit->flightData().FlightDataReserved),
                            std::end(cockpit->flightData().FlightDataReserved), [](std::int32_t v) { return v == 0; }));
    EXPECT_EQ(cockpit->flightData().AdiIlsPos2, -0.625f);
    EXPECT_EQ(message(), u"Receiving"_s);

    // A short record changes only what it carries; the rest stays from the record before.
    deliver("R12\r");
    EXPECT_FALSE(cockpit->flags().SimActive) << "its flag is the leading R";
    EXPECT_TRUE(same(cockpit->flightData(), parsedFrom("R12\r", expectedFirst)));
    EXPECT_EQ(cockpit->flightData().ShipNorth, 12.0f);
    EXPECT_EQ(cockpit->flightData().ShipEast, expectedFirst.ShipEast);

    // A record with the flag 0 is copied all the same, and the link goes inactive: the
    // cycle sends nothing more. The "X" sent after it is the first thing the peer sees.
    cockpit->flags().SimActive = true;
    const QByteArray last = relay::formatRecord(sampleRecord(120.0), false);
    const FlightData expectedLast = parsedFrom(last, cockpit->relayRecord());
    deliver(last);
    EXPECT_FALSE(cockpit->flags().SimActive);
    EXPECT_TRUE(same(cockpit->flightData(), expectedLast));
    EXPECT_EQ(cockpit->flightData().UFCTChan, sampleRecord(120.0).UFCTChan);
    received.clear();
    cockpit->tmrGlimra_Timer();
    cockpit->tmrGlimra_Timer();
    askLiveness();
    EXPECT_EQ(received, "X");
}

TEST_F(RelayLinkTest, AnArrivalRightAfterXIsReadAsABooleanWhateverItHolds)
{
    connectCockpit();
    // A record of flag 0 whose first two bytes happen to be FF FF, and a plain active
    // record: read as answers, the first says active and the second does not, the other
    // way round from what their flags say.
    QByteArray looksActive = relay::formatRecord(sampleRecord(10.0), false, '\xFF');
    looksActive.insert(1, '\xFF');
    const std::vector<std::pair<QByteArray, bool>> arrivals = {
        {looksActive, true},
        {relay::formatRecord(sampleRecord(20.0), true), false},
    };
    for (const auto &[bytes, active] : arrivals) {
        cockpit->flightData().FTIT = 999.0f; // as the gauge step leaves it, unlike the staging record
        const FlightData before = cockpit->flightData();
        cockpit->flags().SimActive = false;
        askLiveness();
        deliver(bytes);
        EXPECT_EQ(cockpit->flags().SimActive, active);
        EXPECT_FALSE(cockpit->flags().LivenessPending);
        EXPECT_TRUE(same(cockpit->flightData(), before)) << "nothing is copied after an answer";
        cockpit->socket().getText(); // what the answer left behind
    }
}

TEST_F(RelayLinkTest, NoConnectionShowsEvenWithoutScreenUpdatesSendingAndReceivingDoNot)
{
    for (const bool screenUpdate : {true, false}) {
        SCOPED_TRACE(screenUpdate ? "screen updates on" : "screen updates off");
        connectCockpit(screenUpdate);
        cockpit->flags().SimActive = true;

        controls().lblTCPIPMsg.setCaption(QString());
        cockpit->UpdateCycle();
        EXPECT_EQ(message(), screenUpdate ? u"Sending"_s : QString());
        ASSERT_TRUE(QTest::qWaitFor([&] { return received.contains('Y'); }, kWaitMs));

        controls().lblTCPIPMsg.setCaption(QString());
        deliver(relay::formatRecord(sampleRecord(5.0), true));
        EXPECT_EQ(message(), screenUpdate ? u"Receiving"_s : QString());
        EXPECT_EQ(cockpit->flightData().AdiIlsPos2, -0.625f) << "the record is taken either way";

        client->disconnectFromHost();
        ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit->socket().state() != WinsockClient::Connected; }, kWaitMs));
        cockpit->UpdateCycle();
        EXPECT_EQ(message(), u"No Connection"_s);
    }
}

TEST_F(RelayLinkTest, AfterThePeerHungUpOnlyDcomThenTcpIpConnectsAgain)
{
    connectCockpit();
    QTcpSocket *first = client;
    client->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit->socket().state() == WinsockClient::Closing; }, kWaitMs))
        << cockpit->socket().state();

    controls().optConnectType[0].select();
    EXPECT_EQ(message(), u"Closing"_s) << "the connect is refused and the state shows";
    EXPECT_EQ(cockpit->socket().state(), WinsockClient::Closing);
    EXPECT_FALSE(controls().optConnectType[0].isBold());

    controls().optConnectType[1].select();
    EXPECT_EQ(cockpit->socket().state(), WinsockClient::Closed);
    controls().optConnectType[0].select();
    EXPECT_EQ(message(), u"Connecting"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit->socket().state() == WinsockClient::Connected; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client != first; }, kWaitMs)) << "a new connection";
    stopTimers();
    askLiveness();
    deliver(relay::livenessAnswer(true));
    EXPECT_TRUE(cockpit->flags().SimActive);
}

} // namespace
} // namespace tavrel
