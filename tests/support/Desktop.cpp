#include "support/Desktop.h"

#include <QThread>

namespace tavrel::test {

using namespace Qt::StringLiterals;

VirtualDisplay::VirtualDisplay()
{
    // -displayfd 1: the server picks a free display and writes its number on stdout.
    // -noreset: it stays up between clients (a reset would refuse the next program).
    server_.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1280x1024x24"_s, u"-noreset"_s,
                              u"-nolisten"_s, u"tcp"_s});
    // A loaded machine may take seconds to answer; the number comes in one write.
    if (server_.waitForReadyRead(kPatienceMs))
        name_ = u':' + QString::fromLatin1(server_.readAllStandardOutput().trimmed());
}

VirtualDisplay::~VirtualDisplay()
{
    server_.terminate();
    if (!server_.waitForFinished(kPatienceMs))
        server_.kill();
    server_.waitForFinished(kPatienceMs);
}

QString VirtualDisplay::xdotool(const QStringList &arguments, bool *ok) const
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, name_);
    tool.setProcessEnvironment(env);
    tool.start(u"xdotool"_s, arguments);
    const bool finished = tool.waitForFinished(kPatienceMs);
    if (!finished)
        tool.kill(), tool.waitForFinished();
    if (ok)
        *ok = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    return QString::fromLatin1(tool.readAllStandardOutput());
}

unsigned long VirtualDisplay::findWindow(const QString &titlePattern) const
{
    // --sync: xdotool waits for a match, xdotool() for xdotool as long as the patience lasts.
    const QStringList found = xdotool({u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--name"_s, titlePattern})
                                  .split(u'\n', Qt::SkipEmptyParts);
    return found.isEmpty() ? 0 : found.last().toULong();
}

bool VirtualDisplay::pressKeys(unsigned long window, const QStringList &keys) const
{
    bool ok = false;
    xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(window)}, &ok);
    for (const QString &key : keys) {
        if (ok)
            xdotool({u"key"_s, u"--delay"_s, u"50"_s, key}, &ok);
        QThread::msleep(150); // let a menu open before the next key
    }
    return ok;
}

void TavrelRun::useVirtualBoards(const QString &list)
{
    writeFile(u"boards.control"_s, QByteArray());
    setEnvironment(u"TAVREL_VIRTUAL_PHIDGETS"_s, list);
    setEnvironment(u"TAVREL_PHIDGET_JOURNAL"_s, dir_->filePath(u"boards.journal"_s));
    setEnvironment(u"TAVREL_PHIDGET_CONTROL"_s, dir_->filePath(u"boards.control"_s));
}

QStringList TavrelRun::missingBoardLines(qsizetype from, const QStringList &expected) const
{
    const auto absent = [&] {
        QStringList lines = expected;
        lines.removeIf([journal = boardJournal().mid(from)](const QString &line) { return journal.contains(line); });
        return lines;
    };
    (void)waitUntil([&] { return absent().isEmpty(); });
    return absent();
}

bool TavrelRun::start(const QString &display, const QStringList &arguments, const QString &program)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The board library's variables come from the test alone.
    for (const QString &name : {u"TAVREL_VIRTUAL_PHIDGETS"_s, u"TAVREL_PHIDGET_JOURNAL"_s, u"TAVREL_PHIDGET_CONTROL"_s})
        env.remove(name);
    env.insert(u"QT_QPA_PLATFORM"_s, display.isEmpty() ? u"offscreen"_s : u"xcb"_s);
    env.insert(u"DISPLAY"_s, display);
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime_->path());
    env.insert(u"TAVREL_DATA_SERVER_JOURNAL"_s, dir_->filePath(u"server.journal"_s));
    env.insert(environment_); // over any of the above
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(dir_->path());
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, arguments);
    return process_.waitForStarted(kPatienceMs);
}

bool TavrelRun::waitForCleanEnd(int timeoutMs)
{
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs)) {
        process_.kill();
        process_.waitForFinished(kPatienceMs);
        return false;
    }
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

} // namespace tavrel::test
