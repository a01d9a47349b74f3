// Fuzz target for the configuration file reader and tavrel-check: the bytes are a
// Tavrel.cfg file in Windows-1252. Besides not crashing or hanging: a file is refused as
// too long exactly when it is, no switch value or field of a row (but the third, which
// runs on) holds a line end, only the BOARDS list keeps commas in a switch value; the
// reader reads the same with an outline as without one, the outline matches what was
// read, and every finding of the checker stands on a line of the file.
#include "check/ConfigCheck.h"
#include "core/ConfigReader.h"
#include "core/Convert.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tavrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto require = [](bool condition) {
        if (!condition)
            std::abort();
    };
    const QString text = convert::decodeWindows1252(QByteArrayView(data, qsizetype(size)));
    ConfigOutline outline;
    const ConfigReadResult plain = readConfiguration(text);
    const ConfigReadResult outlined = readConfiguration(text, &outline);
    require((plain.error == ConfigError::TooLong) == (text.size() > kMaxConfigLength));
    for (const ConfigSwitch &s : plain.config.switches)
        require(!s.value.contains(u'\r') && (s.section == SwitchSection::BOARDS || !s.value.contains(u',')));
    for (const ConfigTable &table : plain.config.tables)
        for (qsizetype r = 0; r + 1 < table.size(); ++r)
            require(!table[r][0].contains(u'\r') && !table[r][1].contains(u'\r') && !table[r][3].contains(u'\r'));

    require(plain.error == outlined.error && plain.config.switches == outlined.config.switches
            && plain.config.tables == outlined.config.tables);
    require((outline.formatErrorLine > 0) == (plain.error == ConfigError::Format));
    const int lines = int(text.count(u'\n')) + 1;
    for (const ConfigOutline::Section &s : outline.sections)
        for (const ConfigOutline::Row &row : s.rows)
            require(s.line >= 1 && s.line <= row.line && row.line <= row.lastLine && row.lastLine <= lines);
    for (int i = 0; i < kDeviceSectionCount; ++i) {
        const QStringView name = sectionName(DeviceSection(i));
        const auto last = std::find_if(outline.sections.rbegin(), outline.sections.rend(),
                                       [&](const ConfigOutline::Section &s) { return s.name == name; });
        require(configEntries(plain.config.tables[std::size_t(i)])
                == (last == outline.sections.rend() ? 0 : last->rows.size()));
    }

    for (const check::Finding &finding : check::checkText(text))
        require(finding.line >= 1 && finding.line <= lines && !finding.message.contains(u'\n'));
    return 0;
}
