#include "sources/ProgIdRegistry.h"

#include "core/Error.h"
#include "core/Log.h"

#ifdef Q_OS_WIN
#include "sources/ComObject.h"
#else
#include "sources/SimulatedFlightServer.h"
#endif

namespace tavrel {

namespace {

std::unique_ptr<LateBound> create(QStringView progId)
{
#ifdef Q_OS_WIN
    return std::make_unique<ComObject>(progId.toString());
#else
    // ProgIDs are compared without regard to case, as the system's registry does.
    if (progId.compare(kDataServerProgId, Qt::CaseInsensitive) == 0)
        return std::make_unique<SimulatedFlightServer>();
    throw Error::standard(Error::CannotCreateObject, progId.toString());
#endif
}

} // namespace

std::unique_ptr<LateBound> createObject(QStringView progId)
{
    try {
        auto object = create(progId);
#ifdef Q_OS_WIN
        const QString what = QStringLiteral("through COM");
#else
        const QString what = QStringLiteral("the built-in simulated flight");
#endif
        qCInfo(lcSource).noquote() << QStringLiteral("data server %1 created (%2)").arg(progId, what);
        return object;
    } catch (const Error &error) {
        qCWarning(lcSource).noquote() << QStringLiteral("data server %1 cannot be created: %2 (%3)")
                                             .arg(progId, error.description())
                                             .arg(error.number());
        throw;
    }
}

} // namespace tavrel
