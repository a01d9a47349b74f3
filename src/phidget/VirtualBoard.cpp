#include "phidget/VirtualBoard.h"

#include "core/Error.h"
#include "phidget/PhidgetJournal.h"

#include <array>

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

struct KindInfo
{
    VirtualBoard::Kind kind;
    const char *text;     // in the virtual board list
    const char *typeName; // as the library reports it
    float version;
};

constexpr std::array<KindInfo, 6> kKinds = {{
    {VirtualBoard::Kind::InterfaceKit, "PhidgetInterfaceKit", "PhidgetInterfaceKit", 601.0f},
    {VirtualBoard::Kind::Led64, "PhidgetLED", "PhidgetLED", 100.0f},
    {VirtualBoard::Kind::TextLed, "PhidgetTextLED", "PhidgetTextLED", 113.0f},
    {VirtualBoard::Kind::TextLcd, "PhidgetTextLCD", "PhidgetTextLCD", 123.0f},
    {VirtualBoard::Kind::Servo1, "PhidgetServo/1", "PhidgetServo", 313.0f},
    {VirtualBoard::Kind::Servo4, "PhidgetServo/4", "PhidgetServo", 313.0f},
}};

const KindInfo &info(VirtualBoard::Kind kind)
{
    return kKinds[std::size_t(kind)];
}

} // namespace

std::optional<VirtualBoard::Kind> VirtualBoard::kindFromText(QStringView text)
{
    for (const KindInfo &k : kKinds) {
        if (text == QLatin1String(k.text))
            return k.kind;
    }
    return std::nullopt;
}

QString VirtualBoard::kindText(Kind kind)
{
    return QLatin1String(info(kind).text);
}

VirtualBoard::VirtualBoard(Kind kind, std::int32_t serial, std::shared_ptr<PhidgetJournal> journal)
    : kind_(kind)
    , serial_(serial)
    , journal_(std::move(journal))
{
    switch (kind) {
    case Kind::InterfaceKit:
        outputs_.resize(kKitOutputs);
        break;
    case Kind::Led64:
        leds_.resize(kLedCount);
        break;
    case Kind::TextLed:
        lines_.resize(kTextLedLines);
        break;
    case Kind::TextLcd:
        lines_.resize(kTextLcdLines);
        break;
    case Kind::Servo1:
        motors_.resize(1);
        break;
    case Kind::Servo4:
        motors_.resize(kServo4Motors);
        break;
    }
    // Room for the longest line a cockpit writes, so that writes reuse it.
    for (QString &line : lines_)
        line.reserve(32);
}

QString VirtualBoard::deviceType() const
{
    return QLatin1String(info(kind_).typeName);
}

float VirtualBoard::version() const
{
    return info(kind_).version;
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
    requireKind(kind_ == Kind::InterfaceKit);
    requireAttached();
    return int(outputs_.size());
}

void VirtualBoard::setOutputState(int index, bool on)
{
    requireKind(kind_ == Kind::InterfaceKit);
    requireAttached();
    checkIndex(index, outputs_.size());
    outputs_[index] = on;
    journal(QLatin1String("OutputState"), index, on);
}

int VirtualBoard::ledCount() const
{
    requireKind(kind_ == Kind::Led64);
    requireAttached();
    return int(leds_.size());
}

void VirtualBoard::setDiscreteLED(int index, std::int32_t brightness)
{
    requireKind(kind_ == Kind::Led64);
    requireAttached();
    checkIndex(index, leds_.size());
    checkRange(brightness, 0, kLedBrightnessMax);
    leds_[index] = brightness;
    journal(QLatin1String("DiscreteLED"), index, brightness);
}

void VirtualBoard::setBrightness(std::int32_t brightness)
{
    requireKind(kind_ == Kind::TextLed || kind_ == Kind::TextLcd);
    requireAttached();
    checkRange(brightness, 0, kind_ == Kind::TextLcd ? kTextLcdBrightnessMax : kTextLedBrightnessMax);
    brightness_ = brightness;
    journal(QLatin1String("Brightness"), std::nullopt, brightness);
}

void VirtualBoard::setBacklight(bool on)
{
    requireKind(kind_ == Kind::TextLcd);
    requireAttached();
    backlight_ = on;
    journal(QLatin1String("Backlight"), std::nullopt, on);
}

void VirtualBoard::setCursorOn(bool on)
{
    requireKind(kind_ == Kind::TextLcd);
    requireAttached();
    cursorOn_ = on;
    journal(QLatin1String("CursorOn"), std::nullopt, on);
}

int VirtualBoard::rowCount() const
{
    requireKind(kind_ == Kind::TextLed || kind_ == Kind::TextLcd);
    requireAttached();
    return int(lines_.size());
}

void VirtualBoard::setDisplayString(int line, QStringView text)
{
    requireKind(kind_ == Kind::TextLed || kind_ == Kind::TextLcd);
    requireAttached();
    checkIndex(line, lines_.size());
    QString &stored = lines_[line];
    stored.resize(0); // keeps its room: no allocation once warm
    stored.append(text.data(), text.size());
    journal(QLatin1String("DisplayString"), line, text);
}

int VirtualBoard::numMotors() const
{
    requireKind(kind_ == Kind::Servo1 || kind_ == Kind::Servo4);
    requireAttached();
    return int(motors_.size());
}

void VirtualBoard::setMotorPosition(int index, double position)
{
    requireKind(kind_ == Kind::Servo1 || kind_ == Kind::Servo4);
    requireAttached();
    checkIndex(index, motors_.size());
    checkRange(position, kServoPositionMin, kServoPositionMax);
    motors_[index] = position;
    journal(QLatin1String("MotorPosition"), index, position);
}

} // namespace tavrel
