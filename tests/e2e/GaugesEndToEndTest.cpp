// The real program moving needles from a recording: tavrel-relay replays a recorded flight
// over loopback and the servo boards' journal shows the gauge and G-suit positions.
#include "Recording.h"
#include "sources/RelayWire.h"
#include "support/Desktop.h"
#include "support/RelayProcess.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

TEST(GaugesEndToEnd, NeedlesAndTheGSuitFollowARecordedFlight)
{
    FlightData d{};
    d.KIAS = 150.4f, d.RPM = 80.0f, d.GS = 4.5f;
    QByteArray recording = relay::kRecordingHeader.toByteArray();
    for (qint64 ms = 0; ms < 60000; ms += 500)
        recording += relay::formatRecordingEntry({ms, true, relay::formatRecord(d, true)});
    const QTemporaryDir dir;
    const QString file = test::writeRecording(dir, recording);
    test::RelayProcess relay({u"--port"_s, u"0"_s, u"--replay"_s, file, u"--from-start"_s});
    const quint16 port = relay.waitUntilListening();
    ASSERT_NE(port, 0) << relay.err().toStdString();

    test::TavrelRun run;
    run.useVirtualBoards(u"PhidgetServo/4:6001,PhidgetServo/1:5001"_s);
    run.writeFile(u"Tavrel.cfg"_s, "[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n" + QByteArray::number(port)
                                       + "\r\n[COMPREF]\r\nTCP/IP\r\n[GAUGES]\r\n1,Airspeed,KIAS,0\r\n2,RPM,RPM,0\r\n"
                                         "[P4SERVO-1]\r\n0,Airspeed needle,,1\r\n1,RPM needle,,2\r\n");
    ASSERT_TRUE(run.start());
    // The last gauge (RPM) drives its motor too.
    const QStringList needles = {u"6001\tMotorPosition\t0\t150"_s, u"6001\tMotorPosition\t1\t80"_s,
                                 u"5001\tMotorPosition\t0\t45"_s};
    const auto moved = [&] {
        const QStringList journal = run.boardJournal();
        return std::all_of(needles.begin(), needles.end(), [&](const QString &line) { return journal.contains(line); });
    };
    EXPECT_TRUE(QTest::qWaitFor(moved, 60000)) << run.boardJournal().join(u'\n').toStdString();
}

} // namespace
} // namespace tavrel
