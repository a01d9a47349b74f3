#include "phidget/BoardBinding.h"

#include "core/Error.h"

#include <algorithm>
#include <array>
#include <limits>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

struct SlotName
{
    QStringView name;
    Board BoardSlots::*slot;
};

constexpr std::array<SlotName, 12> kSlotNames = {{
    {u"PLED64-1", &BoardSlots::pViperLED_1},
    {u"PLED64-2", &BoardSlots::pViperLED_2},
    {u"P01616-1", &BoardSlots::pViper01616_1},
    {u"P01616-2", &BoardSlots::pViper01616_2},
    {u"PTLED-1", &BoardSlots::pViperTextLED_1},
    {u"PTLED-2", &BoardSlots::pViperTextLED_2},
    {u"PTLCD-1", &BoardSlots::pViperTextLCD_1},
    {u"PTLCD-2", &BoardSlots::pViperTextLCD_2},
    {u"PSERVO-1", &BoardSlots::pViperServo_1},
    {u"PSERVO-2", &BoardSlots::pViperServo_2},
    {u"P4SERVO-1", &BoardSlots::pViper4Servo_1},
    {u"P4SERVO-2", &BoardSlots::pViper4Servo_2},
}};

// The serial number of the board a slot holds, if it can be read.
std::optional<std::int32_t> serialIn(const Board &slot)
{
    std::optional<std::int32_t> serial;
    if (slot)
        attempt([&] { serial = slot->serialNumber(); });
    return serial;
}

} // namespace

QStringView slotHolding(const BoardSlots &slots, const Board &board)
{
    for (const SlotName &slot : kSlotNames)
        if (board && slots.*slot.slot == board)
            return slot.name;
    return {};
}

QStringList boardSlotNames()
{
    QStringList names;
    for (const SlotName &slot : kSlotNames)
        names += slot.name.toString();
    return names;
}

QString BoardBinding::addLine(QStringView line)
{
    const qsizetype comma = line.indexOf(u',');
    if (comma < 0)
        return u"\"%1\" is not SLOT,SERIAL"_s.arg(line);
    const QStringView name = line.first(comma).trimmed();
    const auto slot = std::find_if(kSlotNames.begin(), kSlotNames.end(),
                                   [&](const SlotName &s) { return s.name == name; });
    if (slot == kSlotNames.end())
        return u"\"%1\" names no slot (PLED64-1/2, P01616-1/2, PTLED-1/2, PTLCD-1/2, PSERVO-1/2, P4SERVO-1/2)"_s.arg(name);
    const QStringView serialText = line.sliced(comma + 1).trimmed();
    const auto serial = readSerialNumber(serialText);
    if (!serial)
        return u"\"%1\" is not a serial number (1 to 2147483647)"_s.arg(serialText);
    for (const Entry &e : std::as_const(entries_)) {
        if (e.slot == slot->slot)
            return u"slot %1 is given a board already"_s.arg(name);
        if (e.serial == *serial)
            return u"board %1 is given a slot already"_s.arg(*serial);
    }
    entries_.append({slot->slot, *serial});
    return {};
}

Board *BoardBinding::slotFor(BoardSlots &slots, Board &slot1, Board &slot2, std::optional<std::int32_t> serial) const
{
    const auto owned = [&](const Board &slot) {
        for (const Entry &e : entries_)
            if (&(slots.*e.slot) == &slot)
                return true;
        return false;
    };
    if (serial) {
        for (const Entry &e : entries_) {
            Board &own = slots.*e.slot;
            if (e.serial == *serial && (&own == &slot1 || &own == &slot2))
                return &own;
        }
        for (Board *slot : {&slot1, &slot2})
            if (!owned(*slot) && serialIn(*slot) == serial)
                return slot;
    }
    Board *last = nullptr;
    for (Board *slot : {&slot1, &slot2}) {
        if (owned(*slot))
            continue;
        if (!*slot)
            return slot;
        last = slot;
    }
    return last;
}

} // namespace tavrel
