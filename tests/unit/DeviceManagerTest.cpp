// The cockpit's board events: binding by attach order, the attach counters, the start
// settings each board gets, and the "Devices" list with its colours.
#include "cockpit/Cockpit.h"
#include "core/Error.h"
#include "phidget/PhidgetJournal.h"
#include "phidget/VirtualBoard.h"
#include "phidget/VirtualPhidgets.h"
#include "support/QtPrinters.h"
#include "support/RecordingOutputs.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <functional>
#include <map>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using Kind = VirtualBoard::Kind;

// A board the cockpit does not know, or a virtual board that refuses one member (and,
// for members with an index, only that index).
class OddBoard : public PhidgetBoard
{
public:
    OddBoard(QString type, std::int32_t serial, std::shared_ptr<VirtualBoard> inner = {}, QString refused = {},
             int refusedIndex = -1)
        : type_(std::move(type)), serial_(serial), inner_(std::move(inner)), refused_(std::move(refused)),
          refusedIndex_(refusedIndex)
    {
    }
    QString deviceType() const override { return inner_ ? inner_->deviceType() : type_; }
    std::int32_t serialNumber() const override { return serial_; }
    float version() const override { return refuse(u"version"), inner_ ? inner_->version() : 1.5f; }
    int numOutputs() const override { return refuse(u"NumOutputs"), inner_->numOutputs(); }
    void setOutputState(int i, bool on) override { refuse(u"OutputState", i), inner_->setOutputState(i, on); }
    void setBrightness(std::int32_t v) override { refuse(u"Brightness"), inner_->setBrightness(v); }
    void setBacklight(bool on) override { refuse(u"Backlight"), inner_->setBacklight(on); }
    void setCursorOn(bool on) override { refuse(u"CursorOn"), inner_->setCursorOn(on); }
    void setDisplayString(int l, QStringView t) override { refuse(u"DisplayString", l), inner_->setDisplayString(l, t); }
    int numMotors() const override { return refuse(u"NumMotors"), inner_->numMotors(); }
    void setMotorPosition(int i, double p) override { refuse(u"MotorPosition", i), inner_->setMotorPosition(i, p); }

private:
    void refuse(QStringView member, int index = -1) const
    {
        if (member == refused_ && (refusedIndex_ < 0 || index == refusedIndex_))
            throw Error(5, u"Phidget not physically attached"_s, u"Phidget"_s);
    }
    QString type_;
    std::int32_t serial_;
    std::shared_ptr<VirtualBoard> inner_;
    QString refused_;
    int refusedIndex_;
};

class DeviceManagerTest : public testing::Test
{
protected:
    DeviceManagerTest()
    {
        auto recorder = std::make_unique<test::RecordingOutputs>(cockpit);
        recorder->journal = &platform.events;
        cockpit.setOutputs(std::move(recorder));
        grids::setupDeviceList(list());
        for (Frame &frame : cockpit.controls().fraGlimra)
            frame.setEnabled(false);
        journal = std::make_shared<PhidgetJournal>(platform.dir.filePath(u"boards.journal"_s));
    }

    Grid &list() { return cockpit.controls().grdTavrel[4]; }
    Board attach(Kind kind, std::int32_t serial)
    {
        auto board = std::make_shared<VirtualBoard>(kind, serial, journal);
        cockpit.PhidgetManager_OnAttach(board);
        return board;
    }
    QStringList rows()
    {
        QStringList out;
        for (int r = 1; r < list().rows(); ++r)
            out << QStringList{list().text(r, 0), list().text(r, 1), list().text(r, 2), list().text(r, 3)}.join(u'|');
        return out;
    }
    // The colour of each row's name cell, by its serial column, and the row's tooltip with
    // its time of day as "T".
    QStringList colours()
    {
        static const QRegularExpression time(u"\\b\\d\\d:\\d\\d:\\d\\d\\b"_s);
        QStringList out;
        for (int r = 1; r < list().rows(); ++r) {
            const quint32 c = list().cellBackColor(r, 1);
            const QString name = c == Grid::kGreen ? u"green"_s : c == Grid::kRed ? u"red"_s
                               : c == Grid::kYellow ? u"yellow"_s : QString::number(c);
            out << list().text(r, 3) + u'=' + name + u' ' + QString(list().rowToolTip(r)).replace(time, u"T"_s);
        }
        return out;
    }
    QStringList journalLines() const
    {
        QFile file(platform.dir.filePath(u"boards.journal"_s));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

    test::TestPlatform platform;
    Cockpit cockpit{platform};
    std::shared_ptr<PhidgetJournal> journal;
};

// A step attaches a board of a kind (an empty kind: a board type the cockpit does not
// know) or pulls the board of a serial number.
struct Step
{
    std::optional<Kind> kind;
    std::int32_t serial;
    bool pull = false;
};

struct AttachCase
{
    const char *name;
    std::vector<Step> steps;
    QStringList slots;  // "slot=serial#step" for the non-empty slots
    QStringList rows;   // "number|name|version|serial"
    std::array<int, 6> counts;
    QList<int> frames;  // frames enabled
    bool servo = false, multiServo = false;
};

class AttachRules : public DeviceManagerTest, public testing::WithParamInterface<AttachCase> {};

TEST_P(AttachRules, BindCountAndList)
{
    const AttachCase &c = GetParam();
    std::map<const PhidgetBoard *, int> stepOf;
    std::array<int, 6> before{};
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const Step &s = c.steps[i];
        if (s.pull) {
            cockpit.PhidgetManager_OnDetach(std::make_shared<OddBoard>(QString(), s.serial));
        } else if (s.kind) {
            stepOf[attach(*s.kind, s.serial).get()] = int(i + 1);
        } else {
            auto odd = std::make_shared<OddBoard>(u"PhidgetWeatherStation"_s, s.serial);
            cockpit.PhidgetManager_OnAttach(odd);
            stepOf[odd.get()] = int(i + 1);
        }
        for (std::size_t k = 0; k < before.size(); ++k)
            EXPECT_GE(cockpit.attachCounts()[k], before[k]) << "counter " << k << " went down";
        before = cockpit.attachCounts();
    }

