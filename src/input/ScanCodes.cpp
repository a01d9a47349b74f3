#include "input/ScanCodes.h"

#include <array>
#include <utility>

namespace tavrel::scancodes {

namespace {

// Codes 1 to 88 without the prefix are the main block, the keypad and F1 to F12; the
// kernel gave them their scan codes as key numbers (Esc 1, A 30, keypad 0 82, F12 88).
// 84 (Alt + Print Screen on old keyboards) has no key of its own.
// The rest, by the kernel's table for the E0 keys and the keys of Japanese, Brazilian
// and multimedia keyboards:
constexpr std::pair<std::uint8_t, std::uint8_t> kOtherKeys[] = {
    {0x64, 183}, // F13
    {0x65, 184}, // F14
    {0x66, 185}, // F15
    {0x70, 93},  // Katakana/Hiragana (Kana)
    {0x73, 89},  // Ro (Brazilian /?, ABNT C1)
    {0x79, 92},  // Henkan (Convert)
    {0x7B, 94},  // Muhenkan (No Convert)
    {0x7D, 124}, // Yen
    {0x90, 165}, // previous track
    {0x99, 163}, // next track
    {0x9C, 96},  // keypad Enter
    {0x9D, 97},  // right Control
    {0xA0, 113}, // mute
    {0xA1, 140}, // calculator
    {0xA2, 164}, // play / pause
    {0xA4, 166}, // stop (media)
    {0xAE, 114}, // volume down
    {0xB0, 115}, // volume up
    {0xB2, 172}, // web home
    {0xB5, 98},  // keypad /
    {0xB7, 99},  // Print Screen / SysRq
    {0xB8, 100}, // right Alt (AltGr)
    {0xC5, 119}, // Pause
    {0xC7, 102}, // Home
    {0xC8, 103}, // Up
    {0xC9, 104}, // Page Up
    {0xCB, 105}, // Left
    {0xCD, 106}, // Right
    {0xCF, 107}, // End
    {0xD0, 108}, // Down
    {0xD1, 109}, // Page Down
    {0xD2, 110}, // Insert
    {0xD3, 111}, // Delete
    {0xDB, 125}, // left Windows
    {0xDC, 126}, // right Windows
    {0xDD, 127}, // Menu (Application)
    {0xDE, 116}, // Power
    {0xDF, 142}, // Sleep
    {0xE3, 143}, // Wake
    {0xE5, 217}, // web search
    {0xE6, 156}, // web favourites
    {0xE7, 173}, // web refresh
    {0xE8, 128}, // web stop
    {0xE9, 159}, // web forward
    {0xEA, 158}, // web back
    {0xEB, 157}, // my computer
    {0xEC, 155}, // mail
    {0xED, 226}, // media select
};

constexpr std::array<std::uint8_t, 256> kEvdev = [] {
    std::array<std::uint8_t, 256> table{};
    for (int code = 1; code <= 88; ++code)
        table[std::size_t(code)] = code == 84 ? 0 : std::uint8_t(code);
    for (const auto &[scan, evdev] : kOtherKeys)
        table[scan] = evdev;
    return table;
}();

} // namespace

int evdevKeyCode(std::uint8_t scanCode)
{
    return kEvdev[scanCode];
}

int xKeyCode(std::uint8_t scanCode)
{
    const int evdev = kEvdev[scanCode];
    return evdev ? evdev + 8 : 0;
}

} // namespace tavrel::scancodes
