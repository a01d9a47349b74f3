// [BOARDS] binding on the virtual boards, attach orders and re-plugs through the hot-plug
// file; and shutdown putting out a board that no slot holds any more, read from the
// boards' journal.
#include "cockpit/Cockpit.h"
#include "phidget/VirtualPhidgets.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

#include <cstdio>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using Kind = VirtualBoard::Kind;

constexpr int kWaitMs = 10000;

struct StartedCockpit
{
    explicit StartedCockpit(const QByteArray &config, const QList<VirtualBoardEntry> &boards)
    {
        platform.writeFile(u"Tavrel.cfg"_s, config);
        platform.writeFile(u"control"_s, "\n"); // what it holds at start-up is not read
        cockpit.setPhidgetManagerFactory([this, boards] {
            return std::make_unique<VirtualPhidgetManager>(boards, platform.dir.filePath(u"journal"_s),
                                                           platform.dir.filePath(u"control"_s));
        });
        cockpit.startUp();
        EXPECT_TRUE(QTest::qWaitFor([&] { return devices() == boards.size(); }, kWaitMs));
    }
    int devices() { return cockpit.controls().grdTavrel[4].rows() - 1; }
    VirtualPhidgetManager &manager() { return *static_cast<VirtualPhidgetManager *>(cockpit.phidgetManager()); }
    // The serial number in a slot, 0 for none; -1 for a board that is not the one attached now.
    std::int32_t serialIn(Board BoardSlots::*slot)
    {
        const Board &board = cockpit.boards().*slot;
        if (!board)
            return 0;
        return board == manager().board(board->serialNumber()) ? board->serialNumber() : -1;
    }

    test::TestPlatform platform;
    Cockpit cockpit{platform, test::scriptedFactory(std::make_shared<test::ServerScript>())};
};

struct Binding
{
    const char *what;
    QByteArray lines;
    QList<VirtualBoardEntry> attach;
    std::int32_t replug; // pulled and plugged in again through a new hot-plug file; 0 none
    Board BoardSlots::*slot1;
    Board BoardSlots::*slot2;
    std::int32_t in1, in2; // the serial numbers the two slots end with, 0 for none
    bool box;              // a line that does not read is named in a message box
};

TEST(BoardBinding, BoardsTakeTheirSlotsWhateverTheAttachOrder)
{
    const auto led = &BoardSlots::pViperLED_1, led2 = &BoardSlots::pViperLED_2;
    const std::vector<Binding> cases = {
        {"listed", "PLED64-1,1002\r\nPLED64-2, 1001\r\n", {{Kind::Led64, 1001}, {Kind::Led64, 1002}}, 0, led, led2,
         1002, 1001, false},
        {"listed, other order", "PLED64-1,1002\r\nPLED64-2,1001\r\n", {{Kind::Led64, 1002}, {Kind::Led64, 1001}}, 0,
         led, led2, 1002, 1001, false},
        {"listed board absent", "PLED64-1,1009\r\n", {{Kind::Led64, 1001}, {Kind::Led64, 1002}}, 0, led, led2, 0, 1002,
         false},
        {"listed board re-plugged", "PLED64-1,1001\r\n", {{Kind::Led64, 1001}, {Kind::Led64, 1002}}, 1001, led, led2,
         1001, 1002, false},
        {"unlisted board re-plugged", "PLED64-1,1001\r\n", {{Kind::Led64, 1001}, {Kind::Led64, 1002}}, 1002, led, led2,
         1001, 1002, false},
        {"one-motor servos", "PSERVO-1,5002\r\n", {{Kind::Servo1, 5001}, {Kind::Servo1, 5002}}, 0,
         &BoardSlots::pViperServo_1, &BoardSlots::pViperServo_2, 5002, 5001, false},
        {"a bad line", "PLED64-3,1001\r\nPLED64-2,1001\r\n", {{Kind::Led64, 1001}, {Kind::Led64, 1002}}, 0, led, led2,
         1002, 1001, true},
    };
    for (const Binding &c : cases) {
        SCOPED_TRACE(c.what);
        StartedCockpit s("[BOARDS]\r\n" + c.lines, c.attach);
        if (c.replug) {
            // A new file in the old one's place, longer than what was read of the old.
            const QString control = s.platform.dir.filePath(u"control"_s);
            QFile next(control + u".new"_s);
            ASSERT_TRUE(next.open(QIODevice::WriteOnly));
            const QByteArray serial = QByteArray::number(c.replug);
            next.write("detach " + serial + "\nattach PhidgetLED:" + serial + "\n");
            next.close();
            ASSERT_EQ(std::rename(QFile::encodeName(next.fileName()).constData(), QFile::encodeName(control).constData()), 0);
            const auto old = s.cockpit.boards().*(c.replug == c.in1 ? c.slot1 : c.slot2);
            EXPECT_TRUE(QTest::qWaitFor([&] { return s.manager().board(c.replug) != old && s.serialIn(c.slot1) >= 0
                                                      && s.serialIn(c.slot2) >= 0; }, kWaitMs));
        }
        EXPECT_EQ(s.serialIn(c.slot1), c.in1);
        EXPECT_EQ(s.serialIn(c.slot2), c.in2);
        EXPECT_EQ(s.platform.boxes().size(), c.box ? 1 : 0) << s.platform.boxes().join(u'\n').toStdString();
    }
}

TEST(BoardBinding, ShutdownPutsOutABoardDisplacedFromItsSlot)
{
    StartedCockpit s("[PTLED-2]\r\n0,a,FUELFLOW,0\r\n",
                     {{Kind::Led64, 1001}, {Kind::Led64, 1002}, {Kind::TextLed, 4001}, {Kind::TextLed, 4002}});
    s.cockpit.controls().chkGlimra[1].setValue(1); // "All Lamps On"
    for (const std::int32_t serial : {1001, 4001}) {
        s.manager().command({HotPlugCommand::Verb::Detach, {Kind::Led64, serial}, {}});
        s.manager().command({HotPlugCommand::Verb::Attach, {serial == 1001 ? Kind::Led64 : Kind::TextLed, serial}, {}});
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.serialIn(&BoardSlots::pViperLED_2) == 1001
                                             && s.serialIn(&BoardSlots::pViperTextLED_2) == 4001; }, kWaitMs));
    QFile journal(s.platform.dir.filePath(u"journal"_s));
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    journal.readAll(); // what came before shutdown

    EXPECT_THROW(s.cockpit.shutdown(), test::ProcessEnded);
    const QStringList writes = QString::fromUtf8(journal.readAll()).split(u'\n');
    const auto at = [&](const QString &line) { return writes.indexOf(line); };
    for (int led = 0; led < 64; ++led)
        EXPECT_GE(at(u"1002\tDiscreteLED\t%1\t0"_s.arg(led)), 0) << led;
    for (int line = 0; line < 4; ++line)
        EXPECT_GE(at(u"4002\tDisplayString\t%1\t"_s.arg(line)), 0) << line;
    EXPECT_GT(at(u"4002\tBrightness\t\t0"_s), at(u"1002\tDiscreteLED\t63\t0"_s)) << "LED-64 boards before text LEDs";
}

} // namespace
} // namespace tavrel
