// The simulator's named areas on Windows (this file is built there only).
#include "SharedMemory.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace tavrel::relay {

namespace {

// More than any layout reads; a larger area is copied this far.
constexpr SIZE_T kMostBytes = 64 * 1024;

// The size the area was created with. The section's own record has it exactly; a view
// only tells whole pages, which is the last resort.
SIZE_T areaSize(HANDLE mapping, const void *view)
{
    struct SectionBasicInformation
    {
        PVOID base;
        ULONG attributes;
        LARGE_INTEGER size;
    };
    using QuerySection = LONG(NTAPI *)(HANDLE, int, PVOID, SIZE_T, PSIZE_T);
    static const auto query = reinterpret_cast<QuerySection>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySection")));
    SectionBasicInformation info{};
    if (query && query(mapping, 0, &info, sizeof info, nullptr) >= 0 && info.size.QuadPart > 0)
        return SIZE_T(info.size.QuadPart);
    MEMORY_BASIC_INFORMATION region{};
    return VirtualQuery(view, &region, sizeof region) ? region.RegionSize : 0;
}

// Copies the named area into `out`; false, with `out` emptied, when it is not there.
bool copyArea(const wchar_t *name, QByteArray &out)
{
    out.resize(0);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ | SECTION_QUERY, FALSE, name);
    if (!mapping)
        return false;
    const void *view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view) {
        const SIZE_T size = std::min(areaSize(mapping, view), kMostBytes);
        out.resize(qsizetype(size));
        std::memcpy(out.data(), view, size);
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return view != nullptr;
}

// Opened afresh at every read, never held: a mapping kept open would keep the area alive
// after the simulator ends, and its values with it.
class WindowsAreas final : public SharedMemoryAreas
{
public:
    bool read(QByteArray &flightData, QByteArray &flightData2) override
    {
        if (!copyArea(L"FalconSharedMemoryArea", flightData)) {
            flightData2.resize(0);
            return false;
        }
        copyArea(L"FalconSharedMemoryArea2", flightData2);
        return true;
    }
};

} // namespace

std::unique_ptr<SharedMemoryAreas> systemSharedMemoryAreas()
{
    return std::make_unique<WindowsAreas>();
}

} // namespace tavrel::relay
