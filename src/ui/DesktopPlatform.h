#pragma once

#include "cockpit/Platform.h"

#include <QLockFile>

#include <memory>

namespace tavrel {

// The platform of the real program: Qt's message boxes, a lock file in the user's runtime
// folder for the one running copy, the process's working directory and its end.
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
    std::unique_ptr<QLockFile> instanceLock_;
};

} // namespace tavrel
