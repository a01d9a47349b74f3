#pragma once

#include "core/ConfigReader.h"
#include "phidget/PhidgetJournal.h"
#include "phidget/VirtualBoard.h"

#include <QFile>
#include <QTemporaryDir>

namespace tavrel::test {

// Virtual boards that share one journal on a temporary file, and the journal's lines.
class JournalBoards
{
public:
    std::shared_ptr<VirtualBoard> add(BoardKind kind, std::int32_t serial)
    {
        return std::make_shared<VirtualBoard>(kind, serial, journal_);
    }
    // Every line written since the last call.
    QStringList take()
    {
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(read_))
            return {};
        const QString lines = QString::fromUtf8(file.readAll());
        read_ = file.pos();
        return lines.split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
    QString path_ = dir_.filePath(QStringLiteral("journal.tsv"));
    std::shared_ptr<PhidgetJournal> journal_ = std::make_shared<PhidgetJournal>(path_);
    qint64 read_ = 0;
};

// A table as the configuration reader makes it: the entries, then the spare empty row.
inline ConfigTable tableOf(std::initializer_list<ConfigRow> entries)
{
    ConfigTable table(entries);
    table.append(ConfigRow{});
    return table;
}

} // namespace tavrel::test
