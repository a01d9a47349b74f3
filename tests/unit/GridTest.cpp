// The table builders: each builder's columns and rows, and the yield at output 32.
#include "core/Grid.h"
#include "core/GridBuilders.h"
#include "support/JournalBoards.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

// The texts of one row (col -1) or one column (row -1).
QStringList gridTexts(const Grid &grid, int row, int col = -1)
{
    QStringList texts;
    for (int i = 0; i < (row < 0 ? grid.rows() : grid.cols()); ++i)
        texts << grid.text(row < 0 ? i : row, col < 0 ? i : col);
    return texts;
}

// Each column as "header:width:alignment".
QString columnSet(const Grid &grid)
{
    QStringList set;
    for (int col = 0; col < grid.cols(); ++col)
        set << u"%1:%2:%3"_s.arg(grid.text(0, col)).arg(grid.colWidth(col)).arg(grid.colAlignment(col));
    return set.join(u' ');
}

} // namespace

TEST(GridTest, BuildersLayOutTheirColumnsAndRows)
{
    ConfigTable lamps;
    for (int i = 0; i < 64; ++i)
        lamps.append(ConfigRow{QString::number(63 - i), u"lamp %1"_s.arg(i), u"16"_s, u"1"_s});
    lamps.append(ConfigRow{});
    const ConfigTable texts = test::tableOf(
        {{u"0"_s, u"Fuel"_s, u"FUELFLOW"_s, u"0"_s}, {u"1"_s, u" Chaff "_s, u"CMDS1"_s, u"9"_s}});
    using Build = std::function<void(Grid &, const ConfigTable &)>;
    const auto ports = [](Grid &g, const ConfigTable &t) { grids::portList(g, t, [] {}); };
    // clang-format off
    const std::tuple<const char *, Build, ConfigTable, QString, int, QStringList> cases[] = {
        {"LED-64", ports, lamps, u"Port:400:9 Description:3200:9 :300:4"_s, 64, {u"0"_s, u"lamp 63"_s, {}}},
        {"text LED", [&](Grid &g, auto &t) { ports(g, t), grids::variableColumns(g, t); }, texts,
         u"Port:400:9 Description:1800:9 Variable:1400:4 Value:1200:7"_s, 2, {u"1"_s, u" Chaff "_s, u"CMDS1"_s, {}}},
        {"text LCD", [&](Grid &g, auto &t) { ports(g, t), grids::lineColumns(g, t); }, texts,
         u"Ln:300:9 Label:1800:9 Var:900:4 Value:2000:7"_s, 1, {u"0"_s, u"Fuel"_s, u"FUELFLOW"_s, {}}},
        {"pigeonholes", [](Grid &g, auto &t) { grids::pigeonholeList(g, t); }, texts,
         u"PH#:400:9 Description:2000:9 Var.:1400:4 Value:1600:9"_s, 2, {u"1"_s, u" Chaff "_s, u"CMDS1"_s, {}}}};
    // clang-format on
    for (const auto &[name, build, table, columns, row, cells] : cases) {
        SCOPED_TRACE(name);
        Grid grid, absent;
        build(grid, table);
        EXPECT_EQ(columnSet(grid), columns);
        EXPECT_EQ(grid.rows(), table.size()) << "a header row, and a row per line";
        EXPECT_EQ(gridTexts(grid, row), cells);
        absent.setRows(5);
        build(absent, {});
        EXPECT_EQ(absent.rows(), 1) << "an absent section leaves the header row";
    }
}

// The port list yields at the row whose output number reads 32, once it has written that
// number and before the description.
TEST(GridTest, PortListYieldsAtOutput32)
{
    // clang-format off
    for (const auto &[output, yields] : std::vector<std::pair<QString, bool>>{
             {u"32"_s, true}, {u" 32"_s, true}, {u"032"_s, true}, {u"31.5"_s, true}, {u"32.5"_s, true},
             {u"320"_s, false}, {u"3"_s, false}, {u"32.6"_s, false}, {u"x32"_s, false}}) {
        // clang-format on
        Grid grid;
        QStringList seen;
        grids::portList(grid, test::tableOf({{u"1"_s, u"before"_s, {}, {}}, {output, u"here"_s, {}, {}}}),
                        [&] { seen << gridTexts(grid, 2).join(u'|'); });
        EXPECT_EQ(seen, yields ? QStringList{output + u"||"_s} : QStringList{}) << output.toStdString();
    }
}

// The views redraw a cell when the grid announces it: a new text or colour is announced
// once, the same one again not at all (the cycle rewrites every cell every cycle).
TEST(GridTest, ACellAnnouncesOnlyAChange)
{
    Grid grid;
    grid.setRows(2);
    grid.setCols(2);
    QStringList announced;
    QObject::connect(&grid, &Grid::cellChanged,
                     [&announced](int row, int col) { announced << u"%1,%2"_s.arg(row).arg(col); });
    const std::pair<std::function<void()>, QStringList> steps[] = {
        {[&] { grid.setText(1, 1, u"*"_s); }, {u"1,1"_s}},  {[&] { grid.setText(1, 1, u"*"_s); }, {}},
        {[&] { grid.setText(1, 1, u"**"_s); }, {u"1,1"_s}}, {[&] { grid.setCellBackColor(1, 0, 255); }, {u"1,0"_s}},
        {[&] { grid.setCellBackColor(1, 0, 255); }, {}},
    };
    for (const auto &[step, expected] : steps) {
        announced.clear();
        step();
        EXPECT_EQ(announced, expected);
    }
}
