#include "check/ConfigCheck.h"

#include "core/ConfigReader.h"
#include "core/Convert.h"
#include "core/Error.h"
#include "core/GridBuilders.h"
#include "core/TextFile.h"
#include "epic/EpicTransfer.h"
#include "phidget/BoardBinding.h"
#include "phidget/BoardKind.h"
#include "phidget/LampOutputs.h"
#include "phidget/ServoGauges.h"
#include "phidget/TextDisplays.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace tavrel::check {

using namespace Qt::StringLiterals;

namespace {

using Rows = QList<ConfigOutline::Row>;

// A text as a finding shows it, line ends written \r and \n so that a finding is one line.
QString plain(QStringView text)
{
    QString out;
    for (const QChar ch : text)
        out += ch == u'\r' ? u"\\r"_s : ch == u'\n' ? u"\\n"_s : QString(ch);
    return out;
}

QString quoted(QStringView text)
{
    return u'"' + plain(text) + u'"';
}

// "line 12" or "lines 12-14, 17".
QString lineList(QList<int> lines)
{
    QStringList parts;
    for (qsizetype i = 0; i < lines.size();) {
        qsizetype j = i;
        while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1)
            ++j;
        parts += j == i ? QString::number(lines[i]) : u"%1-%2"_s.arg(lines[i]).arg(lines[j]);
        i = j + 1;
    }
    return (lines.size() == 1 ? u"line "_s : u"lines "_s) + parts.join(u", "_s);
}

QString joined(auto names)
{
    QStringList list;
    for (QStringView name : names)
        list += name.toString();
    return list.join(u", "_s);
}

// A name the reader would take if only it were written in the right letter case.
template <typename Names>
QStringView sameButForCase(QStringView text, const Names &names)
{
    for (QStringView name : names)
        if (convert::equalsUpperLatin(text.trimmed(), name))
            return name;
    return {};
}

// The edits (a letter put in, left out, changed, or two neighbours swapped) from one text
// to another, letter case aside.
qsizetype editDistance(QStringView a, QStringView b)
{
    const qsizetype n = a.size(), m = b.size();
    QList<qsizetype> d((n + 1) * (m + 1));
    const auto at = [&](qsizetype i, qsizetype j) -> qsizetype & { return d[i * (m + 1) + j]; };
    for (qsizetype i = 0; i <= n; ++i)
        at(i, 0) = i;
    for (qsizetype j = 0; j <= m; ++j)
        at(0, j) = j;
    const auto same = [&](qsizetype i, qsizetype j) { return a[i].toUpper() == b[j].toUpper(); };
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j) {
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (same(i - 1, j - 1) ? 0 : 1)});
            if (i > 1 && j > 1 && same(i - 1, j - 2) && same(i - 2, j - 1))
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
        }
    return at(n, m);
}

// The name a misspelling most likely meant: the nearest within one edit (two for a text of
// six letters or more), else the shortest name that begins the text or that the text begins
// ("OILPRESSURE" for "OILPRES") when `prefixes`; none when nothing is that near.
template <typename Names>
QString nearest(QStringView text, const Names &names, bool prefixes = true)
{
    text = text.trimmed();
    QString best;
    qsizetype bestDistance = text.size() >= 6 ? 3 : 2; // one more than the edits allowed
    for (QStringView name : names) {
        const qsizetype d = editDistance(text, name);
        if (d < bestDistance)
            best = name.toString(), bestDistance = d;
    }
    if (!best.isEmpty() || !prefixes || text.size() < 3)
        return best;
    for (QStringView name : names)
        if ((name.startsWith(text, Qt::CaseInsensitive) || text.startsWith(name, Qt::CaseInsensitive))
            && (best.isEmpty() || name.size() < best.size()))
            best = name.toString();
    return best;
}

// The other tables a keyword belongs to, for one written under the wrong section.
QString tableOf(QStringView keyword)
{
    if (isGaugeKeyword(keyword))
        return u"a gauge keyword"_s;
    if (epicKeyword(keyword) != EpicKeyword::Unknown)
        return u"an EPIC keyword"_s;
    if (textLedKeyword(keyword) >= 0)
        return u"a text LED keyword"_s;
    if (textLcdMode(keyword) >= 0)
        return u"a text LCD mode"_s;
    return {};
}

QString firstLine(const QString &message)
{
    return message.section(u'\r', 0, 0);
}

