// The board events: every board that attaches is bound to a slot of its kind by attach
// order (or by serial number, with [BOARDS]), gets its start settings and a row in the "Devices" list; a board pulled or
// failing only colours its row. Every board call may fail; each is one statement run with
// errors ignored, so a board that refuses one setting still gets the others and is listed.
// The manager itself is made at start-up and let go at shutdown by the output routines.
#include "cockpit/Cockpit.h"
#include "cockpit/CockpitOutputs.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/Log.h"
#include "phidget/PhidgetLibrary.h"
#include "phidget/VirtualPhidgets.h"

#include <QTime>

#include <limits>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

constexpr int kDeviceList = 4; // grdTavrel(4), in the "Devices" frame
constexpr int kSerialColumn = 3;
constexpr int kNameColumn = 1;

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
        throw Error(Error::Overflow, u"Overflow"_s);
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

void Cockpit::setPhidgetManager(std::unique_ptr<PhidgetManager> manager)
{
    PhidgetManager_ = std::move(manager);
    boardNote_.clear();
    if (!PhidgetManager_)
        return;
    const QString library = PhidgetManager_->libraryName();
    boardNote_ = library == kVirtualBoards ? u"virtual board"_s : library;
    connect(PhidgetManager_.get(), &PhidgetManager::OnAttach, this, &Cockpit::PhidgetManager_OnAttach);
    connect(PhidgetManager_.get(), &PhidgetManager::OnDetach, this, &Cockpit::PhidgetManager_OnDetach);
    connect(PhidgetManager_.get(), &PhidgetManager::OnError, this, &Cockpit::PhidgetManager_OnError);
    PhidgetManager_->setGate([this] { return mayRun(Work::BoardEvent); });
    PhidgetManager_->resume();
}

std::unique_ptr<PhidgetManager> Cockpit::makePhidgetManager()
{
    return phidgetManagerFactory_ ? phidgetManagerFactory_() : createPhidgetManager();
}

void CockpitOutputs::CreatePhidgetManager()
{
    cockpit().setPhidgetManager(cockpit().makePhidgetManager());
}

// Board 1 before board 2 of each kind, the kinds in a fixed order; then the manager goes,
// and with it every board event still waiting.
void CockpitOutputs::ReleaseBoards()
{
    BoardSlots &b = cockpit().boards();
    for (Board *slot : {&b.pViper01616_1, &b.pViper01616_2, &b.pViperTextLCD_1, &b.pViperTextLCD_2,
                        &b.pViperTextLED_1, &b.pViperTextLED_2, &b.pViperServo_1, &b.pViperServo_2,
                        &b.pViper4Servo_1, &b.pViper4Servo_2, &b.pViperLED_1, &b.pViperLED_2})
        slot->reset();
    cockpit().attached_.clear();
    cockpit().setPhidgetManager(nullptr);
}

// Without [BOARDS] the first board of a kind fills slot 1, every later one slot 2,
// replacing what it held; with it, each board goes where the binding says.
void Cockpit::bindBoard(Board &slot1, Board &slot2, const Board &board)
{
    if (boardBinding_.isEmpty()) {
        (slot1 ? slot2 : slot1) = board;
        return;
    }
    if (Board *slot = boardBinding_.slotFor(boards_, slot1, slot2, serialOf(board)))
        *slot = board;
}

