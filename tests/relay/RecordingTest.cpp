// tavrel-relay's boundaries: the recording format (what it writes reads back, what is
// malformed is refused with its place), the replay schedule and the requests it answers,
// and the recorder against a loopback peer.
#include "Recording.h"
#include "FlightSource.h"
#include "RelayRecorder.h"

#include "sources/RelayWire.h"
#include "support/RelayPeer.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace tavrel;
using namespace tavrel::relay;
using namespace Qt::StringLiterals;

TEST(Recording, WhatIsWrittenReadsBack)
{
    const QList<RecordingEntry> entries = {{0, false, "R1\r2\r0"},
                                           {0, true, "same time"},
                                           {100, true, "CR LF\r\n \n\0 NUL"_ba},
                                           {kMaxRecordingMs, true, QByteArray(kMaxRecordBytes, '\r')}};
    QByteArray bytes = kRecordingHeader.toByteArray();
    for (const RecordingEntry &entry : entries)
        bytes += formatRecordingEntry(entry);
    EXPECT_EQ(readRecording(bytes).entries, entries);
    EXPECT_EQ(formatRecordingEntry({1500, true, "a\rb"}), "1500 1 3\na\rb\n"_ba);
    EXPECT_TRUE(readRecording(kRecordingHeader.toByteArray() + "900 1 1\na\n900 1 1\nb\n").ok()) << "times stand still";
}

// Each file in refused/ gives no entries and the place and reason its NAME.out holds.
TEST(Recording, AMalformedFileIsRefusedWithItsPlace)
{
    const QDir refused(QStringLiteral(TAVREL_SOURCE_DIR "/tests/relay/refused"));
    const auto bytes = [&](const QString &name) {
        QFile file(refused.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QStringList files = refused.entryList({u"*.rec"_s});
    ASSERT_GE(files.size(), 11) << refused.path().toStdString();
    for (const QString &file : files) {
        const RecordingReadResult result = readRecording(bytes(file));
        EXPECT_TRUE(result.entries.isEmpty()) << file.toStdString();
        EXPECT_EQ((result.error ? result.error->describe(file) : u"read"_s).toStdString(),
                  bytes(file.chopped(4) + u".out"_s).trimmed().toStdString());
    }
}

// Each entry stands until the next, the last as long as the gap before it, then over again.
TEST(Recording, TheReplayScheduleAndTheRequestsAnswered)
{
    const std::tuple<std::vector<qint64>, qint64, qsizetype> moments[] = {
        {{0, 100, 300}, 99, 0}, {{0, 100, 300}, 100, 1}, {{0, 100, 300}, 499, 2}, {{0, 100, 300}, 500, 0},
        {{1000, 1100}, 150, 1}, {{1000, 1100}, 200, 0},  {{0, 0, 50}, 0, 1},      {{0}, 5, 0},
        {{0, 100, 300}, -5, 0}, {{0, 50, 50}, 51, 0}};
    for (const auto &[times, elapsed, entry] : moments) {
        QList<RecordingEntry> entries;
        for (const qint64 ms : times)
            entries.append({ms, true, {}});
        EXPECT_EQ(entryAt(entries, elapsed), entry) << times.size() << " entries at " << elapsed;
    }
    qint64 now = 120;
    ReplaySource fromStart(
        {{0, false, "first"}, {100, true, "second"}}, [&now] { return now; }, true);
    fromStart.clientTaken();
    EXPECT_EQ(fromStart.record(), "first") << "each client from the first entry";
    now = 220;
    EXPECT_EQ(answerRequests("?X\nYz"_ba, fromStart), "\xFF\xFF"
                                                      "second"_ba)
        << "other bytes are ignored";
}

// The built-in flight: the simulator comes up 2 s after the start.
TEST(Recording, TheSimulatedFlightStartsAfterTwoSeconds)
{
    qint64 now = 0;
    SimulatedSource simulated([&now] { return now; });
    for (const qint64 ms : {1999, 2000}) {
        now = ms;
        EXPECT_EQ(answerRequests("X", simulated), livenessAnswer(ms == 2000)) << ms;
        EXPECT_TRUE(simulated.record().endsWith(ms == 2000 ? "\r1" : "\r0")) << ms;
    }
}

// Records that come in two pieces are kept whole, flag and all, each once.
TEST(Recording, TheRecorderKeepsWholeRecords)
{
    test::RelayPeer peer;
    QList<QByteArray> sent;
    peer.answer = [&](QTcpSocket *socket, char request) {
        FlightData flight{};
        flight.KIAS = float(sent.size());
        if (request == 'Y')
            sent << formatRecord(flight, true);
        socket->write(request == 'X' ? livenessAnswer(true) : sent.last().first(100));
        socket->flush();
        if (request == 'Y')
            QTimer::singleShot(20, socket, [socket, rest = sent.last().sliced(100)] { socket->write(rest); });
    };
    const QTemporaryDir dir;
    RelayRecorder recorder(u"127.0.0.1"_s, peer.port(), 100);
    QString error;
    ASSERT_TRUE(recorder.start(dir.filePath(u"flight.rec"_s), error)) << error.toStdString();
    ASSERT_TRUE(test::waitUntil([&] { return recorder.recordsWritten() == 2; }));
    recorder.stop(u"enough"_s);
    const RecordingLoad load = loadRecording(dir.filePath(u"flight.rec"_s));
    ASSERT_EQ(load.entries.size(), 2) << load.error.toStdString();
    EXPECT_EQ(load.entries[1].record.toStdString(), sent.value(1).toStdString());
}
