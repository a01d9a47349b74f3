// The real program on the relay link: tavrel configured for TCP/IP against the real
// tavrel-relay on loopback, watched from the peer's side through its --verbose log.
#include "Recording.h"
#include "sources/RelayWire.h"
#include "sources/SimulatedFlight.h"
#include "support/Desktop.h"
#include "support/QtPrinters.h"
#include "support/RelayProcess.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using test::RelayProcess;
using test::TavrelRun;

constexpr int kPatienceMs = 60000;

// A recording the relay replays from its start for the program: the simulator down for
// 3.5 s, then up for 2.5 s with a new record every 250 ms, then down again.
QByteArray upThenDownRecording()
{
    QByteArray file = relay::kRecordingHeader.toByteArray();
    const SimulatedFlight flight;
    const auto entry = [&](qint64 ms, bool active) {
        FlightData data{};
        flight.sample(30.0 + double(ms) / 1000.0, data);
        const QByteArray record = relay::formatRecord(data, active);
        file += relay::formatRecordingEntry({ms, active, record});
    };
    entry(0, false);
    for (qint64 ms = 3500; ms < 6000; ms += 250)
        entry(ms, true);
    entry(6000, false);
    entry(7000, false);
    return file;
}

// The requests the peer served, one per line: "X 00 00", "X FF FF", "Y 1", "Y 0".
QStringList requestsServed(RelayProcess &relay)
{
    QStringList requests;
    for (const QByteArray &line : relay.out().split('\n')) {
        const qsizetype arrow = line.indexOf(" -> ");
        if (arrow < 1)
            continue; // the "listening on" line, or one not yet complete
        const char request = line[arrow - 1];
        if (request == 'X')
            requests << u"X "_s + QString::fromLatin1(line.mid(arrow + 4));
        else if (request == 'Y')
            requests << u"Y "_s + QString::fromLatin1(line.right(1));
    }
    return requests;
}

TEST(RelayEndToEnd, LivenessUntilActiveThenRecordsAtThePollingRateUntilAFlagZero)
{
    const QTemporaryDir dir;
    const QString recording = test::writeRecording(dir, upThenDownRecording());
    ASSERT_FALSE(recording.isEmpty());
    RelayProcess relay({u"--port"_s, u"0"_s, u"--replay"_s, recording, u"--from-start"_s, u"--verbose"_s});
    const quint16 port = relay.waitUntilListening();
    ASSERT_NE(port, 0) << relay.err().toStdString();

    TavrelRun run;
    run.writeFile(u"Tavrel.cfg"_s, "/ the relay peer on loopback\r\n[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n"
                                       + QByteArray::number(port) + "\r\n[COMPREF]\r\nTCP/IP\r\n");
    ASSERT_TRUE(run.start());

    const auto flagZeroServed = [&] {
        const QStringList seen = requestsServed(relay);
        const qsizetype firstRecord = seen.indexOf(u"Y 1"_s);
        return firstRecord >= 0 && seen.indexOf(u"Y 0"_s, firstRecord) >= 0;
    };
    const bool reachedTheEnd = QTest::qWaitFor(flagZeroServed, kPatienceMs);
    // Once a record said inactive the program asks nothing more: no record request and
    // no liveness request, however long the peer waits.
    QTest::qWait(2500);
    const QStringList seen = requestsServed(relay);
    QTest::qWait(2500);
    const QStringList later = requestsServed(relay);
    EXPECT_EQ(run.process().state(), QProcess::Running) << "the program runs on";
    run.process().terminate();
    EXPECT_TRUE(run.waitForCleanEnd());
    EXPECT_EQ(relay.endWith(SIGTERM), 0);
    ASSERT_TRUE(reachedTheEnd) << seen.join(u", "_s).toStdString();

    const QString all = seen.join(u", "_s);
    const qsizetype active = seen.indexOf(u"X FF FF"_s);
    ASSERT_GE(active, 1) << all.toStdString();
    for (qsizetype i = 0; i < active; ++i)
        EXPECT_EQ(seen[i], u"X 00 00"_s) << "only liveness requests until the peer says active: " << all.toStdString();

    const qsizetype inactive = seen.indexOf(u"Y 0"_s, active);
    const QStringList records = seen.mid(active + 1, inactive - active - 1);
    EXPECT_GE(records.size(), 5) << "a record request every cycle while active: " << all.toStdString();
    EXPECT_EQ(records.count(u"Y 1"_s), records.size()) << "no liveness request while active: " << all.toStdString();
    for (const QString &after : seen.mid(inactive))
        EXPECT_EQ(after, u"Y 0"_s) << "only requests already under way: " << all.toStdString();
    EXPECT_EQ(later, seen) << "nothing more is asked";
}

} // namespace
} // namespace tavrel
