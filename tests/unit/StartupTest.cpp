// Start-up and shutdown through the cockpit: what start-up does before what, how it meets
// the configuration file and its switches, and shutdown's steps in their order.
#include "phidget/VirtualPhidgets.h"
#include "support/CockpitHarness.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

const QString kUpgrade = u"box Upgrade Complete|Glimra.cfg File Has Been Copied to Tavrel.cfg for Use with "
                         u"Tavrel.  All Future Configuration Must Be Done In Tavrel.cfg"_s;

// A cockpit whose start-up writes everything it does, in order, into the platform's events:
// its boxes and end, the device routines and yields, the data server made, and the
// switches' controls the configuration sets.
struct Journalled
{
    explicit Journalled(const QByteArray &config) : h(config)
    {
        h.script->properties.insert(u"Ostrely"_s, false);
        outputs.journal = &h.platform.events;
        auto &c = h.controls();
        QStringList &journal = h.platform.events;
        for (std::size_t i : {0, 2})
            QObject::connect(&c.chkGlimra[i], &CheckBox::click,
                             [&journal, &c, i] { journal << u"check %1 = %2"_s.arg(i).arg(c.chkGlimra[i].value()); });
        for (std::size_t i : {0, 1}) {
            QObject::connect(&c.optConnectType[i], &OptionButton::click,
                             [&journal, i] { journal << u"option %1"_s.arg(i); });
            QObject::connect(&c.fldGlimra[i], &Control::changed,
                             [&journal, &c, i] { journal << u"field %1 = %2"_s.arg(i).arg(c.fldGlimra[i].text()); });
        }
    }
    qsizetype at(const QString &step) const { return h.platform.events.indexOf(step); }

    test::CockpitHarness h;
    test::RecordingOutputs &outputs = h.useOutputs();
};

} // namespace

// The board manager comes first, so that boards may report from the first yield on; the
// file's switches are set before the device list; the data source is chosen last.
TEST(StartupTest, TheFileIsReadAfterTheManagerAndTheSourceChosenAfterTheTables)
{
    Journalled s("[TCPIP-PORT]\r\n8091\r\n[NOSCREENUPDATE]\r\ntrue\r\n");
    ASSERT_FALSE(s.h.startUp());
    EXPECT_LT(s.at(u"CreatePhidgetManager"_s), s.at(u"field 1 = 8091"_s));
    EXPECT_LT(s.at(u"check 0 = 1"_s), s.at(u"SetupDeviceList"_s));
    EXPECT_LT(s.at(u"SetupDeviceList"_s), s.at(u"BuildDeviceGrid 0"_s));
    EXPECT_LT(s.at(u"BuildButtonTables"_s), s.at(u"create Ostrel.clsFlightData"_s));
    EXPECT_EQ(s.h.platform.events.last(), u"option 1"_s) << "no source chosen: the data server";
}

// Every device table once, in pairs, with a yield after the LED-64 tables, the interface
// kits and the button tables: board events let in there find the tables before built.
TEST(StartupTest, EachDeviceTableIsBuiltOnceWithYieldsBetween)
{
    Journalled s({});
    ASSERT_FALSE(s.h.startUp());
    for (const int grid : {0, 1, 2, 3, 5, 6, 7, 10, 11, 12})
        EXPECT_EQ(s.h.platform.events.count(u"BuildDeviceGrid %1"_s.arg(grid)), 1) << grid;
    EXPECT_LT(s.at(u"BuildDeviceGrid 1"_s), s.at(u"yield"_s));
    EXPECT_LT(s.at(u"yield"_s), s.at(u"BuildDeviceGrid 2"_s));
    EXPECT_EQ(s.h.platform.events.count(u"yield"_s), 3);
    EXPECT_LT(s.at(u"BuildButtonTables"_s), s.h.platform.events.lastIndexOf(u"yield"_s));
}

