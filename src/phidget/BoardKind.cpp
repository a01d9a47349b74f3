#include "phidget/BoardKind.h"

namespace tavrel {

std::optional<BoardKind> kindOfType(QStringView typeName)
{
    for (const BoardKindInfo &k : kBoardKinds)
        if (k.typeName == typeName)
            return k.kind;
    return std::nullopt;
}

std::optional<BoardKind> kindOfListName(QStringView listName)
{
    for (const BoardKindInfo &k : kBoardKinds)
        if (k.listName == listName)
            return k.kind;
    return std::nullopt;
}

Board BoardSlots::*slotOf(DeviceSection section)
{
    for (const BoardSlotInfo &slot : kBoardSlots)
        if (slot.section == section)
            return slot.slot;
    return nullptr;
}

bool isServo(BoardKind kind)
{
    return kind == BoardKind::Servo || kind == BoardKind::MultiServo;
}

} // namespace tavrel
