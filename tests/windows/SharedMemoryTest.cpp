// The simulator's shared memory made into records: the older layouts here, the current
// one through tavrel-relay.exe under wine (run-under-wine.sh leaves the recording).
#include "SharedMemory.h"
#include "Recording.h"
#include "StandInSimulator.h"

#include "core/Convert.h"
#include "sources/RelayWire.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <vector>

using namespace tavrel;
using namespace tavrel::relay;

namespace {

// Each layout, told by the first area's size and the version at byte 1900: a value put at
// a place lands in the field that layout keeps there (or nowhere: 0), the layout taken and
// "X"'s answer (the split layout's Flying bit is the HSI word's top bit). No second area.
TEST(SharedMemoryTest, EachLayoutBySizeAndVersion)
{
    // The first area's size, the place and field, the value put there and read from the
    // field, the version at byte 1900, the layout taken, whether "X" answers active.
    const std::tuple<qsizetype, qsizetype, const char *, double, double, std::int32_t, SimLayout, bool> rows[] = {
        {1276, 0, "ShipNorth", 7.5, 0, 0, SimLayout::Unknown, false},
        {1280, 72, "NozzlePos2", 7.5, 7.5, 0, SimLayout::Compact, true},
        {1280, 88, "RPM", 8.5, 8.5, 0, SimLayout::Compact, true},
        {1904, 96, "FTIT", 14.5, 14.5, 0, SimLayout::Inline, true},
        {1904, 92, "RPM2", 9.5, 9.5, 0, SimLayout::Inline, true},
        {1904, 100, "FTIT2", 12.5, 12.5, 0, SimLayout::Inline, true},
        {1904, 116, "OilPressure", 15.5, 15.5, 0, SimLayout::Inline, true},
        {1280, 120, "OilPressure2", 10.5, 10.5, 0, SimLayout::Compact, true},
        {1904, 124, "LightBits", 5, 5, 0, SimLayout::Inline, true},
        {1280, 248, "HSIBits", -2147483647, -2147483647, 0, SimLayout::Compact, true},
        {1280, 1264, "FWDFuel", 11.5, 11.5, 0, SimLayout::Compact, true},
        {1280, 1276, "VersionNum", 3, 3, 0, SimLayout::Compact, true},
        {1904, 1900, "VersionNum", 110, 0, 0, SimLayout::Inline, true}, // too small to be split
        {1920, 1916, "VersionNum", 100, 100, 109, SimLayout::Inline, true},
        {1920, 1900, "VersionNum", 110, 110, 110, SimLayout::Split, false},
        {1920, 232, "HSIBits", INT32_MIN, INT32_MIN, 110, SimLayout::Split, true},
        {1920, 72, "NozzlePos2", 7.5, 0, 110, SimLayout::Split, false}, // in the second area
    };
    for (const auto &[size, at, name, put, read, version1900, layout, active] : rows) {
        SCOPED_TRACE(std::to_string(size) + " bytes, " + name);
        const FieldInfo &field = *findFlightDataField(name);
        const bool isFloat = field.kind == FieldKind::Float;
        QByteArray area(size, '\0');
        if (size >= 1904)
            qToLittleEndian(version1900, area.data() + 1900);
        isFloat ? qToLittleEndian(float(put), area.data() + at) : qToLittleEndian(std::int32_t(put), area.data() + at);
        FlightData record{};
        const SimReading reading = convertSharedMemory(area, {}, record);
        EXPECT_EQ(isFloat ? double(floatField(record, field)) : intField(record, field), read);
        EXPECT_EQ(int(reading.layout), int(layout));
        EXPECT_EQ(reading.active, active);
    }
}

// The stand-in simulator's values (tests/windows/StandInSimulator.h), field by field: the
// float at byte offset o of the first area is o + 0.5 (of the second, 10000 + o + 0.5),
// the integers their offsets, the bit words with the top bit, the texts lines of 25
// letters whose NULs and the CR became spaces and whose 0xB0 a degree sign.
void expectStandInFlight(const FlightData &got, bool flying)
{
    std::vector<int> from; // in record order; -1 for the validity words
    for (int at = 0; at <= 68; at += 4)
        from.push_back(at);
    from.insert(from.end(), {10000, 72, 76, 80, 84, 10004, 88, 10008, 92, 96, 100, 104, 10012});
    for (int at = 108; at <= 232; at += 4)
        from.push_back(at);
    from.insert(from.end(), {756, 760, 764, 1888, 1892, 1896, -1, -1, -1, -1, 1900});
    auto next = from.begin();
    for (const FieldInfo &field : kFlightDataFields) {
        const bool isFloat = field.kind == FieldKind::Float;
        if (!isFloat && field.kind != FieldKind::Int)
            continue;
        const int at = *next++;
        const bool bitWord = at == 108 || at == 124 || at == 128 || (at == 232 && flying);
        const double want = isFloat ? at + 0.5 : at < 0 ? -1 : at == 1900 ? 118 : int(bitWord ? 0x80000000u | at : at);
        EXPECT_EQ(isFloat ? double(floatField(got, field)) : intField(got, field), want) << field.name;
    }
    QString texts;
    for (int n = 0; n < 4 * kTextFieldLength; ++n)
        texts += n % 26 == 25 || n == 29 ? u' ' : n == 241 ? u'\u00B0' : QChar(u'A' + n % 23);
    EXPECT_EQ(QStringView(got.DEDLines, texts.size()), texts);
}

// The stand-in simulator's areas (the current layout) read here, of the second area just the
// second engine's 16 bytes.
TEST(SharedMemoryTest, TheCurrentLayoutReadsEveryFieldFromItsPlace)
{
    for (const bool flying : {true, false}) {
        unsigned char area[standin::kAreaSize] = {}, area2[standin::kArea2Size] = {};
        standin::fill(area, area2, 0, flying);
        FlightData record{};
        const SimReading reading = convertSharedMemory(QByteArrayView(area, sizeof area), QByteArrayView(area2, 16),
                                                       record);
        EXPECT_EQ(int(reading.layout), int(SimLayout::Split));
        EXPECT_EQ(reading.active, flying);
        expectStandInFlight(record, flying);
    }
}

// Flying records only while the Flying bit was on (the menus' values never), then the
// record that says the player has landed.
TEST(SharedMemoryTest, RecordingThroughTheWindowsRelayReadsBack)
{
    const QString path = qEnvironmentVariable("TAVREL_STANDIN_RECORDING");
    if (path.isEmpty())
        GTEST_SKIP() << "no recording from the Windows test";
    const RecordingLoad load = loadRecording(path);
    ASSERT_TRUE(load.error.isEmpty()) << load.error.toStdString();
    ASSERT_GE(load.entries.size(), 2);
    for (qsizetype n = 0; n < load.entries.size(); ++n) {
        const bool flying = n < load.entries.size() - 1;
        FlightData record;
        EXPECT_EQ(parseRecord(convert::decodeWindows1252(load.entries[n].record), record), flying) << n;
        expectStandInFlight(record, flying);
    }
}

} // namespace
