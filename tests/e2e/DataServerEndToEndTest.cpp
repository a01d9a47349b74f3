#include "support/Desktop.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {
using namespace Qt::StringLiterals;

// The real program, started in a directory of its own on the offscreen platform, polls
// the built-in data server: the server's journal shows it asked until the simulator was
// up and then took a snapshot on every cycle.
TEST(DataServerEndToEnd, TheProgramBecomesActiveAndPollsTheDataServer)
{
    tavrel::test::TavrelRun run;
    run.writeFile(u"Tavrel.cfg"_s, "[COMPREF]\r\nDCOM\r\n");
    ASSERT_TRUE(run.start());

    const bool polled = QTest::qWaitFor([&] { return run.journal().count(u"FillFlightData"_s) >= 5; }, 60000);
    run.process().kill();
    run.process().waitForFinished(10000);
    ASSERT_TRUE(polled) << run.journal().join(u' ').toStdString();

    const QStringList seen = run.journal();
    const qsizetype firstActive = seen.indexOf(u"Ostrely\t1"_s);
    ASSERT_GE(firstActive, 0);
    EXPECT_EQ(seen.first(), u"Ostrely\t0"_s) << "the simulator is not up at once";
    EXPECT_LT(firstActive, seen.indexOf(u"FillFlightData"_s)) << "no cycle before the source is active";
    EXPECT_EQ(seen.mid(firstActive + 1).count(u"Ostrely\t1"_s), 0) << "once active, liveness is not asked again";
}

} // namespace
