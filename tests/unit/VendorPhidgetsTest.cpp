// The vendor library's manager over a stand-in phidget21 built by the tests: boards the
// library reports from its own threads reach the cockpit, are driven through the
// library's functions, limits and all, and everything opened is let go with the manager.
#include "phidget/VendorPhidgets.h"
#include "support/CockpitHarness.h"

#include <gtest/gtest.h>

#include <QLibrary>

using namespace tavrel;
using namespace Qt::StringLiterals;

TEST(VendorPhidgets, BoardsOfTheLibraryReachTheCockpit)
{
    EXPECT_EQ(VendorPhidgetManager::open(u"/nonexistent/libphidget21.so"_s), nullptr);
    QLibrary fake(QStringLiteral(TAVREL_FAKE_PHIDGET21));
    ASSERT_TRUE(fake.load()) << fake.errorString().toStdString();
    const auto plug = reinterpret_cast<void (*)(const char *, int, int, int)>(fake.resolve("fakephidget21_plug"));
    const auto unplug = reinterpret_cast<void (*)(int)>(fake.resolve("fakephidget21_unplug"));
    const auto fail = reinterpret_cast<void (*)(int, int, const char *)>(fake.resolve("fakephidget21_fail"));
    const auto journal = reinterpret_cast<const char *(*)()>(fake.resolve("fakephidget21_journal"));
    const auto objects = reinterpret_cast<int (*)()>(fake.resolve("fakephidget21_objects"));
    ASSERT_TRUE(plug && unplug && fail && journal && objects);
    plug("PhidgetServo", 6001, 313, 4);
    plug("PhidgetLED", 1001, 100, 64);
    plug("PhidgetRFID", 77, 104, 0);

    test::CockpitHarness h;
    h.useOutputs();
    Grid &list = h.controls().grdTavrel[4];
    grids::setupDeviceList(list);
    auto manager = VendorPhidgetManager::open(QStringLiteral(TAVREL_FAKE_PHIDGET21));
    ASSERT_NE(manager, nullptr);
    manager->setGate([] { return false; });
    QCoreApplication::processEvents();
    EXPECT_EQ(objects(), 1) << "a board was opened while boards were held back";
    h.setManager(std::move(manager));
    const auto row = [&](const char *serial) {
        for (int r = 1; r < list.rows(); ++r)
            if (list.text(r, 3) == QLatin1String(serial))
                return u"%1|%2|%3|"_s.arg(list.text(r, 0), list.text(r, 1), list.text(r, 2))
                       + QString::number(list.cellBackColor(r, 1));
        return QString();
    };
    ASSERT_TRUE(test::waitUntil([&] { return list.rows() == 4; }));
    EXPECT_EQ(row("6001"), u"1|PhidgetServo(4)|313|65280"_s);
    EXPECT_EQ(row("1001"), u"1|PhidgetLED|100|65280"_s);
    EXPECT_EQ(row("77"), u"0|PhidgetRFID|104|65280"_s);
    EXPECT_STREQ(journal(), "6001\tMotorPosition\t0\t0\n6001\tMotorPosition\t1\t0\n"
                            "6001\tMotorPosition\t2\t0\n6001\tMotorPosition\t3\t0\n");

    const Board led = h.slot(u"PLED64-1");
    ASSERT_TRUE(led);
    led->setDiscreteLED(63, 100);
    EXPECT_THROW(led->setDiscreteLED(64, 100), Error);
    EXPECT_THROW(led->setOutputState(0, true), Error) << "a member the board lacks";
    plug("PhidgetTextLCD", 3001, 123, 2);
    ASSERT_TRUE(test::waitUntil([&] { return h.slot(u"PTLCD-1") != nullptr; }));
    EXPECT_EQ(h.slot(u"PTLCD-1")->rowCount(), 2) << "the text writers stop at the last line";

    // Pulled (red), plugged in again (green), failing (yellow).
    unplug(1001);
    ASSERT_TRUE(test::waitUntil([&] { return row("1001").endsWith(u"|255"_s); }));
    EXPECT_THROW(led->setDiscreteLED(0, 1), Error);
    plug("PhidgetLED", 1001, 100, 64);
    ASSERT_TRUE(test::waitUntil([&] { return row("1001").endsWith(u"|65280"_s); }));
    const Board again = h.slot(u"PLED64-2");
    ASSERT_TRUE(again) << "plugged in again, the board comes back to slot 2";
    EXPECT_NE(again, led) << "as a new object";
    EXPECT_THROW(led->setDiscreteLED(0, 1), Error) << "slot 1 keeps the old, dead object";
    again->setDiscreteLED(0, 1);
    fail(6001, 0x9000, "overcurrent");
    ASSERT_TRUE(test::waitUntil([&] { return row("6001").endsWith(u"|65535"_s); }));
    EXPECT_EQ(list.rows(), 5);

    h.outputs().CockpitOutputs::ReleaseBoards();
    EXPECT_EQ(objects(), 0) << "a device object or the manager was not let go";
    EXPECT_THROW(again->setDiscreteLED(0, 1), Error) << "a board kept after its library's manager went";
}

// A library without one of the functions the program calls is not taken: the reason names
// the function.
TEST(VendorPhidgets, ALibraryWithoutAFunctionIsRefusedNamingIt)
{
    QString why;
    EXPECT_EQ(VendorPhidgetManager::open(QStringLiteral(TAVREL_FAKE_PHIDGET21_PARTIAL), nullptr, &why), nullptr);
    EXPECT_EQ(why, QStringLiteral(TAVREL_FAKE_PHIDGET21_PARTIAL " has no function CPhidgetServo_setPosition"));
}
