#include "cockpit/Cockpit.h"
#include "support/RecordingOutputs.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

using test::ServerScript;

using test::RecordingOutputs;

class CycleTest : public ::testing::Test
{
protected:
    CycleTest()
    {
        script->properties.insert(QStringLiteral("Ostrely"), true);
        script->properties.insert(QStringLiteral("SpeedBrake"), 0.0);
        auto recorder = std::make_unique<RecordingOutputs>(cockpit);
        outputs = recorder.get();
        cockpit.setOutputs(std::move(recorder));
        cockpit.startUp(); // no source chosen: the data server
        outputs->steps.clear();
        script->calls.clear();
    }

    std::shared_ptr<ServerScript> script = std::make_shared<ServerScript>();
    test::TestPlatform platform;
    Cockpit cockpit{platform, test::scriptedFactory(script)};
    RecordingOutputs *outputs = nullptr;
};

QStringList cycleSteps(bool screen, bool epic)
{
    QStringList s = {u"BuildTextLedContent 3"_s, u"BuildTextLedContent 11"_s, u"BuildTextLcdContent 6"_s,
                     u"BuildTextLcdContent 12"_s, u"UpdateGaugeValues"_s, u"yield"_s,
                     u"DriveDiscreteOutputs 0"_s, u"DriveDiscreteOutputs 1"_s, u"DriveDiscreteOutputs 2"_s,
                     u"DriveDiscreteOutputs 5"_s, u"WriteTextLed 3"_s, u"WriteTextLed 11"_s,
                     u"WriteTextLcd 6"_s, u"WriteTextLcd 12"_s};
    if (screen)
        s << u"ShowTextDisplay 0"_s;
    s << u"yield"_s;
    if (screen)
        s << u"ShowTextDisplay 2"_s;
    s << u"yield"_s << u"DriveGaugeServos"_s;
    if (epic)
        s << u"SendEpicData"_s;
    s << u"DriveGForceServo"_s;
    return s;
}

TEST_F(CycleTest, StepsRunInTheirFixedOrderForEveryCombinationOfScreenAndEpic)
{
    struct Case { bool screen; bool epicAnyway; bool epicOpen; };
    for (const Case c : {Case{true, false, false}, Case{false, false, false}, Case{true, true, false},
                         Case{false, false, true}}) {
        cockpit.controls().chkGlimra[0].setValue(c.screen ? 0 : 1);
        cockpit.controls().chkGlimra[2].setValue(c.epicAnyway ? 1 : 0);
        cockpit.flags().EpicOpen = c.epicOpen;
        outputs->steps.clear();
        script->calls.clear();

        cockpit.UpdateCycle();

        EXPECT_EQ(outputs->steps, cycleSteps(c.screen, c.epicAnyway || c.epicOpen))
            << "screen " << c.screen << " epic " << c.epicAnyway << c.epicOpen;
        ASSERT_FALSE(script->calls.isEmpty());
        EXPECT_EQ(script->calls.first(), u"FillFlightData"_s) << "the snapshot comes before any property";
    }
}

TEST_F(CycleTest, AFailingRoutineIsSkippedAndTheCycleGoesOn)
{
    outputs->failing = QStringLiteral("DriveDiscreteOutputs");
    cockpit.UpdateCycle();
    EXPECT_EQ(outputs->steps, cycleSteps(true, false));
}

TEST_F(CycleTest, SpeedBrakeOpenFollowsTheRecordEachCycle)
{
    for (auto [brake, open] : {std::pair{0.5, true}, std::pair{0.0, false}, std::pair{-0.1, false},
                               std::pair{1e-6, true}}) {
        script->properties.insert(QStringLiteral("SpeedBrake"), brake);
        cockpit.UpdateCycle();
        EXPECT_EQ(cockpit.flags().SpeedBrakeOpen, open) << brake;
    }
}

