#pragma once

#include <QLatin1String>
#include <QString>

#include <cstdint>
#include <memory>

namespace tavrel {

// The EPIC card's value channels, in the order of the driver library's functions. Each
// has three functions there: X followed by "PHCallRet" stores its pigeonhole, X followed
// by "CallRet" its value, and "Send" X "PH" sends the value to the pigeonhole.
#define TAVREL_EPIC_CHANNELS(X) \
    X(RPM)                      \
    X(RPM2)                     \
    X(OIL)                      \
    X(OIL2)                     \
    X(CHAFF)                    \
    X(FLARE)                    \
    X(PITCH)                    \
    X(ROLL)                     \
    X(TOTAL)                    \
    X(INTERNAL)                 \
    X(EXTERNAL)                 \
    X(MACH)                     \
    X(KIAS)                     \
    X(GS)                       \
    X(NOZZLE)                   \
    X(NOZZLE2)                  \
    X(FTIT)                     \
    X(FTIT2)                    \
    X(SPEEDBRAKE)               \
    X(EPUFUEL)                  \
    X(FUELFLOW)                 \
    X(UFC)                      \
    X(AUX)

enum class EpicChannel : std::uint8_t {
#define TAVREL_EPIC_CHANNEL(name) name,
    TAVREL_EPIC_CHANNELS(TAVREL_EPIC_CHANNEL)
#undef TAVREL_EPIC_CHANNEL
};
#define TAVREL_EPIC_CHANNEL(name) +1
inline constexpr int kEpicChannelCount = 0 TAVREL_EPIC_CHANNELS(TAVREL_EPIC_CHANNEL);
#undef TAVREL_EPIC_CHANNEL

// The driver library's functions, numbered by their place in one table of exported names:
// OpenEpic, CloseEpic, the light-bit word selects and sends, the three functions of every
// channel, and the two sends that follow SendINTERNALPH and SendTOTALPH.
namespace epic {

using Function = std::uint8_t;
inline constexpr Function OpenEpic = 0;
inline constexpr Function CloseEpic = 1;
// Light-bit word 1, 2 or 3: LBPHCallRet / LB2PHCallRet / LB3PHCallRet, and SendLBPH ...
constexpr Function selectLightBits(int word)
{
    return Function(1 + word);
}
constexpr Function sendLightBits(int word)
{
    return Function(4 + word);
}
constexpr Function storePigeonhole(EpicChannel c)
{
    return Function(8 + 3 * int(c));
}
constexpr Function storeValue(EpicChannel c)
{
    return Function(9 + 3 * int(c));
}
constexpr Function send(EpicChannel c)
{
    return Function(10 + 3 * int(c));
}
inline constexpr Function SendINTWINGPH = 8 + 3 * kEpicChannelCount;
inline constexpr Function SendFUELRESPH = SendINTWINGPH + 1;
inline constexpr int kFunctionCount = SendFUELRESPH + 1;

// The exported name of a function, exactly as the library spells it.
QLatin1String functionName(Function function);
// Whether it takes an argument: all but OpenEpic, CloseEpic and the sends of the channels
// and of the two follow-ups. Every argument and result is a 32-bit signed integer.
bool takesArgument(Function function);

} // namespace epic

// The EPIC card's driver library, reached by function name. Every function takes at most
// one 32-bit signed integer and returns one; only the results of OpenEpic and CloseEpic
// mean anything (1 or more: done).
class EpicLibrary
{
public:
    virtual ~EpicLibrary() = default;

    // Whether the library has the function.
    virtual bool provides(epic::Function function) const = 0;
    // Calls the function with the argument (passed only to those that take one) and
    // returns its result. A function the library lacks raises an Error.
    virtual std::int32_t call(epic::Function function, std::int32_t argument = 0) = 0;
    // What answers the calls: the library file's name, or "virtual card".
    virtual QString name() const = 0;
};

// The driver library the program runs with: the file TAVREL_EPIC_LIBRARY names, else
// EFReader (EFReader.dll, libEFReader.so) from the system's library path; when neither
// loads, the built-in virtual card (TAVREL_EPIC_JOURNAL, TAVREL_EPIC_CARD). The log says
// which, and why no library file was taken.
std::unique_ptr<EpicLibrary> createEpicLibrary();

} // namespace tavrel
