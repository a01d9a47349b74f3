#include "core/Error.h"
#include "phidget/PhidgetJournal.h"
#include "phidget/VirtualBoard.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <functional>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using Kind = VirtualBoard::Kind;

struct CallCase
{
    const char *name;
    Kind kind;
    std::function<void(VirtualBoard &)> call;
    bool succeeds;
};

// Every member at and just past the real boards' limits, and members a kind lacks.
class VirtualBoardLimits : public testing::TestWithParam<CallCase> {};

TEST_P(VirtualBoardLimits, FailsExactlyWhereTheRealBoardDoes)
{
    const CallCase &c = GetParam();
    VirtualBoard board(c.kind, 1);
    bool failed = false;
    try {
        c.call(board);
    } catch (const Error &) {
        failed = true;
    }
    EXPECT_EQ(!failed, c.succeeds);
}

const CallCase kCalls[] = {
    {"KitLastOutput", Kind::InterfaceKit, [](VirtualBoard &b) { b.setOutputState(15, true); }, true},
    {"KitPastOutputs", Kind::InterfaceKit, [](VirtualBoard &b) { b.setOutputState(16, true); }, false},
    {"KitNegativeOutput", Kind::InterfaceKit, [](VirtualBoard &b) { b.setOutputState(-1, true); }, false},
    {"KitHasNoLeds", Kind::InterfaceKit, [](VirtualBoard &b) { b.setDiscreteLED(0, 1); }, false},
    {"LedLastAtFull", Kind::Led64, [](VirtualBoard &b) { b.setDiscreteLED(63, 100); }, true},
    {"LedPastCount", Kind::Led64, [](VirtualBoard &b) { b.setDiscreteLED(64, 0); }, false},
    {"LedTooBright", Kind::Led64, [](VirtualBoard &b) { b.setDiscreteLED(0, 101); }, false},
    {"LedNegativeBrightness", Kind::Led64, [](VirtualBoard &b) { b.setDiscreteLED(0, -1); }, false},
    {"LedHasNoOutputs", Kind::Led64, [](VirtualBoard &b) { b.setOutputState(0, true); }, false},
    {"LcdSecondLine", Kind::TextLcd, [](VirtualBoard &b) { b.setDisplayString(1, u"x"); }, true},
    {"LcdThirdLine", Kind::TextLcd, [](VirtualBoard &b) { b.setDisplayString(2, u""); }, false},
    {"LcdBrightness255", Kind::TextLcd, [](VirtualBoard &b) { b.setBrightness(255); }, true},
    {"LcdBrightness256", Kind::TextLcd, [](VirtualBoard &b) { b.setBrightness(256); }, false},
    {"LcdBacklight", Kind::TextLcd, [](VirtualBoard &b) { b.setBacklight(true); }, true},
    {"LedDisplayFourthLine", Kind::TextLed, [](VirtualBoard &b) { b.setDisplayString(3, u"1234"); }, true},
    {"LedDisplayFifthLine", Kind::TextLed, [](VirtualBoard &b) { b.setDisplayString(4, u"1234"); }, false},
    {"LedDisplayBrightness101", Kind::TextLed, [](VirtualBoard &b) { b.setBrightness(101); }, false},
    {"LedDisplayHasNoBacklight", Kind::TextLed, [](VirtualBoard &b) { b.setBacklight(true); }, false},
    {"ServoAtBothEnds", Kind::Servo1,
     [](VirtualBoard &b) {
         b.setMotorPosition(0, VirtualBoard::kServoPositionMin);
         b.setMotorPosition(0, VirtualBoard::kServoPositionMax);
     },
     true},
    {"ServoPastMax", Kind::Servo1, [](VirtualBoard &b) { b.setMotorPosition(0, 233.0); }, false},
    {"ServoSecondMotorOfOne", Kind::Servo1, [](VirtualBoard &b) { b.setMotorPosition(1, 0.0); }, false},
    {"FourServoFourthMotor", Kind::Servo4, [](VirtualBoard &b) { b.setMotorPosition(3, 90.0); }, true},
    {"ServoNaN", Kind::Servo4, [](VirtualBoard &b) { b.setMotorPosition(0, std::nan("")); }, false},
    {"PulledBoardRefusesWrites",
     Kind::Led64,
     [](VirtualBoard &b) {
         b.setAttached(false);
         b.setDiscreteLED(0, 0);
     },
     false},
    {"PulledBoardStillNamesItself",
     Kind::Led64,
     [](VirtualBoard &b) {
         b.setAttached(false);
         (void)b.serialNumber();
         (void)b.deviceType();
         (void)b.version();
     },
     true},
};

INSTANTIATE_TEST_SUITE_P(All, VirtualBoardLimits, testing::ValuesIn(kCalls),
                         [](const testing::TestParamInfo<CallCase> &info) { return std::string(info.param.name); });

TEST(VirtualBoard, FailedWriteLeavesTheBoardAsItWas)
{
    VirtualBoard board(Kind::Led64, 1);
    board.setDiscreteLED(5, 40);
    EXPECT_THROW(board.setDiscreteLED(5, 140), Error);
    EXPECT_EQ(board.discreteLED(5), 40);
}

TEST(VirtualBoard, ReportsTheRealTypeNames)
{
    EXPECT_EQ(VirtualBoard(Kind::Servo4, 1).deviceType(), u"PhidgetServo"_s);
    EXPECT_EQ(VirtualBoard(Kind::Servo4, 1).numMotors(), 4);
    EXPECT_EQ(VirtualBoard(Kind::Servo1, 1).numMotors(), 1);
    EXPECT_EQ(VirtualBoard(Kind::InterfaceKit, 1).numOutputs(), 16);
    EXPECT_EQ(VirtualBoard::kindFromText(u"PhidgetServo/4"), Kind::Servo4);
    EXPECT_EQ(VirtualBoard::kindFromText(u"PhidgetServo"), std::nullopt);
    EXPECT_EQ(VirtualBoard::kindFromText(u"phidgetled"), std::nullopt);
}

TEST(VirtualBoard, JournalsEverySuccessfulWriteInFourColumns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"journal.tsv"_s);
    auto journal = std::make_shared<PhidgetJournal>(path);
    VirtualBoard led(Kind::Led64, 1001, journal);
    VirtualBoard lcd(Kind::TextLcd, 3001, journal);
    VirtualBoard servo(Kind::Servo4, 5001, journal);

    led.setDiscreteLED(2, 100);
    EXPECT_THROW(led.setDiscreteLED(64, 100), Error); // a failed write leaves no line
    lcd.setBacklight(true);
    lcd.setCursorOn(false);
    lcd.setDisplayString(0, u"a\\b\tc\rd\ne");
    servo.setMotorPosition(3, 12.5);
    servo.setMotorPosition(0, -0.0);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              u"1001\tDiscreteLED\t2\t100\n"
              u"3001\tBacklight\t\t1\n"
              u"3001\tCursorOn\t\t0\n"
              u"3001\tDisplayString\t0\ta\\\\b\\tc\\rd\\ne\n"
              u"5001\tMotorPosition\t3\t12.5\n"
              u"5001\tMotorPosition\t0\t0\n"_s);
}

} // namespace
} // namespace tavrel
