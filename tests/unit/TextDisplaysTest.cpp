#include "core/Convert.h"
#include "core/Error.h"
#include "core/Grid.h"
#include "phidget/TextDisplays.h"
#include "support/JournalBoards.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using Kind = VirtualBoard::Kind;

struct TextCase
{
    const char *name;
    const char16_t *keyword; // nullptr: the countermeasures page, its two lines joined by "|"
    std::function<void(FlightData &)> set;
    QString expected;
};

class TextKeyword : public testing::TestWithParam<TextCase> {};

TEST_P(TextKeyword, ShowsItsValueInItsFormat)
{
    const TextCase &c = GetParam();
    FlightData data{};
    c.set(data);
    QString text = u"stale"_s, second;
    if (c.keyword) {
        attempt([&] { textLedText(c.keyword, data, text); }); // a failing text leaves the old one
    } else {
        cmdsLines(data, text, second);
        text += u'|' + second;
    }
    EXPECT_EQ(text, c.expected);
}

const TextCase kTexts[] = {
    {"FuelFlowRightAlignedInSix", u"FUELFLOW", [](FlightData &d) { d.FuelFlow = 2450.6f; }, u"  2451"_s},
    {"KeywordInAnyCase", u"FuelFlow", [](FlightData &d) { d.FuelFlow = 2450.6f; }, u"  2451"_s},
    {"FuelFlowHalfAwayFromZero", u"FUELFLOW", [](FlightData &d) { d.FuelFlow = 2.5f; }, u"     3"_s},
    {"FuelFlowTooWideLosesLeadingDigits", u"FUELFLOW", [](FlightData &d) { d.FuelFlow = 1234567.0f; }, u"234567"_s},
    {"FuelFlowPast38DigitsKeepsTheOldText", u"FUELFLOW", [](FlightData &d) { d.FuelFlow = 1.7e38f; }, u"stale"_s},
    {"FuelFlowNaNKeepsTheOldText", u"FUELFLOW", [](FlightData &d) { d.FuelFlow = std::nanf(""); }, u"stale"_s},
    {"TotalizerOverflowKeepsTheOldText", u"TOTALIZER", [](FlightData &d) { d.InternalFuel = d.ExternalFuel = 3e38f; },
     u"stale"_s},
    {"TotalizerSumsBothTanks", u"TOTALIZER", [](FlightData &d) { d.InternalFuel = 1000.25f, d.ExternalFuel = 500.25f; },
     u"  1501"_s},
    {"AuxTacanInFour", u"AUXTCHAN", [](FlightData &d) { d.AUXTChan = 7; }, u"   7"_s},
    {"UfcTacanInFour", u"UFCTCHAN", [](FlightData &d) { d.UFCTChan = 109; }, u" 109"_s},
    {"TacanTooWide", u"AUXTCHAN", [](FlightData &d) { d.AUXTChan = 12345; }, u"2345"_s},
    {"TacanNegative", u"UFCTCHAN", [](FlightData &d) { d.UFCTChan = -5; }, u"  -5"_s},
    {"Cmds1Go", u"CMDS1", [](FlightData &d) { d.LightBits2 = 0x40; }, u"GO  DSPRDY"_s},
    {"Cmds1NoGo", u"CMDS1", [](FlightData &d) { d.LightBits2 = 0x80; }, u"NO GO"_s},
    {"Cmds2ChaffLow", u"CMDS2", [](FlightData &d) { d.LightBits2 = 0x400, d.ChaffCount = 30, d.FlareCount = 4; },
     u"  LO 30 4"_s},
    {"Cmds2FlareLow", u"CMDS2", [](FlightData &d) { d.LightBits2 = 0x800, d.ChaffCount = 30, d.FlareCount = 4; },
     u"  LO 30 4"_s},
    {"Cmds2NegativeAndFractionalCounts", u"CMDS2", [](FlightData &d) { d.ChaffCount = -1, d.FlareCount = 0.5f; },
     u"     -1 0.5"_s},
    {"UnknownKeywordIsEmpty", u"FUEL", [](FlightData &d) { d.FuelFlow = 100; }, QString()},
    {"CmdsPageSpeedBrakeIn", nullptr, [](FlightData &d) { d.ChaffCount = 5, d.FlareCount = 12; },
     u"            CHAFF:05|            FLARE:12"_s},
    {"CmdsPageSpeedBrakePartly", nullptr, [](FlightData &d) { d.ChaffCount = 5, d.FlareCount = 12, d.SpeedBrake = 0.45f; },
     u"            CHAFF:05|SB 45%      FLARE:12"_s},
    {"CmdsPageSpeedBrakeFull", nullptr, [](FlightData &d) { d.ChaffCount = 5, d.FlareCount = 12, d.SpeedBrake = 1.0f; },
     u"            CHAFF:05|SB 100%     FLARE:12"_s},
    {"CmdsPageHalfPercentToEven", nullptr, [](FlightData &d) { d.SpeedBrake = 0.125f; },
     u"            CHAFF:00|SB 12%      FLARE:00"_s},
    {"CmdsPageNegativeCounts", nullptr, [](FlightData &d) { d.ChaffCount = -3, d.FlareCount = -1, d.SpeedBrake = -1; },
     u"            CHAFF:00|            FLARE:00"_s},
};

