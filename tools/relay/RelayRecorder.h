#pragma once

#include "Recording.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

namespace tavrel::relay {

// Records another relay peer: connects to it as the cockpit does, asks "X" until the
// simulator is active, then "Y", one request at a time at the interval, and appends each
// record to the file with its time, flushed at once, so the file is a whole recording at
// every moment. A record whose flag says inactive is kept, and "X" is asked again.
class RelayRecorder final : public QObject
{
    Q_OBJECT

public:
    static constexpr int kConnectTimeoutMs = 10000;

    RelayRecorder(QString host, quint16 port, int intervalMs, std::function<void(const QString &)> log = {},
                  QObject *parent = nullptr);
    ~RelayRecorder() override;

    // Creates the file (replacing one that is there) and starts connecting; false with
    // `error` set when the file cannot be written.
    bool start(const QString &path, QString &error);
    // Closes the file and the connection; finished() follows with code 0.
    void stop(const QString &why);
    qsizetype recordsWritten() const { return written_; }

Q_SIGNALS:
    // The recording is over: exit code 0 (stopped, or the peer went away) or 2 (the peer
    // could not be reached, the file could not be written, the peer's answers made no
    // sense). `message` says why and how many records the file holds.
    void finished(int code, const QString &message);

private:
    enum class Waiting { Nothing, Liveness, Record };

    void ask();
    void received();
    void keep(const QByteArray &record);
    void end(int code, const QString &why);
    QString peer() const;

    QString host_;
    quint16 port_;
    std::function<void(const QString &)> log_;
    QTcpSocket socket_;
    QTimer ticker_;
    QTimer connectTimeout_;
    QFile file_;
    QString path_;
    QElapsedTimer sinceFirst_;
    QByteArray buffer_;
    Waiting waiting_ = Waiting::Nothing;
    bool connected_ = false;
    bool active_ = false;
    bool ended_ = false;
    qsizetype written_ = 0;
};

} // namespace tavrel::relay
