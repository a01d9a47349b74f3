#include "core/GridBuilders.h"

#include "core/Convert.h"
#include "core/Grid.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace tavrel {

using namespace Qt::StringLiterals;

GaugeTable widenGauges(const ConfigTable &table)
{
    GaugeTable gauges;
    gauges.reserve(table.size());
    for (const ConfigRow &row : table)
        gauges.append(GaugeRow{row[0], row[1], row[2], row[3]});
    return gauges;
}

namespace grids {

namespace {

constexpr int kButtons = 20;

// A table read from a present section ends with a spare empty row; an absent one is empty.
template <typename Table>
int dataLines(const Table &table)
{
    return table.isEmpty() ? 0 : int(table.size()) - 1;
}

// The columns, their widths and header texts, in column order.
void setColumns(Grid &grid, std::initializer_list<int> widths, std::initializer_list<QString> headers)
{
    grid.setCols(int(widths.size()));
    int col = 0;
    for (int width : widths)
        grid.setColWidth(col++, width);
    col = 0;
    for (const QString &header : headers)
        grid.setText(0, col++, header);
}

// A whole number read from a configuration field: its leading number, halves to the
// even neighbour. Empty beyond the 32-bit range.
std::optional<int> wholeNumber(const QString &field)
{
    const std::optional<double> number = convert::leadingNumber(field);
    if (!number)
        return std::nullopt;
    return convert::toInt32(*number);
}

// The yield falls at the row the lamp step drives as output 32, so the output number is
// read as that step reads it, by its number: "32", " 32", "032" and "32.0" all count;
// "320", "3" and a text that is no number do not.
bool isOutput32(const QString &field)
{
    return wholeNumber(field) == 32;
}

// Writes the third field of every entry into column 2 of its row.
void thirdFields(Grid &grid, const ConfigTable &table)
{
    const int lines = std::min(dataLines(table), grid.rows() - 1);
    for (int r = 1; r <= lines; ++r)
        grid.setText(r, 2, table[r - 1][2]);
}

// The motor assignments of one multi-motor board: entry column 0 is the motor index
// (from 0), column 3 the gauge number k (from 1, like the grid rows). The index goes
// into `column` of gauge table row k and is shown in grid row k. The index is kept as
// written: the servo step converts it when it drives the motor, and a text that is no
// motor index fails there and is skipped, where converting it here would quietly make
// it motor 0. A gauge number that reads 0 (a text that is no number reads 0) or lies
// beyond the table names no gauge and the entry is skipped; the last gauge, k = N,
// lands in the spare row.
void assignMotors(Grid &grid, GaugeTable &gauges, const ConfigTable &assignments, int column)
{
    const int entries = std::min(kMotorAssignments, dataLines(assignments));
    for (int i = 0; i < entries; ++i) {
        const ConfigRow &entry = assignments[i];
        const std::optional<int> gauge = assignedGauge(entry[3]);
        if (!gauge || *gauge < 1 || *gauge >= gauges.size())
            continue;
        gauges[*gauge][std::size_t(column)] = entry[0];
        if (*gauge < grid.rows())
            grid.setText(*gauge, column, entry[0]);
    }
}

} // namespace

void portList(Grid &grid, const ConfigTable &table, const std::function<void()> &yield)
{
    const int lines = dataLines(table);
    grid.setRows(lines + 1);
    setColumns(grid, {400, 3200, 300}, {u"Port"_s, u"Description"_s, QString()});
    grid.setColAlignment(2, Grid::CenterCenter);
    for (int r = 1; r <= lines; ++r) {
        const ConfigRow &entry = table[r - 1];
        grid.setRow(r);
        grid.setText(r, 0, entry[0]);
        if (yield && isOutput32(entry[0]))
            yield();
        grid.setText(r, 1, entry[1]);
    }
}

void variableColumns(Grid &grid, const ConfigTable &table)
{
    grid.setCols(4);
    grid.setColWidth(2, 1400);
    grid.setColWidth(1, 1800);
    grid.setColWidth(3, 1200);
    grid.setColAlignment(3, Grid::RightCenter);
    grid.setText(0, 2, u"Variable"_s);
    grid.setText(0, 3, u"Value"_s);
    thirdFields(grid, table);
}

void lineColumns(Grid &grid, const ConfigTable &table)
{
    setColumns(grid, {300, 1800, 900, 2000}, {u"Ln"_s, u"Label"_s, u"Var"_s, u"Value"_s});
    grid.setColAlignment(3, Grid::RightCenter);
    thirdFields(grid, table);
}

void pigeonholeList(Grid &grid, const ConfigTable &table)
{
    const int lines = dataLines(table);
    grid.setRows(lines + 1);
    setColumns(grid, {400, 2000, 1400, 1600}, {u"PH#"_s, u"Description"_s, u"Var."_s, u"Value"_s});
    grid.setColAlignment(2, Grid::CenterCenter);
    for (int r = 1; r <= lines; ++r)
        for (int col = 0; col < 3; ++col)
            grid.setText(r, col, table[r - 1][std::size_t(col)]);
}

void buttonList(Grid &grid)
{
    grid.setRows(kButtons + 1);
    setColumns(grid, {600, 2600}, {u"Button"_s, u"Label"_s});
    for (int r = 1; r <= kButtons; ++r)
        grid.setText(r, 0, QString::number(r));
}

void servoTable(Grid &grid, GaugeTable &gauges, const ConfigTable &p4servo1, const ConfigTable &p4servo2)
{
    const int lines = dataLines(gauges);
    grid.setRows(lines + 1);
    setColumns(grid, {500, 3000, 1500, 1200, 1200, 500, 500},
               {u"Port"_s, u"Description"_s, u"Variable"_s, u"Value"_s, u"Adjusted"_s, u"P4S1"_s, u"P4S2"_s});
    for (int r = 1; r <= lines; ++r)
        for (int col = 0; col <= kGaugeValue; ++col)
            grid.setText(r, col, gauges[r - 1][std::size_t(col)]);
    assignMotors(grid, gauges, p4servo1, kGaugeMotor1);
    assignMotors(grid, gauges, p4servo2, kGaugeMotor2);
}

void setupDeviceList(Grid &grid)
{
    grid.setRows(1);
    setColumns(grid, {250, 1600, 800, 800}, {u"#"_s, u"Phidget"_s, u"Version"_s, u"Serial#"_s});
}

} // namespace grids

std::optional<int> assignedGauge(const QString &field)
{
    return grids::wholeNumber(field);
}

} // namespace tavrel
