#include "sources/WinsockClient.h"

#include "core/Error.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tavrel;

namespace {

constexpr int kWaitMs = 10000;

bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, kWaitMs); }

// Expects `statement` to raise tavrel::Error with the given number.
void expectError(int number, const std::function<void()> &statement)
{
    try {
        statement();
        ADD_FAILURE() << "no error raised, expected " << number;
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), number) << e.what();
    }
}

class WinsockClientTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }

    // Connects the client to the server and returns the server's end of the connection.
    QTcpSocket *connectClient()
    {
        client.setRemoteHost(QStringLiteral("127.0.0.1"));
        client.setRemotePort(server.serverPort());
        client.connectToPeer();
        EXPECT_TRUE(waitFor([&] { return client.state() == WinsockClient::Connected; })) << client.state();
        EXPECT_TRUE(waitFor([&] { return server.hasPendingConnections(); }));
        return server.nextPendingConnection();
    }

    QTcpServer server;
    WinsockClient client;
};

} // namespace

TEST(WinsockClientStateText, NamesEveryStateAndNothingElse)
{
    const struct { int state; QStringView text; } cases[] = {
        {0, u"Closed"},     {1, u"Open"},          {2, u"Listening"},  {3, u"Pending"},
        {4, u"Resolving Host"}, {5, u"Host Resolved"}, {6, u"Connecting"}, {7, u"Connected"},
        {8, u"Closing"},    {9, u"Error"},         {10, u""},          {-1, u""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WinsockClient::stateText(c.state), c.text) << c.state;
}

TEST_F(WinsockClientTest, ConnectsToDottedAddressThroughConnecting)
{
    EXPECT_EQ(client.state(), WinsockClient::Closed);
    client.setRemoteHost(QStringLiteral("127.0.0.1"));
    client.setRemotePort(server.serverPort());
    client.connectToPeer();
    EXPECT_EQ(client.state(), WinsockClient::Connecting);
    expectError(Error::SocketNotConnected, [&] { client.sendData(u"x"); });
    EXPECT_TRUE(waitFor([&] { return client.state() == WinsockClient::Connected; })) << client.state();
    EXPECT_TRUE(waitFor([&] { return server.hasPendingConnections(); }));
}

// Every connect by name starts in Resolving Host, also when the name was looked up before
// (the second round) and the answer may already be at hand.
TEST_F(WinsockClientTest, HostNameIsResolvedFirstEveryTime)
{
    QTcpServer anyServer;
    ASSERT_TRUE(anyServer.listen(QHostAddress::Any, 0));
    client.setRemoteHost(QStringLiteral("localhost"));
    client.setRemotePort(anyServer.serverPort());
    for (const int round : {1, 2}) {
        SCOPED_TRACE(round);
        client.connectToPeer();
        EXPECT_EQ(client.state(), WinsockClient::ResolvingHost);
        EXPECT_TRUE(waitFor([&] { return client.state() == WinsockClient::Connected; })) << client.state();
        client.close();
    }
}

TEST_F(WinsockClientTest, SendDataWritesOneBytePerCharacter)
{
    expectError(Error::SocketNotConnected, [&] { client.sendData(u"Y"); });
    QTcpSocket *peer = connectClient();
    ASSERT_NE(peer, nullptr);
    client.sendData(u"Y");
    ASSERT_TRUE(waitFor([&] { return peer->bytesAvailable() >= 1; }));
    client.sendData(u"Z\u00e9\u20ac");
    ASSERT_TRUE(waitFor([&] { return peer->bytesAvailable() >= 4; }));
    EXPECT_EQ(peer->readAll(), QByteArray("YZ\xe9\x80", 4));
}

TEST_F(WinsockClientTest, ConnectWhileConnectedIsRefused)
{
    ASSERT_NE(connectClient(), nullptr);
    expectError(Error::InvalidSocketOperation, [&] { client.connectToPeer(); });
    EXPECT_EQ(client.state(), WinsockClient::Connected);
}

TEST_F(WinsockClientTest, PeerCloseLeavesClosingUntilClose)
{
    QTcpSocket *peer = connectClient();
    ASSERT_NE(peer, nullptr);
    peer->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return client.state() != WinsockClient::Connected; }));
    EXPECT_EQ(client.state(), WinsockClient::Closing);
    expectError(Error::InvalidSocketOperation, [&] { client.connectToPeer(); });
    EXPECT_EQ(client.state(), WinsockClient::Closing);
    expectError(Error::SocketNotConnected, [&] { client.sendData(u"Y"); });

    client.close();
    EXPECT_EQ(client.state(), WinsockClient::Closed);
    ASSERT_NE(connectClient(), nullptr);
    EXPECT_EQ(client.state(), WinsockClient::Connected);
}

TEST_F(WinsockClientTest, ClientCloseReturnsToClosed)
{
    QTcpSocket *peer = connectClient();
    ASSERT_NE(peer, nullptr);
    client.close();
    EXPECT_EQ(client.state(), WinsockClient::Closed);
    EXPECT_TRUE(waitFor([&] { return peer->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(client.state(), WinsockClient::Closed);
}

TEST_F(WinsockClientTest, RefusedConnectionEndsInError)
{
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
    const quint16 port = gone.serverPort();
    gone.close();

    client.setRemoteHost(QStringLiteral("127.0.0.1"));
    client.setRemotePort(port);
    client.connectToPeer();
    ASSERT_TRUE(waitFor([&] { return client.state() == WinsockClient::Error; })) << client.state();
    expectError(Error::InvalidSocketOperation, [&] { client.connectToPeer(); });
    EXPECT_EQ(client.state(), WinsockClient::Error);
    client.close();
    EXPECT_EQ(client.state(), WinsockClient::Closed);
}

TEST_F(WinsockClientTest, RemotePortMustFitSixteenBits)
{
    client.setRemotePort(5555);
    for (const int bad : {70000, 65536, -1}) {
        expectError(380, [&] { client.setRemotePort(bad); });
        EXPECT_EQ(client.remotePort(), 5555) << bad;
    }
    for (const int good : {0, 65535}) {
        client.setRemotePort(good);
        EXPECT_EQ(client.remotePort(), good);
    }
}

TEST_F(WinsockClientTest, ArrivingDataIsSignalledAndRead)
{
    QTcpSocket *peer = connectClient();
    ASSERT_NE(peer, nullptr);
    qint64 waiting = 0;
    int arrivals = 0;
    QObject::connect(&client, &WinsockClient::dataArrival, [&](qint64 total) {
        waiting = total;
        ++arrivals;
    });

    peer->write(QByteArray("\xff\xff\x01\x00", 4));
    ASSERT_TRUE(waitFor([&] { return waiting >= 4; }));
    EXPECT_GE(arrivals, 1);
    EXPECT_EQ(client.getBoolean(), -1);
    EXPECT_EQ(client.getBoolean(), 1);

    peer->write("hello");
    ASSERT_TRUE(waitFor([&] { return waiting >= 5; }));
    EXPECT_EQ(client.getText(), QByteArray("hello"));
}
