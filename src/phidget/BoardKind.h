#pragma once

#include "core/ConfigReader.h"
#include "phidget/PhidgetBoard.h"

#include <QStringView>

#include <array>
#include <optional>

// The kinds of board the cockpit drives, each once: the name the library reports, the
// name the virtual board list writes, the board's limits and the two slots it fills. The
// checker, the virtual boards, the vendor binding and the cockpit's roster all read here.
namespace tavrel {

enum class BoardKind : int { Led64, InterfaceKit, TextLed, TextLcd, Servo, MultiServo };
inline constexpr int kBoardKindCount = 6;

struct BoardKindInfo
{
    BoardKind kind;
    QStringView typeName; // deviceType(): both servo kinds are "PhidgetServo"
    QStringView listName; // in the virtual board list and the hot-plug file
    QStringView caption;  // what the checker's findings call it
    int channels;         // outputs, LEDs, text lines or motors
    int columns;          // characters a text line shows; 0 for the others
    int brightnessMax;    // 0: the board has no brightness of its own
    float virtualVersion; // the version a virtual board of the kind reports
};

inline constexpr std::array<BoardKindInfo, kBoardKindCount> kBoardKinds = {{
    {BoardKind::Led64, u"PhidgetLED", u"PhidgetLED", u"LED-64", 64, 0, 100, 100.0f},
    {BoardKind::InterfaceKit, u"PhidgetInterfaceKit", u"PhidgetInterfaceKit", u"interface kit", 16, 0, 0, 601.0f},
    {BoardKind::TextLed, u"PhidgetTextLED", u"PhidgetTextLED", u"text LED", 4, 8, 100, 113.0f},
    {BoardKind::TextLcd, u"PhidgetTextLCD", u"PhidgetTextLCD", u"text LCD", 2, 20, 255, 123.0f},
    {BoardKind::Servo, u"PhidgetServo", u"PhidgetServo/1", u"servo", 1, 0, 0, 313.0f},
    {BoardKind::MultiServo, u"PhidgetServo", u"PhidgetServo/4", u"4-motor servo", 4, 0, 0, 313.0f},
}};

constexpr const BoardKindInfo &boardKind(BoardKind kind)
{
    return kBoardKinds[std::size_t(kind)];
}

// A servo position the controllers take, in degrees.
inline constexpr double kServoPositionMin = -22.9921875;
inline constexpr double kServoPositionMax = 232.9921875;

// The kind of a board by the type the library reports: Servo for every servo controller,
// whose motor count alone tells a MultiServo.
std::optional<BoardKind> kindOfType(QStringView typeName);
// The kind a virtual board list names ("PhidgetServo/4").
std::optional<BoardKind> kindOfListName(QStringView listName);
bool isServo(BoardKind kind);

// The twelve slots, in one list: the name [BOARDS] lines and the log give each, its kind,
// the slot itself and the section of Tavrel.cfg whose table drives it (none for the
// one-motor servos, which the G load drives). Slot 1 of a kind comes before its slot 2.
struct BoardSlotInfo
{
    QStringView name;
    BoardKind kind;
    Board BoardSlots::*slot;
    std::optional<DeviceSection> section;
};
inline constexpr std::array<BoardSlotInfo, 12> kBoardSlots = {{
    {u"PLED64-1", BoardKind::Led64, &BoardSlots::pViperLED_1, DeviceSection::PLED64_1},
    {u"PLED64-2", BoardKind::Led64, &BoardSlots::pViperLED_2, DeviceSection::PLED64_2},
    {u"P01616-1", BoardKind::InterfaceKit, &BoardSlots::pViper01616_1, DeviceSection::P01616_1},
    {u"P01616-2", BoardKind::InterfaceKit, &BoardSlots::pViper01616_2, DeviceSection::P01616_2},
    {u"PTLED-1", BoardKind::TextLed, &BoardSlots::pViperTextLED_1, DeviceSection::PTLED_1},
    {u"PTLED-2", BoardKind::TextLed, &BoardSlots::pViperTextLED_2, DeviceSection::PTLED_2},
    {u"PTLCD-1", BoardKind::TextLcd, &BoardSlots::pViperTextLCD_1, DeviceSection::PTLCD_1},
    {u"PTLCD-2", BoardKind::TextLcd, &BoardSlots::pViperTextLCD_2, DeviceSection::PTLCD_2},
    {u"PSERVO-1", BoardKind::Servo, &BoardSlots::pViperServo_1, std::nullopt},
    {u"PSERVO-2", BoardKind::Servo, &BoardSlots::pViperServo_2, std::nullopt},
    {u"P4SERVO-1", BoardKind::MultiServo, &BoardSlots::pViper4Servo_1, DeviceSection::P4SERVO_1},
    {u"P4SERVO-2", BoardKind::MultiServo, &BoardSlots::pViper4Servo_2, DeviceSection::P4SERVO_2},
}};

// Each kind's slots stand in the list as a pair, slot 1 then slot 2, in kind order.
constexpr bool slotsPairedInKindOrder()
{
    for (std::size_t i = 0; i < kBoardSlots.size(); ++i)
        if (kBoardSlots[i].kind != BoardKind(i / 2))
            return false;
    return true;
}
static_assert(slotsPairedInKindOrder());

constexpr Board BoardSlots::*slot1Of(BoardKind kind)
{
    return kBoardSlots[2 * std::size_t(kind)].slot;
}
constexpr Board BoardSlots::*slot2Of(BoardKind kind)
{
    return kBoardSlots[2 * std::size_t(kind) + 1].slot;
}

// The slot a device section's table drives.
Board BoardSlots::*slotOf(DeviceSection section);

} // namespace tavrel
