#include "sources/ProgIdRegistry.h"

#include "core/Error.h"

#ifdef Q_OS_WIN
#include "sources/ComObject.h"
#else
#include "sources/SimulatedFlightServer.h"
#endif

namespace tavrel {

std::unique_ptr<LateBound> createObject(QStringView progId)
{
#ifdef Q_OS_WIN
    return std::make_unique<ComObject>(progId.toString());
#else
    // ProgIDs are compared without regard to case, as the system's registry does.
    if (progId.compare(kDataServerProgId, Qt::CaseInsensitive) == 0)
        return std::make_unique<SimulatedFlightServer>();
    throw Error(Error::CannotCreateObject, QStringLiteral("ActiveX component can't create object"),
                progId.toString());
#endif
}

} // namespace tavrel
