#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

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

// The switch sections: one value each, but BOARDS, a list whose every line is one value
// ("SLOT,SERIAL"). Two of them older readers do not know, and drop: TCPIP-RECOVER, a
// switch like NOSCREENUPDATE, and BOARDS.
enum class SwitchSection { COMPREF, TCPIP_IP, TCPIP_PORT, NOSCREENUPDATE, UPDATEEPICANYWAY, TCPIP_RECOVER, BOARDS };
inline constexpr int kSwitchSectionCount = 7;

// The header names of the device sections, in DeviceSection order, and of the switch
// sections, in SwitchSection order. Names are compared exactly, letter case included.
inline constexpr std::array<QStringView, kDeviceSectionCount> kDeviceSectionNames = {
    u"PLED64-1", u"PLED64-2", u"P01616-1", u"P01616-2",    u"PTLED-1",   u"PTLED-2",
    u"PTLCD-1",  u"PTLCD-2",  u"GAUGES",   u"EPICAnalogs", u"P4SERVO-1", u"P4SERVO-2",
};
inline constexpr std::array<QStringView, kSwitchSectionCount> kSwitchSectionNames = {
    u"COMPREF", u"TCPIP-IP", u"TCPIP-PORT", u"NOSCREENUPDATE", u"UPDATEEPICANYWAY", u"TCPIP-RECOVER", u"BOARDS",
};

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

// One value line of a switch section; of BOARDS, one line of it.
struct ConfigSwitch
{
    SwitchSection section;
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

// Where the reader found what it read, for tools that point at lines (the configuration
// checker); the program itself asks for none. Lines count from 1, as editors do.
struct ConfigOutline
{
    // One data line, or the value line of a switch section. lastLine is past line when
    // its third field ran on over line ends (the line had fewer than three commas).
    struct Row
    {
        int line = 0;
        int lastLine = 0;
    };
    // Every section header in file order, unknown and repeated ones included. The rows
    // of a device section's last occurrence are the rows of its table, in order; a switch
    // section's row is its value, the next one of Configuration::switches.
    struct Section
    {
        QString name;
        int line = 0;
        QList<Row> rows;
    };
    QList<Section> sections;
    int formatErrorLine = 0; // on ConfigError::Format: where a header was expected
};

// Reads the whole file text. Lines end with CR LF; a line feed without a carriage return
// in front counts as CR LF. Blank lines are skipped, lines starting with "/" are comments
// where a section header is expected. The scan ends two characters before the end of the
// text (where the last CR LF stands), so a last line without a line end loses its final
// two characters.
// With an outline, also notes where each section, row and switch stood.
ConfigReadResult readConfiguration(QStringView text, ConfigOutline *outline = nullptr);

// Whether a section name is one of the one-value switch sections (not BOARDS).
bool isSwitchSection(QStringView name);

// The header name of a device section, e.g. "PLED64-1".
QStringView sectionName(DeviceSection section);
QStringView sectionName(SwitchSection section);
// The switch section a header names, BOARDS included.
std::optional<SwitchSection> switchSection(QStringView name);
// Every name a section header can have: the device sections, the switches, [BOARDS].
QStringList sectionNames();

// The message shown when the file is not in the expected form (three lines joined by CR).
QString formatMessage();
// The message shown when the file is longer than kMaxConfigLength characters.
QString tooLongMessage();

} // namespace tavrel
