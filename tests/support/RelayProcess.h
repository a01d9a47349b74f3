#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <csignal>

// The real tavrel-relay binary (TAVREL_RELAY_BINARY), its output gathered as it comes.
namespace tavrel::test {

class RelayProcess
{
public:
    static constexpr int kPatienceMs = 30000;

    explicit RelayProcess(const QStringList &arguments)
    {
        process_.start(QStringLiteral(TAVREL_RELAY_BINARY), arguments);
    }
    ~RelayProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    RelayProcess(const RelayProcess &) = delete;
    RelayProcess &operator=(const RelayProcess &) = delete;

    // The port from the "listening on" line, or 0 when the program ended without it.
    quint16 waitUntilListening()
    {
        (void)QTest::qWaitFor([this] { return out().contains('\n') || process_.state() == QProcess::NotRunning; },
                              kPatienceMs);
        const QByteArray first = out().left(out().indexOf('\n'));
        const QByteArray prefix = "listening on 127.0.0.1:";
        return first.startsWith(prefix) ? quint16(first.mid(prefix.size()).toUInt()) : 0;
    }
    // Waits for the end; the exit code, or -1 when it did not end by itself.
    int exitCode()
    {
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(kPatienceMs))
            return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    int endWith(int signal)
    {
        ::kill(pid_t(process_.processId()), signal);
        return exitCode();
    }
    const QByteArray &out()
    {
        out_ += process_.readAllStandardOutput();
        return out_;
    }
    QString err()
    {
        err_ += process_.readAllStandardError();
        return QString::fromLocal8Bit(err_);
    }

private:
    QProcess process_;
    QByteArray out_;
    QByteArray err_;
};

// Writes a recording for --replay into the folder; its path, or empty when it failed.
inline QString writeRecording(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("flight.rec"));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

} // namespace tavrel::test
