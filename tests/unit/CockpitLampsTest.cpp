// The lamps and text boards through the cockpit: each table reaches its own board and
// grid in a cycle, and the lamp test and shutdown light and darken every board.
#include "cockpit/Cockpit.h"
#include "core/Convert.h"
#include "epic/VirtualEpicCard.h"
#include "support/JournalBoards.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QTest>

using namespace tavrel;
using namespace Qt::StringLiterals;
using Kind = BoardKind;

namespace {

// One entry per lamp and text board, each on its own board so the journal shows which
// table reached which slot.
constexpr char kConfig[] = "[PLED64-1]\r\n3,Nose gear,0,0\r\n"
                           "[PLED64-2]\r\n1,Lamp word 1,2,1\r\n"
                           "[P01616-1]\r\n2,HSI word,1,4\r\n"
                           "[P01616-2]\r\n5,Lamp word 2,4,2\r\n"
                           "[PTLED-1]\r\n0,Fuel flow,FUELFLOW,0\r\n"
                           "[PTLED-2]\r\n1,TACAN,UFCTCHAN,0\r\n"
                           "[PTLCD-1]\r\n1,Fault list,PFD,\r\n"
                           "[PTLCD-2]\r\n0,Countermeasures,cmds,\r\n"
                           "[GAUGES]\r\n0,Engine,RPM,0\r\n1,Speed,KIAS,0\r\n[P4SERVO-2]\r\n2,x,y,2\r\n"
                           "[EPICAnalogs]\r\n4,Nozzle,NOZPOS,0\r\n";

class CockpitLamps : public testing::Test
{
protected:
    CockpitLamps()
    {
        script->properties.insert(u"Ostrely"_s, true); // every other read fails: the record stays as set
        platform.writeFile(u"Tavrel.cfg"_s, QByteArray(kConfig).replace("Nose gear", "Gear - Nose Gear Down (Bit)"));
        cockpit.startUp();
        cockpit.pollingTimer().stop();
        cockpit.roster().setManager(nullptr); // no default boards attaching into the slots below
        auto &s = cockpit.roster().slots();
        s.pViperLED_1 = boards.add(Kind::Led64, 11);
        s.pViperLED_2 = boards.add(Kind::Led64, 12);
        s.pViper01616_1 = boards.add(Kind::InterfaceKit, 21);
        s.pViper01616_2 = boards.add(Kind::InterfaceKit, 22);
        s.pViperTextLED_1 = boards.add(Kind::TextLed, 31);
        s.pViperTextLED_2 = boards.add(Kind::TextLed, 32);
        s.pViperTextLCD_1 = boards.add(Kind::TextLcd, 41);
        s.pViperTextLCD_2 = boards.add(Kind::TextLcd, 42);
    }

    // Journal lines counted by board, member and value (the index left out).
    QMap<QString, int> tally()
    {
        QMap<QString, int> counts;
        for (const QString &line : boards.take()) {
            const QStringList f = line.split(u'\t');
            ++counts[f[0] + u' ' + f[1] + u' ' + f[3]];
        }
        return counts;
    }

    std::shared_ptr<test::ServerScript> script = std::make_shared<test::ServerScript>();
    test::TestPlatform platform;
    Cockpit cockpit{platform, test::scriptedFactory(script)};
    test::JournalBoards boards;
};

} // namespace

TEST_F(CockpitLamps, ACycleDrivesEachTableOnItsOwnBoardAndGrid)
{
    FlightData &d = cockpit.flightData();
    d.NoseGearPos = 1.0f, d.LightBits = 2, d.HSIBits = 1, d.LightBits2 = 4;
    d.FuelFlow = 2450.6f, d.UFCTChan = 109, d.ChaffCount = 5, d.FlareCount = 12;
    convert::setFixedText(d.PFLLines, u"  ENG  A/I"_s.leftJustified(26) + u"  FUEL LOW"_s);
    convert::setFixedText(d.DEDLines, u" CNI"_s);
    cockpit.controls().sldGlimra[SldBrightness].setValue(40);

    cockpit.UpdateCycle();
    EXPECT_EQ(boards.take().join(u'|').replace(u'\t', u' '),
              u"11 DiscreteLED 3 40|12 DiscreteLED 1 40|21 OutputState 2 1|22 OutputState 5 1|"
              u"31 DisplayString 0   2451|32 DisplayString 1  109|41 DisplayString 0 ENG  A/I|41 DisplayString 1 |"
              u"42 DisplayString 0             CHAFF:05|42 DisplayString 1             FLARE:12"_s);
    auto &g = cockpit.controls().grdTavrel;
    QStringList shown; // start-up built each grid from its own section; the cycle marks and fills them
    for (std::size_t grid : {0, 1, 2, 5, 3, 11, 6, 12, 7, 10}) { // lamps show "*" in column 2, texts in 3
        const int column = grid == 7 || grid == 10 ? 0 : grid <= 2 || grid == 5 ? 2 : 3;
        shown << g[grid].text(1, 1) + u'=' + g[grid].text(1, column);
    }
    EXPECT_EQ(shown.join(u','), u"Gear - Nose Gear Down (Bit)=*,Lamp word 1=*,HSI word=*,Lamp word 2=*,"
                                u"Fuel flow=  2451,TACAN= 109,Fault list=ENG  A/I,Countermeasures=            CHAFF:05,"
                                u"Engine=0,Nozzle=4"_s);
    EXPECT_EQ(g[7].text(2, 6), u"2"_s) << "the gauge table with the second servo board's motor";
    EXPECT_EQ(cockpit.controls().lblGlimra[0].caption() + cockpit.controls().lblGlimra[2].caption(),
              u"CNI\r\r\r\r\r ENG  A/I\r  FUEL LOW\r\r\r\r"_s);

    // Screen updates off: the boards follow, the window stays as it was.
    cockpit.controls().chkGlimra[0].setValue(1);
    d.NoseGearPos = 0.0f, d.FuelFlow = 100.0f;
    convert::setFixedText(d.DEDLines, u"OTHER"_s);
    cockpit.UpdateCycle();
    const QStringList second = boards.take();
    EXPECT_TRUE(second.contains(u"11\tDiscreteLED\t3\t0"_s) && second.contains(u"31\tDisplayString\t0\t   100"_s));
    EXPECT_EQ(g[0].text(1, 2) + g[3].text(1, 3) + cockpit.controls().lblGlimra[0].caption(), u"*  2451CNI\r\r\r\r\r"_s);
}

