#include "core/TextFile.h"

#include "core/Convert.h"
#include "core/Error.h"

#include <QFile>
#include <QFileInfo>

namespace tavrel::textfile {

namespace {

[[noreturn]] void fail(Error::Number number, const QString &path)
{
    throw Error(number, Error::standardText(number) + QLatin1String(": ") + QFileInfo(path).fileName(),
                QStringLiteral("Tavrel"));
}

} // namespace

bool exists(const QString &path)
{
    return QFileInfo(path).isFile();
}

void copy(const QString &from, const QString &to)
{
    if (!exists(from))
        fail(Error::FileNotFound, from);
    if (exists(to) && !QFile::remove(to))
        fail(Error::PermissionDenied, to);
    if (!QFile::copy(from, to))
        fail(Error::PermissionDenied, to);
}

QString readAnsi(const QString &path, qsizetype limit)
{
    QFile file(path);
    if (!exists(path))
        fail(Error::FileNotFound, path);
    if (!file.open(QIODevice::ReadOnly))
        fail(Error::PermissionDenied, path);
    const QByteArray bytes = file.read(limit);
    return convert::decodeWindows1252(bytes);
}

} // namespace tavrel::textfile
