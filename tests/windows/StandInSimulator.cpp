// The stand-in simulator (Windows): creates the simulator's two named areas and fills
// them with the known values of StandInSimulator.h, one step per line of standard input,
// each step answered with the same line on standard output once it is done:
//   menu  the values of the simulator's menus, not in the aircraft
//   fly   the values of the flight, then the Flying bit
//   land  the Flying bit off, the values left as they are
//   quit  the areas go away
#include "StandInSimulator.h"

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

template <typename Block>
Block *createArea(const wchar_t *name)
{
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Block), name);
    if (!mapping)
        return nullptr;
    return static_cast<Block *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Block)));
}

void setHsiBits(standin::FlightData *area, std::uint32_t bits)
{
    MemoryBarrier();
    std::memcpy(reinterpret_cast<char *>(area) + offsetof(standin::FlightData, hsiBits), &bits, 4);
}

} // namespace

int main()
{
    auto *area = createArea<standin::FlightData>(L"FalconSharedMemoryArea");
    auto *area2 = createArea<standin::FlightData2>(L"FalconSharedMemoryArea2");
    if (!area || !area2) {
        std::fprintf(stderr, "standin-simulator: cannot create the areas (%lu)\n", GetLastError());
        return 1;
    }
    standin::FlightData next;
    standin::FlightData2 next2;
    std::string step;
    while (std::getline(std::cin, step) && step != "quit") {
        if (step == "menu" || step == "fly") {
            const bool flying = step == "fly";
            standin::fill(next, next2, flying ? standin::kFlyingBase : standin::kWaitingBase, flying);
            const std::uint32_t hsiBits = next.hsiBits;
            next.hsiBits &= ~standin::kFlying; // the bit goes on once every value stands
            *area2 = next2;
            *area = next;
            setHsiBits(area, hsiBits);
        } else if (step == "land") {
            standin::FlightData now = *area;
            setHsiBits(area, now.hsiBits & ~standin::kFlying);
        } else {
            std::fprintf(stderr, "standin-simulator: unknown step '%s'\n", step.c_str());
            continue;
        }
        std::printf("%s\n", step.c_str());
        std::fflush(stdout);
    }
    return 0;
}
