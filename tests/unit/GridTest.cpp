#include "cockpit/Cockpit.h"
#include "core/Error.h"
#include "core/Grid.h"
#include "core/GridBuilders.h"
#include "support/QtPrinters.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <functional>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using Build = std::function<void(Grid &, const ConfigTable &)>;

// A section as the reader gives it: the lines, then the spare empty row.
ConfigTable section(std::initializer_list<ConfigRow> lines)
{
    ConfigTable table(lines);
    table.append(ConfigRow{});
    return table;
}

QStringList rowTexts(const Grid &grid, int row)
{
    QStringList texts;
    for (int col = 0; col < grid.cols(); ++col)
        texts << grid.text(row, col);
    return texts;
}

QStringList columnTexts(const Grid &grid, int col)
{
    QStringList texts;
    for (int row = 0; row < grid.rows(); ++row)
        texts << grid.text(row, col);
    return texts;
}

// Each column as "header:width:alignment".
QStringList columnSet(const Grid &grid)
{
    QStringList set;
    for (int col = 0; col < grid.cols(); ++col)
        set << u"%1:%2:%3"_s.arg(grid.text(0, col)).arg(grid.colWidth(col)).arg(grid.colAlignment(col));
    return set;
}

TEST(GridModel, ResizingKeepsTheCellsThatRemain)
{
    Grid grid;
    ASSERT_EQ(columnSet(grid), (QStringList{u":-1:9"_s, u":-1:9"_s})) << "2 x 2, default widths, general";
    ASSERT_EQ(grid.rows(), 2);
    grid.setText(1, 1, u"kept"_s);
    grid.setCellBackColor(1, 1, Grid::kGreen);
    grid.setColWidth(1, 800);
    grid.setCols(3);
    grid.setRows(3);
    EXPECT_EQ(rowTexts(grid, 1), (QStringList{{}, u"kept"_s, {}}));
    EXPECT_EQ(grid.cellBackColor(1, 1), Grid::kGreen);
    EXPECT_EQ(grid.cellBackColor(2, 2), Grid::kDefaultColor);
    EXPECT_EQ(columnSet(grid), (QStringList{u":-1:9"_s, u":800:9"_s, u":-1:9"_s}));

    // What a shrink drops does not come back when the grid grows again.
    grid.setRow(2);
    grid.setCols(1);
    grid.setRows(1);
    EXPECT_EQ(grid.row(), 0) << "the current row stays inside the grid";
    grid.setRows(2);
    grid.setCols(2);
    EXPECT_EQ(grid.text(1, 1), QString());
    EXPECT_EQ(grid.cellBackColor(1, 1), Grid::kDefaultColor);
    EXPECT_EQ(grid.colWidth(1), -1);
}

TEST(GridModel, OutOfRangeAndInvalidValuesRaiseAndChangeNothing)
{
    const std::pair<int, std::function<void(Grid &)>> cases[] = {
        {30009, [](Grid &g) { g.setRows(-1); }},
        {30010, [](Grid &g) { g.setCols(-1); }},
        {30009, [](Grid &g) { g.setRow(2); }},
        {381, [](Grid &g) { g.text(0, 2); }},
        {381, [](Grid &g) { g.setText(-1, 0, u"x"_s); }},
        {381, [](Grid &g) { g.setCellBackColor(2, 1, Grid::kRed); }},
        {381, [](Grid &g) { g.setColWidth(2, 100); }},
        {380, [](Grid &g) { g.setColWidth(0, -2); }},
        {380, [](Grid &g) { g.setColAlignment(0, 10); }},
    };
    int i = 0;
    for (const auto &[number, statement] : cases) {
        SCOPED_TRACE(i++);
        Grid grid;
        QSignalSpy cells(&grid, &Grid::cellChanged);
        QSignalSpy shape(&grid, &Grid::shapeChanged);
        try {
            statement(grid);
            ADD_FAILURE() << "no error";
        } catch (const Error &error) {
            EXPECT_EQ(error.number(), number);
            EXPECT_EQ(error.source(), u"Grid"_s);
        }
        EXPECT_EQ(cells.count() + shape.count(), 0);
        EXPECT_EQ(grid.rows(), 2);
        EXPECT_EQ(columnSet(grid), (QStringList{u":-1:9"_s, u":-1:9"_s}));
    }
}

