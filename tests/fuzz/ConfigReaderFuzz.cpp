// Fuzz target for the configuration file reader: the bytes are a Tavrel.cfg file in
// Windows-1252. Besides not crashing or hanging, every result must keep the shape the
// rest of the program relies on, and a clean result must read back the same after being
// written out again.
#include "core/ConfigReader.h"
#include "core/Convert.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool isSwitchName(const QString &s)
{
    return s == u"COMPREF"_s || s == u"TCPIP-IP"_s || s == u"TCPIP-PORT"_s || s == u"NOSCREENUPDATE"_s
        || s == u"UPDATEEPICANYWAY"_s || s == kRecoverSection || s == kBoardsSection;
}

// A BOARDS line is kept whole, commas included; every other switch value ends at a comma.
bool isListLine(const ConfigSwitch &s) { return s.section == kBoardsSection; }

bool hasLineBreak(const QString &s) { return s.contains(u'\r') || s.contains(u'\n'); }

bool startsLikeNonData(const QString &s) { return s.startsWith(u'[') || s.startsWith(u'/'); }

// Written out in the file's own form, or empty when a value cannot be written so that it
// reads back unchanged (line breaks, commas in the first three fields, a first field that
// would read as a header or comment, an empty switch value).
QString writeOut(const Configuration &config)
{
    QString text;
    for (const ConfigSwitch &s : config.switches) {
        if (s.value.isEmpty() || hasLineBreak(s.value) || (!isListLine(s) && s.value.contains(u','))
            || startsLikeNonData(s.value))
            return {};
        text += u"["_s + s.section + u"]\r\n"_s + s.value + u"\r\n"_s;
    }
    for (int i = 0; i < kDeviceSectionCount; ++i) {
        const ConfigTable &table = config.tables[std::size_t(i)];
        if (table.isEmpty())
            continue;
        text += u"["_s + sectionName(DeviceSection(i)).toString() + u"]\r\n"_s;
        for (qsizetype r = 0; r + 1 < table.size(); ++r) {
            const ConfigRow &row = table[r];
            for (int f = 0; f < 4; ++f)
                if (hasLineBreak(row[std::size_t(f)]) || (f < 3 && row[std::size_t(f)].contains(u',')))
                    return {};
            if (startsLikeNonData(row[0]))
                return {};
            text += row[0] + u','  + row[1] + u',' + row[2] + u',' + row[3] + u"\r\n"_s;
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size), Qt::Uninitialized);
    for (size_t i = 0; i < size; ++i)
        text[qsizetype(i)] = QChar(convert::fromWindows1252(data[i]));

    const ConfigReadResult result = readConfiguration(text);
    const Configuration &config = result.config;

    check((result.error == ConfigError::TooLong) == (text.size() > kMaxConfigLength));

    if (result.error == ConfigError::TooLong) {
        check(config.switches.isEmpty());
        for (const ConfigTable &table : config.tables)
            check(table.isEmpty());
        return 0;
    }

    for (const ConfigSwitch &s : config.switches) {
        check(isSwitchName(s.section));
        check(!s.value.contains(u'\r') && (isListLine(s) || !s.value.contains(u',')));
        check(!isListLine(s) || !startsLikeNonData(s.value));
    }
    qsizetype rows = 0;
    for (const ConfigTable &table : config.tables) {
        if (table.isEmpty())
            continue;
        const ConfigRow &spare = table.last();
        for (const QString &field : spare)
            check(field.isEmpty());
        for (qsizetype r = 0; r + 1 < table.size(); ++r) {
            const ConfigRow &row = table[r];
            check(row.size() == 4);
            check(!row[0].contains(u'\r') && !row[0].contains(u','));
            check(!row[1].contains(u'\r') && !row[1].contains(u','));
            check(!row[2].contains(u','));
            check(!row[3].contains(u'\r'));
            check(!startsLikeNonData(row[0]));
        }
        rows += table.size() - 1;
    }
    // Every row and every switch value ends at a line break or at the end of the text.
    check(rows + config.switches.size() <= text.count(u'\r') + text.count(u'\n') + 1);

    if (result.error == ConfigError::None) {
        const QString again = writeOut(config);
        if (!again.isEmpty() && again.size() <= kMaxConfigLength) {
            const ConfigReadResult reread = readConfiguration(again);
            check(reread.error == ConfigError::None);
            check(reread.config.switches == config.switches);
            check(reread.config.tables == config.tables);
        }
    }
    return 0;
}
