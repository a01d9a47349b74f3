#include "core/Convert.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <type_traits>

namespace tavrel::convert {

namespace {

// ---------------------------------------------------------------------------------------
// Reading numbers

bool isDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}
bool isExponentLetter(char c) noexcept
{
    return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// Walks text one code unit at a time. peek() gives the current character when it is
// ASCII and '\0' otherwise (end of text, or a character no number can contain). With
// SkipBlanks, spaces, tabs and line feeds are stepped over wherever they stand.
template <typename Unit, bool SkipBlanks>
class Cursor
{
public:
    Cursor(const Unit *begin, const Unit *end) noexcept : p_(begin), end_(end) { skipBlanks(); }

    char peek() const noexcept
    {
        if (p_ == end_)
            return '\0';
        const auto unit = static_cast<std::make_unsigned_t<Unit>>(*p_);
        return unit < 0x80 ? static_cast<char>(unit) : '\0';
    }
    void advance() noexcept
    {
        if (p_ != end_)
            ++p_;
        skipBlanks();
    }
    bool atEnd() const noexcept { return p_ == end_; }

private:
    void skipBlanks() noexcept
    {
        if constexpr (SkipBlanks) {
            while (p_ != end_ && (*p_ == Unit(' ') || *p_ == Unit('\t') || *p_ == Unit('\n')))
                ++p_;
        }
    }

    const Unit *p_;
    const Unit *end_;
};

// The cleaned ASCII form of a number, handed to std::from_chars (which rounds correctly
// however many digits there are). Anything a person would write fits the stack buffer;
// only an absurdly long digit run spills to the heap.
class NumberBuffer
{
public:
    void push(char c)
    {
        if (heap_.empty() && size_ < sizeof(stack_)) {
            stack_[size_++] = c;
            return;
        }
        if (heap_.empty())
            heap_.assign(stack_, size_);
        heap_.push_back(c);
    }
    const char *begin() const noexcept { return heap_.empty() ? stack_ : heap_.data(); }
    const char *end() const noexcept { return begin() + (heap_.empty() ? size_ : heap_.size()); }

private:
    char stack_[400];
    std::size_t size_ = 0;
    std::string heap_;
};

// Copies the decimal number at the cursor into out: sign, digits, at most one ".", and
// an exponent (E, e, D or d, optional sign, digits) only when at least one digit follows
// the letter. Stops at the first character that cannot continue the number. Returns
// whether the mantissa had a digit; without one there is no number.
template <typename In>
bool scanDecimal(In &in, NumberBuffer &out)
{
    if (in.peek() == '-') {
        out.push('-');
        in.advance();
    } else if (in.peek() == '+') {
        in.advance(); // from_chars takes no "+"
    }

    auto copyDigits = [&out](In &from) {
        bool any = false;
        for (char c = from.peek(); isDigit(c); c = from.peek()) {
            out.push(c);
            any = true;
            from.advance();
        }
        return any;
    };
    bool hasDigit = copyDigits(in);
    if (in.peek() == '.') {
        out.push('.');
        in.advance();
        if (copyDigits(in))
            hasDigit = true;
    }
    if (!hasDigit)
        return false;

    if (isExponentLetter(in.peek())) {
        In look = in;
        look.advance();
        const char sign = look.peek();
        if (sign == '+' || sign == '-')
            look.advance();
        if (isDigit(look.peek())) {
            out.push('e');
            if (sign == '-')
                out.push('-');
            copyDigits(look);
            in = look;
        }
    }
    return true;
}

// True when a number that from_chars found out of range is too large rather than too
// small, judged by where its first significant digit stands. The two cases sit more than
// 600 decades apart, so the sign of that rough decimal exponent is enough.
bool isBeyondLargest(const char *p, const char *end) noexcept
{
    long long magnitude = 0; // decimal exponent of the first significant digit, roughly
    bool significant = false;
    bool fraction = false;
    for (; p != end && *p != 'e'; ++p) {
        if (*p == '.')
            fraction = true;
        else if (isDigit(*p)) {
            significant = significant || *p != '0';
            if (significant && !fraction)
                ++magnitude;
            else if (!significant && fraction)
                --magnitude;
        }
    }
    if (p != end) {
        ++p;
        const bool negative = p != end && *p == '-';
        long long exponent = 0;
        for (p += negative ? 1 : 0; p != end && exponent < 1'000'000'000; ++p)
            exponent = exponent * 10 + (*p - '0');
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0;
}

// The value of a cleaned decimal number: empty beyond the double range, 0 (with its
// sign) below the smallest subnormal.
std::optional<double> readDecimal(const NumberBuffer &text) noexcept
{
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.begin(), text.end(), value);
    if (ec == std::errc::result_out_of_range) {
        if (isBeyondLargest(text.begin(), text.end()))
            return std::nullopt;
        return *text.begin() == '-' ? -0.0 : 0.0;
    }
    return ec == std::errc() ? value : 0.0;
}

int digitValue(char c, int radix) noexcept
{
    int d = -1;
    if (isDigit(c))
        d = c - '0';
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    return d < radix ? d : -1;
}

// The digits after "&H" / "&O". A value that fits 16 bits unsigned wraps as a 16-bit
// signed integer, a larger one as 32-bit signed; whether it fits is decided on the value,
// so leading zeros do not count. Beyond 32 bits the runtime raises an overflow, which
// reaches callers as an empty result.
template <typename In>
std::optional<double> scanRadix(In &in, int radix) noexcept
{
    std::uint64_t value = 0;
    for (int d = digitValue(in.peek(), radix); d >= 0; d = digitValue(in.peek(), radix)) {
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
        if (value > 0xFFFF'FFFFu)
            return std::nullopt;
        in.advance();
    }
    if (value <= 0xFFFFu)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22}; // all exact
constexpr int kMaxExactPow10 = 22;

// The plain decimal text that relay fields and table cells nearly always hold, read
// without copying it out: the whole text is a sign, digits with at most one point and
// an exponent, nothing else (no blank, nothing after), its digits a whole number of at
// most 2^53 and its power of ten within 10^22 either way. Both are then exact doubles,
// so the one product or quotient is the correctly rounded value, the same from_chars
// gives. Any other text is left to the full rule (false).
template <typename Unit>
bool readPlainDecimal(const Unit *p, const Unit *end, double &value) noexcept
{
    constexpr std::uint64_t kExactLimit = std::uint64_t(1) << 53;
    const auto digit = [](Unit u) { return u >= Unit('0') && u <= Unit('9'); };
    const bool negative = p != end && *p == Unit('-');
    if (p != end && (*p == Unit('-') || *p == Unit('+')))
        ++p;
    std::uint64_t digits = 0;
    int scale = 0;
    int count = 0;
    for (; p != end && digit(*p); ++p, ++count)
        if ((digits = digits * 10 + std::uint64_t(*p - Unit('0'))) > kExactLimit)
            return false;
    if (p != end && *p == Unit('.')) {
        for (++p; p != end && digit(*p); ++p, ++count, --scale)
            if ((digits = digits * 10 + std::uint64_t(*p - Unit('0'))) > kExactLimit)
                return false;
    }
    if (count == 0)
        return false;
    if (p != end && (*p == Unit('E') || *p == Unit('e') || *p == Unit('D') || *p == Unit('d'))) {
        ++p;
        const bool down = p != end && *p == Unit('-');
        if (p != end && (*p == Unit('-') || *p == Unit('+')))
            ++p;
        if (p == end || !digit(*p))
            return false;
        int exponent = 0;
        for (; p != end && digit(*p); ++p)
            if ((exponent = exponent * 10 + int(*p - Unit('0'))) > 1000)
                return false;
        scale += down ? -exponent : exponent;
    }
    if (p != end)
        return false;
    double v = double(digits);
    if (digits != 0) {
        if (scale < -kMaxExactPow10 || scale > kMaxExactPow10)
            return false;
        v = scale < 0 ? v / kPow10[-scale] : v * kPow10[scale];
    }
    value = negative ? -v : v;
    return true;
}

// The number rule; with `whole`, only a number that takes the whole text counts, and no
// number at all is empty rather than 0.
template <typename Unit>
std::optional<double> leadingNumberOf(const Unit *begin, const Unit *end, bool whole = false) noexcept
{
    if (double plain = 0; readPlainDecimal(begin, end, plain))
        return plain;
    Cursor<Unit, true> in(begin, end);
    const auto ends = [&](std::optional<double> value) -> std::optional<double> {
        if (whole && !in.atEnd())
            return std::nullopt;
        return value;
    };
    if (in.peek() == '&') {
        in.advance();
        const char kind = in.peek();
        const int radix = kind == 'H' || kind == 'h' ? 16 : kind == 'O' || kind == 'o' ? 8 : 0;
        if (radix == 0)
            return whole ? std::nullopt : std::optional<double>(0.0);
        in.advance();
        const std::optional<double> value = scanRadix(in, radix);
        return ends(value);
    }
    try {
        NumberBuffer number;
        if (!scanDecimal(in, number))
            return whole ? std::nullopt : std::optional<double>(0.0);
        const std::optional<double> value = readDecimal(number);
        return ends(value);
    } catch (const std::bad_alloc &) {
        // Only a digit run of hundreds of megabytes gets here.
        return std::nullopt;
    }
}

// ---------------------------------------------------------------------------------------
// Rounding

template <typename Int>
std::optional<Int> toInt(double value) noexcept
{
    const double r = roundHalfEven(value);
    // Written so that NaN fails too.
    if (!(r >= double(std::numeric_limits<Int>::min()) && r <= double(std::numeric_limits<Int>::max())))
        return std::nullopt;
    return static_cast<Int>(r);
}

// ---------------------------------------------------------------------------------------
// The fixed formats. The legacy formatter does not round the double itself: it first
// writes the value with 15 significant digits and rounds that text, halves away from
// zero. So 2.0005 (stored as 2.000499999...) shows as 2.001 with three decimals.

constexpr int kFormatDigits = 15;

// Adds one unit in the last place of a digit string; true when the carry runs off the
// front (the digits are then all '0').
bool incrementDigits(char *digits, int count) noexcept
{
    for (int i = count - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// True when a == n / 10^fractionDigits exactly for a whole n of at most 16 digits. Such
// a value is a double only if 5^|fractionDigits| divides its odd part, which rules out
// |fractionDigits| > 22 (5^23 exceeds both 10^16 and 2^53).
bool isExactDecimal(double a, int fractionDigits) noexcept
{
    if (fractionDigits < -kMaxExactPow10 || fractionDigits > kMaxExactPow10)
        return false;
    if (fractionDigits <= 0)
        return std::fmod(a, kPow10[-fractionDigits]) == 0.0;
    // a * 10^f is exactly scaled + error (the rounding error of a product is itself a
    // double); that sum is whole only when both parts are.
    const double scale = kPow10[fractionDigits];
    const double scaled = a * scale;
    const double error = std::fma(a, scale, -scaled);
    return scaled == std::trunc(scaled) && error == std::trunc(error);
}

// A non-negative finite value as 15 significant digits, digit[0].digit[1..14] x 10^exponent,
// rounded half away from zero.
struct FormatDigits
{
    char digit[kFormatDigits];
    int exponent;
};

FormatDigits formatDigits(double magnitude) noexcept
{
    // "d.ddddddddddddddde+XXX": at most 23 characters.
    char text[32];
    auto write = [&](int significant, FormatDigits &out) {
        const auto end =
            std::to_chars(text, text + sizeof(text), magnitude, std::chars_format::scientific, significant - 1).ptr;
        const char *e = std::find(text, end, 'e');
        const char *exponent = e + 1 + (e[1] == '+' ? 1 : 0);
        std::from_chars(exponent, end, out.exponent);
        out.digit[0] = text[0];
        std::copy(text + 2, text + kFormatDigits + 1, out.digit + 1);
        return significant > kFormatDigits ? text[kFormatDigits + 1] : '0';
    };

    // Sixteen correctly rounded digits settle the fifteenth unless the sixteenth is a 5.
    FormatDigits out;
    const char next = write(kFormatDigits + 1, out);
    bool up = next > '5';
    if (next == '5') {
        if (isExactDecimal(magnitude, kFormatDigits - out.exponent))
            up = true; // an exact half
        else
            write(kFormatDigits, out); // correctly rounded, and no tie
    }
    if (up && incrementDigits(out.digit, kFormatDigits)) {
        out.digit[0] = '1';
        ++out.exponent;
    }
    return out;
}

// |value| rounded half away from zero to `decimals` places, as decided on its 15-digit
// text: the whole number `digit[0..count)` times 10^exponent (count 0 means zero).
struct RoundedDecimal
{
    char digit[kFormatDigits + 1];
    int count = 0;
    int exponent = 0;
};

RoundedDecimal roundDecimal(double magnitude, int decimals) noexcept
{
    const FormatDigits text = formatDigits(magnitude);
    RoundedDecimal r;
    r.exponent = -decimals;
    // Digits at or above the 10^-decimals place.
    const int kept = text.exponent + decimals + 1;
    if (kept >= kFormatDigits) {
        std::copy(text.digit, text.digit + kFormatDigits, r.digit);
        r.count = kFormatDigits;
        r.exponent = text.exponent - (kFormatDigits - 1);
    } else if (kept >= 0) {
        std::copy(text.digit, text.digit + kept, r.digit);
        r.count = kept;
        if (text.digit[kept] >= '5' && incrementDigits(r.digit, kept)) {
            r.digit[0] = '1';
            r.count = 1;
            r.exponent = kept - decimals;
        }
    } // else even the first digit lies below the last place kept: zero
    // A value that rounds to zero leaves only '0' digits; say so with count 0.
    if (std::all_of(r.digit, r.digit + r.count, [](char c) { return c == '0'; }))
        r.count = 0;
    return r;
}

NumberText literal(std::string_view text) noexcept
{
    NumberText out;
    std::copy(text.begin(), text.end(), out.data);
    out.size = static_cast<std::uint8_t>(text.size());
    return out;
}

// Powers of ten in extended precision, by multiplication alone (no library power whose
// accuracy varies between runtimes): exact up to 10^27, whose factor 5^27 still fits the
// 64-bit significand, and at most two roundings beyond.
struct ExtendedPowers
{
    static constexpr int kExact = 27, kMax = 64;
    long double power[kMax + 1];
    ExtendedPowers()
    {
        power[0] = 1;
        for (int n = 1; n <= kExact; ++n)
            power[n] = power[n - 1] * 10;
        for (int n = kExact + 1; n <= kMax; ++n)
            power[n] = power[kExact] * power[n - kExact];
    }
};

// printf's %.<precision>G of a finite non-zero value from one scaling in extended
// precision: the value times a power of ten is the digits as a whole number, good to
// about 1e-4 at 15 digits. Nothing when the value lies near a rounding tie (where that
// error could decide), beyond the table, or where long double is no wider than double.
bool fastGeneralText(double value, int precision, NumberText &out) noexcept
{
    if constexpr (std::numeric_limits<long double>::digits < 64) {
        return false;
    } else {
        static const ExtendedPowers powers;
        if (precision > 15) // beyond, the scaling's error nears the tie margin
            return false;
        std::uint64_t limit = 1; // 10^precision
        for (int i = 0; i < precision; ++i)
            limit *= 10;
        const long double magnitude = std::fabs(static_cast<long double>(value));
        // The decimal exponent from the binary one may fall one short: the scaled value tells.
        const int binary = static_cast<int>(std::bit_cast<std::uint64_t>(value) >> 52 & 0x7FF) - 1023;
        if (binary < -1022) // subnormal
            return false;
        int exponent = static_cast<int>(std::floor(binary * 0.30102999566398120));
        long double scaled = 0;
        for (int attempt = 0;; ++attempt) {
            const int shift = precision - 1 - exponent;
            if (attempt == 2 || shift > ExtendedPowers::kMax || -shift > ExtendedPowers::kMax)
                return false;
            scaled = shift >= 0 ? magnitude * powers.power[shift] : magnitude / powers.power[-shift];
            if (scaled >= static_cast<long double>(limit))
                ++exponent;
            else if (scaled < static_cast<long double>(limit / 10))
                --exponent;
            else
                break;
        }
        const long double integral = std::floor(scaled);
        if (std::fabs(scaled - integral - 0.5L) < 0.01L)
            return false;
        auto digits = static_cast<std::uint64_t>(integral) + (scaled - integral > 0.5L ? 1 : 0);
        if (digits == limit) // rounded up to the next power of ten
            digits /= 10, ++exponent;

        char text[15];
        for (int i = precision - 1; i >= 0; --i, digits /= 10)
            text[i] = static_cast<char>('0' + digits % 10);
        int significant = precision;
        while (significant > 1 && text[significant - 1] == '0')
            --significant;

        char *p = out.data;
        if (value < 0)
            *p++ = '-';
        if (exponent < -4 || exponent >= precision) {
            *p++ = text[0];
            if (significant > 1) {
                *p++ = '.';
                p = std::copy(text + 1, text + significant, p);
            }
            *p++ = 'E';
            *p++ = exponent < 0 ? '-' : '+';
            if (std::abs(exponent) < 10)
                *p++ = '0';
            p = std::to_chars(p, out.data + sizeof(out.data), std::abs(exponent)).ptr;
        } else if (exponent < 0) {
            *p++ = '0';
            *p++ = '.';
            p = std::fill_n(p, -exponent - 1, '0');
            p = std::copy(text, text + significant, p);
        } else {
            const int before = exponent + 1; // digits before the point
            p = std::copy(text, text + before, p);
            if (significant > before) {
                *p++ = '.';
                p = std::copy(text + before, text + significant, p);
            }
        }
        out.size = static_cast<std::uint8_t>(p - out.data);
        return true;
    }
}

// %.<precision>G without locale: to_chars' general format is printf's %g (trailing zeros
// and "." dropped, at least two exponent digits); only the exponent letter differs.
NumberText generalText(double value, int precision) noexcept
{
    // Not something %G spells the same way everywhere; these are our own spellings.
    if (std::isnan(value))
        return literal("NaN");
    if (std::isinf(value))
        return literal(value > 0 ? "Inf" : "-Inf");
    if (value == 0)
        value = 0; // no "-0"

    NumberText out;
    if (value != 0 && fastGeneralText(value, precision, out))
        return out;
    const auto end =
        std::to_chars(out.data, out.data + sizeof(out.data), value, std::chars_format::general, precision).ptr;
    std::replace(out.data, end, 'e', 'E');
    out.size = static_cast<std::uint8_t>(end - out.data);
    return out;
}

// Windows-1252 bytes 0x80..0x9F; the rest of the code page is Latin-1. The five bytes the
// code page leaves undefined stand for the C1 control of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

} // namespace

std::optional<double> leadingNumber(QStringView text) noexcept
{
    return leadingNumberOf(text.utf16(), text.utf16() + text.size());
}

std::optional<double> leadingNumber(std::string_view text) noexcept
{
    return leadingNumberOf(text.data(), text.data() + text.size());
}

std::optional<double> wholeLeadingNumber(QStringView text) noexcept
{
    return leadingNumberOf(text.utf16(), text.utf16() + text.size(), true);
}

double roundHalfEven(double value) noexcept
{
    // Not std::nearbyint: that follows whatever rounding mode the thread happens to have.
    double r = std::round(value); // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5)
        r = 2.0 * std::round(value / 2.0); // the even neighbour
    return r;
}

std::optional<float> toFloat32(double value) noexcept
{
    // Halfway between the largest float and 2^128: from here on the nearest float is
    // infinite (the tie goes to the even 2^128).
    constexpr double kOverflow = 0x1.ffffffp+127;
    const double magnitude = std::fabs(value);
    if (!(magnitude < kOverflow))
        return std::nullopt;
    if (magnitude > double(std::numeric_limits<float>::max()))
        return std::copysign(std::numeric_limits<float>::max(), value);
    return static_cast<float>(value);
}

std::optional<std::int16_t> toInt16(double value) noexcept
{
    return toInt<std::int16_t>(value);
}
std::optional<std::int32_t> toInt32(double value) noexcept
{
    return toInt<std::int32_t>(value);
}

double roundTo(double value, int decimals) noexcept
{
    // The runtime rejects negative counts; here they round to a whole number.
    decimals = std::max(decimals, 0);
    const double scale = decimals <= kMaxExactPow10 ? kPow10[decimals] : std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return value; // too large to carry that many decimals: nothing to round

    // The half is decided on the product as a double: 2.675 is stored as
    // 2.67499999999999982..., but 2.675 * 100 rounds to exactly 267.5, which goes to the
    // even 268, so 2.675 to 2 decimals is 2.68.
    const double whole = roundHalfEven(scaled);
    return whole / scale;
}

std::optional<double> checkedNumber(QStringView text) noexcept
{
    auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    const char16_t *begin = text.utf16();
    const char16_t *end = begin + text.size();
    while (begin != end && isBlank(*begin))
        ++begin;
    while (end != begin && isBlank(end[-1]))
        --end;

    try {
        Cursor<char16_t, false> in(begin, end);
        NumberBuffer number;
        if (!scanDecimal(in, number) || !in.atEnd())
            return std::nullopt;
        return readDecimal(number);
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
}

std::optional<std::int32_t> checkedInt32(QStringView text) noexcept
{
    const std::optional<double> value = checkedNumber(text);
    return value ? toInt32(*value) : std::nullopt;
}

NumberText formatWhole(double value, int minDigits) noexcept
{
    // Up to 38 digits plus a sign fit NumberText; past that (and for NaN and infinities)
    // the shortest form stands in, which is still the right number.
    constexpr int kMaxDigits = 38;
    if (!std::isfinite(value))
        return shortest(value);
    const RoundedDecimal r = roundDecimal(std::fabs(value), 0);
    const int digits = r.count + r.exponent; // exponent >= 0 when rounding to units
    if (digits > kMaxDigits)
        return shortest(value);

    const int width = std::max(digits, std::clamp(minDigits, 1, kMaxDigits));
    const bool negative = value < 0 && r.count > 0;
    NumberText out;
    char *p = out.data;
    if (negative)
        *p++ = '-';
    p = std::fill_n(p, width - digits, '0');
    p = std::copy(r.digit, r.digit + r.count, p);
    p = std::fill_n(p, digits - r.count, '0');
    out.size = static_cast<std::uint8_t>(p - out.data);
    return out;
}

double roundFixed3(double value) noexcept
{
    if (!std::isfinite(value))
        return value;
    const RoundedDecimal r = roundDecimal(std::fabs(value), 3);
    if (r.count == 0)
        return 0.0;

    // "-" + 16 digits + "e-" + exponent digits
    char text[32];
    char *p = text;
    if (value < 0)
        *p++ = '-';
    p = std::copy(r.digit, r.digit + r.count, p);
    *p++ = 'e';
    p = std::to_chars(p, text + sizeof(text), r.exponent).ptr;
    double shown = 0;
    if (std::from_chars(text, p, shown).ec != std::errc())
        return value; // 15 digits of the largest doubles round past the double range
    return shown;
}

NumberText shortest(float value) noexcept
{
    return generalText(value, 7);
}
NumberText shortest(double value) noexcept
{
    return generalText(value, 15);
}

NumberText shortest(std::int64_t value) noexcept
{
    NumberText out;
    const auto end = std::to_chars(out.data, out.data + sizeof(out.data), value).ptr;
    out.size = static_cast<std::uint8_t>(end - out.data);
    return out;
}

NumberText exactText(float value) noexcept
{
    if (!std::isfinite(value))
        return shortest(value);
    // Nine significant digits always lead back to the float; fewer often do.
    for (int digits = 7; digits < 9; ++digits) {
        const NumberText text = generalText(value, digits);
        const std::optional<double> read = leadingNumber(text.view());
        if (read && toFloat32(*read) == value)
            return text;
    }
    return generalText(value, 9);
}

void setFixedText(FlightText &field, QStringView text) noexcept
{
    const auto n = std::min<qsizetype>(text.size(), kTextFieldLength);
    std::copy_n(text.utf16(), n, field);
    std::fill(field + n, field + kTextFieldLength, u' ');
}

char16_t fromWindows1252(unsigned char byte) noexcept
{
    return byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : char16_t(byte);
}

void decodeWindows1252(QByteArrayView bytes, QString &text)
{
    text.resize(bytes.size());
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(fromWindows1252(static_cast<unsigned char>(bytes[i])));
}

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text;
    decodeWindows1252(bytes, text);
    return text;
}

unsigned char toWindows1252(char16_t ch) noexcept
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    const auto *found = std::find(std::begin(kCp1252High), std::end(kCp1252High), ch);
    if (found == std::end(kCp1252High))
        return '?';
    return static_cast<unsigned char>(0x80 + (found - kCp1252High));
}

char16_t upperLatin(char16_t ch) noexcept
{
    if ((ch >= u'a' && ch <= u'z') || (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7))
        return static_cast<char16_t>(ch - 0x20);
    switch (ch) {
    case 0xFF:
        return 0x178; // ÿ -> Ÿ
    case 0x161:
        return 0x160; // š -> Š
    case 0x153:
        return 0x152; // œ -> Œ
    case 0x17E:
        return 0x17D; // ž -> Ž
    default:
        return ch;
    }
}

bool equalsUpperLatin(QStringView a, QStringView b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x != y && upperLatin(x) != upperLatin(y)) // keywords are mostly written as listed
            return false;
    }
    return true;
}

} // namespace tavrel::convert
