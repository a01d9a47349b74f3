#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace tavrel {

// One keyboard event as the system's input stream takes it: the keyboard part of a
// Windows INPUT record (whose type is always 1, keyboard).
struct KeyRecord
{
    std::uint16_t virtualKey = 0;
    std::uint16_t scanCode = 0;
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
    std::uintptr_t extraInfo = 0;
};

// The flags of a record: the scan code names the key; the key goes up (else down).
inline constexpr std::uint32_t kKeyScanCode = 8;
inline constexpr std::uint32_t kKeyUp = 2;

// Where key events go: the system's input stream (SendInput on Windows, the XTEST
// extension on an X display) or a journal file. send() puts a batch of records into the
// stream in the order given and returns how many were accepted; an injector that cannot
// inject accepts none.
class KeyInjector
{
public:
    virtual ~KeyInjector() = default;
    virtual int send(std::span<const KeyRecord> records) = 0;
};

// The injector of this desktop: the journal when TAVREL_KEY_JOURNAL names a file, else
// SendInput on Windows, else XTEST when an X display is there and has the extension,
// else one that accepts nothing (and says so once on standard error).
std::unique_ptr<KeyInjector> makeKeyInjector();

} // namespace tavrel
