// Fuzz target for the recording reader of tavrel-relay: the bytes are a recording file.
// Besides not crashing or hanging: a file that reads is exactly what writing its entries
// gives back (the format has one spelling), a refused file gives no entries and a place
// inside it, and the replay schedule finds a standing entry at any moment.
#include "FlightSource.h"
#include "Recording.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tavrel::relay;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const RecordingReadResult result = readRecording(bytes);

    if (!result.ok()) {
        const RecordingError &error = *result.error;
        check(result.entries.isEmpty());
        check(error.offset >= 0 && error.offset <= bytes.size());
        check(error.line == bytes.first(error.offset).count('\n') + 1);
        check(!error.message.isEmpty());
        return 0;
    }

    QByteArray again = kRecordingHeader.toByteArray();
    for (qsizetype i = 0; i < result.entries.size(); ++i) {
        const RecordingEntry &entry = result.entries[i];
        check(entry.ms >= 0 && entry.ms <= kMaxRecordingMs);
        check(i == 0 || entry.ms >= result.entries[i - 1].ms);
        check(entry.record.size() <= kMaxRecordBytes);
        again += formatRecordingEntry(entry);
    }
    check(again == bytes);

    if (!result.entries.isEmpty()) {
        const qint64 loop = loopLength(result.entries);
        check(loop >= 1);
        for (const qint64 elapsed : {qint64(0), qint64(size) * 7919, loop - 1, loop, 2 * kMaxRecordingMs}) {
            const qsizetype at = entryAt(result.entries, elapsed);
            check(at >= 0 && at < result.entries.size());
        }
    }
    return 0;
}