TEST(StartupTest, TheWindowsTextsAreSet)
{
    Journalled s({});
    s.h.controls().lblGlimra[15].setCaption(u"design text"_s);
    ASSERT_FALSE(s.h.startUp());
    EXPECT_EQ(s.h.controls().frmTavrel.caption(), u"Tavrel Version 0.80"_s);
    EXPECT_EQ(s.h.controls().lblGlimra[15].caption(), QString());
    EXPECT_EQ(s.h.controls().lblTimerValue.caption(), u"100"_s);
}

TEST(StartupTest, TheFileIsReadAsWindows1252)
{
    test::CockpitHarness h("[PLED64-1]\r\n2,Caf\xE9 \x80,16,1\r\n");
    h.noBoards();
    ASSERT_FALSE(h.startUp());
    EXPECT_EQ(h.cockpit.table(DeviceSection::PLED64_1).value(0)[1], u"Caf\u00E9 \u20AC"_s);
}

// Each step in its order, a failing one passed over, the data server closed last.
TEST(StartupTest, ShutdownRunsItsStepsInOrder)
{
    Journalled s({});
    ASSERT_FALSE(s.h.startUp());
    s.h.platform.events.clear();
    s.h.script->calls.clear();
    s.h.flags().EpicOpen = true;
    s.outputs.failing = u"ReleaseBoards"_s;
    EXPECT_TRUE(s.h.shutdown());
    EXPECT_EQ(s.h.platform.events, u"LampTest 0 displays,ReleaseBoards,DisconnectEpic,end"_s.split(u','));
    EXPECT_FALSE(s.h.pollingTimer().isActive());
    EXPECT_FALSE(s.h.livenessTimer().isActive());
    EXPECT_EQ(s.h.script->calls, QStringList{u"Close"_s});
    EXPECT_EQ(s.h.dataServer(), nullptr);
}

// How start-up meets the configuration file ("-" none, "dir" a folder of that name) and
// an old Glimra.cfg: whether it ends, its boxes, the data server made, the shutdown run.
TEST(StartupTest, ConfigurationFileCases)
{
    const QString format = u"box Tavrel|Your Tavrel.cfg file may be improperly formatted.  The first line must "
                           u"indicate a parameter enclosed in square brackets.  Eg: [paramname]\rValid Parameters "
                           u"are:  PLED64-1, PLED64-2, P01616-1, P01616-2, PTLED-1, PTLED-2 PTLCD-1, PTLCD-2, GAUGES, "
                           u"EPICAnalogs, P4SERVO-1, P4SERVO-2\rPlease Correct the file and rerun Tavrel"_s;
    const std::tuple<QByteArray, QByteArray, bool, QStringList, bool, bool> cases[] = {
        {"[COMPREF]\r\nDCOM\r\n", "-", false, {}, true, false},
        {"-", "[COMPREF]\r\nDCOM\r\n", false, {kUpgrade}, true, false},
        {"[GAUGES]\r\n", "[COMPREF]\r\nDCOM\r\n", false, {}, true, false}, // Glimra.cfg left alone
        {"-", "-", true, {u"box Missing Config|Tavrel.cfg File Is Missing - Program will Terminate"_s}, false, false},
        {"COMPREF\r\nDCOM\r\n", "-", true, {format}, false, false},
        {"[GAUGES]\r\n0,a,b," + QByteArray(32767, 'x') + "\r\n",
         "-",
         true,
         {u"box Tavrel|Your Tavrel.cfg file is longer than 32767 characters, the most Tavrel can read.\r"
          u"Please shorten the file and rerun Tavrel"_s},
         false,
         false},
        {"dir",
         "[GAUGES]\r\n",
         true,
         {u"box Tavrel Error|Permission denied: Tavrel.cfg\rGenerated by: Form_Load\rSource: Tavrel(70)"_s},
         false,
         true},
    };
    for (const auto &[tavrelCfg, glimraCfg, ends, boxes, created, shutdown] : cases) {
        SCOPED_TRACE(tavrelCfg.left(20).toStdString() + " / " + glimraCfg.left(20).toStdString());
        Journalled s(tavrelCfg);
        test::TestPlatform &platform = s.h.platform;
        if (tavrelCfg == "dir" || tavrelCfg == "-")
            platform.removeFile(u"Tavrel.cfg"_s);
        if (tavrelCfg == "dir")
            QDir(platform.dir.path()).mkdir(u"Tavrel.cfg"_s);
        if (glimraCfg != "-")
            platform.writeFile(u"Glimra.cfg"_s, glimraCfg);
        // Each box runs an event loop of its own: boards that report and ticks at 1 ms
        // (the data server active) must wait for start-up.
        s.h.script->properties.insert(u"Ostrely"_s, true);
        s.h.controls().sldGlimra[SldPollingRate].setValue(1);
        s.h.setManager(
            std::make_unique<VirtualPhidgetManager>(defaultVirtualBoards(), platform.dir.filePath(u"journal"_s)));
        platform.onMessageBox = [&] {
            QTest::qWait(100);
            EXPECT_EQ(platform.readFile(u"journal"_s), QByteArray()) << "a board call";
            EXPECT_FALSE(s.h.script->calls.contains(u"FillFlightData"_s)) << "a cycle";
        };
        EXPECT_EQ(s.h.startUp(), ends);
        EXPECT_EQ(platform.boxes(), boxes);
        EXPECT_EQ(platform.events.contains(u"create Ostrel.clsFlightData"_s), created);
        EXPECT_EQ(platform.events.contains(u"LampTest 0 displays"_s), shutdown);
        EXPECT_EQ(platform.events.contains(u"SetupDeviceList"_s), !ends) << "the tables are built only on the way on";
        const QByteArray none;
        EXPECT_EQ(platform.readFile(u"Tavrel.cfg"_s), tavrelCfg == "-" && glimraCfg != "-"     ? glimraCfg
                                                      : tavrelCfg == "-" || tavrelCfg == "dir" ? none
                                                                                               : tavrelCfg);
        EXPECT_EQ(platform.hasFile(u"Tavrel.cfg"_s), tavrelCfg != "-" || glimraCfg != "-") << "never made from nothing";
        EXPECT_EQ(platform.readFile(u"Glimra.cfg"_s), glimraCfg == "-" ? none : glimraCfg) << "it stays as it was";
    }
}

