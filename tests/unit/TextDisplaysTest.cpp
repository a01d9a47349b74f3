// The text displays: the text LED keywords and the countermeasures page, the fault list
// built into five lines, and the writers that stop at their first failure.
#include "phidget/TextDisplays.h"
#include "core/Convert.h"
#include "core/Error.h"
#include "core/Grid.h"
#include "support/JournalBoards.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tavrel;
using namespace Qt::StringLiterals;
using Kind = BoardKind;

namespace {

// The text LED keywords (the countermeasures page where the keyword is null, its two
// lines joined by "|"), each from a record set by its case, over the text "stale".
struct TextCase
{
    const char *name;
    const char16_t *keyword;
    std::function<void(FlightData &)> set;
    QString expected;
};

// clang-format off
const TextCase kTexts[] = {
    {"KeywordInAnyCase", u"FuelFlow", [](FlightData &d) { d.FuelFlow = 2.5f; }, u"     3"_s},
    {"FuelFlowTooWideLosesLeadingDigits", u"FUELFLOW", [](FlightData &d) { d.FuelFlow = 1234567.0f; }, u"234567"_s},
    {"FuelFlowPast38DigitsKeepsTheOldText", u"FUELFLOW", [](FlightData &d) { d.FuelFlow = 1.7e38f; }, u"stale"_s},
    {"TotalizerOverflow", u"TOTALIZER", [](FlightData &d) { d.InternalFuel = d.ExternalFuel = 3e38f; }, u"stale"_s},
    {"TotalizerSumsBothTanks", u"TOTALIZER", [](FlightData &d) { d.InternalFuel = 1000.25f, d.ExternalFuel = 500.25f; },
     u"  1501"_s},
    {"AuxTacanInFour", u"AUXTCHAN", [](FlightData &d) { d.AUXTChan = 7; }, u"   7"_s},
    {"UfcTacanTooWide", u"UFCTCHAN", [](FlightData &d) { d.UFCTChan = 12345, d.AUXTChan = 1; }, u"2345"_s},
    {"Cmds1Go", u"CMDS1", [](FlightData &d) { d.LightBits2 = 0x40; }, u"GO  DSPRDY"_s},
    {"Cmds1NoGo", u"CMDS1", [](FlightData &d) { d.LightBits2 = 0xBF; }, u"NO GO"_s},
    {"Cmds2ChaffLow", u"CMDS2", [](FlightData &d) { d.LightBits2 = 0x400, d.ChaffCount = 30, d.FlareCount = 4; },
     u"  LO 30 4"_s},
    {"Cmds2FlareLow", u"CMDS2", [](FlightData &d) { d.LightBits2 = 0x800, d.ChaffCount = -1, d.FlareCount = 0.5f; },
     u"  LO -1 0.5"_s},
    {"Cmds2NotLow", u"CMDS2", [](FlightData &d) { d.LightBits2 = 0x3FF; }, u"     0 0"_s},
    {"UnknownKeywordIsEmpty", u"FUEL", [](FlightData &d) { d.FuelFlow = 100; }, QString()},
    {"CmdsPageSpeedBrakePartly", nullptr, [](FlightData &d) { d.ChaffCount = 123, d.SpeedBrake = 0.45f; },
     u"            CHAFF:123|SB 45%      FLARE:00"_s},
    {"CmdsPageSpeedBrakeFull", nullptr, [](FlightData &d) { d.SpeedBrake = 1; },
     u"            CHAFF:00|SB 100%     FLARE:00"_s},
    {"CmdsPageFlaresOnly", nullptr, [](FlightData &d) { d.FlareCount = 7; },
     u"            CHAFF:00|            FLARE:07"_s},
    {"CmdsPageNegativeCounts", nullptr, [](FlightData &d) { d.ChaffCount = -3, d.FlareCount = -1, d.SpeedBrake = -1; },
     u"            CHAFF:00|            FLARE:00"_s},
};
// clang-format on

} // namespace

TEST(TextDisplaysTest, EachKeywordShowsItsValueInItsFormat)
{
    for (const TextCase &c : kTexts) {
        FlightData data{};
        c.set(data);
        QString text = u"stale"_s, second;
        if (c.keyword) {
            attempt([&] { textLedText(c.keyword, data, text); }); // a failing text leaves the old one
        } else {
            cmdsLines(data, text, second);
            text += u'|' + second;
        }
        EXPECT_EQ(text, c.expected) << c.name;
    }
}

