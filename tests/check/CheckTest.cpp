// tavrel-check over the cockpit files in cases/, each NAME.cfg beside NAME.out, what the
// real tavrel-check prints for it; the program's start-up logs the same findings. Its
// options and exit codes from the real binary.
#include "support/CockpitHarness.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QDir kCases(QStringLiteral(TAVREL_SOURCE_DIR "/tests/check/cases"));

QByteArray caseFile(const QString &name)
{
    QFile file(kCases.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The real tavrel-check run in cases/: its exit code (-1 when it did not end) and output.
std::pair<int, QByteArray> runCheck(const QStringList &arguments)
{
    QProcess check;
    check.setWorkingDirectory(kCases.path());
    check.start(QStringLiteral(TAVREL_CHECK_BINARY), arguments);
    if (!check.waitForFinished(tavrel::test::kPatienceMs))
        return {-1, {}};
    return {check.exitCode(), check.readAllStandardOutput()};
}

} // namespace

TEST(CheckTest, EachCaseGetsWhatItsOutFileSays)
{
    const QStringList files = kCases.entryList({u"*.cfg"_s});
    ASSERT_GE(files.size(), 30) << kCases.path().toStdString();
    for (const QString &file : files)
        EXPECT_EQ(runCheck({file}).second.toStdString(), caseFile(file.chopped(4) + u".out"_s).toStdString())
            << file.toStdString();
}

// The start-up logs tavrel-check's lines for the file it reads, the level in front:
// "tavrel.config warning: PATH:LINE: ...", then the summary as an info line.
TEST(CheckTest, TheProgramLogsEachFindingAtStartUp)
{
    const QRegularExpression finding(u"^[^:]*(:\\d+)?: (error|warning): (.*)$"_s);
    for (const QString &file : kCases.entryList({u"*.cfg"_s})) {
        SCOPED_TRACE(file.toStdString());
        tavrel::test::CockpitHarness h(caseFile(file));
        h.noBoards();
        tavrel::test::LogCapture log;
        h.startUp();
        const QString path = h.cockpit.configFile();
        QStringList expected;
        for (const QString &line :
             QString::fromUtf8(caseFile(file.chopped(4) + u".out"_s)).split(u'\n', Qt::SkipEmptyParts)) {
            const auto match = finding.match(line);
            expected << (match.hasMatch() ? u"tavrel.config %1: %2%3: %4"_s.arg(match.captured(2), path,
                                                                                match.captured(1), match.captured(3))
                                          : u"tavrel.config info: "_s + path + line.mid(file.size()));
        }
        EXPECT_EQ(log.with(path + u':').join(u'\n').toStdString(), expected.join(u'\n').toStdString());
    }
}

// The real program: its output, summary and exit code; run in cases/, it reads Tavrel.cfg.
TEST(CheckTest, TheProgramPrintsAndExits)
{
    const QString demo = QStringLiteral(TAVREL_SOURCE_DIR "/demo/Tavrel.cfg");
    // The arguments, the exit code and the output.
    const std::tuple<QStringList, int, QByteArray> runs[] = {
        {{demo}, 0, demo.toLocal8Bit() + ": no problems found\n"},
        {{}, 1, caseFile(u"Tavrel.out"_s)},
        {{u"--quiet"_s, u"bit-word-and-lamp-rule.cfg"_s},
         2, // the summary left out
         caseFile(u"bit-word-and-lamp-rule.out"_s).replace("bit-word-and-lamp-rule.cfg: 1 error, 1 warning\n", "")},
        {{u"a.cfg"_s, u"b.cfg"_s}, 2, ""},
        {{u"missing.cfg"_s},
         2,
         "missing.cfg: error: cannot be read: File not found: missing.cfg\n"
         "missing.cfg: 1 error, 0 warnings\n"},
    };
    for (const auto &[arguments, code, output] : runs) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const auto [exitCode, printed] = runCheck(arguments);
        EXPECT_EQ(exitCode, code);
        EXPECT_EQ(printed.toStdString(), output.toStdString());
    }
}
