// The key routine on Windows: "Gear Up" and "Gear Down" pressed through SendInput reach a
// window of this program, which has the keyboard, as key-down and key-up messages in
// argument order with the keys' scan codes. Needs a desktop (keys.sh runs it on Xvfb).
#include "input/F4Lib.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
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

TEST(SendInput, GearUpAndGearDownReachTheFocusedWindowWithTheirScanCodes)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavrelSendInputTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(windowClass.lpszClassName, L"Tavrel SendInput test", WS_OVERLAPPEDWINDOW, 0, 0, 320,
                                200, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    // The desktop may still be coming up and take the foreground back: ask until it holds.
    for (int i = 0; i < 1000 && (GetForegroundWindow() != window || GetFocus() != window); ++i, Sleep(10)) {
        SetForegroundWindow(window);
        SetFocus(window);
        pumpMessages();
    }
    ASSERT_EQ(GetForegroundWindow(), window);
    ASSERT_EQ(GetFocus(), window);
    await(0);

    tavrel::F4Lib keys(pumpMessages);
    keys.setInjector(tavrel::makeKeyInjector());
    EXPECT_EQ(keys.PressKeys(56, 42, 157, 48), 4) << "key-ups accepted";
    // 157 is the right Control key: 29 with the E0 prefix.
    EXPECT_EQ(await(8), "down 56, down 42, down 29 extended, down 48, up 56, up 42, up 29 extended, up 48");
    EXPECT_EQ(keys.PressKeys(36), 1) << "key-ups accepted";
    EXPECT_EQ(await(2), "down 36, up 36");
}
