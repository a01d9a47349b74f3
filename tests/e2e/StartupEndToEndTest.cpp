// The real program on a virtual display of the test's own: its message boxes are found by
// title and confirmed from outside, as the operator would, and every way out is taken.
#include "support/Desktop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include <csignal>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;
using test::TavrelRun;
using test::VirtualDisplay;

const QString kMainWindow = u"^Tavrel Version 0\\.80$"_s;
const QByteArray kDataServerConfig = "/ the built-in data server\r\n[COMPREF]\r\nDCOM\r\n";

class StartupEndToEnd : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { display = new VirtualDisplay; }
    static void TearDownTestSuite()
    {
        delete display;
        display = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(display->isRunning()) << "Xvfb did not start"; }

    // Finds the box by its title and confirms it with Enter.
    static void confirm(const QString &titlePattern)
    {
        const unsigned long box = display->findWindow(titlePattern);
        ASSERT_NE(box, 0u) << "no window titled " << titlePattern.toStdString();
        ASSERT_TRUE(display->pressKeys(box, {u"Return"_s}));
    }
    static bool polls(const TavrelRun &run, qsizetype cycles)
    {
        return QTest::qWaitFor([&] { return run.journal().count(u"FillFlightData"_s) >= cycles; }, 60000);
    }

    static VirtualDisplay *display;
};

VirtualDisplay *StartupEndToEnd::display = nullptr;

TEST_F(StartupEndToEnd, MissingConfigurationEndsWithoutCreatingAFile)
{
    TavrelRun run;
    ASSERT_TRUE(run.start(display->name()));
    confirm(u"^Missing Config$"_s);
    EXPECT_TRUE(run.waitForCleanEnd());
    EXPECT_FALSE(QFile::exists(run.dir().filePath(u"Tavrel.cfg"_s)));
    EXPECT_TRUE(run.journal().isEmpty()) << "no data server was created";
}

TEST_F(StartupEndToEnd, OldConfigurationIsUpgradedOnceAndNotAgain)
{
    TavrelRun first;
    first.writeFile(u"Glimra.cfg"_s, kDataServerConfig);
    ASSERT_TRUE(first.start(display->name()));
    confirm(u"^Upgrade Complete$"_s);
    EXPECT_NE(display->findWindow(kMainWindow), 0u) << "start-up goes on after the upgrade";
    EXPECT_EQ(first.readFile(u"Tavrel.cfg"_s), kDataServerConfig);
    EXPECT_EQ(first.readFile(u"Glimra.cfg"_s), kDataServerConfig);
    EXPECT_TRUE(polls(first, 2));
    first.process().terminate();
    ASSERT_TRUE(first.waitForCleanEnd());

    TavrelRun second(first);
    ASSERT_TRUE(second.start(display->name()));
    ASSERT_NE(display->findWindow(kMainWindow), 0u);
    EXPECT_FALSE(display->hasWindow(u"^Upgrade Complete$"_s)) << "the box would stand before the window";
    second.process().terminate();
    EXPECT_TRUE(second.waitForCleanEnd());
}

TEST_F(StartupEndToEnd, MalformedConfigurationShowsTheFormatMessageAndEnds)
{
    TavrelRun run;
    run.writeFile(u"Tavrel.cfg"_s, "COMPREF\r\nDCOM\r\n");
    ASSERT_TRUE(run.start(display->name()));
    confirm(u"^Tavrel$"_s);
    EXPECT_TRUE(run.waitForCleanEnd());
    EXPECT_FALSE(display->hasWindow(kMainWindow));
}

TEST_F(StartupEndToEnd, SecondCopyIsRefusedAndTheFirstRunsOn)
{
    TavrelRun first;
    first.writeFile(u"Tavrel.cfg"_s, kDataServerConfig);
    ASSERT_TRUE(first.start(display->name()));
    ASSERT_TRUE(polls(first, 1));

    TavrelRun second(first);
    ASSERT_TRUE(second.start(display->name()));
    confirm(u"^Duplicate Execution$"_s);
    EXPECT_TRUE(second.waitForCleanEnd());

    EXPECT_EQ(first.process().state(), QProcess::Running);
    const qsizetype cycles = first.journal().count(u"FillFlightData"_s);
    EXPECT_TRUE(polls(first, cycles + 5)) << "the first copy still polls";
    EXPECT_FALSE(first.journal().contains(u"Close"_s));
}

// Every way out runs the shutdown: the data server is closed last, and the process ends
// cleanly by itself.
TEST_F(StartupEndToEnd, EveryWayOutRunsShutdown)
{
    enum class Way { CloseButton, MenuExit, Terminate, Interrupt };
    const std::pair<const char *, Way> ways[] = {
        {"closing the window", Way::CloseButton},
        {"File > Exit", Way::MenuExit},
        {"SIGTERM", Way::Terminate},
        {"SIGINT", Way::Interrupt},
    };
    for (const auto &[name, way] : ways) {
        SCOPED_TRACE(name);
        TavrelRun run;
        run.writeFile(u"Tavrel.cfg"_s, kDataServerConfig);
        ASSERT_TRUE(run.start(display->name()));
        const unsigned long window = display->findWindow(kMainWindow);
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(polls(run, 1));

        switch (way) {
        case Way::CloseButton:
            ASSERT_TRUE(display->closeWindow(window));
            break;
        case Way::MenuExit:
            ASSERT_TRUE(display->pressKeys(window, {u"alt+f"_s, u"x"_s}));
            break;
        case Way::Terminate:
            ::kill(static_cast<pid_t>(run.process().processId()), SIGTERM);
            break;
        case Way::Interrupt:
            ::kill(static_cast<pid_t>(run.process().processId()), SIGINT);
            break;
        }
        EXPECT_TRUE(run.waitForCleanEnd());
        ASSERT_FALSE(run.journal().isEmpty());
        EXPECT_EQ(run.journal().last(), u"Close"_s);
    }
}

TEST_F(StartupEndToEnd, StartUpFailureIsReportedThenShutdownEnds)
{
    TavrelRun run;
    QDir(run.dir().path()).mkdir(u"Tavrel.cfg"_s); // the upgrade cannot copy over a folder
    run.writeFile(u"Glimra.cfg"_s, kDataServerConfig);
    ASSERT_TRUE(run.start(display->name()));
    confirm(u"^Tavrel Error$"_s);
    EXPECT_TRUE(run.waitForCleanEnd());
    EXPECT_FALSE(display->hasWindow(kMainWindow));
}

} // namespace
} // namespace tavrel
