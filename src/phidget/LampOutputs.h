#pragma once

#include "core/ConfigReader.h"
#include "core/FlightData.h"
#include "core/TextReading.h"
#include "phidget/PhidgetBoard.h"

#include <QList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tavrel {

class Grid;

// What the lamp pass read of each entry of its table, kept from cycle to cycle: each
// field is read again only when its text changed.
struct LampReading
{
    TextReading<std::optional<std::int16_t>> output;
    TextReading<int> rule; // of kBuiltInLampRules, or their count for none
    TextReading<std::optional<std::int32_t>> mask;
    TextReading<std::optional<int>> bitWord;
};
using LampReadings = std::vector<LampReading>;

// What the lamp pass reads besides its table: the record, two window flags, the
// brightness slider (read afresh for every lit LED) and the yield to pending events;
// where it keeps its readings of the table (none: it reads every field every time).
struct LampInputs
{
    const FlightData &data;
    bool SpeedBrakeOpen = false;
    bool ScreenUpdate = true;
    std::function<std::int32_t()> brightness;
    std::function<void()> yield;
    LampReadings *readings = nullptr;
};

// The descriptions that name the seven built-in lamp rules of bit word 0.
inline constexpr std::array<QStringView, 7> kBuiltInLampRules = {
    u"HSI - Outer Marker Beacon",        u"HSI - Middle Marker Beacon",  u"HSI - Inner Marker Beacon",
    u"Left Console - Speed Brake (Bit)", u"Gear - Left Gear Down (Bit)", u"Gear - Right Gear Down (Bit)",
    u"Gear - Nose Gear Down (Bit)",
};

// How the lamp pass reads the fields of an entry. Column 0, the output number: empty when
// it is no 16-bit whole number (the write then fails). Column 3, the bit word: 0 to 4, or
// empty for any other value, where the pass stops. Column 2, the mask as it is tested:
// empty when it lies beyond 32 bits and so lights nothing.
std::optional<std::int16_t> lampOutput(QStringView text) noexcept;
std::optional<int> lampBitWord(QStringView text) noexcept;
std::optional<std::int32_t> lampMask(QStringView text) noexcept;

// Whether the built-in lamp rule named by `description` (exact, letter case included)
// is on. A description that names none of the seven rules lights nothing.
bool builtInLamp(QStringView description, const FlightData &data, bool speedBrakeOpen);
// The same by the rule's place in kBuiltInLampRules (their count and beyond: none).
int builtInLampRule(QStringView description) noexcept;
bool builtInLamp(int rule, const FlightData &data, bool speedBrakeOpen);

// One pass over a lamp table (0/1 LED-64, 2/5 interface kit): every entry's state from
// its bit word and mask or its built-in rule, written to the board (when there is one)
// and marked "*" in column 2 of its grid row while ScreenUpdate. Each board and grid call
// runs with errors ignored. An entry whose bit word is not 0 to 4 ends the pass there,
// without the closing yield.
void DriveDiscreteOutputs(int gridIndex, const ConfigTable &table, PhidgetBoard *board, Grid &grid,
                          const LampInputs &in);

// "All Lamps On" and the shutdown blanking: every kit output and LED-64 LED, both text
// LCDs' lines and each configured text LED line, lit or cleared. With alsoDisplays the
// LCD backlights and text LED brightness follow too. Every call runs with errors ignored;
// empty slots are passed over.
void LampTest(bool on, bool alsoDisplays, const BoardSlots &boards, const ConfigTable &maPTLED_1,
              const ConfigTable &maPTLED_2, std::int32_t brightness);

// The shutdown blanking for boards outside the slots (one displaced from its slot, or one
// no slot takes): the lamp test's writes with lamps off and displays dark, the kinds in
// the lamp test's order; every line of a text LED is cleared. Servo boards are left alone.
void DarkenBoards(const QList<PhidgetBoard *> &boards);

// After a dark spell: the text LCDs in the slots get their backlight again and the text
// LEDs the slider's brightness, as when they attached.
void RestoreDisplays(const BoardSlots &boards, std::int32_t brightness);

} // namespace tavrel
