#include "cockpit/Cockpit.h"
#include "phidget/VirtualPhidgets.h"
#include "support/QtPrinters.h"
#include "support/RecordingOutputs.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using test::ProcessEnded;

const QString kDuplicate = u"box Duplicate Execution|A Previous Instance of Tavrel Is Running.  Please Press Ok"_s;
const QString kMissing = u"box Missing Config|Tavrel.cfg File Is Missing - Program will Terminate"_s;
const QString kUpgrade = u"box Upgrade Complete|Glimra.cfg File Has Been Copied to Tavrel.cfg for Use with "
                         u"Tavrel.  All Future Configuration Must Be Done In Tavrel.cfg"_s;

// A cockpit on a test platform whose start-up writes everything it does, in order, into
// one journal: the platform's boxes and end, the device routines and yields, the data
// server created, and the controls that start-up or the configuration touch.
class StartupTest : public ::testing::Test
{
protected:
    StartupTest() { makeCockpit(); }

    void makeCockpit()
    {
        script = std::make_shared<test::ServerScript>();
        script->properties.insert(u"Ostrely"_s, false);
        auto servers = test::scriptedFactory(script);
        cockpit = std::make_unique<Cockpit>(platform, [this, servers](QStringView progId) {
            journal() << u"create "_s + progId.toString();
            return servers(progId);
        });
        auto recorder = std::make_unique<test::RecordingOutputs>(*cockpit);
        outputs = recorder.get();
        outputs->journal = &platform.events;
        cockpit->setOutputs(std::move(recorder));
        watchControls();
    }

    QStringList &journal() { return platform.events; }
    CockpitControls &controls() { return cockpit->controls(); }