INSTANTIATE_TEST_SUITE_P(All, TextKeyword, testing::ValuesIn(kTexts),
                         [](const testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });

// A 5 × 26 block from five lines, each padded to 26 characters.
void fillBlock(FlightText &field, std::initializer_list<QString> lines)
{
    QString block;
    for (const QString &line : lines)
        block += line.leftJustified(26, u' ', true);
    convert::setFixedText(field, block);
}

struct PflFixture : testing::Test
{
    PflFixture()
    {
        fillBlock(data.PFLLines, {u" \002FLCS  \001BUS\003 FAIL  "_s, u"  ENG  A/I   "_s, QString(), QString(),
                                  u"                      LAST"_s});
    }

    QString built()
    {
        QString result;
        BuildDisplay(QStringView(data.PFLLines, kTextFieldLength), result, [&] { ++yields; },
                     [&](const Error &error) { reports << error.description(); });
        return result;
    }

    FlightData data{};
    int yields = 0;
    QStringList reports;
};

TEST_F(PflFixture, BuildDisplayMakesFiveTrimmedLinesWithTheMarkersReplaced)
{
    EXPECT_EQ(built(), u"*FLCS  \u00A6BUS FAIL\r  ENG  A/I\r\r\r                      LAST\r"_s)
        << "leading space of the block dropped, code 2 star, code 1 broken bar, code 3 gone";
    EXPECT_EQ(yields, 1);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(PflFixture, GetLineTrimsAndCountsFromOne)
{
    const QString text = built();
    struct Case { int n; QString line; };
    for (const Case &c : {Case{1, u"*FLCS  \u00A6BUS FAIL"_s}, Case{2, u"ENG  A/I"_s}, Case{3, QString()},
                          Case{5, u"LAST"_s}, Case{0, QString()}, Case{6, QString()}, Case{-1, QString()}})
        EXPECT_EQ(GetLine(text, c.n).toString(), c.line) << c.n;
    EXPECT_EQ(GetLine(u"a\r  b  ", 2).toString(), u"b"_s) << "a last line without CR";
}

TEST_F(PflFixture, PfdModeShowsTheLinesColumnZeroNames)
{
    ConfigTable table = test::tableOf({{u"2"_s, u"PFL 2"_s, u"pfd"_s, u"old"_s},
                                       {u"5"_s, u"PFL 5"_s, u"PFD"_s, QString()},
                                       {u"99999"_s, u"keeps 5"_s, u"PFD"_s, QString()}});
    QString scratch;
    BuildTextLcdContent(table, data, [&](QString &out) { out = built(); }, scratch);
    EXPECT_EQ(table[0][3], u"ENG  A/I"_s);
    EXPECT_EQ(table[1][3], u"LAST"_s);
    EXPECT_EQ(table[2][3], u"LAST"_s) << "a line number past 16 bits keeps the one before";
    EXPECT_EQ(yields, 3) << "one BuildDisplay, and its yield, per entry";
}

TEST_F(PflFixture, BuildDisplayReportsAFailureAndKeepsWhatItBuilt)
{
    QString result;
    BuildDisplay(QStringView(data.PFLLines, kTextFieldLength), result,
                 [] { throw Error(Error::ObjectNotSet, u"board gone"_s); },
                 [&](const Error &error) { reports << errorReport(error, u"BuildDisplay"); });
    EXPECT_EQ(reports, QStringList{u"board gone\rGenerated by: BuildDisplay\rSource: (91)"_s});
    EXPECT_EQ(GetLine(result, 5).toString(), u"LAST"_s);
}

TEST(TextLcdContent, CmdsModeFillsTheSpareRowAndOtherModesLeaveColumnThree)
{
    FlightData data{};
    data.ChaffCount = 5, data.FlareCount = 12;
    ConfigTable one = test::tableOf({{u"0"_s, u"page"_s, u"cmds"_s, QString()}});
    QString scratch;
    const auto noPfl = [](QString &) { FAIL() << "no fault list in this mode"; };
    BuildTextLcdContent(one, data, noPfl, scratch);
    EXPECT_EQ(one[0][3], u"            CHAFF:05"_s);
    EXPECT_EQ(one[1][3], u"            FLARE:12"_s) << "the spare row holds the second line";

    ConfigTable other = test::tableOf({{u"1"_s, u"x"_s, u"HUD"_s, u"kept"_s}});
    BuildTextLcdContent(other, data, noPfl, scratch);
    EXPECT_EQ(other[0][3], u"kept"_s);
}

// The writers stop at their first failing board or grid call, skipping their yield.
struct WriterCase
{
    const char *name;
    bool lcd;
    ConfigTable table;
    int gridRows;
    QStringList writes;  // board lines written, "line text"
    QStringList cells;   // grid column 3 from row 1
    bool completes;
    bool pulled = false;
};

class TextWriter : public testing::TestWithParam<WriterCase> {};

TEST_P(TextWriter, StopsAtTheFirstFailure)
{
    const WriterCase &c = GetParam();
    test::JournalBoards boards;
    const auto board = boards.add(c.lcd ? Kind::TextLcd : Kind::TextLed, 7);
    board->setAttached(!c.pulled);
    Grid grid;
    grid.setRows(c.gridRows);
    grid.setCols(4);
    int yields = 0;
    const auto yield = [&] { ++yields; };

    attempt([&] {
        if (c.lcd)
            WriteTextLcd(c.table, board.get(), grid, true, yield);
        else
            WriteTextLed(c.table, board.get(), grid, true, yield);
    });

    QStringList writes, cells;
    for (const QString &line : boards.take())
        writes << line.section(u'\t', 2).replace(u'\t', u' ');
    for (int r = 1; r < grid.rows(); ++r)
        cells << grid.text(r, 3);
    EXPECT_EQ(writes, c.writes);
    EXPECT_EQ(cells, c.cells);
    EXPECT_EQ(yields, c.completes ? 1 : 0);
}

const WriterCase kWriters[] = {
    {"LedLinesFromColumnZero", false,
     test::tableOf({{u"3"_s, u"a"_s, u"K"_s, u"x"_s}, {u"0"_s, u"b"_s, u"K"_s, u"y"_s}}), 3,
     {u"3 x"_s, u"0 y"_s}, {u"x"_s, u"y"_s}, true},
    {"LedLinePastTheBoardStops", false,
     test::tableOf({{u"0"_s, u"a"_s, u"K"_s, u"x"_s}, {u"4"_s, u"b"_s, u"K"_s, u"y"_s}, {u"1"_s, u"c"_s, u"K"_s, u"z"_s}}),
     4, {u"0 x"_s}, {u"x"_s, QString(), QString()}, false},
    {"LedGridTooSmallStops", false,
     test::tableOf({{u"0"_s, u"a"_s, u"K"_s, u"x"_s}, {u"1"_s, u"b"_s, u"K"_s, u"y"_s}}), 2, {u"0 x"_s, u"1 y"_s},
     {u"x"_s}, false},
    {"LcdSpareRowBlanksTheSecondLineThenThePassEndsAtTheGrid", true,
     test::tableOf({{u"0"_s, u"a"_s, u"CMDS"_s, u"one"_s}}), 2, {u"0 one"_s, u"1 "_s}, {u"one"_s}, false},
    {"LcdSpareRowPastTheBoardStops", true,
     test::tableOf({{u"0"_s, u"a"_s, u"PFD"_s, u"one"_s}, {u"1"_s, u"b"_s, u"PFD"_s, u"two"_s}}), 4,
     {u"0 one"_s, u"1 two"_s}, {u"one"_s, u"two"_s, QString()}, false},
    {"LcdWithRoomForEveryRowCompletes", true, ConfigTable{ConfigRow{u"0"_s, u"a"_s, u"PFD"_s, u"one"_s}}, 2, {u"0 one"_s},
     {u"one"_s}, true},
    {"PulledBoardStopsAtOnce", false, test::tableOf({{u"0"_s, u"a"_s, u"K"_s, u"x"_s}}), 2, {}, {QString()}, false, true},
};

INSTANTIATE_TEST_SUITE_P(All, TextWriter, testing::ValuesIn(kWriters),
                         [](const testing::TestParamInfo<WriterCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace tavrel
