// The lamps and text boards through the cockpit: each table reaches its own board and
// grid in a cycle, and the lamp test lights and darkens every board.
#include "core/Convert.h"
#include "support/CockpitHarness.h"
#include "support/JournalBoards.h"
#include "support/UnitData.h"

#include <gtest/gtest.h>

#include <QMap>

using namespace tavrel;
using namespace Qt::StringLiterals;
using Kind = BoardKind;

namespace {

class CockpitLamps : public testing::Test
{
protected:
    CockpitLamps()
    {
        h.script->properties.insert(u"Ostrely"_s, true); // every other read fails: the record stays as set
        h.noBoards();
        h.startUp();
        h.pollingTimer().stop();
        const std::tuple<const char16_t *, Kind, int> slots[] = {
            {u"PLED64-1", Kind::Led64, 11},        {u"PLED64-2", Kind::Led64, 12},
            {u"P01616-1", Kind::InterfaceKit, 21}, {u"P01616-2", Kind::InterfaceKit, 22},
            {u"PTLED-1", Kind::TextLed, 31},       {u"PTLED-2", Kind::TextLed, 32},
            {u"PTLCD-1", Kind::TextLcd, 41},       {u"PTLCD-2", Kind::TextLcd, 42}};
        for (const auto &[slot, kind, serial] : slots)
            h.slot(slot) = boards.add(kind, serial);
        h.controls().sldGlimra[SldBrightness].setValue(40);
        // A cycle over a record that lights every lamp of the file and fills every text.
        FlightData &d = h.flight();
        d.NoseGearPos = 1.0f, d.LightBits = 2, d.HSIBits = 1, d.LightBits2 = 4;
        d.FuelFlow = 2450.6f, d.UFCTChan = 109, d.ChaffCount = 5, d.FlareCount = 12;
        convert::setFixedText(d.PFLLines, u"  ENG  A/I"_s.leftJustified(26) + u"  FUEL LOW"_s);
        convert::setFixedText(d.DEDLines, u" CNI"_s);
        h.cockpit.UpdateCycle();
    }
    // Journal lines counted by board, member and value (the index left out).
    QMap<QString, int> tally()
    {
        QMap<QString, int> counts;
        for (const QString &line : boards.take()) {
            const QStringList f = line.split(u'\t');
            ++counts[f[0] + u' ' + f[1] + u' ' + f[3]];
        }
        return counts;
    }
    Grid &grid(std::size_t index) { return h.controls().grdTavrel[index]; }

    // One entry per lamp and text board, each on its own board so the journal shows which
    // table reached which slot.
    test::CockpitHarness h{test::unitData(u"every-table.cfg"_s)};
    test::JournalBoards boards;
};

} // namespace

TEST_F(CockpitLamps, EachTableDrivesItsOwnBoard)
{
    EXPECT_EQ(boards.take().join(u'\n') + u'\n', QString::fromUtf8(test::unitData(u"every-table.journal"_s)));
}

// Start-up built each grid from its own section; the cycle marks and fills them: lamps
// show "*" in column 2, texts their value in column 3, the gauges and EPIC values theirs.
TEST_F(CockpitLamps, EachTableShowsInItsOwnGrid)
{
    // clang-format off
    const std::tuple<std::size_t, int, QString, QString> rows[] = {
        {0, 2, u"Gear - Nose Gear Down (Bit)"_s, u"*"_s}, {1, 2, u"Lamp word 1"_s, u"*"_s},
        {2, 2, u"HSI word"_s, u"*"_s}, {5, 2, u"Lamp word 2"_s, u"*"_s}, {3, 3, u"Fuel flow"_s, u"  2451"_s},
        {11, 3, u"TACAN"_s, u" 109"_s}, {6, 3, u"Fault list"_s, u"ENG  A/I"_s},
        {12, 3, u"Countermeasures"_s, u"            CHAFF:05"_s}, {7, 0, u"Engine"_s, u"0"_s},
        {10, 0, u"Nozzle"_s, u"4"_s}};
    // clang-format on
    for (const auto &[index, column, name, value] : rows) {
        EXPECT_EQ(grid(index).text(1, 1), name) << "grid " << index;
        EXPECT_EQ(grid(index).text(1, column), value) << "grid " << index;
    }
    EXPECT_EQ(grid(7).text(2, 6), u"2"_s) << "the gauge table with the second servo board's motor";
}

TEST_F(CockpitLamps, TheTextDisplaysShowOnScreen)
{
    EXPECT_EQ(h.controls().lblGlimra[0].caption(), u"CNI\r\r\r\r\r"_s);
    EXPECT_EQ(h.controls().lblGlimra[2].caption(), u" ENG  A/I\r  FUEL LOW\r\r\r\r"_s);
}

// Screen updates off: the boards follow, the window stays as it was.
TEST_F(CockpitLamps, WithScreenUpdatesOffOnlyTheBoardsFollow)
{
    h.controls().chkGlimra[0].setValue(1);
    boards.take();
    h.flight().NoseGearPos = 0.0f, h.flight().FuelFlow = 100.0f;
    convert::setFixedText(h.flight().DEDLines, u"OTHER"_s);
    h.cockpit.UpdateCycle();
    const QStringList writes = boards.take();
    EXPECT_EQ(writes.filter(u"11\tDiscreteLED"_s), QStringList{u"11\tDiscreteLED\t3\t0"_s});
    EXPECT_EQ(writes.filter(u"31\tDisplayString"_s), QStringList{u"31\tDisplayString\t0\t   100"_s});
    EXPECT_EQ(grid(0).text(1, 2), u"*"_s);
    EXPECT_EQ(grid(3).text(1, 3), u"  2451"_s);
    EXPECT_EQ(h.controls().lblGlimra[0].caption(), u"CNI\r\r\r\r\r"_s);
}

TEST_F(CockpitLamps, TheLampTestLightsEveryLampAndText)
{
    boards.take();
    h.controls().chkGlimra[1].setValue(1);
    // clang-format off
    const QMap<QString, int> lit{
        {u"21 OutputState 1"_s, 16}, {u"22 OutputState 1"_s, 16}, {u"11 DiscreteLED 40"_s, 64},
        {u"12 DiscreteLED 40"_s, 64}, {u"41 DisplayString TextLCD-1 1"_s, 1}, {u"41 DisplayString TextLCD-1 2"_s, 1},
        {u"42 DisplayString TextLCD-2 1"_s, 1}, {u"42 DisplayString TextLCD-2 2"_s, 1},
        {u"31 DisplayString 1234"_s, 1}, {u"32 DisplayString 1234"_s, 1}};
    // clang-format on
    EXPECT_EQ(tally(), lit);
}

// Backlights and text LED brightness stay as they were.
TEST_F(CockpitLamps, TheLampTestClearedPutsEveryLampAndTextOut)
{
    h.controls().chkGlimra[1].setValue(1);
    boards.take();
    h.controls().chkGlimra[1].setValue(0);
    const QMap<QString, int> dark{{u"21 OutputState 0"_s, 16}, {u"22 OutputState 0"_s, 16}, {u"11 DiscreteLED 0"_s, 64},
                                  {u"12 DiscreteLED 0"_s, 64}, {u"41 DisplayString "_s, 2}, {u"42 DisplayString "_s, 2},
                                  {u"31 DisplayString "_s, 1}, {u"32 DisplayString "_s, 1}};
    EXPECT_EQ(tally(), dark);
}
