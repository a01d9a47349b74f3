#include "phidget/PhidgetLibrary.h"

#include "phidget/VendorPhidgets.h"
#include "phidget/VirtualPhidgets.h"

namespace tavrel {

std::unique_ptr<PhidgetManager> createPhidgetManager(QObject *parent)
{
    if (auto vendor = VendorPhidgetManager::open(QStringLiteral("phidget21"), parent))
        return vendor;
    return VirtualPhidgetManager::fromEnvironment(parent);
}

} // namespace tavrel
