#include "RelayRecorder.h"

#include "FlightSource.h"

#include "core/Convert.h"
#include "sources/RelayWire.h"

namespace tavrel::relay {

using namespace Qt::StringLiterals;

RelayRecorder::RelayRecorder(QString host, quint16 port, int intervalMs, std::function<void(const QString &)> log,
                             QObject *parent)
    : QObject(parent)
    , host_(std::move(host))
    , port_(port)
    , log_(std::move(log))
{
    ticker_.setInterval(intervalMs);
    connect(&ticker_, &QTimer::timeout, this, &RelayRecorder::ask);
    connectTimeout_.setSingleShot(true);
    connectTimeout_.setInterval(kConnectTimeoutMs);
    connect(&connectTimeout_, &QTimer::timeout, this,
            [this] { end(2, u"cannot reach %1: no answer within %2 s"_s.arg(peer()).arg(kConnectTimeoutMs / 1000)); });

    connect(&socket_, &QTcpSocket::connected, this, [this] {
        connected_ = true;
        connectTimeout_.stop();
        ticker_.start();
        ask();
    });
    connect(&socket_, &QTcpSocket::readyRead, this, &RelayRecorder::received);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (!connected_)
            end(2, u"cannot reach %1: %2"_s.arg(peer(), socket_.errorString()));
        else if (socket_.state() != QAbstractSocket::ConnectedState)
            end(0, u"%1 went away"_s.arg(peer()));
    });
    connect(&socket_, &QTcpSocket::disconnected, this, [this] { end(0, u"%1 went away"_s.arg(peer())); });
}

RelayRecorder::~RelayRecorder()
{
    socket_.disconnect(this);
    socket_.abort();
}

QString RelayRecorder::peer() const
{
    return (host_.contains(u':') ? u'[' + host_ + u']' : host_) + u':' + QString::number(port_);
}

bool RelayRecorder::start(const QString &path, QString &error)
{
    path_ = path;
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file_.write(kRecordingHeader.data(), kRecordingHeader.size()) != kRecordingHeader.size() || !file_.flush()) {
        error = u"cannot write %1: %2"_s.arg(path, file_.errorString());
        file_.close();
        return false;
    }
    connectTimeout_.start();
    socket_.connectToHost(host_, port_);
    return true;
}

void RelayRecorder::stop(const QString &why)
{
    end(0, why);
}

void RelayRecorder::ask()
{
    if (ended_ || waiting_ != Waiting::Nothing || socket_.state() != QAbstractSocket::ConnectedState)
        return;
    waiting_ = active_ ? Waiting::Record : Waiting::Liveness;
    const char request = active_ ? kRecordRequest : kLivenessRequest;
    socket_.write(&request, 1);
}

void RelayRecorder::received()
{
    buffer_ += socket_.readAll();
    if (waiting_ == Waiting::Nothing) {
        buffer_.clear(); // nothing was asked: not an answer
        return;
    }
    if (waiting_ == Waiting::Liveness) {
        const QByteArray answer = livenessAnswer(true);
        if (buffer_.size() < answer.size())
            return;
        active_ = buffer_.startsWith(answer);
        if (log_)
            log_(u"X -> "_s + QString::fromLatin1(buffer_.first(answer.size()).toHex(' ').toUpper()));
        buffer_.clear();
        waiting_ = Waiting::Nothing;
        if (active_)
            ask(); // the first record at once
        return;
    }
    const qsizetype length = completeRecordLength(buffer_);
    if (length == 0) {
        if (buffer_.size() > kMaxRecordBytes)
            end(2, u"%1 sent %2 bytes that do not make a record (84 fields ended by CR and a flag)"_s.arg(peer()).arg(
                       buffer_.size()));
        return;
    }
    const QByteArray record = buffer_.first(length);
    buffer_.clear();
    waiting_ = Waiting::Nothing;
    keep(record);
}

void RelayRecorder::keep(const QByteArray &record)
{
    FlightData ignored;
    active_ = parseRecord(convert::decodeWindows1252(record), ignored);

    if (!sinceFirst_.isValid())
        sinceFirst_.start();
    const RecordingEntry entry{sinceFirst_.elapsed(), active_, record};
    const QByteArray bytes = formatRecordingEntry(entry);
    if (file_.write(bytes) != bytes.size() || !file_.flush()) {
        end(2, u"cannot write %1: %2"_s.arg(path_, file_.errorString()));
        return;
    }
    ++written_;
    if (log_)
        log_(u"Y -> %1 bytes, flag %2, at %3 ms"_s.arg(record.size()).arg(active_ ? 1 : 0).arg(entry.ms));
}

void RelayRecorder::end(int code, const QString &why)
{
    if (ended_)
        return;
    ended_ = true;
    ticker_.stop();
    connectTimeout_.stop();
    socket_.disconnect(this);
    socket_.abort();
    const bool flushed = !file_.isOpen() || file_.flush();
    file_.close();
    if (!flushed) {
        Q_EMIT finished(2, u"cannot write %1: %2"_s.arg(path_, file_.errorString()));
        return;
    }
    if (!connected_ && written_ == 0) {
        file_.remove(); // never reached the peer: leave no empty recording behind
        Q_EMIT finished(code, why);
        return;
    }
    Q_EMIT finished(code, u"%1; %2 holds %3 records"_s.arg(why, path_).arg(written_));
}

} // namespace tavrel::relay
