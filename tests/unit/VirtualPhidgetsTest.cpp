// The built-in virtual boards: the board list reader, each board's limits
// and journal, and the manager's events from its list and from the hot-plug file.
#include "phidget/VirtualPhidgets.h"
#include "core/Error.h"
#include "phidget/PhidgetJournal.h"
#include "support/QtPrinters.h"
#include "support/TestPlatform.h"
#include "support/UnitData.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace tavrel;
using namespace Qt::StringLiterals;
using Kind = BoardKind;

TEST(VirtualPhidgets, ReadsTheBoardList)
{
    const std::tuple<QString, QString, qsizetype> lists[] = {
        // the text, the boards read, messages
        {u" PhidgetInterfaceKit:1 ,\tPhidgetTextLED:3,PhidgetServo/1:5,PhidgetServo/4:2147483647"_s,
         u"PhidgetInterfaceKit:1,PhidgetTextLED:3,PhidgetServo/1:5,PhidgetServo/4:2147483647"_s, 0},
        {u"PhidgetLED:1,PhidgetLED,Nothing:2,PhidgetServo:3,PhidgetLED:0,PhidgetLED:2147483648,PhidgetLED:+5,"
         u"phidgetled:6,,PhidgetTextLCD:9,PhidgetTextLCD:1,"_s,
         u"PhidgetLED:1,PhidgetTextLCD:9"_s, 10},
    };
    for (const auto &[text, boards, errors] : lists) {
        const VirtualBoardList list = parseVirtualBoardList(text);
        QStringList read;
        for (const VirtualBoardEntry &entry : list.boards)
            read << formatVirtualBoard(entry);
        EXPECT_EQ(read.join(u','), boards);
        EXPECT_EQ(list.errors.size(), errors) << list.errors.join(u'\n').toStdString();
    }
}

// Every member at and just past the real boards' limits; every
// successful write, and only those, in the journal's four columns.
TEST(VirtualPhidgets, BoardsFailWhereTheRealOnesDoAndJournalTheRest)
{
    test::TestPlatform folder;
    auto journal = std::make_shared<PhidgetJournal>(folder.dir.filePath(u"journal.tsv"_s));
    const std::tuple<Kind, std::function<void(VirtualBoard &)>, bool> calls[] = {
        {Kind::InterfaceKit, [](VirtualBoard &b) { b.setOutputState(15, true); }, true},
        {Kind::InterfaceKit, [](VirtualBoard &b) { b.setOutputState(16, true); }, false},
        {Kind::Led64, [](VirtualBoard &b) { b.setDiscreteLED(63, 100); }, true},
        {Kind::Led64, [](VirtualBoard &b) { b.setDiscreteLED(64, 0); }, false},
        {Kind::Led64, [](VirtualBoard &b) { b.setDiscreteLED(0, 101); }, false},
        {Kind::TextLcd, [](VirtualBoard &b) { b.setBrightness(255), b.setBacklight(1), b.setCursorOn(0); }, true},
        {Kind::TextLcd, [](VirtualBoard &b) { b.setDisplayString(1, u"a\\b\tc\rd\ne"); }, true},
        {Kind::TextLed, [](VirtualBoard &b) { b.setDisplayString(3, u"1234"); }, true},
        {Kind::TextLed, [](VirtualBoard &b) { b.setDisplayString(4, u"1234"); }, false},
        {Kind::Servo, [](VirtualBoard &b) { b.setMotorPosition(0, -22.9921875), b.setMotorPosition(0, 232.9921875); },
         true},
        {Kind::Servo, [](VirtualBoard &b) { b.setMotorPosition(0, 233.0); }, false},
        {Kind::MultiServo, [](VirtualBoard &b) { b.setMotorPosition(3, -0.0); }, true},
        {Kind::Led64, [](VirtualBoard &b) { b.setAttached(false), b.setDiscreteLED(0, 0); }, false},
        {Kind::TextLcd, [](VirtualBoard &b) { b.setAttached(false), b.setBacklight(1); }, false},
        {Kind::TextLed, [](VirtualBoard &b) { b.setBrightness(256); }, false},
        {Kind::Led64, [](VirtualBoard &b) { b.setBrightness(1); }, false},
    };
    int serial = 0;
    for (const auto &[kind, call, succeeds] : calls) {
        VirtualBoard board(kind, ++serial, journal);
        bool failed = false;
        try {
            call(board);
        } catch (const Error &) {
            failed = true;
        }
        EXPECT_EQ(!failed, succeeds) << "call " << serial;
    }
    EXPECT_EQ(folder.readFile(u"journal.tsv"_s), test::unitData(u"virtual-boards.journal"_s));
    EXPECT_EQ(VirtualBoard(Kind::MultiServo, 1).deviceType(), u"PhidgetServo"_s);
}

// Events arrive through the event loop, from the list first and then from lines appended
// to the hot-plug file.
TEST(VirtualPhidgets, TheManagerFollowsItsListAndTheHotPlugFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"control"_s);
    QFile control(path);
    ASSERT_TRUE(control.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    control.write("detach 2001\n"); // there before the manager: not a command

    VirtualPhidgetManager manager({{Kind::Led64, 1001}, {Kind::InterfaceKit, 2001}}, QString(), path);
    QStringList events;
    QList<Board> boards;
    const auto note = [&](const QString &event) { events << event; };
    QObject::connect(&manager, &PhidgetManager::OnAttach,
                     [&](const Board &b) { boards << b, note(u"attach %1"_s.arg(b->serialNumber())); });
    QObject::connect(&manager, &PhidgetManager::OnDetach,
                     [&](const Board &b) { note(u"detach %1"_s.arg(b->serialNumber())); });
    QObject::connect(&manager, &PhidgetManager::OnError, [&](const Board &b, const QString &text, int) {
        note(u"error %1 %2"_s.arg(b->serialNumber()).arg(text));
    });
    EXPECT_TRUE(events.isEmpty()) << "nothing is delivered before the event loop runs";
    ASSERT_TRUE(test::waitUntil([&] { return events.size() == 2; }));

    // Half a line waits for its end; bad lines (verbs in capitals, unknown kinds, a word too
    // many) and commands on unknown boards are skipped; an error's text is kept whole.
    control.write("bogus\nDETACH 1001\nattach PhidgetRFID:5\ndetach 1001 1002\n  \r\ndetach 99\n"
                  "attach PhidgetLED:2001\ndetach 10");
    QTest::qWait(3 * VirtualPhidgetManager::kHotPlugPollMs);
    control.write("01\r\nerror 2001 over\tcurrent\nattach PhidgetLED:1001\n");
    ASSERT_TRUE(test::waitUntil([&] { return events.size() == 5; }));
    EXPECT_EQ(events.join(u','), u"attach 1001,attach 2001,detach 1001,error 2001 over\tcurrent,attach 1001"_s);
    ASSERT_EQ(boards.size(), 3);
    EXPECT_NE(boards[0], boards[2]) << "plugged in again, it is a new board";
}
