// The simulator's shared memory made into records: the conversion on its own, and (when
// the Windows test under wine has left one) a recording taken through tavrel-relay.exe.
#include "Recording.h"
#include "SharedMemory.h"
#include "StandInSimulator.h"

#include "core/Convert.h"
#include "sources/RelayWire.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cstdlib>
#include <string>
#include <vector>

using namespace tavrel;
using namespace tavrel::relay;

namespace {

// The record the relay must make of the stand-in's areas.
FlightData expectedRecord(float base, bool flying)
{
    // Where each number field comes from, in record order: a byte offset of the first
    // area, 10000 on for the second, -1 for the validity words.
    std::vector<int> from;
    for (int at = 0; at <= 68; at += 4)
        from.push_back(at);
    from.insert(from.end(), {10000, 72, 76, 80, 84, 10004, 88, 10008, 92, 96, 100, 104, 10012});
    for (int at = 108; at <= 232; at += 4)
        from.push_back(at);
    from.insert(from.end(), {756, 760, 764, 1888, 1892, 1896, -1, -1, -1, -1, 1900});

    FlightData out;
    auto next = from.begin();
    for (const FieldInfo &field : kFlightDataFields) {
        if (field.kind == FieldKind::Float) {
            floatField(out, field) = base + float(*next++) + 0.5f;
        } else if (field.kind == FieldKind::Int) {
            const int at = *next++;
            const bool bitWord = at == 108 || at == 124 || at == 128 || (at == 232 && flying);
            intField(out, field) = at < 0 ? -1 : at == 1900 ? 118 : std::int32_t(bitWord ? 0x80000000u | at : at);
        }
    }
    standin::FlightData area;
    standin::FlightData2 area2;
    standin::fill(area, area2, base, flying);
    const char *text = &area.dedLines[0][0];
    for (int n = 0; n < 4 * kTextFieldLength; ++n)
        (&out.DEDLines[0])[n] = text[n] == 0 || text[n] == '\r' ? u' ' : convert::fromWindows1252(text[n]);
    return out;
}

std::string differences(const FlightData &got, const FlightData &want)
{
    std::string names;
    for (const FieldInfo &field : kFlightDataFields) {
        const auto *a = reinterpret_cast<const char *>(&got) + field.offset;
        const auto *b = reinterpret_cast<const char *>(&want) + field.offset;
        if (std::memcmp(a, b, fieldSize(field.kind)) != 0)
            names += std::string(field.name) + ' ';
    }
    return names;
}

QByteArrayView bytesOf(const auto &block) { return {reinterpret_cast<const char *>(&block), sizeof block}; }

TEST(SharedMemoryTest, ConvertsTheCurrentLayoutFieldByField)
{
    standin::FlightData area;
    standin::FlightData2 area2;
    for (const bool flying : {false, true}) {
        standin::fill(area, area2, standin::kFlyingBase, flying);
        FlightData record;
        const SimReading reading = convertSharedMemory(bytesOf(area), bytesOf(area2), record);
        EXPECT_EQ(reading.layout, SimLayout::Split);
        EXPECT_EQ(reading.active, flying);
        EXPECT_EQ(differences(record, expectedRecord(standin::kFlyingBase, flying)), "");
    }
}

// Older layouts: one value put where that layout keeps it must land in its field.
TEST(SharedMemoryTest, ReadsOlderLayoutsWithTheSecondEngineInline)
{
    struct Case { qsizetype size; qsizetype at; const char *field; double value; };
    const Case cases[] = {
        {1280, 72, "NozzlePos2", 7.5},       {1280, 88, "RPM", 8.5},
        {1280, 92, "RPM2", 9.5},             {1280, 120, "OilPressure2", 10.5},
        {1280, 248, "HSIBits", -2147483647}, {1280, 772, "UFCTChan", 75},
        {1280, 1264, "FWDFuel", 11.5},       {1280, 1276, "VersionNum", 3},
        {1904, 100, "FTIT2", 12.5},          {1904, 780, "RWRObjectCount", 4},
        {1920, 1912, "TotalFuel", 13.5},     {1920, 1916, "VersionNum", 100},
    };
    for (const Case &c : cases) {
        const FieldInfo &field = *findFlightDataField(c.field);
        QByteArray area(c.size, '\0');
        if (field.kind == FieldKind::Float)
            qToLittleEndian(float(c.value), area.data() + c.at);
        else
            qToLittleEndian(std::int32_t(c.value), area.data() + c.at);
        FlightData record;
        const SimReading reading = convertSharedMemory(area, {}, record);
        EXPECT_NE(reading.layout, SimLayout::Split) << c.size;
        EXPECT_TRUE(reading.active) << c.size; // no Flying bit in these layouts
        const double got = field.kind == FieldKind::Float ? double(floatField(record, field))
                                                          : double(intField(record, field));
        EXPECT_EQ(got, c.value) << c.size << " " << c.field;
    }
    FlightData untouched;
    untouched.KIAS = 1;
    EXPECT_EQ(convertSharedMemory(QByteArray(1279, '\x7f'), {}, untouched).layout, SimLayout::Unknown);
    EXPECT_EQ(untouched.KIAS, 1);
}

// The Windows test (tests/windows/run-under-wine.sh) runs the stand-in simulator and
// tavrel-relay.exe under wine and records them from here; the recording must read back
// as the stand-in's values: flying records only while the Flying bit was on, and the
// record that says the player has landed.
TEST(SharedMemoryTest, RecordingThroughTheWindowsRelayReadsBack)
{
    const char *path = std::getenv("TAVREL_STANDIN_RECORDING");
    if (!path)
        GTEST_SKIP() << "no recording from the Windows test";
    const RecordingLoad load = loadRecording(QString::fromLocal8Bit(path));
    ASSERT_EQ(load.error, QString());
    ASSERT_GE(load.entries.size(), 2);
    for (qsizetype n = 0; n < load.entries.size(); ++n) {
        const bool last = n == load.entries.size() - 1;
        const RecordingEntry &entry = load.entries[n];
        FlightData record;
        EXPECT_EQ(parseRecord(convert::decodeWindows1252(entry.record), record), !last) << n;
        EXPECT_EQ(entry.active, !last) << n;
        EXPECT_EQ(differences(record, expectedRecord(standin::kFlyingBase, !last)), "") << "record " << n;
    }
}

} // namespace
