// Start-up and shutdown through the cockpit: the fixed order of their steps, and how
// start-up meets the configuration file and its switches.
#include "cockpit/Cockpit.h"
#include "phidget/VirtualPhidgets.h"
#include "support/RecordingOutputs.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

using namespace tavrel;
using namespace Qt::StringLiterals;
using test::ProcessEnded;

namespace {

const QString kUpgrade = u"box Upgrade Complete|Glimra.cfg File Has Been Copied to Tavrel.cfg for Use with "
                         u"Tavrel.  All Future Configuration Must Be Done In Tavrel.cfg"_s;

// A cockpit whose start-up writes everything it does, in order, into one journal: the
// platform's boxes and end, the device routines and yields, the data server created, and
// the switches' controls the configuration sets.
class StartupTest : public ::testing::Test
{
protected:
    StartupTest() { makeCockpit(); }

    void makeCockpit()
    {
        journal().clear();
        script = std::make_shared<test::ServerScript>();
        script->properties.insert(u"Ostrely"_s, false);
        const auto servers = test::scriptedFactory(script);
        cockpit = std::make_unique<Cockpit>(platform, [this, servers](QStringView progId) {
            journal() << u"create "_s + progId.toString();
            return servers(progId);
        });
        auto recorder = std::make_unique<test::RecordingOutputs>(cockpit->outputState());
        outputs = recorder.get();
        outputs->journal = &platform.events;
        cockpit->setOutputs(std::move(recorder));
        auto &c = cockpit->controls();
        for (std::size_t i : {0, 2})
            QObject::connect(&c.chkGlimra[i], &CheckBox::click,
                             [this, &c, i] { journal() << u"check %1 = %2"_s.arg(i).arg(c.chkGlimra[i].value()); });
        for (std::size_t i : {0, 1}) {
            QObject::connect(&c.optConnectType[i], &OptionButton::click,
                             [this, i] { journal() << u"option %1"_s.arg(i); });
            QObject::connect(&c.fldGlimra[i], &Control::changed,
                             [this, &c, i] { journal() << u"field %1 = %2"_s.arg(i).arg(c.fldGlimra[i].text()); });
        }
        c.lblGlimra[15].setCaption(u"design text"_s);
    }

    QStringList &journal() { return platform.events; }

    // Runs start-up; true when it ended the process.
    bool startUp()
    {
        try {
            cockpit->startUp();
            return false;
        } catch (const ProcessEnded &) {
            return true;
        }
    }

    test::TestPlatform platform;
    std::shared_ptr<test::ServerScript> script;
    std::unique_ptr<Cockpit> cockpit;
    test::RecordingOutputs *outputs = nullptr;
};

} // namespace

TEST_F(StartupTest, StartUpAndShutdownRunTheirStepsInOrder)
{
    platform.writeFile(u"Tavrel.cfg"_s,
                       "[TCPIP-PORT]\r\n8091\r\n[NOSCREENUPDATE]\r\ntrue\r\n[PLED64-1]\r\n2,Caf\xE9 \x80,16,1\r\n");
    makeCockpit();
    ASSERT_FALSE(startUp());
    auto &c = cockpit->controls();
    EXPECT_EQ(journal().join(u','),
              u"CreatePhidgetManager,field 1 = 8091,check 0 = 1,SetupDeviceList,BuildDeviceGrid 0,BuildDeviceGrid 1,"
              u"yield,BuildDeviceGrid 2,BuildDeviceGrid 5,yield,BuildDeviceGrid 3,BuildDeviceGrid 11,BuildDeviceGrid 6,"
              u"BuildDeviceGrid 12,BuildDeviceGrid 7,BuildDeviceGrid 10,BuildButtonTables,yield,"
              // no source chosen: the data server (its handler greys the relay fields)
              u"field 0 = ,field 1 = 8091,create Ostrel.clsFlightData,option 1"_s);
    EXPECT_EQ(c.frmTavrel.caption() + u'|' + c.lblGlimra[15].caption() + u'|' + c.lblTimerValue.caption(),
              u"Tavrel Version 0.80||100"_s);
    EXPECT_FALSE(cockpit->flags().ScreenUpdate) << "the box NOSCREENUPDATE ticked is read after the file";
    EXPECT_EQ(cockpit->table(DeviceSection::PLED64_1).value(0)[1], u"Caf\u00E9 \u20AC"_s) << "the file is Windows-1252";

    // Shutdown: each step in order, a failing one passed over, the data server closed last.
    journal().clear();
    script->calls.clear();
    cockpit->flags().EpicOpen = true;
    outputs->failing = u"ReleaseBoards"_s;
    EXPECT_THROW(cockpit->shutdown(), ProcessEnded);
    EXPECT_EQ(journal().join(u','), u"LampTest 0 displays,ReleaseBoards,DisconnectEpic,end"_s);
    EXPECT_FALSE(cockpit->pollingTimer().isActive() || cockpit->livenessTimer().isActive());
    EXPECT_TRUE(script->calls == QStringList{u"Close"_s} && cockpit->dataServer() == nullptr);
}

