#pragma once

#include "core/ConfigReader.h"
#include "core/FlightData.h"
#include "core/TextReading.h"

#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tavrel {

class EpicLibrary;
class Grid;

// What an EPICAnalogs keyword (upper-cased, not trimmed) does: match none of the 28, show
// a fixed number without sending anything, or send a value.
enum class EpicKeyword { Unknown, ShownOnly, Sent };
EpicKeyword epicKeyword(QStringView keyword) noexcept;
// The 28 keywords, in upper case.
QStringList epicKeywords();
// The pigeonhole an entry's "PH#" names: the whole text must be a decimal number; empty
// for one that is not, whose pigeonhole call is skipped.
std::optional<std::int32_t> epicPigeonhole(QStringView text) noexcept;

// What the transfer read of each entry, kept from cycle to cycle: the keyword (its place
// among the 28, or -1) and the pigeonhole, each read again only when its text changes,
// and the number the "Value" column was last written from, so that an unchanged number
// is not written out as text again.
struct EpicReading
{
    TextReading<int> keyword;
    TextReading<std::optional<std::int32_t>> pigeonhole;
    bool shown = false;
    double shownValue = 0.0;
};
using EpicReadings = std::vector<EpicReading>;

// The per-cycle transfer of flight data to the EPIC card. Each entry of the EPICAnalogs
// table (pigeonhole, description, keyword, value) whose keyword, upper-cased and not
// trimmed, is one of the 28 the card knows gets its "Value" column (column 3) set to the
// value shown, and, while the card is open (`openCard` not null), the card's calls for
// that keyword in their fixed order; an unknown keyword keeps what column 3 holds. While
// `screenUpdate`, every entry's column 3 then goes to the grid, row i + 1, column 3.
// After the last entry the transfer yields once. Every statement runs with errors
// ignored: a pigeonhole that is no number skips the pigeonhole call alone, a value beyond
// the 32-bit range the value call alone, a function the library lacks that call alone.
// With `readings`, what it read of the table is kept there (see EpicReading).
void SendEpicData(ConfigTable &maEPICAnalogs, const FlightData &data, EpicLibrary *openCard, Grid &grid,
                  bool screenUpdate, const std::function<void()> &yield, EpicReadings *readings = nullptr);

} // namespace tavrel
