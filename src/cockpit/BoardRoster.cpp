// The board events: every board that attaches is bound to a slot of its kind by attach
// order (or by serial number, with [BOARDS]), gets its start settings and a row in the
// "Devices" list; a board pulled or failing only colours its row. Every board call may
// fail; each is one statement run with errors ignored, so a board that refuses one setting
// still gets the others and is listed.
#include "cockpit/BoardRoster.h"

#include "cockpit/Platform.h"
#include "core/Convert.h"
#include "core/Error.h"
#include "core/Log.h"
#include "phidget/PhidgetLibrary.h"
#include "phidget/VirtualPhidgets.h"

#include <QTime>

#include <algorithm>
#include <limits>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

constexpr int kSerialColumn = 3;
constexpr int kNameColumn = 1;

// What an attach of each kind does in the window and the flags, besides binding the board
// to its slots and giving it its start settings.
struct KindRole
{
    std::array<int, 2> frames; // enabled on attach; -1: none
    bool CockpitFlags::*present;
};

constexpr std::array<KindRole, kBoardKindCount> kRoles = {{
    {{FraLightingOptions, -1}, nullptr},           // Led64
    {{FraKit1, FraLightingOptions}, nullptr},      // InterfaceKit
    {{FraTextLed1, -1}, nullptr},                  // TextLed
    {{FraTextLcd1, -1}, nullptr},                  // TextLcd
    {{FraServo, -1}, &CockpitFlags::ServoPresent}, // Servo
    {{-1, -1}, &CockpitFlags::MultiServoPresent},  // MultiServo
}};

std::optional<std::int32_t> serialOf(const Board &board)
{
    std::optional<std::int32_t> serial;
    attempt([&] { serial = board->serialNumber(); });
    return serial;
}

// Takes a board off the list of attached ones: the same object, or any with its serial
// number.
void forget(std::vector<Board> &attached, const Board &board)
{
    const auto serial = serialOf(board);
    std::erase_if(attached, [&](const Board &seen) { return seen == board || (serial && serialOf(seen) == serial); });
}

// One more attach of a kind; the counters are 16-bit, so the 32768th attach fails.
void countAttach(int &counter)
{
    if (counter >= std::numeric_limits<std::int16_t>::max())
        throw Error::standard(Error::Overflow);
    ++counter;
}

// What a row's colour means, and since when: "Detached at 14:05:10"; then, on a line of
// its own, what the device is driven through.
QString stateNote(const char *state, const QString &library)
{
    QString note = QLatin1String(state) + u" at "_s + QTime::currentTime().toString(u"HH:mm:ss"_s);
    if (!library.isEmpty())
        note += u'\n' + library;
    return note;
}

// A board as the log names it: "PhidgetLED serial 1001 in slot PLED64-1".
QString boardText(const Board &board, const BoardSlots &slots, QString type = QString())
{
    if (type.isEmpty())
        attempt([&] { type = board->deviceType(); });
    const auto serial = serialOf(board);
    const QStringView slot = slotHolding(slots, board);
    return u"%1 %2 %3"_s.arg(type.isEmpty() ? u"board"_s : type,
                             serial ? u"serial %1"_s.arg(*serial) : u"(serial unreadable)"_s,
                             slot.isEmpty() ? u"in no slot"_s : u"in slot "_s + slot.toString());
}

} // namespace

BoardRoster::BoardRoster(CockpitControls &controls, CockpitFlags &flags, Platform &platform,
                         std::function<bool()> mayHandleEvents, std::function<void()> yield)
    : controls_(controls)
    , flags_(flags)
    , platform_(platform)
    , mayHandleEvents_(std::move(mayHandleEvents))
    , yield_(std::move(yield))
{
}

BoardRoster::~BoardRoster() = default;

