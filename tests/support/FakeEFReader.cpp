// A stand-in for the EPIC card's driver library that exports three of its functions and
// writes each call down as the virtual card's journal would; FakeEFReaderCalls reads it.
#include <cstdint>
#include <string>

static std::string calls;
static std::int32_t note(const char *f, const std::string &arg = {}) { return calls += f + ('\t' + arg + '\n'), 1; }
extern "C" std::int32_t OpenEpic() { return note("OpenEpic"); }
extern "C" std::int32_t RPMPHCallRet(std::int32_t ph) { return note("RPMPHCallRet", std::to_string(ph)); }
extern "C" std::int32_t SendRPMPH() { return note("SendRPMPH"); }
extern "C" const char *FakeEFReaderCalls() { return calls.c_str(); }
