#include "phidget/TextDisplays.h"

#include "core/Controls.h"
#include "core/Convert.h"
#include "core/Error.h"
#include "core/Grid.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tavrel {

namespace {

constexpr char16_t kCr = u'\r';
constexpr QLatin1String kFiveSpaces("     ");
constexpr QLatin1String kTwelveSpaces("            ");

// The window status word whose bit 0x10000 would show "JMR ON" on the countermeasures
// page. Nothing in the flight data reports the jammer, so it stays unfilled.
constexpr std::int32_t JammerWord = 0;
constexpr std::int32_t kJammerOn = 0x10000;

// Keeps the last `width` characters: right-aligns a number preceded by spaces.
void keepLast(QString &text, qsizetype width)
{
    if (text.size() > width)
        text.remove(0, text.size() - width);
}

// "#####0" / "###0", preceded by five spaces, right-aligned in `width` into `out`. A value
// the format cannot write in digits (NaN, an infinity, more than 38 digits) fails the
// statement and leaves `out` as it was.
void alignedNumber(QString &out, double value, qsizetype width)
{
    const convert::NumberText number = convert::formatWhole(value);
    for (const char ch : number.view())
        if ((ch < '0' || ch > '9') && ch != '-')
            throw Error::standard(Error::Overflow);
    out.resize(0);
    out.append(kFiveSpaces);
    out.append(number.latin1());
    keepLast(out, width);
}

// A board line from the leading number of a text; one that is no whole 32-bit number
// fails the call, as passing it to the board would.
int boardLine(QStringView text)
{
    const auto line = textLedLine(text);
    if (!line)
        throw Error::standard(Error::Overflow);
    return *line;
}

template <std::size_t N>
int indexIn(const std::array<QStringView, N> &names, QStringView keyword) noexcept
{
    for (std::size_t i = 0; i < N; ++i)
        if (convert::equalsUpperLatin(keyword, names[i]))
            return int(i);
    return -1;
}

// The lines of a text board, or -1 when it cannot tell (its writes then find out).
int rowsOf(const PhidgetBoard &board)
{
    int rows = -1;
    attempt([&] { rows = board.rowCount(); });
    return rows;
}

} // namespace

int textLedKeyword(QStringView keyword) noexcept
{
    return indexIn(kTextLedKeywords, keyword);
}

int textLcdMode(QStringView keyword) noexcept
{
    return indexIn(kTextLcdModes, keyword);
}

std::optional<int> textLedLine(QStringView text) noexcept
{
    const auto number = convert::leadingNumber(text);
    return number ? convert::toInt32(*number) : std::nullopt;
}

void textLedText(QStringView keyword, const FlightData &d, QString &out)
{
    switch (textLedKeyword(keyword)) { // in the order of kTextLedKeywords
    case 0:
        alignedNumber(out, d.FuelFlow, 6);
        break;
    case 1: {
        const float total = d.InternalFuel + d.ExternalFuel;
        alignedNumber(out, total, 6);
        break;
    }
    case 2:
        alignedNumber(out, d.AUXTChan, 4);
        break;
    case 3:
        alignedNumber(out, d.UFCTChan, 4);
        break;
    case 4:
        out.resize(0);
        out.append((d.LightBits2 & 0x40) ? QLatin1String("GO  DSPRDY") : QLatin1String("NO GO"));
        break;
    case 5:
        out.resize(0);
        out.append((d.LightBits2 & 0xC00) ? QLatin1String("  LO ") : kFiveSpaces);
        out.append(convert::shortest(d.ChaffCount).latin1());
        out.append(u' ');
        out.append(convert::shortest(d.FlareCount).latin1());
        break;
    default:
        out.resize(0);
    }
}

void cmdsLines(const FlightData &d, QString &line0, QString &line1)
{
    line0.resize(0);
    line0.append((JammerWord & kJammerOn) ? QLatin1String("JMR ON      ") : kTwelveSpaces);
    line0.append(QLatin1String("CHAFF:"));
    line0.append(convert::formatWhole(d.ChaffCount > 0.0f ? double(d.ChaffCount) : 0.0, 2).latin1());

    line1.resize(0);
    if (d.SpeedBrake > 0.0f) {
        line1.append(QLatin1String("SB "));
        line1.append(convert::shortest(convert::roundHalfEven(double(d.SpeedBrake) * 100.0)).latin1());
        line1.append(u'%');
        line1.append(d.SpeedBrake < 1.0f ? QLatin1String("      ") : kFiveSpaces);
    } else {
        line1.append(kTwelveSpaces);
    }
    line1.append(QLatin1String("FLARE:"));
    line1.append(convert::formatWhole(d.FlareCount > 0.0f ? double(d.FlareCount) : 0.0, 2).latin1());
}

void BuildTextLedContent(ConfigTable &table, const FlightData &data)
{
    const int count = configEntries(table);
    for (int i = 0; i < count; ++i) {
        ConfigRow &entry = table[i];
        attempt([&] { textLedText(entry[2], data, entry[3]); });
    }
}