// The fault list as the record holds it: five lines of 26 characters, with markers
// (code 2 star, code 1 broken bar), a character of the code page's upper half kept (€,
// code 128) and ones dropped (code 3, 129 which the code page leaves undefined, and the
// degree sign, 176, in a line of printable ASCII otherwise).
TEST(TextDisplaysTest, BuildDisplayGetLineAndThePfdMode)
{
    FlightData data{};
    QString block;
    for (const QString &line : {u" \002FLCS  \u20AC\u0081\001BUS\003 FAIL"_s, u"  ENG  A/I\u00B0"_s, QString(),
                                QString(), u"                      LAST"_s})
        block += line.leftJustified(26, u' ', true);
    convert::setFixedText(data.PFLLines, block);
    int yields = 0;
    QStringList reports;
    const auto build = [&](QString &result) {
        const auto report = [&](const Error &e) { reports << e.description(); };
        BuildDisplay(
            view(data.PFLLines), result, [&] { ++yields; }, report);
    };
    QString text;
    build(text);
    EXPECT_EQ(text, u"*FLCS  \u20AC\u00A6BUS FAIL\r  ENG  A/I\r\r\r                      LAST\r"_s);
    EXPECT_EQ(yields, 1);
    for (const auto &[n, line] : std::vector<std::pair<int, QString>>{
             {1, u"*FLCS  \u20AC\u00A6BUS FAIL"_s}, {2, u"ENG  A/I"_s}, {3, {}}, {5, u"LAST"_s}, {0, {}}, {6, {}}})
        EXPECT_EQ(GetLine(text, n).toString(), line) << n;
    EXPECT_EQ(GetLine(u"a\r  b  ", 2).toString(), u"b"_s) << "a last line without CR";

    ConfigTable table = test::tableOf({{u"2"_s, u"PFL 2"_s, u"pfd"_s, u"old"_s},
                                       {u"5"_s, u"PFL 5"_s, u"PFD"_s, {}},
                                       {u"99999"_s, u"keeps 5"_s, u"PFD"_s, {}}});
    QString scratch;
    BuildTextLcdContent(table, data, build, scratch);
    EXPECT_EQ(table[0][3], u"ENG  A/I"_s);
    EXPECT_EQ(table[2][3], u"LAST"_s) << "a line number past 16 bits keeps the one before";
    EXPECT_EQ(yields, 4) << "one BuildDisplay, and its yield, per entry";
    EXPECT_TRUE(reports.isEmpty());

    BuildDisplay(
        view(data.PFLLines), text, [] { throw Error(Error::ObjectNotSet, u"board gone"_s); },
        [&](const Error &error) { reports << errorReport(error, u"BuildDisplay"); });
    EXPECT_EQ(reports, QStringList{u"board gone\rGenerated by: BuildDisplay\rSource: (91)"_s});
    EXPECT_EQ(GetLine(text, 5).toString(), u"LAST"_s) << "what was built stays";
}

// The writers stop at their first failing board or grid call, skipping their yield: the
// board lines written ("line text"), the grid's value cells, whether the pass completed.
TEST(TextDisplaysTest, TheWritersStopAtTheFirstFailure)
{
    const ConfigRow x{u"0"_s, u"a"_s, u"K"_s, u"x"_s}, y{u"1"_s, u"b"_s, u"K"_s, u"y"_s};
    const std::tuple<Kind, ConfigTable, int, QString, QString, bool> cases[] = {
        {Kind::TextLed, test::tableOf({{u"3"_s, u"a"_s, u"K"_s, u"x"_s}, y}), 3, u"3 x,1 y"_s, u"x,y"_s, true},
        {Kind::TextLed, test::tableOf({x, {u"4"_s, u"b"_s, u"K"_s, u"y"_s}, y}), 4, u"0 x"_s, u"x,,"_s, false},
        {Kind::TextLed, test::tableOf({x, y}), 2, u"0 x,1 y"_s, u"x"_s, false},    // the grid is too small
        {Kind::TextLcd, test::tableOf({x}), 2, u"0 x,1 "_s, u"x"_s, false},        // the spare row blanks line 1
        {Kind::TextLcd, test::tableOf({x, y}), 4, u"0 x,1 y"_s, u"x,y,"_s, false}, // the spare row has no line
        {Kind::Led64, test::tableOf({x}), 2, u""_s, u""_s, false},                 // a board that has no lines
    };
    for (const auto &[kind, table, gridRows, writes, cells, completes] : cases) {
        test::JournalBoards boards;
        const auto board = boards.add(kind, 7);
        Grid grid;
        grid.setRows(gridRows);
        grid.setCols(4);
        int yields = 0;
        attempt([&] {
            (kind == Kind::TextLcd ? WriteTextLcd : WriteTextLed)(table, board.get(), grid, true, [&] { ++yields; });
        });
        QStringList written, shown;
        for (const QString &line : boards.take())
            written << line.section(u'\t', 2).replace(u'\t', u' ');
        for (int r = 1; r < grid.rows(); ++r)
            shown << grid.text(r, 3);
        EXPECT_EQ(written.join(u','), writes) << cells.toStdString();
        EXPECT_EQ(shown.join(u','), cells) << writes.toStdString();
        EXPECT_EQ(yields, completes ? 1 : 0) << writes.toStdString();
    }
}
