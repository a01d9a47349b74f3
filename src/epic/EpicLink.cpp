#include "epic/EpicLink.h"

#include "core/Error.h"
#include "epic/EpicLibrary.h"

namespace tavrel {

void ConnectEpic(EpicLibrary &library, bool &EpicOpen, const std::function<void()> &notDetected,
                 const std::function<void()> &listCard)
{
    std::int32_t result = 0;
    attempt([&] { result = library.call(epic::OpenEpic); });
    EpicOpen = result >= 1;
    if (!EpicOpen)
        attempt(notDetected);
    attempt(listCard);
}

void DisconnectEpic(EpicLibrary &library, bool &EpicOpen)
{
    std::int32_t result = 0;
    attempt([&] { result = library.call(epic::CloseEpic); });
    EpicOpen = result < 1;
}

} // namespace tavrel
