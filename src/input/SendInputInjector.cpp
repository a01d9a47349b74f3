// Windows: key events straight into the system's input stream with SendInput. Compiled on
// Windows only.
#include "input/KeyInjector.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <array>

namespace tavrel {

namespace {

// The key routine's batches hold at most four records: one SendInput call each, built in a
// fixed array, so a press allocates nothing. A longer batch goes in calls of four.
class SendInputInjector final : public KeyInjector
{
public:
    int send(std::span<const KeyRecord> records) override
    {
        int accepted = 0;
        while (!records.empty()) {
            const std::size_t n = std::min(records.size(), inputs_.size());
            for (std::size_t i = 0; i < n; ++i)
                fill(inputs_[i], records[i]);
            accepted += int(SendInput(UINT(n), inputs_.data(), int(sizeof(INPUT))));
            records = records.subspan(n);
        }
        return accepted;
    }

private:
    // The record as given, with one translation: a key of the E0 group (scan code with
    // 0x80 added, as the simulator numbers them: 157 is the right Control key) goes to
    // the system as its base code with the extended-key flag, which is how a keyboard
    // sends it; the system would otherwise take 157 for the release of the left Control.
    static void fill(INPUT &input, const KeyRecord &record)
    {
        input = INPUT{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = record.virtualKey;
        input.ki.wScan = record.scanCode;
        input.ki.dwFlags = record.flags;
        if (record.scanCode >= 0x80 && record.scanCode <= 0xFF) {
            input.ki.wScan = WORD(record.scanCode & 0x7F);
            input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        }
        input.ki.time = record.time;
        input.ki.dwExtraInfo = ULONG_PTR(record.extraInfo);
    }

    std::array<INPUT, 4> inputs_{};
};

} // namespace

std::unique_ptr<KeyInjector> makeSendInputInjector()
{
    return std::make_unique<SendInputInjector>();
}

} // namespace tavrel