QList<PhidgetBoard *> BoardRoster::unslotted() const
{
    QList<PhidgetBoard *> others;
    for (const Board &board : attached_)
        if (std::none_of(kBoardSlots.begin(), kBoardSlots.end(),
                         [&](const BoardSlotInfo &slot) { return slots_.*slot.slot == board; }))
            others << board.get();
    return others;
}

void BoardRoster::setManager(std::unique_ptr<PhidgetManager> manager)
{
    manager_ = std::move(manager);
    libraryNote_.clear();
    if (!manager_)
        return;
    const QString library = manager_->libraryName();
    libraryNote_ = library == kVirtualBoards ? u"virtual board"_s : library;
    connect(manager_.get(), &PhidgetManager::OnAttach, this, &BoardRoster::PhidgetManager_OnAttach);
    connect(manager_.get(), &PhidgetManager::OnDetach, this, &BoardRoster::PhidgetManager_OnDetach);
    connect(manager_.get(), &PhidgetManager::OnError, this, &BoardRoster::PhidgetManager_OnError);
    manager_->setGate(mayHandleEvents_);
    manager_->resume();
}

std::unique_ptr<PhidgetManager> BoardRoster::makeManager()
{
    return managerFactory_ ? managerFactory_() : createPhidgetManager();
}

void BoardRoster::resume()
{
    if (manager_)
        manager_->resume();
}

QString BoardRoster::libraryName() const
{
    return manager_ ? manager_->libraryName() : u"none"_s;
}

void BoardRoster::release()
{
    for (const BoardKind kind : {BoardKind::InterfaceKit, BoardKind::TextLcd, BoardKind::TextLed, BoardKind::Servo,
                                 BoardKind::MultiServo, BoardKind::Led64}) {
        (slots_.*slot1Of(kind)).reset();
        (slots_.*slot2Of(kind)).reset();
    }
    attached_.clear();
    setManager(nullptr);
}

// Without [BOARDS] the first board of a kind fills slot 1, every later one slot 2,
// replacing what it held; with it, each board goes where the binding says.
void BoardRoster::bind(BoardKind kind, const Board &board)
{
    Board &slot1 = slots_.*slot1Of(kind);
    Board &slot2 = slots_.*slot2Of(kind);
    if (binding_.isEmpty()) {
        (slot1 ? slot2 : slot1) = board;
        return;
    }
    if (Board *slot = binding_.slotFor(slots_, slot1, slot2, serialOf(board)))
        *slot = board;
}

// Outputs off, texts empty, needles at their start: a board shows nothing of an earlier
// run. The text boards take the brightness slider's value.
void BoardRoster::startSettings(BoardKind kind, PhidgetBoard &board, std::optional<int> motors)
{
    const int brightness = controls_.sldGlimra[SldBrightness].value();
    switch (kind) {
    case BoardKind::InterfaceKit:
        attempt([&] {
            const int outputs = board.numOutputs();
            for (int i = 0; i < outputs; ++i)
                attempt([&] { board.setOutputState(i, false); });
        });
        break;
    case BoardKind::TextLcd:
        attempt([&] { board.setBrightness(brightness); });
        attempt([&] { board.setBacklight(true); });
        attempt([&] { board.setCursorOn(false); });
        attempt([&] { board.setDisplayString(0, u""); });
        attempt([&] { board.setDisplayString(1, u""); });
        break;
    case BoardKind::TextLed:
        attempt([&] { board.setBrightness(brightness); });
        break;
    case BoardKind::Servo:
    case BoardKind::MultiServo:
        for (int i = 0; i < motors.value_or(0); ++i)
            attempt([&] { board.setMotorPosition(i, 0.0); });
        break;
    case BoardKind::Led64:
        break;
    }
}

