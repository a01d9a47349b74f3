// The configuration reader: one table of files and what they read as.
#include "core/ConfigReader.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tavrel;
using namespace Qt::Literals::StringLiterals;

namespace {

// Lines joined and each ended with CR LF.
QString crlf(std::initializer_list<QString> lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + u"\r\n"_s;
    return text;
}

QString lfOnly(QString text)
{
    return text.replace(u"\r\n"_s, u"\n"_s);
}

// A result as one text: the error, the switches, then each table present with its rows
// (the spare row shown as "spare").
QString describe(const ConfigReadResult &r)
{
    QString out = u"error %1\n"_s.arg(int(r.error));
    for (const ConfigSwitch &s : r.config.switches)
        out += sectionName(s.section).toString() + u'=' + s.value + u'\n';
    for (int i = 0; i < kDeviceSectionCount; ++i)
        for (const ConfigRow &row : r.config.tables[std::size_t(i)])
            out += sectionName(DeviceSection(i)).toString() + u": "_s
                   + (row == ConfigRow{} ? u"spare"_s : QStringList(row.begin(), row.end()).join(u" | "_s)) + u'\n';
    return out;
}

// "[GAUGES]" + line end + "0,a,b," + padding + line end, exactly `length` characters long.
QString fileOfLength(qsizetype length)
{
    const QString head = u"[GAUGES]\r\n0,a,b,"_s;
    return head + QString(length - head.size() - 2, u'x') + u"\r\n"_s;
}

} // namespace

TEST(ConfigReaderTest, ReadsFiles)
{
    const QString example = crlf({u"/ cockpit"_s, u"[COMPREF]"_s, u"DCOM"_s, u"[PLED64-1]"_s,
                                  u"0,HSI - Outer Marker Beacon,0,0"_s, u"2,Panel lamp,16,1"_s, u"[PTLED-1]"_s,
                                  u"0,Fuel flow,FUELFLOW,0"_s});
    const char *exampleRead = "error 0\nCOMPREF=DCOM\nPLED64-1: 0 | HSI - Outer Marker Beacon | 0 | 0\n"
                              "PLED64-1: 2 | Panel lamp | 16 | 1\nPLED64-1: spare\n"
                              "PTLED-1: 0 | Fuel flow | FUELFLOW | 0\nPTLED-1: spare\n";
    const QString longest = fileOfLength(32767);
    const QString pad = longest.mid(16, 32767 - 18);
    const QString exampleText = QString::fromLatin1(exampleRead);
    // clang-format off
    const std::vector<std::tuple<const char *, QString, QString>> cases = {
        {"example", example, exampleText},
        {"LF line ends", lfOnly(example), exampleText},
        {"mixed line ends", QString(example).replace(u"DCOM\r\n"_s, u"DCOM\n"_s), exampleText},
        {"a letter where a header belongs", crlf({u"PLED64-1"_s, u"0,a,0,0"_s}), u"error 1\n"_s},
        {"a second value line: what came before stays", crlf({u"[PLED64-2]"_s, u"0,a,0,0"_s, u"[TCPIP-PORT]"_s,
         u"8091"_s, u"extra"_s}), u"error 1\nTCPIP-PORT=8091\nPLED64-2: 0 | a | 0 | 0\nPLED64-2: spare\n"_s},
        {"a comment after data ends the section", crlf({u"[GAUGES]"_s, u"0,a,0,0"_s, u"/ note"_s, u"1,b,0,0"_s}),
         u"error 1\nGAUGES: 0 | a | 0 | 0\nGAUGES: spare\n"_s},
        {"names are case-sensitive; unknown ones are dropped", crlf({u"[pled64-1]"_s, u"0,a,0,0"_s, u"[compref]"_s,
         u"1,b,0,0"_s, u"[P4SERVO-2]"_s, u"2,c,0,0"_s}), u"error 0\nP4SERVO-2: 2 | c | 0 | 0\nP4SERVO-2: spare\n"_s},
        {"a section given twice keeps its last rows", crlf({u"[PTLCD-1]"_s, u"0,a,0,0"_s, u"1,b,0,0"_s,
         u"[PTLCD-1]"_s, u"2,c,0,0"_s}), u"error 0\nPTLCD-1: 2 | c | 0 | 0\nPTLCD-1: spare\n"_s},
        {"the fourth field takes the rest", crlf({u"[P01616-1]"_s, u"3,Switch,1,2,3"_s}),
         u"error 0\nP01616-1: 3 | Switch | 1 | 2,3\nP01616-1: spare\n"_s},
        {"no comma: the third field runs into the next line", crlf({u"[P4SERVO-1]"_s, u"NoComma"_s, u"0,a,b,c"_s}),
         u"error 0\nP4SERVO-1: NoComma |  | \r\n0 | a,b,c\nP4SERVO-1: spare\n"_s},
        {"a last line without line end loses two characters", u"[PLED64-2]\r\n0,Lamp,0,1234"_s,
         u"error 0\nPLED64-2: 0 | Lamp | 0 | 12\nPLED64-2: spare\n"_s},
        {"blank lines anywhere are skipped", crlf({u""_s, u"[P01616-2]"_s, u""_s, u"0,a,0,0"_s, u""_s,
         u"[NOSCREENUPDATE]"_s, u""_s, u"TRUE"_s, u""_s}),
         u"error 0\nNOSCREENUPDATE=TRUE\nP01616-2: 0 | a | 0 | 0\nP01616-2: spare\n"_s},
        {"a first blank line, LF only", u"\n[P01616-2]\n0,a,0,0\n"_s,
         u"error 0\nP01616-2: 0 | a | 0 | 0\nP01616-2: spare\n"_s},
        {"32767 characters are read", longest, u"error 0\nGAUGES: 0 | a | b | "_s + pad + u"\nGAUGES: spare\n"_s},
        {"32768 are refused", fileOfLength(32768), u"error 2\n"_s},
        {"the limit counts the file as stored", lfOnly(fileOfLength(32769)),
         u"error 0\nGAUGES: 0 | a | b | "_s + QString(pad.size() + 2, u'x') + u"\nGAUGES: spare\n"_s}};
    // clang-format on
    for (const auto &[name, text, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(describe(readConfiguration(text)), expected);
    }
}
