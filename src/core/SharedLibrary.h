#pragma once

#include <QByteArrayView>
#include <QLibrary>
#include <QString>

// The calling convention of the vendors' library functions and of the handlers they call
// back: the Windows one (__stdcall) on Windows, as the vendors declare them; on 64-bit
// Windows there is one convention and the keyword changes nothing, a 32-bit build needs
// it. Elsewhere the platform's own.
#ifdef _WIN32
#define TAVREL_VENDOR_CALL __stdcall
#else
#define TAVREL_VENDOR_CALL
#endif

namespace tavrel {

// Loads an outside library at run time: `name` is a path, or a file name without prefix
// and suffix ("phidget21", "EFReader") looked for on the system's library path as the
// platform spells it (libphidget21.so, phidget21.dll), and, where only the run-time name
// with major version 0 is installed, as that (libphidget21.so.0). False when neither loads,
// with the reason in `error`: the file not there, a library of the other width (32 or 64
// bits) than the program's, or what the system said.
bool loadSharedLibrary(QLibrary &library, const QString &name, QString *error = nullptr);

// A function of a loaded library by its exported name, or null when it has none.
template <typename Function>
Function resolveFunction(QLibrary &library, const char *name)
{
    return reinterpret_cast<Function>(library.resolve(name));
}

// The file a loaded library was loaded from, as a path: `symbol` is one of its functions.
QString loadedLibraryPath(QLibrary &library, const char *symbol);

// The width of the code in a library file's header (ELF or PE): 32, 64, or 0 when the
// header is neither or cannot be read.
int libraryBits(QByteArrayView header);
int libraryFileBits(const QString &file);

// Where the system would most likely find a library by its bare name: the file in the
// program's folder, the working folder, the folders of PATH (Windows) or LD_LIBRARY_PATH
// and the usual library folders (elsewhere); empty when none is there.
QString findSharedLibrary(const QString &name);

} // namespace tavrel
