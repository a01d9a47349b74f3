#include "sources/RelayWire.h"

#include "core/Convert.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace tavrel::relay {

namespace {

// ---------------------------------------------------------------------------------------
// The wire's fields

// The six fields that stand where FlightDataReserved lies; they are read past, not kept.
constexpr int kUnstoredFields = 6;
static_assert(int(kFlightDataFieldCount) - 1 + kUnstoredFields == kFieldCount);

// The wire's fields in order, as indices into the field table; -1 for a field that is
// not stored.
constexpr std::array<int, kFieldCount> wireFields()
{
    std::array<int, kFieldCount> wire{};
    std::size_t next = 0;
    for (std::size_t i = 0; i < kFlightDataFields.size(); ++i) {
        if (kFlightDataFields[i].kind == FieldKind::Reserved) {
            for (int k = 0; k < kUnstoredFields; ++k)
                wire[next++] = -1;
        } else {
            wire[next++] = int(i);
        }
    }
    return wire;
}
constexpr std::array<int, kFieldCount> kWireFields = wireFields();

// ---------------------------------------------------------------------------------------
// The receiver's arithmetic and text operations. Positions and lengths are 16-bit signed
// integers counted in characters from 1. A statement whose arithmetic leaves 16 bits, or
// that makes an invalid call, fails as a whole: its target keeps its value and the parse
// goes on with the next statement. Each helper gives an empty result for such a failure.

using Int16 = std::int16_t;

// A wider value stored into a 16-bit variable.
std::optional<Int16> narrow(qsizetype value) noexcept
{
    if (value < std::numeric_limits<Int16>::min() || value > std::numeric_limits<Int16>::max())
        return std::nullopt;
    return Int16(value);
}

// a + b, both 16 bits, so the sum is 16 bits too.
std::optional<Int16> add(Int16 a, Int16 b) noexcept
{
    return narrow(qsizetype(a) + qsizetype(b));
}

// Where the first carriage return stands at or after character `start`: its position
// counted from 1, or 0 when there is none, and 0 too when `start` lies past the end of
// the text. The position is a wide value; it is checked only where it is stored. A start
// before the first character is an invalid call.
std::optional<qsizetype> findReturn(QStringView text, Int16 start) noexcept
{
    if (start < 1)
        return std::nullopt;
    if (start > text.size())
        return 0;
    const qsizetype at = text.indexOf(u'\r', start - 1);
    return at < 0 ? 0 : at + 1;
}

// The `length` characters from character `start`, fewer where the text ends first, and
// "" when `start` lies past the end. A start before the first character or a negative
// length is an invalid call.
std::optional<QStringView> take(QStringView text, Int16 start, Int16 length) noexcept
{
    if (start < 1 || length < 0)
        return std::nullopt;
    if (start > text.size())
        return QStringView(u"");
    const qsizetype from = start - 1;
    return text.sliced(from, std::min<qsizetype>(length, text.size() - from));
}

// Stores one field's text as its kind says: numbers by the number rule, floats to the
// nearest float, integers half to even. A number the field cannot hold (past the float
// or the 32-bit range, or past the double range altogether) leaves the field as it was.
void store(const FieldInfo &field, QStringView text, FlightData &record) noexcept
{
    switch (field.kind) {
    case FieldKind::Float:
        if (const auto number = convert::leadingNumber(text))
            if (const auto value = convert::toFloat32(*number))
                floatField(record, field) = *value;
        break;
    case FieldKind::Int:
        if (const auto number = convert::leadingNumber(text))
            if (const auto value = convert::toInt32(*number))
                intField(record, field) = *value;
        break;
    case FieldKind::Text:
        convert::setFixedText(textField(record, field), text);
        break;
    case FieldKind::Reserved:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Writing

void appendNumber(QByteArray &out, const convert::NumberText &number)
{
    out.append(number.data, number.size);
}

void appendField(QByteArray &out, const FlightData &record, const FieldInfo &field)
{
    switch (field.kind) {
    case FieldKind::Float:
        appendNumber(out, convert::exactText(floatField(record, field)));
        break;
    case FieldKind::Int:
        appendNumber(out, convert::shortest(std::int64_t(intField(record, field))));
        break;
    case FieldKind::Text:
        for (const QChar ch : textField(record, field))
            out.append(ch == u'\r' ? ' ' : char(convert::toWindows1252(ch.unicode())));
        break;
    case FieldKind::Reserved:
        break;
    }
}

} // namespace

QByteArray livenessAnswer(bool active)
{
    return active ? QByteArray("\xFF\xFF", 2) : QByteArray(2, '\0');
}

std::optional<bool> readRecord(QStringView text, FlightData &record)
{
    Int16 p = 1; // the character before the next field: the leading one, then each CR
    Int16 n = 0; // the length of the field at hand
    for (const int index : kWireFields) {
        // n = (where the next carriage return stands, looking from p + 1) - p - 1. Where
        // there is none that comes out negative and the take below fails.
        if (const auto start = add(p, 1))
            if (const auto found = findReturn(text, *start))
                if (const auto length = narrow(*found - p - 1))
                    n = *length;

        // The field is the n characters from p + 1.
        if (const auto start = add(p, 1))
            if (const auto field = take(text, *start, n); field && index >= 0)
                store(kFlightDataFields[std::size_t(index)], *field, record);

        // p = p + n + 1: the carriage return just passed, or 0 after a field that had
        // none, so that the next field is taken from the start of the text again.
        if (const auto sum = add(p, n))
            if (const auto next = add(*sum, 1))
                p = *next;
    }

    // The flag is the one character after the last field; none there reads 0.
    if (const auto start = add(p, 1))
        if (const auto flag = take(text, *start, 1))
            return convert::leadingNumber(*flag).value_or(0.0) != 0.0;
    return std::nullopt;
}

bool isPlausibleRecord(QStringView text) noexcept
{
    qsizetype start = 1; // after the leading character
    for (const int index : kWireFields) {
        const qsizetype end = text.indexOf(u'\r', start);
        if (end < 0)
            return false;
        if (index >= 0) {
            const FieldKind kind = kFlightDataFields[std::size_t(index)].kind;
            if ((kind == FieldKind::Float || kind == FieldKind::Int)
                && !convert::wholeLeadingNumber(text.sliced(start, end - start)))
                return false;
        }
        start = end + 1;
    }
    return text.size() == start + 1 && (text[start] == u'0' || text[start] == u'1');
}

bool parseRecord(QStringView text, FlightData &record)
{
    return readRecord(text, record).value_or(false);
}

void formatRecordInto(QByteArray &out, const FlightData &record, bool active, char leading)
{
    out.resize(0);
    out.append(leading);
    for (const int index : kWireFields) {
        if (index >= 0)
            appendField(out, record, kFlightDataFields[std::size_t(index)]);
        out.append('\r');
    }
    out.append(active ? '1' : '0');
}

QByteArray formatRecord(const FlightData &record, bool active, char leading)
{
    QByteArray out;
    // 80 numbers of a few digits and four texts of 130: this fits without growing.
    out.reserve(2 + kFieldCount * 16 + 4 * kTextFieldLength);
    formatRecordInto(out, record, active, leading);
    return out;
}

} // namespace tavrel::relay
