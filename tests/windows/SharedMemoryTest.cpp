// The simulator's shared memory made into records: the older layouts here, the current
// one through tavrel-relay.exe under wine (run-under-wine.sh leaves the recording).
#include "SharedMemory.h"
#include "Recording.h"

#include "core/Convert.h"
#include "sources/RelayWire.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <vector>

using namespace tavrel;
using namespace tavrel::relay;

namespace {

// Older layouts (no Flying bit): a value put where one keeps a field lands in that field.
TEST(SharedMemoryTest, ReadsOlderLayoutsWithTheSecondEngineInline)
{
    struct Case
    {
        qsizetype size, at;
        const char *field;
        double value;
    };
    for (const Case &c : {Case{1280, 72, "NozzlePos2", 7.5},
                          {1280, 88, "RPM", 8.5},
                          {1904, 96, "FTIT", 14.5},
                          {1904, 100, "FTIT2", 12.5},
                          {1904, 116, "OilPressure", 15.5},
                          {1280, 120, "OilPressure2", 10.5},
                          {1280, 248, "HSIBits", -2147483647},
                          {1280, 1264, "FWDFuel", 11.5},
                          {1280, 1276, "VersionNum", 3},
                          {1920, 1916, "VersionNum", 100}}) {
        const FieldInfo &field = *findFlightDataField(c.field);
        const bool isFloat = field.kind == FieldKind::Float;
        QByteArray area(c.size, '\0');
        isFloat ? qToLittleEndian(float(c.value), area.data() + c.at)
                : qToLittleEndian(int(c.value), area.data() + c.at);
        FlightData record;
        EXPECT_TRUE(convertSharedMemory(area, {}, record).active) << c.size;
        EXPECT_EQ(isFloat ? double(floatField(record, field)) : intField(record, field), c.value) << c.field;
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
