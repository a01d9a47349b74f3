#include "ConfigCheck.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace tavrel::check;
using namespace Qt::StringLiterals;

namespace {

QString crlf(std::initializer_list<const char16_t *> lines)
{
    QString text;
    for (const char16_t *line : lines)
        text += QString::fromUtf16(line) + u"\r\n"_s;
    return text;
}

// 400 comment lines of 100 characters: character 32768 stands on line 328.
QString tooLong()
{
    return (u'/' + QString(97, u'x') + u"\r\n"_s).repeated(400);
}

constexpr Level E = Level::Error;
constexpr Level W = Level::Warning;

struct Expected
{
    int line;
    Level level;
    QString words; // a part of the message that names the problem
};

struct Case
{
    const char *name;
    QString text;
    std::vector<Expected> findings;
};

const Case kCases[] = {
    {"no header first", crlf({u"PLED64-1", u"0,a,1,1"}), {{1, E, u"improperly formatted.  The first line"_s}}},
    {"second switch value", crlf({u"[COMPREF]", u"DCOM", u"TCP"}), {{3, E, u"second value line in switch section [COMPREF]"_s}}},
    {"data after a comment", crlf({u"[PLED64-1]", u"0,a,1,1", u"/ x", u"1,b,1,1"}), {{4, E, u"after a comment line"_s}}},
    {"too long", tooLong(), {{328, E, u"longer than 32767"_s}}},
    {"two commas", crlf({u"[PTLCD-1]", u"1,a,PFD,", u"2,b,PFD", u"3,c,PFD,"}), {{3, E, u"three commas: its third field runs on over the line end, so line 4"_s}}},
    {"bit word 5", crlf({u"[PLED64-1]", u"0,a,1,1", u"1,b,1,5", u"2,c,1,1", u"3,d,1,1"}), {{3, E, u"lines 3-5 stay undriven"_s}}},
    {"unknown section", crlf({u"[pled64-1]", u"0,a,1,1"}), {{1, W, u"unknown section [pled64-1]: read and dropped (names are exact: [PLED64-1]?)"_s}}},
    {"section twice", crlf({u"[PTLED-1]", u"0,a,FUELFLOW,0", u"[PTLED-1]", u"1,b,CMDS1,0"}), {{1, W, u"given again on line 3"_s}}},
    {"relay before address", crlf({u"[COMPREF]", u"TCP", u"[TCPIP-PORT]", u"8091"}), {{1, W, u"before [TCPIP-PORT] (line 3)"_s}}},
    {"dcom in lower case", crlf({u"[COMPREF]", u"dcom"}), {{2, W, u"\"dcom\" chooses the relay"_s}}},
    {"switch neither TRUE nor FALSE", crlf({u"[UPDATEEPICANYWAY]", u"yes"}), {{2, W, u"neither TRUE nor FALSE"_s}}},
    {"output past the kit", crlf({u"[P01616-2]", u"16,a,1,1"}), {{2, W, u"output \"16\" is outside the interface kit (0 to 15)"_s}}},
    {"output twice", crlf({u"[PLED64-2]", u"3,a,1,1", u"3,b,2,2"}), {{3, W, u"output 3 is also driven by line 2"_s}}},
    {"mask no number", crlf({u"[PLED64-1]", u"0,a,0x10,1"}), {{2, W, u"mask \"0x10\" reads as 0"_s}}},
    {"mask past 32 bits", crlf({u"[PLED64-1]", u"0,a,2147483648,1"}), {{2, W, u"beyond 32 bits"_s}}},
    {"no such lamp rule", crlf({u"[P01616-1]", u"0,Gear - nose gear down (Bit),0,0"}), {{2, W, u"written exactly: \"Gear - Nose Gear Down (Bit)\""_s}}},
    {"text LED keyword", crlf({u"[PTLED-2]", u"0,a,FUELFLW,0"}), {{2, W, u"unknown text LED keyword \"FUELFLW\""_s}}},
    {"text LCD mode", crlf({u"[PTLCD-1]", u"1,a,PFL,"}), {{2, W, u"unknown text LCD mode \"PFL\""_s}}},
    {"text LED line 4", crlf({u"[PTLED-1]", u"4,a,cmds2,0"}), {{2, W, u"beyond the text LED's lines 0 to 3"_s}}},
    {"third LCD entry", crlf({u"[PTLCD-2]", u"0,a,CMDS,", u"1,b,,", u"2,c,,"}), {{4, W, u"beyond the text LCD's lines 0 to 1"_s}}},
    {"gauge without keyword or number", crlf({u"[GAUGES]", u"1,a,KAIS,x"}), {{2, W, u"no gauge keyword"_s}}},
    {"motor assignments", crlf({u"[GAUGES]", u"1,a,KIAS,0", u"[P4SERVO-2]", u"4,a,,1", u"0,b,,0", u"1,c,,2", u"2,d,,1", u"3,e,,1"}),
     {{4, W, u"motors 0 to 3"_s}, {5, W, u"gauges count from 1"_s}, {6, W, u"beyond the 1 entries"_s}, {8, W, u"first 4 entries"_s}}},
    {"text after the header", crlf({u"[PLED64-1] ", u"0,a,1,1"}), {{1, W, u"text after \"]\""_s}}},
    {"header without ]", crlf({u"[TCPIP-IP", u"127.0.0.1"}), {{1, W, u"without \"]\""_s}}},
    {"no last line end", u"[TCPIP-PORT]\r\n8091"_s, {{2, W, u"no line end"_s}}},
};

std::string shown(const QList<Finding> &findings)
{
    QString out;
    for (const Finding &f : findings)
        out += formatFinding(u"f"_s, f) + u'\n';
    return out.toStdString();
}

} // namespace

