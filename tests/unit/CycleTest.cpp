// The polling tick and the update cycle through the cockpit: the fixed order of the
// cycle's steps, the tick's gate and re-entrancy guard, and the controls' handlers.
#include "cockpit/Cockpit.h"
#include "support/RecordingOutputs.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <utility>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

class CycleTest : public ::testing::Test
{
protected:
    CycleTest()
    {
        script->properties.insert(u"Ostrely"_s, true);
        script->properties.insert(u"SpeedBrake"_s, 0.0);
        auto recorder = std::make_unique<test::RecordingOutputs>(cockpit.outputState());
        outputs = recorder.get();
        cockpit.setOutputs(std::move(recorder));
        cockpit.startUp(); // no source chosen: the data server
        outputs->steps.clear();
        script->calls.clear();
    }

    std::shared_ptr<test::ServerScript> script = std::make_shared<test::ServerScript>();
    test::TestPlatform platform;
    Cockpit cockpit{platform, test::scriptedFactory(script)};
    test::RecordingOutputs *outputs = nullptr;
};

} // namespace

TEST_F(CycleTest, StepsRunInTheirFixedOrderAndTheTickGuardsTheCycle)
{
    for (const auto &[screen, epicAnyway, epicOpen, failing] : {std::tuple{true, false, false, ""},
                                                               {false, false, false, ""},
                                                               {true, true, false, "DriveDiscreteOutputs"},
                                                               {false, false, true, ""}}) {
        cockpit.controls().chkGlimra[0].setValue(screen ? 0 : 1);
        cockpit.controls().chkGlimra[2].setValue(epicAnyway ? 1 : 0);
        cockpit.flags().EpicOpen = epicOpen;
        outputs->failing = QString::fromLatin1(failing); // a failing routine is passed over
        outputs->steps.clear();
        script->calls.clear();
        cockpit.UpdateCycle();

        QString steps = u"BuildTextLedContent 3,BuildTextLedContent 11,BuildTextLcdContent 6,BuildTextLcdContent 12,"
                        u"UpdateGaugeValues,yield,DriveDiscreteOutputs 0,DriveDiscreteOutputs 1,DriveDiscreteOutputs 2,"
                        u"DriveDiscreteOutputs 5,WriteTextLed 3,WriteTextLed 11,WriteTextLcd 6,WriteTextLcd 12,"_s;
        steps += screen ? u"ShowTextDisplay 0,yield,ShowTextDisplay 2,yield,"_s : u"yield,yield,"_s;
        steps += epicAnyway || epicOpen ? u"DriveGaugeServos,SendEpicData,DriveGForceServo"_s
                                        : u"DriveGaugeServos,DriveGForceServo"_s;
        EXPECT_EQ(outputs->steps.join(u','), steps) << "screen " << screen << " epic " << epicAnyway << epicOpen;
        EXPECT_EQ(script->calls.value(0), u"FillFlightData"_s) << "the snapshot comes before any property";
    }
    // The status bar's tooltip: the board library (none here) and the last record's time.
    EXPECT_TRUE(cockpit.controls().sbStatusBar.toolTip().contains(u"Board library: none\nLast record: "_s));
    EXPECT_FALSE(cockpit.controls().sbStatusBar.toolTip().contains(u"none yet"_s));
    for (auto [brake, open] : {std::pair{0.5, true}, {0.0, false}, {-0.1, false}, {1e-6, true}}) {
        script->properties.insert(u"SpeedBrake"_s, brake);
        cockpit.UpdateCycle();
        EXPECT_EQ(cockpit.flags().SpeedBrakeOpen, open) << brake;
    }
    // The tick runs a cycle only while active and not in the lamp test, and never nested.
    for (const auto &[simActive, lampTest, runs] : {std::tuple{false, 0, false}, {true, 1, false}, {true, 0, true}}) {
        cockpit.flags().SimActive = simActive;
        cockpit.controls().chkGlimra[1].setValue(lampTest);
        script->calls.clear();
        cockpit.tmrGlimra_Timer();
        EXPECT_EQ(script->calls.contains(u"FillFlightData"_s), runs) << simActive << lampTest;
    }
    int ticksDuringYields = 0;
    outputs->duringYield = [&] { ++ticksDuringYields, cockpit.tmrGlimra_Timer(); };
    outputs->steps.clear();
    cockpit.tmrGlimra_Timer();
    EXPECT_EQ(ticksDuringYields, 3);
    EXPECT_EQ(outputs->steps.count(u"DriveGForceServo"_s), 1) << "no cycle nested in another";
    outputs->duringYield = nullptr;
    cockpit.tmrGlimra_Timer();
    EXPECT_EQ(outputs->steps.count(u"DriveGForceServo"_s), 2) << "the next tick runs again";
}

// A box opened inside a cycle keeps that cycle under way: ticks in its loop start nothing.
TEST_F(CycleTest, ABoxInsideACycleNestsNoCycle)
{
    bool boxOpened = false;
    outputs->duringYield = [&] {
        if (!std::exchange(boxOpened, true))
            cockpit.messageBox(u"Ostrel Mon Error"_s, u"Overflow"_s);
    };
    platform.onMessageBox = [&] { cockpit.tmrGlimra_Timer(); };
    cockpit.flags().SimActive = true;
    cockpit.tmrGlimra_Timer();
    EXPECT_EQ(outputs->steps.count(u"DriveGForceServo"_s), 1);
}

// Gear test ticks that fall due while a long cycle or box holds them come to one press.
TEST_F(CycleTest, HeldGearTestTicksDoNotPileUp)
{
    outputs->duringYield = [&] {
        outputs->duringYield = nullptr;
        for (int tick = 0; tick < 12; ++tick)
            cockpit.Timer1_Timer();
    };
    cockpit.UpdateCycle();
    QCoreApplication::processEvents(); // held work runs from the event loop after the cycle
    EXPECT_EQ(platform.events.count(u"beep"_s), 1);
}
