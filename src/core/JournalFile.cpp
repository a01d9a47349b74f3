#include "core/JournalFile.h"

namespace tavrel {

JournalFile::JournalFile(const QString &path) : file_(path)
{
    file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

void JournalFile::endLine()
{
    if (!file_.isOpen())
        return;
    line_.append('\n');
    file_.write(line_);
}

} // namespace tavrel