void BoardRoster::PhidgetManager_OnAttach(const Board &board)
{
    forget(attached_, board); // reported again, or plugged in again as a new object: once
    attached_.push_back(board);

    QString type;
    attempt([&] { type = board->deviceType(); });
    // A servo controller is listed with its motor count; one whose count cannot be read
    // is taken for a multi-motor one and listed under its type name alone.
    std::optional<int> motors;
    QString name = type;
    if (type == boardKind(BoardKind::Servo).typeName) {
        attempt([&] { motors = board->numMotors(); });
        if (motors)
            name = type + u'(' + QString::number(*motors) + u')';
    }

    std::optional<BoardKind> kind = kindOfType(type);
    if (kind == BoardKind::Servo && motors != 1)
        kind = BoardKind::MultiServo;
    int number = 0;
    if (kind) {
        const KindRole &role = kRoles[std::size_t(*kind)];
        if (role.present)
            flags_.*role.present = true;
        int &count = attachCounts_[std::size_t(*kind)];
        attempt([&] { countAttach(count); });
        number = count;
        for (const int frame : role.frames)
            if (frame >= 0)
                controls_.fraGlimra[std::size_t(frame)].setEnabled(true);
        bind(*kind, board);
        startSettings(*kind, *board, motors);
    }

    // Listed with the version in its shortest form and the serial number in decimal; a
    // board whose version or serial number cannot be read is not listed.
    attempt([&] {
        const auto version = convert::shortest(board->version());
        const QString serial = QString::number(board->serialNumber());
        AddDeviceRow(number, name, version.latin1(), serial, libraryNote_);
    });
    qCInfo(lcBoards).noquote() << u"attached: "_s + boardText(board, slots_, name);
    yield_();
}

void BoardRoster::PhidgetManager_OnDetach(const Board &board)
{
    forget(attached_, board);
    qCWarning(lcBoards).noquote() << u"detached: "_s + boardText(board, slots_);
    MarkDeviceRow(board, Grid::kRed, stateNote("Detached", libraryNote_));
}

// The row turns yellow with the time in its tooltip; the board's description and code of
// the error are not shown, only logged.
void BoardRoster::PhidgetManager_OnError(const Board &board, const QString &description, int scode)
{
    qCWarning(lcBoards).noquote()
        << u"board error: %1: %2 (code %3)"_s.arg(boardText(board, slots_), description).arg(scode);
    MarkDeviceRow(board, Grid::kYellow, stateNote("Error", libraryNote_));
}

// A serial number seen before re-greens its row and changes nothing else in it; a new
// one gets a row at the end.
void BoardRoster::AddDeviceRow(int number, const QString &name, const QString &version, const QString &serial,
                               const QString &library)
{
    Grid &list = controls_.grdTavrel[GrdDevices];
    attempt([&] {
        for (int row = 1; row < list.rows(); ++row) {
            if (list.text(row, kSerialColumn) == serial) {
                list.setCellBackColor(row, kNameColumn, Grid::kGreen);
                list.setRowToolTip(row, stateNote("Attached", library));
                return;
            }
        }
        const int row = list.rows();
        list.setRows(row + 1);
        list.setText(row, 0, QString::number(number));
        list.setText(row, kNameColumn, name);
        list.setText(row, 2, version);
        list.setText(row, kSerialColumn, serial);
        list.setCellBackColor(row, kNameColumn, Grid::kGreen);
        list.setRowToolTip(row, stateNote("Attached", library));
    });
}

// Only rows whose serial column holds a number can match: the EPIC row, with none, never
// does.
void BoardRoster::MarkDeviceRow(const Board &board, quint32 colour, const QString &toolTip)
{
    Grid &list = controls_.grdTavrel[GrdDevices];
    attempt([&] {
        const std::int32_t serial = board->serialNumber();
        for (int row = 1; row < list.rows(); ++row) {
            const auto listed = convert::checkedInt32(list.text(row, kSerialColumn));
            if (listed && *listed == serial) {
                platform_.beep();
                list.setCellBackColor(row, kNameColumn, colour);
                list.setRowToolTip(row, toolTip);
                return;
            }
        }
    });
}

} // namespace tavrel
