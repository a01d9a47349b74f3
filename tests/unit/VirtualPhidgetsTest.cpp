// The virtual board library: the board list and hot-plug readers, and the manager's event
// delivery from its list and from the hot-plug file.
#include "core/Error.h"
#include "phidget/VirtualPhidgets.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using Kind = VirtualBoard::Kind;
using Verb = HotPlugCommand::Verb;

struct ListCase
{
    const char *name;
    QString text;
    QList<VirtualBoardEntry> boards;
    qsizetype errors;
};

class BoardListReader : public testing::TestWithParam<ListCase> {};

TEST_P(BoardListReader, KeepsGoodEntriesInOrderAndReportsEachBadOne)
{
    const ListCase &c = GetParam();
    const VirtualBoardList list = parseVirtualBoardList(c.text);
    EXPECT_EQ(list.boards, c.boards);
    EXPECT_EQ(list.errors.size(), c.errors) << list.errors.join(u'\n').toStdString();
}

const ListCase kLists[] = {
    {"EveryType", u"PhidgetInterfaceKit:1,PhidgetLED:2,PhidgetTextLED:3,PhidgetTextLCD:4,PhidgetServo/1:5,PhidgetServo/4:6"_s,
     {{Kind::InterfaceKit, 1}, {Kind::Led64, 2}, {Kind::TextLed, 3}, {Kind::TextLcd, 4}, {Kind::Servo1, 5},
      {Kind::Servo4, 6}},
     0},
    {"BlanksAroundEntries", u" PhidgetLED:7 ,\tPhidgetLED:8"_s, {{Kind::Led64, 7}, {Kind::Led64, 8}}, 0},
    {"Empty", u""_s, {}, 0},
    {"OnlyBlanks", u"  "_s, {}, 0},
    {"LargestSerial", u"PhidgetLED:2147483647"_s, {{Kind::Led64, 2147483647}}, 0},
    {"BadEntriesLeftOut",
     u"PhidgetLED:1,PhidgetLED,Nothing:2,PhidgetServo:3,PhidgetServo/2:4,PhidgetLED:0,PhidgetLED:2147483648,"
     u"PhidgetLED:-5,PhidgetLED:+5,PhidgetLED: 5,phidgetled:6,,PhidgetTextLED:9"_s,
     {{Kind::Led64, 1}, {Kind::TextLed, 9}}, 11},
    {"SerialTwice", u"PhidgetLED:1,PhidgetTextLCD:1,PhidgetLED:2"_s, {{Kind::Led64, 1}, {Kind::Led64, 2}}, 1},
    {"TrailingComma", u"PhidgetLED:1,"_s, {{Kind::Led64, 1}}, 1},
};

INSTANTIATE_TEST_SUITE_P(Lists, BoardListReader, testing::ValuesIn(kLists),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DefaultBoards, TwoOfEveryKindWithKindAndBoardInTheSerial)
{
    QStringList boards;
    for (const VirtualBoardEntry &entry : defaultVirtualBoards())
        boards << formatVirtualBoard(entry);
    EXPECT_EQ(boards.join(u','), u"PhidgetLED:1001,PhidgetLED:1002,PhidgetInterfaceKit:2001,PhidgetInterfaceKit:2002,"
                                 u"PhidgetTextLCD:3001,PhidgetTextLCD:3002,PhidgetTextLED:4001,PhidgetTextLED:4002,"
                                 u"PhidgetServo/1:5001,PhidgetServo/1:5002,PhidgetServo/4:6001,PhidgetServo/4:6002"_s);
}

struct LineCase
{
    const char *name;
    QString line;
    // The command read back as "verb serial kind text", or empty when refused or blank.
    QString command;
    bool refused;
};

class HotPlugReader : public testing::TestWithParam<LineCase> {};

TEST_P(HotPlugReader, ReadsOneCommandOrSaysWhyNot)
{
    const LineCase &c = GetParam();
    const HotPlugLine parsed = parseHotPlugLine(c.line);
    QString command;
    if (parsed.command) {
        const HotPlugCommand &cmd = *parsed.command;
        const char *verbs[] = {"attach", "detach", "error"};
        command = QLatin1String(verbs[int(cmd.verb)]) + u' ' + QString::number(cmd.board.serial);
        if (cmd.verb == Verb::Attach)
            command += u' ' + VirtualBoard::kindText(cmd.board.kind);
        if (cmd.verb == Verb::Error)
            command += u" ["_s + cmd.text + u']';
    }
    EXPECT_EQ(command, c.command);
    EXPECT_EQ(!parsed.error.isEmpty(), c.refused) << parsed.error.toStdString();
}

