// [BOARDS] binding on the virtual boards, attach orders and re-plugs through the hot-plug
// file; and shutdown putting out a board no slot holds any more, read from the journal.
#include "phidget/VirtualPhidgets.h"
#include "support/CockpitHarness.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using Kind = BoardKind;

struct StartedCockpit
{
    StartedCockpit(const QByteArray &config, const QList<VirtualBoardEntry> &boards) : h(config)
    {
        h.platform.writeFile(u"control"_s, "\n"); // what it holds at start-up is not read
        h.makeBoardsWith([this, boards] {
            return std::make_unique<VirtualPhidgetManager>(boards, path(u"journal"_s), path(u"control"_s));
        });
        h.startUp();
        EXPECT_TRUE(test::waitUntil([&] { return h.controls().grdTavrel[4].rows() == boards.size() + 1; }));
    }
    QString path(const QString &name) { return h.platform.dir.filePath(name); }
    VirtualPhidgetManager &manager() { return *static_cast<VirtualPhidgetManager *>(h.manager()); }
    // The serial number in a slot, 0 for none, -1 for a board that is not the one attached now.
    std::int32_t serialIn(QStringView slot)
    {
        const Board &board = h.slot(slot);
        return !board ? 0 : board == manager().board(board->serialNumber()) ? board->serialNumber() : -1;
    }

    test::CockpitHarness h;
};

TEST(BoardBinding, BoardsTakeTheirSlotsWhateverTheAttachOrder)
{
    // [BOARDS] lines, the serial number pulled and plugged in again (through a new hot-plug
    // file longer than what was read of the old one), what LED-64 slots 1 and 2 end with,
    // the boxes shown for lines left out.
    const std::vector<std::tuple<QByteArray, std::int32_t, std::int32_t, std::int32_t, int>> cases = {
        {"PLED64-3,1001\r\nPLED64-1,1002\r\nPLED64-2, 1001\r\n", 0, 1002, 1001, 1}, // a bad line is named
        {"PLED64-1,1001\r\nPLED64-2,1001\r\n", 0, 1001, 1002, 1},                   // a serial listed twice
        {"PLED64-1,1001\r\nPLED64-1,1002\r\n", 0, 1001, 1002, 1},                   // a slot listed twice
        {"PLED64-1,1009\r\n", 0, 0, 1002, 0},                                       // absent: its slot stays empty
        {"PLED64-1,1001\r\n", 1001, 1001, 1002, 0},
        {"PTLED-1,4001\r\n", 1001, 1001, 1002, 0}, // with [BOARDS] an unlisted board comes back too
    };
    for (const auto &[lines, replug, in1, in2, boxes] : cases) {
        SCOPED_TRACE(lines.toStdString() + " re-plugged " + std::to_string(replug));
        StartedCockpit s("[BOARDS]\r\n" + lines, {{Kind::Led64, 1001}, {Kind::Led64, 1002}});
        if (replug) {
            const QByteArray serial = QByteArray::number(replug);
            s.h.platform.writeFile(u"control.new"_s, "detach " + serial + "\nattach PhidgetLED:" + serial + "\n");
            ASSERT_EQ(std::rename(qPrintable(s.path(u"control.new"_s)), qPrintable(s.path(u"control"_s))), 0);
            const Board old = s.manager().board(replug);
            ASSERT_TRUE(test::waitUntil([&, r = replug] {
                return s.manager().board(r) != old && s.serialIn(u"PLED64-1") >= 0 && s.serialIn(u"PLED64-2") >= 0;
            }));
        }
        EXPECT_EQ(s.serialIn(u"PLED64-1"), in1);
        EXPECT_EQ(s.serialIn(u"PLED64-2"), in2);
        EXPECT_EQ(s.h.platform.boxes().size(), boxes);
    }
}

TEST(BoardBinding, ShutdownPutsOutABoardDisplacedFromItsSlot)
{
    StartedCockpit s("[PTLED-2]\r\n0,a,FUELFLOW,0\r\n",
                     {{Kind::Led64, 1001}, {Kind::Led64, 1002}, {Kind::TextLed, 4001}, {Kind::TextLed, 4002}});
    s.h.controls().chkGlimra[1].setValue(1); // "All Lamps On"
    s.h.attach(s.manager().board(4002));     // reported again: still one board to put out
    for (const VirtualBoardEntry board :
         {VirtualBoardEntry{Kind::Led64, 1001}, {Kind::TextLed, 4001}}) // plugged in again
        for (const auto verb : {HotPlugCommand::Verb::Detach, HotPlugCommand::Verb::Attach})
            s.manager().command({verb, board, {}});
    ASSERT_TRUE(test::waitUntil([&] { return s.serialIn(u"PTLED-2") == 4001; }));
    const qsizetype before = s.h.platform.readFile(u"journal"_s).size();

    EXPECT_TRUE(s.h.shutdown());
    const QStringList writes = QString::fromUtf8(s.h.platform.readFile(u"journal"_s).mid(before)).split(u'\n');
    for (int i = 0; i < 64; ++i)
        EXPECT_TRUE(writes.contains(u"1002\tDiscreteLED\t%1\t0"_s.arg(i))) << "LED " << i;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(writes.count(u"4002\tDisplayString\t%1\t"_s.arg(i)), 1) << "text line " << i;
    EXPECT_GT(writes.indexOf(u"4002\tBrightness\t\t0"_s), writes.indexOf(u"1002\tDiscreteLED\t63\t0"_s))
        << "LED-64 first";
}

} // namespace
} // namespace tavrel
