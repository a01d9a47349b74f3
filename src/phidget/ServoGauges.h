#pragma once

#include "core/FlightData.h"
#include "core/GridBuilders.h"
#include "core/TextReading.h"
#include "phidget/PhidgetBoard.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tavrel {

class Control;
class Grid;

// What the servo routines read besides their tables. The slots, the presence flag and
// ScreenUpdate are read afresh for every statement, because the routines yield between
// rows and a board event or a click may change them there.
struct ServoInputs
{
    const BoardSlots &boards;
    const bool &present; // MultiServoPresent for the gauges, ServoPresent for the G-suit
    const bool &ScreenUpdate;
    std::function<void()> yield;
};

// The three labels of the G-suit frame: the G load and the positions of servos 1 and 2.
struct GForceLabels
{
    Control &g;
    Control &servo1;
    Control &servo2;
};

// Whether a keyword (any letter case) names a gauge value; an entry with any other keyword
// holds its fourth field as it is.
bool isGaugeKeyword(QStringView keyword) noexcept;
// The gauge keywords, in upper case.
QStringList gaugeKeywords();
// How the servo step reads a needle position (an adjusted value) and a motor index: the
// whole text must be a number; empty for one that is not, whose write is skipped.
std::optional<float> needlePosition(QStringView text) noexcept;
std::optional<std::int32_t> motorIndex(QStringView text) noexcept;

// What the gauge routines read of each row, kept from cycle to cycle: the keyword (-1 for
// none) and both motor indices, each read again only when its text changes, and the
// numbers the value columns were last written from, so that unchanged numbers are not
// written out as text again.
struct GaugeReading
{
    TextReading<int> keyword;
    TextReading<std::optional<std::int32_t>> motor1;
    TextReading<std::optional<std::int32_t>> motor2;
    bool shown = false;
    float value = 0.0f;
    double adjusted = 0.0;
    bool adjustedIsFloat = false;
};
using GaugeReadings = std::vector<GaugeReading>;

// Yields once, then fills columns 3 (the gauge value) and 4 (the adjusted needle value)
// of every entry from its keyword, upper-cased: KIAS, ALT, RALT, CPALT, ATTITUDE, VVI,
// AOA, RPM, FTIT, NOZPOS, OILPRES, SPEEDBRAKE, EPUFUEL, FUELFLOW, FUELINT, FUELEXT,
// FUELTOT. An entry with any other keyword copies column 3 into column 4. FTIT also puts
// the turbine temperature it works out into the record's FTIT, where the later steps of
// the cycle read it. Values read from the record show as 32-bit floats, rounded ones as
// doubles, each in its shortest form.
// With `readings`, what it read of the table is kept there (see GaugeReading).
void UpdateGaugeValues(GaugeTable &gauges, FlightData &data, const std::function<void()> &yield,
                       GaugeReadings *readings = nullptr);

// For every row, the spare row included: the motor index in column 5 (column 6) drives
// that motor of four-motor board 1 (2) with column 4 of the row before, while the
// presence flag is up; then a yield; then, while ScreenUpdate and for the entries only,
// columns 3 and 4 go to the grid row below. A last yield closes the pass. Every failing
// statement (an empty slot, a motor or position the board refuses, a text that is no
// number, no row before row 0) is skipped after a yield.
void DriveGaugeServos(const GaugeTable &gauges, Grid &grid, const ServoInputs &in, GaugeReadings *readings = nullptr);

// The G load to three decimals ("0.##0") as a 32-bit float; 10 x g above 3, else 0, to
// motor 0 of both one-motor boards while the presence flag is up; g and the position on
// the three labels while ScreenUpdate; then a yield. `scratch` is reused for the label
// texts.
void DriveGForceServo(const FlightData &data, const ServoInputs &in, const GForceLabels &labels, QString &scratch);

} // namespace tavrel
