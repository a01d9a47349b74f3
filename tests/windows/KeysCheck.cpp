// The key routine on Windows: "Gear Up" and "Gear Down" pressed through SendInput reach a
// window of this program, which has the keyboard, as key-down and key-up messages in
// argument order with the keys' scan codes. One line per failed check; exit code 1 on any.
#include "input/F4Lib.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>

namespace {

// What the window received: "down 56, up 29 extended, ..." (the message's scan code, flag).
std::string received;
int messages = 0;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (!down && message != WM_KEYUP && message != WM_SYSKEYUP)
        return DefWindowProcW(window, message, wParam, lParam);
    received += (messages++ ? ", " : "") + std::string(down ? "down " : "up ") + std::to_string((lParam >> 16) & 0xFF)
                + (lParam & (1 << 24) ? " extended" : "");
    return 0; // not on to the default handling: a lone Alt would open the system menu
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// Pumps until `count` key messages have arrived, or ten seconds have passed.
std::string await(int count)
{
    for (int i = 0; i < 1000 && messages < count; ++i, Sleep(10))
        pumpMessages();
    messages = 0;
    return std::exchange(received, {});
}

} // namespace

int main()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavrelKeysCheck";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(windowClass.lpszClassName, L"Tavrel keys check", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    // The desktop may still be coming up and take the foreground back: ask until it holds.
    for (int i = 0; i < 1000 && (GetForegroundWindow() != window || GetFocus() != window); ++i, Sleep(10)) {
        SetForegroundWindow(window);
        SetFocus(window);
        pumpMessages();
    }
    await(0);

    tavrel::F4Lib keys(pumpMessages);
    keys.setInjector(tavrel::makeKeyInjector());
    const int gearUp = keys.PressKeys(56, 42, 157, 48);
    const std::string gearUpKeys = await(8);
    const int gearDown = keys.PressKeys(36);
    const std::string gearDownKeys = await(2);

    // What is checked, what it got and what it wants.
    const std::tuple<const char *, std::string, std::string> checks[] = {
        {"the window is in the foreground with the keyboard",
         GetForegroundWindow() == window && GetFocus() == window ? "yes" : "no", "yes"},
        {"Gear Up: key-ups accepted", std::to_string(gearUp), "4"},
        // 157 is the right Control key: 29 with the E0 prefix
        {"Gear Up: messages", gearUpKeys,
         "down 56, down 42, down 29 extended, down 48, up 56, up 42, up 29 extended, up 48"},
        {"Gear Down: key-ups accepted", std::to_string(gearDown), "1"},
        {"Gear Down: messages", gearDownKeys, "down 36, up 36"},
    };
    int failed = 0;
    for (const auto &[what, got, want] : checks)
        if (got != want && ++failed)
            std::printf("keys check: %s: got \"%s\", want \"%s\"\n", what, got.c_str(), want.c_str());
    std::printf("keys check: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
