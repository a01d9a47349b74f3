#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringView>
#include <QTcpSocket>

#include <cstdint>

namespace tavrel {

// A TCP client with the states, members and failures of the sockets control the relay
// link was written for, over QTcpSocket. Failures raise tavrel::Error. The state moves
// 0 Closed -> 4 Resolving Host / 6 Connecting -> 7 Connected; a peer that closes the
// connection leaves it in 8 Closing and a failure in 9 Error until close() returns it
// to 0. Connect is refused unless the state is 0.
class WinsockClient : public QObject
{
    Q_OBJECT
public:
    enum State : std::int16_t {
        Closed = 0,
        Open = 1,
        Listening = 2,
        ConnectionPending = 3,
        ResolvingHost = 4,
        HostResolved = 5,
        Connecting = 6,
        Connected = 7,
        Closing = 8,
        Error = 9,
    };

    explicit WinsockClient(QObject *parent = nullptr);
    ~WinsockClient() override;

    // The text of a state for the message line; a value outside the table gives "".
    static QStringView stateText(int state);

    void setRemoteHost(const QString &host) { remoteHost_ = host; }
    const QString &remoteHost() const { return remoteHost_; }
    void setRemotePort(std::int32_t port);
    std::int32_t remotePort() const { return remotePort_; }

    void connectToPeer();
    std::int16_t state() const { return state_; }
    // Sends text as its 8-bit characters, one byte per letter, nothing added.
    void sendData(QStringView text);
    // Takes everything that has arrived as 8-bit text.
    QByteArray getText();
    // The same into `text`, whose room is reused, so a steady stream of arrivals reads
    // without allocating.
    void getText(QByteArray &text);
    // Takes one boolean: the next two bytes as a 16-bit little-endian value.
    std::int16_t getBoolean();
    // What has arrived and not been taken yet.
    qint64 bytesAvailable() const { return socket_.bytesAvailable(); }
    void close();

Q_SIGNALS:
    // Data has arrived; the count is what is waiting to be read.
    void dataArrival(qint64 bytesTotal);

private:
    void setState(std::int16_t state) { state_ = state; }
    // The log's lines on the connection (tavrel.relay).
    QString peer() const;
    void logConnected();
    void logEnd(std::int16_t end);

    QTcpSocket socket_;
    QString remoteHost_;
    std::int32_t remotePort_ = 0;
    std::int16_t state_ = Closed;
    bool starting_ = false;
    int connections_ = 0; // made since the client was
    int failedTries_ = 0; // in a row, since the last connection
    QByteArray sendBuffer_;
};

} // namespace tavrel
