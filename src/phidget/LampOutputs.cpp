#include "phidget/LampOutputs.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/Grid.h"
#include "phidget/BoardKind.h"

#include <utility>

namespace tavrel {

namespace {

const QString kLit = QStringLiteral("*");
const QString kDark;

// The lamp word a bit word names (1 LightBits, 2 LightBits2, 3 LightBits3, 4 HSIBits).
std::int32_t lampWord(const FlightData &d, int bitWord)
{
    switch (bitWord) {
    case 1:
        return d.LightBits;
    case 2:
        return d.LightBits2;
    case 3:
        return d.LightBits3;
    default:
        return d.HSIBits;
    }
}

// Both bounds exclusive, compared in double on the float field.
bool between(float value, double low, double high)
{
    const double v = value;
    return low < v && v < high;
}

} // namespace

std::optional<std::int16_t> lampOutput(QStringView text) noexcept
{
    const auto number = convert::leadingNumber(text);
    return number ? convert::toInt16(*number) : std::nullopt;
}

std::optional<int> lampBitWord(QStringView text) noexcept
{
    // A bit word too large to read is as unknown as 7.
    const auto word = convert::leadingNumber(text);
    const double bitWord = word ? convert::roundHalfEven(*word) : -1.0;
    if (!(bitWord >= 0.0 && bitWord <= 4.0))
        return std::nullopt;
    return int(bitWord);
}

std::optional<std::int32_t> lampMask(QStringView text) noexcept
{
    const auto number = convert::leadingNumber(text);
    const auto single = number ? convert::toFloat32(*number) : std::nullopt;
    return single ? convert::toInt32(*single) : std::nullopt;
}

int builtInLampRule(QStringView description) noexcept
{
    int rule = 0;
    while (rule < int(kBuiltInLampRules.size()) && description != kBuiltInLampRules[std::size_t(rule)])
        ++rule;
    return rule;
}

bool builtInLamp(QStringView description, const FlightData &d, bool speedBrakeOpen)
{
    return builtInLamp(builtInLampRule(description), d, speedBrakeOpen);
}

bool builtInLamp(int rule, const FlightData &d, bool speedBrakeOpen)
{
    switch (rule) {
    case 0:
        return between(d.DistanceToBeacon, 4.0, 4.4);
    case 1:
        return between(d.DistanceToBeacon, 1.0, 1.6);
    case 2:
        return between(d.DistanceToBeacon, 0.1, 0.3);
    case 3:
        return speedBrakeOpen;
    case 4:
        return d.LeftGearPos > 0.0f;
    case 5:
        return d.RightGearPos > 0.0f;
    case 6:
        return d.NoseGearPos > 0.0f;
    default:
        return false;
    }
}

void DriveDiscreteOutputs(int gridIndex, const ConfigTable &table, PhidgetBoard *board, Grid &grid,
                          const LampInputs &in)
{
    // An output number that does not read keeps the previous entry's, as every statement
    // of the pass does.
    std::int16_t output = 0;
    const int count = configEntries(table);
    LampReadings scratch;
    LampReadings &readings = in.readings ? *in.readings : scratch;
    if (readings.size() < std::size_t(count))
        readings.resize(std::size_t(count)); // once per table: the readings keep their room
    for (int i = 0; i < count; ++i) {
        const ConfigRow &entry = std::as_const(table)[i];
        LampReading &read = readings[std::size_t(i)];
        attempt([&] {
            const auto number = read.output.of(entry[0], lampOutput);
            if (!number)
                throw Error::standard(Error::Overflow);
            output = *number;
        });
        // The lamp pass stops at an unknown bit word: this entry and every later one stay
        // undriven and unmarked this cycle, and the pass does not yield.
        const auto bitWord = read.bitWord.of(entry[3], lampBitWord);
        if (!bitWord)
            return;

        bool on = false;
        if (*bitWord == 0) {
            on = builtInLamp(read.rule.of(entry[1], builtInLampRule), in.data, in.SpeedBrakeOpen);
        } else {
            // A mask beyond the 32-bit range cannot be tested: its lamp stays dark.
            const auto bits = read.mask.of(entry[2], lampMask);
            on = bits && (lampWord(in.data, *bitWord) & *bits) != 0;
        }

        if (board) {
            if (gridIndex == 0 || gridIndex == 1)
                attempt([&] { board->setDiscreteLED(output, on ? in.brightness() : 0); });
            else if (gridIndex == 2 || gridIndex == 5)
                attempt([&] { board->setOutputState(output, on); });
        }
        if (in.ScreenUpdate)
            attempt([&] { grid.setText(i + 1, 2, on ? kLit : kDark); });
    }
    in.yield();
}

namespace {

// The lamp test's writes on one board of each kind.
void lightKit(PhidgetBoard *kit, bool on)
{
    int outputs = 0;
    attempt([&] { outputs = kit->numOutputs(); });
    for (int i = 0; i < outputs; ++i)
        attempt([&] { kit->setOutputState(i, on); });
}

void lightLeds(PhidgetBoard *leds, bool on, std::int32_t brightness)
{
    int count = 0;
    attempt([&] { count = leds->ledCount(); });
    for (int i = 0; i < count; ++i)
        attempt([&] { leds->setDiscreteLED(i, on ? brightness : 0); });
}

void lightLcd(PhidgetBoard *lcd, const char16_t *name, bool on, bool alsoDisplays)
{
    for (int line = 0; line < 2; ++line) {
        const QString text = on ? QString::fromUtf16(name) + QString::number(line + 1) : QString();
        attempt([&] { lcd->setDisplayString(line, text); });
    }
    if (alsoDisplays)
        attempt([&] { lcd->setBacklight(on); });
}

void lightTextLed(PhidgetBoard *display, int lines, bool on, bool alsoDisplays, std::int32_t brightness)
{
    for (int i = 0; i < lines; ++i) {
        attempt([&] { display->setDisplayString(i, on ? QStringLiteral("1234") : QString()); });
        if (alsoDisplays)
            attempt([&] { display->setBrightness(on ? brightness : 0); });
    }
}

} // namespace

void LampTest(bool on, bool alsoDisplays, const BoardSlots &boards, const ConfigTable &maPTLED_1,
              const ConfigTable &maPTLED_2, std::int32_t brightness)
{
    for (PhidgetBoard *kit : {boards.pViper01616_1.get(), boards.pViper01616_2.get()})
        if (kit)
            lightKit(kit, on);
    for (PhidgetBoard *leds : {boards.pViperLED_1.get(), boards.pViperLED_2.get()})
        if (leds)
            lightLeds(leds, on, brightness);
    const std::pair<PhidgetBoard *, const char16_t *> lcds[] = {{boards.pViperTextLCD_1.get(), u"TextLCD-1 "},
                                                                {boards.pViperTextLCD_2.get(), u"TextLCD-2 "}};
    for (const auto &[lcd, name] : lcds)
        if (lcd)
            lightLcd(lcd, name, on, alsoDisplays);
    const std::pair<PhidgetBoard *, const ConfigTable *> leds[] = {{boards.pViperTextLED_1.get(), &maPTLED_1},
                                                                   {boards.pViperTextLED_2.get(), &maPTLED_2}};
    for (const auto &[display, table] : leds)
        if (display)
            lightTextLed(display, configEntries(*table), on, alsoDisplays, brightness);
}

void DarkenBoards(const QList<PhidgetBoard *> &boards)
{
    const auto type = [](PhidgetBoard *board) {
        QString name;
        attempt([&] { name = board->deviceType(); });
        return name;
    };
    for (const BoardKind kind : {BoardKind::InterfaceKit, BoardKind::Led64, BoardKind::TextLcd, BoardKind::TextLed}) {
        for (PhidgetBoard *board : boards) {
            if (type(board) != boardKind(kind).typeName)
                continue;
            switch (kind) {
            case BoardKind::InterfaceKit:
                lightKit(board, false);
                break;
            case BoardKind::Led64:
                lightLeds(board, false, 0);
                break;
            case BoardKind::TextLcd:
                lightLcd(board, u"", false, true);
                break;
            default: {
                int lines = 0;
                attempt([&] { lines = board->rowCount(); });
                lightTextLed(board, lines, false, true, 0);
            }
            }
        }
    }
}

void RestoreDisplays(const BoardSlots &boards, std::int32_t brightness)
{
    for (PhidgetBoard *lcd : {boards.pViperTextLCD_1.get(), boards.pViperTextLCD_2.get()})
        if (lcd)
            attempt([&] { lcd->setBacklight(true); });
    for (PhidgetBoard *display : {boards.pViperTextLED_1.get(), boards.pViperTextLED_2.get()})
        if (display)
            attempt([&] { display->setBrightness(brightness); });
}

} // namespace tavrel
