#include "phidget/PhidgetLibrary.h"

#include "phidget/VirtualPhidgets.h"

namespace tavrel {

std::unique_ptr<PhidgetManager> createVendorPhidgetManager(QObject *)
{
    return nullptr;
}

std::unique_ptr<PhidgetManager> createPhidgetManager(QObject *parent)
{
    if (auto vendor = createVendorPhidgetManager(parent))
        return vendor;
    return VirtualPhidgetManager::fromEnvironment(parent);
}

} // namespace tavrel
