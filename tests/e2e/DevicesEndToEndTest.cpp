// The real program with virtual boards on a virtual display of the test's own: the boards
// attach in the order given, their start settings reach the journal, and a board pulled
// through the hot-plug file turns its row in the "Devices" list red on screen.
#include "support/Desktop.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <algorithm>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using test::TavrelRun;
using test::VirtualDisplay;

const QString kMainWindow = u"^Tavrel Version 0\\.80$"_s;

// The pixels of a window in pure red (255, 0, 0), the colour of a pulled board's name
// cell, counted in a capture taken from outside the program; -1 when no capture came.
qsizetype redPixels(const VirtualDisplay &display, unsigned long window)
{
    QProcess capture;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, display.name());
    capture.setProcessEnvironment(env);
    capture.start(u"import"_s, {u"-window"_s, QString::number(window), u"-depth"_s, u"8"_s, u"rgb:-"_s});
    if (!capture.waitForFinished(30000) || capture.exitCode() != 0)
        return -1;
    const QByteArray rgb = capture.readAllStandardOutput();
    if (rgb.isEmpty())
        return -1;
    qsizetype count = 0;
    for (qsizetype i = 0; i + 2 < rgb.size(); i += 3)
        if (uchar(rgb[i]) == 255 && rgb[i + 1] == 0 && rgb[i + 2] == 0)
            ++count;
    return count;
}

// The serial numbers in the order they first appear in the journal.
QStringList firstWritten(const QStringList &journal)
{
    QStringList serials;
    for (const QString &line : journal) {
        const QString serial = line.section(u'\t', 0, 0);
        if (!serials.contains(serial))
            serials << serial;
    }
    return serials;
}

TEST(DevicesEndToEnd, BoardsAttachInOrderAndAPulledBoardTurnsRed)
{
    VirtualDisplay display;
    ASSERT_TRUE(display.isRunning()) << "Xvfb did not start";
    TavrelRun run;
    run.writeFile(u"Tavrel.cfg"_s, "/ the built-in data server\r\n[COMPREF]\r\nDCOM\r\n");
    run.useVirtualBoards(u"PhidgetServo/4:6001,PhidgetTextLCD:3001,PhidgetLED:1001,PhidgetInterfaceKit:2001,"
                         u"PhidgetServo/1:5001"_s);
    ASSERT_TRUE(run.start(display.name()));
    const unsigned long window = display.findWindow(kMainWindow);
    ASSERT_NE(window, 0u);

    const QStringList settings = {u"6001\tMotorPosition\t3\t0"_s, u"3001\tBrightness\t\t100"_s,
                                  u"3001\tBacklight\t\t1"_s,     u"3001\tCursorOn\t\t0"_s,
                                  u"3001\tDisplayString\t1\t"_s,  u"2001\tOutputState\t15\t0"_s,
                                  u"5001\tMotorPosition\t0\t0"_s};
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList journal = run.boardJournal();
            return std::all_of(settings.begin(), settings.end(), [&](const QString &s) { return journal.contains(s); });
        },
        60000))
        << run.boardJournal().join(u'\n').toStdString();
    EXPECT_EQ(firstWritten(run.boardJournal()).mid(0, 4),
              (QStringList{u"6001"_s, u"3001"_s, u"2001"_s, u"5001"_s}));

    // The window has drawn all five rows green by now, or does so soon: take the red in it
    // before the pull once it stays the same over two captures.
    qsizetype before = redPixels(display, window);
    ASSERT_GE(before, 0) << "no capture of the window";
    for (int i = 0; i < 10; ++i) {
        QTest::qWait(300);
        const qsizetype again = redPixels(display, window);
        if (again == before)
            break;
        before = again;
    }

    run.hotPlug("detach 3001");
    // A name cell is some 100 by 15 pixels; far more than anti-aliasing ever paints red.
    constexpr qsizetype kCell = 600;
    EXPECT_TRUE(QTest::qWaitFor([&] { return redPixels(display, window) >= before + kCell; }, 30000))
        << "red before the pull: " << before << ", after: " << redPixels(display, window);

    run.process().terminate();
    EXPECT_TRUE(run.waitForCleanEnd());
}

} // namespace
} // namespace tavrel
