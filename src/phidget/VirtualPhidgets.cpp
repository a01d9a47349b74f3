#include "phidget/VirtualPhidgets.h"

#include "core/Log.h"
#include "phidget/PhidgetJournal.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <array>
#include <limits>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

// The code an error raised through the hot-plug file carries with its description.
constexpr int kHotPlugErrorCode = 0x9000;
// A hot-plug line longer than this is dropped.
constexpr qsizetype kMaxHotPlugLine = 4096;

// "TYPE:SERIAL", or why it does not read.
std::optional<VirtualBoardEntry> readBoard(QStringView text, QString &error)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) {
        error = u"\"%1\" is not TYPE:SERIAL"_s.arg(text);
        return std::nullopt;
    }
    const auto kind = kindOfListName(text.first(colon));
    if (!kind) {
        error = u"unknown board type \"%1\""_s.arg(text.first(colon));
        return std::nullopt;
    }
    const auto serial = readSerialNumber(text.sliced(colon + 1));
    if (!serial) {
        error = u"\"%1\" is not a serial number (1 to 2147483647)"_s.arg(text.sliced(colon + 1));
        return std::nullopt;
    }
    return VirtualBoardEntry{*kind, *serial};
}

void report(const QString &message)
{
    qCWarning(lcBoards).noquote() << u"virtual boards: "_s + message;
}

QString environment(const char *name)
{
    return qEnvironmentVariable(name);
}

} // namespace

// What tells one file from another under the same name: its device and inode where there
// are such, elsewhere its creation time.
FileIdentity fileIdentity(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino)};
#else
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return FileIdentity{0, quint64(info.birthTime().toMSecsSinceEpoch())};
#endif
}

namespace {

} // namespace

VirtualBoardList parseVirtualBoardList(QStringView text)
{
    VirtualBoardList list;
    if (text.trimmed().isEmpty())
        return list;
    QSet<std::int32_t> serials;
    int position = 0;
    for (QStringView entry : text.split(u',')) {
        ++position;
        entry = entry.trimmed();
        QString error;
        const auto board = readBoard(entry, error);
        if (board && serials.contains(board->serial))
            error = u"serial number %1 is listed twice"_s.arg(board->serial);
        if (!board || !error.isEmpty()) {
            list.errors << u"entry %1 left out: %2"_s.arg(position).arg(error);
            continue;
        }
        serials.insert(board->serial);
        list.boards << *board;
    }
    return list;
}

QString formatVirtualBoard(const VirtualBoardEntry &entry)
{
    return boardKind(entry.kind).listName.toString() + u':' + QString::number(entry.serial);
}

QList<VirtualBoardEntry> defaultVirtualBoards()
{
    using Kind = BoardKind;
    constexpr std::array<Kind, 6> kinds = {Kind::Led64,   Kind::InterfaceKit, Kind::TextLcd,
                                           Kind::TextLed, Kind::Servo,        Kind::MultiServo};
    QList<VirtualBoardEntry> boards;
    for (std::size_t k = 0; k < kinds.size(); ++k)
        for (int n = 1; n <= 2; ++n)
            boards.append({kinds[k], std::int32_t((k + 1) * 1000 + n)});
    return boards;
}

HotPlugLine parseHotPlugLine(QStringView line)
{
    HotPlugLine result;
    while (line.endsWith(u'\r'))
        line.chop(1);
    if (line.trimmed().isEmpty())
        return result;
    const qsizetype blank = line.indexOf(u' ');
    const QStringView verb = blank < 0 ? line : line.first(blank);
    const QStringView rest = blank < 0 ? QStringView() : line.sliced(blank + 1);
    HotPlugCommand command;
    if (verb == u"attach") {
        command.verb = HotPlugCommand::Verb::Attach;
        const auto board = readBoard(rest.trimmed(), result.error);
        if (!board)
            return result;
        command.board = *board;
    } else if (verb == u"detach" || verb == u"error") {
        command.verb = verb == u"detach" ? HotPlugCommand::Verb::Detach : HotPlugCommand::Verb::Error;
        QStringView serialText = rest;
        if (command.verb == HotPlugCommand::Verb::Error) {
            const qsizetype end = rest.indexOf(u' ');
            serialText = end < 0 ? rest : rest.first(end);
            command.text = end < 0 ? QString() : rest.sliced(end + 1).toString();
        } else {
            serialText = rest.trimmed();
        }
        const auto serial = readSerialNumber(serialText);
        if (!serial) {
            result.error = u"\"%1\" is not a serial number (1 to 2147483647)"_s.arg(serialText);
            return result;
        }
        command.board.serial = *serial;
    } else {
        result.error = u"unknown command \"%1\" (attach, detach or error)"_s.arg(verb);
        return result;
    }
    result.command = std::move(command);
    return result;
}

