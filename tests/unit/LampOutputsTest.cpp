#include "core/Grid.h"
#include "phidget/LampOutputs.h"
#include "support/JournalBoards.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using Kind = VirtualBoard::Kind;

constexpr std::int32_t kSlider = 60;

struct LampCase
{
    const char *name;
    int grid; // 0 LED-64, 2 interface kit
    std::vector<ConfigRow> rows;
    std::function<void(FlightData &, bool &speedBrakeOpen)> set;
    QStringList writes; // "member index value", in order
    const char *marks;  // per entry: '*' lit, '.' dark, '-' untouched
    bool yields = true;
    bool board = true;
    bool screen = true;
};

ConfigRow row(const char *out, const char *description, const char *mask, const char *word)
{
    return {QString::fromLatin1(out), QString::fromLatin1(description), QString::fromLatin1(mask),
            QString::fromLatin1(word)};
}

QStringList leds(std::initializer_list<std::pair<int, int>> writes)
{
    QStringList out;
    for (auto [index, value] : writes)
        out << u"DiscreteLED %1 %2"_s.arg(index).arg(value);
    return out;
}

// One built-in rule entry on LED 3, its input set by `set`, lit or dark.
LampCase rule(const char *name, const char *description, std::function<void(FlightData &, bool &)> set, bool lit)
{
    return {name, 0, {row("3", description, "0", "0")}, std::move(set), leds({{3, lit ? kSlider : 0}}),
            lit ? "*" : "."};
}

auto beacon(float distance)
{
    return [distance](FlightData &d, bool &) { d.DistanceToBeacon = distance; };
}

class LampPass : public testing::TestWithParam<LampCase> {};

TEST_P(LampPass, DrivesTheBoardAndMarksTheGrid)
{
    const LampCase &c = GetParam();
    test::JournalBoards boards;
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
    int yields = 0;
    // The slider moves by one between reads: each lit lamp shows the value read for it.
    int brightnessReads = 0;
    const LampInputs in{data, speedBrakeOpen, c.screen, [&] { return kSlider + brightnessReads++; },
                        [&] { ++yields; }};

    DriveDiscreteOutputs(c.grid, table, board.get(), grid, in);

    QStringList writes;
    for (const QString &line : boards.take())
        writes << line.section(u'\t', 1).replace(u'\t', u' ');
    EXPECT_EQ(writes, c.writes);
    QString marks;
    for (int r = 1; r < grid.rows(); ++r) {
        const QString &cell = grid.text(r, 2);
        marks += cell.isEmpty() ? u'.' : cell.at(0);
    }
    EXPECT_EQ(marks, QLatin1String(c.marks));
    EXPECT_EQ(yields, c.yields ? 1 : 0);
}

