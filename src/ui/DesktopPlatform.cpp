#include "ui/DesktopPlatform.h"

#include "ui/Layout.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#ifndef Q_OS_WIN
#include <QMessageBox>
#endif
#include <QScreen>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tavrel {

DesktopPlatform::DesktopPlatform() = default;
DesktopPlatform::~DesktopPlatform() = default;

void DesktopPlatform::messageBox(const QString &title, const QString &text)
{
#ifdef Q_OS_WIN
    // The system's box, its text as given (it breaks lines at carriage returns). It is
    // owned by the active window, which it disables while open; with none active, every
    // window of the program is disabled instead. Its own message loop still delivers
    // timers, socket and board events: the cockpit holds them back while a box is open.
    HWND owner = GetActiveWindow();
    MessageBoxW(owner, reinterpret_cast<const wchar_t *>(text.utf16()),
                reinterpret_cast<const wchar_t *>(title.utf16()), MB_OK | (owner ? 0 : MB_TASKMODAL));
#else
    QString shown = text;
    shown.replace(u'\r', u'\n');
    QMessageBox box(QMessageBox::NoIcon, title, shown, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
#endif
}

bool DesktopPlatform::anotherInstanceRunning()
{
#ifdef Q_OS_WIN
    // One copy per user session: a mutex named in the session's own namespace, held until
    // the process ends; the system lets it go with a copy that died.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\Tavrel.Running");
    const DWORD error = GetLastError();
    if (mutex && error != ERROR_ALREADY_EXISTS) {
        instanceMutex_ = mutex;
        return false;
    }
    if (mutex)
        CloseHandle(mutex);
    // A name there that this copy may not open is another copy's too; a mutex that cannot
    // be made for another reason does not keep the cockpit from running.
    return mutex || error == ERROR_ACCESS_DENIED;
#else
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
#endif
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
#ifndef Q_OS_WIN
    instanceLock_.reset(); // the mutex goes with the process
#endif
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace tavrel
