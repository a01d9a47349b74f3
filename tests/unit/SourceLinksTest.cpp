// Both flight data sources through the cockpit: the data server (a scripted object by its
// ProgID) and the relay link (the cockpit's real socket against a loopback peer the test
// drives by hand, the timers stopped so that nothing depends on time); and the socket's
// states on their own.
#include "cockpit/Cockpit.h"
#include "core/Convert.h"
#include "sources/DataServerFill.h"
#include "sources/RelayWire.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cstring>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 10000); }

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
    void start(bool registered = true)
    {
        cockpit = std::make_unique<Cockpit>(platform, test::scriptedFactory(script, registered));
        cockpit->startUp();
        QObject::connect(&cockpit->relay().socket(), &WinsockClient::dataArrival, [this] { ++arrivals; });
    }
    CockpitControls &controls() { return cockpit->controls(); }
    QString message() { return controls().lblTCPIPMsg.caption(); }
    QString panel2() { return controls().sbStatusBar.panelText(2); }

    // Relay mode, connected to the peer on loopback, both timers stopped.
    void connectRelay(bool screenUpdate = true)
    {
        start();
        if (!peer.isListening()) {
            ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
            QObject::connect(&peer, &QTcpServer::newConnection, [this] {
                client = peer.nextPendingConnection();
                QObject::connect(client, &QTcpSocket::readyRead, [this, c = client] { received += c->readAll(); });
            });
        }
        client = nullptr;
        controls().chkGlimra[0].setValue(screenUpdate ? 0 : 1);
        controls().fldGlimra[0].setText(u" 127.0.0.1 "_s);
        controls().fldGlimra[1].setText(QString::number(peer.serverPort()));
        controls().optConnectType[0].select();
        ASSERT_TRUE(waitFor([&] { return cockpit->relay().socket().state() == WinsockClient::Connected && client; }));
        cockpit->pollingTimer().stop();
        cockpit->livenessTimer().stop();
    }
    // The liveness check, which sends "X" while connected and not active.
    void askLiveness()
    {
        const qsizetype before = received.count('X');
        cockpit->tmrOstrel_Timer();
        cockpit->livenessTimer().stop();
        ASSERT_TRUE(waitFor([&] { return received.count('X') > before; }));
    }
    // The peer sends `bytes` in one piece; returns once the cockpit has handled them.
    void deliver(const QByteArray &bytes)
    {
        const int before = arrivals;
        client->write(bytes);
        ASSERT_TRUE(waitFor([&] { return arrivals > before; }));
    }
    bool flightDataIs(const FlightData &d) { return std::memcmp(&cockpit->flightData(), &d, sizeof d) == 0; }

    std::shared_ptr<test::ServerScript> script = std::make_shared<test::ServerScript>();
    test::TestPlatform platform;
    QTcpServer peer;
    QTcpSocket *client = nullptr;
    QByteArray received;
    int arrivals = 0;
    std::unique_ptr<Cockpit> cockpit;
};

} // namespace

// The socket's port range.
TEST(SocketStates, PortRange)
{
    WinsockClient client;
    for (const int port : {65536, -1, 65535})
        EXPECT_EQ(errorOf([&] { client.setRemotePort(port); }), port == 65535 ? 0 : 380) << port;
}

// Each field by the server's conversions (77: the field keeps its value), the snapshot
// first and then every field in record order, failed and unfilled fields left alone.
TEST(DataServerFill, EachFieldByTheServersConversionsInRecordOrder)
{
    const std::tuple<const char *, QVariant, double> cases[] = {
        {"LightBits", 2.5, 2}, {"HSIBits", u"3.5"_s, 4}, {"VersionNum", 2147483648.0, 77}, {"LightBits", true, -1},
        {"VersionNum", QVariant::fromValue(qint64(1) << 40), 77}, {"LightBits", u"abc"_s, 77}, {"KIAS", true, -1},
        {"KIAS", u" 12.5 "_s, 12.5}, {"KIAS", u""_s, 77}, {"KIAS", 0.1, double(0.1f)}, {"Mach", QVariant(), 0}};
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
    EXPECT_EQ(script->calls.first() + script->calls[1] + script->calls.last(), u"FillFlightDataShipNorthVersionNum"_s);
    EXPECT_FALSE(script->calls.contains(u"AdiIlsPos2"_s));
    EXPECT_EQ(std::tuple(d.LightBits3, d.VersionNum, d.TotalFuel, d.Pitch, d.AdiIlsPos2),
              std::tuple(36, 78, 73.0f, 7.0f, 7.0f));
    EXPECT_EQ(view(d.DEDLines).toString(), QString(130, u'd'));
}

TEST_F(SourceLinks, TheDataServerIsAskedOnceASecondUntilActive)
{
    script->properties.insert(u"Ostrely"_s, false);
    start();
    EXPECT_EQ(script->calls, QStringList{u"Ostrely"_s}) << "no source chosen: the data server, asked once at once";
    const std::tuple<QVariant, bool, bool> answers[] = { // the value, SimActive before and after
        {true, false, true}, {-1, false, true}, {u"True"_s, false, true}, {u"true"_s, false, true},
        {0, true, false}, {u"FALSE"_s, true, false}, {u"maybe"_s, true, true}, {u"maybe"_s, false, false}};
    for (const auto &[value, before, after] : answers) {
        script->properties.insert(u"Ostrely"_s, value);
        cockpit->flags().SimActive = before;
        cockpit->livenessTimer().start();
        cockpit->tmrOstrel_Timer();
        EXPECT_EQ(std::tuple(cockpit->flags().SimActive, panel2(), cockpit->livenessTimer().isActive()),
                  std::tuple(after, after ? u"Ostrel"_s : u"Falcon Inactive"_s, !after))
            << value.toString().toStdString();
    }
    script->properties.insert(u"Ostrely"_s, false);
    controls().optConnectType[1].select();
    EXPECT_FALSE(cockpit->flags().SimActive) << "chosen again, the server is made anew and asked again";
    EXPECT_EQ(script->created, 2);
    start(/*registered=*/false);
    EXPECT_TRUE(cockpit->dataServer() == nullptr && cockpit->livenessTimer().isActive());
    cockpit->UpdateCycle(); // no server: nothing to fill, no crash
}

