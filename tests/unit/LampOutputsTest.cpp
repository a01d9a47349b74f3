// The lamp pass: bit words and masks, the seven built-in rules at their bounds, and how
// the pass writes the board and marks the grid.
#include "phidget/LampOutputs.h"
#include "core/Grid.h"
#include "support/JournalBoards.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

using namespace tavrel;
using namespace Qt::StringLiterals;
using Set = std::function<void(FlightData &, bool &speedBrakeOpen)>;

namespace {

constexpr std::int32_t kSlider = 60;

// The writes are "index value" per board write, joined by ", "; the marks one per entry,
// '*' lit, '.' dark, '-' untouched. Grid 0 is an LED-64, 2 an interface kit.
struct LampCase
{
    const char *name;
    std::vector<ConfigRow> rows;
    Set set;
    const char *writes, *marks;
    bool yields = true;
    int grid = 0;
    bool board = true, screen = true;
};

ConfigRow row(const char *out, const char *description, const char *mask, const char *word)
{
    return {QLatin1String(out), QLatin1String(description), QLatin1String(mask), QLatin1String(word)};
}

// One built-in rule on LED 3, lit or dark.
LampCase rule(const char *name, const char *description, Set set, bool lit)
{
    return {name, {row("3", description, "0", "0")}, std::move(set), lit ? "3 60" : "3 0", lit ? "*" : "."};
}

constexpr const char *kBrake = "Left Console - Speed Brake (Bit)";
Set beacon(float nm)
{
    return [nm](FlightData &d, bool &) { d.DistanceToBeacon = nm; };
}
Set bits(std::int32_t FlightData::*word, std::int32_t value)
{
    return [=](FlightData &d, bool &) { d.*word = value; };
}
Set gear(float FlightData::*leg, float position)
{
    return [=](FlightData &d, bool &) { d.*leg = position; };
}

// clang-format off
const LampCase kLamps[] = {
    {"each bit word its own field", {row("1", "a", "4", "1"), row("2", "b", "4", "2"), row("3", "c", "4", "3"),
     row("4", "d", "4", "4")}, [](FlightData &d, bool &) { d.LightBits2 = 4, d.HSIBits = 4; },
     "1 0, 2 60, 3 0, 4 61", ".*.*"},
    {"bit 31 written negative", {row("5", "a", "-2147483648", "1")}, bits(&FlightData::LightBits, INT_MIN), "5 60",
     "*"},
    {"any bit of the mask", {row("7", "a", "6", "3")}, bits(&FlightData::LightBits3, 4), "7 60", "*"},
    {"masks past 32 bits stay dark", {row("7", "a", "4294967296", "1"), row("8", "b", "2147483648", "1")},
     bits(&FlightData::LightBits, -1), "7 0, 8 0", ".."},
    {"by the number rule; 1.4 is word 1", {row(" 1 2", "a", "8 and more", "1.4")}, bits(&FlightData::LightBits, 8),
     "12 60", "*"},
    {"bit word 1.6 is word 2", {row("1", "a", "8", "1.6")}, bits(&FlightData::LightBits2, 8), "1 60", "*"},
    rule("outer at 4", "HSI - Outer Marker Beacon", beacon(4.0f), false),
    rule("outer inside", "HSI - Outer Marker Beacon", beacon(4.2f), true),
    rule("outer just inside 4.4", "HSI - Outer Marker Beacon", beacon(4.35f), true),
    rule("middle at 1", "HSI - Middle Marker Beacon", beacon(1.0f), false),
    rule("middle inside", "HSI - Middle Marker Beacon", beacon(1.3f), true),
    rule("middle just inside 1.6", "HSI - Middle Marker Beacon", beacon(1.55f), true),
    // 0.1 as a float lies just above 0.1 in double: inside the exclusive range.
    rule("inner at 0.1f", "HSI - Inner Marker Beacon", beacon(0.1f), true),
    rule("inner just inside 0.3", "HSI - Inner Marker Beacon", beacon(0.29f), true),
    rule("inner at 0.3", "HSI - Inner Marker Beacon", beacon(0.3f), false),
    rule("speed brake follows the flag", kBrake, [](FlightData &d, bool &on) { d.SpeedBrake = 0, on = true; }, true),
    rule("speed brake flag clear", kBrake, [](FlightData &d, bool &) { d.SpeedBrake = 1; }, false),
    rule("nose gear in transit", "Gear - Nose Gear Down (Bit)", gear(&FlightData::NoseGearPos, 0.1f), true),
    rule("nose gear up", "Gear - Nose Gear Down (Bit)", gear(&FlightData::LeftGearPos, 1.0f), false),
    rule("left gear down", "Gear - Left Gear Down (Bit)", gear(&FlightData::LeftGearPos, 1.0f), true),
    rule("left gear at 0", "Gear - Left Gear Down (Bit)", gear(&FlightData::RightGearPos, 1.0f), false),
    rule("right gear in transit", "Gear - Right Gear Down (Bit)", gear(&FlightData::RightGearPos, 0.5f), true),
    rule("right gear at 0", "Gear - Right Gear Down (Bit)", gear(&FlightData::LeftGearPos, 1.0f), false),
    {"an unknown rule is dark, not the state before", {row("1", "Gear - Nose Gear Down (Bit)", "0", "0"),
     row("2", "Gear - nose gear down (bit)", "0", "0")}, gear(&FlightData::NoseGearPos, 1.0f), "1 60, 2 0", "*."},
    {"an unknown bit word ends the pass", {row("0", "a", "1", "1"), row("1", "b", "1", "7"), row("2", "c", "1", "1")},
     bits(&FlightData::LightBits, 1), "0 60", "*--", false},
    {"an output past the board is skipped", {row("64", "a", "1", "1"), row("63", "b", "1", "1")},
     bits(&FlightData::LightBits, 1), "63 61", "**"},
    {"an output past 16 bits keeps the one before", {row("9", "a", "1", "1"), row("40000", "b", "1", "1")},
     bits(&FlightData::LightBits, 1), "9 60, 9 61", "**"},
    {"no board still marks", {row("4", "a", "1", "1")}, bits(&FlightData::LightBits, 1), "", "*", true, 0, false},
    {"screen updates off leave the grid", {row("4", "a", "1", "1")}, bits(&FlightData::LightBits, 1), "4 60", "-",
     true, 0, true, false},
    {"kit outputs switch", {row("0", "a", "1", "2"), row("15", "b", "2", "2")}, bits(&FlightData::LightBits2, 1),
     "0 1, 15 0", "*.", true, 2},
    {"an empty table yields once", {}, nullptr, "", ""},
};
// clang-format on

} // namespace

