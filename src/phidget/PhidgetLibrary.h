#pragma once

#include "phidget/PhidgetManager.h"

#include <memory>

namespace tavrel {

// The device manager the program runs with: the vendor's phidget21 library's when it is
// installed (loaded at run time from the system's library path; `library` names another
// file), else the built-in virtual boards' (configured through TAVREL_VIRTUAL_PHIDGETS,
// TAVREL_PHIDGET_JOURNAL and TAVREL_PHIDGET_CONTROL). The log says which, and why the
// vendor's library was not taken.
std::unique_ptr<PhidgetManager> createPhidgetManager(QObject *parent = nullptr,
                                                     const QString &library = QStringLiteral("phidget21"));

} // namespace tavrel
