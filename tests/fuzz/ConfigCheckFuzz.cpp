// Fuzz target for tavrel-check over a Tavrel.cfg in Windows-1252: the reader reads the
// same with an outline as without one, the outline matches what was read, and every
// finding stands on a line of the file.
#include "ConfigCheck.h"
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
    QString text(qsizetype(size), Qt::Uninitialized);
    for (size_t i = 0; i < size; ++i)
        text[qsizetype(i)] = QChar(convert::fromWindows1252(data[i]));

    ConfigOutline outline;
    const ConfigReadResult plain = readConfiguration(text);
    const ConfigReadResult outlined = readConfiguration(text, &outline);
    require(plain.error == outlined.error && plain.config.switches == outlined.config.switches &&
            plain.config.tables == outlined.config.tables);
    require((outline.formatErrorLine > 0) == (plain.error == ConfigError::Format));
    const int lines = int(text.count(u'\n')) + 1;
    for (const ConfigOutline::Section &s : outline.sections)
        for (const ConfigOutline::Row &row : s.rows)
            require(s.line >= 1 && s.line <= row.line && row.line <= row.lastLine && row.lastLine <= lines);
    for (int i = 0; i < kDeviceSectionCount; ++i) {
        const QStringView name = sectionName(DeviceSection(i));
        const auto last = std::find_if(outline.sections.rbegin(), outline.sections.rend(),
                                       [&](const ConfigOutline::Section &s) { return s.name == name; });
        require(configEntries(plain.config.tables[std::size_t(i)]) ==
                (last == outline.sections.rend() ? 0 : last->rows.size()));
    }

    for (const check::Finding &finding : check::checkText(text))
        require(finding.line >= 1 && finding.line <= lines && !finding.message.contains(u'\n'));
    return 0;
}
