#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <array>

// Reading Tavrel.cfg: the board tables and the switches the cockpit set-up is made of.
// The reader is a pure function of the file's text, so it can be tested and fuzzed alone.
namespace tavrel {

enum class DeviceSection {
    PLED64_1,
    PLED64_2,
    P01616_1,
    P01616_2,
    PTLED_1,
    PTLED_2,
    PTLCD_1,
    PTLCD_2,
    GAUGES,
    EPICAnalogs,
    P4SERVO_1,
    P4SERVO_2,
};
inline constexpr int kDeviceSectionCount = 12;

using ConfigRow = std::array<QString, 4>;
// A section present in the file: its rows in file order plus one empty spare row last.
// A section absent from the file: no rows at all.
using ConfigTable = QList<ConfigRow>;

// The entries of a table read from a section: all rows but the spare empty one; a section
// absent from the file has none.
inline int configEntries(const ConfigTable &table)
{
    return table.isEmpty() ? 0 : int(table.size()) - 1;
}

// Two sections older readers do not know, and drop: TCPIP-RECOVER, a switch like
// NOSCREENUPDATE, and BOARDS, a list whose every line is one value ("SLOT,SERIAL").
inline constexpr QStringView kRecoverSection = u"TCPIP-RECOVER";
inline constexpr QStringView kBoardsSection = u"BOARDS";

// One value line of a switch section: COMPREF, TCPIP-IP, TCPIP-PORT, NOSCREENUPDATE,
// UPDATEEPICANYWAY or TCPIP-RECOVER; or one line of BOARDS (one entry per line).
struct ConfigSwitch
{
    QString section;
    QString value;

    friend bool operator==(const ConfigSwitch &, const ConfigSwitch &) = default;
};

struct Configuration
{
    std::array<ConfigTable, kDeviceSectionCount> tables; // indexed by DeviceSection
    QList<ConfigSwitch> switches;                        // in file order

    const ConfigTable &table(DeviceSection section) const { return tables[std::size_t(section)]; }
};

enum class ConfigError { None, Format, TooLong };

// On Format the reader stops where the file went wrong: the switches (and tables) read
// before that point stay in config, so the caller can apply them before it reports.
// On TooLong (more than kMaxConfigLength characters in the file as stored) config is empty.
struct ConfigReadResult
{
    Configuration config;
    ConfigError error = ConfigError::None;
};

inline constexpr int kMaxConfigLength = 32767;

// Reads the whole file text. Lines end with CR LF; a line feed without a carriage return
// in front counts as CR LF. Blank lines are skipped, lines starting with "/" are comments
// where a section header is expected. The scan ends two characters before the end of the
// text (where the last CR LF stands), so a last line without a line end loses its final
// two characters.
ConfigReadResult readConfiguration(QStringView text);

// The header name of a device section, e.g. "PLED64-1".
QStringView sectionName(DeviceSection section);

// The message shown when the file is not in the expected form (three lines joined by CR).
QString formatMessage();
// The message shown when the file is longer than kMaxConfigLength characters.
QString tooLongMessage();

} // namespace tavrel
