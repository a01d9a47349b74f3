// Fuzz target for the configuration file reader: the bytes are a Tavrel.cfg file in
// Windows-1252. Besides not crashing or hanging, a file is refused as too long exactly
// when it is, no switch value or field of a row holds a line end, and only the BOARDS
// list keeps commas in a switch value.
#include "core/ConfigReader.h"
#include "core/Convert.h"

#include <cstdint>
#include <cstdlib>

using namespace tavrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = convert::decodeWindows1252(QByteArrayView(data, qsizetype(size)));
    const ConfigReadResult result = readConfiguration(text);
    if ((result.error == ConfigError::TooLong) != (text.size() > kMaxConfigLength))
        std::abort();
    for (const ConfigSwitch &s : result.config.switches) // only the BOARDS list keeps its commas
        if (s.value.contains(u'\r') || (s.section != kBoardsSection && s.value.contains(u',')))
            std::abort();
    for (const ConfigTable &table : result.config.tables)
        for (qsizetype r = 0; r + 1 < table.size(); ++r)
            if (table[r][0].contains(u'\r') || table[r][1].contains(u'\r') || table[r][3].contains(u'\r'))
                std::abort();
    return 0;
}
