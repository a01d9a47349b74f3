#pragma once

#include "input/KeyInjector.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace tavrel {

// The keystroke routine: presses a combination of up to four keys in the simulator, which
// reads the keyboard by scan code. Keys are scan codes as the simulator knows them (set 1,
// 0x80 added for the E0-prefixed keys, so 157 is the right Control key); 0 means no key.
class F4Lib
{
public:
    // `yield` lets pending window events run.
    explicit F4Lib(std::function<void()> yield);
    ~F4Lib();
    F4Lib(const F4Lib &) = delete;
    F4Lib &operator=(const F4Lib &) = delete;

    // The injector the keys go to; without one, the desktop's is made at the first press.
    void setInjector(std::unique_ptr<KeyInjector> injector) { injector_ = std::move(injector); }

    // Counts the keys (a key after the first zero one is ignored, k1 always counts),
    // sends all of them down in one batch in argument order, then all of them up in one
    // batch, again in argument order (k1 first, not in reverse), yields once and returns
    // how many key-up events were accepted. A failed batch is not reported.
    std::int16_t PressKeys(std::uint8_t k1, std::uint8_t k2 = 0, std::uint8_t k3 = 0, std::uint8_t k4 = 0);

private:
    int send(std::span<const KeyRecord> records);

    std::function<void()> yield_;
    std::unique_ptr<KeyInjector> injector_;
};

} // namespace tavrel
