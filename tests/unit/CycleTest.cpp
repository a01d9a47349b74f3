// The polling tick and the update cycle through the cockpit: the cycle's steps in their
// order, the tick's gate and re-entrancy guard, and what a cycle sets on its way.
#include "support/CockpitHarness.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <utility>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

// Every step of a cycle in its order: the on-screen texts run while screen updates are on,
// the EPIC transfer while the card is open or forced on; their yields run always.
const QStringList kCycle =
    u"BuildTextLedContent 3,BuildTextLedContent 11,BuildTextLcdContent 6,BuildTextLcdContent 12,UpdateGaugeValues,"
    u"yield,DriveDiscreteOutputs 0,DriveDiscreteOutputs 1,DriveDiscreteOutputs 2,DriveDiscreteOutputs 5,"
    u"WriteTextLed 3,WriteTextLed 11,WriteTextLcd 6,WriteTextLcd 12,ShowTextDisplay 0,yield,ShowTextDisplay 2,yield,"
    u"DriveGaugeServos,SendEpicData,DriveGForceServo"_s.split(u',');

class CycleTest : public ::testing::Test
{
protected:
    CycleTest()
    {
        h.script->properties.insert(u"Ostrely"_s, true);
        h.script->properties.insert(u"SpeedBrake"_s, 0.0);
        h.startUp(); // no source chosen: the data server
        outputs.steps.clear();
        h.script->calls.clear();
    }

    test::CockpitHarness h;
    test::RecordingOutputs &outputs = h.useOutputs();
};

} // namespace

TEST_F(CycleTest, StepsRunInTheirOrder)
{
    // screen updates, EPIC forced on, EPIC open
    const std::tuple<bool, bool, bool> rows[] = {
        {true, false, false}, {false, false, false}, {true, true, false}, {false, false, true}};
    for (const auto &[screen, epicAnyway, epicOpen] : rows) {
        h.controls().chkGlimra[0].setValue(screen ? 0 : 1);
        h.controls().chkGlimra[2].setValue(epicAnyway ? 1 : 0);
        h.flags().EpicOpen = epicOpen;
        outputs.steps.clear();
        h.cockpit.UpdateCycle();
        QStringList expected = kCycle;
        if (!screen)
            expected.removeIf([](const QString &step) { return step.startsWith(u"ShowTextDisplay"_s); });
        if (!epicAnyway && !epicOpen)
            expected.removeAll(u"SendEpicData"_s);
        EXPECT_EQ(outputs.steps, expected) << "screen " << screen << " epic " << epicAnyway << epicOpen;
    }
}

TEST_F(CycleTest, AFailingStepIsPassedOver)
{
    outputs.failing = u"DriveDiscreteOutputs"_s;
    h.flags().EpicOpen = true;
    h.cockpit.UpdateCycle();
    EXPECT_EQ(outputs.steps, kCycle);
}

// The status bar's tooltip: the board library (none here) and the last record's time.
TEST_F(CycleTest, TheStatusTipNamesTheLibraryAndTheLastRecord)
{
    h.cockpit.UpdateCycle();
    const QString tip = h.controls().sbStatusBar.toolTip();
    EXPECT_TRUE(tip.contains(u"Board library: none\nLast record: "_s)) << tip.toStdString();
    EXPECT_FALSE(tip.contains(u"none yet"_s)) << tip.toStdString();
}

TEST_F(CycleTest, TheSpeedBrakeIsOpenAboveZero)
{
    for (auto [brake, open] : {std::pair{0.5, true}, {0.0, false}, {-0.1, false}, {1e-6, true}}) {
        h.script->properties.insert(u"SpeedBrake"_s, brake);
        h.cockpit.UpdateCycle();
        EXPECT_EQ(h.flags().SpeedBrakeOpen, open) << brake;
    }
}

