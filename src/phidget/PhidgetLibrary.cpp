#include "phidget/PhidgetLibrary.h"

#include "core/Log.h"
#include "phidget/VendorPhidgets.h"
#include "phidget/VirtualPhidgets.h"

namespace tavrel {

std::unique_ptr<PhidgetManager> createPhidgetManager(QObject *parent, const QString &library)
{
    QString why;
    if (auto vendor = VendorPhidgetManager::open(library, parent, &why)) {
        qCInfo(lcBoards).noquote() << QStringLiteral("board library: %1").arg(vendor->libraryName());
        return vendor;
    }
    qCInfo(lcBoards).noquote() << QStringLiteral("board library: the built-in virtual boards (%1)").arg(why);
    return VirtualPhidgetManager::fromEnvironment(parent);
}

} // namespace tavrel