class Checker
{
public:
    explicit Checker(QStringView text) : text_(text)
    {
        qsizetype start = 0;
        for (QStringView line : text.split(u'\n')) {
            lineStarts_ += start;
            start += line.size() + 1;
            lines_ += line.endsWith(u'\r') ? line.chopped(1) : line;
        }
    }

    QList<Finding> run()
    {
        if (text_.size() > kMaxConfigLength) {
            const int line = int(text_.first(kMaxConfigLength).count(u'\n')) + 1;
            error(line, firstLine(tooLongMessage()) + u" (it goes past the limit on this line)"_s);
            return findings_;
        }
        // The program stops reading at a format fault; the check reads on from the next
        // section header, so that one run names the faults of the whole file.
        ConfigOutline outline;
        Configuration config;
        for (int from = 1;;) {
            ConfigOutline piece;
            const ConfigReadResult read = readConfiguration(text_.sliced(lineStarts_[from - 1]), &piece);
            merge(outline, config, piece, read.config, from - 1);
            if (read.error != ConfigError::Format)
                break;
            const int line = piece.formatErrorLine + from - 1;
            formatError(line, outline);
            from = line + 1;
            while (from <= lines_.size() && !lineText(from).startsWith(u'['))
                ++from;
            if (from > lines_.size())
                break;
        }
        sections(outline, config);
        lastLine();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding &a, const Finding &b) { return a.line < b.line; });
        return findings_;
    }

