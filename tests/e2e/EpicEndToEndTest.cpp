// The real program on a virtual display with the virtual EPIC card: the operator presses
// "Open Epic", every cycle sends each configured entry in its order, and File > Exit
// closes the card.
#include "support/Desktop.h"
#include "ui/Layout.h"

#include <gtest/gtest.h>

#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

TEST(EpicEndToEnd, OpenEpicSendsEveryEntryEachCycleAndTheEndClosesTheCard)
{
    test::VirtualDisplay display;
    ASSERT_TRUE(display.isRunning()) << "Xvfb did not start";
    test::TavrelRun run;
    run.writeFile(u"Tavrel.cfg"_s, "[EPICAnalogs]\r\n1,Lamps,LIGHTBITS,0\r\n10,Engine RPM,rpm,0\r\n");
    run.setEnvironment(u"TAVREL_EPIC_LIBRARY"_s, run.dir().filePath(u"no-library.so"_s));
    run.setEnvironment(u"TAVREL_EPIC_JOURNAL"_s, run.dir().filePath(u"epic"_s));
    run.setEnvironment(u"QT_FONT_DPI"_s, u"96"_s); // 15 twips a pixel
    ASSERT_TRUE(run.start(display.name()));
    const unsigned long window = display.findWindow(u"^Tavrel Version 0\\.80$"_s);
    ASSERT_NE(window, 0u);
    const auto journal = [&] { return QString::fromLatin1(run.readFile(u"epic"_s)).split(u'\n', Qt::SkipEmptyParts); };

    // The button's middle lies below a menu bar whose height the fonts decide: try a few
    // heights until the card opens.
    qputenv("DISPLAY", display.name().toLatin1());
    const int x = (layout::kTabStrip.left + layout::kFrames[15].left + layout::kOpenEpic.left + 700) / 15;
    const int y = (layout::kTabStrip.top + layout::kFrames[15].top + layout::kOpenEpic.top + 170) / 15;
    for (int menu : {18, 26, 34, 12}) {
        QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"--window"_s, QString::number(window), QString::number(x),
                                        QString::number(y + menu), u"click"_s, u"1"_s});
        if (QTest::qWaitFor([&] { return !journal().isEmpty(); }, 3000))
            break;
    }
    ASSERT_FALSE(journal().isEmpty()) << "nothing reached the card after pressing \"Open Epic\"";
    EXPECT_TRUE(QTest::qWaitFor([&] { return journal().count(u"SendRPMPH\t"_s) >= 3; }, 60000));

    // Closed at shutdown, after whole cycles of both entries (their order is the unit tests').
    ASSERT_TRUE(display.pressKeys(window, {u"alt+f"_s, u"x"_s})); // File > Exit
    EXPECT_TRUE(run.waitForCleanEnd());
    const QStringList last = journal();
    const qsizetype cycles = last.count(u"SendRPMPH\t"_s);
    EXPECT_EQ(last.value(0), u"OpenEpic\t"_s);
    EXPECT_EQ(last.value(last.size() - 1), u"CloseEpic\t"_s);
    EXPECT_EQ(last.count(u"LBPHCallRet\t1"_s), cycles);
    EXPECT_EQ(last.size(), 2 + 5 * cycles) << last.join(u" | "_s).toStdString();
}

} // namespace
} // namespace tavrel
