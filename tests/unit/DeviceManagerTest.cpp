// The cockpit's board events: binding by attach order, the 16-bit attach counters, the
// start settings each board gets, and the "Devices" list with its colours and tooltips.
#include "core/Error.h"
#include "phidget/VirtualPhidgets.h"
#include "support/CockpitHarness.h"
#include "support/JournalBoards.h"
#include "support/UnitData.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace tavrel;
using namespace Qt::StringLiterals;
using Kind = BoardKind;

namespace {

// A board of a type the cockpit does not know, or an interface kit that refuses one
// output (or, refused -2, its version) as a failing board does.
class OddBoard : public PhidgetBoard
{
public:
    OddBoard(QString type, std::int32_t serial, int refused = -1) : type_(type), serial_(serial), refused_(refused) {}
    QString deviceType() const override { return type_; }
    std::int32_t serialNumber() const override { return serial_; }
    float version() const override { return refused_ == -2 ? throw Error(5, u"not attached"_s) : 1.5f; }
    int numOutputs() const override { return 16; }
    void setOutputState(int i, bool) override { i == refused_ ? throw Error(5, u"not attached"_s) : void(++written); }
    int written = 0;

private:
    QString type_;
    std::int32_t serial_;
    int refused_;
};

// A cockpit as start-up leaves it for the board events: the list laid out, the frames off.
struct Events
{
    Events()
    {
        h.useOutputs().journal = &h.platform.events;
        grids::setupDeviceList(h.controls().grdTavrel[4]);
        for (Frame &frame : h.controls().fraGlimra)
            frame.setEnabled(false);
    }
    // The "Devices" list's rows as "number|name|version|serial=colour"; each row's tooltip
    // says what its colour means and since when (and, on a line of its own, the library).
    QString rows()
    {
        const Grid &list = h.controls().grdTavrel[4];
        QStringList out;
        for (int r = 1; r < list.rows(); ++r) {
            const quint32 c = list.cellBackColor(r, 1);
            const QString state = c == Grid::kGreen ? u"Attached"_s : c == Grid::kRed ? u"Detached"_s : u"Error"_s;
            const QRegularExpression note(u"^%1 at \\d\\d:\\d\\d:\\d\\d(\n.+)?$"_s.arg(state));
            EXPECT_TRUE(note.match(list.rowToolTip(r)).hasMatch()) << list.rowToolTip(r).toStdString();
            out << u"%1|%2|%3|%4="_s.arg(list.text(r, 0), list.text(r, 1), list.text(r, 2), list.text(r, 3))
                       + (c == Grid::kGreen ? u"green"_s
                          : c == Grid::kRed ? u"red"_s
                                            : u"yellow"_s);
        }
        return out.join(u' ');
    }
    test::CockpitHarness h;
    test::JournalBoards boards;
};

} // namespace