const LineCase kLines[] = {
    {"Attach", u"attach PhidgetServo/4:6003"_s, u"attach 6003 PhidgetServo/4"_s, false},
    {"Detach", u"detach 1001"_s, u"detach 1001"_s, false},
    {"DetachCrLf", u"detach 1001\r"_s, u"detach 1001"_s, false},
    {"ErrorWithText", u"error 2001 lost contact\twith the hub"_s, u"error 2001 [lost contact\twith the hub]"_s, false},
    {"ErrorWithoutText", u"error 2001"_s, u"error 2001 []"_s, false},
    {"Blank", u"  \r"_s, QString(), false},
    {"UnknownVerb", u"unplug 1001"_s, QString(), true},
    {"VerbInCapitals", u"DETACH 1001"_s, QString(), true},
    {"AttachWithoutSerial", u"attach PhidgetLED"_s, QString(), true},
    {"AttachUnknownType", u"attach PhidgetRFID:5"_s, QString(), true},
    {"DetachNoSerial", u"detach"_s, QString(), true},
    {"DetachTwoSerials", u"detach 1001 1002"_s, QString(), true},
    {"ErrorBadSerial", u"error x text"_s, QString(), true},
};

INSTANTIATE_TEST_SUITE_P(Lines, HotPlugReader, testing::ValuesIn(kLines),
                         [](const auto &info) { return std::string(info.param.name); });

// Records the manager's events as "attach 1001", "detach 1001", "error 1001 text", and
// how deep inside one another they arrived.
struct EventLog
{
    explicit EventLog(VirtualPhidgetManager &manager)
    {
        const auto note = [this](const QString &event) {
            ++depth;
            maxDepth = std::max(maxDepth, depth);
            events << event;
            QCoreApplication::processEvents(); // a handler that yields
            --depth;
        };
        QObject::connect(&manager, &PhidgetManager::OnAttach, [note, this](const Board &b) {
            boards << b;
            note(u"attach %1"_s.arg(b->serialNumber()));
        });
        QObject::connect(&manager, &PhidgetManager::OnDetach,
                         [note](const Board &b) { note(u"detach %1"_s.arg(b->serialNumber())); });
        QObject::connect(&manager, &PhidgetManager::OnError, [note](const Board &b, const QString &text, int) {
            note(u"error %1 %2"_s.arg(b->serialNumber()).arg(text));
        });
    }
    bool waitFor(qsizetype count) { return QTest::qWaitFor([&] { return events.size() >= count; }, 20000); }

    QStringList events;
    QList<Board> boards;
    int depth = 0;
    int maxDepth = 0;
};

TEST(VirtualPhidgetManager, AttachesItsBoardsInOrderOneEventAtATime)
{
    VirtualPhidgetManager manager(parseVirtualBoardList(u"PhidgetTextLCD:3001,PhidgetLED:1001,PhidgetLED:1002"_s).boards,
                                  QString());
    EventLog log(manager);
    EXPECT_TRUE(log.events.isEmpty()) << "nothing is delivered before the event loop runs";
    ASSERT_TRUE(log.waitFor(3));
    EXPECT_EQ(log.events, (QStringList{u"attach 3001"_s, u"attach 1001"_s, u"attach 1002"_s}));
    EXPECT_EQ(log.maxDepth, 1) << "an event arrived inside another's handler";
}

TEST(VirtualPhidgetManager, FollowsLinesAppendedToTheHotPlugFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"control"_s);
    QFile control(path);
    ASSERT_TRUE(control.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    control.write("detach 1001\n"); // there before the manager: not a command

    VirtualPhidgetManager manager({{Kind::Led64, 1001}, {Kind::InterfaceKit, 2001}}, QString(), path);
    EventLog log(manager);
    ASSERT_TRUE(log.waitFor(2));

    // Half a line waits for its end; bad lines and commands on unknown boards are skipped.
    control.write("bogus\ndetach 99\nattach PhidgetLED:2001\ndetach 10");
    QTest::qWait(3 * VirtualPhidgetManager::kHotPlugPollMs);
    control.write("01\r\nerror 2001 overcurrent\nattach PhidgetLED:1001\ndetach 2001\n");
    ASSERT_TRUE(log.waitFor(6));
    EXPECT_EQ(log.events.mid(2), (QStringList{u"detach 1001"_s, u"error 2001 overcurrent"_s, u"attach 1001"_s,
                                             u"detach 2001"_s}));
    EXPECT_EQ(log.maxDepth, 1);

    // The board plugged in again is a new one; the pulled one stays pulled.
    ASSERT_EQ(log.boards.size(), 3);
    EXPECT_NE(log.boards[0], log.boards[2]);
    EXPECT_THROW(log.boards[0]->setDiscreteLED(0, 1), Error);
    EXPECT_NO_THROW(log.boards[2]->setDiscreteLED(0, 1));
    EXPECT_THROW(log.boards[1]->setOutputState(0, true), Error);
    EXPECT_EQ(manager.board(1001), log.boards[2]);
}

} // namespace
} // namespace tavrel
