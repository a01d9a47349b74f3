#pragma once

#include <QDir>
#include <QFile>

namespace tavrel::test {

// The unit tests' data files, in tests/data/unit: cockpit files, journals, what is read of
// them. A file that cannot be read reads as nothing, which no expectation matches.
inline QString unitDataPath(const QString &name)
{
    return QStringLiteral(TAVREL_SOURCE_DIR "/tests/data/unit/") + name;
}

inline QByteArray unitData(const QString &name)
{
    QFile file(unitDataPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace tavrel::test
