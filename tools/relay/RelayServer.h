#pragma once

#include "FlightSource.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

namespace tavrel::relay {

// Serves one client at a time: the connection being served is answered request by
// request; the others wait, connected, until it closes, and are then served in the order
// they came. Every "X" and "Y" gets its answer from the source; other bytes are ignored.
class RelayServer final : public QObject
{
    Q_OBJECT

public:
    // `log` (when set) hears one line per request served.
    explicit RelayServer(FlightSource &source, std::function<void(const QString &)> log = {},
                         QObject *parent = nullptr);
    ~RelayServer() override;

    // Starts listening; on failure `error` says why ("address in use" or Qt's text).
    bool listen(const QHostAddress &address, quint16 port, QString &error);
    quint16 port() const { return server_.serverPort(); }

private:
    void takeNextClient();
    void serve();
    void clientClosed(QTcpSocket *socket);

    FlightSource &source_;
    std::function<void(const QString &)> log_;
    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    QString clientName_;
};

} // namespace tavrel::relay
