#include "core/SharedLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <dlfcn.h>
#endif

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

constexpr int kProgramBits = int(sizeof(void *)) * 8;

bool isPath(const QString &name)
{
    return name.contains(u'/') || name.contains(u'\\') || QFileInfo(name).isAbsolute();
}

// Why a library that did not load did not: the file is missing, or of the other width.
QString whyNotLoaded(const QString &name, const QString &systemError)
{
    const QString file = findSharedLibrary(name);
    if (file.isEmpty())
        return u"%1 is not installed: %2"_s.arg(name, systemError);
    const int bits = libraryFileBits(file);
    if (bits != 0 && bits != kProgramBits)
        return u"%1 is a %2-bit library and this program is %3-bit: it needs the vendor's %3-bit library"_s.arg(file)
            .arg(bits)
            .arg(kProgramBits);
    return u"%1 does not load: %2"_s.arg(file, systemError);
}

} // namespace

// On Windows QLibrary is LoadLibrary and GetProcAddress with nothing in between that
// matters here: a bare name gets ".dll" and the system's own search (the program's folder,
// the system folders, the working folder, PATH), and the "Bad Image" box the system would
// show for a DLL of the wrong kind is kept away. Calling them directly would only repeat
// that, so the vendors' libraries load through QLibrary on every platform.
bool loadSharedLibrary(QLibrary &library, const QString &name, QString *error)
{
    library.setFileName(name);
    if (library.load())
        return true;
    const QString systemError = library.errorString();
#ifndef Q_OS_WIN // Windows file names carry no version
    library.setFileNameAndVersion(name, 0);
    if (library.load())
        return true;
#endif
    if (error)
        *error = whyNotLoaded(name, systemError);
    return false;
}

QString loadedLibraryPath(QLibrary &library, const char *symbol)
{
#ifdef Q_OS_UNIX
    Dl_info info{};
    if (const QFunctionPointer function = library.resolve(symbol);
        function && dladdr(reinterpret_cast<void *>(function), &info) && info.dli_fname)
        return QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath();
#else
    (void)symbol;
#endif
    return library.fileName(); // on Windows the path the system loaded it from
}

int libraryBits(QByteArrayView header)
{
    if (header.size() >= 5
        && header.first(4)
               == QByteArrayView("\x7f"
                                 "ELF",
                                 4))
        return header[4] == 1 ? 32 : header[4] == 2 ? 64 : 0;
    if (header.size() < 0x40 || header.first(2) != QByteArrayView("MZ", 2))
        return 0;
    const quint32 pe = qFromLittleEndian<quint32>(header.data() + 0x3c);
    if (pe > quint32(header.size()) - 6 || header.sliced(pe, 4) != QByteArrayView("PE\0\0", 4))
        return 0;
    switch (qFromLittleEndian<quint16>(header.data() + pe + 4)) {
    case 0x014c:
        return 32; // x86
    case 0x8664:
        return 64; // x86-64
    case 0xaa64:
        return 64; // ARM64
    default:
        return 0;
    }
}

int libraryFileBits(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? libraryBits(QByteArrayView(f.read(4096))) : 0;
}

QString findSharedLibrary(const QString &name)
{
    if (isPath(name))
        return QFileInfo::exists(name) ? name : QString();
    QStringList folders;
    if (QCoreApplication::instance())
        folders += QCoreApplication::applicationDirPath();
    folders += QDir::currentPath();
#ifdef Q_OS_WIN
    const QStringList files{name + u".dll"_s};
    folders += qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
#else
    const QStringList files{u"lib%1.so"_s.arg(name), u"lib%1.so.0"_s.arg(name)};
    folders += qEnvironmentVariable("LD_LIBRARY_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    folders += {u"/usr/local/lib"_s, u"/usr/lib"_s, u"/lib"_s};
#endif
    for (const QString &folder : folders)
        for (const QString &file : files)
            if (const QString path = QDir(folder).filePath(file); QFileInfo::exists(path))
                return path;
    return {};
}

} // namespace tavrel
