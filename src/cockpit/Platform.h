#pragma once

#include <QString>

#include <cstdlib>

namespace tavrel {

// What start-up and shutdown need from the desktop they run on. The program's own is
// DesktopPlatform (ui/); a test puts one in its place that records and confirms.
class Platform
{
public:
    virtual ~Platform() = default;

    // A modal message box with the OK button only, shown until the operator confirms it.
    // The lines of the text are separated by carriage returns.
    virtual void messageBox(const QString &title, const QString &text) = 0;
    // Whether another copy of the program is running. When none is, this copy becomes
    // the running one for as long as it lives.
    virtual bool anotherInstanceRunning() = 0;
    // The folder Tavrel.cfg is looked for in: the program's working directory.
    virtual QString workingDirectory() const = 0;
    // The width of the screen the window opens on, in twips.
    virtual int screenWidthTwips() const = 0;
    // The system beep, once.
    virtual void beep() = 0;
    // Ends the process at once: no further event is handled and nothing after the call
    // runs.
    [[noreturn]] void endProcess()
    {
        end();
        std::abort(); // an end that returns is a fault of the platform, not a way on
    }

protected:
    // Never returns: it ends the process, or (in a test) throws past the caller.
    virtual void end() = 0;
};

} // namespace tavrel
