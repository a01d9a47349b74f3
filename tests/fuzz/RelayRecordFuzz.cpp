// Fuzz target for the relay receiver's record parse: the bytes are one arrival from a
// relay peer, in Windows-1252. Besides not crashing or hanging, the parse must leave the
// reserved block alone, store only finite floats, give the same answer through both entry
// points, and what it made must survive being written out again by the peer's side and
// read back. The same bytes also go through the record assembler of the recovering link,
// at once and in pieces: both must hand on the same whole records.
#include "core/FlightData.h"
#include "core/Convert.h"
#include "sources/RelayAssembler.h"
#include "sources/RelayWire.h"
#include "sources/SimulatedFlight.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

using namespace tavrel;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The staging record as an arrival finds it: a record from the simulated flight, with a
// pattern in the reserved block that no parse may touch.
FlightData startingRecord(std::int32_t reserved)
{
    FlightData d{};
    SimulatedFlight().sample(42.0, d);
    std::fill(std::begin(d.FlightDataReserved), std::end(d.FlightDataReserved), reserved);
    return d;
}

bool reservedIs(const FlightData &d, std::int32_t value)
{
    return std::all_of(std::begin(d.FlightDataReserved), std::end(d.FlightDataReserved),
                       [value](std::int32_t v) { return v == value; });
}

// Every whole record the assembler hands on from `bytes`, fed in pieces of `step` bytes.
std::vector<QByteArray> assembled(QByteArrayView bytes, qsizetype step)
{
    relay::RecordAssembler assembler;
    std::vector<QByteArray> records(1);
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        assembler.append(bytes.sliced(at, std::min(step, bytes.size() - at)));
        while (assembler.takeRecord(records.back())) {
            check(records.back().size() == relay::completeRecordLength(records.back()));
            records.emplace_back();
        }
    }
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView arrival(reinterpret_cast<const char *>(data), qsizetype(size));
    if (arrival.size() <= relay::RecordAssembler::kMaxPending) {
        const qsizetype step = arrival.isEmpty() ? 1 : 1 + static_cast<unsigned char>(arrival[0]) % 97;
        check(assembled(arrival, arrival.size() + 1) == assembled(arrival, step));
    }

    static const FlightData start = startingRecord(0x5A5A5A5A);
    static const FlightData other = startingRecord(-1);
    static QString text;
    static QByteArray bytes;
    static QString again;

    convert::decodeWindows1252(arrival, text);

    FlightData first = start;
    const std::optional<bool> flag = relay::readRecord(text, first);
    check(reservedIs(first, 0x5A5A5A5A));

    FlightData viaParse = start;
    check(relay::parseRecord(text, viaParse) == flag.value_or(false));
    check(std::memcmp(&first, &viaParse, sizeof first) == 0);

    // Written out and read back, every carried field comes back, a carriage return that
    // an overflowing parse took into a text field coming back as a space.
    const bool active = flag.value_or(false);
    relay::formatRecordInto(bytes, first, active);
    convert::decodeWindows1252(bytes, again);
    check(again.size() < 32767);
    FlightData second = other;
    check(relay::readRecord(again, second) == std::optional<bool>(active));
    check(reservedIs(second, -1));
    for (const FieldInfo &f : kFlightDataFields) {
        switch (f.kind) {
        case FieldKind::Float:
            check(std::isfinite(floatField(first, f)));
            check(floatField(second, f) == floatField(first, f));
            break;
        case FieldKind::Int:
            check(intField(second, f) == intField(first, f));
            break;
        case FieldKind::Text: {
            const QStringView sent = textField(std::as_const(first), f);
            const QStringView back = textField(std::as_const(second), f);
            for (qsizetype i = 0; i < kTextFieldLength; ++i)
                check(back[i] == (sent[i] == u'\r' ? QChar(u' ') : sent[i]));
            break;
        }
        case FieldKind::Reserved:
            break;
        }
    }
    return 0;
}