// Steps: "led 1001" attaches a board of a kind, "odd 77" one of a type the cockpit does
// not know ("oddservo 7001" a servo controller whose motors cannot be counted), "pull 1001" pulls the board of that serial, "fail 1001" reports it failing,
// "epic 0" lists the EPIC card (a row without serial number), "led 1001*3" attaches it
// three times (the counters are 16-bit: the 32,768th attach of a kind fails to count, as
// an overflow does, and the rest of the attach still runs). Then: the slots filled
// (kind, slot 1 or 2, serial), the list, the six counters, the frames enabled and the
// two servo flags.
TEST(DeviceManagerTest, AttachRules)
{
    const QStringList names = {u"kit"_s, u"led"_s, u"textled"_s, u"lcd"_s, u"servo1"_s, u"servo4"_s}; // slot order
    const QStringList slotNames = {u"P01616"_s, u"PLED64"_s, u"PTLED"_s, u"PTLCD"_s, u"PSERVO"_s, u"P4SERVO"_s};
    const Kind kinds[] = {Kind::InterfaceKit, Kind::Led64, Kind::TextLed, Kind::TextLcd, Kind::Servo, Kind::MultiServo};
    const std::tuple<QString, QString, QString, std::array<int, kBoardKindCount>, QString> cases[] = {
        {u"kit 2001"_s, u"kit1=2001"_s, u"1|PhidgetInterfaceKit|601|2001=green"_s, {0, 1, 0, 0, 0, 0}, u"2 3"_s},
        {u"lcd 3001"_s, u"lcd1=3001"_s, u"1|PhidgetTextLCD|123|3001=green"_s, {0, 0, 0, 1, 0, 0}, u"4"_s},
        {u"odd 77"_s, u""_s, u"0|PhidgetWeather|1.5|77=green"_s, {}, u""_s},
        {u"oddservo 7001"_s, u"servo41=7001"_s, u"1|PhidgetServo|1.5|7001=green"_s, {0, 0, 0, 0, 0, 1}, u"more"_s},
        {u"led 1001,kit 2001,epic 0,pull 1001,fail 2001,pull 3001,fail 0"_s,
         u"kit1=2001 led1=1001"_s,
         u"1|PhidgetLED|100|1001=red 1|PhidgetInterfaceKit|601|2001=yellow 1|EPIC USB||=green"_s,
         {1, 1, 0, 0, 0, 0},
         u"2 3"_s},
        {u"led 1001,pull 1001,led 1001"_s,
         u"led1=1001 led2=1001"_s,
         u"1|PhidgetLED|100|1001=green"_s,
         {2, 0, 0, 0, 0, 0},
         u"3"_s},
        {u"servo4 6001,servo4 6002,servo4 6003"_s,
         u"servo41=6001 servo42=6003"_s,
         u"1|PhidgetServo(4)|313|6001=green "
         u"2|PhidgetServo(4)|313|6002=green 3|PhidgetServo(4)|313|6003=green"_s,
         {0, 0, 0, 0, 0, 3},
         u"more"_s},
        {u"servo1 5001,servo4 6001,servo1 5002"_s,
         u"servo11=5001 servo12=5002 servo41=6001"_s,
         u"1|PhidgetServo(1)|313|5001=green 1|PhidgetServo(4)|313|6001=green 2|PhidgetServo(1)|313|5002=green"_s,
         {0, 0, 0, 0, 2, 1},
         u"6 one more"_s},
        {u"led 1001*32768,textled 4001"_s,
         u"led1=1001 led2=1001 textled1=4001"_s,
         u"1|PhidgetLED|100|1001=green 1|PhidgetTextLED|113|4001=green"_s,
         {32767, 0, 1, 0, 0, 0},
         u"3 5"_s},
    };
    for (const auto &[steps, slots, rows, counts, frames] : cases) {
        SCOPED_TRACE(steps.toStdString());
        Events e;
        for (const QString &step : steps.split(u',')) {
            const QString verb = step.section(u' ', 0, 0);
            const int serial = step.section(u' ', 1).section(u'*', 0, 0).toInt();
            for (int again = step.section(u'*', 1).toInt(); again > 1; --again)
                e.h.attach(e.boards.add(kinds[names.indexOf(verb)], serial));
            const Board board = names.contains(verb)
                                    ? e.boards.add(kinds[names.indexOf(verb)], serial)
                                    : Board(std::make_shared<OddBoard>(
                                        verb == u"odd"_s ? u"PhidgetWeather"_s : u"PhidgetServo"_s, serial));
            if (verb == u"pull"_s)
                e.h.detach(board);
            else if (verb == u"fail"_s)
                e.h.fail(board, u"x"_s, 1);
            else if (verb == u"epic"_s)
                e.h.listEpicCard();
            else
                e.h.attach(board);
        }
        QStringList filled, enabled;
        for (int kind = 0; kind < 6; ++kind)
            for (int slot = 1; slot <= 2; ++slot)
                if (const Board &board = e.h.slot(u"%1-%2"_s.arg(slotNames[kind]).arg(slot)))
                    filled << u"%1%2=%3"_s.arg(names[kind]).arg(slot).arg(board->serialNumber());
        for (int i = 0; i < 21; ++i)
            if (e.h.controls().fraGlimra[std::size_t(i)].isEnabled())
                enabled << QString::number(i);
        enabled << (e.h.flags().ServoPresent ? u"one"_s : QString())
                << (e.h.flags().MultiServoPresent ? u"more"_s : QString());
        enabled.removeAll(QString());
        EXPECT_EQ(filled.join(u' '), slots);
        EXPECT_EQ(e.rows(), rows);
        EXPECT_EQ(e.h.attachCounts(), counts);
        EXPECT_EQ(enabled.join(u' '), frames);
    }
}

// The start settings as the boards receive them, in attach order, with the brightness
// slider's value; the list names the library on each row's tooltip.
TEST(DeviceManagerTest, StartSettingsReachTheBoards)
{
    Events e;
    e.h.controls().sldGlimra[SldBrightness].setValue(40);
    const auto boards = u"PhidgetLED:1001,PhidgetTextLCD:3001,PhidgetTextLED:4001,PhidgetServo/1:5001,"
                        u"PhidgetServo/4:6001"_s;
    const QString journal = e.h.platform.dir.filePath(u"boards.journal"_s);
    e.h.setManager(std::make_unique<VirtualPhidgetManager>(parseVirtualBoardList(boards).boards, journal));
    ASSERT_TRUE(test::waitUntil([&] { return e.h.controls().grdTavrel[4].rows() == 6; }));
    EXPECT_EQ(e.h.platform.readFile(u"boards.journal"_s), test::unitData(u"start-settings.journal"_s));
    EXPECT_EQ(e.h.controls().grdTavrel[4].rowToolTip(1).section(u'\n', 1), u"virtual board"_s);
}

TEST(DeviceManagerTest, ASettingABoardRefusesLeavesTheOthers)
{
    Events e;
    const auto kit = std::make_shared<OddBoard>(u"PhidgetInterfaceKit"_s, 2001, 3);
    e.h.attach(kit);
    EXPECT_EQ(kit->written, 15);
}

TEST(DeviceManagerTest, ABoardWhoseVersionCannotBeReadIsBoundButNotListed)
{
    Events e;
    const auto kit = std::make_shared<OddBoard>(u"PhidgetInterfaceKit"_s, 2001, -2);
    e.h.attach(kit);
    EXPECT_EQ(kit->written, 16);
    EXPECT_EQ(e.rows(), QString());
    EXPECT_EQ(e.h.slot(u"P01616-1"), Board(kit));
}