// The tick runs a cycle only while active and not in the lamp test.
TEST_F(CycleTest, TheTickRunsACycleOnlyWhileActiveAndNoLampTest)
{
    for (const auto &[simActive, lampTest, runs] : {std::tuple{false, 0, false}, {true, 1, false}, {true, 0, true}}) {
        h.flags().SimActive = simActive;
        h.controls().chkGlimra[1].setValue(lampTest);
        h.script->calls.clear();
        h.cockpit.tmrGlimra_Timer();
        EXPECT_EQ(h.script->calls.contains(u"FillFlightData"_s), runs) << simActive << lampTest;
    }
}

// Ticks that fall due in a cycle's yields start nothing; the next tick runs again.
TEST_F(CycleTest, NoCycleNestsInAnother)
{
    h.flags().SimActive = true;
    int ticksDuringYields = 0;
    outputs.duringYield = [&] { ++ticksDuringYields, h.cockpit.tmrGlimra_Timer(); };
    h.cockpit.tmrGlimra_Timer();
    ASSERT_EQ(ticksDuringYields, 3);
    EXPECT_EQ(outputs.steps.count(u"DriveGForceServo"_s), 1);
    outputs.duringYield = nullptr;
    h.cockpit.tmrGlimra_Timer();
    EXPECT_EQ(outputs.steps.count(u"DriveGForceServo"_s), 2);
}

// A box at run time is one more yield: a tick in its loop runs a cycle, unless the box
// was opened inside one.
TEST_F(CycleTest, ATickInABoxRunsACycleUnlessTheBoxIsInsideOne)
{
    h.flags().SimActive = true;
    h.platform.onMessageBox = [&] { h.cockpit.tmrGlimra_Timer(); };
    for (const bool insideACycle : {false, true}) {
        outputs.steps.clear();
        const auto box = [&] { h.cockpit.messageBox(u"Tavrel"_s, u"Epic Not Detected"_s); };
        if (insideACycle) {
            outputs.duringYield = [&] { outputs.duringYield = nullptr, box(); };
            h.cockpit.UpdateCycle();
        } else {
            box();
        }
        EXPECT_EQ(outputs.steps.count(u"DriveGForceServo"_s), 1) << "inside a cycle " << insideACycle;
    }
}

// The operator's clicks in a cycle's yield run once that cycle is over, from the event
// loop: nothing the cycle writes afterwards covers them.
TEST_F(CycleTest, AClickInACycleRunsAfterIt)
{
    const std::pair<std::function<void()>, QString> clicks[] = {
        {[&] { h.cockpit.btnOpenEpic_Click(); }, u"ConnectEpic"_s},
        {[&] { h.controls().chkGlimra[1].setValue(1); }, u"LampTest 1"_s}};
    for (const auto &[click, step] : clicks) {
        outputs.steps.clear();
        outputs.duringYield = [&] { outputs.duringYield = nullptr, click(); };
        h.cockpit.UpdateCycle();
        EXPECT_FALSE(outputs.steps.contains(step)) << step.toStdString();
        QCoreApplication::processEvents();
        EXPECT_EQ(outputs.steps.last(), step);
    }
}

// Gear test ticks that fall due while a long cycle or box holds them come to one press.
TEST_F(CycleTest, HeldGearTestTicksDoNotPileUp)
{
    outputs.duringYield = [&] {
        outputs.duringYield = nullptr;
        for (int tick = 0; tick < 12; ++tick)
            h.cockpit.Timer1_Timer();
    };
    h.cockpit.UpdateCycle();
    QCoreApplication::processEvents(); // held work runs from the event loop after the cycle
    EXPECT_EQ(h.platform.events.count(u"beep"_s), 1);
}

// The real yields let in what is pending: an event posted before the cycle (as the board
// library posts its events from its own thread) has run when the cycle returns.
TEST(CycleYields, AnEventPendingWhenTheCycleStartsRunsInsideIt)
{
    test::CockpitHarness h;
    h.script->properties.insert(u"Ostrely"_s, true);
    h.startUp();
    h.useOutputs<test::HookedOutputs>();
    QObject receiver;
    bool ran = false;
    QMetaObject::invokeMethod(
        &receiver, [&ran] { ran = true; }, Qt::QueuedConnection);
    h.cockpit.UpdateCycle();
    EXPECT_TRUE(ran);
}
