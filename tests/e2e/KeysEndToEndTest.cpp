// Key events on a virtual display, received by a small X client of the tests' own that
// has the focus: from the XTEST injector directly, and from the real program's gear test.
#include "input/XTestInjector.h"
#include "support/Desktop.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

using namespace tavrel;
using namespace Qt::StringLiterals;

class KeysEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.isRunning()) << "Xvfb did not start";
        ASSERT_TRUE(logger.start(display.name(), {display.name()}, QStringLiteral(TAVREL_KEY_LOGGER)));
        target = display.findWindow(u"^tavrel key logger$"_s);
        ASSERT_NE(target, 0u);
    }
    // Whether the logger's lines ("press 44", "release 44", ...) come to hold `events`.
    bool receives(const QByteArray &events)
    {
        return test::waitUntil([&] { return (seen += logger.process().readAllStandardOutput()).contains(events); });
    }

    test::VirtualDisplay display;
    test::TavrelRun logger; // ended with the fixture, before the display
    unsigned long target = 0;
    QByteArray seen;
};

TEST_F(KeysEndToEnd, XTestSkipsScanCodesWithoutAKeyAndCountsOnlyTheEventsSent)
{
    ASSERT_TRUE(display.pressKeys(target, {})); // the focus only
    qputenv("DISPLAY", display.name().toLatin1());
    const auto injector = openXTestInjector();
    ASSERT_TRUE(injector);
    const KeyRecord records[] = {{0, 0, 8}, {0, 84, 8}, {0, 36, 8}, {36, 36, 10}, {255, 255, 10}};
    EXPECT_EQ(injector->send(records), 2);
    EXPECT_TRUE(receives("press 44\nrelease 44\n")) << seen.constData();
    EXPECT_EQ(seen, "press 44\nrelease 44\n");
}

TEST_F(KeysEndToEnd, GearTestTimerPressesGearDownThenGearUpInTheFocusedWindow)
{
    test::TavrelRun run;
    run.writeFile(u"Tavrel.cfg"_s, "[COMPREF]\r\nDCOM\r\n");
    run.setEnvironment(u"TAVREL_SWITCHES_TAB"_s, u"1"_s);
    ASSERT_TRUE(run.start(display.name()));
    const unsigned long window = display.findWindow(u"^Tavrel Version 0\\.80$"_s);
    ASSERT_NE(window, 0u);

    // The tab row has the keyboard first: along it to its last tab, "Switches", then past
    // both buttons to "Timer Enabled", which the space bar ticks; then the focus moves.
    QStringList keys(9, u"Right"_s);
    keys << u"Tab"_s << u"Tab"_s << u"Tab"_s << u"space"_s;
    ASSERT_TRUE(display.pressKeys(window, keys));
    ASSERT_TRUE(display.pressKeys(target, {}));

    // J (44) for gear down; left Alt (64), left Shift (50), right Control (105) and B (56)
    // for gear up. Ticks come every 5 s: a gear down sent before the focus moved is
    // followed by the next pair.
    EXPECT_TRUE(receives("press 44\nrelease 44\npress 64\npress 50\npress 105\npress 56\n"
                         "release 64\nrelease 50\nrelease 105\nrelease 56\n"))
        << seen.constData();
}