// How start-up meets the configuration file ("-" none, "dir" a folder of that name) and
// an old Glimra.cfg: whether it ends, its boxes, the data server made, the shutdown run.
TEST_F(StartupTest, ConfigurationFileCases)
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
        {"[GAUGES]\r\n0,a,b," + QByteArray(32767, 'x') + "\r\n", "-", true,
         {u"box Tavrel|Your Tavrel.cfg file is longer than 32767 characters, the most Tavrel can read.\r"
          u"Please shorten the file and rerun Tavrel"_s}, false, false},
        {"dir", "[GAUGES]\r\n", true,
         {u"box Tavrel Error|Permission denied: Tavrel.cfg\rGenerated by: Form_Load\rSource: Tavrel(70)"_s}, false,
         true},
    };
    for (const auto &[tavrelCfg, glimraCfg, ends, boxes, created, shutdown] : cases) {
        SCOPED_TRACE(tavrelCfg.left(20).toStdString() + " / " + glimraCfg.left(20).toStdString());
        platform.removeFile(u"Tavrel.cfg"_s);
        QDir(platform.dir.path()).rmdir(u"Tavrel.cfg"_s);
        platform.removeFile(u"Glimra.cfg"_s);
        if (tavrelCfg == "dir")
            QDir(platform.dir.path()).mkdir(u"Tavrel.cfg"_s);
        else if (tavrelCfg != "-")
            platform.writeFile(u"Tavrel.cfg"_s, tavrelCfg);
        if (glimraCfg != "-")
            platform.writeFile(u"Glimra.cfg"_s, glimraCfg);
        makeCockpit();
        // Each box runs an event loop of its own: boards that report and ticks at 1 ms
        // (the data server active) must wait for start-up.
        script->properties.insert(u"Ostrely"_s, true);
        cockpit->controls().sldGlimra[SldPollingRate].setValue(1);
        platform.removeFile(u"journal"_s);
        const QString boardJournal = platform.dir.filePath(u"journal"_s);
        cockpit->roster().setManager(std::make_unique<VirtualPhidgetManager>(defaultVirtualBoards(), boardJournal));
        platform.onMessageBox = [&] {
            QTest::qWait(100);
            EXPECT_EQ(platform.readFile(u"journal"_s), QByteArray()) << "a board call";
            EXPECT_FALSE(script->calls.contains(u"FillFlightData"_s)) << "a cycle";
        };
        EXPECT_EQ(startUp(), ends);
        EXPECT_EQ(platform.boxes(), boxes);
        EXPECT_EQ(journal().contains(u"create Ostrel.clsFlightData"_s), created);
        EXPECT_EQ(journal().contains(u"LampTest 0 displays"_s), shutdown);
        EXPECT_EQ(journal().contains(u"SetupDeviceList"_s), !ends) << "the tables are built only on the way on";
        const QByteArray none;
        EXPECT_EQ(platform.readFile(u"Tavrel.cfg"_s), tavrelCfg == "-" && glimraCfg != "-" ? glimraCfg
                                                      : tavrelCfg == "-" || tavrelCfg == "dir" ? none : tavrelCfg);
        EXPECT_EQ(platform.hasFile(u"Tavrel.cfg"_s), tavrelCfg != "-" || glimraCfg != "-") << "never made from nothing";
        EXPECT_EQ(platform.readFile(u"Glimra.cfg"_s), glimraCfg == "-" ? none : glimraCfg) << "it stays as it was";
    }
}

// Each switch, as the file states it, through its control and the control's handler:
// the option chosen, both check boxes and their flags, the relay address and port.
TEST_F(StartupTest, SwitchesSetTheirControls)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"[COMPREF]\r\nDCOM\r\n", u"DCOM 0 0 || server"_s},
        {"[COMPREF]\r\ndcom\r\n", u"TCP/IP 0 0 ||"_s},
        {"[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n1\r\n[COMPREF]\r\nTCP\r\n", u"TCP/IP 0 0 |127.0.0.1|1"_s},
        {"[NOSCREENUPDATE]\r\ntrue\r\n[UPDATEEPICANYWAY]\r\nTrUe\r\n", u"DCOM 1 1 || server"_s},
    };
    for (const auto &[file, expected] : cases) {
        platform.writeFile(u"Tavrel.cfg"_s, file);
        makeCockpit();
        ASSERT_FALSE(startUp());
        const auto &c = cockpit->controls();
        const auto &f = cockpit->flags();
        const int option = c.optConnectType[0].value() + 2 * c.optConnectType[1].value();
        EXPECT_EQ(u"%1 %2 %3 |%4|%5%6"_s.arg(option == 1 ? u"TCP/IP"_s : option == 2 ? u"DCOM"_s : u"?"_s)
                      .arg(c.chkGlimra[0].value() + (f.ScreenUpdate == (c.chkGlimra[0].value() == 0) ? 0 : 10))
                      .arg(c.chkGlimra[2].value() + (f.UpdateEpicAnyway == (c.chkGlimra[2].value() == 1) ? 0 : 10))
                      .arg(c.fldGlimra[0].text(), c.fldGlimra[1].text(), cockpit->dataServer() ? u" server"_s : u""_s),
                  expected) << file.toStdString();
    }
}
