// A stand-in for the EPIC card's driver library that exports five of its functions (with
// EFREADER_EVERY_FUNCTION, all of them) and writes each call down as the virtual card's
// journal would; FakeEFReaderCalls reads it. On Windows its functions are plain exports of
// the Windows calling convention, as the card's library has them.
#include <cstdint>
#include <string>

#ifdef _WIN32
#define EXPORT extern "C" __declspec(dllexport)
#define CALL __stdcall
#else
#define EXPORT extern "C"
#define CALL
#endif

static std::string calls;
static std::int32_t note(const char *f, const std::string &arg = {})
{
    return calls += f + ('\t' + arg + '\n'), 1;
}
#define WITH_ARGUMENT(name)                       \
    EXPORT std::int32_t CALL name(std::int32_t a) \
    {                                             \
        return note(#name, std::to_string(a));    \
    }
#define WITHOUT_ARGUMENT(name)      \
    EXPORT std::int32_t CALL name() \
    {                               \
        return note(#name);         \
    }
WITHOUT_ARGUMENT(OpenEpic)
WITH_ARGUMENT(RPMPHCallRet)
WITHOUT_ARGUMENT(SendRPMPH)
WITH_ARGUMENT(LBPHCallRet)
WITH_ARGUMENT(SendLBPH)
#ifdef EFREADER_EVERY_FUNCTION
// Each channel's pigeonhole, value and send.
#define CHANNEL(c) WITH_ARGUMENT(c##PHCallRet) WITH_ARGUMENT(c##CallRet) WITHOUT_ARGUMENT(Send##c##PH)
// clang-format off
WITHOUT_ARGUMENT(CloseEpic)
WITH_ARGUMENT(LB2PHCallRet)
WITH_ARGUMENT(LB3PHCallRet)
WITH_ARGUMENT(SendLB2PH)
WITH_ARGUMENT(SendLB3PH)
WITH_ARGUMENT(RPMCallRet)
CHANNEL(RPM2)
CHANNEL(OIL)
CHANNEL(OIL2)
CHANNEL(CHAFF)
CHANNEL(FLARE)
CHANNEL(PITCH)
CHANNEL(ROLL)
CHANNEL(TOTAL)
CHANNEL(INTERNAL)
CHANNEL(EXTERNAL)
CHANNEL(MACH)
CHANNEL(KIAS)
CHANNEL(GS)
CHANNEL(NOZZLE)
CHANNEL(NOZZLE2)
CHANNEL(FTIT)
CHANNEL(FTIT2)
CHANNEL(SPEEDBRAKE)
CHANNEL(EPUFUEL)
CHANNEL(FUELFLOW)
CHANNEL(UFC)
CHANNEL(AUX)
WITHOUT_ARGUMENT(SendINTWINGPH)
WITHOUT_ARGUMENT(SendFUELRESPH)
// clang-format on
#endif

EXPORT const char *FakeEFReaderCalls()
{
    return calls.c_str();
}
