#include "core/SharedLibrary.h"

namespace tavrel {

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
    if (error)
        *error = library.errorString();
#ifdef Q_OS_WIN
    return false; // Windows file names carry no version
#else
    library.setFileNameAndVersion(name, 0);
    return library.load();
#endif
}

} // namespace tavrel