const LampCase kLamps[] = {
    {"BitWord1Lit", 0, {row("12", "Lamp", "1", "1")}, [](FlightData &d, bool &) { d.LightBits = 1; },
     leds({{12, kSlider}}), "*"},
    {"BitWord1Cleared", 0, {row("12", "Lamp", "1", "1")}, [](FlightData &d, bool &) { d.LightBits = 2; },
     leds({{12, 0}}), "."},
    {"BitWord2ReadsLightBits2Only", 0, {row("0", "a", "16", "2"), row("1", "b", "16", "2")},
     [](FlightData &d, bool &) { d.LightBits = 16, d.LightBits3 = 16; }, leds({{0, 0}, {1, 0}}), ".."},
    {"EachBitWordItsOwnField", 0,
     {row("1", "a", "4", "1"), row("2", "b", "4", "2"), row("3", "c", "4", "3"), row("4", "d", "4", "4")},
     [](FlightData &d, bool &) { d.LightBits2 = 4, d.HSIBits = 4; }, leds({{1, 0}, {2, kSlider}, {3, 0}, {4, kSlider + 1}}),
     ".*.*"},
    {"Bit31WrittenNegative", 0, {row("5", "a", "-2147483648", "1"), row("6", "b", "-2147483648", "1")},
     [](FlightData &d, bool &) { d.LightBits = INT_MIN; }, leds({{5, kSlider}, {6, kSlider + 1}}), "**"},
    {"Bit31Clear", 0, {row("5", "a", "-2147483648", "4")}, [](FlightData &d, bool &) { d.HSIBits = INT_MAX; },
     leds({{5, 0}}), "."},
    {"MaskGroupAnyBit", 0, {row("7", "a", "6", "3")}, [](FlightData &d, bool &) { d.LightBits3 = 4; },
     leds({{7, kSlider}}), "*"},
    {"MaskPast32BitsStaysDark", 0, {row("7", "a", "4294967296", "1"), row("8", "b", "2147483648", "1")},
     [](FlightData &d, bool &) { d.LightBits = -1; }, leds({{7, 0}, {8, 0}}), ".."},
    {"TextFieldsByTheNumberRule", 0, {row(" 1 2", "a", "8 and more", "1.4")},
     [](FlightData &d, bool &) { d.LightBits = 8; }, leds({{12, kSlider}}), "*"},
    rule("OuterAtLowerBound", "HSI - Outer Marker Beacon", beacon(4.0f), false),
    rule("OuterInside", "HSI - Outer Marker Beacon", beacon(4.2f), true),
    rule("OuterAtUpperBound", "HSI - Outer Marker Beacon", beacon(4.4f), false),
    rule("MiddleAtLowerBound", "HSI - Middle Marker Beacon", beacon(1.0f), false),
    rule("MiddleInside", "HSI - Middle Marker Beacon", beacon(1.3f), true),
    rule("MiddleAtUpperBound", "HSI - Middle Marker Beacon", beacon(1.6f), false),
    // 0.1 as a float lies just above 0.1 in double: inside the exclusive range.
    rule("InnerAtFloatLowerBound", "HSI - Inner Marker Beacon", beacon(0.1f), true),
    rule("InnerBelow", "HSI - Inner Marker Beacon", beacon(0.099f), false),
    rule("InnerAtUpperBound", "HSI - Inner Marker Beacon", beacon(0.3f), false),
    rule("SpeedBrakeFollowsTheFlag", "Left Console - Speed Brake (Bit)", [](FlightData &d, bool &open) {
        d.SpeedBrake = 0.0f, open = true;
    }, true),
    rule("SpeedBrakeFlagClear", "Left Console - Speed Brake (Bit)", [](FlightData &d, bool &) {
        d.SpeedBrake = 1.0f;
    }, false),
    rule("NoseGearInTransit", "Gear - Nose Gear Down (Bit)", [](FlightData &d, bool &) { d.NoseGearPos = 0.1f; }, true),
    rule("NoseGearUp", "Gear - Nose Gear Down (Bit)", [](FlightData &d, bool &) { d.LeftGearPos = 1.0f; }, false),
    rule("LeftGear", "Gear - Left Gear Down (Bit)", [](FlightData &d, bool &) { d.LeftGearPos = 1.0f; }, true),
    rule("RightGear", "Gear - Right Gear Down (Bit)", [](FlightData &d, bool &) { d.RightGearPos = 0.5f; }, true),
    rule("RightGearNegative", "Gear - Right Gear Down (Bit)", [](FlightData &d, bool &) { d.RightGearPos = -1.0f; },
         false),
    {"UnknownRuleIsDarkNotThePreviousState", 0,
     {row("1", "Gear - Nose Gear Down (Bit)", "0", "0"), row("2", "Gear - nose gear down (bit)", "0", "0")},
     [](FlightData &d, bool &) { d.NoseGearPos = 1.0f; }, leds({{1, kSlider}, {2, 0}}), "*."},
    {"UnknownBitWordStopsThePass", 0, {row("0", "a", "1", "1"), row("1", "b", "1", "7"), row("2", "c", "1", "1")},
     [](FlightData &d, bool &) { d.LightBits = 1; }, leds({{0, kSlider}}), "*--", false},
    {"NegativeBitWordStopsThePass", 0, {row("0", "a", "1", "-1")}, nullptr, {}, "-", false},
    {"OutputPastTheBoardIsSkipped", 0, {row("64", "a", "1", "1"), row("63", "b", "1", "1")},
     [](FlightData &d, bool &) { d.LightBits = 1; }, leds({{63, kSlider + 1}}), "**"},
    {"SameOutputTwiceLaterWins", 0, {row("9", "a", "1", "1"), row("9", "b", "2", "1")},
     [](FlightData &d, bool &) { d.LightBits = 1; }, leds({{9, kSlider}, {9, 0}}), "*."},
    {"NoBoardStillMarks", 0, {row("4", "a", "1", "1")}, [](FlightData &d, bool &) { d.LightBits = 1; }, {}, "*",
     true, false},
    {"ScreenUpdateOffLeavesTheGrid", 0, {row("4", "a", "1", "1")}, [](FlightData &d, bool &) { d.LightBits = 1; },
     leds({{4, kSlider}}), "-", true, true, false},
    {"KitOutputs", 2, {row("0", "a", "1", "2"), row("15", "b", "2", "2")}, [](FlightData &d, bool &) {
         d.LightBits2 = 1;
     }, {u"OutputState 0 1"_s, u"OutputState 15 0"_s}, "*."},
    {"EmptyTableYieldsOnce", 0, {}, nullptr, {}, ""},
};

INSTANTIATE_TEST_SUITE_P(All, LampPass, testing::ValuesIn(kLamps),
                         [](const testing::TestParamInfo<LampCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace tavrel
