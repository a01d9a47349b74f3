#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
using namespace Qt::StringLiterals;

// The real program, started in a directory of its own on the offscreen platform, polls
// the built-in data server: the server's journal shows it asked until the simulator was
// up and then took a snapshot on every cycle.
TEST(DataServerEndToEnd, TheProgramBecomesActiveAndPollsTheDataServer)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile config(dir.filePath(u"Tavrel.cfg"_s));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[COMPREF]\r\nDCOM\r\n");
    config.close();
    const QString journal = dir.filePath(u"server.journal"_s);

    QProcess tavrel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"TAVREL_DATA_SERVER_JOURNAL"_s, journal);
    tavrel.setProcessEnvironment(env);
    tavrel.setWorkingDirectory(dir.path());
    tavrel.start(QStringLiteral(TAVREL_BINARY), {});
    ASSERT_TRUE(tavrel.waitForStarted(10000));

    auto lines = [&] {
        QFile f(journal);
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                           : QStringList();
    };
    const bool polled = QTest::qWaitFor([&] { return lines().count(u"FillFlightData"_s) >= 5; }, 60000);
    tavrel.kill();
    tavrel.waitForFinished(10000);
    ASSERT_TRUE(polled) << lines().join(u' ').toStdString();

    const QStringList seen = lines();
    const qsizetype firstActive = seen.indexOf(u"Ostrely\t1"_s);
    ASSERT_GE(firstActive, 0);
    EXPECT_EQ(seen.first(), u"Ostrely\t0"_s) << "the simulator is not up at once";
    EXPECT_LT(firstActive, seen.indexOf(u"FillFlightData"_s)) << "no cycle before the source is active";
    EXPECT_EQ(seen.mid(firstActive + 1).count(u"Ostrely\t1"_s), 0) << "once active, liveness is not asked again";
}

} // namespace