    const BoardSlots &b = cockpit.boards();
    const std::pair<const char *, const Board *> named[] = {
        {"pViper01616_1", &b.pViper01616_1}, {"pViper01616_2", &b.pViper01616_2}, {"pViperLED_1", &b.pViperLED_1},
        {"pViperLED_2", &b.pViperLED_2}, {"pViperTextLED_1", &b.pViperTextLED_1}, {"pViperTextLED_2", &b.pViperTextLED_2},
        {"pViperTextLCD_1", &b.pViperTextLCD_1}, {"pViperTextLCD_2", &b.pViperTextLCD_2},
        {"pViperServo_1", &b.pViperServo_1}, {"pViperServo_2", &b.pViperServo_2},
        {"pViper4Servo_1", &b.pViper4Servo_1}, {"pViper4Servo_2", &b.pViper4Servo_2}};
    QStringList slots;
    for (const auto &[slotName, slot] : named)
        if (*slot)
            slots << u"%1=%2#%3"_s.arg(QLatin1String(slotName)).arg((*slot)->serialNumber()).arg(stepOf[slot->get()]);
    EXPECT_EQ(slots, c.slots);
    EXPECT_EQ(rows(), c.rows);
    EXPECT_EQ(cockpit.attachCounts(), c.counts);
    QList<int> frames;
    for (int i = 0; i < 21; ++i)
        if (cockpit.controls().fraGlimra[std::size_t(i)].isEnabled())
            frames << i;
    EXPECT_EQ(frames, c.frames);
    EXPECT_EQ(cockpit.flags().ServoPresent, c.servo);
    EXPECT_EQ(cockpit.flags().MultiServoPresent, c.multiServo);
    // Every attach ends with one yield; a pull only beeps.
    const qsizetype attaches = std::count_if(c.steps.begin(), c.steps.end(), [](const Step &s) { return !s.pull; });
    EXPECT_EQ(platform.events.count(u"yield"_s), attaches);
}