TEST_F(SourceLinks, TheRelayAsksXUntilActiveThenYEveryCycle)
{
    connectRelay();
    EXPECT_EQ(script->calls.last(), u"Close"_s) << "choosing the relay closes the data server";
    EXPECT_EQ(cockpit->relay().socket().remoteHost(), u"127.0.0.1"_s) << "blanks around the address are dropped";

    for (const auto &[answer, active] : {std::pair{QByteArray("\xFF\x00", 2), false},
                                         {QByteArray("\x00\xFF", 2), false},
                                         {QByteArray("\xFF\xFF", 2), true}, {QByteArray("\x00", 1), true}}) {
        cockpit->flags().SimActive = false;
        askLiveness();
        EXPECT_TRUE(controls().optConnectType[0].isBold() && message() == u"Falcon Check"_s);
        deliver(answer); // only -1 makes the link active; one byte cannot be read, the last answer stands
        EXPECT_EQ(std::tuple(cockpit->flags().SimActive, cockpit->flags().LivenessPending, message()),
                  std::tuple(active, false, u"Receiving"_s)) << answer.toHex().toStdString();
    }
    cockpit->relay().socket().getText();
    cockpit->tmrOstrel_Timer();
    EXPECT_TRUE(panel2() == u"Ostrel"_s && !cockpit->livenessTimer().isActive());
    received.clear();
    for (int cycle = 0; cycle < 3; ++cycle)
        cockpit->tmrGlimra_Timer();
    EXPECT_EQ(message(), u"Sending"_s);
    EXPECT_TRUE(waitFor([&] { return received == "YYY"; })) << received.toStdString();
}

TEST_F(SourceLinks, ARecordReplacesTheFlightDataWholeAndItsFlagSetsTheLink)
{
    connectRelay();
    FlightData sent{}, expected{};
    sent.KIAS = 321.5f, sent.AdiIlsPos2 = -0.625f, sent.UFCTChan = 109;
    // Whatever the flight data held, the reserved block included, gives way to the record;
    // a short record changes only what it carries; the flag sets the link.
    FlightReserved &reserved = cockpit->flightData().FlightDataReserved;
    std::fill(std::begin(reserved), std::end(reserved), 7);
    cockpit->flightData().FTIT = 999.0f; // as the gauge step leaves it
    for (const auto &[bytes, active] : {std::pair{relay::formatRecord(sent, true), true}, {"R12\r"_ba, false}}) {
        cockpit->flags().SimActive = !active;
        deliver(bytes);
        relay::parseRecord(convert::decodeWindows1252(bytes), expected);
        EXPECT_EQ(cockpit->flags().SimActive, active);
        EXPECT_TRUE(flightDataIs(expected) && std::memcmp(&cockpit->relay().stagingRecord(), &expected, sizeof expected) == 0);
    }
    // A record of flag 0 is copied all the same and the link goes inactive: the cycle sends
    // nothing more, and the "X" after it is the first thing the peer sees.
    cockpit->flags().SimActive = true;
    sent.UFCTChan = 110;
    deliver(relay::formatRecord(sent, false));
    EXPECT_FALSE(cockpit->flags().SimActive);
    EXPECT_EQ(cockpit->flightData().UFCTChan, 110);
    received.clear();
    cockpit->tmrGlimra_Timer();
    askLiveness();
    EXPECT_EQ(received, "X");
}

TEST_F(SourceLinks, AfterTheLinkIsLostOnlyDcomThenTcpIpConnectsAgain)
{
    for (const bool screenUpdate : {true, false}) {
        connectRelay(screenUpdate);
        cockpit->flags().SimActive = true;
        controls().lblTCPIPMsg.setCaption(QString());
        cockpit->UpdateCycle();
        deliver(relay::formatRecord(FlightData{}, true));
        EXPECT_EQ(message(), screenUpdate ? u"Receiving"_s : QString()) << "Sending and Receiving: screen updates only";
        client->disconnectFromHost();
        ASSERT_TRUE(waitFor([&] { return cockpit->relay().socket().state() == WinsockClient::Closing; }));
        cockpit->UpdateCycle();
        EXPECT_EQ(message(), u"No Connection"_s);
    }
    controls().chkGlimra[0].setValue(0);
    controls().optConnectType[0].select();
    EXPECT_TRUE(message() == u"Closing"_s && !controls().optConnectType[0].isBold()) << "refused, the state shows";
    const int port = peer.serverPort();
    controls().optConnectType[1].select();
    EXPECT_EQ(cockpit->relay().socket().state(), WinsockClient::Closed);
    controls().fldGlimra[1].setText(u"twelve"_s); // no number: the port before stands
    controls().optConnectType[0].select();
    EXPECT_TRUE(message() == u"Connecting"_s && cockpit->relay().socket().remotePort() == port);
    EXPECT_TRUE(waitFor([&] { return cockpit->relay().socket().state() == WinsockClient::Connected; }));
}
