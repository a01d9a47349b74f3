#include "core/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tavrel {

// Debug lines stay off unless QT_LOGGING_RULES turns them on.
Q_LOGGING_CATEGORY(lcConfig, "tavrel.config", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBoards, "tavrel.boards", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRelay, "tavrel.relay", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSource, "tavrel.source", QtInfoMsg)
Q_LOGGING_CATEGORY(lcEpic, "tavrel.epic", QtInfoMsg)
Q_LOGGING_CATEGORY(lcKeys, "tavrel.keys", QtInfoMsg)

namespace log {

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_WIN
constexpr bool kFileByDefault = true;
#else
constexpr bool kFileByDefault = false;
#endif

constexpr qint64 kMaxFileBytes = 1 << 20;

// Where the lines go; the handler may be called from any thread.
struct Sink
{
    QMutex mutex;
    std::unique_ptr<QFile> file; // standard error without one
};

Sink &sink()
{
    static Sink s;
    return s;
}

const char *levelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "error";
    case QtFatalMsg:
        return "fatal";
    }
    return "";
}

void writeLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QByteArray line = formatLine(type, context.category, message).toUtf8() + '\n';
    Sink &s = sink();
    {
        const QMutexLocker lock(&s.mutex);
        if (s.file) {
            s.file->write(line);
            s.file->flush();
        } else {
            std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
            std::fflush(stderr);
        }
    }
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

QString localFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + u"/tavrel.log"_s;
}

QString defaultFile()
{
    return kFileByDefault ? localFile() : QString();
}

QString formatLine(QtMsgType type, const char *category, const QString &message)
{
    return QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm:ss.zzz"_s) + u' '
           + QLatin1String(category ? category : "default") + u' ' + QLatin1String(levelWord(type)) + u": "_s + message;
}

bool install(const QString &file, bool quiet, QString *error)
{
    if (quiet)
        QLoggingCategory::setFilterRules(u"tavrel.*.info=false"_s);
    std::unique_ptr<QFile> out;
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        QDir().mkpath(info.absolutePath());
        if (info.size() > kMaxFileBytes) {
            QFile::remove(file + u".old"_s);
            QFile::rename(file, file + u".old"_s);
        }
        out = std::make_unique<QFile>(file);
        if (!out->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            if (error)
                *error = out->errorString();
            out.reset();
        }
    }
    const bool ok = file.isEmpty() || out;
    {
        Sink &s = sink();
        const QMutexLocker lock(&s.mutex);
        s.file = std::move(out);
    }
    qInstallMessageHandler(writeLine);
    return ok;
}

} // namespace log

} // namespace tavrel
