// Fuzz target for the virtual boards' two readers: the bytes, as UTF-8, are read whole as
// a board list (TAVREL_VIRTUAL_PHIDGETS) and line by line as hot-plug commands. Besides
// not crashing or hanging: every entry is either a board or a message, serial numbers are
// valid and unique, and what was read reads back the same once written out again.
#include "phidget/VirtualPhidgets.h"

#include <QSet>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QString format(const HotPlugCommand &command)
{
    switch (command.verb) {
    case HotPlugCommand::Verb::Attach:
        return u"attach "_s + formatVirtualBoard(command.board);
    case HotPlugCommand::Verb::Detach:
        return u"detach "_s + QString::number(command.board.serial);
    case HotPlugCommand::Verb::Error:
        return u"error "_s + QString::number(command.board.serial) + u' ' + command.text;
    }
    return QString();
}

void checkBoardList(const QString &text)
{
    const VirtualBoardList list = parseVirtualBoardList(text);
    if (text.trimmed().isEmpty()) {
        check(list.boards.isEmpty() && list.errors.isEmpty());
        return;
    }
    check(list.boards.size() + list.errors.size() == text.count(u',') + 1);
    QSet<std::int32_t> serials;
    QStringList again;
    for (const VirtualBoardEntry &board : list.boards) {
        check(board.serial >= 1);
        check(!serials.contains(board.serial));
        serials.insert(board.serial);
        again << formatVirtualBoard(board);
    }
    const VirtualBoardList reread = parseVirtualBoardList(again.join(u','));
    check(reread.errors.isEmpty());
    check(reread.boards == list.boards);
}

void checkHotPlugLine(QStringView line)
{
    const HotPlugLine parsed = parseHotPlugLine(line);
    if (!parsed.command) {
        QStringView bare = line;
        while (bare.endsWith(u'\r'))
            bare.chop(1);
        check(parsed.error.isEmpty() == bare.trimmed().isEmpty());
        return;
    }
    const HotPlugCommand &command = *parsed.command;
    check(parsed.error.isEmpty());
    check(command.board.serial >= 1);
    const HotPlugLine reread = parseHotPlugLine(format(command));
    check(reread.command.has_value());
    check(reread.command->verb == command.verb);
    check(reread.command->board.serial == command.board.serial);
    if (command.verb == HotPlugCommand::Verb::Attach)
        check(reread.command->board.kind == command.board.kind);
    if (command.verb == HotPlugCommand::Verb::Error)
        check(reread.command->text == command.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    checkBoardList(text);
    for (QStringView line : QStringView(text).split(u'\n'))
        checkHotPlugLine(line);
    return 0;
}
