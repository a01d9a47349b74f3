#pragma once

#include "cockpit/Platform.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace tavrel::test {

// Thrown where the program would end: the rest of the routine does not run, as in the
// real program, and the test catches it.
struct ProcessEnded
{
};

// A platform that runs in a folder of its own (with an empty Tavrel.cfg to begin with),
// writes down every message box, beep and the end of the process, and confirms each box at
// once.
class TestPlatform : public Platform
{
public:
    TestPlatform() { writeFile(QStringLiteral("Tavrel.cfg"), QByteArray()); }

    QTemporaryDir dir;
    QStringList events;                 // "box <title>|<text>", "beep", "end", and whatever else a test adds
    std::function<void()> onMessageBox; // runs while a box is shown

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray readFile(const QString &name) const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Its lines, the empty ones left out.
    QStringList readLines(const QString &name) const
    {
        return QString::fromUtf8(readFile(name)).split(u'\n', Qt::SkipEmptyParts);
    }
    bool hasFile(const QString &name) const { return QFile::exists(dir.filePath(name)); }
    void removeFile(const QString &name) { QFile::remove(dir.filePath(name)); }
    QStringList boxes() const { return events.filter(QStringLiteral("box ")); }

    void messageBox(const QString &title, const QString &text) override
    {
        events << QStringLiteral("box ") + title + u'|' + text;
        if (onMessageBox)
            onMessageBox();
    }
    bool anotherInstanceRunning() override { return false; }
    QString workingDirectory() const override { return dir.path(); }
    int screenWidthTwips() const override { return 19200; }
    void beep() override { events << QStringLiteral("beep"); }

protected:
    void end() override
    {
        events << QStringLiteral("end");
        throw ProcessEnded{};
    }
};

} // namespace tavrel::test
