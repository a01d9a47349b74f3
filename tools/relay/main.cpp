// tavrel-relay: the relay peer a simulator machine runs. Serves the cockpit's "X" and "Y"
// requests from the simulator's shared memory (Windows), the built-in simulated flight or
// a recording, or records another peer.
#include "FlightSource.h"
#include "RelayOptions.h"
#include "RelayRecorder.h"
#include "RelayServer.h"
#include "SharedMemory.h"
#include "core/TerminationSignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

using namespace tavrel::relay;
using namespace Qt::StringLiterals;

namespace {

constexpr int kUsageError = 2;

void printLine(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int fail(const QString &message)
{
    printLine(stderr, u"tavrel-relay: "_s + message);
    return kUsageError;
}

int record(const RelayOptions &options)
{
    const auto log = [](const QString &line) { printLine(stdout, line); };
    RelayRecorder recorder(options.fromHost, options.fromPort, options.intervalMs,
                           options.verbose ? std::function<void(const QString &)>(log) : nullptr);
    int code = 0;
    QObject::connect(&recorder, &RelayRecorder::finished, [&code](int finishedCode, const QString &message) {
        code = finishedCode;
        printLine(stderr, u"tavrel-relay: "_s + message);
        // Queued, so the loop ends even if the recording ended before it began.
        QMetaObject::invokeMethod(
            qApp, [finishedCode] { QCoreApplication::exit(finishedCode); }, Qt::QueuedConnection);
    });
    tavrel::onTerminationSignal(&recorder, [&recorder] { recorder.stop(u"stopped"_s); });
    QString error;
    if (!recorder.start(options.file, error))
        return fail(error);
    QCoreApplication::exec();
    return code;
}

int serve(const RelayOptions &options, const QElapsedTimer &sinceStart)
{
    const Clock clock = [&sinceStart] { return sinceStart.elapsed(); };
    const auto log = [](const QString &line) { printLine(stdout, line); };
    std::unique_ptr<FlightSource> source;
    SharedMemorySource *sharedMemory = nullptr;
#ifdef Q_OS_WIN
    if (options.mode == RelayOptions::Mode::SharedMemory) {
        auto areas = std::make_unique<SharedMemorySource>(systemSharedMemoryAreas(), log);
        sharedMemory = areas.get();
        source = std::move(areas);
    } else
#endif
        if (options.mode == RelayOptions::Mode::Replay) {
        RecordingLoad load = loadRecording(options.file);
        if (!load.error.isEmpty())
            return fail(load.error);
        if (load.entries.isEmpty())
            return fail(u"%1 holds no records"_s.arg(options.file));
        source = std::make_unique<ReplaySource>(std::move(load.entries), clock, options.fromStart);
    } else {
        source = std::make_unique<SimulatedSource>(clock);
    }

    RelayServer server(*source, options.verbose ? std::function<void(const QString &)>(log) : nullptr);
    QString error;
    if (!server.listen(options.listenAddress, options.port, error))
        return fail(error);
    const QString host = options.listenAddress.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + options.listenAddress.toString() + u']'
                             : options.listenAddress.toString();
    printLine(stdout, u"listening on %1:%2"_s.arg(host).arg(server.port()));
    tavrel::onTerminationSignal(&server, [] { QCoreApplication::exit(0); });
    // The console follows the simulator once a second, whether a cockpit asks or not.
    QTimer followSimulator;
    if (sharedMemory) {
        QObject::connect(&followSimulator, &QTimer::timeout, [sharedMemory] { sharedMemory->refresh(); });
        followSimulator.start(1000);
        sharedMemory->refresh();
    }
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer sinceStart; // the simulated flight's time runs from here
    sinceStart.start();
    QCoreApplication app(argc, argv);

    const RelayOptionsParse parse = parseRelayOptions(QCoreApplication::arguments());
    if (parse.exitCode)
        return *parse.exitCode;
    if (!parse.error.isEmpty())
        return fail(parse.error + u"\n(see tavrel-relay --help)"_s);
    if (parse.options.mode == RelayOptions::Mode::Record)
        return record(parse.options);
    return serve(parse.options, sinceStart);
}
