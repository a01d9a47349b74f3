#include "core/SharedLibrary.h"

namespace tavrel {

bool loadSharedLibrary(QLibrary &library, const QString &name, QString *error)
{
    library.setFileName(name);
    if (library.load())
        return true;
    if (error)
        *error = library.errorString();
    library.setFileNameAndVersion(name, 0);
    return library.load();
}

} // namespace tavrel
