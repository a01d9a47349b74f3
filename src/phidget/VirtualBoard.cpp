#include "phidget/VirtualBoard.h"

#include "core/Error.h"
#include "phidget/PhidgetJournal.h"

namespace tavrel {

namespace {

// The failures a board call can meet, as the vendor library raises them.
[[noreturn]] void fail(Error::Number number)
{
    throw Error::standard(number, QStringLiteral("Phidget"));
}

void checkIndex(int index, qsizetype count)
{
    if (index < 0 || index >= count)
        fail(Error::PhidgetOutOfBounds);
}

void checkRange(double value, double min, double max)
{
    if (!(value >= min && value <= max))
        fail(Error::PhidgetInvalidArgument);
}

} // namespace

VirtualBoard::VirtualBoard(BoardKind kind, std::int32_t serial, std::shared_ptr<PhidgetJournal> journal)
    : kind_(kind)
    , serial_(serial)
    , journal_(std::move(journal))
{
    const BoardKindInfo &info = boardKind(kind);
    switch (kind) {
    case BoardKind::InterfaceKit:
        outputs_.resize(info.channels);
        break;
    case BoardKind::Led64:
        leds_.resize(info.channels);
        break;
    case BoardKind::TextLed:
    case BoardKind::TextLcd:
        lines_.resize(info.channels);
        break;
    case BoardKind::Servo:
    case BoardKind::MultiServo:
        motors_.resize(info.channels);
        break;
    }
    // Room for the longest line a cockpit writes, so that writes reuse it.
    for (QString &line : lines_)
        line.reserve(32);
}

QString VirtualBoard::deviceType() const
{
    return boardKind(kind_).typeName.toString();
}

float VirtualBoard::version() const
{
    return boardKind(kind_).virtualVersion;
}

void VirtualBoard::requireAttached() const
{
    if (!attached_)
        fail(Error::PhidgetNotAttached);
}

void VirtualBoard::requireKind(bool ok) const
{
    if (!ok)
        memberNotFound();
}

template <typename T>
void VirtualBoard::journal(QLatin1String member, std::optional<int> index, T value)
{
    if (journal_)
        journal_->write(serial_, member, index, value);
}

int VirtualBoard::numOutputs() const
{
    requireKind(kind_ == BoardKind::InterfaceKit);
    requireAttached();
    return int(outputs_.size());
}

void VirtualBoard::setOutputState(int index, bool on)
{
    requireKind(kind_ == BoardKind::InterfaceKit);
    requireAttached();
    checkIndex(index, outputs_.size());
    outputs_[index] = on;
    journal(QLatin1String("OutputState"), index, on);
}

int VirtualBoard::ledCount() const
{
    requireKind(kind_ == BoardKind::Led64);
    requireAttached();
    return int(leds_.size());
}

void VirtualBoard::setDiscreteLED(int index, std::int32_t brightness)
{
    requireKind(kind_ == BoardKind::Led64);
    requireAttached();
    checkIndex(index, leds_.size());
    checkRange(brightness, 0, boardKind(kind_).brightnessMax);
    leds_[index] = brightness;
    journal(QLatin1String("DiscreteLED"), index, brightness);
}

void VirtualBoard::setBrightness(std::int32_t brightness)
{
    requireKind(kind_ == BoardKind::TextLed || kind_ == BoardKind::TextLcd);
    requireAttached();
    checkRange(brightness, 0, boardKind(kind_).brightnessMax);
    brightness_ = brightness;
    journal(QLatin1String("Brightness"), std::nullopt, brightness);
}

void VirtualBoard::setBacklight(bool on)
{
    requireKind(kind_ == BoardKind::TextLcd);
    requireAttached();
    backlight_ = on;
    journal(QLatin1String("Backlight"), std::nullopt, on);
}

void VirtualBoard::setCursorOn(bool on)
{
    requireKind(kind_ == BoardKind::TextLcd);
    requireAttached();
    cursorOn_ = on;
    journal(QLatin1String("CursorOn"), std::nullopt, on);
}

int VirtualBoard::rowCount() const
{
    requireKind(kind_ == BoardKind::TextLed || kind_ == BoardKind::TextLcd);
    requireAttached();
    return int(lines_.size());
}

void VirtualBoard::setDisplayString(int line, QStringView text)
{
    requireKind(kind_ == BoardKind::TextLed || kind_ == BoardKind::TextLcd);
    requireAttached();
    checkIndex(line, lines_.size());
    QString &stored = lines_[line];
    stored.resize(0); // keeps its room: no allocation once warm
    stored.append(text.data(), text.size());
    journal(QLatin1String("DisplayString"), line, text);
}

int VirtualBoard::numMotors() const
{
    requireKind(isServo(kind_));
    requireAttached();
    return int(motors_.size());
}

void VirtualBoard::setMotorPosition(int index, double position)
{
    requireKind(isServo(kind_));
    requireAttached();
    checkIndex(index, motors_.size());
    checkRange(position, kServoPositionMin, kServoPositionMax);
    motors_[index] = position;
    journal(QLatin1String("MotorPosition"), index, position);
}

} // namespace tavrel
