#include "epic/EpicLibrary.h"

#include "core/Log.h"
#include "epic/EFReaderLibrary.h"
#include "epic/VirtualEpicCard.h"

#include <array>
#include <string_view>

namespace tavrel {

namespace epic {

namespace {

// In the order of the numbering in the header.
#define TAVREL_EPIC_CHANNEL(name) #name "PHCallRet", #name "CallRet", "Send" #name "PH",
constexpr std::array<const char *, kFunctionCount> kNames = {
    "OpenEpic",
    "CloseEpic",
    "LBPHCallRet",
    "LB2PHCallRet",
    "LB3PHCallRet",
    "SendLBPH",
    "SendLB2PH",
    "SendLB3PH",
    TAVREL_EPIC_CHANNELS(TAVREL_EPIC_CHANNEL) // three names for each channel
    "SendINTWINGPH",
    "SendFUELRESPH",
};
#undef TAVREL_EPIC_CHANNEL

constexpr bool named(Function function, std::string_view name)
{
    return kNames[function] && name == kNames[function];
}
static_assert(named(sendLightBits(3), "SendLB3PH") && named(storePigeonhole(EpicChannel::RPM), "RPMPHCallRet")
              && named(storeValue(EpicChannel::NOZZLE2), "NOZZLE2CallRet") && named(send(EpicChannel::AUX), "SendAUXPH")
              && named(SendFUELRESPH, "SendFUELRESPH"));

} // namespace

QLatin1String functionName(Function function)
{
    return QLatin1String(kNames[function]);
}

bool takesArgument(Function function)
{
    if (function <= CloseEpic || function >= SendINTWINGPH)
        return false;
    return function < storePigeonhole(EpicChannel::RPM) || (function - storePigeonhole(EpicChannel::RPM)) % 3 != 2;
}

} // namespace epic

std::unique_ptr<EpicLibrary> createEpicLibrary()
{
    const QString named = qEnvironmentVariable("TAVREL_EPIC_LIBRARY");
    QString error;
    if (auto library = EFReaderLibrary::open(named.isEmpty() ? QStringLiteral("EFReader") : named, &error)) {
        qCInfo(lcEpic).noquote() << QStringLiteral("EPIC library: %1").arg(library->name());
        return library;
    }
    // A file the operator named and that does not load is a mistake worth a warning.
    const QString line = QStringLiteral("EPIC library: the built-in virtual card; %1").arg(error);
    if (named.isEmpty())
        qCInfo(lcEpic).noquote() << line;
    else
        qCWarning(lcEpic).noquote() << line;
    return VirtualEpicCard::fromEnvironment();
}

} // namespace tavrel
