#pragma once

#include "phidget/PhidgetManager.h"

#include <memory>

namespace tavrel {

// The device manager the program runs with: the vendor's phidget21 library's when it is
// installed (loaded at run time from the system's library path), else the built-in
// virtual boards' (configured through TAVREL_VIRTUAL_PHIDGETS, TAVREL_PHIDGET_JOURNAL and
// TAVREL_PHIDGET_CONTROL).
std::unique_ptr<PhidgetManager> createPhidgetManager(QObject *parent = nullptr);

} // namespace tavrel
