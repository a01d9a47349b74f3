#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavrel::relay {

inline constexpr quint16 kDefaultPort = 8091;
inline constexpr int kDefaultIntervalMs = 100;

struct RelayOptions
{
    // SharedMemory: the simulator's own areas (Windows only, and the default there).
    enum class Mode { Simulated, SharedMemory, Replay, Record };

#ifdef Q_OS_WIN
    Mode mode = Mode::SharedMemory;
#else
    Mode mode = Mode::Simulated;
#endif
    QHostAddress listenAddress{QHostAddress::LocalHost};
    quint16 port = kDefaultPort;
    QString file;     // --replay or --record
    QString fromHost; // --from, record mode
    quint16 fromPort = 0;
    int intervalMs = kDefaultIntervalMs;
    bool fromStart = false; // --from-start: each client's replay begins at the first entry
    bool verbose = false;
};

struct RelayOptionsParse
{
    RelayOptions options;
    // Set when the program ends at once: --help, --version or a line the option parser
    // refused, already printed.
    std::optional<int> exitCode;
    QString error; // set when the command line is refused
};

// Reads the command line (the program name first, as QCoreApplication::arguments()).
RelayOptionsParse parseRelayOptions(const QStringList &arguments);

} // namespace tavrel::relay
