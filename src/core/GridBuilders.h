#pragma once

#include "core/ConfigReader.h"

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace tavrel {

class Grid;

// The gauge table as the servo gauges use it: the four fields of each GAUGES line, then
// the adjusted needle value and the motor assignments of the two multi-motor boards.
// Like the table it comes from, it holds one spare empty row after the last entry.
using GaugeRow = std::array<QString, 7>;
using GaugeTable = QList<GaugeRow>;
inline constexpr int kGaugeValue = 3;
inline constexpr int kGaugeAdjusted = 4;
inline constexpr int kGaugeMotor1 = 5; // "P4S1": motor index on multi-motor board 1, or empty
inline constexpr int kGaugeMotor2 = 6; // "P4S2": the same on board 2

// A four-motor board's table lists its motor assignments in its first four entries.
inline constexpr int kMotorAssignments = 4;
// The gauge number (from 1) an assignment's fourth field names, read as a whole number;
// empty when it is none. A number below 1 or past the GAUGES entries names no gauge.
std::optional<int> assignedGauge(const QString &field);

// Every row of the table (the spare row too) with its four fields; columns 4 to 6 empty.
GaugeTable widenGauges(const ConfigTable &table);

// The fixed part of the device tables on screen, built once at start-up. Row 0 of every
// grid is its header row; grid row r shows table row r - 1. A table whose section is
// absent from the file leaves the header row only. The builders never raise: an entry
// that cannot be placed is skipped.
namespace grids {

// "Port", "Description" and an empty third column that the lamp step marks with "*".
// Yields once, after writing its output number, at the row whose output number reads 32
// (halfway through a 64-lamp board), so board events need not wait for the whole list.
void portList(Grid &grid, const ConfigTable &table, const std::function<void()> &yield);
// Run on a text LED grid after its port list: "Variable" and "Value" columns, the third
// field of each entry in "Variable".
void variableColumns(Grid &grid, const ConfigTable &table);
// Run on a text LCD grid after its port list: "Ln", "Label", "Var", "Value", the third
// field of each entry in "Var".
void lineColumns(Grid &grid, const ConfigTable &table);
// The EPIC pigeonholes: "PH#", "Description", "Var." from the first three fields, "Value"
// left for the live value.
void pigeonholeList(Grid &grid, const ConfigTable &table);
// The MFD button tables: buttons 1 to 20 with empty labels.
void buttonList(Grid &grid);
// Run on the gauge grid after its port list, with the gauge table already widened: the
// seven gauge columns, the four fields of every entry, and the motor assignments of the
// first four entries of each multi-motor board's table, stored into `gauges` and shown.
void servoTable(Grid &grid, GaugeTable &gauges, const ConfigTable &p4servo1, const ConfigTable &p4servo2);
// The empty "Devices" list: the header row of "#", "Phidget", "Version", "Serial#".
void setupDeviceList(Grid &grid);

} // namespace grids
} // namespace tavrel