private:
    void error(int line, QString message) { findings_.append({line, Level::Error, std::move(message)}); }
    void warning(int line, QString message) { findings_.append({line, Level::Warning, std::move(message)}); }

    QStringView lineText(int line) const
    {
        return line >= 1 && line <= lines_.size() ? lines_[line - 1] : QStringView();
    }

    // A piece of the file read on its own, from the line after `offset` on: its sections
    // join those read before, and its tables replace theirs.
    static void merge(ConfigOutline &outline, Configuration &config, ConfigOutline &piece, const Configuration &read,
                      int offset)
    {
        for (ConfigOutline::Section &s : piece.sections) {
            s.line += offset;
            for (ConfigOutline::Row &row : s.rows)
                row.line += offset, row.lastLine += offset;
            outline.sections.append(std::move(s));
        }
        for (std::size_t i = 0; i < config.tables.size(); ++i)
            if (!read.tables[i].isEmpty())
                config.tables[i] = read.tables[i];
        config.switches += read.switches;
    }

    void formatError(int line, const ConfigOutline &outline)
    {
        int before = line - 1;
        while (before >= 1 && lineText(before).trimmed().isEmpty())
            --before;
        QString why = u"the file must begin with a section header"_s;
        if (!outline.sections.isEmpty()) {
            const ConfigOutline::Section &last = outline.sections.last();
            if (lineText(before).startsWith(u'/'))
                why = u"a line after a comment line, which ended section [%1] (line %2)"_s.arg(plain(last.name))
                          .arg(last.line);
            else if (isSwitchSection(last.name))
                why = u"a second value line in switch section [%1] (line %2), which takes one"_s.arg(plain(last.name))
                          .arg(last.line);
            else
                why = u"this line stands where a section header belongs"_s;
        }
        error(line, u"Tavrel refuses the file: \"%1\": %2"_s.arg(firstLine(formatMessage()), why));
    }

    void sections(const ConfigOutline &outline, const Configuration &config)
    {
        QHash<QString, qsizetype> last;
        for (qsizetype i = 0; i < outline.sections.size(); ++i)
            last[outline.sections[i].name] = i;

        qsizetype nextSwitch = 0;
        for (qsizetype i = 0; i < outline.sections.size(); ++i) {
            const ConfigOutline::Section &s = outline.sections[i];
            header(s);
            for (const ConfigOutline::Row &row : s.rows)
                if (row.lastLine > row.line)
                    error(row.line, u"data line with fewer than three commas: its third field runs on, so %1 %2 "
                                    u"read into this entry"_s.arg(lineList(linesBetween(row.line + 1, row.lastLine)),
                                                                  row.lastLine > row.line + 1 ? u"are"_s : u"is"_s));
            const qsizetype lastOne = last.value(s.name);
            if (lastOne != i)
                warning(s.line, u"section [%1] is given again on line %2: only the last one counts"_s.arg(plain(s.name))
                                    .arg(outline.sections[lastOne].line));

            const int device = deviceIndex(s.name);
            if (isSwitchSection(s.name)) {
                if (!s.rows.isEmpty() && nextSwitch < config.switches.size())
                    switchValue(s, config.switches[nextSwitch++], outline);
            } else if (switchSection(s.name) == SwitchSection::BOARDS) {
                // Every line is one binding, read as the program reads it.
                BoardBinding binding;
                for (const ConfigOutline::Row &row : s.rows) {
                    if (nextSwitch >= config.switches.size())
                        break;
                    const QString why = binding.addLine(config.switches[nextSwitch++].value);
                    if (!why.isEmpty())
                        warning(row.line, u"[BOARDS] line left out: %1"_s.arg(plain(why)));
                }
            } else if (device < 0) {
                const QStringList names = sectionNames();
                const QStringView sameName = sameButForCase(s.name, names);
                const QString near = nearest(s.name, names);
                const QString hint = !sameName.isNull() ? u" (names are exact: [%1]?)"_s.arg(sameName)
                                     : !near.isEmpty()  ? u" (nearest valid name: [%1])"_s.arg(near)
                                                        : QString();
                if (!s.name.contains(u'\n'))
                    warning(s.line, u"unknown section [%1]: read and dropped%2"_s.arg(plain(s.name), hint));
            } else if (lastOne == i) {
                table(DeviceSection(device), config, s.rows);
            }
        }
    }

    static QList<int> linesBetween(int from, int to)
    {
        QList<int> lines;
        for (int l = from; l <= to; ++l)
            lines += l;
        return lines;
    }

    static int deviceIndex(QStringView name)
    {
        const auto it = std::find(kDeviceSectionNames.begin(), kDeviceSectionNames.end(), name);
        return it == kDeviceSectionNames.end() ? -1 : int(it - kDeviceSectionNames.begin());
    }

    // The reader takes "]" as the end of the header line: what follows it on the line runs
    // into the first data line, and a name without "]" runs on to the next "]".
    void header(const ConfigOutline::Section &s)
    {
        if (s.name.contains(u'\n'))
            warning(s.line, u"section header without \"]\": its name runs on over the line end, so the "
                            u"section is unknown and dropped"_s);
        else if (lineText(s.line) != u'[' + s.name + u']')
            warning(s.line, u"text after \"]\" on the header line: it is read into the section's first line"_s);
    }

    void switchValue(const ConfigOutline::Section &s, const ConfigSwitch &value, const ConfigOutline &outline)
    {
        const int line = s.rows.first().line;
        const SwitchSection section = value.section;
        if (section == SwitchSection::COMPREF) {
            if (value.value == u"DCOM")
                return;
            if (!sameButForCase(value.value, std::array<QStringView, 1>{u"DCOM"}).isNull())
                warning(line, u"%1 chooses the relay (TCP/IP), not the data server: only DCOM, exactly and in "
                              u"capitals, chooses the data server"_s.arg(quoted(value.value)));
            for (const ConfigOutline::Section &later : outline.sections)
                if (later.line > s.line
                    && (switchSection(later.name) == SwitchSection::TCPIP_IP
                        || switchSection(later.name) == SwitchSection::TCPIP_PORT)) {
                    warning(s.line,
                            u"COMPREF chooses the relay before [%1] (line %2) is read: it connects at "
                            u"once, without that setting; put TCPIP-IP and TCPIP-PORT above COMPREF"_s.arg(later.name)
                                .arg(later.line));
                    break;
                }
        } else if (section == SwitchSection::TCPIP_PORT) {
            const auto port = convert::checkedInt32(value.value);
            if (!port || *port < 0 || *port > 65535)
                warning(line, u"port %1 is no number from 0 to 65535: the relay link cannot connect"_s.arg(
                                  quoted(value.value)));
        } else if (section == SwitchSection::NOSCREENUPDATE || section == SwitchSection::UPDATEEPICANYWAY
                   || section == SwitchSection::TCPIP_RECOVER) {
            if (!convert::equalsUpperLatin(value.value, u"TRUE") && !convert::equalsUpperLatin(value.value, u"FALSE"))
                warning(line, u"%1 is neither TRUE nor FALSE: it reads as FALSE"_s.arg(quoted(value.value)));
        }
    }

    void table(DeviceSection section, const Configuration &config, const Rows &rows)
    {
        const ConfigTable &entries = config.table(section);
        switch (section) {
        case DeviceSection::PLED64_1:
        case DeviceSection::PLED64_2:
            lamps(entries, rows, boardKind(BoardKind::Led64));
            break;
        case DeviceSection::P01616_1:
        case DeviceSection::P01616_2:
            lamps(entries, rows, boardKind(BoardKind::InterfaceKit));
            break;
        case DeviceSection::PTLED_1:
        case DeviceSection::PTLED_2:
            textLeds(entries, rows);
            break;
        case DeviceSection::PTLCD_1:
        case DeviceSection::PTLCD_2:
            textLcds(entries, rows);
            break;
        case DeviceSection::GAUGES:
            gauges(entries, rows);
            break;
        case DeviceSection::EPICAnalogs:
            pigeonholes(entries, rows);
            break;
        case DeviceSection::P4SERVO_1:
        case DeviceSection::P4SERVO_2:
            motors(entries, rows, configEntries(config.table(DeviceSection::GAUGES)));
            break;
        default:
            break;
        }
    }

    // An entry whose keyword is none of the gauge keywords holds its fourth field: right for
    // a needle held still (a word of its own and a number), wrong for a number or another
    // table's keyword in the keyword's place, or a gauge keyword misspelled.
    void gauges(const ConfigTable &entries, const Rows &rows)
    {
        const qsizetype count = std::min<qsizetype>(configEntries(entries), rows.size());
        const QStringList keywords = gaugeKeywords();
        for (qsizetype i = 0; i < count; ++i) {
            const QString &keyword = entries[i][2];
            if (isGaugeKeyword(keyword))
                continue;
            const int line = rows[i].line;
            const QString held = u"the gauge holds its fourth field, %1"_s.arg(quoted(entries[i][3]));
            // A near miss is taken for a misspelling; a word of its own for a needle held still.
            const QString near = nearest(keyword, keywords, false);
            const QString suggested = nearest(keyword, keywords);
            const QString meant = suggested.isEmpty() ? QString() : u" (gauge keyword %1?)"_s.arg(suggested);
            const QString other = tableOf(keyword);
            if (convert::checkedNumber(keyword))
                warning(line, u"gauge keyword %1 is a number: %2 (the fields are gauge, description, keyword, "
                              u"start value)"_s.arg(quoted(keyword), held));
            else if (!other.isEmpty())
                warning(line, u"%1 is %2, not a gauge keyword: %3%4"_s.arg(quoted(keyword), other, held, meant));
            else if (!needlePosition(entries[i][3]))
                warning(line, u"%1 is no gauge keyword, so the gauge holds its fourth field, and %2 is no "
                              u"number: no needle can show it"_s.arg(quoted(keyword), quoted(entries[i][3])));
            else if (!near.isEmpty())
                warning(line, u"%1 is no gauge keyword: %2%3"_s.arg(quoted(keyword), held, meant));
        }
    }

    void pigeonholes(const ConfigTable &entries, const Rows &rows)
    {
        const qsizetype count = std::min<qsizetype>(configEntries(entries), rows.size());
        for (qsizetype i = 0; i < count; ++i) {
            const ConfigRow &entry = entries[i];
            const int line = rows[i].line;
            const EpicKeyword keyword = epicKeyword(entry[2]);
            if (keyword == EpicKeyword::Sent && !epicPigeonhole(entry[0]))
                warning(line, u"pigeonhole %1 is no number: the value goes to the pigeonhole the card held "
                              u"before"_s.arg(quoted(entry[0])));
            if (keyword != EpicKeyword::Unknown)
                continue;
            const QStringView trimmed = QStringView(entry[2]).trimmed();
            if (trimmed != entry[2] && epicKeyword(trimmed) != EpicKeyword::Unknown)
                warning(line, u"EPIC keyword %1 has blanks around it: keywords are not trimmed, so it matches "
                              u"nothing"_s.arg(quoted(entry[2])));
            else if (convert::equalsUpperLatin(entry[2], u"NOZZLE2") && epicKeyword(u"NOZZZLE2") == EpicKeyword::Sent)
                warning(line, u"%1 matches nothing: the second nozzle's keyword is NOZZZLE2, with three Z"_s.arg(
                                  quoted(entry[2])));
            else if (convert::checkedNumber(entry[2]))
                warning(line, u"EPIC keyword %1 is a number: nothing is sent (the fields are pigeonhole, "
                              u"description, keyword, value)"_s.arg(quoted(entry[2])));
            else if (const QString other = tableOf(entry[2]); !other.isEmpty())
                warning(line, u"%1 is %2, not an EPIC keyword: nothing is sent%3"_s.arg(
                                  quoted(entry[2]), other, suggestion(entry[2], epicKeywords(), u"EPIC keyword")));
            else
                warning(line, u"unknown EPIC keyword %1: nothing is sent%2"_s.arg(
                                  quoted(entry[2]), suggestion(entry[2], epicKeywords(), u"EPIC keyword")));
        }
    }

    void motors(const ConfigTable &entries, const Rows &rows, int gaugeCount)
    {
        const qsizetype count = std::min<qsizetype>(configEntries(entries), rows.size());
        for (qsizetype i = 0; i < count; ++i) {
            const ConfigRow &entry = entries[i];
            const int line = rows[i].line;
            if (i >= kMotorAssignments) {
                warning(line, u"only the first %1 entries assign motors: this one is ignored"_s.arg(kMotorAssignments));
                continue;
            }
            const auto motor = motorIndex(entry[0]);
            if (!motor || *motor < 0 || *motor >= boardKind(BoardKind::MultiServo).channels)
                warning(line, u"motor %1 is none of the board's motors 0 to %2"_s.arg(quoted(entry[0]))
                                  .arg(boardKind(BoardKind::MultiServo).channels - 1));
            const auto gauge = assignedGauge(entry[3]);
            const bool names = gauge && *gauge >= 1 && *gauge <= gaugeCount;
            if (!convert::checkedNumber(entry[3]))
                warning(line, u"gauge number %1 is no number: it reads as %2"_s.arg(
                                  quoted(entry[3]), names ? u"gauge %1"_s.arg(*gauge)
                                                          : u"%1, which names no gauge: the motor drives nothing"_s.arg(
                                                              gauge ? QString::number(*gauge) : u"nothing"_s)));
            else if (!gauge || *gauge < 1)
                warning(line, u"gauge %1 names no gauge: gauges count from 1"_s.arg(quoted(entry[3])));
            else if (*gauge > gaugeCount)
                warning(line, u"gauge %1 is beyond the %2 entries of [GAUGES]"_s.arg(*gauge).arg(gaugeCount));
        }
    }

    void lamps(const ConfigTable &entries, const Rows &rows, const BoardKindInfo &kind)
    {
        const int outputs = kind.channels;
        const QStringView board = kind.caption;
        QHash<int, int> driven; // output number -> line of the first row that drives it
        const qsizetype count = std::min<qsizetype>(configEntries(entries), rows.size());
        for (qsizetype i = 0; i < count; ++i) {
            const ConfigRow &entry = entries[i];
            const int line = rows[i].line;
            const auto bitWord = lampBitWord(entry[3]);
            if (!bitWord) {
                QList<int> dark{line};
                for (qsizetype j = i + 1; j < count; ++j)
                    dark += rows[j].line;
                error(line, u"bit word %1 is not 0 to 4: the lamp pass stops here and %2 stay%3 undriven"_s.arg(
                                quoted(entry[3]), lineList(dark), dark.size() == 1 ? u"s"_s : QString()));
            } else if (!convert::checkedNumber(entry[3])) {
                warning(line, u"bit word %1 is no number: it reads as %2"_s.arg(quoted(entry[3])).arg(*bitWord));
            }
            const auto output = lampOutput(entry[0]);
            if (!output || *output < 0 || *output >= outputs)
                warning(line, u"output %1 is outside the %2 (0 to %3)"_s.arg(quoted(entry[0]), board).arg(outputs - 1));
            else if (driven.contains(*output))
                warning(line, u"output %1 is also driven by line %2: both rows write it every cycle, this one "
                              u"last"_s.arg(*output)
                                  .arg(driven.value(*output)));
            else
                driven.insert(*output, line);
            if (bitWord == 0) {
                if (std::find(kBuiltInLampRules.begin(), kBuiltInLampRules.end(), entry[1]) != kBuiltInLampRules.end())
                    continue;
                const QStringView rule = sameButForCase(entry[1], kBuiltInLampRules);
                warning(line,
                        u"bit word 0, but %1 names none of the built-in lamp rules: the lamp stays dark%2"_s.arg(
                            quoted(entry[1]), rule.isNull() ? QString() : u" (written exactly: \"%1\")"_s.arg(rule)));
            } else if (bitWord) {
                const auto mask = lampMask(entry[2]);
                if (!mask)
                    warning(line, u"mask %1 lies beyond 32 bits: the lamp stays dark (bit 31 is written "
                                  u"-2147483648)"_s.arg(quoted(entry[2])));
                else if (*mask == 0)
                    warning(line,
                            u"mask %1 reads as 0 (masks are decimal): the lamp never lights"_s.arg(quoted(entry[2])));
            }
        }
    }

    void textLeds(const ConfigTable &entries, const Rows &rows)
    {
        const qsizetype count = std::min<qsizetype>(configEntries(entries), rows.size());
        for (qsizetype i = 0; i < count; ++i) {
            const ConfigRow &entry = entries[i];
            if (textLedKeyword(entry[2]) < 0)
                warning(rows[i].line, u"unknown text LED keyword %1: the line stays empty (known: %2)"_s.arg(
                                          quoted(entry[2]), joined(kTextLedKeywords)));
            const auto line = textLedLine(entry[0]);
            if (!line || *line < 0 || *line >= boardKind(BoardKind::TextLed).channels)
                warning(rows[i].line, u"line %1 is beyond the text LED's lines 0 to %2: the board's writes stop at "
                                      u"this entry"_s.arg(quoted(entry[0]))
                                          .arg(boardKind(BoardKind::TextLed).channels - 1));
        }
    }

    void textLcds(const ConfigTable &entries, const Rows &rows)
    {
        const qsizetype count = std::min<qsizetype>(configEntries(entries), rows.size());
        if (count > 0 && textLcdMode(entries[0][2]) < 0)
            warning(rows[0].line, u"unknown text LCD mode %1: the first entry's keyword chooses the mode (%2); "
                                  u"the board shows nothing"_s.arg(quoted(entries[0][2]), joined(kTextLcdModes)));
        for (qsizetype i = boardKind(BoardKind::TextLcd).channels; i < count; ++i)
            warning(rows[i].line, u"entry %1 goes to line %2, beyond the text LCD's lines 0 to %3: the board's "
                                  u"writes stop at this entry"_s.arg(i + 1)
                                      .arg(i)
                                      .arg(boardKind(BoardKind::TextLcd).channels - 1));
    }

    // The reader's scan ends two characters before the end of the text, where the last
    // line end belongs.
    void lastLine()
    {
        if (text_.isEmpty() || text_.endsWith(u'\n'))
            return;
        const QStringView last = lines_.last().trimmed();
        if (last.isEmpty() || last.startsWith(u'/'))
            return;
        warning(int(lines_.size()), u"the last line has no line end: Tavrel loses its final characters"_s);
    }

    static QString suggestion(QStringView text, const QStringList &names, QStringView what)
    {
        const QString near = nearest(text, names);
        return near.isEmpty() ? QString() : u" (%1 %2?)"_s.arg(what, near);
    }

    QStringView text_;
    QList<QStringView> lines_;
    QList<qsizetype> lineStarts_;
    QList<Finding> findings_;
};

} // namespace

