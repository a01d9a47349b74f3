#pragma once

// What the stand-in simulator publishes in the simulator's two areas (its current
// layout): every value names where it stands, so a field read from the wrong place
// shows at once. The float at byte offset o holds base + o + 0.5 (in the second area
// base + 10000 + o + 0.5), the integers hold their offset, the bit words carry the top
// bit, the texts are lines of 25 letters each ended by a NUL.
#include <atomic>
#include <cstdint>
#include <cstring>

namespace standin {

inline constexpr int kAreaSize = 1920, kArea2Size = 512, kHsiBits = 232;
inline constexpr float kMenuBase = 50000; // the values while in the simulator's menus

inline void put(unsigned char *to, auto value)
{
    std::memcpy(to, &value, 4);
}

// The HSI bit word, with the Flying bit, goes last: it stands for every value before it.
inline void fill(unsigned char *area, unsigned char *area2, float base, bool flying)
{
    for (int at = 0; at < kAreaSize; at += 4)
        put(area + at, base + float(at) + 0.5f);
    for (int at = 0; at < 16; at += 4)
        put(area2 + at, base + float(at) + 10000.5f);
    for (const std::uint32_t at : {108u, 124u, 128u, 160u, 164u, 168u, 756u, 760u, 764u})
        put(area + at, at < 160 ? 0x80000000u | at : at); // bit words, then integers
    put(area + 1900, 118);                                // the version
    for (int n = 0; n < 4 * 130; ++n)
        area[236 + n] = n % 26 == 25 ? 0 : 'A' + n % 23;
    area[236 + 29] = '\r';
    area[366 + 111] = 0xB0; // a degree sign in Windows-1252
    std::atomic_thread_fence(std::memory_order_release);
    put(area + kHsiBits, (flying ? 0x80000000u : 0) | kHsiBits);
}

} // namespace standin