// Each switch, as the file states it, through its control and the control's handler: the
// option chosen, both check boxes and their flags, the relay address and port.
TEST(StartupTest, SwitchesSetTheirControls)
{
    const struct
    {
        QByteArray file;
        int option; // 0 "TCP/IP", 1 "DCOM"
        int noScreenUpdate, epicAnyway;
        QString address, port;
    } rows[] = {
        {"[COMPREF]\r\nDCOM\r\n", 1, 0, 0, {}, {}},
        {"[COMPREF]\r\ndcom\r\n", 0, 0, 0, {}, {}},
        {"[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n1\r\n[COMPREF]\r\nTCP\r\n", 0, 0, 0, u"127.0.0.1"_s, u"1"_s},
        {"[NOSCREENUPDATE]\r\ntrue\r\n[UPDATEEPICANYWAY]\r\nTrUe\r\n", 1, 1, 1, {}, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file.toStdString());
        test::CockpitHarness h(row.file);
        h.noBoards();
        ASSERT_FALSE(h.startUp());
        const auto &c = h.controls();
        EXPECT_EQ(c.optConnectType[std::size_t(row.option)].value(), 1);
        EXPECT_EQ(c.optConnectType[std::size_t(1 - row.option)].value(), 0);
        EXPECT_EQ(h.dataServer() != nullptr, row.option == 1);
        EXPECT_EQ(c.chkGlimra[0].value(), row.noScreenUpdate);
        EXPECT_EQ(h.flags().ScreenUpdate, row.noScreenUpdate == 0);
        EXPECT_EQ(c.chkGlimra[2].value(), row.epicAnyway);
        EXPECT_EQ(h.flags().UpdateEpicAnyway, row.epicAnyway == 1);
        EXPECT_EQ(c.fldGlimra[0].text(), row.address);
        EXPECT_EQ(c.fldGlimra[1].text(), row.port);
    }
}
