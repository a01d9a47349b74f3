#pragma once

#include <cstdint>

// Keyboard scan codes as the simulator reads them (set 1, 0x80 added for the E0-prefixed
// keys) and the key codes of an X display that uses the evdev keymap, as every Linux X
// server does.
namespace tavrel::scancodes {

// The Linux input key code (KEY_* of linux/input-event-codes.h) of a scan code; 0 when
// no key sends that code.
int evdevKeyCode(std::uint8_t scanCode);
// The X key code of a scan code: the evdev code + 8; 0 when no key sends that code.
int xKeyCode(std::uint8_t scanCode);

} // namespace tavrel::scancodes
