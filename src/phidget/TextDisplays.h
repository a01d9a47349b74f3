#pragma once

#include "core/ConfigReader.h"
#include "core/FlightData.h"
#include "phidget/PhidgetBoard.h"

#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <optional>

namespace tavrel {

class Error;
class Grid;

// The values a text LED line can show, by keyword (compared in upper case).
inline constexpr std::array<QStringView, 6> kTextLedKeywords = {
    u"FUELFLOW", u"TOTALIZER", u"AUXTCHAN", u"UFCTCHAN", u"CMDS1", u"CMDS2",
};
// The modes of a text LCD, named by the keyword of its first entry (in upper case).
inline constexpr std::array<QStringView, 2> kTextLcdModes = {u"PFD", u"CMDS"};
// The index of a keyword in those lists, in any letter case, or -1 for none.
int textLedKeyword(QStringView keyword) noexcept;
int textLcdMode(QStringView keyword) noexcept;
// The board line a text LED entry names (the leading number of column 0); empty when it
// is no 32-bit whole number, where the write fails.
std::optional<int> textLedLine(QStringView text) noexcept;

// The text of one text LED keyword (upper-cased before it is compared) into `out`, whose
// room is reused. A keyword that names no value shows an empty text. A number the format
// cannot write in digits (NaN, an infinity, such as a totalizer whose sum overflows, or
// more than 38 digits) raises an overflow and leaves `out` as it was.
void textLedText(QStringView keyword, const FlightData &data, QString &out);

// The two lines of the countermeasures page. The jammer prefix of line 0 is never shown:
// nothing in the flight data says the jammer is on.
void cmdsLines(const FlightData &data, QString &line0, QString &line1);

// Column 3 of every entry of a text LED table, from its keyword; an entry whose text
// fails keeps the text it had.
void BuildTextLedContent(ConfigTable &table, const FlightData &data);

// Turns a block of 5 × 26 characters into five lines, each ended by CR with its trailing
// spaces removed: code 1 becomes "¦", code 2 "*", other control codes and codes above 128
// vanish, and a space at the very start is dropped. `result` is cleared first and its room
// reused. Yields once at the end; a failure is handed to `report` and `result` keeps what
// was built so far.
void BuildDisplay(QStringView text, QString &result, const std::function<void()> &yield,
                  const std::function<void(const Error &)> &report);

// Line n (from 1) of a text whose lines end with CR, spaces trimmed at both ends; empty
// for n below 1 or past the last line. A view into `text`.
QStringView GetLine(QStringView text, int n);

// Column 3 of a text LCD table by the mode of its first entry: "PFD" shows the fault-list
// lines named in column 0 (each from a fresh BuildDisplay of the fault list, which
// `buildPfl` makes into its argument); "CMDS" writes the countermeasures page into rows 0
// and 1, the spare row included. Any other mode leaves column 3 as it was.
void BuildTextLcdContent(ConfigTable &table, const FlightData &data, const std::function<void(QString &)> &buildPfl,
                         QString &scratch);

// Sends column 3 of every entry to its board line (column 0) and, while screenUpdate, to
// the grid's "Value" column, then yields. Stops at the first failing board or grid call:
// the rest of the pass, yield included, is skipped. A line past the board or a row past
// the grid ends the pass quietly; any other failure passes its Error to the caller.
void WriteTextLed(const ConfigTable &table, PhidgetBoard *board, Grid &grid, bool screenUpdate,
                  const std::function<void()> &yield);
// The same for a text LCD: row i goes to board line i, the spare row included, so it
// blanks a line or (on a board without that line) fails and ends the pass.
void WriteTextLcd(const ConfigTable &table, PhidgetBoard *board, Grid &grid, bool screenUpdate,
                  const std::function<void()> &yield);

} // namespace tavrel
