#pragma once

#include "cockpit/CockpitOutputs.h"
#include "core/Error.h"

#include <QStringList>

#include <functional>

namespace tavrel::test {

// Output routines that write down what ran, in order ("DriveDiscreteOutputs 0", "yield"),
// and can be told to fail or to let a due tick in while they yield.
class RecordingOutputs : public CockpitOutputs
{
public:
    using CockpitOutputs::CockpitOutputs;

    QStringList steps;
    QStringList *journal = &steps;     // where the steps are written down
    QString failing;                   // a routine that raises
    std::function<void()> duringYield; // runs inside each yield

    void yieldToEvents() override
    {
        note(u"yield");
        if (duringYield)
            duringYield();
    }
    void BuildTextLedContent(int grid) override { note(u"BuildTextLedContent", grid); }
    void BuildTextLcdContent(int grid) override { note(u"BuildTextLcdContent", grid); }
    void UpdateGaugeValues() override { note(u"UpdateGaugeValues"); }
    void DriveDiscreteOutputs(int grid) override { note(u"DriveDiscreteOutputs", grid); }
    void WriteTextLed(int grid) override { note(u"WriteTextLed", grid); }
    void WriteTextLcd(int grid) override { note(u"WriteTextLcd", grid); }
    void ShowTextDisplay(int label) override { note(u"ShowTextDisplay", label); }
    void DriveGaugeServos() override { note(u"DriveGaugeServos"); }
    void SendEpicData() override { note(u"SendEpicData"); }
    void DriveGForceServo() override { note(u"DriveGForceServo"); }
    void LampTest(bool on, bool displays) override { note(displays ? u"LampTest %1 displays" : u"LampTest %1", on); }
    void CreatePhidgetManager() override { note(u"CreatePhidgetManager"); }
    void SetupDeviceList() override { note(u"SetupDeviceList"); }
    void BuildDeviceGrid(int grid) override { note(u"BuildDeviceGrid", grid); }
    void BuildButtonTables() override { note(u"BuildButtonTables"); }
    void ReleaseBoards() override { note(u"ReleaseBoards"); }
    void ConnectEpic() override { note(u"ConnectEpic"); }
    void DisconnectEpic() override { note(u"DisconnectEpic"); }

private:
    void note(QStringView routine, int index = -1)
    {
        const QString name = routine.toString();
        *journal << (name.contains(u'%') ? name.arg(index) : index < 0 ? name : name + u' ' + QString::number(index));
        if (name.section(u' ', 0, 0) == failing)
            throw Error(Error::ObjectNotSet, QStringLiteral("board gone"));
    }
};

// The real output routines, with `hook` run at each yield until it says it is done.
class HookedOutputs : public CockpitOutputs
{
public:
    using CockpitOutputs::CockpitOutputs;
    std::function<bool()> hook;

    void yieldToEvents() override
    {
        CockpitOutputs::yieldToEvents();
        if (hook && hook())
            hook = nullptr;
    }
};

} // namespace tavrel::test
