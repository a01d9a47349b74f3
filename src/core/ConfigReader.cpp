#include "core/ConfigReader.h"

#include <QStringList>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

int deviceSectionIndex(QStringView name)
{
    for (int i = 0; i < kDeviceSectionCount; ++i)
        if (name == kDeviceSectionNames[std::size_t(i)])
            return i;
    return -1;
}

// Every line feed without a carriage return in front becomes CR LF.
QString withCrLf(QStringView text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == kLf && (i == 0 || text[i - 1] != kCr))
            out += kCr;
        out += text[i];
    }
    return out;
}

// The character walk over the file text. Positions outside the text read as U+0000,
// which the loops never stop on by themselves: each loop also checks its range.
class Walker
{
public:
    Walker(QStringView text, ConfigOutline *outline) : m_text(text), m_n(text.size()), m_outline(outline) {}

    ConfigReadResult run()
    {
        ConfigReadResult result;
        while (inScan()) {
            // Comments and blank lines where a header is expected.
            while (c() == u'/' || c() == kCr) {
                if (c() == u'/') {
                    while (m_p < m_n && c() != kCr)
                        ++m_p;
                    m_p += 2;
                } else {
                    m_p += at(m_p + 1) == kLf ? 2 : 1;
                }
            }
            if (!inScan())
                break;
            if (c() != u'[') {
                result.error = ConfigError::Format;
                if (m_outline)
                    m_outline->formatErrorLine = lineAt(m_p);
                return result;
            }
            if (m_outline)
                m_outline->sections.append({{}, lineAt(m_p), {}});
            ++m_p;
            QString name;
            while (m_p < m_n && c() != u']')
                name += c(), ++m_p;
            m_p += 3;
            if (m_outline)
                m_outline->sections.last().name = name;

            const std::optional<SwitchSection> switchKind = switchSection(name);
            const bool isList = switchKind == SwitchSection::BOARDS;
            const bool isSwitch = switchKind && !isList;
            ConfigTable table;
            while (inScan() && c() != u'[' && c() != u'/') {
                if (c() == kCr && at(m_p + 1) == kLf) { // blank line
                    m_p += 2;
                    continue;
                }
                // A row that starts on the line feed left over from a header with one
                // character after its "]" stands on the next line.
                const int line = m_outline ? lineAt(c() == kLf ? m_p + 1 : m_p) : 0;
                if (isList) { // every line whole, as one value
                    QString value;
                    while (inScan() && c() != kCr)
                        value += c(), ++m_p;
                    result.config.switches.append({*switchKind, value});
                    if (m_outline)
                        m_outline->sections.last().rows.append({line, line});
                    m_p += 2;
                    continue;
                }
                ConfigRow row;
                readStopField(row[0]);
                if (isSwitch) {
                    result.config.switches.append({*switchKind, row[0]});
                    if (m_outline)
                        m_outline->sections.last().rows.append({line, line});
                    m_p += 3;
                    break;
                }
                ++m_p;
                readStopField(row[1]);
                ++m_p;
                while (inScan() && c() != u',')
                    row[2] += c(), ++m_p;
                ++m_p;
                while (inScan() && c() != kCr)
                    row[3] += c(), ++m_p;
                table.append(std::move(row));
                if (m_outline)
                    m_outline->sections.last().rows.append({line, lineAt(m_p)});
                m_p += 2;
            }

            const int index = deviceSectionIndex(name);
            if (index >= 0) {
                table.append(ConfigRow{});
                result.config.tables[std::size_t(index)] = std::move(table);
            }
        }
        return result;
    }

private:
    char16_t at(qsizetype p) const { return p >= 0 && p < m_n ? m_text[p].unicode() : u'\0'; }
    char16_t c() const { return at(m_p); }
    // The scan covers every character but the last two (the final CR LF).
    bool inScan() const { return m_p >= 0 && m_p < m_n - 2; }

    // The line of position p, counting line feeds on from the last position asked for.
    int lineAt(qsizetype p)
    {
        if (p < m_linePos)
            m_linePos = 0, m_line = 1;
        for (; m_linePos < p && m_linePos < m_n; ++m_linePos)
            if (m_text[m_linePos] == kLf)
                ++m_line;
        return m_line;
    }

    // Fields 1 and 2: up to a comma; at a line end, stop on the character before it.
    void readStopField(QString &field)
    {
        while (inScan() && c() != u',') {
            if (c() == kCr) {
                --m_p;
                return;
            }
            field += c();
            ++m_p;
        }
    }

    QStringView m_text;
    qsizetype m_n;
    qsizetype m_p = 0;
    ConfigOutline *m_outline;
    qsizetype m_linePos = 0;
    int m_line = 1;
};

} // namespace

ConfigReadResult readConfiguration(QStringView text, ConfigOutline *outline)
{
    // The limit is on the file as the operator sees it in an editor, line ends as stored.
    if (text.size() > kMaxConfigLength)
        return {{}, ConfigError::TooLong};
    return Walker(withCrLf(text), outline).run();
}

std::optional<SwitchSection> switchSection(QStringView name)
{
    for (std::size_t i = 0; i < kSwitchSectionNames.size(); ++i)
        if (name == kSwitchSectionNames[i])
            return SwitchSection(i);
    return std::nullopt;
}

bool isSwitchSection(QStringView name)
{
    const auto section = switchSection(name);
    return section && section != SwitchSection::BOARDS;
}

QStringView sectionName(SwitchSection section)
{
    return kSwitchSectionNames[std::size_t(section)];
}

QStringView sectionName(DeviceSection section)
{
    const auto i = std::size_t(section);
    return i < kDeviceSectionNames.size() ? kDeviceSectionNames[i] : QStringView();
}

QStringList sectionNames()
{
    QStringList names;
    for (QStringView name : kDeviceSectionNames)
        names += name.toString();
    for (QStringView name : kSwitchSectionNames)
        names += name.toString();
    return names;
}

QString formatMessage()
{
    return QStringList{
        u"Your Tavrel.cfg file may be improperly formatted.  The first line must indicate a "
        u"parameter enclosed in square brackets.  Eg: [paramname]"_s,
        u"Valid Parameters are:  PLED64-1, PLED64-2, P01616-1, P01616-2, PTLED-1, PTLED-2 "
        u"PTLCD-1, PTLCD-2, GAUGES, EPICAnalogs, P4SERVO-1, P4SERVO-2"_s,
        u"Please Correct the file and rerun Tavrel"_s,
    }
        .join(kCr);
}

QString tooLongMessage()
{
    return u"Your Tavrel.cfg file is longer than 32767 characters, the most Tavrel can read.\r"
           u"Please shorten the file and rerun Tavrel"_s;
}

} // namespace tavrel