TEST(CheckTest, EachFindingOnItsLine)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        const QList<Finding> found = checkText(c.text);
        ASSERT_EQ(size_t(found.size()), c.findings.size()) << shown(found);
        for (size_t i = 0; i < c.findings.size(); ++i) {
            EXPECT_EQ(found[qsizetype(i)].line, c.findings[i].line) << shown(found);
            EXPECT_EQ(found[qsizetype(i)].level, c.findings[i].level) << shown(found);
            EXPECT_TRUE(found[qsizetype(i)].message.contains(c.findings[i].words)) << shown(found);
        }
    }
}

// The real program: its output, summary and exit code, the demo cockpit's file clean.
TEST(CheckTest, TheProgramPrintsAndExits)
{
    QTemporaryDir dir;
    const auto write = [&](const QString &name, const QString &text) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toLatin1());
    };
    write(u"Tavrel.cfg"_s, crlf({u"[NOSCREENUPDATE]", u"yes"}));
    write(u"bad.cfg"_s, crlf({u"[PLED64-1]", u"0,a,1,9", u"1,a,0,0"}));
    const QString demo = QStringLiteral(TAVREL_SOURCE_DIR "/demo/Tavrel.cfg");
    const struct
    {
        QStringList args;
        int code;
        QByteArray output;
    } runs[] = {
        {{demo}, 0, demo.toLocal8Bit() + ": no problems found\n"},
        {{}, 1, "Tavrel.cfg:2: warning: \"yes\" is neither TRUE nor FALSE: it reads as FALSE\n"
                "Tavrel.cfg: 0 errors, 1 warning\n"},
        {{u"--quiet"_s, u"bad.cfg"_s}, 2,
         "bad.cfg:2: error: bit word \"9\" is not 0 to 4: the lamp pass stops here and lines 2-3 stay undriven\n"
         "bad.cfg:3: warning: bit word 0, but \"a\" names none of the built-in lamp rules: the lamp stays dark\n"},
        {{u"missing.cfg"_s}, 2, "missing.cfg: error: cannot be read: File not found: missing.cfg\n"
                                "missing.cfg: 1 error, 0 warnings\n"},
    };
    for (const auto &run : runs) {
        SCOPED_TRACE(run.args.join(u' ').toStdString());
        QProcess check;
        check.setWorkingDirectory(dir.path());
        check.start(QStringLiteral(TAVREL_CHECK_BINARY), run.args);
        ASSERT_TRUE(check.waitForFinished(30000));
        EXPECT_EQ(check.exitCode(), run.code);
        EXPECT_EQ(check.readAllStandardOutput().toStdString(), run.output.toStdString());
    }
}
