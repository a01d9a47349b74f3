// The configuration reader: cockpit files and what they read as.
#include "core/ConfigReader.h"
#include "support/QtPrinters.h"
#include "support/UnitData.h"

#include <gtest/gtest.h>

using namespace tavrel;
using namespace Qt::Literals::StringLiterals;

namespace {

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

// Each file in data/unit/config against the reading beside it (NAME.read).
TEST(ConfigReaderTest, ReadsFiles)
{
    const QDir folder(test::unitDataPath(u"config"_s));
    const QStringList files = folder.entryList({u"*.cfg"_s}, QDir::Files);
    EXPECT_GE(files.size(), 13);
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const QString text = QString::fromLatin1(test::unitData(u"config/"_s + file));
        const QString reading = QString::fromLatin1(test::unitData(u"config/"_s + file.chopped(4) + u".read"_s));
        EXPECT_EQ(describe(readConfiguration(text)), reading);
    }
}

// The length limit, counted on the file as stored: 32767 characters are read, 32768 refused,
// and 32769 with two CR LF made LF are 32767 again.
TEST(ConfigReaderTest, ReadsUpTo32767Characters)
{
    const QString longest = fileOfLength(32767);
    const QString pad = longest.mid(16, 32767 - 18);
    EXPECT_EQ(describe(readConfiguration(longest)), u"error 0\nGAUGES: 0 | a | b | "_s + pad + u"\nGAUGES: spare\n"_s);
    EXPECT_EQ(describe(readConfiguration(fileOfLength(32768))), u"error 2\n"_s);
    EXPECT_EQ(describe(readConfiguration(fileOfLength(32769).replace(u"\r\n"_s, u"\n"_s))),
              u"error 0\nGAUGES: 0 | a | b | "_s + QString(pad.size() + 2, u'x') + u"\nGAUGES: spare\n"_s);
}
