#include "sources/WinsockClient.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/Log.h"

#include <QHostAddress>

#include <array>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {
const QString kSource = QStringLiteral("sktTavrel");

constexpr std::array<QStringView, 10> kStateTexts = {
    u"Closed",        u"Open",       u"Listening", u"Pending", u"Resolving Host",
    u"Host Resolved", u"Connecting", u"Connected", u"Closing", u"Error",
};
} // namespace

WinsockClient::WinsockClient(QObject *parent) : QObject(parent)
{
    sendBuffer_.reserve(16);
    connect(&socket_, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState s) {
        if (state_ == Closed || state_ == Closing || state_ == Error)
            return; // the sticky states change only through close()
        if (starting_)
            return; // the state read right after Connect is the one connectToPeer() set
        switch (s) {
        case QAbstractSocket::HostLookupState:
            setState(ResolvingHost);
            break;
        case QAbstractSocket::ConnectingState:
            setState(Connecting);
            break;
        case QAbstractSocket::ConnectedState:
            setState(Connected);
            logConnected();
            break;
        case QAbstractSocket::UnconnectedState:
            logEnd(state_ == Connected ? Closing : Error);
            setState(state_ == Connected ? Closing : Error);
            break;
        default:
            break;
        }
    });
    connect(&socket_, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (state_ == Closed)
            return;
        const std::int16_t end = error == QAbstractSocket::RemoteHostClosedError && state_ == Connected ? Closing
                                                                                                        : Error;
        if (state_ != Closing && state_ != Error)
            logEnd(end);
        setState(end);
    });
    connect(&socket_, &QIODevice::readyRead, this, [this] { Q_EMIT dataArrival(socket_.bytesAvailable()); });
}

WinsockClient::~WinsockClient() = default;

QStringView WinsockClient::stateText(int state)
{
    if (state < 0 || state >= static_cast<int>(kStateTexts.size()))
        return {};
    return kStateTexts[static_cast<std::size_t>(state)];
}

void WinsockClient::setRemotePort(std::int32_t port)
{
    if (port < 0 || port > 65535)
        throw tavrel::Error::standard(tavrel::Error::InvalidPropertyValue, kSource);
    remotePort_ = port;
}

void WinsockClient::connectToPeer()
{
    if (state_ != Closed)
        throw tavrel::Error::standard(tavrel::Error::InvalidSocketOperation, kSource);
    // Tries that fail the same way again and again are counted, not logged one by one.
    if (failedTries_ == 0)
        qCInfo(lcRelay).noquote() << u"%1 to %2"_s.arg(connections_ > 0 ? u"reconnecting"_s : u"connecting"_s, peer());
    else
        qCDebug(lcRelay).noquote() << u"connecting to %1 again"_s.arg(peer());
    const bool isAddress = !QHostAddress(remoteHost_).isNull();
    setState(isAddress ? Connecting : ResolvingHost);
    // A name Qt has looked up before goes straight to connecting inside this call; the
    // operator still sees the lookup first, as a fresh connection by name shows it.
    starting_ = true;
    socket_.connectToHost(remoteHost_, static_cast<quint16>(remotePort_));
    starting_ = false;
}

void WinsockClient::sendData(QStringView text)
{
    if (state_ != Connected)
        throw tavrel::Error::standard(tavrel::Error::SocketNotConnected, kSource);
    sendBuffer_.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        sendBuffer_[i] = static_cast<char>(convert::toWindows1252(text[i].unicode()));
    socket_.write(sendBuffer_);
    // Out at once, as the control sends: left to the write notifier, every request would
    // cost the event loop one more round.
    socket_.flush();
}

QByteArray WinsockClient::getText()
{
    return socket_.readAll();
}

void WinsockClient::getText(QByteArray &text)
{
    text.resize(socket_.bytesAvailable());
    const qint64 read = socket_.read(text.data(), text.size());
    text.resize(read > 0 ? read : 0);
}

std::int16_t WinsockClient::getBoolean()
{
    char bytes[2];
    if (socket_.bytesAvailable() < 2 || socket_.read(bytes, 2) != 2)
        throw tavrel::Error(tavrel::Error::SocketNotConnected, QStringLiteral("No boolean value has arrived"), kSource);
    return static_cast<std::int16_t>(static_cast<unsigned char>(bytes[0])
                                     | (static_cast<unsigned char>(bytes[1]) << 8));
}

void WinsockClient::close()
{
    if (state_ == Connected)
        qCInfo(lcRelay).noquote() << u"connection to %1 closed by the program"_s.arg(peer());
    setState(Closed);
    socket_.abort();
}

QString WinsockClient::peer() const
{
    return u"%1 port %2"_s.arg(remoteHost_.isEmpty() ? u"\"\" (no address)"_s : remoteHost_).arg(remotePort_);
}

void WinsockClient::logConnected()
{
    ++connections_;
    qCInfo(lcRelay).noquote() << u"connected to %1%2"_s.arg(
        peer(), failedTries_ > 1 ? u" after %1 failed tries"_s.arg(failedTries_) : QString());
    failedTries_ = 0;
}

// A connection that ends: dropped by the peer, lost, or never made.
void WinsockClient::logEnd(std::int16_t end)
{
    if (state_ == Connected) {
        qCWarning(lcRelay).noquote() << (end == Closing
                                             ? u"dropped: the relay peer at %1 closed the connection"_s.arg(peer())
                                             : u"connection to %1 lost: %2"_s.arg(peer(), socket_.errorString()));
        return;
    }
    if (failedTries_++ == 0)
        qCWarning(lcRelay).noquote() << u"cannot connect to %1: %2"_s.arg(peer(), socket_.errorString());
}

} // namespace tavrel
