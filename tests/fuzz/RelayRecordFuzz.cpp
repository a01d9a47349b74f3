// Fuzz target for the relay receiver: the bytes are one arrival from a relay peer, in
// Windows-1252. Besides not crashing or hanging, the parse leaves the reserved block
// alone, and what it made survives being written out by the peer's side and read back:
// the same bytes again, the same flag; and what the peer's side writes is always a
// plausible record, whose flag the plausibility check agrees with. The recovering link's record assembler hands on
// the same whole records whether the bytes come at once or in pieces.
#include "core/Convert.h"
#include "sources/RelayAssembler.h"
#include "sources/RelayWire.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace tavrel;

namespace {

// Every whole record the assembler hands on from `bytes`, fed in pieces of `step` bytes.
std::vector<QByteArray> assembled(QByteArrayView bytes, qsizetype step)
{
    relay::RecordAssembler assembler;
    std::vector<QByteArray> records(1);
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        assembler.append(bytes.sliced(at, std::min(step, bytes.size() - at)));
        while (assembler.takeRecord(records.back())) {
            if (records.back().size() != relay::completeRecordLength(records.back()))
                std::abort();
            records.emplace_back();
        }
    }
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView arrival(data, qsizetype(size));
    if (arrival.size() <= relay::RecordAssembler::kMaxPending) {
        const qsizetype step = arrival.isEmpty() ? 1 : 1 + static_cast<unsigned char>(arrival[0]) % 97;
        if (assembled(arrival, arrival.size() + 1) != assembled(arrival, step))
            std::abort();
    }
    static QString text;
    convert::decodeWindows1252(arrival, text);
    FlightData first{}, second{};
    first.FlightDataReserved[7] = 0x5A5A5A5A;
    const bool active = relay::readRecord(text, first).value_or(false);
    const QByteArray bytes = relay::formatRecord(first, active);
    if (first.FlightDataReserved[7] != 0x5A5A5A5A || relay::parseRecord(text, second) != active
        || relay::readRecord(convert::decodeWindows1252(bytes), second) != active
        || relay::formatRecord(second, active) != bytes)
        std::abort();
    if (!relay::isPlausibleRecord(convert::decodeWindows1252(bytes)))
        std::abort();
    if (relay::isPlausibleRecord(text) && active != text.endsWith(u'1'))
        std::abort();
    return 0;
}
