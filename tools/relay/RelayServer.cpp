#include "RelayServer.h"

#include <QTcpSocket>

namespace tavrel::relay {

using namespace Qt::StringLiterals;

namespace {

// A client that sends requests without reading the answers stops being read once this
// much is waiting to go out, until it has taken some; the kernel then holds it back.
constexpr qint64 kMaxUnsent = 1 << 20;
constexpr qint64 kReadBufferSize = 64 * 1024;

QString endpoint(const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + address.toString() + u']'
                                                                             : address.toString();
    return host + u':' + QString::number(port);
}

QString describeAnswer(char request, const QByteArray &answer)
{
    if (request == 'X')
        return u"X -> "_s + QString::fromLatin1(answer.toHex(' ').toUpper());
    const QString flag = answer.isEmpty() ? u"none"_s : QString::fromLatin1(answer.right(1));
    return u"Y -> %1 bytes, flag %2"_s.arg(answer.size()).arg(flag);
}

} // namespace

RelayServer::RelayServer(FlightSource &source, std::function<void(const QString &)> log, QObject *parent)
    : QObject(parent)
    , source_(source)
    , log_(std::move(log))
{
    // One connection is served; at most one more is taken from the kernel and held
    // unread, the rest stay in the listen queue.
    server_.setMaxPendingConnections(1);
    connect(&server_, &QTcpServer::newConnection, this, &RelayServer::takeNextClient);
}

RelayServer::~RelayServer()
{
    if (client_)
        client_->abort();
}

bool RelayServer::listen(const QHostAddress &address, quint16 port, QString &error)
{
    if (server_.listen(address, port))
        return true;
    const QString reason = server_.serverError() == QAbstractSocket::AddressInUseError ? u"address in use"_s
                                                                                       : server_.errorString();
    error = u"cannot listen on %1: %2"_s.arg(endpoint(address, port), reason);
    return false;
}

void RelayServer::takeNextClient()
{
    while (!client_ && server_.hasPendingConnections()) {
        QTcpSocket *socket = server_.nextPendingConnection();
        if (socket->state() != QAbstractSocket::ConnectedState) {
            socket->deleteLater(); // gone while it waited
            continue;
        }
        client_ = socket;
        clientName_ = endpoint(socket->peerAddress(), socket->peerPort());
        source_.clientTaken();
        socket->setReadBufferSize(kReadBufferSize);
        connect(socket, &QTcpSocket::readyRead, this, &RelayServer::serve);
        connect(socket, &QTcpSocket::bytesWritten, this, &RelayServer::serve);
        // Queued, so a connection that drops while an answer is written is let go after
        // serve() has returned.
        connect(
            socket, &QTcpSocket::disconnected, this, [this, socket] { clientClosed(socket); }, Qt::QueuedConnection);
        serve(); // what arrived while it waited
    }
}

void RelayServer::serve()
{
    QTcpSocket *socket = client_;
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    while (socket->bytesToWrite() < kMaxUnsent && socket->bytesAvailable() > 0) {
        const QByteArray requests = socket->read(4096);
        const QByteArray answers = answerRequests(requests, source_, [this](char request, const QByteArray &answer) {
            if (log_)
                log_(clientName_ + u' ' + describeAnswer(request, answer));
        });
        if (!answers.isEmpty())
            socket->write(answers);
        if (!client_)
            return;
    }
}

void RelayServer::clientClosed(QTcpSocket *socket)
{
    if (client_ == socket)
        client_ = nullptr;
    socket->deleteLater();
    takeNextClient();
}

} // namespace tavrel::relay
