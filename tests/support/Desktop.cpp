#include "support/Desktop.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QTest>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tavrel::test {

using namespace Qt::StringLiterals;

VirtualDisplay::VirtualDisplay()
{
    // -displayfd 1: the server picks a free display and writes its number on stdout.
    // -noreset: it stays up between clients (a reset would refuse the next program).
    server_.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1280x1024x24"_s, u"-noreset"_s, u"-nolisten"_s,
                              u"tcp"_s});
    if (!server_.waitForStarted(10000))
        return;
    QByteArray number;
    const QDeadlineTimer deadline(20000);
    while (!number.contains('\n') && !deadline.hasExpired() && server_.state() == QProcess::Running) {
        server_.waitForReadyRead(200);
        number += server_.readAllStandardOutput();
    }
    if (number.contains('\n'))
        name_ = u':' + QString::fromLatin1(number.trimmed());
}

VirtualDisplay::~VirtualDisplay()
{
    server_.terminate();
    if (!server_.waitForFinished(5000))
        server_.kill();
    server_.waitForFinished(5000);
}

QString VirtualDisplay::xdotool(const QStringList &arguments, bool *ok) const
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, name_);
    tool.setProcessEnvironment(env);
    tool.start(u"xdotool"_s, arguments);
    const bool finished = tool.waitForFinished(20000);
    if (ok)
        *ok = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    return QString::fromLatin1(tool.readAllStandardOutput());
}

bool VirtualDisplay::hasWindow(const QString &titlePattern) const
{
    bool ok = false;
    const QString ids = xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, titlePattern}, &ok);
    return ok && !ids.trimmed().isEmpty();
}

unsigned long VirtualDisplay::findWindow(const QString &titlePattern, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        bool ok = false;
        const QString ids = xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, titlePattern}, &ok);
        const QStringList found = ids.split(u'\n', Qt::SkipEmptyParts);
        if (ok && !found.isEmpty())
            return found.last().toULong();
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return 0;
}

bool VirtualDisplay::pressKeys(unsigned long window, const QStringList &keys) const
{
    bool ok = false;
    xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(window)}, &ok);
    if (!ok)
        return false;
    for (const QString &key : keys) {
        xdotool({u"key"_s, u"--delay"_s, u"50"_s, key}, &ok);
        if (!ok)
            return false;
        QThread::msleep(150); // let a menu open before the next key
    }
    return true;
}

bool VirtualDisplay::closeWindow(unsigned long window) const
{
    Display *display = XOpenDisplay(name_.toLatin1().constData());
    if (!display)
        return false;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XFlush(display);
    XCloseDisplay(display);
    return sent;
}

TavrelRun::TavrelRun()
    : dir_(std::make_shared<QTemporaryDir>())
    , runtime_(std::make_shared<QTemporaryDir>())
{
}

TavrelRun::TavrelRun(const TavrelRun &first)
    : dir_(first.dir_)
    , runtime_(first.runtime_)
{
}

TavrelRun::~TavrelRun()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void TavrelRun::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(dir_->filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray TavrelRun::readFile(const QString &name) const
{
    QFile file(dir_->filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList TavrelRun::journal() const
{
    return QString::fromLatin1(readFile(u"server.journal"_s)).split(u'\n', Qt::SkipEmptyParts);
}

void TavrelRun::useVirtualBoards(const QString &list)
{
    writeFile(u"boards.control"_s, QByteArray());
    setEnvironment(u"TAVREL_VIRTUAL_PHIDGETS"_s, list);
    setEnvironment(u"TAVREL_PHIDGET_JOURNAL"_s, dir_->filePath(u"boards.journal"_s));
    setEnvironment(u"TAVREL_PHIDGET_CONTROL"_s, dir_->filePath(u"boards.control"_s));
}

QStringList TavrelRun::boardJournal() const
{
    return QString::fromUtf8(readFile(u"boards.journal"_s)).split(u'\n', Qt::SkipEmptyParts);
}

void TavrelRun::hotPlug(const QByteArray &line)
{
    QFile file(dir_->filePath(u"boards.control"_s));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line + '\n');
}

void TavrelRun::setEnvironment(const QString &name, const QString &value)
{
    extraEnvironment_.insert(name, value);
}

bool TavrelRun::start(const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The board library's variables come from the test alone.
    for (const QString &name : {u"TAVREL_VIRTUAL_PHIDGETS"_s, u"TAVREL_PHIDGET_JOURNAL"_s, u"TAVREL_PHIDGET_CONTROL"_s})
        env.remove(name);
    env.insert(extraEnvironment_);
    if (display.isEmpty()) {
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    } else {
        env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        env.insert(u"DISPLAY"_s, display);
    }
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime_->path());
    env.insert(u"TAVREL_DATA_SERVER_JOURNAL"_s, dir_->filePath(u"server.journal"_s));
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(dir_->path());
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(TAVREL_BINARY), {});
    return process_.waitForStarted(10000);
}

bool TavrelRun::waitForCleanEnd(int timeoutMs)
{
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs)) {
        process_.kill();
        process_.waitForFinished(5000);
        return false;
    }
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

} // namespace tavrel::test