TEST_F(CycleTest, TheTickRunsACycleOnlyWhileActiveAndNotInTheLampTest)
{
    struct Case { bool simActive; int lampTest; bool runs; };
    for (const Case c : {Case{false, 0, false}, Case{true, 1, false}, Case{false, 1, false}, Case{true, 0, true}}) {
        cockpit.flags().SimActive = c.simActive;
        cockpit.controls().chkGlimra[1].setValue(c.lampTest);
        outputs->steps.clear();
        script->calls.clear();

        cockpit.tmrGlimra_Timer();

        EXPECT_EQ(outputs->steps.contains(u"DriveGForceServo"_s), c.runs) << c.simActive << c.lampTest;
        EXPECT_EQ(script->calls.contains(u"FillFlightData"_s), c.runs) << "nothing is asked of the source";
    }
}

TEST_F(CycleTest, ATickDueInsideAYieldOfARunningCycleIsSkipped)
{
    cockpit.flags().SimActive = true;
    int ticksDuringYields = 0;
    outputs->duringYield = [&] {
        ++ticksDuringYields;
        cockpit.tmrGlimra_Timer();
    };

    cockpit.tmrGlimra_Timer();

    EXPECT_EQ(ticksDuringYields, 3);
    EXPECT_EQ(outputs->steps.count(u"DriveGForceServo"_s), 1) << "no cycle nested in another";
    EXPECT_EQ(script->calls.count(u"FillFlightData"_s), 1);
    EXPECT_FALSE(cockpit.isCycleRunning());

    outputs->duringYield = nullptr;
    cockpit.tmrGlimra_Timer();
    EXPECT_EQ(outputs->steps.count(u"DriveGForceServo"_s), 2) << "the next tick runs again";
}

TEST_F(CycleTest, RelayModeWithoutAConnectionShowsNoConnectionEvenWithScreenUpdatesOff)
{
    cockpit.controls().optConnectType[0].select(); // no address: the connect fails
    for (int screenOff : {0, 1}) {
        cockpit.controls().chkGlimra[0].setValue(screenOff);
        outputs->steps.clear();
        cockpit.UpdateCycle();
        EXPECT_EQ(cockpit.controls().lblTCPIPMsg.caption(), u"No Connection"_s);
        EXPECT_EQ(outputs->steps.count(u"DriveDiscreteOutputs 0"_s), 1) << "the outputs run from the last record";
    }
}

TEST_F(CycleTest, ThePollingSliderSetsTheIntervalAndItsLabelTheBrightnessSliderDoesNot)
{
    auto &c = cockpit.controls();
    struct Case { int slider; int value; int interval; const char16_t *label; };
    for (const Case k : {Case{1, 1, 1, u"1"}, Case{1, 250, 250, u"250"}, Case{0, 37, 250, u"250"},
                         Case{1, 100, 100, u"100"}}) {
        c.sldGlimra[static_cast<std::size_t>(k.slider)].setValue(k.value);
        EXPECT_EQ(cockpit.pollingTimer().interval(), k.interval);
        EXPECT_EQ(c.lblTimerValue.caption(), QString::fromUtf16(k.label));
    }
    EXPECT_THROW(c.sldGlimra[1].setValue(0), Error) << "outside the slider's range";
    EXPECT_EQ(cockpit.pollingTimer().interval(), 100);
    EXPECT_EQ(cockpit.pollingTimer().timerType(), Qt::PreciseTimer);
}

TEST_F(CycleTest, OptionBoxesSetTheirFlagsAndTheLampTest)
{
    auto &c = cockpit.controls();
    c.lblTCPIPMsg.setCaption(QStringLiteral("Sending"));
    c.chkGlimra[0].setValue(1);
    EXPECT_FALSE(cockpit.flags().ScreenUpdate);
    EXPECT_EQ(c.lblTCPIPMsg.caption(), QString()) << "the message line is cleared";
    c.chkGlimra[0].setValue(0);
    EXPECT_TRUE(cockpit.flags().ScreenUpdate);

    c.chkGlimra[2].setValue(1);
    EXPECT_TRUE(cockpit.flags().UpdateEpicAnyway);
    c.chkGlimra[2].setValue(0);
    EXPECT_FALSE(cockpit.flags().UpdateEpicAnyway);

    c.chkGlimra[1].setValue(1);
    c.chkGlimra[1].setValue(0);
    EXPECT_EQ(outputs->steps, (QStringList{u"LampTest 1"_s, u"LampTest 0"_s}));
}

} // namespace
} // namespace tavrel
