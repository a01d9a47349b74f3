#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tavrel {

// A file the built-in stand-ins record their calls in, one line each: appended to, and
// every line handed to the system whole as soon as it ends, so that a reader sees it
// while the program runs. The line is built in a buffer whose room is kept.
class JournalFile
{
public:
    // A file that cannot be opened leaves the journal closed.
    explicit JournalFile(const QString &path);

    bool isOpen() const { return file_.isOpen(); }
    QString errorString() const { return file_.errorString(); }

    // The next line, empty, to be filled and then ended with endLine().
    QByteArray &startLine()
    {
        line_.clear();
        return line_;
    }
    // Adds the line feed and writes the line; nothing when the journal is closed.
    void endLine();

private:
    QFile file_;
    QByteArray line_;
};

} // namespace tavrel
