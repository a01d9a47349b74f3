#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>

namespace tavrel {

// One board as the Phidget library hands it out: the members the cockpit reaches by name.
// A board offers only the members of its kind; any other member fails as a late-bound
// call to a missing member does. Every call can fail (board pulled, index or value out of
// the board's range) and then raises the project's Error, which leaves the board as it was.
class PhidgetBoard
{
public:
    virtual ~PhidgetBoard() = default;

    // Members every board has: the library's type name ("PhidgetLED", "PhidgetServo", ...),
    // the serial number and the version.
    virtual QString deviceType() const = 0;
    virtual std::int32_t serialNumber() const = 0;
    virtual float version() const = 0;

    // Interface kit: its digital outputs.
    virtual int numOutputs() const;
    virtual void setOutputState(int index, bool on);
    // LED-64: its LEDs, each with a brightness.
    virtual int ledCount() const;
    virtual void setDiscreteLED(int index, std::int32_t brightness);
    // Text LED and text LCD boards; rowCount() is the number of lines.
    virtual int rowCount() const;
    virtual void setBrightness(std::int32_t brightness);
    virtual void setBacklight(bool on);
    virtual void setCursorOn(bool on);
    virtual void setDisplayString(int line, QStringView text);
    // Servo controllers: their motors, each with a position.
    virtual int numMotors() const;
    virtual void setMotorPosition(int index, double position);

protected:
    // Raises the failure of a call to a member the board does not have.
    [[noreturn]] static void memberNotFound();

    PhidgetBoard() = default;
    PhidgetBoard(const PhidgetBoard &) = default;
    PhidgetBoard &operator=(const PhidgetBoard &) = default;
};

using Board = std::shared_ptr<PhidgetBoard>;

// The twelve board slots the outputs read: an empty slot means no such board. The first
// board of a kind fills slot 1, every later one slot 2; pulling a board never empties a
// slot, so a slot may hold a board that is no longer attached (its calls then fail).
struct BoardSlots
{
    Board pViper01616_1, pViper01616_2;     // interface kits 0/16/16
    Board pViperLED_1, pViperLED_2;         // LED-64
    Board pViperTextLED_1, pViperTextLED_2; // text LED
    Board pViperTextLCD_1, pViperTextLCD_2; // text LCD
    Board pViperServo_1, pViperServo_2;     // servo controllers with one motor
    Board pViper4Servo_1, pViper4Servo_2;   // servo controllers with more motors
};

// A board's serial number as the operator writes it (the board list, the hot-plug file,
// [BOARDS]): decimal digits only, 1 to 2147483647.
std::optional<std::int32_t> readSerialNumber(QStringView text);

} // namespace tavrel