const AttachCase kAttachCases[] = {
    {"InterfaceKit", {{Kind::InterfaceKit, 2001}}, {u"pViper01616_1=2001#1"_s},
     {u"1|PhidgetInterfaceKit|601|2001"_s}, {1, 0, 0, 0, 0, 0}, {2, 3}},
    {"TextLcd", {{Kind::TextLcd, 3001}}, {u"pViperTextLCD_1=3001#1"_s}, {u"1|PhidgetTextLCD|123|3001"_s},
     {0, 1, 0, 0, 0, 0}, {4}},
    {"TextLed", {{Kind::TextLed, 4001}}, {u"pViperTextLED_1=4001#1"_s}, {u"1|PhidgetTextLED|113|4001"_s},
     {0, 0, 1, 0, 0, 0}, {5}},
    {"OneMotorServo", {{Kind::Servo1, 5001}}, {u"pViperServo_1=5001#1"_s}, {u"1|PhidgetServo(1)|313|5001"_s},
     {0, 0, 0, 1, 0, 0}, {6}, true, false},
    {"FourMotorServo", {{Kind::Servo4, 6001}}, {u"pViper4Servo_1=6001#1"_s}, {u"1|PhidgetServo(4)|313|6001"_s},
     {0, 0, 0, 0, 0, 1}, {}, false, true},
    {"Led64", {{Kind::Led64, 1001}}, {u"pViperLED_1=1001#1"_s}, {u"1|PhidgetLED|100|1001"_s}, {0, 0, 0, 0, 1, 0}, {3}},
    {"UnknownType", {{std::nullopt, 77}}, {}, {u"0|PhidgetWeatherStation|1.5|77"_s}, {0, 0, 0, 0, 0, 0}, {}},
    {"ReattachLandsInSlot2",
     {{Kind::Led64, 1001}, {std::nullopt, 1001, true}, {Kind::Led64, 1001}},
     {u"pViperLED_1=1001#1"_s, u"pViperLED_2=1001#3"_s},
     {u"1|PhidgetLED|100|1001"_s},
     {0, 0, 0, 0, 2, 0}, {3}},
    {"ThirdBoardDisplacesSecond",
     {{Kind::Servo4, 6001}, {Kind::Servo4, 6002}, {Kind::Servo4, 6003}},
     {u"pViper4Servo_1=6001#1"_s, u"pViper4Servo_2=6003#3"_s},
     {u"1|PhidgetServo(4)|313|6001"_s, u"2|PhidgetServo(4)|313|6002"_s, u"3|PhidgetServo(4)|313|6003"_s},
     {0, 0, 0, 0, 0, 3}, {}, false, true},
    {"KindsCountApart",
     {{Kind::Servo1, 5001}, {Kind::Servo4, 6001}, {Kind::Servo1, 5002}},
     {u"pViperServo_1=5001#1"_s, u"pViperServo_2=5002#3"_s, u"pViper4Servo_1=6001#2"_s},
     {u"1|PhidgetServo(1)|313|5001"_s, u"1|PhidgetServo(4)|313|6001"_s, u"2|PhidgetServo(1)|313|5002"_s},
     {0, 0, 0, 2, 0, 1}, {6}, true, true},
};

INSTANTIATE_TEST_SUITE_P(Boards, AttachRules, testing::ValuesIn(kAttachCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DeviceManagerTest, PulledAndFailingBoardsColourTheirRowWithOneBeep)
{
    attach(Kind::Led64, 1001);
    attach(Kind::InterfaceKit, 2001);
    cockpit.AddDeviceRow(1, u"EPIC USB"_s, QString(), QString());
    platform.events.clear();

    const struct
    {
        const char *what;
        std::function<void()> event;
        QStringList colours;
        qsizetype beeps;
    } steps[] = {
        {"pulled", [&] { cockpit.PhidgetManager_OnDetach(std::make_shared<OddBoard>(QString(), 1001)); },
         {u"1001=red Detached at T"_s, u"2001=green Attached at T"_s, u"=green Attached at T"_s}, 1},
        {"failing", [&] { cockpit.PhidgetManager_OnError(std::make_shared<OddBoard>(QString(), 2001), u"Lost"_s, 9); },
         {u"1001=red Detached at T"_s, u"2001=yellow Error at T"_s, u"=green Attached at T"_s}, 1},
        {"never listed", [&] { cockpit.PhidgetManager_OnDetach(std::make_shared<OddBoard>(QString(), 3001)); },
         {u"1001=red Detached at T"_s, u"2001=yellow Error at T"_s, u"=green Attached at T"_s}, 0},
        {"serial 0 against the EPIC row", [&] { cockpit.PhidgetManager_OnError(std::make_shared<OddBoard>(QString(), 0), u"x"_s, 1); },
         {u"1001=red Detached at T"_s, u"2001=yellow Error at T"_s, u"=green Attached at T"_s}, 0},
        {"plugged in again", [&] { attach(Kind::Led64, 1001); },
         {u"1001=green Attached at T"_s, u"2001=yellow Error at T"_s, u"=green Attached at T"_s}, 0},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.what);
        platform.events.clear();
        s.event();
        EXPECT_EQ(colours(), s.colours);
        EXPECT_EQ(platform.events.count(u"beep"_s), s.beeps);
    }
    EXPECT_EQ(rows().size(), 3) << "no row is ever added twice";
}

// The start settings as the boards receive them, in attach order, with the brightness
// slider's value.
TEST_F(DeviceManagerTest, StartSettingsReachTheBoards)
{
    cockpit.controls().sldGlimra[CockpitControls::kBrightness].setValue(40);
    const QString path = platform.dir.filePath(u"manager.journal"_s);
    cockpit.setPhidgetManager(std::make_unique<VirtualPhidgetManager>(
        parseVirtualBoardList(u"PhidgetLED:1001,PhidgetInterfaceKit:2001,PhidgetTextLCD:3001,PhidgetTextLED:4001,"
                              u"PhidgetServo/1:5001,PhidgetServo/4:6001"_s).boards, path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list().rows() == 7; }, 10000));

    QStringList expected;
    for (int i = 0; i < 16; ++i)
        expected << u"2001\tOutputState\t%1\t0"_s.arg(i);
    expected << u"3001\tBrightness\t\t40"_s << u"3001\tBacklight\t\t1"_s << u"3001\tCursorOn\t\t0"_s
             << u"3001\tDisplayString\t0\t"_s << u"3001\tDisplayString\t1\t"_s << u"4001\tBrightness\t\t40"_s
             << u"5001\tMotorPosition\t0\t0"_s;
    for (int i = 0; i < 4; ++i)
        expected << u"6001\tMotorPosition\t%1\t0"_s.arg(i);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    lines.removeLast(); // after the last line end
    EXPECT_EQ(lines, expected);
}

