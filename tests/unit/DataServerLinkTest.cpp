#include "cockpit/Cockpit.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using test::ServerScript;

class DataServerLinkTest : public ::testing::Test
{
protected:
    void start(bool registered = true)
    {
        cockpit = std::make_unique<Cockpit>(platform, test::scriptedFactory(script, registered));
        cockpit->startUp();
    }
    QString panel2() const { return cockpit->controls().sbStatusBar.panelText(2); }
    CockpitControls &controls() { return cockpit->controls(); }

    // A relay peer on loopback that accepts one client and keeps what it sends.
    void listen()
    {
        ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&peer, &QTcpServer::newConnection, [this] {
            client = peer.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, [this] { received += client->readAll(); });
        });
        controls().fldGlimra[0].setText(u" 127.0.0.1 "_s);
        controls().fldGlimra[1].setText(QString::number(peer.serverPort()));
    }
    void connectRelay()
    {
        controls().optConnectType[0].select();
        ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit->socket().state() == WinsockClient::Connected; }, 5000));
    }

    std::shared_ptr<ServerScript> script = std::make_shared<ServerScript>();
    test::TestPlatform platform;
    std::unique_ptr<Cockpit> cockpit;
    QTcpServer peer;
    QTcpSocket *client = nullptr;
    QByteArray received;
};

TEST_F(DataServerLinkTest, StartUpWithoutASourceChoosesTheDataServerAndAsksItUntilActive)
{
    script->properties.insert(u"Ostrely"_s, false);
    start();
    EXPECT_TRUE(controls().optConnectType[1].value());
    EXPECT_EQ(script->created, 1);
    EXPECT_EQ(script->calls, QStringList{u"Ostrely"_s}) << "the liveness timer runs once at once";
    EXPECT_FALSE(cockpit->flags().SimActive);
    EXPECT_EQ(panel2(), u"Falcon Inactive"_s);
    EXPECT_TRUE(cockpit->livenessTimer().isActive());
    EXPECT_FALSE(controls().fldGlimra[0].isEnabled());

    // Truthy values of the kinds a server may return.
    for (const QVariant &active : {QVariant(true), QVariant(-1), QVariant(u"True"_s)}) {
        cockpit->flags().SimActive = false;
        script->properties.insert(u"Ostrely"_s, active);
        cockpit->tmrOstrel_Timer();
        EXPECT_TRUE(cockpit->flags().SimActive) << active.toString().toStdString();
        EXPECT_EQ(panel2(), u"Ostrel"_s);
        EXPECT_FALSE(cockpit->livenessTimer().isActive()) << "the timer stops itself once active";
    }
}

TEST_F(DataServerLinkTest, AFailingOstrelyReadLeavesTheFlagAndKeepsAsking)
{
    start();
    script->failing.insert(u"Ostrely"_s);
    for (bool before : {false, true}) {
        cockpit->flags().SimActive = before;
        cockpit->tmrOstrel_Timer();
        EXPECT_EQ(cockpit->flags().SimActive, before);
    }
    script->properties.insert(u"Ostrely"_s, u"maybe"_s);
    script->failing.clear();
    cockpit->flags().SimActive = false;
    cockpit->tmrOstrel_Timer();
    EXPECT_FALSE(cockpit->flags().SimActive) << "a value that is no boolean changes nothing";
    EXPECT_TRUE(cockpit->livenessTimer().isActive());
}

TEST_F(DataServerLinkTest, AServerThatCannotBeCreatedLeavesTheLinkWaiting)
{
    start(/*registered=*/false);
    EXPECT_EQ(cockpit->dataServer(), nullptr);
    EXPECT_FALSE(cockpit->flags().SimActive);
    EXPECT_EQ(panel2(), u"Falcon Inactive"_s);
    EXPECT_TRUE(cockpit->livenessTimer().isActive());
    cockpit->flags().SimActive = true;
    cockpit->UpdateCycle(); // no server: nothing to fill, no crash
}

TEST_F(DataServerLinkTest, ActiveStaysActiveOnlyIfTheServerStillSaysSoWhenTheOptionIsChosenAgain)
{
    script->properties.insert(u"Ostrely"_s, true);
    start();
    ASSERT_TRUE(cockpit->flags().SimActive);
    script->properties.insert(u"Ostrely"_s, false);
    controls().optConnectType[1].select();
    EXPECT_FALSE(cockpit->flags().SimActive);
    EXPECT_TRUE(cockpit->livenessTimer().isActive());
    EXPECT_EQ(script->created, 2) << "choosing the data server creates it anew";
}

