#include "core/TextFile.h"

#include "core/Convert.h"
#include "core/Error.h"

#include <QFile>
#include <QFileInfo>

namespace tavrel::textfile {

namespace {

constexpr int kPermissionDenied = 70;

[[noreturn]] void fail(int number, const char *what, const QString &path)
{
    throw Error(number, QLatin1String(what) + QLatin1String(": ") + QFileInfo(path).fileName(),
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
        fail(Error::FileNotFound, "File not found", from);
    if (exists(to) && !QFile::remove(to))
        fail(kPermissionDenied, "Permission denied", to);
    if (!QFile::copy(from, to))
        fail(kPermissionDenied, "Permission denied", to);
}

QString readAnsi(const QString &path, qsizetype limit)
{
    QFile file(path);
    if (!exists(path))
        fail(Error::FileNotFound, "File not found", path);
    if (!file.open(QIODevice::ReadOnly))
        fail(kPermissionDenied, "Permission denied", path);
    const QByteArray bytes = file.read(limit);
    return convert::decodeWindows1252(bytes);
}

} // namespace tavrel::textfile
