#include "core/ConfigReader.h"
#include "core/Convert.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

QString lfOnly(QString text) { return text.replace(u"\r\n"_s, u"\n"_s); }

std::string show(const QString &s)
{
    QString t = s;
    t.replace(u'\r', u"\\r"_s).replace(u'\n', u"\\n"_s);
    return t.toStdString();
}

const char *errorName(ConfigError e)
{
    switch (e) {
    case ConfigError::None: return "None";
    case ConfigError::Format: return "Format";
    case ConfigError::TooLong: return "TooLong";
    }
    return "?";
}

// One readable text per result, so a failing case shows the whole difference.
std::string describe(const ConfigReadResult &r)
{
    std::string out = std::string("error=") + errorName(r.error) + "\n";
    for (const ConfigSwitch &s : r.config.switches)
        out += "switch " + show(s.section) + "=" + show(s.value) + "\n";
    for (int i = 0; i < kDeviceSectionCount; ++i) {
        const ConfigTable &table = r.config.tables[std::size_t(i)];
        if (table.isEmpty())
            continue;
        out += "[" + sectionName(DeviceSection(i)).toString().toStdString() + "]\n";
        for (const ConfigRow &row : table)
            out += "  " + show(row[0]) + " | " + show(row[1]) + " | " + show(row[2]) + " | " + show(row[3]) + "\n";
    }
    return out;
}

struct Expected
{
    ConfigError error = ConfigError::None;
    QList<ConfigSwitch> switches;
    QList<std::pair<DeviceSection, QList<ConfigRow>>> tables; // rows without the spare row
};

ConfigReadResult build(const Expected &e)
{
    ConfigReadResult r;
    r.error = e.error;
    r.config.switches = e.switches;
    for (const auto &[section, rows] : e.tables) {
        ConfigTable t = rows;
        t.append(ConfigRow{});
        r.config.tables[std::size_t(section)] = t;
    }
    return r;
}

QString exampleFile()
{
    return crlf({u"/ cockpit set-up"_s, u"[COMPREF]"_s, u"DCOM"_s, u"[NOSCREENUPDATE]"_s, u"FALSE"_s,
                 u"[PLED64-1]"_s, u"0,HSI - Outer Marker Beacon,0,0"_s, u"1,Gear - Nose Gear Down (Bit),0,0"_s,
                 u"2,Panel lamp,16,1"_s, u"[PTLED-1]"_s, u"0,Fuel flow,FUELFLOW,0"_s});
}

const Expected kExample{
    ConfigError::None,
    {{u"COMPREF"_s, u"DCOM"_s}, {u"NOSCREENUPDATE"_s, u"FALSE"_s}},
    {{DeviceSection::PLED64_1,
      {{u"0"_s, u"HSI - Outer Marker Beacon"_s, u"0"_s, u"0"_s},
       {u"1"_s, u"Gear - Nose Gear Down (Bit)"_s, u"0"_s, u"0"_s},
       {u"2"_s, u"Panel lamp"_s, u"16"_s, u"1"_s}}},
     {DeviceSection::PTLED_1, {{u"0"_s, u"Fuel flow"_s, u"FUELFLOW"_s, u"0"_s}}}},
};

// "[GAUGES]" + line end + "0,a,b," + padding + line end, exactly `length` characters long
// with CR LF line ends.
QString fileOfLength(qsizetype length)
{
    const QString head = u"[GAUGES]\r\n0,a,b,"_s;
    return head + QString(length - head.size() - 2, u'x') + u"\r\n"_s;
}

} // namespace

