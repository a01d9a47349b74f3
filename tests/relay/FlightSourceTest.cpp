// What the peer serves: which recorded entry stands at which moment of a replay, what the
// simulated flight answers before and after the simulator comes up, and how a batch of
// requests is answered.
#include "FlightSource.h"

#include "core/Convert.h"
#include "sources/RelayWire.h"

#include <gtest/gtest.h>

#include <QString>

namespace tavrel::relay {
namespace {

using namespace Qt::StringLiterals;

QString decoded(const QByteArray &bytes) { return convert::decodeWindows1252(bytes); }

QList<RecordingEntry> entriesAt(std::initializer_list<qint64> times)
{
    QList<RecordingEntry> entries;
    for (const qint64 ms : times)
        entries.append({ms, true, QByteArray::number(entries.size())});
    return entries;
}

struct ReplayMoment
{
    const char *what;
    std::initializer_list<qint64> times;
    qint64 elapsedMs;
    qsizetype entry;
};

TEST(ReplaySchedule, EachEntryStandsUntilTheNextAndTheRecordingLoops)
{
    const ReplayMoment moments[] = {
        // 0, 100, 300: the last entry stands 200 ms, as long as the gap before it, so a
        // round lasts 500 ms.
        {"first at once", {0, 100, 300}, 0, 0},
        {"first until the second", {0, 100, 300}, 99, 0},
        {"second on its time", {0, 100, 300}, 100, 1},
        {"second until the third", {0, 100, 300}, 299, 1},
        {"last on its time", {0, 100, 300}, 300, 2},
        {"last for one more gap", {0, 100, 300}, 499, 2},
        {"start over", {0, 100, 300}, 500, 0},
        {"later rounds", {0, 100, 300}, 1100, 1},
        // Replay time starts at the first entry's time.
        {"late first entry", {1000, 1100}, 0, 0},
        {"late first entry, second", {1000, 1100}, 150, 1},
        {"late first entry, next round", {1000, 1100}, 200, 0},
        {"one entry stands forever", {42}, 123456789, 0},
        {"same time: the later one", {0, 0, 50}, 0, 1},
        {"same time at the end: one ms each round", {0, 50, 50}, 50, 2},
        {"same time at the end, next round", {0, 50, 50}, 51, 0},
        {"far times do not overflow", {0, kMaxRecordingMs}, 2 * kMaxRecordingMs - 1, 1},
    };
    for (const ReplayMoment &m : moments)
        EXPECT_EQ(entryAt(entriesAt(m.times), m.elapsedMs), m.entry) << m.what;
}

TEST(ReplaySource, AnswersWithTheStandingEntryByteForByte)
{
    qint64 now = 0;
    const QList<RecordingEntry> entries = {
        {0, false, "first\rrecord"},
        {100, true, "second \x80 record"},
    };
    ReplaySource source(entries, [&now] { return now; });
    EXPECT_FALSE(source.isActive());
    EXPECT_EQ(source.record(), entries[0].record);
    now = 100;
    EXPECT_TRUE(source.isActive());
    EXPECT_EQ(source.record(), entries[1].record);
    now = 200; // round two
    EXPECT_FALSE(source.isActive());
}

TEST(ReplaySource, FromStartGivesEveryClientTheRecordingFromItsFirstEntry)
{
    qint64 now = 0;
    const QList<RecordingEntry> entries = {{0, false, "first"}, {100, true, "second"}, {250, false, "third"}};
    ReplaySource shared(entries, [&now] { return now; });
    ReplaySource fromStart(entries, [&now] { return now; }, true);
    now = 120;
    shared.clientTaken();
    fromStart.clientTaken();
    EXPECT_EQ(shared.record(), "second") << "program time goes on";
    EXPECT_EQ(fromStart.record(), "first");
    now = 220;
    EXPECT_EQ(fromStart.record(), "second");
    now = 400;
    EXPECT_EQ(fromStart.record(), "third");
    fromStart.clientTaken(); // the next client starts over
    EXPECT_EQ(fromStart.record(), "first");
    EXPECT_FALSE(fromStart.isActive());
}

TEST(SimulatedSource, ComesUpTwoSecondsAfterTheStartAndSamplesTheFlightAtThatTime)
{
    qint64 now = 0;
    SimulatedSource source([&now] { return now; });
    const SimulatedFlight flight;
    for (const qint64 ms : {qint64(0), qint64(1999), qint64(2000), qint64(45'500), qint64(150'000)}) {
        now = ms;
        const bool up = ms >= SimulatedSource::kStartMs;
        EXPECT_EQ(source.isActive(), up) << ms;
        FlightData read{};
        EXPECT_EQ(parseRecord(decoded(source.record()), read), up) << ms;
        FlightData expected{};
        flight.sample(double(ms) / 1000.0, expected);
        EXPECT_EQ(read.KIAS, expected.KIAS) << ms;
        EXPECT_EQ(read.GearPos, expected.GearPos) << ms;
        EXPECT_EQ(read.LightBits, expected.LightBits) << ms;
    }
}

TEST(Requests, EveryXAndYIsAnsweredInOrderAndOtherBytesAreIgnored)
{
    qint64 now = 0;
    ReplaySource source({{0, true, "rec"}}, [&now] { return now; });
    const QByteArray yes = livenessAnswer(true);
    const struct
    {
        QByteArray requests;
        QByteArray answers;
        QByteArray served;
    } cases[] = {
        {"", "", ""},
        {"X", yes, "X"},
        {"Y", "rec", "Y"},
        {"XY", yes + "rec", "XY"},
        {"YYX", "recrec" + yes, "YYX"},
        {"x y\r\nZ\0"_ba, "", ""},
        {"?X\nY!", yes + "rec", "XY"},
    };
    for (const auto &c : cases) {
        QByteArray served;
        const QByteArray answers = answerRequests(c.requests, source, [&served](char request, const QByteArray &) {
            served += request;
        });
        EXPECT_EQ(answers, c.answers) << c.requests.toStdString();
        EXPECT_EQ(served, c.served) << c.requests.toStdString();
    }
}

TEST(RecordFraming, ARecordIsCompleteWithItsFlagAfterTheEightyFourthCr)
{
    const QByteArray record = formatRecord(FlightData{}, true);
    const QByteArray fields = QByteArray(kFieldCount, '\r');
    const struct
    {
        const char *what;
        QByteArray received;
        qsizetype length;
    } cases[] = {
        {"nothing yet", "", 0},
        {"a whole record", record, record.size()},
        {"a record and the start of the next", record + "R1\r", record.size()},
        {"all but the flag", record.chopped(1), 0},
        {"empty fields", 'L' + fields + '1', 86},
        {"a CR as leading character is not a field end", '\r' + fields + '0', 86},
        {"a CR as leading character, one field short", '\r' + fields.chopped(1) + '0', 0},
        {"a CR as flag", 'L' + fields + '\r', 86},
    };
    for (const auto &c : cases)
        EXPECT_EQ(completeRecordLength(c.received), c.length) << c.what;
}

} // namespace
} // namespace tavrel::relay
