#include "epic/EpicLink.h"

#include "core/Error.h"
#include "core/Log.h"
#include "epic/EpicLibrary.h"

namespace tavrel {

void ConnectEpic(EpicLibrary &library, bool &EpicOpen, const std::function<void()> &notDetected,
                 const std::function<void()> &listCard)
{
    std::int32_t result = 0;
    attempt([&] { result = library.call(epic::OpenEpic); });
    EpicOpen = result >= 1;
    if (EpicOpen)
        qCInfo(lcEpic).noquote() << QStringLiteral("EPIC card opened (%1)").arg(library.name());
    else
        qCWarning(lcEpic).noquote()
            << QStringLiteral("EPIC card not found: OpenEpic answered %1 (%2)").arg(result).arg(library.name());
    if (!EpicOpen)
        attempt(notDetected);
    attempt(listCard);
}

void DisconnectEpic(EpicLibrary &library, bool &EpicOpen)
{
    std::int32_t result = 0;
    attempt([&] { result = library.call(epic::CloseEpic); });
    EpicOpen = result < 1;
    if (EpicOpen)
        qCWarning(lcEpic).noquote()
            << QStringLiteral("EPIC card not closed: CloseEpic answered %1; the link stays open").arg(result);
    else
        qCInfo(lcEpic) << "EPIC card closed";
}

} // namespace tavrel
