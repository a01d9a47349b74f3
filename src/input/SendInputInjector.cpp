// Windows: key events straight into the system's input stream with SendInput, records as
// given. Compiled on Windows only.
#include "input/KeyInjector.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace tavrel {

namespace {

class SendInputInjector final : public KeyInjector
{
public:
    int send(std::span<const KeyRecord> records) override
    {
        std::vector<INPUT> inputs(records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wVk = records[i].virtualKey;
            inputs[i].ki.wScan = records[i].scanCode;
            inputs[i].ki.dwFlags = records[i].flags;
            inputs[i].ki.time = records[i].time;
            inputs[i].ki.dwExtraInfo = ULONG_PTR(records[i].extraInfo);
        }
        return int(SendInput(UINT(inputs.size()), inputs.data(), int(sizeof(INPUT))));
    }
};

} // namespace

std::unique_ptr<KeyInjector> makeSendInputInjector()
{
    return std::make_unique<SendInputInjector>();
}

} // namespace tavrel