    void watchControls()
    {
        auto &c = controls();
        QObject::connect(&c.frmTavrel, &Control::changed, [this, &c] {
            journal() << u"window "_s + c.frmTavrel.caption() + u" at "_s + QString::number(c.frmTavrel.left())
                    + u',' + QString::number(c.frmTavrel.top());
        });
        QObject::connect(&c.tabGlimra, &Control::changed, [this] { journal() << u"tabs"_s; });
        for (int i : {0, 2})
            QObject::connect(&c.chkGlimra[std::size_t(i)], &CheckBox::click, [this, &c, i] {
                journal() << u"check %1 = %2"_s.arg(i).arg(c.chkGlimra[std::size_t(i)].value());
            });
        for (int i : {0, 1})
            QObject::connect(&c.optConnectType[std::size_t(i)], &OptionButton::click,
                             [this, i] { journal() << u"option %1"_s.arg(i); });
        for (int i : {0, 1})
            QObject::connect(&c.fldGlimra[std::size_t(i)], &Control::changed, [this, &c, i] {
                journal() << u"field %1 = %2"_s.arg(i).arg(c.fldGlimra[std::size_t(i)].text());
            });
        for (int i : {15, 24, 25}) {
            c.lblGlimra[std::size_t(i)].setCaption(u"design text"_s);
            QObject::connect(&c.lblGlimra[std::size_t(i)], &Control::changed,
                             [this, i] { journal() << u"label %1 cleared"_s.arg(i); });
        }
        QObject::connect(&c.lblTimerValue, &Control::changed,
                         [this, &c] { journal() << u"timer "_s + c.lblTimerValue.caption(); });
        QObject::connect(&c.fraGlimra[20], &Control::changed, [this, &c] {
            journal() << (c.fraGlimra[20].isEnabled() ? u"frame 20 on"_s : u"frame 20 off"_s);
        });
    }

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

TEST_F(StartupTest, StepsRunInTheirFixedOrder)
{
    platform.writeFile(u"Tavrel.cfg"_s, "[TCPIP-PORT]\r\n8091\r\n[NOSCREENUPDATE]\r\ntrue\r\n[PLED64-1]\r\n"
                                        "2,Panel lamp,16,1\r\n");
    ASSERT_FALSE(startUp());

    const int width = controls().frmTavrel.width();
    EXPECT_EQ(journal(), (QStringList{
                             u"window Tavrel Version 0.80 at 0,0"_s,
                             u"window Tavrel Version 0.80 at %1,1000"_s.arg(19200 - width - 100),
                             u"tabs"_s,
                             u"tabs"_s,
                             u"tabs"_s,
                             u"CreatePhidgetManager"_s,
                             u"field 1 = 8091"_s,
                             u"check 0 = 1"_s,
                             u"SetupDeviceList"_s,
                             u"BuildDeviceGrid 0"_s,
                             u"BuildDeviceGrid 1"_s,
                             u"yield"_s,
                             u"BuildDeviceGrid 2"_s,
                             u"BuildDeviceGrid 5"_s,
                             u"yield"_s,
                             u"BuildDeviceGrid 3"_s,
                             u"BuildDeviceGrid 11"_s,
                             u"BuildDeviceGrid 6"_s,
                             u"BuildDeviceGrid 12"_s,
                             u"BuildDeviceGrid 7"_s,
                             u"BuildDeviceGrid 10"_s,
                             u"label 15 cleared"_s,
                             u"label 24 cleared"_s,
                             u"label 25 cleared"_s,
                             u"BuildButtonTables"_s,
                             u"yield"_s,
                             // no source chosen: the data server (its handler greys the relay fields)
                             u"field 0 = "_s,
                             u"field 1 = 8091"_s,
                             u"create Ostrel.clsFlightData"_s,
                             u"option 1"_s,
                             u"timer 100"_s,
                             u"frame 20 off"_s,
                         }));
    EXPECT_FALSE(cockpit->flags().ScreenUpdate) << "the box NOSCREENUPDATE ticked is read after the file";
    EXPECT_EQ(cockpit->table(DeviceSection::PLED64_1).size(), 2);
}

TEST_F(StartupTest, WindowStatusBarAndTabsAfterStartUp)
{
    ASSERT_FALSE(startUp());
    auto &c = controls();
    EXPECT_EQ(c.frmTavrel.caption(), u"Tavrel Version 0.80"_s);
    EXPECT_EQ(c.frmTavrel.top(), 1000);

    ASSERT_EQ(c.sbStatusBar.panelCount(), 2);
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_TRUE(QRegularExpression(u"\\b\\d{4}-"_s + year + u"$"_s).match(c.sbStatusBar.panelText(1)).hasMatch())
        << c.sbStatusBar.panelText(1).toStdString();

    for (int tab = 0; tab < 10; ++tab) {
        const bool usable = c.tabGlimra.isTabVisible(tab) && c.tabGlimra.isTabEnabled(tab);
        EXPECT_EQ(usable, tab != 6 && tab != 7 && tab != 9) << "tab " << tab;
    }
    EXPECT_TRUE(c.optConnectType[1].value()) << "no COMPREF: the data server";
    EXPECT_FALSE(cockpit->flags().EpicOpen);
    EXPECT_TRUE(cockpit->flags().ScreenUpdate);
    EXPECT_FALSE(cockpit->flags().UpdateEpicAnyway);
    EXPECT_EQ(cockpit->pollingTimer().interval(), 100);
}

// How start-up meets the configuration file: present, upgraded, missing, malformed, too
// long, or impossible to put in place.
TEST_F(StartupTest, ConfigurationFileCases)
{
    const QByteArray tooLong = "[GAUGES]\r\n0,a,b," + QByteArray(32767, 'x') + "\r\n";
    const QString format = u"box Tavrel|"_s + formatMessage();
    const QString lampsOut = u"LampTest 0 displays"_s;

    struct Case
    {
        const char *name;
        QByteArray tavrelCfg; // "-" for no file, "dir" for a folder of that name
        QByteArray glimraCfg;
        bool ends;
        QStringList boxes;
        bool dataServerCreated;
        bool shutdownRan;
    };
    const Case cases[] = {
        {"Tavrel.cfg present", "[COMPREF]\r\nDCOM\r\n", "-", false, {}, true, false},
        {"only Glimra.cfg: copied and announced", "-", "[COMPREF]\r\nDCOM\r\n", false, {kUpgrade}, true, false},
        {"both files: Glimra.cfg is left alone", "[GAUGES]\r\n", "[COMPREF]\r\nDCOM\r\n", false, {}, true, false},
        {"neither file", "-", "-", true, {kMissing}, false, false},
        {"a letter where a header belongs", "COMPREF\r\nDCOM\r\n", "-", true, {format}, false, false},
        {"a switch read before the fault takes effect", "[COMPREF]\r\nDCOM\r\nTCP\r\n", "-", true, {format}, true,
         false},
        {"longer than 32767 characters", tooLong, "-", true,
         {u"box Tavrel|Your Tavrel.cfg file is longer than 32767 characters, the most Tavrel can read.\r"
          u"Please shorten the file and rerun Tavrel"_s},
         false, false},
        {"Tavrel.cfg is a folder: the copy fails and start-up reports it", "dir", "[GAUGES]\r\n", true,
         {u"box Tavrel Error|Permission denied: Tavrel.cfg\rGenerated by: Form_Load\rSource: Tavrel(70)"_s}, false,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        platform.removeFile(u"Tavrel.cfg"_s);
        QDir(platform.dir.path()).rmdir(u"Tavrel.cfg"_s);
        platform.removeFile(u"Glimra.cfg"_s);
        if (c.tavrelCfg == "dir")
            QDir(platform.dir.path()).mkdir(u"Tavrel.cfg"_s);
        else if (c.tavrelCfg != "-")
            platform.writeFile(u"Tavrel.cfg"_s, c.tavrelCfg);
        if (c.glimraCfg != "-")
            platform.writeFile(u"Glimra.cfg"_s, c.glimraCfg);
        journal().clear();
        makeCockpit();
        // Each box runs an event loop of its own: boards that report and ticks at 1 ms
        // (the data server active) must wait for start-up.
        script->properties.insert(u"Ostrely"_s, true);
        controls().sldGlimra[CockpitControls::kPollingRate].setValue(1);
        platform.removeFile(u"journal"_s);
        cockpit->setPhidgetManager(
            std::make_unique<VirtualPhidgetManager>(defaultVirtualBoards(), platform.dir.filePath(u"journal"_s)));
        platform.onMessageBox = [&] {
            QTest::qWait(100);
            EXPECT_EQ(platform.readFile(u"journal"_s), QByteArray()) << "a board call";
            EXPECT_FALSE(script->calls.contains(u"FillFlightData"_s)) << "a cycle";
        };

        EXPECT_EQ(startUp(), c.ends);
        EXPECT_EQ(platform.boxes(), c.boxes);
        EXPECT_EQ(journal().contains(u"create Ostrel.clsFlightData"_s), c.dataServerCreated);
        EXPECT_EQ(journal().contains(lampsOut), c.shutdownRan);
        EXPECT_EQ(journal().contains(u"SetupDeviceList"_s), !c.ends) << "the tables are built only on the way on";
        if (c.glimraCfg != "-" && c.tavrelCfg == "-") {
            EXPECT_EQ(platform.readFile(u"Tavrel.cfg"_s), c.glimraCfg);
        }
        if (c.tavrelCfg == "-" && c.glimraCfg == "-") {
            EXPECT_FALSE(platform.hasFile(u"Tavrel.cfg"_s)) << "a missing file is never created";
        }
        if (c.glimraCfg != "-") {
            EXPECT_EQ(platform.readFile(u"Glimra.cfg"_s), c.glimraCfg) << "the old file stays as it was";
        }
    }
}

TEST_F(StartupTest, UpgradeHappensOnceOnly)
{
    platform.removeFile(u"Tavrel.cfg"_s);
    platform.writeFile(u"Glimra.cfg"_s, "[GAUGES]\r\n0,a,b,c\r\n");
    ASSERT_FALSE(startUp());
    EXPECT_EQ(platform.boxes(), QStringList{kUpgrade});

    journal().clear();
    makeCockpit();
    ASSERT_FALSE(startUp());
    EXPECT_EQ(platform.boxes(), QStringList{});
    EXPECT_EQ(cockpit->table(DeviceSection::GAUGES).size(), 2);
}

TEST_F(StartupTest, SecondCopyEndsBeforeAnythingElse)
{
    platform.otherCopyRunning = true;
    EXPECT_TRUE(startUp());
    EXPECT_EQ(journal(), (QStringList{kDuplicate, u"end"_s}));
}

// Each switch, as the file states it, through its control and the control's handler.
TEST_F(StartupTest, SwitchesSetTheirControls)
{
    struct Case
    {
        const char *name;
        QByteArray file;
        int option; // the connection type selected
        int noScreenUpdate;
        int updateEpicAnyway;
        QString address;
        QString port;
    };
    const Case cases[] = {
        {"nothing set", "", 1, 0, 0, {}, {}},
        {"DCOM", "[COMPREF]\r\nDCOM\r\n", 1, 0, 0, {}, {}},
        {"dcom in lower case is the relay", "[COMPREF]\r\ndcom\r\n", 0, 0, 0, {}, {}},
        {"any other word is the relay", "[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n1\r\n[COMPREF]\r\nTCP\r\n", 0, 0, 0,
         u"127.0.0.1"_s, u"1"_s},
        {"true in any case ticks", "[NOSCREENUPDATE]\r\ntrue\r\n[UPDATEEPICANYWAY]\r\nTrUe\r\n", 1, 1, 1, {}, {}},
        {"any other word unticks", "[NOSCREENUPDATE]\r\nyes\r\n[UPDATEEPICANYWAY]\r\nTRUE \r\n", 1, 0, 0, {}, {}},
        {"the last of two settings wins", "[NOSCREENUPDATE]\r\nTRUE\r\n[NOSCREENUPDATE]\r\nFALSE\r\n", 1, 0, 0, {}, {}},
        {"values are kept as written", "[TCPIP-IP]\r\n host \r\n[TCPIP-PORT]\r\n80 80\r\n", 1, 0, 0, u" host "_s,
         u"80 80"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        platform.writeFile(u"Tavrel.cfg"_s, c.file);
        makeCockpit();
        ASSERT_FALSE(startUp());
        auto &controls = cockpit->controls();
        EXPECT_TRUE(controls.optConnectType[std::size_t(c.option)].value());
        EXPECT_FALSE(controls.optConnectType[std::size_t(1 - c.option)].value());
        EXPECT_EQ(controls.chkGlimra[0].value(), c.noScreenUpdate);
        EXPECT_EQ(cockpit->flags().ScreenUpdate, c.noScreenUpdate == 0);
        EXPECT_EQ(controls.chkGlimra[2].value(), c.updateEpicAnyway);
        EXPECT_EQ(cockpit->flags().UpdateEpicAnyway, c.updateEpicAnyway == 1);
        EXPECT_EQ(controls.fldGlimra[0].text(), c.address);
        EXPECT_EQ(controls.fldGlimra[1].text(), c.port);
        EXPECT_EQ(cockpit->dataServer() != nullptr, c.option == 1);
    }
}

TEST_F(StartupTest, TheFileIsReadAsWindows1252)
{
    platform.writeFile(u"Tavrel.cfg"_s, "[PTLED-1]\r\n0,Caf\xE9 \x80 \x9C,FUELFLOW,0\r\n");
    ASSERT_FALSE(startUp());
    ASSERT_EQ(cockpit->table(DeviceSection::PTLED_1).size(), 2);
    EXPECT_EQ(cockpit->table(DeviceSection::PTLED_1)[0][1], u"Café € œ"_s);
}

TEST_F(StartupTest, ShutdownRunsEveryStepInOrderThenEnds)
{
    struct Case
    {
        const char *name;
        bool epicOpen;
        QString failing;
        QStringList steps;
    };
    const Case cases[] = {
        {"card closed", false, {}, {u"LampTest 0 displays"_s, u"ReleaseBoards"_s, u"end"_s}},
        {"card open", true, {}, {u"LampTest 0 displays"_s, u"ReleaseBoards"_s, u"DisconnectEpic"_s, u"end"_s}},
        {"a failing step is passed over", true, u"ReleaseBoards"_s,
         {u"LampTest 0 displays"_s, u"ReleaseBoards"_s, u"DisconnectEpic"_s, u"end"_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        makeCockpit();
        ASSERT_FALSE(startUp());
        journal().clear();
        script->calls.clear();
        cockpit->flags().EpicOpen = c.epicOpen;
        outputs->failing = c.failing;

        EXPECT_THROW(cockpit->shutdown(), ProcessEnded);
        EXPECT_EQ(journal(), c.steps);
        EXPECT_FALSE(cockpit->pollingTimer().isActive());
        EXPECT_FALSE(cockpit->livenessTimer().isActive());
        EXPECT_EQ(script->calls, QStringList{u"Close"_s});
        EXPECT_EQ(cockpit->dataServer(), nullptr);
    }
}

TEST_F(StartupTest, ShutdownWithoutADataServerStillEnds)
{
    platform.writeFile(u"Tavrel.cfg"_s, "[COMPREF]\r\nTCP\r\n");
    ASSERT_FALSE(startUp());
    ASSERT_EQ(cockpit->dataServer(), nullptr);
    EXPECT_THROW(cockpit->shutdown(), ProcessEnded);
    EXPECT_EQ(journal().last(), u"end"_s);
}

} // namespace
} // namespace tavrel