void Cockpit::PhidgetManager_OnAttach(const Board &board)
{
    auto &frames = controls_.fraGlimra;
    auto &b = boards_;
    forget(attached_, board); // reported again, or plugged in again as a new object: once
    attached_.push_back(board);

    QString type;
    attempt([&] { type = board->deviceType(); });
    QString name = type;
    int number = 0;

    if (type == u"PhidgetInterfaceKit") {
        attempt([&] { countAttach(AttachCount_[CountInterfaceKit]); });
        number = AttachCount_[CountInterfaceKit];
        frames[2].setEnabled(true);
        frames[3].setEnabled(true);
        bindBoard(b.pViper01616_1, b.pViper01616_2, board);
        attempt([&] {
            const int outputs = board->numOutputs();
            for (int i = 0; i < outputs; ++i)
                attempt([&] { board->setOutputState(i, false); });
        });
    } else if (type == u"PhidgetTextLCD") {
        attempt([&] { countAttach(AttachCount_[CountTextLcd]); });
        number = AttachCount_[CountTextLcd];
        frames[4].setEnabled(true);
        bindBoard(b.pViperTextLCD_1, b.pViperTextLCD_2, board);
        attempt([&] { board->setBrightness(controls_.sldGlimra[CockpitControls::kBrightness].value()); });
        attempt([&] { board->setBacklight(true); });
        attempt([&] { board->setCursorOn(false); });
        attempt([&] { board->setDisplayString(0, u""); });
        attempt([&] { board->setDisplayString(1, u""); });
    } else if (type == u"PhidgetTextLED") {
        attempt([&] { countAttach(AttachCount_[CountTextLed]); });
        number = AttachCount_[CountTextLed];
        frames[5].setEnabled(true);
        bindBoard(b.pViperTextLED_1, b.pViperTextLED_2, board);
        attempt([&] { board->setBrightness(controls_.sldGlimra[CockpitControls::kBrightness].value()); });
    } else if (type == u"PhidgetServo") {
        // A board whose motor count cannot be read is taken for a multi-motor one and
        // listed under its type name alone.
        std::optional<int> motors;
        attempt([&] { motors = board->numMotors(); });
        if (motors)
            name = type + u'(' + QString::number(*motors) + u')';
        if (motors == 1) {
            flags_.ServoPresent = true;
            attempt([&] { countAttach(AttachCount_[CountServo]); });
            number = AttachCount_[CountServo];
            frames[6].setEnabled(true);
            bindBoard(b.pViperServo_1, b.pViperServo_2, board);
            attempt([&] { board->setMotorPosition(0, 0.0); });
        } else {
            flags_.MultiServoPresent = true;
            attempt([&] { countAttach(AttachCount_[CountMultiServo]); });
            number = AttachCount_[CountMultiServo];
            bindBoard(b.pViper4Servo_1, b.pViper4Servo_2, board);
            for (int i = 0; i < motors.value_or(0); ++i)
                attempt([&] { board->setMotorPosition(i, 0.0); });
        }
    } else if (type == u"PhidgetLED") {
        attempt([&] { countAttach(AttachCount_[CountLed64]); });
        number = AttachCount_[CountLed64];
        frames[3].setEnabled(true);
        bindBoard(b.pViperLED_1, b.pViperLED_2, board);
    }

    // Listed with the version in its shortest form and the serial number in decimal; a
    // board whose version or serial number cannot be read is not listed.
    attempt([&] {
        const auto version = convert::shortest(board->version());
        const QString serial = QString::number(board->serialNumber());
        AddDeviceRow(number, name, version.latin1(), serial, boardNote_);
    });
    qCInfo(lcBoards).noquote() << u"attached: "_s + boardText(board, boards_, name);
    outputs_->yieldToEvents();
}

void Cockpit::PhidgetManager_OnDetach(const Board &board)
{
    forget(attached_, board);
    qCWarning(lcBoards).noquote() << u"detached: "_s + boardText(board, boards_);
    MarkDeviceRow(board, Grid::kRed, stateNote("Detached", boardNote_));
}

// The row turns yellow with the time in its tooltip; the board's description and code of
// the error are not shown, only logged.
void Cockpit::PhidgetManager_OnError(const Board &board, const QString &description, int scode)
{
    qCWarning(lcBoards).noquote() << u"board error: %1: %2 (code %3)"_s.arg(boardText(board, boards_), description)
                                         .arg(scode);
    MarkDeviceRow(board, Grid::kYellow, stateNote("Error", boardNote_));
}

// A serial number seen before re-greens its row and changes nothing else in it; a new
// one gets a row at the end. Other callers (the EPIC link) list themselves here too.
void Cockpit::AddDeviceRow(int number, const QString &name, const QString &version, const QString &serial,
                           const QString &library)
{
    Grid &list = controls_.grdTavrel[kDeviceList];
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
void Cockpit::MarkDeviceRow(const Board &board, quint32 colour, const QString &toolTip)
{
    Grid &list = controls_.grdTavrel[kDeviceList];
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
