#pragma once

#include "cockpit/Platform.h"

#include <QLockFile>
#include <QtGlobal>

#include <memory>

namespace tavrel {

// The platform of the real program: the system's message boxes on Windows (Qt's
// elsewhere), one running copy per user session (a named mutex on Windows, a lock file in
// the user's runtime folder elsewhere), the process's working directory and its end.
class DesktopPlatform : public Platform
{
public:
    DesktopPlatform();
    ~DesktopPlatform() override;

    void messageBox(const QString &title, const QString &text) override;
    bool anotherInstanceRunning() override;
    QString workingDirectory() const override;
    int screenWidthTwips() const override;
    void beep() override;

protected:
    void end() override;

private:
#ifdef Q_OS_WIN
    void *instanceMutex_ = nullptr; // held until the process ends
#else
    std::unique_ptr<QLockFile> instanceLock_;
#endif
};

} // namespace tavrel
