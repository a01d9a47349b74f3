#include "ui/DesktopPlatform.h"

#include "ui/Layout.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

namespace tavrel {

DesktopPlatform::DesktopPlatform() = default;
DesktopPlatform::~DesktopPlatform() = default;

void DesktopPlatform::messageBox(const QString &title, const QString &text)
{
    QString shown = text;
    shown.replace(u'\r', u'\n');
    QMessageBox box(QMessageBox::NoIcon, title, shown, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool DesktopPlatform::anotherInstanceRunning()
{
    // One copy per user session: the lock lives in the session's runtime folder and names
    // the process that holds it, so a copy that died leaves no lock behind.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(QStringLiteral("tavrel.lock")));
    lock->setStaleLockTime(0); // a live holder's lock never goes stale, however old
    if (lock->tryLock(0)) {
        instanceLock_ = std::move(lock);
        return false;
    }
    // A lock that cannot be made for another reason (a read-only folder) does not keep
    // the cockpit from running.
    return lock->error() == QLockFile::LockFailedError;
}

QString DesktopPlatform::workingDirectory() const
{
    return QDir::currentPath();
}

int DesktopPlatform::screenWidthTwips() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 0;
    return layout::toTwips(screen->geometry().width(), screen->logicalDotsPerInchX());
}

void DesktopPlatform::beep()
{
    QApplication::beep();
}

void DesktopPlatform::end()
{
    instanceLock_.reset();
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace tavrel
