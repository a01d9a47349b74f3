#include "check/ConfigCheck.h"
#include "support/CockpitHarness.h"
#include "support/LogCapture.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

using namespace tavrel::check;
using namespace Qt::StringLiterals;

namespace {

// Lines separated by "|", each ended with CR LF.
QString crlf(const char16_t *lines)
{
    return QString::fromUtf16(lines).replace(u'|', u"\r\n"_s) + u"\r\n"_s;
}

constexpr Level E = Level::Error;
constexpr Level W = Level::Warning;

// A file, and per finding its line, its level and a part of the message that names the problem.
using Expected = std::tuple<int, Level, const char16_t *>;
const std::pair<QString, std::vector<Expected>> kCases[] = {
    {crlf(u"PLED64-1|0,a,1,1"), {{1, E, u"improperly formatted.  The first line"}}},
    {crlf(u"[COMPREF]|DCOM|TCP|[PLED64-1]|0,a,1,9"), // the check reads on from the next header
     {{3, E, u"second value line in switch section [COMPREF]"}, {5, E, u"bit word \"9\" is not 0 to 4"}}},
    {crlf(u"[PLED64-1]|0,a,1,1|/ x|1,b,1,1"), {{4, E, u"after a comment line"}}},
    {(u'/' + QString(97, u'x') + u"\r\n"_s).repeated(400), {{328, E, u"longer than 32767"}}}, // at character 32768
    {(u'/' + QString(97, u'x') + u"\r\n"_s).repeated(327) + u'/' + QString(64, u'x') + u"\r\n"_s, {}}, // 32767
    {crlf(u"[PTLCD-1]|1,a,PFD,|2,b,PFD|3,c,PFD,"), {{3, E, u"three commas: its third field runs on, so line 4 is"}}},
    {crlf(u"[PLED64-1]|0,a,1,1|1,b,1,5|2,c,1,1|3,d,1,1"), {{3, E, u"lines 3-5 stay undriven"}}},
    {crlf(u"[pled64-1]|0,a,1,1"), {{1, W, u"[pled64-1]: read and dropped (names are exact: [PLED64-1]"}}},
    {crlf(u"[GAUGE]|1,a,KIAS,0"), {{1, W, u"[GAUGE]: read and dropped (nearest valid name: [GAUGES])"}}},
    {crlf(u"[PTLED-1]|0,a,FUELFLOW,0|[PTLED-1]|1,b,CMDS1,0"), {{1, W, u"given again on line 3"}}},
    {crlf(u"[COMPREF]|TCP|[TCPIP-PORT]|8091"), {{1, W, u"before [TCPIP-PORT] (line 3)"}}},
    {crlf(u"[TCPIP-PORT]|65535"), {}},
    {crlf(u"[TCPIP-PORT]|80 91|[COMPREF]|dcom"),
     {{2, W, u"port \"80 91\" is no number from 0 to 65535"}, {4, W, u"\"dcom\" chooses the relay"}}},
    {crlf(u"[BOARDS]|PLED64-1,1001|NOPE,5|[UPDATEEPICANYWAY]|yes"),
     {{3, W, u"[BOARDS] line left out: \"NOPE\" names no slot"}, {5, W, u"\"yes\" is neither TRUE nor FALSE"}}},
    {crlf(u"[BOARDS]|PLED64-1,1001|PLED64-2,1001|PLED64-1,1002"),
     {{3, W, u"left out: board 1001 is given a slot already"}, {4, W, u"left out: slot PLED64-1 is given a board"}}},
    {crlf(u"[P01616-2]|16,a,1,1"), {{2, W, u"output \"16\" is outside the interface kit (0 to 15)"}}},
    {crlf(u"[PLED64-2]|3,a,1,1|3,b,2,2"), {{3, W, u"output 3 is also driven by line 2"}}},
    {crlf(u"[PLED64-1]|0,a,0x10,1"), {{2, W, u"mask \"0x10\" reads as 0"}}},
    {crlf(u"[PLED64-1]|0,a,2147483648,1|1,b,1,1 x"),
     {{2, W, u"beyond 32 bits"}, {3, W, u"is no number: it reads as 1"}}},
    {crlf(u"[P01616-1]|0,Gear - nose gear down (Bit),0,0"), {{2, W, u"exactly: \"Gear - Nose Gear Down (Bit)\""}}},
    {crlf(u"[PTLED-2]|0,a,FUELFLW,0"), {{2, W, u"unknown text LED keyword \"FUELFLW\""}}},
    {crlf(u"[PTLCD-1]|1,a,PFL,"), {{2, W, u"unknown text LCD mode \"PFL\""}}},
    {crlf(u"[PTLED-1]|4,a,cmds2,0"), {{2, W, u"beyond the text LED's lines 0 to 3"}}},
    {crlf(u"[PTLCD-2]|0,a,CMDS,|1,b,,|2,c,,"), {{4, W, u"beyond the text LCD's lines 0 to 1"}}},
    {crlf(u"[GAUGES]|1,a,KAIS,x|2,b,7,0|3,c,OILPRESSURE,0|4,d,KAIS,0|5,e,STBY,90|6,f,NOSPSS,0"),
     {{2, W, u"\"x\" is no number"},
      {3, W, u"gauge keyword \"7\" is a number"},
      {4, W, u"an EPIC keyword, not a gauge keyword: the gauge holds its fourth field, \"0\" (gauge keyword OILPRES?)"},
      {5, W, u"(gauge keyword KIAS?)"},
      {7, W, u"(gauge keyword NOZPOS?)"}}}, // two edits from six letters on
    {crlf(u"[GAUGES]|1,a,KIAS,0|[P4SERVO-2]|4,a,,1|0,b,,0|1,c,,2|2,d,,one|3,e,,1"),
     {{4, W, u"motors 0 to 3"},
      {5, W, u"gauges count from 1"},
      {6, W, u"beyond the 1 entries"},
      {7, W, u"\"one\" is no number: it reads as 0"},
      {8, W, u"first 4"}}},
    {crlf(u"[EPICAnalogs]|x,a,RPM,0|1,b, GS,0|2,c,NOZZLE2,0|3,d,RMP,0|y,e,INTWINGFUEL,0|4,f,OILPRES,0|5,g,7,0"),
     {{2, W, u"\"x\" is no number"},
      {3, W, u"blanks around"},
      {4, W, u"NOZZZLE2"},
      {5, W, u"unknown EPIC keyword \"RMP\": nothing is sent (EPIC keyword RPM?)"},
      {7, W, u"a gauge keyword, not an EPIC keyword"},
      {8, W, u"EPIC keyword \"7\" is a number"}}},
    {crlf(u"[PLED64-1] |0,a,1,1"), {{1, W, u"text after \"]\""}}},
    {crlf(u"[TCPIP-IP|127.0.0.1"), {{1, W, u"without \"]\""}}},
    {u"[TCPIP-PORT]\r\n8091"_s, {{2, W, u"no line end"}}},
    {u"[TCPIP-PORT]\r\n8091\r\n/ the end"_s, {}},
};

} // namespace