void BuildDisplay(QStringView text, QString &result, const std::function<void()> &yield,
                  const std::function<void(const Error &)> &report)
{
    // Written in place: at most one character for each of the text's and one CR for each
    // of its five lines, in room the result keeps from one cycle to the next.
    result.resize(text.size() + 5);
    char16_t *const out = reinterpret_cast<char16_t *>(result.data());
    qsizetype n = 0;
    qsizetype p = 0; // characters read
    const char16_t *const in = reinterpret_cast<const char16_t *>(text.utf16());
    // Reads on to `end`: printable ASCII and blanks as they are (a run of nothing else,
    // nearly every line, copied whole), the rest by its code page byte.
    const auto take = [&](qsizetype end) {
        if (p == 0 && end > 0 && in[0] == u' ') // a blank in the first place is dropped
            ++p;
        std::uint16_t outside = 0; // a high bit for anything below a blank or past ASCII
        for (qsizetype i = p; i < end; ++i)
            outside |= in[i] | std::uint16_t(in[i] - 32);
        if (!(outside & 0xFF80)) {
            n = std::copy(in + p, in + end, out + n) - out;
            p = end;
            return;
        }
        for (; p < end; ++p) {
            const char16_t ch = in[p];
            const int code = ch < 0x80 ? int(ch) : convert::toWindows1252(ch);
            if (code >= 32 && code <= 128)
                out[n++] = ch;
            else if (code == 1)
                out[n++] = u'\u00A6';
            else if (code == 2)
                out[n++] = u'*';
        }
    };
    try {
        // Five lines of 26 characters, each closed by a CR without its trailing blanks.
        for (qsizetype end = 26; end <= 130 && p < text.size(); end += 26) {
            take(std::min(end, text.size()));
            if (p == end) {
                while (n > 0 && out[n - 1] == u' ')
                    --n;
                out[n++] = kCr;
            }
        }
        take(text.size());
        result.truncate(n);
        yield();
    } catch (const Error &error) {
        report(error);
    }
}

QStringView GetLine(QStringView text, int n)
{
    if (n < 1)
        return {};
    int line = 1;
    qsizetype start = 0;
    qsizetype end = text.size();
    for (qsizetype p = 0; p < text.size(); ++p) {
        if (text[p] != kCr)
            continue;
        if (line == n) {
            end = p;
            break;
        }
        ++line;
        start = p + 1;
    }
    if (line != n)
        return {};
    QStringView found = text.sliced(start, end - start);
    while (!found.isEmpty() && found.front() == u' ')
        found = found.sliced(1);
    while (!found.isEmpty() && found.back() == u' ')
        found.chop(1);
    return found;
}

void BuildTextLcdContent(ConfigTable &table, const FlightData &data, const std::function<void(QString &)> &buildPfl,
                         QString &scratch)
{
    if (table.isEmpty())
        return;
    const int mode = textLcdMode(std::as_const(table)[0][2]); // in the order of kTextLcdModes
    if (mode == 0) {
        int n = 0; // keeps the previous entry's when column 0 is no 16-bit number
        const int count = configEntries(table);
        for (int i = 0; i < count; ++i) {
            buildPfl(scratch);
            const auto number = convert::leadingNumber(std::as_const(table)[i][0]);
            if (const auto whole = number ? convert::toInt16(*number) : std::nullopt)
                n = *whole;
            copyText(table[i][3], GetLine(scratch, n));
        }
    } else if (mode == 1 && table.size() >= 2) {
        cmdsLines(data, table[0][3], table[1][3]);
    }
}

// Both writers end their pass at the first board or grid call that fails. A line the board
// does not have and a row past the grid fail every cycle in ordinary cockpits (the spare
// row of a text LCD table), so they are recognised before the call and end the pass there
// without raising; any other failure raises and ends it the same way.
void WriteTextLed(const ConfigTable &table, PhidgetBoard *board, Grid &grid, bool screenUpdate,
                  const std::function<void()> &yield)
{
    const int lines = board ? rowsOf(*board) : 0;
    const int count = configEntries(table);
    for (int i = 0; i < count; ++i) {
        const ConfigRow &entry = table[i];
        if (board) {
            const int line = boardLine(entry[0]);
            if (lines >= 0 && (line < 0 || line >= lines))
                return;
            board->setDisplayString(line, entry[3]);
        }
        if (screenUpdate) {
            if (i + 1 >= grid.rows())
                return;
            grid.setText(i + 1, 3, entry[3]);
        }
    }
    yield();
}

void WriteTextLcd(const ConfigTable &table, PhidgetBoard *board, Grid &grid, bool screenUpdate,
                  const std::function<void()> &yield)
{
    const int lines = board ? rowsOf(*board) : 0;
    for (int i = 0; i < int(table.size()); ++i) {
        const QString &text = table[i][3];
        if (board) {
            if (lines >= 0 && i >= lines)
                return;
            board->setDisplayString(i, text);
        }
        if (screenUpdate) {
            if (i + 1 >= grid.rows())
                return;
            grid.setText(i + 1, 3, text);
        }
    }
    yield();
}

} // namespace tavrel
