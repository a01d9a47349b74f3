#pragma once

#include "support/Wait.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// End-to-end support: a virtual X display of the test's own, the real program started in
// a folder of its own, and the operator's hand (finding windows by title, pressing keys)
// from outside the program, as a user would.
namespace tavrel::test {

// An Xvfb server on a free display number, for as long as the object lives.
class VirtualDisplay
{
public:
    VirtualDisplay();
    ~VirtualDisplay();

    bool isRunning() const { return !name_.isEmpty(); }
    const QString &name() const { return name_; } // ":N"
    // The id of a visible top-level window whose title matches the pattern (a regular
    // expression), waiting for it; 0 when none showed.
    unsigned long findWindow(const QString &titlePattern) const;
    // Gives the window the keyboard and types the keys (xdotool key names).
    bool pressKeys(unsigned long window, const QStringList &keys) const;
    // Runs xdotool on this display; its output.
    QString xdotool(const QStringList &arguments, bool *ok = nullptr) const;

private:
    QProcess server_;
    QString name_;
};

// The real tavrel binary (or another program of ours) in a temporary working directory,
// with a runtime folder of its own (so copies of different tests never meet) and the data
// server's journal. Its standard error goes to the test's.
class TavrelRun
{
public:
    TavrelRun() : dir_(std::make_shared<QTemporaryDir>()), runtime_(std::make_shared<QTemporaryDir>()) {}
    // A second copy that shares this run's folders, as on the same desktop.
    explicit TavrelRun(const TavrelRun &first) : dir_(first.dir_), runtime_(first.runtime_) {}
    ~TavrelRun()
    {
        process_.kill();
        process_.waitForFinished(kPatienceMs);
    }

    void writeFile(const QString &name, const QByteArray &bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly)
    {
        QFile file(dir_->filePath(name));
        if (file.open(mode))
            file.write(bytes);
    }
    QByteArray readFile(const QString &name) const
    {
        QFile file(dir_->filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The data server's journal lines.
    QStringList journal() const { return lines(QStringLiteral("server.journal")); }
    // The virtual boards the next start attaches, in this order (TAVREL_VIRTUAL_PHIDGETS),
    // with their journal and hot-plug file in this run's folder. Without a call the
    // program gets the default twelve boards and no journal.
    void useVirtualBoards(const QString &list);
    // The virtual boards' journal lines (serial, member, index, value; tab-separated).
    QStringList boardJournal() const { return lines(QStringLiteral("boards.journal")); }
    // The lines of `expected` the boards' journal lacks from line `from` on, once they all
    // came or the patience ran out.
    QStringList missingBoardLines(qsizetype from, const QStringList &expected) const;
    // Appends one command line ("detach 1001", ...) to the hot-plug file.
    void hotPlug(const QByteArray &line)
    {
        writeFile(QStringLiteral("boards.control"), line + '\n', QIODevice::Append);
    }
    // A variable for the next start, set over the ones start() sets (empty: as good as none).
    void setEnvironment(const QString &name, const QString &value) { environment_.insert(name, value); }

    // Starts on the given display, or offscreen when it is empty, with the arguments.
    bool start(const QString &display = QString(), const QStringList &arguments = {},
               const QString &program = QStringLiteral(TAVREL_BINARY));
    // A path in the run's folder.
    QString path(const QString &name) const { return dir_->filePath(name); }
    QProcess &process() { return process_; }
    // Waits for the end of the process; true when it ended by itself with code 0.
    bool waitForCleanEnd(int timeoutMs = kPatienceMs);

private:
    QStringList lines(const QString &name) const
    {
        return QString::fromUtf8(readFile(name)).split(u'\n', Qt::SkipEmptyParts);
    }

    std::shared_ptr<QTemporaryDir> dir_;
    std::shared_ptr<QTemporaryDir> runtime_;
    QProcessEnvironment environment_;
    QProcess process_;
};

} // namespace tavrel::test
