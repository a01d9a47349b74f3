#pragma once

#include "phidget/BoardKind.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace tavrel {

class PhidgetJournal;

// A board of the built-in virtual library. It keeps what is written to it and enforces
// the real board's limits: an index past the board's outputs, LEDs, lines or motors, a
// brightness or a position outside its range, or any call other than the common members
// while the board is pulled fails as the vendor's library fails. Every successful write
// goes to the journal, when there is one.
class VirtualBoard final : public PhidgetBoard
{
public:
    VirtualBoard(BoardKind kind, std::int32_t serial, std::shared_ptr<PhidgetJournal> journal = {});

    BoardKind kind() const { return kind_; }
    bool isAttached() const { return attached_; }
    void setAttached(bool attached) { attached_ = attached; }

    QString deviceType() const override;
    std::int32_t serialNumber() const override { return serial_; }
    float version() const override;

    int numOutputs() const override;
    void setOutputState(int index, bool on) override;
    int ledCount() const override;
    void setDiscreteLED(int index, std::int32_t brightness) override;
    void setBrightness(std::int32_t brightness) override;
    void setBacklight(bool on) override;
    void setCursorOn(bool on) override;
    int rowCount() const override;
    void setDisplayString(int line, QStringView text) override;
    int numMotors() const override;
    void setMotorPosition(int index, double position) override;

    // What the board holds now: output i on, LED i's brightness, a line's text (as written;
    // the board shows as many characters as its line has), a motor's position.
    bool outputState(int index) const { return outputs_.value(index); }
    std::int32_t discreteLED(int index) const { return leds_.value(index); }
    std::int32_t brightness() const { return brightness_; }
    bool backlight() const { return backlight_; }
    bool cursorOn() const { return cursorOn_; }
    QString displayString(int line) const { return lines_.value(line); }
    double motorPosition(int index) const { return motors_.value(index); }

private:
    void requireAttached() const;
    void requireKind(bool ok) const;
    template <typename T>
    void journal(QLatin1String member, std::optional<int> index, T value);

    BoardKind kind_;
    std::int32_t serial_;
    std::shared_ptr<PhidgetJournal> journal_;
    bool attached_ = true;
    QList<bool> outputs_;
    QList<std::int32_t> leds_;
    std::int32_t brightness_ = 0;
    bool backlight_ = false;
    bool cursorOn_ = false;
    QList<QString> lines_;
    QList<double> motors_;
};

} // namespace tavrel
