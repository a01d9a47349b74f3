#pragma once

#include "support/Wait.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace tavrel::test {

// The real tavrel-relay binary (TAVREL_RELAY_BINARY), its output gathered as it comes.
class RelayProcess
{
public:
    explicit RelayProcess(const QStringList &args) { process_.start(QStringLiteral(TAVREL_RELAY_BINARY), args); }
    ~RelayProcess()
    {
        process_.kill();
        process_.waitForFinished(kPatienceMs);
    }

    // The port from the "listening on" line, or 0 when the program ended without it.
    quint16 waitUntilListening()
    {
        const auto ended = [this] { return out().contains('\n') || process_.state() == QProcess::NotRunning; };
        (void)waitUntil(ended);
        const QByteArray prefix = "listening on 127.0.0.1:";
        return out().startsWith(prefix) ? quint16(out().mid(prefix.size()).split('\n').first().toUInt()) : 0;
    }
    // Ends it with the signal; its exit code, or -1 when it did not end by itself.
    int endWith(int signal)
    {
        ::kill(pid_t(process_.processId()), signal);
        const bool ended = process_.waitForFinished(kPatienceMs);
        return ended && process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    const QByteArray &out() { return out_ += process_.readAllStandardOutput(); }
    QString err() { return QString::fromLocal8Bit(err_ += process_.readAllStandardError()); }

private:
    QProcess process_;
    QByteArray out_, err_;
};

// Writes a recording for --replay into the folder; its path, or empty when it failed.
inline QString writeRecording(const QTemporaryDir &dir, const QByteArray &bytes)
{
    QFile file(dir.filePath(QStringLiteral("flight.rec")));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
}

} // namespace tavrel::test