struct RefusalCase
{
    const char *name;
    Kind kind;
    const char *refused;
    int index;
    qsizetype settings; // journal lines written
    bool listed;
    const char *listedAs;
};

class RefusedSetting : public DeviceManagerTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedSetting, TheOthersStillRun)
{
    const RefusalCase &c = GetParam();
    auto inner = std::make_shared<VirtualBoard>(c.kind, 7, journal);
    auto board = std::make_shared<OddBoard>(QString(), 7, inner, QString::fromLatin1(c.refused), c.index);
    cockpit.PhidgetManager_OnAttach(board);
    EXPECT_EQ(journalLines().size(), c.settings) << journalLines().join(u'\n').toStdString();
    EXPECT_EQ(rows().size(), c.listed ? 1 : 0);
    if (c.listed) {
        EXPECT_EQ(list().text(1, 1), QLatin1String(c.listedAs));
    }
    EXPECT_EQ(platform.events.count(u"yield"_s), 1);
}

const RefusalCase kRefusals[] = {
    {"KitOneOutput", Kind::InterfaceKit, "OutputState", 3, 15, true, "PhidgetInterfaceKit"},
    {"KitOutputCount", Kind::InterfaceKit, "NumOutputs", -1, 0, true, "PhidgetInterfaceKit"},
    {"LcdBacklight", Kind::TextLcd, "Backlight", -1, 4, true, "PhidgetTextLCD"},
    {"LcdFirstLine", Kind::TextLcd, "DisplayString", 0, 4, true, "PhidgetTextLCD"},
    {"ServoMotorCount", Kind::Servo4, "NumMotors", -1, 0, true, "PhidgetServo"},
    {"ServoSecondMotor", Kind::Servo4, "MotorPosition", 1, 3, true, "PhidgetServo(4)"},
    {"LcdVersion", Kind::TextLcd, "version", -1, 5, false, ""},
};

INSTANTIATE_TEST_SUITE_P(Boards, RefusedSetting, testing::ValuesIn(kRefusals),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DeviceManagerTest, ReleasingBoardsEmptiesEverySlotAndLetsTheManagerGo)
{
    cockpit.setPhidgetManager(std::make_unique<VirtualPhidgetManager>(defaultVirtualBoards(), QString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list().rows() == 13; }, 10000));
    std::weak_ptr<PhidgetBoard> first = cockpit.boards().pViperLED_1;
    cockpit.outputs().CockpitOutputs::ReleaseBoards();
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(cockpit.phidgetManager(), nullptr);
}

// Start-up makes the manager before it reads the configuration; the boards it reports
// (here while "Upgrade Complete" runs its event loop) come in through start-up's yields
// and later ones, into the list start-up prepared.
TEST(DeviceStartUp, BoardsReportedAtStartUpLandInTheList)
{
    test::TestPlatform platform;
    platform.removeFile(u"Tavrel.cfg"_s);
    platform.writeFile(u"Glimra.cfg"_s, QByteArray());
    platform.onMessageBox = [] { QTest::qWait(100); };
    Cockpit cockpit(platform, test::scriptedFactory(std::make_shared<test::ServerScript>()));
    const QString journalPath = platform.dir.filePath(u"boards.journal"_s);
    cockpit.setPhidgetManagerFactory([&] {
        return std::make_unique<VirtualPhidgetManager>(
            QList<VirtualBoardEntry>{{Kind::TextLed, 4001}, {Kind::Led64, 1001}, {Kind::TextLed, 4002}}, journalPath);
    });
    cockpit.startUp();
    Grid &list = cockpit.controls().grdTavrel[4];
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.rows() == 4; }, 10000));
    EXPECT_EQ(list.cols(), 4);
    for (const auto &[row, serial] : {std::pair{1, u"4001"_s}, {2, u"1001"_s}, {3, u"4002"_s}})
        EXPECT_EQ(list.text(row, 3), serial);
    EXPECT_EQ(cockpit.boards().pViperTextLED_2->serialNumber(), 4002);
}

} // namespace
} // namespace tavrel
