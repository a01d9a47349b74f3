// Fuzz target for the recording reader of tavrel-relay: the bytes are a recording file. A
// file that reads is exactly what writing its entries gives back (the format has one
// spelling); a refused one gives no entries and a place inside it.
#include "Recording.h"

#include <cstdint>
#include <cstdlib>

using namespace tavrel::relay;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const RecordingReadResult result = readRecording(bytes);
    QByteArray again = kRecordingHeader.toByteArray();
    for (const RecordingEntry &entry : result.entries)
        again += formatRecordingEntry(entry);
    if (result.ok() ? again != bytes : !result.entries.isEmpty() || result.error->offset > bytes.size())
        std::abort();
    return 0;
}