TEST_F(CockpitLamps, LampTestLightsEverythingClearsItAndShutdownDarkensTheDisplaysToo)
{
    auto &c = cockpit.controls();
    c.sldGlimra[SldBrightness].setValue(40);
    c.chkGlimra[1].setValue(1);
    QMap<QString, int> lit{{u"21 OutputState 1"_s, 16}, {u"22 OutputState 1"_s, 16}, {u"11 DiscreteLED 40"_s, 64},
                           {u"12 DiscreteLED 40"_s, 64}, {u"41 DisplayString TextLCD-1 1"_s, 1},
                           {u"41 DisplayString TextLCD-1 2"_s, 1},
                           {u"42 DisplayString TextLCD-2 1"_s, 1}, {u"42 DisplayString TextLCD-2 2"_s, 1},
                           {u"31 DisplayString 1234"_s, 1}, {u"32 DisplayString 1234"_s, 1}};
    EXPECT_EQ(tally(), lit);

    c.chkGlimra[1].setValue(0);
    QMap<QString, int> dark{{u"21 OutputState 0"_s, 16}, {u"22 OutputState 0"_s, 16}, {u"11 DiscreteLED 0"_s, 64},
                            {u"12 DiscreteLED 0"_s, 64}, {u"41 DisplayString "_s, 2}, {u"42 DisplayString "_s, 2},
                            {u"31 DisplayString "_s, 1}, {u"32 DisplayString "_s, 1}};
    EXPECT_EQ(tally(), dark) << "backlights and text LED brightness untouched";

    EXPECT_THROW(cockpit.shutdown(), test::ProcessEnded);
    dark[u"41 Backlight 0"_s] = dark[u"42 Backlight 0"_s] = dark[u"31 Brightness 0"_s] = dark[u"32 Brightness 0"_s] = 1;
    EXPECT_EQ(tally(), dark);
}

// At run time the lamps keep following the flight while "Epic Not Detected" is open (its
// event loop is a yield), and "Open Epic" clicked in a cycle's yield runs once that cycle
// is over; so does a click on "All Lamps On": nothing writes after it.
TEST_F(CockpitLamps, ABoxLetsCyclesRunAndAClickInACycleWaitsForItsEnd)
{
    auto &c = cockpit.controls();
    cockpit.setEpicLibrary(std::make_unique<VirtualEpicCard>(false));
    cockpit.flightData().NoseGearPos = 1.0f;
    bool boxInsideACycle = true;
    int boxes = 0;
    bool writesWhileOpen = false;
    platform.onMessageBox = [&] {
        ++boxes;
        boxInsideACycle = cockpit.isCycleRunning();
        boards.take();
        writesWhileOpen = QTest::qWaitFor([&] { return !boards.take().isEmpty(); }, 10000);
    };
    c.sldGlimra[SldPollingRate].setValue(10);
    cockpit.pollingTimer().start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boards.take().isEmpty(); }, 10000)) << "cycles run";

    cockpit.btnOpenEpic_Click();
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(writesWhileOpen);

    QObject::connect(&c.grdTavrel[0], &Grid::cellChanged, &cockpit, [&] { cockpit.btnOpenEpic_Click(); },
                     Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    cockpit.flightData().NoseGearPos = 0.0f; // the next cycle's first lamp pass changes grid 0
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes == 2; }, 10000));
    EXPECT_FALSE(boxInsideACycle);
    EXPECT_TRUE(writesWhileOpen) << "the box opened after a cycle holds the polling timer";

    QObject::connect(&c.grdTavrel[0], &Grid::cellChanged, &c.chkGlimra[1], [&c] { c.chkGlimra[1].setValue(1); },
                     Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    cockpit.flightData().NoseGearPos = 1.0f;
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.chkGlimra[1].value() == 1; }, 10000));
    QTest::qWait(20); // more ticks, each skipped
    EXPECT_EQ(boards.take().last(), u"32\tDisplayString\t0\t1234"_s) << "the lamp test was written over";
}
