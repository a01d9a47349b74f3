#pragma once

#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

namespace tavrel::test {

// A relay peer on loopback: it takes each connection made to it, keeps every byte it
// receives, and answers each one through `answer` when a test sets it.
class RelayPeer
{
public:
    RelayPeer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, client, [this, socket = client] {
                const QByteArray bytes = socket->readAll();
                received += bytes;
                for (const char request : bytes)
                    if (answer)
                        answer(socket, request);
            });
        });
    }
    quint16 port() const { return server.serverPort(); }

    QTcpServer server;
    QTcpSocket *client = nullptr; // the last connection taken
    QByteArray received;
    std::function<void(QTcpSocket *, char)> answer;
};

} // namespace tavrel::test