TEST_F(DataServerLinkTest, ChoosingTheRelayClosesTheServerAndShowsTheSocketStateOnlyWithScreenUpdates)
{
    for (int screenOff : {0, 1}) {
        script->calls.clear();
        start();
        listen();
        controls().chkGlimra[0].setValue(screenOff);
        controls().optConnectType[0].select();
        EXPECT_EQ(script->calls.last(), u"Close"_s);
        EXPECT_EQ(cockpit->dataServer(), nullptr);
        EXPECT_TRUE(controls().fldGlimra[0].isEnabled());
        EXPECT_TRUE(controls().fldGlimra[1].isEnabled());
        EXPECT_EQ(cockpit->socket().remoteHost(), u"127.0.0.1"_s) << "blanks around the address are dropped";
        EXPECT_EQ(cockpit->socket().remotePort(), peer.serverPort());
        EXPECT_EQ(controls().lblTCPIPMsg.caption(), screenOff ? QString() : u"Connecting"_s);
        peer.close();
    }
    controls().fldGlimra[0].setText(u"\t127.0.0.1 "_s);
    controls().optConnectType[0].select();
    EXPECT_EQ(cockpit->socket().remoteHost(), u"\t127.0.0.1"_s) << "only blanks are dropped";
}

TEST_F(DataServerLinkTest, RelayLivenessAsksWithXWhileConnectedAndNotActive)
{
    start();
    listen();
    connectRelay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return client != nullptr; }, 5000));

    cockpit->tmrOstrel_Timer();
    EXPECT_TRUE(controls().optConnectType[0].isBold());
    EXPECT_TRUE(cockpit->flags().LivenessPending);
    EXPECT_EQ(controls().lblTCPIPMsg.caption(), u"Falcon Check"_s);
    EXPECT_EQ(panel2(), u"Falcon Inactive"_s);
    EXPECT_TRUE(cockpit->livenessTimer().isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.contains('X'); }, 5000));

    // Once active, the timer asks nothing more and stops itself.
    received.clear();
    cockpit->flags().SimActive = true;
    cockpit->flags().LivenessPending = false;
    cockpit->tmrOstrel_Timer();
    EXPECT_FALSE(cockpit->flags().LivenessPending);
    EXPECT_EQ(panel2(), u"Ostrel"_s);
    EXPECT_FALSE(cockpit->livenessTimer().isActive());

    // The cycle asks for a record with "Y".
    cockpit->UpdateCycle();
    EXPECT_EQ(controls().lblTCPIPMsg.caption(), u"Sending"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == "Y"; }, 5000));

    // Choosing the relay again while connected: the connect is refused, the state shows.
    controls().optConnectType[0].select();
    EXPECT_EQ(controls().lblTCPIPMsg.caption(), u"Connected"_s);
    EXPECT_TRUE(cockpit->flags().SimActive) << "relay mode leaves the flag as it is";
    EXPECT_FALSE(cockpit->livenessTimer().isActive());
}

TEST_F(DataServerLinkTest, ChoosingTheDataServerClosesTheSocketFirstAndTheRelayLosesItsBoldFace)
{
    start();
    listen();
    connectRelay();
    cockpit->tmrOstrel_Timer();
    ASSERT_TRUE(controls().optConnectType[0].isBold());
    const int createdBefore = script->created;

    controls().optConnectType[1].select();
    EXPECT_EQ(cockpit->socket().state(), WinsockClient::Closed);
    EXPECT_FALSE(controls().optConnectType[0].isBold());
    EXPECT_EQ(script->created, createdBefore + 1);
    cockpit->tmrOstrel_Timer();
    EXPECT_FALSE(controls().optConnectType[0].isBold()) << "no bold face in data server mode";
}

TEST_F(DataServerLinkTest, APortThatIsNoNumberKeepsThePreviousPortAndStillConnects)
{
    start();
    listen();
    const int port = peer.serverPort();
    controls().optConnectType[0].select();
    controls().optConnectType[1].select();
    controls().fldGlimra[1].setText(u"twelve"_s);
    controls().optConnectType[0].select();
    EXPECT_EQ(cockpit->socket().remotePort(), port);
    EXPECT_TRUE(QTest::qWaitFor([&] { return cockpit->socket().state() == WinsockClient::Connected; }, 5000));
}

} // namespace
} // namespace tavrel
