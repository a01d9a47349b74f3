// Fuzz target for the virtual boards' two readers: the bytes, as UTF-8, are read whole as
// a board list (TAVREL_VIRTUAL_PHIDGETS) and line by line as hot-plug commands. Every
// entry is a board or a message, and the boards read back the same once written out.
#include "phidget/VirtualPhidgets.h"

#include <cstdint>
#include <cstdlib>

using namespace tavrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const VirtualBoardList list = parseVirtualBoardList(text);
    QStringList again;
    for (const VirtualBoardEntry &board : list.boards)
        again << formatVirtualBoard(board);
    if (parseVirtualBoardList(again.join(u',')).boards != list.boards
        || (!text.trimmed().isEmpty() && list.boards.size() + list.errors.size() != text.count(u',') + 1))
        std::abort();
    for (QStringView line : QStringView(text).split(u'\n'))
        parseHotPlugLine(line);
    return 0;
}
