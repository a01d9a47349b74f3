// The real program, driven from outside as an operator would: only what a real process
// shows is checked here (its message boxes, the single copy per session, the end of the
// process; records from the real tavrel-relay reaching its boards; the hot-plug file).
#include "Recording.h"
#include "core/CommandLine.h"
#include "core/Convert.h"
#include "sources/RelayWire.h"
#include "support/Desktop.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"
#include "ui/Layout.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace tavrel;
using namespace Qt::StringLiterals;

using test::waitUntil;
// One try of the operator's hand that may be missed, before the next.
constexpr int kTryMs = 10000;

// A second copy shows its message, is confirmed from outside and ends; the first runs on,
// its "Open Epic" pressed (the virtual card: no EFReader here) sends every cycle, until
// File > Exit, whose shutdown closes the card and the data server last.
TEST(EndToEnd, ASecondCopyIsRefusedAndTheFirstEndsThroughItsMenu)
{
    test::VirtualDisplay display;
    ASSERT_TRUE(display.isRunning()) << "Xvfb did not start";
    test::TavrelRun first;
    first.writeFile(u"Tavrel.cfg"_s, "[COMPREF]\r\nDCOM\r\n[EPICAnalogs]\r\n10,Engine RPM,RPM,0\r\n");
    first.setEnvironment(u"TAVREL_EPIC_JOURNAL"_s, u"epic"_s);
    first.setEnvironment(u"QT_FONT_DPI"_s, u"96"_s); // 15 twips a pixel
    ASSERT_TRUE(first.start(display.name()));
    const unsigned long window = display.findWindow(u"^Tavrel Version 0\\.80$"_s);
    ASSERT_NE(window, 0u);

    test::TavrelRun second(first);
    ASSERT_TRUE(second.start(display.name()));
    const unsigned long box = display.findWindow(u"^Duplicate Execution$"_s);
    ASSERT_NE(box, 0u);
    for (int tries = 0; tries < 3 && second.process().state() != QProcess::NotRunning; ++tries) // a key the box missed
        display.pressKeys(box, {u"Return"_s}), second.process().waitForFinished(kTryMs);
    EXPECT_TRUE(second.waitForCleanEnd());

    // "Open Epic", then cycles (they run only while the data server is polled). The button's
    // middle lies below a menu bar whose height the fonts decide: a few tries.
    const auto epic = [&] { return QString::fromLatin1(first.readFile(u"epic"_s)); };
    const int x = (layout::kTabStrip.left + layout::kFrames[15].left + layout::kOpenEpic.left + 700) / 15;
    const int y = (layout::kTabStrip.top + layout::kFrames[15].top + layout::kOpenEpic.top + 170) / 15;
    for (int menu : {18, 26, 34, 12}) {
        display.xdotool({u"mousemove"_s, u"--window"_s, QString::number(window), QString::number(x),
                         QString::number(y + menu), u"click"_s, u"1"_s});
        if (waitUntil([&] { return !epic().isEmpty(); }, kTryMs / 3))
            break;
    }
    EXPECT_TRUE(waitUntil([&] { return epic().count(u"SendRPMPH"_s) >= 3; })) << epic().toStdString();
    for (int tries = 0; tries < 3 && first.process().state() != QProcess::NotRunning; ++tries)
        display.pressKeys(window, {u"Escape"_s, u"alt+f"_s, u"x"_s}), first.process().waitForFinished(kTryMs);
    EXPECT_TRUE(first.waitForCleanEnd());
    EXPECT_EQ(first.journal().value(first.journal().size() - 1), u"Close"_s) << "File > Exit ran the shutdown";
}

