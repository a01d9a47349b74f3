#pragma once

#include "core/Log.h"

#include <QStringList>

namespace tavrel::test {

// The log lines written while one lives, as the log writes them without their time:
// "tavrel.boards info: attached: ...".
class LogCapture
{
public:
    LogCapture() : previous_(qInstallMessageHandler(&LogCapture::handle)) { current() = this; }
    ~LogCapture()
    {
        current() = nullptr;
        qInstallMessageHandler(previous_);
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines;

    // The lines that hold `part`.
    QStringList with(const QString &part) const { return lines.filter(part); }

private:
    static LogCapture *&current()
    {
        static LogCapture *capture = nullptr;
        return capture;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        // The time stamp, "yyyy-MM-dd HH:mm:ss.zzz ", goes.
        if (current())
            current()->lines << log::formatLine(type, context.category, message).mid(24);
    }

    QtMessageHandler previous_;
};

// The program's own log lines (tavrel.*) are left out of the tests' output: a test that
// checks them captures them. Qt's own messages still show.
inline void leaveOutProgramLog()
{
    static const QtMessageHandler qtHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (!context.category || qstrncmp(context.category, "tavrel.", 7) != 0)
            qtHandler(type, context, message);
    });
}

} // namespace tavrel::test
