#include "input/KeyJournal.h"

namespace tavrel {

KeyJournal::KeyJournal(const QString &path) : file_(path)
{
    file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

int KeyJournal::send(std::span<const KeyRecord> records)
{
    QByteArray lines = "batch\t" + QByteArray::number(qsizetype(records.size())) + '\n';
    for (const KeyRecord &record : records) {
        lines += (record.flags & kKeyUp) ? "up\t" : "down\t";
        lines += QByteArray::number(record.virtualKey) + '\t' + QByteArray::number(record.scanCode) + '\t'
                 + QByteArray::number(record.flags) + '\n';
    }
    return file_.isOpen() && file_.write(lines) == lines.size() ? int(records.size()) : 0;
}

} // namespace tavrel