// tavrel-relay replays a recorded flight over loopback: the boards follow it, lamps and
// texts lit then dark, needles and the G-suit moved; a board pulled and plugged in again
// through the hot-plug file gets its start settings again; all go dark at the end.
TEST(EndToEnd, RecordsFromTheRelayReachTheBoards)
{
    FlightData lit{}, dark{};
    lit.LightBits = 1, lit.NoseGearPos = 1.0f, lit.LightBits2 = 0x40, lit.FuelFlow = 2450.6f, lit.SpeedBrake = 0.45f;
    lit.ChaffCount = 30, lit.FlareCount = 4, lit.KIAS = 150.4f, lit.RPM = 80.0f, lit.GS = 4.5f, dark.FuelFlow = 900.0f;
    convert::setFixedText(lit.PFLLines, u"  ENG  A/I"_s);
    QByteArray file = relay::kRecordingHeader.toByteArray();
    for (qint64 ms = 0; ms < 120000; ms += 500) // the simulator up at 0.5 s, lit for 9 s, then dark
        file += relay::formatRecordingEntry({ms, ms > 0, relay::formatRecord(ms && ms < 9500 ? lit : dark, ms > 0)});
    test::TavrelRun relay;
    relay.writeFile(u"flight.rec"_s, file);
    ASSERT_TRUE(relay.start({}, {u"--port"_s, u"0"_s, u"--replay"_s, u"flight.rec"_s, u"--from-start"_s},
                            QStringLiteral(TAVREL_RELAY_BINARY)));
    QByteArray said; // "listening on 127.0.0.1:PORT"
    (void)waitUntil([&] { return (said += relay.process().readAllStandardOutput()).contains('\n'); });
    const QByteArray port = said.left(said.indexOf('\n')).mid(said.indexOf(':') + 1);
    ASSERT_TRUE(said.startsWith("listening on 127.0.0.1:")) << said.toStdString();

    test::TavrelRun run;
    run.useVirtualBoards(u"PhidgetLED:1001,PhidgetInterfaceKit:2001,PhidgetTextLCD:3001,PhidgetTextLCD:3002,"
                         u"PhidgetTextLED:4001,PhidgetServo/4:6001,PhidgetServo/1:5001"_s);
    QFile cockpit(QStringLiteral(TAVREL_SOURCE_DIR "/tests/e2e/replay-cockpit.cfg")); // every kind of board
    ASSERT_TRUE(cockpit.open(QIODevice::ReadOnly));
    run.writeFile(u"Tavrel.cfg"_s, "[TCPIP-PORT]\r\n" + port + "\r\n" + cockpit.readAll());
    ASSERT_TRUE(run.start());
    const QStringList lamps = {u"1001\tDiscreteLED\t2\t100"_s,        u"1001\tDiscreteLED\t4\t100"_s,
                               u"2001\tOutputState\t0\t1"_s,          u"4001\tDisplayString\t0\t  2451"_s,
                               u"3001\tDisplayString\t0\tENG  A/I"_s, u"3002\tDisplayString\t1\tSB 45%      FLARE:04"_s,
                               u"6001\tMotorPosition\t0\t150"_s,      u"6001\tMotorPosition\t1\t80"_s,
                               u"5001\tMotorPosition\t0\t45"_s}; // the last gauge too
    const QStringList out = {u"1001\tDiscreteLED\t2\t0"_s, u"2001\tOutputState\t0\t0"_s,
                             u"4001\tDisplayString\t0\t   900"_s, u"3002\tDisplayString\t1\t            FLARE:00"_s};
    EXPECT_EQ(run.missingBoardLines(0, lamps), QStringList());
    const qsizetype litAt = run.boardJournal().size();
    EXPECT_EQ(run.missingBoardLines(litAt, out), QStringList());
    const qsizetype darkAt = run.boardJournal().size();
    run.hotPlug("detach 3001"), run.hotPlug("attach PhidgetTextLCD:3001"); // pulled and plugged in again
    EXPECT_EQ(run.missingBoardLines(darkAt, {u"3001\tBacklight\t\t1"_s}), QStringList()) << "its start settings again";
    run.process().terminate();
    EXPECT_TRUE(run.waitForCleanEnd());
    relay.process().terminate();
    EXPECT_TRUE(relay.waitForCleanEnd());
    const QStringList blanked{u"1001\tDiscreteLED\t63\t0"_s, u"3001\tBacklight\t\t0"_s, u"4001\tBrightness\t\t0"_s};
    EXPECT_EQ(run.missingBoardLines(darkAt, blanked), QStringList()) << "the cockpit is dark after the process";
}

// --config reads a file in another folder, not the working folder's Tavrel.cfg: the boards
// follow that file, and the log (--log) names it.
TEST(EndToEnd, ConfigFromAnotherFolderDrivesTheBoards)
{
    test::TavrelRun run;
    run.useVirtualBoards(u"PhidgetLED:1001"_s);
    run.writeFile(u"Tavrel.cfg"_s, "[PLED64-1]\r\n2,Working folder's lamp,1,1\r\n");
    QDir(run.path({})).mkdir(u"elsewhere"_s);
    run.writeFile(u"elsewhere/cockpit.cfg"_s, "[PLED64-1]\r\n5,Other folder's lamp,1,1\r\n");
    const QString config = run.path(u"elsewhere/cockpit.cfg"_s);
    ASSERT_TRUE(run.start({}, {u"--config"_s, config, u"--log"_s, run.path(u"tavrel.log"_s)}));
    // With --config passed over, the working folder's file would drive lamp 2 instead.
    EXPECT_TRUE(waitUntil([&] { return run.boardJournal().contains(u"1001\tDiscreteLED\t5\t0"_s); }));
    run.process().terminate();
    EXPECT_TRUE(run.waitForCleanEnd());
    EXPECT_TRUE(
        QString::fromUtf8(run.readFile(u"tavrel.log"_s)).contains(u"tavrel.config info: configuration: "_s + config));
}

// --help and --version of every program answer on stdout and end with 0 where there is no
// display, no platform named and no Tavrel.cfg; an unknown option ends tavrel with 2
// before its window opens.
TEST(EndToEnd, EveryProgramAnswersHelpAndVersionWithoutADisplay)
{
    const QString version = versionString();
    // The program, its arguments, exit code and first line of output, and the platform named.
    const std::tuple<const char *, QStringList, int, QString, const char *> rows[] = {
        {TAVREL_BINARY, {u"--version"_s}, 0, u"tavrel "_s + version, nullptr},
        {TAVREL_BINARY, {u"--help"_s}, 0, u"Usage: tavrel [options]"_s, nullptr},
        {TAVREL_BINARY, {u"--no-such-option"_s}, 2, QString(), "offscreen"},
        {TAVREL_RELAY_BINARY, {u"--version"_s}, 0, u"tavrel-relay "_s + version, nullptr},
        {TAVREL_CHECK_BINARY, {u"--version"_s}, 0, u"tavrel-check "_s + version, nullptr},
    };
    for (const auto &[program, arguments, code, firstLine, platform] : rows) {
        const std::string shown = program + (u' ' + arguments.join(u' ')).toStdString();
        test::TavrelRun run; // in an empty folder
        run.setEnvironment(u"QT_QPA_PLATFORM"_s, QString::fromLatin1(platform));
        run.setEnvironment(u"WAYLAND_DISPLAY"_s, QString());
        ASSERT_TRUE(run.start({}, arguments, QString::fromUtf8(program))) << shown;
        (void)run.waitForCleanEnd();
        EXPECT_EQ(run.process().exitStatus(), QProcess::NormalExit) << shown;
        EXPECT_EQ(run.process().exitCode(), code) << shown;
        EXPECT_EQ(QString::fromLocal8Bit(run.process().readLine()).trimmed(), firstLine) << shown;
    }
}
