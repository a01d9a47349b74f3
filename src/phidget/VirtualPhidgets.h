#pragma once

#include "phidget/PhidgetManager.h"
#include "phidget/VirtualBoard.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>

namespace tavrel {

class PhidgetJournal;

// One board of the virtual board list: its kind and serial number.
struct VirtualBoardEntry
{
    BoardKind kind;
    std::int32_t serial;
    friend bool operator==(const VirtualBoardEntry &, const VirtualBoardEntry &) = default;
};

struct VirtualBoardList
{
    QList<VirtualBoardEntry> boards; // in attach order
    QStringList errors;              // one message per entry left out
};

// Reads the virtual board list: comma-separated TYPE:SERIAL entries in attach order, blanks
// around an entry allowed. TYPE is PhidgetInterfaceKit, PhidgetLED, PhidgetTextLED,
// PhidgetTextLCD, PhidgetServo/1 or PhidgetServo/4; SERIAL a whole number from 1 to
// 2147483647. An entry that does not read (an empty one included), or that repeats a
// serial number already listed, is left out with a message; the rest still count. An
// empty text is an empty list.
VirtualBoardList parseVirtualBoardList(QStringView text);
// "PhidgetLED:1001": the spelling the list reads.
QString formatVirtualBoard(const VirtualBoardEntry &entry);

// The boards when no list is given: two of every kind, one for each of the twelve slots.
// Serial numbers are 1000 × the kind's number + the board's number (1 or 2), kinds
// numbered 1 LED-64, 2 interface kit, 3 text LCD, 4 text LED, 5 one-motor servo,
// 6 four-motor servo: 1001, 1002, 2001, ... 6002, attached in that order.
QList<VirtualBoardEntry> defaultVirtualBoards();

// One line of the hot-plug file: "attach TYPE:SERIAL", "detach SERIAL" or
// "error SERIAL text" (the text is the rest of the line after one blank, and may be empty).
// Line ends (LF, CR LF) are not part of the line.
struct HotPlugCommand
{
    enum class Verb { Attach, Detach, Error };
    Verb verb = Verb::Attach;
    VirtualBoardEntry board{BoardKind::Led64, 0}; // kind only for attach
    QString text;                                 // error only
};

struct HotPlugLine
{
    std::optional<HotPlugCommand> command; // empty for a blank line or a bad one
    QString error;                         // why a line was refused; empty for a blank line
};

HotPlugLine parseHotPlugLine(QStringView line);

// Which file a path names now, so that a file replaced by another is told from one that
// grew; empty for no file.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};
FileIdentity fileIdentity(const QString &path);

// The manager of the built-in virtual boards. Its boards attach one by one through the
// event loop after it is made; lines appended to the hot-plug file while it lives attach,
// pull and fail boards. A hot-plug file cut short, or replaced by a new file, is read
// again from its start.
// What the virtual boards' manager calls its library.
inline constexpr QStringView kVirtualBoards = u"virtual boards";

class VirtualPhidgetManager : public PhidgetManager
{
    Q_OBJECT
public:
    // `journalPath` and `hotPlugPath` may be empty (no journal, no hot-plug file).
    VirtualPhidgetManager(const QList<VirtualBoardEntry> &boards, const QString &journalPath,
                          const QString &hotPlugPath = QString(), QObject *parent = nullptr);
    ~VirtualPhidgetManager() override;

    // Built from TAVREL_VIRTUAL_PHIDGETS (the board list; unset means the default twelve),
    // TAVREL_PHIDGET_JOURNAL and TAVREL_PHIDGET_CONTROL. Problems go to the log.
    static std::unique_ptr<VirtualPhidgetManager> fromEnvironment(QObject *parent = nullptr);

    QString libraryName() const override;

    // Runs one hot-plug command as if its line had been appended to the file.
    void command(const HotPlugCommand &command);
    // The board now attached with this serial number, or the last one pulled; null if none.
    std::shared_ptr<VirtualBoard> board(std::int32_t serial) const { return boards_.value(serial); }
    // The hot-plug file's polling period.
    static constexpr int kHotPlugPollMs = 100;

private:
    void attach(const VirtualBoardEntry &entry);
    void readHotPlugFile();

    std::shared_ptr<PhidgetJournal> journal_;
    QHash<std::int32_t, std::shared_ptr<VirtualBoard>> boards_;
    QString hotPlugPath_;
    qint64 hotPlugOffset_ = 0;
    FileIdentity hotPlugIdentity_;
    QByteArray partialLine_;
    QTimer hotPlugTimer_;
};

} // namespace tavrel