TEST(LampOutputsTest, DrivesTheBoardAndMarksTheGrid)
{
    for (const LampCase &c : kLamps) {
        SCOPED_TRACE(c.name);
        test::JournalBoards boards;
        using Kind = BoardKind;
        const Board board = c.board ? boards.add(c.grid == 0 ? Kind::Led64 : Kind::InterfaceKit, 1) : nullptr;
        ConfigTable table(c.rows.begin(), c.rows.end());
        table.append(ConfigRow{});
        Grid grid;
        grid.setRows(int(c.rows.size()) + 1);
        grid.setCols(3);
        for (int r = 1; r < grid.rows(); ++r)
            grid.setText(r, 2, u"-"_s);
        FlightData data{};
        bool speedBrakeOpen = false;
        if (c.set)
            c.set(data, speedBrakeOpen);
        int yields = 0, reads = 0; // the slider moves by one between reads: each lit lamp reads it afresh
        DriveDiscreteOutputs(c.grid, table, board.get(), grid,
                             {data, speedBrakeOpen, c.screen, [&] { return kSlider + reads++; }, [&] { ++yields; }});

        QStringList writes;
        for (const QString &line : boards.take())
            writes << line.section(u'\t', 2).replace(u'\t', u' ');
        EXPECT_EQ(writes.join(u", "_s), QString::fromLatin1(c.writes));
        QString marks;
        for (int r = 1; r < grid.rows(); ++r)
            marks += grid.text(r, 2).isEmpty() ? u'.' : grid.text(r, 2).at(0);
        EXPECT_EQ(marks, QString::fromLatin1(c.marks));
        EXPECT_EQ(yields, c.yields ? 1 : 0);
    }
}