TEST(ConfigReaderTest, ReadsFiles)
{
    const QString longest = fileOfLength(kMaxConfigLength);
    const QString pad = longest.mid(16, kMaxConfigLength - 18);
    // The same file with LF line ends, two characters longer in its padding.
    const QString lfPad(pad.size() + 2, u'x');

    struct Case
    {
        const char *name;
        QString text;
        Expected expected;
    };
    const Case cases[] = {
        {"example", exampleFile(), kExample},
        {"example with LF line ends", lfOnly(exampleFile()), kExample},
        {"example with mixed line ends", exampleFile().replace(u"DCOM\r\n"_s, u"DCOM\n"_s), kExample},
        {"comments before the first section and between sections",
         crlf({u"/ first"_s, u"// second"_s, u"[GAUGES]"_s, u"1,a,b,c"_s, u"/ between"_s, u"[P4SERVO-2]"_s, u"2,d,e,f"_s}),
         {ConfigError::None,
          {},
          {{DeviceSection::GAUGES, {{u"1"_s, u"a"_s, u"b"_s, u"c"_s}}},
           {DeviceSection::P4SERVO_2, {{u"2"_s, u"d"_s, u"e"_s, u"f"_s}}}}}},
        {"first character is a letter", crlf({u"PLED64-1"_s, u"0,a,0,0"_s}), {ConfigError::Format, {}, {}}},
        {"switch section with a second value line keeps the switch read before",
         crlf({u"[COMPREF]"_s, u"DCOM"_s, u"COM2"_s, u"[PLED64-1]"_s, u"0,a,0,0"_s}),
         {ConfigError::Format, {{u"COMPREF"_s, u"DCOM"_s}}, {}}},
        {"format error keeps what was read before it",
         crlf({u"[PLED64-1]"_s, u"0,a,0,0"_s, u"[TCPIP-IP]"_s, u"127.0.0.1"_s, u"[TCPIP-PORT]"_s, u"8091"_s,
               u"extra"_s}),
         {ConfigError::Format,
          {{u"TCPIP-IP"_s, u"127.0.0.1"_s}, {u"TCPIP-PORT"_s, u"8091"_s}},
          {{DeviceSection::PLED64_1, {{u"0"_s, u"a"_s, u"0"_s, u"0"_s}}}}}},
        {"comment after a section's data ends it",
         crlf({u"[PLED64-1]"_s, u"0,a,0,0"_s, u"/ note"_s, u"1,b,0,0"_s}),
         {ConfigError::Format, {}, {{DeviceSection::PLED64_1, {{u"0"_s, u"a"_s, u"0"_s, u"0"_s}}}}}},
        {"device section names are case-sensitive",
         crlf({u"[pled64-1]"_s, u"0,a,0,0"_s, u"[PLED64-2]"_s, u"1,b,0,0"_s}),
         {ConfigError::None, {}, {{DeviceSection::PLED64_2, {{u"1"_s, u"b"_s, u"0"_s, u"0"_s}}}}}},
        // The value line is read as a table row; its third field runs over the rest of the file.
        {"switch section names are case-sensitive", crlf({u"[compref]"_s, u"DCOM"_s, u"[COMPREF]"_s, u"X"_s}),
         {ConfigError::None, {}, {}}},
        {"unknown section is read and dropped", crlf({u"[FOO]"_s, u"0,a,0,0"_s, u"[GAUGES]"_s, u"1,b,0,0"_s}),
         {ConfigError::None, {}, {{DeviceSection::GAUGES, {{u"1"_s, u"b"_s, u"0"_s, u"0"_s}}}}}},
        {"section given twice keeps its last rows",
         crlf({u"[PTLCD-1]"_s, u"0,a,0,0"_s, u"1,b,0,0"_s, u"[PTLCD-2]"_s, u"5,x,0,0"_s, u"[PTLCD-1]"_s,
               u"2,c,0,0"_s}),
         {ConfigError::None,
          {},
          {{DeviceSection::PTLCD_1, {{u"2"_s, u"c"_s, u"0"_s, u"0"_s}}},
           {DeviceSection::PTLCD_2, {{u"5"_s, u"x"_s, u"0"_s, u"0"_s}}}}}},
        {"section without rows has the spare row only", crlf({u"[GAUGES]"_s, u"[P01616-2]"_s}),
         {ConfigError::None, {}, {{DeviceSection::GAUGES, {}}, {DeviceSection::P01616_2, {}}}}},
        {"five values: the last two, comma included, form the fourth column",
         crlf({u"[P01616-1]"_s, u"3,Switch,1,2,3"_s}),
         {ConfigError::None, {}, {{DeviceSection::P01616_1, {{u"3"_s, u"Switch"_s, u"1"_s, u"2,3"_s}}}}}},
        {"line without a comma: whole text first, third field runs into the next line",
         crlf({u"[P4SERVO-1]"_s, u"NoComma"_s, u"0,a,b,c"_s}),
         {ConfigError::None, {}, {{DeviceSection::P4SERVO_1, {{u"NoComma"_s, u""_s, u"\r\n0"_s, u"a,b,c"_s}}}}}},
        {"two commas only: third field runs over the line end",
         crlf({u"[EPICAnalogs]"_s, u"1,Throttle,5"_s, u"2,Mixture,6,7"_s}),
         {ConfigError::None,
          {},
          {{DeviceSection::EPICAnalogs, {{u"1"_s, u"Throttle"_s, u"5\r\n2"_s, u"Mixture,6,7"_s}}}}}},
        {"missing final line end loses the last two characters", u"[PLED64-2]\r\n0,Lamp,0,1234"_s,
         {ConfigError::None, {}, {{DeviceSection::PLED64_2, {{u"0"_s, u"Lamp"_s, u"0"_s, u"12"_s}}}}}},
        {"file ending in a comment without line end", u"[GAUGES]\r\n1,a,b,c\r\n/ end"_s,
         {ConfigError::None, {}, {{DeviceSection::GAUGES, {{u"1"_s, u"a"_s, u"b"_s, u"c"_s}}}}}},
        {"blank lines between sections and inside sections are skipped",
         crlf({u""_s, u"[PLED64-1]"_s, u""_s, u"0,a,0,0"_s, u""_s, u"1,b,0,0"_s, u""_s, u"[COMPREF]"_s, u""_s,
               u"DCOM"_s, u""_s, u"[PTLED-2]"_s, u"7,x,y,z"_s, u""_s}),
         {ConfigError::None,
          {{u"COMPREF"_s, u"DCOM"_s}},
          {{DeviceSection::PLED64_1, {{u"0"_s, u"a"_s, u"0"_s, u"0"_s}, {u"1"_s, u"b"_s, u"0"_s, u"0"_s}}},
           {DeviceSection::PTLED_2, {{u"7"_s, u"x"_s, u"y"_s, u"z"_s}}}}}},
        {"32767 characters are read", longest,
         {ConfigError::None, {}, {{DeviceSection::GAUGES, {{u"0"_s, u"a"_s, u"b"_s, pad}}}}}},
        {"32768 characters are refused", fileOfLength(kMaxConfigLength + 1), {ConfigError::TooLong, {}, {}}},
        {"the limit counts the file as stored, not its CR LF form", lfOnly(fileOfLength(kMaxConfigLength + 2)),
         {ConfigError::None, {}, {{DeviceSection::GAUGES, {{u"0"_s, u"a"_s, u"b"_s, lfPad}}}}}},
        {"empty file", QString(), {ConfigError::None, {}, {}}},
        {"only comments and blank lines", crlf({u"/ nothing yet"_s, u""_s, u"/ still nothing"_s}),
         {ConfigError::None, {}, {}}},
    };

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(readConfiguration(c.text)), describe(build(c.expected)));
    }
}

