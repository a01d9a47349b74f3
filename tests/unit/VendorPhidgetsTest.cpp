// The vendor library's manager over a stand-in phidget21 built by the tests: boards the
// library reports from its own threads reach the cockpit, are driven through the
// library's functions, and everything opened is let go with the manager.
#include "cockpit/Cockpit.h"
#include "phidget/VendorPhidgets.h"
#include "support/QtPrinters.h"
#include "support/RecordingOutputs.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QLibrary>
#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

TEST(VendorPhidgets, NoLibraryNoManager)
{
    EXPECT_EQ(VendorPhidgetManager::open(u"/nonexistent/libphidget21.so"_s), nullptr);
}

TEST(VendorPhidgets, BoardsOfTheLibraryReachTheCockpit)
{
    QLibrary fake(QStringLiteral(TAVREL_FAKE_PHIDGET21));
    ASSERT_TRUE(fake.load()) << fake.errorString().toStdString();
    const auto plug = reinterpret_cast<void (*)(const char *, int, int, int)>(fake.resolve("fakephidget21_plug"));
    const auto unplug = reinterpret_cast<void (*)(int)>(fake.resolve("fakephidget21_unplug"));
    const auto fail = reinterpret_cast<void (*)(int, int, const char *)>(fake.resolve("fakephidget21_fail"));
    const auto journal = reinterpret_cast<const char *(*)()>(fake.resolve("fakephidget21_journal"));
    const auto objects = reinterpret_cast<int (*)()>(fake.resolve("fakephidget21_objects"));
    const auto reset = reinterpret_cast<void (*)()>(fake.resolve("fakephidget21_reset"));
    ASSERT_TRUE(plug && unplug && fail && journal && objects && reset);
    reset();
    plug("PhidgetServo", 6001, 313, 4);
    plug("PhidgetLED", 1001, 100, 64);
    plug("PhidgetRFID", 77, 104, 0);

    test::TestPlatform platform;
    Cockpit cockpit(platform);
    auto recorder = std::make_unique<test::RecordingOutputs>(cockpit);
    cockpit.setOutputs(std::move(recorder));
    Grid &list = cockpit.controls().grdTavrel[4];
    grids::setupDeviceList(list);
    auto manager = VendorPhidgetManager::open(QStringLiteral(TAVREL_FAKE_PHIDGET21));
    ASSERT_NE(manager, nullptr);
    manager->setGate([] { return false; });
    QCoreApplication::processEvents();
    EXPECT_EQ(objects(), 1) << "a board was opened while boards were held back";
    cockpit.setPhidgetManager(std::move(manager));

    const auto row = [&](const QString &serial) {
        for (int r = 1; r < list.rows(); ++r)
            if (list.text(r, 3) == serial)
                return r;
        return 0;
    };
    const auto listed = [&](const QString &serial) {
        const int r = row(serial);
        return r ? QStringList{list.text(r, 0), list.text(r, 1), list.text(r, 2)}.join(u'|') : QString();
    };
    const auto colour = [&](const QString &serial) { return row(serial) ? list.cellBackColor(row(serial), 1) : 0u; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.rows() == 4; }, 20000));
    EXPECT_EQ(listed(u"6001"_s), u"1|PhidgetServo(4)|313"_s);
    EXPECT_EQ(listed(u"1001"_s), u"1|PhidgetLED|100"_s);
    EXPECT_EQ(listed(u"77"_s), u"0|PhidgetRFID|104"_s);
    EXPECT_STREQ(journal(), "6001\tMotorPosition\t0\t0\n6001\tMotorPosition\t1\t0\n"
                            "6001\tMotorPosition\t2\t0\n6001\tMotorPosition\t3\t0\n");

    // The board objects drive the library's, limits and all.
    const Board led = cockpit.boards().pViperLED_1;
    ASSERT_TRUE(led);
    led->setDiscreteLED(63, 100);
    EXPECT_THROW(led->setDiscreteLED(64, 100), Error);
    EXPECT_THROW(led->setOutputState(0, true), Error);
    plug("PhidgetTextLCD", 3001, 123, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cockpit.boards().pViperTextLCD_1 != nullptr; }, 20000));
    EXPECT_EQ(cockpit.boards().pViperTextLCD_1->rowCount(), 2) << "the text writers stop at the last line";
    EXPECT_THROW((void)led->rowCount(), Error);

    unplug(1001);
    ASSERT_TRUE(QTest::qWaitFor([&] { return colour(u"1001"_s) == Grid::kRed; }, 20000));
    EXPECT_THROW(led->setDiscreteLED(0, 1), Error);
    plug("PhidgetLED", 1001, 100, 64);
    ASSERT_TRUE(QTest::qWaitFor([&] { return colour(u"1001"_s) == Grid::kGreen; }, 20000));
    const Board again = cockpit.boards().pViperLED_2;
    ASSERT_TRUE(again && again != led) << "plugged in again, the board comes back to slot 2 as a new object";
    EXPECT_EQ(cockpit.boards().pViperLED_1, led);
    EXPECT_THROW(led->setDiscreteLED(0, 1), Error) << "slot 1 keeps the old, dead object";
    again->setDiscreteLED(0, 1);
    fail(6001, 0x9000, "overcurrent");
    ASSERT_TRUE(QTest::qWaitFor([&] { return colour(u"6001"_s) == Grid::kYellow; }, 20000));
    EXPECT_EQ(list.rows(), 5);

    cockpit.outputs().CockpitOutputs::ReleaseBoards();
    EXPECT_EQ(objects(), 0) << "a device object or the manager was not let go";
    EXPECT_THROW(again->setDiscreteLED(0, 1), Error) << "a board kept after its library's manager went";
}

} // namespace
} // namespace tavrel
