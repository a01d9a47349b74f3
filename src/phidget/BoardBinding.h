#pragma once

#include "phidget/PhidgetBoard.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace tavrel {

// The [BOARDS] lines of Tavrel.cfg: boards bound to slots by serial number, "SLOT,SERIAL"
// per line. The slots are named as the sections that drive them (PLED64-1, P01616-2,
// PTLED-1, PTLCD-2, P4SERVO-1, ...) and the one-motor servo slots PSERVO-1 and PSERVO-2.
// A listed board always takes its own slot, whenever it attaches; boards not listed share
// the slots no listed board owns.
// The name of the slot that holds a board ("PLED64-1"), or none.
QStringView slotHolding(const BoardSlots &slots, const Board &board);
// The twelve slot names, as [BOARDS] lines write them.
QStringList boardSlotNames();

class BoardBinding
{
public:
    // Reads one line (blanks around either part allowed) and keeps it; on a line that
    // does not read, or names a slot or a serial number given before, keeps nothing and
    // says why.
    QString addLine(QStringView line);
    bool isEmpty() const { return entries_.isEmpty(); }

    // Where a board that attaches goes, given the two slots of its kind: its own slot when
    // it is listed for one of them; else the slot of the two that held it before (a
    // board plugged in again); else the first empty one no listed board owns, or the last
    // one no listed board owns, replacing what it held. Null when both belong to other
    // boards. A board whose serial number cannot be read is taken as one not listed.
    Board *slotFor(BoardSlots &slots, Board &slot1, Board &slot2, std::optional<std::int32_t> serial) const;

private:
    struct Entry
    {
        Board BoardSlots::*slot;
        std::int32_t serial;
    };
    QList<Entry> entries_;
};

} // namespace tavrel