// Each header fills its own table, and the header names are the ones files use.
TEST(ConfigReaderTest, EachDeviceSectionFillsItsTable)
{
    const std::pair<DeviceSection, QString> sections[] = {
        {DeviceSection::PLED64_1, u"PLED64-1"_s},   {DeviceSection::PLED64_2, u"PLED64-2"_s},
        {DeviceSection::P01616_1, u"P01616-1"_s},   {DeviceSection::P01616_2, u"P01616-2"_s},
        {DeviceSection::PTLED_1, u"PTLED-1"_s},     {DeviceSection::PTLED_2, u"PTLED-2"_s},
        {DeviceSection::PTLCD_1, u"PTLCD-1"_s},     {DeviceSection::PTLCD_2, u"PTLCD-2"_s},
        {DeviceSection::GAUGES, u"GAUGES"_s},       {DeviceSection::EPICAnalogs, u"EPICAnalogs"_s},
        {DeviceSection::P4SERVO_1, u"P4SERVO-1"_s}, {DeviceSection::P4SERVO_2, u"P4SERVO-2"_s},
    };
    for (const auto &[section, name] : sections) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(sectionName(section), name);
        const ConfigReadResult r = readConfiguration(crlf({u"["_s + name + u"]"_s, u"9,row,1,2"_s}));
        EXPECT_EQ(describe(r), describe(build({ConfigError::None, {}, {{section, {{u"9"_s, u"row"_s, u"1"_s, u"2"_s}}}}})));
    }
}

TEST(ConfigReaderTest, FormatMessageIsTheThreeLines)
{
    EXPECT_EQ(formatMessage(),
              u"Your Tavrel.cfg file may be improperly formatted.  The first line must indicate a parameter "
              u"enclosed in square brackets.  Eg: [paramname]\r"
              u"Valid Parameters are:  PLED64-1, PLED64-2, P01616-1, P01616-2, PTLED-1, PTLED-2 PTLCD-1, "
              u"PTLCD-2, GAUGES, EPICAnalogs, P4SERVO-1, P4SERVO-2\r"
              u"Please Correct the file and rerun Tavrel"_s);
}

// The demo cockpit's file is the example users copy from: it must read cleanly and fill
// every table and switch.
TEST(ConfigReaderTest, DemoCockpitFileUsesEverySection)
{
    QFile file(QStringLiteral(TAVREL_SOURCE_DIR "/demo/Tavrel.cfg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QByteArray bytes = file.readAll();
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes)
        text += QChar(convert::fromWindows1252(static_cast<unsigned char>(byte)));

    const ConfigReadResult r = readConfiguration(text);
    ASSERT_EQ(r.error, ConfigError::None) << describe(r);

    const QList<ConfigSwitch> switches{{u"TCPIP-IP"_s, u"127.0.0.1"_s},
                                       {u"TCPIP-PORT"_s, u"8091"_s},
                                       {u"COMPREF"_s, u"DCOM"_s},
                                       {u"NOSCREENUPDATE"_s, u"FALSE"_s},
                                       {u"UPDATEEPICANYWAY"_s, u"TRUE"_s}};
    EXPECT_EQ(r.config.switches, switches) << describe(r);

    for (int i = 0; i < kDeviceSectionCount; ++i) {
        const DeviceSection section = DeviceSection(i);
        SCOPED_TRACE(sectionName(section).toString().toStdString());
        const ConfigTable &table = r.config.table(section);
        ASSERT_GE(table.size(), 2) << "no data rows";
        EXPECT_EQ(table.last(), ConfigRow{});
        for (qsizetype row = 0; row + 1 < table.size(); ++row) {
            const ConfigRow &fields = table[row];
            EXPECT_FALSE(fields[0].isEmpty()) << "row " << row;
            // A line with too few commas runs its third field into the next line.
            for (const QString &field : fields)
                EXPECT_FALSE(field.contains(u'\r') || field.contains(u'\n')) << "row " << row << ": " << show(field);
        }
    }
}
