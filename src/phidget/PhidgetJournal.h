#pragma once

#include "core/JournalFile.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace tavrel {

// The virtual boards' record of every successful board write, one line each, flushed at
// once so that a reader sees it while the program runs:
//
//     serial <TAB> member <TAB> index <TAB> value
//
// The index is empty for members without one; booleans are 1 and 0, numbers in their
// shortest decimal form (that of a 32-bit float when the value is one), text as written with backslash, tab, CR and LF escaped as
// \\, \t, \r and \n.
class PhidgetJournal
{
public:
    // Appends to the file at `path`; a file that cannot be opened leaves the journal closed.
    explicit PhidgetJournal(const QString &path);

    bool isOpen() const { return file_.isOpen(); }
    QString errorString() const { return file_.errorString(); }

    void write(std::int32_t serial, QLatin1String member, std::optional<int> index, bool value);
    void write(std::int32_t serial, QLatin1String member, std::optional<int> index, std::int32_t value);
    void write(std::int32_t serial, QLatin1String member, std::optional<int> index, double value);
    void write(std::int32_t serial, QLatin1String member, std::optional<int> index, QStringView text);

    // The escaping of text values, on its own (the hot-plug reader and tests use it too).
    static QString escape(QStringView text);

private:
    void writeLine(std::int32_t serial, QLatin1String member, std::optional<int> index, QByteArrayView value);

    JournalFile file_;
};

} // namespace tavrel