QList<Finding> checkText(QStringView text)
{
    return Checker(text).run();
}

QList<Finding> checkFile(const QString &path)
{
    QString text;
    try {
        // One character past the limit is enough to know the file is too long.
        text = textfile::readAnsi(path, kMaxConfigLength + 1);
    } catch (const Error &e) {
        return {{0, Level::Error, u"cannot be read: "_s + e.description()}};
    }
    return checkText(text);
}

QString formatFinding(const QString &file, const Finding &finding)
{
    const QString where = finding.line > 0 ? u"%1:%2"_s.arg(file).arg(finding.line) : file;
    return u"%1: %2: %3"_s.arg(where, finding.level == Level::Error ? u"error"_s : u"warning"_s, finding.message);
}

QString summary(const QString &file, const QList<Finding> &findings)
{
    const auto errors = std::count_if(findings.begin(), findings.end(),
                                      [](const Finding &f) { return f.level == Level::Error; });
    const auto warnings = findings.size() - errors;
    if (findings.isEmpty())
        return file + u": no problems found"_s;
    const auto count = [](qsizetype n, const char *what) {
        return u"%1 %2%3"_s.arg(n).arg(QLatin1String(what), n == 1 ? QString() : u"s"_s);
    };
    return u"%1: %2, %3"_s.arg(file, count(errors, "error"), count(warnings, "warning"));
}

int exitCode(const QList<Finding> &findings)
{
    if (findings.isEmpty())
        return 0;
    const bool anyError = std::any_of(findings.begin(), findings.end(),
                                      [](const Finding &f) { return f.level == Level::Error; });
    return anyError ? 2 : 1;
}

} // namespace tavrel::check
