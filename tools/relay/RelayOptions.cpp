#include "RelayOptions.h"

#include "core/CommandLine.h"

#include <optional>

namespace tavrel::relay {

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxIntervalMs = 3'600'000;

// A whole number from `min` to `max`, or nothing.
std::optional<qint64> wholeNumber(const QString &text, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < min || value > max || text.trimmed() != text || text.startsWith(u'+'))
        return std::nullopt;
    return value;
}

} // namespace

RelayOptionsParse parseRelayOptions(const QStringList &arguments)
{
    RelayOptionsParse result;
    RelayOptions &options = result.options;

#ifdef Q_OS_WIN
    const QString description(
        u"Relay peer for Tavrel: serves flight data records to the cockpit over TCP (what the simulator "
        u"publishes in its shared memory, the built-in simulated flight, or a recording), or records another "
        u"peer into a file."_s);
#else
    const QString description(
        u"Relay peer for Tavrel: serves flight data records to the cockpit over TCP (the built-in simulated "
        u"flight, or a recording), or records another peer into a file."_s);
#endif
    CommandLine commandLine(u"tavrel-relay"_s, description);
    QCommandLineParser &parser = commandLine.parser();
    const QCommandLineOption listen(u"listen"_s, u"Address to listen on (default 127.0.0.1)."_s, u"address"_s);
    const QCommandLineOption port(u"port"_s,
                                  u"Port to listen on, 0 for any free port (default %1)."_s.arg(kDefaultPort), u"n"_s);
#ifdef Q_OS_WIN
    const QCommandLineOption simulated(
        u"simulated"_s, u"Serves the built-in simulated flight instead of the simulator's shared memory."_s);
    const QCommandLineOption replay(
        u"replay"_s, u"Serves the recording in <file> instead of the simulator's shared memory."_s, u"file"_s);
#else
    const QCommandLineOption simulated(u"simulated"_s, u"Serves the built-in simulated flight (the default)."_s);
    const QCommandLineOption replay(u"replay"_s, u"Serves the recording in <file> instead of the simulated flight."_s,
                                    u"file"_s);
#endif
    const QCommandLineOption record(u"record"_s, u"Records the peer given with --from into <file>."_s, u"file"_s);
    const QCommandLineOption from(u"from"_s, u"The peer to record."_s, u"host:port"_s);
    const QCommandLineOption interval(
        u"interval"_s, u"Milliseconds between requests when recording (default %1)."_s.arg(kDefaultIntervalMs),
        u"ms"_s);
    const QCommandLineOption fromStart(
        u"from-start"_s, u"With --replay: every client gets the recording from its first entry, at its pace."_s);
    const QCommandLineOption verbose(u"verbose"_s, u"Prints one line per request on stdout."_s);
    parser.addOptions({listen, port, simulated, replay, record, from, interval, fromStart, verbose});

    const auto refuse = [&result](const QString &message) {
        result.error = message;
        return result;
    };
    result.exitCode = commandLine.parse(arguments);
    if (result.exitCode)
        return result;
    if (!parser.positionalArguments().isEmpty())
        return refuse(u"unexpected argument '%1'"_s.arg(parser.positionalArguments().first()));
    for (const QCommandLineOption &once : {listen, port, replay, record, from, interval})
        if (parser.values(once).size() > 1)
            return refuse(u"--%1 given more than once"_s.arg(once.names().first()));

    if (parser.isSet(replay) && parser.isSet(record))
        return refuse(u"--replay and --record cannot be used together"_s);
    if (parser.isSet(simulated) && (parser.isSet(replay) || parser.isSet(record)))
        return refuse(u"--simulated cannot be used with --replay or --record"_s);

    if (parser.isSet(record)) {
        options.mode = RelayOptions::Mode::Record;
        options.file = parser.value(record);
        if (options.file.isEmpty())
            return refuse(u"--record needs a file name"_s);
        if (!parser.isSet(from))
            return refuse(u"--record needs --from HOST:PORT, the peer to record"_s);
        if (parser.isSet(listen) || parser.isSet(port))
            return refuse(u"--listen and --port are for serving; --record connects to the peer given with --from"_s);
        if (parser.isSet(fromStart))
            return refuse(u"--from-start is for --replay"_s);
        const QString peer = parser.value(from);
        const qsizetype colon = peer.lastIndexOf(u':');
        QString host = colon < 0 ? QString() : peer.first(colon);
        if (host.startsWith(u'[') && host.endsWith(u']'))
            host = host.sliced(1, host.size() - 2);
        const std::optional<qint64> peerPort = colon < 0 ? std::nullopt : wholeNumber(peer.sliced(colon + 1), 1, 65535);
        if (host.isEmpty() || !peerPort)
            return refuse(u"--from '%1': expected HOST:PORT with a port from 1 to 65535"_s.arg(peer));
        options.fromHost = host;
        options.fromPort = quint16(*peerPort);
        if (parser.isSet(interval)) {
            const std::optional<qint64> ms = wholeNumber(parser.value(interval), 1, kMaxIntervalMs);
            if (!ms)
                return refuse(u"--interval '%1': expected milliseconds from 1 to %2"_s.arg(parser.value(interval))
                                  .arg(kMaxIntervalMs));
            options.intervalMs = int(*ms);
        }
    } else {
        if (parser.isSet(from) || parser.isSet(interval))
            return refuse(u"--from and --interval are for recording: give --record FILE as well"_s);
        if (parser.isSet(replay)) {
            options.mode = RelayOptions::Mode::Replay;
            options.file = parser.value(replay);
            if (options.file.isEmpty())
                return refuse(u"--replay needs a file name"_s);
            options.fromStart = parser.isSet(fromStart);
        } else if (parser.isSet(simulated)) {
            options.mode = RelayOptions::Mode::Simulated;
        }
        if (parser.isSet(fromStart) && options.mode != RelayOptions::Mode::Replay)
            return refuse(u"--from-start is for --replay"_s);
        if (parser.isSet(listen)) {
            const QString address = parser.value(listen);
            if (address == u"localhost"_s)
                options.listenAddress = QHostAddress(QHostAddress::LocalHost);
            else if (!options.listenAddress.setAddress(address))
                return refuse(u"--listen '%1': expected an IP address such as 127.0.0.1 or 0.0.0.0"_s.arg(address));
        }
        if (parser.isSet(port)) {
            const std::optional<qint64> n = wholeNumber(parser.value(port), 0, 65535);
            if (!n)
                return refuse(u"--port '%1': expected a port from 0 to 65535"_s.arg(parser.value(port)));
            options.port = quint16(*n);
        }
    }
    options.verbose = parser.isSet(verbose);
    return result;
}

} // namespace tavrel::relay
