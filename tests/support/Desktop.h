#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// End-to-end support: a virtual X display of the test's own, the real program started in
// a folder of its own, and the operator's hand (finding windows by title, pressing keys,
// closing the window) from outside the program, as a user would.
namespace tavrel::test {

// An Xvfb server on a free display number, for as long as the object lives.
class VirtualDisplay
{
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    bool isRunning() const { return !name_.isEmpty(); }
    const QString &name() const { return name_; } // ":N"

    // The id of a top-level window whose title matches the pattern (a regular
    // expression), waiting up to timeoutMs for it; 0 when none showed.
    unsigned long findWindow(const QString &titlePattern, int timeoutMs = 30000) const;
    // Whether such a window exists right now.
    bool hasWindow(const QString &titlePattern) const;
    // Gives the window the keyboard and types the keys (xdotool key names).
    bool pressKeys(unsigned long window, const QStringList &keys) const;
    // Asks the window to close, as a window manager's close button does.
    bool closeWindow(unsigned long window) const;

private:
    QString xdotool(const QStringList &arguments, bool *ok = nullptr) const;

    QProcess server_;
    QString name_;
};

// The real tavrel binary in a temporary working directory, with a runtime folder of its
// own (so copies of different tests never meet) and the data server's journal.
class TavrelRun
{
public:
    TavrelRun();
    // Starts a copy that shares this run's folders, as a second copy on the same desktop.
    explicit TavrelRun(const TavrelRun &first);
    ~TavrelRun();

    const QTemporaryDir &dir() const { return *dir_; }
    void writeFile(const QString &name, const QByteArray &bytes);
    QByteArray readFile(const QString &name) const;
    QStringList journal() const;

    // The virtual boards the next start attaches, in this order (TYPE:SERIAL, comma-
    // separated, as TAVREL_VIRTUAL_PHIDGETS takes them), with their journal and hot-plug
    // file in this run's folder. Without a call the program gets the default twelve boards
    // and no journal.
    void useVirtualBoards(const QString &list);
    // The virtual boards' journal lines (serial, member, index, value; tab-separated).
    QStringList boardJournal() const;
    // Appends one command line ("detach 1001", ...) to the hot-plug file.
    void hotPlug(const QByteArray &line);
    // Any other variable for the libraries the program loads, for the next start.
    void setEnvironment(const QString &name, const QString &value);

    // Starts on the given display, or offscreen when it is empty.
    bool start(const QString &display = QString());
    QProcess &process() { return process_; }
    // Waits for the end of the process; true when it ended by itself with code 0.
    bool waitForCleanEnd(int timeoutMs = 30000);

private:
    std::shared_ptr<QTemporaryDir> dir_;
    std::shared_ptr<QTemporaryDir> runtime_;
    QProcessEnvironment extraEnvironment_;
    QProcess process_;
};

} // namespace tavrel::test
