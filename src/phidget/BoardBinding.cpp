#include "phidget/BoardBinding.h"

#include "core/Error.h"
#include "phidget/BoardKind.h"

#include <algorithm>
#include <limits>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

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
    for (const BoardSlotInfo &slot : kBoardSlots)
        if (board && slots.*slot.slot == board)
            return slot.name;
    return {};
}

QStringList boardSlotNames()
{
    QStringList names;
    for (const BoardSlotInfo &slot : kBoardSlots)
        names += slot.name.toString();
    return names;
}

QString BoardBinding::addLine(QStringView line)
{
    const qsizetype comma = line.indexOf(u',');
    if (comma < 0)
        return u"\"%1\" is not SLOT,SERIAL"_s.arg(line);
    const QStringView name = line.first(comma).trimmed();
    const auto slot = std::find_if(kBoardSlots.begin(), kBoardSlots.end(),
                                   [&](const BoardSlotInfo &s) { return s.name == name; });
    if (slot == kBoardSlots.end())
        return u"\"%1\" names no slot (PLED64-1/2, P01616-1/2, PTLED-1/2, PTLCD-1/2, PSERVO-1/2, P4SERVO-1/2)"_s.arg(
            name);
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