// The cycle writes every live cell every time: writing what a cell already holds notifies
// nobody and leaves the cell's own text where it was (nothing copied, freed or allocated).
TEST(GridModel, NotifiesOnlyWhatChanged)
{
    Grid grid;
    QSignalSpy cells(&grid, &Grid::cellChanged);
    QSignalSpy shape(&grid, &Grid::shapeChanged);
    grid.setText(1, 0, u"250.4"_s);
    const QChar *held = grid.text(1, 0).constData();
    grid.setText(1, 0, QString::number(250.4));
    EXPECT_EQ(grid.text(1, 0).constData(), held);
    grid.setCellBackColor(0, 1, Grid::kYellow);
    grid.setCellBackColor(0, 1, Grid::kYellow);
    ASSERT_EQ(cells.count(), 2);
    EXPECT_EQ(cells[0], (QVariantList{1, 0}));
    EXPECT_EQ(cells[1], (QVariantList{0, 1}));

    grid.setRows(2);
    grid.setColWidth(0, -1);
    grid.setColAlignment(0, Grid::General);
    EXPECT_EQ(shape.count(), 0);
    grid.setCols(3);
    grid.setColWidth(0, 400);
    grid.setColAlignment(0, Grid::CenterCenter);
    EXPECT_EQ(shape.count(), 3);
}

