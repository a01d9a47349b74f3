// The gear test: two buttons press the simulator's gear key combinations, and a test
// timer alternates them every five seconds.
#include "cockpit/Cockpit.h"

namespace tavrel {

namespace {
constexpr int kGearTestMs = 5000;
}

void Cockpit::setUpGearTest()
{
    auto &c = controls_;
    c.Command1.setCaption(QStringLiteral("Gear Up"));
    c.Command2.setCaption(QStringLiteral("Gear Down"));
    c.Check1.setCaption(QStringLiteral("Timer Enabled"));
    connect(&c.Command1, &CommandButton::click, this, &Cockpit::Command1_Click);
    connect(&c.Command2, &CommandButton::click, this, &Cockpit::Command2_Click);
    connect(&c.Check1, &CheckBox::click, this, &Cockpit::Check1_Click);
    Timer1_.setInterval(kGearTestMs);
    connect(&Timer1_, &QTimer::timeout, this, &Cockpit::Timer1_Timer);
}

// The buttons and the timer's ticks are operator work: inside a cycle they wait for its end.
void Cockpit::Command1_Click()
{
    operatorWork(Operator::GearUp);
}

void Cockpit::Command2_Click()
{
    operatorWork(Operator::GearDown);
}

void Cockpit::Timer1_Timer()
{
    operatorWork(Operator::GearTestTick);
}

// Gear up: left Alt, left Shift, right Control and B, all down, then all up.
void Cockpit::pressGearUp()
{
    F4Lib_.PressKeys(56, 42, 157, 48);
}

// Gear down: J alone.
void Cockpit::pressGearDown()
{
    F4Lib_.PressKeys(36);
}

void Cockpit::Check1_Click()
{
    setTimerEnabled(Timer1_, controls_.Check1.value() == 1);
}

void Cockpit::gearTestTick()
{
    GearTestToggle_ = !GearTestToggle_;
    platform_.beep();
    if (GearTestToggle_)
        pressGearDown();
    else
        pressGearUp();
}

} // namespace tavrel
