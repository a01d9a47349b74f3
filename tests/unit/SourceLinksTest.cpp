// Both flight data sources through the cockpit: the data server (a scripted object by its
// ProgID) and the relay link (the cockpit's real socket against a loopback peer the test
// drives by hand, the timers stopped so that nothing depends on time); and the socket's
// states on their own.
#include "core/Convert.h"
#include "sources/DataServerFill.h"
#include "sources/RelayWire.h"
#include "support/CockpitHarness.h"
#include "support/RelayPeer.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tavrel;
using namespace Qt::StringLiterals;
using test::waitUntil;

namespace {

int errorOf(const std::function<void()> &statement)
{
    try {
        statement();
    } catch (const Error &e) {
        return e.number();
    }
    return 0;
}

class SourceLinks : public ::testing::Test
{
protected:
    QString message() { return h.controls().lblTCPIPMsg.caption(); }
    QString panel2() { return h.controls().sbStatusBar.panelText(2); }

    // Relay mode, connected to the peer on loopback, both timers stopped.
    void connectRelay(bool screenUpdate = true)
    {
        h.startUp();
        h.controls().chkGlimra[0].setValue(screenUpdate ? 0 : 1);
        h.controls().fldGlimra[0].setText(u" 127.0.0.1 "_s);
        h.controls().fldGlimra[1].setText(QString::number(peer.port()));
        h.controls().optConnectType[0].select();
        ASSERT_TRUE(waitUntil([&] { return h.socket().state() == WinsockClient::Connected && peer.client; }));
        h.stopTimers();
    }
    // The liveness check, which sends "X" while connected and not active.
    void askLiveness()
    {
        const qsizetype before = peer.received.count('X');
        h.cockpit.tmrOstrel_Timer();
        h.livenessTimer().stop();
        ASSERT_TRUE(waitUntil([&] { return peer.received.count('X') > before; }));
    }
    // The peer sends `bytes` in one piece; returns once the cockpit has handled them.
    void deliver(const QByteArray &bytes)
    {
        ASSERT_TRUE(h.afterArrival([&] { peer.client->write(bytes); }));
    }
    // The peer closes the connection; the next cycle finds it gone.
    void loseLink()
    {
        peer.client->disconnectFromHost();
        ASSERT_TRUE(waitUntil([&] { return h.socket().state() == WinsockClient::Closing; }));
        h.cockpit.UpdateCycle();
    }
    // The status text after a record came, and after the link was lost.
    QStringList receiveThenLose()
    {
        h.flags().SimActive = true;
        h.controls().lblTCPIPMsg.setCaption(QString());
        h.cockpit.UpdateCycle();
        deliver(relay::formatRecord(FlightData{}, true));
        const QString received = message();
        loseLink();
        return {received, message()};
    }
    static bool same(const FlightData &a, const FlightData &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

    test::CockpitHarness h;
    test::RelayPeer peer;
};

} // namespace

// The socket's port range.
TEST(SocketStates, PortRange)
{
    WinsockClient client;
    for (const int port : {65536, -1, 65535})
        EXPECT_EQ(errorOf([&] { client.setRemotePort(port); }), port == 65535 ? 0 : 380) << port;
}

// Each field by the server's conversions (77: the field keeps its value).
TEST(DataServerFill, EachFieldByTheServersConversions)
{
    const std::tuple<const char *, QVariant, double> cases[] = {
        {"LightBits", 2.5, 2},
        {"HSIBits", u"3.5"_s, 4},
        {"VersionNum", 2147483648.0, 77},
        {"LightBits", true, -1},
        {"VersionNum", QVariant::fromValue(qint64(1) << 40), 77},
        {"LightBits", u"abc"_s, 77},
        {"KIAS", true, -1},
        {"KIAS", u" 12.5 "_s, 12.5},
        {"KIAS", u""_s, 77},
        {"KIAS", 0.1, double(0.1f)},
        {"KIAS", 1e39, 77},
        {"Mach", QVariant(), 0}};
    for (const auto &[name, value, expected] : cases) {
        auto script = std::make_shared<test::ServerScript>();
        script->properties.insert(QLatin1String(name), value);
        FlightData d{};
        d.LightBits = d.HSIBits = d.VersionNum = 77, d.KIAS = d.Mach = d.Pitch = 77;
        test::ScriptedServer server(script);
        fillFromDataServer(server, d);
        const FieldInfo &f = *findFlightDataField(name);
        const FlightData &read = d;
        EXPECT_EQ(f.kind == FieldKind::Int ? intField(read, f) : floatField(read, f), expected) << name;
    }
}

// The snapshot first, then every field in record order; failed and unfilled fields left alone.
TEST(DataServerFill, EveryFieldInRecordOrder)
{
    auto script = std::make_shared<test::ServerScript>();
    for (const FieldInfo &f : kFlightDataFields) {
        const QString name = QString::fromLatin1(f.name.data(), qsizetype(f.name.size()));
        const int index = int(&f - &kFlightDataFields[0]);
        script->properties.insert(name, f.kind == FieldKind::Text ? QVariant(name) : QVariant(index));
    }
    script->properties.insert(u"DEDLines"_s, QString(150, u'd'));
    script->failing = {u"FillFlightData"_s, u"Pitch"_s};
    FlightData d{};
    d.Pitch = d.AdiIlsPos2 = 7;
    test::ScriptedServer server(script);
    fillFromDataServer(server, d);
    EXPECT_EQ(script->calls.size(), 78) << "the snapshot, then every field but the reserved block and AdiIlsPos2";
    EXPECT_EQ(script->calls.value(0), u"FillFlightData"_s);
    EXPECT_EQ(script->calls.value(1), u"ShipNorth"_s);
    EXPECT_EQ(script->calls.last(), u"VersionNum"_s);
    EXPECT_FALSE(script->calls.contains(u"AdiIlsPos2"_s));
    EXPECT_EQ(d.LightBits3, 36);
    EXPECT_EQ(d.VersionNum, 78);
    EXPECT_EQ(d.TotalFuel, 73.0f);
    EXPECT_EQ(d.Pitch, 7.0f) << "a failing read keeps the field";
    EXPECT_EQ(d.AdiIlsPos2, 7.0f) << "a field the server lacks stays as it was";
    EXPECT_EQ(view(d.DEDLines).toString(), QString(130, u'd'));
}

TEST_F(SourceLinks, TheDataServerIsAskedAtOnceAtStartUp)
{
    h.script->properties.insert(u"Ostrely"_s, false);
    h.startUp();
    EXPECT_EQ(h.script->calls, QStringList{u"Ostrely"_s}) << "no source chosen: the data server";
}

// What each answer makes of the link: SimActive, status panel 2, the liveness timer.
TEST_F(SourceLinks, TheDataServersAnswerSetsTheLink)
{
    h.startUp();
    const std::tuple<QVariant, bool, bool> answers[] = {
        // the value, SimActive before and after
        {true, false, true}, {-1, false, true},         {u"True"_s, false, true}, {u"true"_s, false, true},
        {0, true, false},    {u"FALSE"_s, true, false}, {u"maybe"_s, true, true}, {u"maybe"_s, false, false}};
    for (const auto &[value, before, after] : answers) {
        SCOPED_TRACE(value.toString().toStdString());
        h.script->properties.insert(u"Ostrely"_s, value);
        h.flags().SimActive = before;
        h.livenessTimer().start();
        h.cockpit.tmrOstrel_Timer();
        EXPECT_EQ(h.flags().SimActive, after);
        EXPECT_EQ(panel2(), after ? u"Ostrel"_s : u"Falcon Inactive"_s);
        EXPECT_EQ(h.livenessTimer().isActive(), !after);
    }
}

TEST_F(SourceLinks, TheDataServerChosenAgainIsMadeAnewAndAskedAgain)
{
    h.script->properties.insert(u"Ostrely"_s, true);
    h.startUp();
    h.script->properties.insert(u"Ostrely"_s, false);
    h.controls().optConnectType[1].select();
    EXPECT_FALSE(h.flags().SimActive);
    EXPECT_EQ(h.script->created, 2);
}

TEST(SourceLinksUnregistered, WithoutADataServerTheLinkWaitsAndCyclesFillNothing)
{
    test::CockpitHarness h({}, /*registered=*/false);
    h.startUp();
    EXPECT_EQ(h.dataServer(), nullptr);
    EXPECT_TRUE(h.livenessTimer().isActive());
    h.cockpit.UpdateCycle(); // no crash
}

TEST_F(SourceLinks, ChoosingTheRelayClosesTheDataServer)
{
    connectRelay();
    EXPECT_EQ(h.script->calls.last(), u"Close"_s);
    EXPECT_EQ(h.socket().remoteHost(), u"127.0.0.1"_s) << "blanks around the address are dropped";
}

// Only -1 makes the link active; one byte cannot be read, the last answer stands.
TEST_F(SourceLinks, TheRelaysAnswerToXSetsTheLink)
{
    connectRelay();
    for (const auto &[answer, active] : {std::pair{QByteArray("\xFF\x00", 2), false},
                                         {QByteArray("\x00\xFF", 2), false},
                                         {QByteArray("\xFF\xFF", 2), true},
                                         {QByteArray("\x00", 1), true}}) {
        SCOPED_TRACE(answer.toHex().toStdString());
        h.flags().SimActive = false;
        askLiveness();
        EXPECT_TRUE(h.controls().optConnectType[0].isBold());
        EXPECT_EQ(message(), u"Falcon Check"_s);
        deliver(answer);
        EXPECT_EQ(h.flags().SimActive, active);
        EXPECT_EQ(h.flags().LivenessPending, false);
        EXPECT_EQ(message(), u"Receiving"_s);
    }
}

TEST_F(SourceLinks, AnActiveRelayIsAskedYEveryCycle)
{
    connectRelay();
    h.flags().SimActive = true;
    h.cockpit.tmrOstrel_Timer();
    EXPECT_EQ(panel2(), u"Ostrel"_s);
    EXPECT_FALSE(h.livenessTimer().isActive());
    peer.received.clear();
    for (int cycle = 0; cycle < 3; ++cycle)
        h.cockpit.tmrGlimra_Timer();
    EXPECT_EQ(message(), u"Sending"_s);
    EXPECT_TRUE(waitUntil([&] { return peer.received == "YYY"; })) << peer.received.toStdString();
}

// Whatever the flight data held, the reserved block included, gives way to the record; a
// short record changes only what it carries; the flag sets the link.
TEST_F(SourceLinks, ARecordReplacesTheFlightDataWhole)
{
    connectRelay();
    FlightData sent{}, expected{};
    sent.KIAS = 321.5f, sent.AdiIlsPos2 = -0.625f, sent.UFCTChan = 109;
    FlightReserved &reserved = h.flight().FlightDataReserved;
    std::fill(std::begin(reserved), std::end(reserved), 7);
    h.flight().FTIT = 999.0f; // as the gauge step leaves it
    for (const auto &[bytes, active] : {std::pair{relay::formatRecord(sent, true), true}, {"R12\r"_ba, false}}) {
        h.flags().SimActive = !active;
        deliver(bytes);
        relay::parseRecord(convert::decodeWindows1252(bytes), expected);
        EXPECT_EQ(h.flags().SimActive, active);
        EXPECT_TRUE(same(h.flight(), expected));
        EXPECT_TRUE(same(h.relayRecord(), expected));
    }
}

// After a record of flag 0 (copied all the same, above) the cycle sends nothing more, and
// the "X" after it is the first thing the peer sees.
TEST_F(SourceLinks, ARecordOfFlag0MakesTheLinkInactive)
{
    connectRelay();
    h.flags().SimActive = true;
    deliver(relay::formatRecord(FlightData{}, false));
    peer.received.clear();
    h.cockpit.tmrGlimra_Timer();
    askLiveness();
    EXPECT_EQ(peer.received.toStdString(), "X");
}

// "Receiving" shows with screen updates only; "No Connection" always.
TEST_F(SourceLinks, TheLinksStateShowsWithScreenUpdates)
{
    connectRelay(true);
    EXPECT_EQ(receiveThenLose(), (QStringList{u"Receiving"_s, u"No Connection"_s}));
}

TEST_F(SourceLinks, WithoutScreenUpdatesOnlyTheLossShows)
{
    connectRelay(false);
    EXPECT_EQ(receiveThenLose(), (QStringList{QString(), u"No Connection"_s}));
}

// Refused while the lost link closes, the state shows; DCOM closes the socket, and TCP/IP
// then connects again (a port box without a number leaves the port before).
TEST_F(SourceLinks, ALostLinkConnectsAgainOnlyAfterDcom)
{
    connectRelay();
    loseLink();
    h.controls().optConnectType[0].select();
    EXPECT_EQ(message(), u"Closing"_s);
    EXPECT_FALSE(h.controls().optConnectType[0].isBold());
    const int port = peer.port();
    h.controls().optConnectType[1].select();
    EXPECT_EQ(h.socket().state(), WinsockClient::Closed);
    h.controls().fldGlimra[1].setText(u"twelve"_s);
    h.controls().optConnectType[0].select();
    EXPECT_EQ(message(), u"Connecting"_s);
    EXPECT_EQ(h.socket().remotePort(), port);
    EXPECT_TRUE(waitUntil([&] { return h.socket().state() == WinsockClient::Connected; }));
}
