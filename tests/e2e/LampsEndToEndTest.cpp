// The real program lighting a cockpit from a recording: tavrel-relay replays a recorded
// file over loopback, the program drives its virtual boards, and their journal shows the
// lamps and texts each recorded state implies, then the dark cockpit after shutdown.
#include "Recording.h"
#include "core/Convert.h"
#include "sources/RelayWire.h"
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

constexpr char kBoards[] = "PhidgetLED:1001,PhidgetInterfaceKit:2001,PhidgetTextLCD:3001,PhidgetTextLCD:3002,"
                           "PhidgetTextLED:4001,PhidgetTextLED:4002";

QByteArray configuration(quint16 port)
{
    return "[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n" + QByteArray::number(port)
           + "\r\n[COMPREF]\r\nTCP/IP\r\n"
             "[PLED64-1]\r\n2,Glareshield - Master Caution,1,1\r\n4,Gear - Nose Gear Down (Bit),0,0\r\n"
             "[P01616-1]\r\n0,CMDS - Go,64,2\r\n"
             "[PTLED-1]\r\n0,Fuel flow,FUELFLOW,0\r\n"
             "[PTLED-2]\r\n0,CMDS go,CMDS1,0\r\n1,CMDS counts,CMDS2,0\r\n"
             "[PTLCD-1]\r\n1,PFL line 1,PFD,\r\n2,PFL line 2,PFD,\r\n"
             "[PTLCD-2]\r\n0,CMDS page,CMDS,\r\n";
}

// Two states of the cockpit: everything lit in the first, dark or changed in the second.
FlightData litState()
{
    FlightData d{};
    d.LightBits = 1;
    d.NoseGearPos = 1.0f;
    d.LightBits2 = 0x40 | 0x400;
    d.FuelFlow = 2450.6f;
    d.ChaffCount = 30.0f;
    d.FlareCount = 4.0f;
    d.SpeedBrake = 0.45f;
    convert::setFixedText(d.PFLLines, u"  ENG  A/I"_s.leftJustified(26) + u"  FUEL LOW"_s);
    return d;
}

FlightData darkState()
{
    FlightData d{};
    d.FuelFlow = 900.0f;
    d.ChaffCount = 5.0f;
    d.FlareCount = 12.0f;
    return d;
}

// Down for a moment, then the lit state for 8 s, then the dark state for a long while.
QByteArray recording()
{
    QByteArray file = relay::kRecordingHeader.toByteArray();
    const auto entry = [&](qint64 ms, bool active, const FlightData &d) {
        file += relay::formatRecordingEntry({ms, active, relay::formatRecord(d, active)});
    };
    entry(0, false, FlightData{});
    for (qint64 ms = 1500; ms < 9500; ms += 500)
        entry(ms, true, litState());
    for (qint64 ms = 9500; ms < 120000; ms += 500)
        entry(ms, true, darkState());
    return file;
}

const QStringList kLit = {
    u"1001\tDiscreteLED\t2\t100"_s,
    u"1001\tDiscreteLED\t4\t100"_s,
    u"2001\tOutputState\t0\t1"_s,
    u"4001\tDisplayString\t0\t  2451"_s,
    u"4002\tDisplayString\t0\tGO  DSPRDY"_s,
    u"4002\tDisplayString\t1\t  LO 30 4"_s,
    u"3001\tDisplayString\t0\tENG  A/I"_s,
    u"3001\tDisplayString\t1\tFUEL LOW"_s,
    u"3002\tDisplayString\t0\t            CHAFF:30"_s,
    u"3002\tDisplayString\t1\tSB 45%      FLARE:04"_s,
};

const QStringList kDark = {
    u"1001\tDiscreteLED\t2\t0"_s,
    u"1001\tDiscreteLED\t4\t0"_s,
    u"2001\tOutputState\t0\t0"_s,
    u"4001\tDisplayString\t0\t   900"_s,
    u"4002\tDisplayString\t0\tNO GO"_s,
    u"4002\tDisplayString\t1\t     5 12"_s,
    u"3001\tDisplayString\t0\t"_s,
    u"3002\tDisplayString\t0\t            CHAFF:05"_s,
    u"3002\tDisplayString\t1\t            FLARE:12"_s,
};

// Shutdown's blanking: every LED and output dark, the displays cleared and switched off.
const QStringList kShutdown = {
    u"1001\tDiscreteLED\t63\t0"_s,
    u"2001\tOutputState\t15\t0"_s,
    u"3001\tBacklight\t\t0"_s,
    u"3002\tBacklight\t\t0"_s,
    u"4001\tBrightness\t\t0"_s,
    u"4002\tBrightness\t\t0"_s,
};

QStringList missing(const QStringList &journal, qsizetype from, const QStringList &expected)
{
    const QStringList seen = journal.mid(from);
    QStringList absent;
    for (const QString &line : expected)
        if (!seen.contains(line))
            absent << line;
    return absent;
}

TEST(LampsEndToEnd, TheBoardsFollowARecordedFlightAndGoDarkAtShutdown)
{
    const QTemporaryDir dir;
    const QString file = test::writeRecording(dir, recording());
    ASSERT_FALSE(file.isEmpty());
    RelayProcess relay({u"--port"_s, u"0"_s, u"--replay"_s, file, u"--from-start"_s});
    const quint16 port = relay.waitUntilListening();
    ASSERT_NE(port, 0) << relay.err().toStdString();

    TavrelRun run;
    run.useVirtualBoards(QString::fromLatin1(kBoards));
    run.writeFile(u"Tavrel.cfg"_s, configuration(port));
    ASSERT_TRUE(run.start());

    const bool lit = QTest::qWaitFor([&] { return missing(run.boardJournal(), 0, kLit).isEmpty(); }, kPatienceMs);
    const qsizetype litAt = run.boardJournal().size();
    const bool dark = lit && QTest::qWaitFor([&] { return missing(run.boardJournal(), litAt, kDark).isEmpty(); },
                                             kPatienceMs);
    const qsizetype darkAt = run.boardJournal().size();
    run.process().terminate();
    EXPECT_TRUE(run.waitForCleanEnd());
    EXPECT_EQ(relay.endWith(SIGTERM), 0);

    const QStringList journal = run.boardJournal();
    EXPECT_TRUE(lit) << "missing: " << missing(journal, 0, kLit).join(u", "_s).toStdString();
    EXPECT_TRUE(dark) << "missing: " << missing(journal, litAt, kDark).join(u", "_s).toStdString();
    EXPECT_EQ(missing(journal, darkAt, kShutdown), QStringList()) << "the cockpit is dark after shutdown";
    ASSERT_FALSE(journal.isEmpty());
    EXPECT_EQ(journal.last(), u"4002\tBrightness\t\t0"_s) << "the blanking is the last thing written";
}

} // namespace
} // namespace tavrel
