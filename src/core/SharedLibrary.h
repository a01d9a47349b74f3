#pragma once

#include <QLibrary>
#include <QString>

namespace tavrel {

// Loads an outside library at run time: `name` is a path, or a file name without prefix
// and suffix ("phidget21", "EFReader") looked for on the system's library path as the
// platform spells it (libphidget21.so, phidget21.dll), and, where only the run-time name
// with major version 0 is installed, as that (libphidget21.so.0). False when neither loads,
// with the reason the name as given did not load in `error`.
bool loadSharedLibrary(QLibrary &library, const QString &name, QString *error = nullptr);

// A function of a loaded library by its exported name, or null when it has none.
template <typename Function>
Function resolveFunction(QLibrary &library, const char *name)
{
    return reinterpret_cast<Function>(library.resolve(name));
}

} // namespace tavrel
