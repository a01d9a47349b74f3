// Fuzz target for tavrel-relay's reading of the simulator's shared memory: the first two
// bytes say how long the first area is, the rest is that area and then the second one.
// Besides reading nothing outside them: the answer is active only for a known layout
// (in the current one only with the Flying bit), and no text read keeps a NUL or a CR.
#include "SharedMemory.h"

#include <algorithm>
#include <cstdlib>

using namespace tavrel::relay;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const qsizetype first = std::min<qsizetype>(qsizetype(size) - 2, data[0] << 8 | data[1]);
    const QByteArrayView areas(reinterpret_cast<const char *>(data) + 2, qsizetype(size) - 2);
    tavrel::FlightData record;
    const SimReading reading = convertSharedMemory(areas.first(first), areas.sliced(first), record);
    const bool known = reading.layout != SimLayout::Unknown;
    const auto *texts = record.DEDLines, *end = texts + 4 * tavrel::kTextFieldLength;
    if (reading.active != (known && (reading.layout != SimLayout::Split || record.HSIBits < 0))
        || (known && (std::find(texts, end, u'\0') != end || std::find(texts, end, u'\r') != end)))
        std::abort();
    return 0;
}