// Each finding on its line, at its level, as the program's start-up logs it (by the rules
// tavrel-check applies): with the file's path and the line.
TEST(CheckTest, TheProgramLogsEachFindingAtStartUp)
{
    for (const auto &[text, findings] : kCases) {
        SCOPED_TRACE(text.left(40).toStdString());
        tavrel::test::CockpitHarness h(text.toLatin1());
        h.noBoards();
        tavrel::test::LogCapture log;
        h.startUp();
        const QRegularExpression finding(
            u"^tavrel\\.config (warning|error): %1:(\\d+): "_s.arg(QRegularExpression::escape(h.cockpit.configFile())));
        QStringList logged;
        for (const QString &line : log.lines)
            if (const auto match = finding.match(line); match.hasMatch())
                logged << line;
        ASSERT_EQ(size_t(logged.size()), findings.size()) << logged.join(u'\n').toStdString();
        for (size_t i = 0; i < findings.size(); ++i) {
            const auto &[line, level, words] = findings[i];
            const auto match = finding.match(logged[qsizetype(i)]);
            EXPECT_EQ(match.captured(2).toInt(), line) << logged[qsizetype(i)].toStdString();
            EXPECT_EQ(match.captured(1), level == E ? u"error"_s : u"warning"_s);
            EXPECT_TRUE(logged[qsizetype(i)].contains(QStringView(words))) << logged[qsizetype(i)].toStdString();
        }
    }
}

// The real program: its output, summary and exit code, the demo cockpit's file clean.
TEST(CheckTest, TheProgramPrintsAndExits)
{
    tavrel::test::TestPlatform folder; // as a folder of its own
    folder.writeFile(u"Tavrel.cfg"_s, crlf(u"[NOSCREENUPDATE]|yes").toLatin1());
    folder.writeFile(u"bad.cfg"_s, crlf(u"[PLED64-1]|0,a,1,9|1,a,0,0").toLatin1());
    const QString demo = QStringLiteral(TAVREL_SOURCE_DIR "/demo/Tavrel.cfg");
    const struct
    {
        QStringList args;
        int code;
        QByteArray output;
    } runs[] = {
        {{demo}, 0, demo.toLocal8Bit() + ": no problems found\n"},
        {{},
         1,
         "Tavrel.cfg:2: warning: \"yes\" is neither TRUE nor FALSE: it reads as FALSE\n"
         "Tavrel.cfg: 0 errors, 1 warning\n"},
        {{u"--quiet"_s, u"bad.cfg"_s},
         2,
         "bad.cfg:2: error: bit word \"9\" is not 0 to 4: the lamp pass stops here and lines 2-3 stay undriven\n"
         "bad.cfg:3: warning: bit word 0, but \"a\" names none of the built-in lamp rules: the lamp stays dark\n"},
        {{u"a.cfg"_s, u"b.cfg"_s}, 2, ""},
        {{u"missing.cfg"_s},
         2,
         "missing.cfg: error: cannot be read: File not found: missing.cfg\n"
         "missing.cfg: 1 error, 0 warnings\n"},
    };
    for (const auto &run : runs) {
        SCOPED_TRACE(run.args.join(u' ').toStdString());
        QProcess check;
        check.setWorkingDirectory(folder.dir.path());
        check.start(QStringLiteral(TAVREL_CHECK_BINARY), run.args);
        ASSERT_TRUE(check.waitForFinished(tavrel::test::kPatienceMs));
        EXPECT_EQ(check.exitCode(), run.code);
        EXPECT_EQ(check.readAllStandardOutput().toStdString(), run.output.toStdString());
    }
}
