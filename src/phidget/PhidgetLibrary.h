#pragma once

#include "phidget/PhidgetManager.h"

#include <memory>

namespace tavrel {

// The device manager the program runs with: the vendor's Phidget library's when one is
// found on this machine, else the built-in virtual boards' (configured through
// TAVREL_VIRTUAL_PHIDGETS, TAVREL_PHIDGET_JOURNAL and TAVREL_PHIDGET_CONTROL).
std::unique_ptr<PhidgetManager> createPhidgetManager(QObject *parent = nullptr);

// The vendor library's manager, or null when the library is not there. The runtime
// loader of the vendor library plugs in here; until it does, no vendor library is found.
std::unique_ptr<PhidgetManager> createVendorPhidgetManager(QObject *parent = nullptr);

} // namespace tavrel
