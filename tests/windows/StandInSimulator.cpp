// The stand-in simulator (Windows): creates the simulator's two named areas and fills
// them as StandInSimulator.h says, one step per line of standard input, each step
// echoed on standard output once done: "menu" (in the simulator's menus), "fly" (in the
// aircraft), "land" (the Flying bit off, the values left), "quit" (the areas go away).
#include "StandInSimulator.h"

#include <windows.h>

#include <iostream>
#include <string>

int main()
{
    const auto createArea = [](const wchar_t *name, DWORD size) {
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
        return static_cast<unsigned char *>(mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size)
                                                    : nullptr);
    };
    unsigned char *area = createArea(L"FalconSharedMemoryArea", standin::kAreaSize);
    unsigned char *area2 = createArea(L"FalconSharedMemoryArea2", standin::kArea2Size);
    std::string step;
    while (area && area2 && std::getline(std::cin, step) && step != "quit") {
        if (step == "land")
            standin::put(area + standin::kHsiBits, standin::kHsiBits); // the Flying bit off
        else
            standin::fill(area, area2, step == "fly" ? 0 : standin::kMenuBase, step == "fly");
        std::cout << step << std::endl;
    }
    return area && area2 ? 0 : 1;
}
