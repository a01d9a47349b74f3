// A stand-in for the EPIC card's driver library that exports five of its functions and
// writes each call down as the virtual card's journal would; FakeEFReaderCalls reads it.
// On Windows its functions are plain exports of the Windows calling convention, as the
// card's library has them.
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
EXPORT std::int32_t CALL OpenEpic()
{
    return note("OpenEpic");
}
EXPORT std::int32_t CALL RPMPHCallRet(std::int32_t ph)
{
    return note("RPMPHCallRet", std::to_string(ph));
}
EXPORT std::int32_t CALL SendRPMPH()
{
    return note("SendRPMPH");
}
EXPORT std::int32_t CALL LBPHCallRet(std::int32_t ph)
{
    return note("LBPHCallRet", std::to_string(ph));
}
EXPORT std::int32_t CALL SendLBPH(std::int32_t bits)
{
    return note("SendLBPH", std::to_string(bits));
}
EXPORT const char *FakeEFReaderCalls()
{
    return calls.c_str();
}