// Each builder's column set, and what it shows of a section with entries and of a
// section absent from the file (the header row only).
TEST(GridBuilders, ColumnSetsAndRows)
{
    ConfigTable lamps;
    for (int i = 0; i < 64; ++i)
        lamps.append(ConfigRow{QString::number(63 - i), u"lamp %1"_s.arg(i), u"16"_s, u"1"_s});
    lamps.append(ConfigRow{});
    const ConfigTable texts =
        section({{u"0"_s, u"Fuel"_s, u"FUELFLOW"_s, u"0"_s}, {u"1"_s, u"Chaff"_s, u"CMDS1"_s, u"9"_s}});
    const auto yield = [] {};
    GaugeTable gauges;
    struct Case
    {
        const char *name;
        Build build;
        ConfigTable table;
        QStringList columns;
        int row;              // a data row to look at
        QStringList expected; // its cells
    };
    const Case cases[] = {
        {"LED-64: 64 lines give 65 rows in file order", [&](Grid &g, auto &t) { grids::portList(g, t, yield); },
         lamps, {u"Port:400:9"_s, u"Description:3200:9"_s, u":300:4"_s}, 64, {u"0"_s, u"lamp 63"_s, {}}},
        {"text LED",
         [&](Grid &g, auto &t) {
             grids::portList(g, t, yield);
             grids::variableColumns(g, t);
         },
         texts, {u"Port:400:9"_s, u"Description:1800:9"_s, u"Variable:1400:4"_s, u"Value:1200:7"_s}, 2,
         {u"1"_s, u"Chaff"_s, u"CMDS1"_s, {}}},
        {"text LCD",
         [&](Grid &g, auto &t) {
             grids::portList(g, t, yield);
             grids::lineColumns(g, t);
         },
         texts, {u"Ln:300:9"_s, u"Label:1800:9"_s, u"Var:900:4"_s, u"Value:2000:7"_s}, 1,
         {u"0"_s, u"Fuel"_s, u"FUELFLOW"_s, {}}},
        {"pigeonholes", [](Grid &g, auto &t) { grids::pigeonholeList(g, t); }, texts,
         {u"PH#:400:9"_s, u"Description:2000:9"_s, u"Var.:1400:4"_s, u"Value:1600:9"_s}, 2,
         {u"1"_s, u"Chaff"_s, u"CMDS1"_s, {}}},
        {"gauges",
         [&](Grid &g, auto &t) {
             grids::portList(g, t, yield);
             gauges = widenGauges(t);
             grids::servoTable(g, gauges, {}, {});
         },
         texts,
         {u"Port:500:9"_s, u"Description:3000:9"_s, u"Variable:1500:4"_s, u"Value:1200:9"_s, u"Adjusted:1200:9"_s,
          u"P4S1:500:9"_s, u"P4S2:500:9"_s},
         2, {u"1"_s, u"Chaff"_s, u"CMDS1"_s, u"9"_s, {}, {}, {}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Grid grid;
        c.build(grid, c.table);
        EXPECT_EQ(columnSet(grid), c.columns);
        EXPECT_EQ(grid.rows(), c.table.size()) << "one header row, one row per line";
        EXPECT_EQ(rowTexts(grid, c.row), c.expected);
        EXPECT_EQ(grid.text(1, 1), c.table[0][1]);

        Grid absent;
        absent.setRows(5);
        c.build(absent, {});
        EXPECT_EQ(absent.rows(), 1);
        EXPECT_EQ(columnSet(absent), c.columns);
    }

    Grid devices, buttons;
    grids::setupDeviceList(devices);
    EXPECT_EQ(devices.rows(), 1);
    EXPECT_EQ(columnSet(devices),
              (QStringList{u"#:250:9"_s, u"Phidget:1600:9"_s, u"Version:800:9"_s, u"Serial#:800:9"_s}));
    grids::buttonList(buttons);
    EXPECT_EQ(buttons.rows(), 21);
    EXPECT_EQ(columnSet(buttons), (QStringList{u"Button:600:9"_s, u"Label:2600:9"_s}));
}

// The port list yields at the row whose output number reads 32, once it has written that
// number and before the description.
TEST(GridBuilders, PortListYieldsAtOutput32)
{
    const std::pair<QString, bool> cases[] = {
        {u"32"_s, true},   {u" 32"_s, true}, {u"032"_s, true}, {u"32.0"_s, true}, {u"31.5"_s, true},
        {u"32.5"_s, true}, {u"320"_s, false}, {u"3"_s, false}, {u"32.6"_s, false}, {u""_s, false},
        {u"x32"_s, false},
    };
    for (const auto &[output, yields] : cases) {
        SCOPED_TRACE(output.toStdString());
        const ConfigTable table =
            section({{u"1"_s, u"before"_s, {}, {}}, {output, u"here"_s, {}, {}}, {u"33"_s, u"after"_s, {}, {}}});
        Grid grid;
        QStringList seen;
        grids::portList(grid, table, [&] { seen << rowTexts(grid, 2).join(u'|'); });
        EXPECT_EQ(seen, yields ? QStringList{output + u"||"_s} : QStringList{});
        EXPECT_EQ(grid.text(2, 1), u"here"_s);
    }
}

TEST(GridBuilders, ServoTableWidensTheGaugesAndAssignsMotors)
{
    ConfigTable config;
    for (int i = 1; i <= 5; ++i)
        config.append(ConfigRow{QString::number(i), u"gauge %1"_s.arg(i), u"RPM"_s, u"90"_s});
    config.append(ConfigRow{});
    const ConfigTable p4s1 = section({
        {u"2"_s, {}, {}, u"3"_s},
        {u"0"_s, {}, {}, u" 1"_s},
        {u"1"_s, {}, {}, u"6"_s},   // beyond the last gauge (5): skipped
        {u"3"_s, {}, {}, u"two"_s}, // no number: skipped
        {u"3"_s, {}, {}, u"4"_s},   // a fifth entry is not an assignment
    });
    const ConfigTable p4s2 = section({
        {u"1"_s, {}, {}, u"5"_s},     // the last gauge lands in the spare row
        {u" 3 "_s, {}, {}, u"2.5"_s}, // gauge 2, halves to even; the index kept as written
        {u"2"_s, {}, {}, u"0"_s},     // there is no gauge 0: skipped
    });

    Grid grid;
    grids::portList(grid, config, [] {});
    GaugeTable gauges = widenGauges(config);
    grids::servoTable(grid, gauges, p4s1, p4s2);

    ASSERT_EQ(gauges.size(), 6);
    ASSERT_EQ(grid.rows(), 6);
    EXPECT_EQ(rowTexts(grid, 4), (QStringList{u"4"_s, u"gauge 4"_s, u"RPM"_s, u"90"_s, {}, {}, {}}));
    const QStringList motor1{u"P4S1"_s, u"0"_s, {}, u"2"_s, {}, {}};
    const QStringList motor2{u"P4S2"_s, {}, u" 3 "_s, {}, {}, u"1"_s};
    EXPECT_EQ(columnTexts(grid, 5), motor1);
    EXPECT_EQ(columnTexts(grid, 6), motor2);
    for (int k = 0; k < 6; ++k) {
        const GaugeRow expected{config[k][0], config[k][1], config[k][2], config[k][3], {},
                                k ? motor1[k] : QString(), k ? motor2[k] : QString()};
        EXPECT_TRUE(gauges[k] == expected) << "gauge table row " << k;
    }

    GaugeTable none = widenGauges({});
    grids::servoTable(grid, none, p4s1, p4s2);
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(grid.rows(), 1);
}

// Start-up builds every table from the file through the cockpit's own routines.
TEST(GridStartup, TheGridsShowTheConfigurationFile)
{
    test::TestPlatform platform;
    platform.writeFile(u"Tavrel.cfg"_s, "[PLED64-1]\r\n2,Panel lamp,16,1\r\n12,Gear,1,1\r\n"
                                        "[PTLCD-2]\r\n0,Fuel,FUELFLOW,0\r\n"
                                        "[GAUGES]\r\n0,Engine,RPM,0\r\n1,Speed,KIAS,0\r\n"
                                        "[P4SERVO-2]\r\n2,x,y,2\r\n"
                                        "[EPICAnalogs]\r\n4,Nozzle,NOZPOS,0\r\n");
    auto script = std::make_shared<test::ServerScript>();
    script->properties.insert(u"Ostrely"_s, false);
    Cockpit cockpit(platform, test::scriptedFactory(script));
    cockpit.startUp();
    const auto &grid = cockpit.controls().grdTavrel;

    EXPECT_EQ(columnTexts(grid[0], 1), (QStringList{u"Description"_s, u"Panel lamp"_s, u"Gear"_s}));
    EXPECT_EQ(grid[1].rows(), 1);
    EXPECT_EQ(rowTexts(grid[12], 0), (QStringList{u"Ln"_s, u"Label"_s, u"Var"_s, u"Value"_s}));
    EXPECT_EQ(rowTexts(grid[12], 1), (QStringList{u"0"_s, u"Fuel"_s, u"FUELFLOW"_s, {}}));
    EXPECT_EQ(rowTexts(grid[10], 1), (QStringList{u"4"_s, u"Nozzle"_s, u"NOZPOS"_s, {}}));
    EXPECT_EQ(rowTexts(grid[4], 0), (QStringList{u"#"_s, u"Phidget"_s, u"Version"_s, u"Serial#"_s}));
    QStringList buttons{u"Button"_s};
    for (int i = 1; i <= 20; ++i)
        buttons << QString::number(i);
    for (std::size_t mfd : {8, 9}) {
        EXPECT_EQ(columnTexts(grid[mfd], 0), buttons);
        EXPECT_EQ(columnTexts(grid[mfd], 1).join(QString()), u"Label"_s) << "the labels stay empty";
    }

    EXPECT_EQ(rowTexts(grid[7], 2), (QStringList{u"1"_s, u"Speed"_s, u"KIAS"_s, u"0"_s, {}, {}, u"2"_s}));
    ASSERT_EQ(cockpit.maGAUGES().size(), 3);
    EXPECT_EQ(cockpit.maGAUGES()[2][6], u"2"_s);
    EXPECT_EQ(cockpit.table(DeviceSection::GAUGES).size(), 3) << "the table as read stays beside it";
}

} // namespace
} // namespace tavrel