VirtualPhidgetManager::VirtualPhidgetManager(const QList<VirtualBoardEntry> &boards, const QString &journalPath,
                                             const QString &hotPlugPath, QObject *parent)
    : PhidgetManager(parent)
    , hotPlugPath_(hotPlugPath)
{
    if (!journalPath.isEmpty()) {
        journal_ = std::make_shared<PhidgetJournal>(journalPath);
        if (!journal_->isOpen())
            report(u"journal %1 cannot be written: %2"_s.arg(journalPath, journal_->errorString()));
    }
    for (const VirtualBoardEntry &entry : boards)
        attach(entry);
    if (!hotPlugPath_.isEmpty()) {
        // Only lines appended from now on are commands.
        hotPlugOffset_ = QFileInfo(hotPlugPath_).size();
        hotPlugIdentity_ = fileIdentity(hotPlugPath_);
        connect(&hotPlugTimer_, &QTimer::timeout, this, &VirtualPhidgetManager::readHotPlugFile);
        hotPlugTimer_.start(kHotPlugPollMs);
    }
}

VirtualPhidgetManager::~VirtualPhidgetManager() = default;

std::unique_ptr<VirtualPhidgetManager> VirtualPhidgetManager::fromEnvironment(QObject *parent)
{
    QList<VirtualBoardEntry> boards = defaultVirtualBoards();
    if (qEnvironmentVariableIsSet("TAVREL_VIRTUAL_PHIDGETS")) {
        const VirtualBoardList list = parseVirtualBoardList(environment("TAVREL_VIRTUAL_PHIDGETS"));
        for (const QString &error : list.errors)
            report(u"TAVREL_VIRTUAL_PHIDGETS: "_s + error);
        boards = list.boards;
    }
    QStringList listed;
    for (const VirtualBoardEntry &board : std::as_const(boards))
        listed += formatVirtualBoard(board);
    qCInfo(lcBoards).noquote() << u"virtual boards: %1 attach (%2)%3"_s.arg(boards.size())
                                      .arg(qEnvironmentVariableIsSet("TAVREL_VIRTUAL_PHIDGETS")
                                               ? u"TAVREL_VIRTUAL_PHIDGETS"_s
                                               : u"the default twelve"_s,
                                           listed.isEmpty() ? QString() : u": "_s + listed.join(u", "_s));
    return std::make_unique<VirtualPhidgetManager>(boards, environment("TAVREL_PHIDGET_JOURNAL"),
                                                   environment("TAVREL_PHIDGET_CONTROL"), parent);
}

QString VirtualPhidgetManager::libraryName() const
{
    return kVirtualBoards.toString();
}

void VirtualPhidgetManager::command(const HotPlugCommand &command)
{
    const std::int32_t serial = command.board.serial;
    const std::shared_ptr<VirtualBoard> known = boards_.value(serial);
    switch (command.verb) {
    case HotPlugCommand::Verb::Attach:
        if (known && known->isAttached())
            report(u"board %1 is attached already"_s.arg(serial));
        else
            attach(command.board);
        return;
    case HotPlugCommand::Verb::Detach:
        if (!known || !known->isAttached()) {
            report(u"no board %1 is attached"_s.arg(serial));
            return;
        }
        known->setAttached(false);
        post(EventKind::Detach, known);
        return;
    case HotPlugCommand::Verb::Error:
        if (!known) {
            report(u"no board %1 was ever attached"_s.arg(serial));
            return;
        }
        post(EventKind::Error, known, command.text, kHotPlugErrorCode);
        return;
    }
}

// A board plugged in is a new object; one pulled before under the same serial number
// stays pulled.
void VirtualPhidgetManager::attach(const VirtualBoardEntry &entry)
{
    auto board = std::make_shared<VirtualBoard>(entry.kind, entry.serial, journal_);
    boards_.insert(entry.serial, board);
    post(EventKind::Attach, std::move(board));
}

void VirtualPhidgetManager::readHotPlugFile()
{
    QFile file(hotPlugPath_);
    if (!file.open(QIODevice::ReadOnly))
        return; // not there (yet): nothing appended
    const FileIdentity identity = fileIdentity(hotPlugPath_);
    if (file.size() < hotPlugOffset_ || identity != hotPlugIdentity_) {
        // Cut short, or replaced by another file: read it again from the start.
        hotPlugIdentity_ = identity;
        hotPlugOffset_ = 0;
        partialLine_.clear();
    }
    if (file.size() == hotPlugOffset_ || !file.seek(hotPlugOffset_))
        return;
    const QByteArray bytes = file.readAll();
    hotPlugOffset_ += bytes.size();
    partialLine_ += bytes;
    qsizetype start = 0;
    for (qsizetype end = partialLine_.indexOf('\n'); end >= 0; end = partialLine_.indexOf('\n', start)) {
        const QString line = QString::fromUtf8(partialLine_.sliced(start, end - start));
        start = end + 1;
        const HotPlugLine parsed = parseHotPlugLine(line);
        if (parsed.command)
            command(*parsed.command);
        else if (!parsed.error.isEmpty())
            report(u"%1: line \"%2\" ignored: %3"_s.arg(hotPlugPath_, line.trimmed(), parsed.error));
    }
    partialLine_.remove(0, start);
    if (partialLine_.size() > kMaxHotPlugLine) {
        report(u"%1: a line of over %2 bytes ignored"_s.arg(hotPlugPath_).arg(kMaxHotPlugLine));
        partialLine_.clear(); // its tail, when its line end comes, is refused as a line of its own
    }
}

} // namespace tavrel
