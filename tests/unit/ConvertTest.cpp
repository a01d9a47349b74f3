#include "core/Convert.h"

#include <QChar>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace tavrel;
using namespace tavrel::convert;
using namespace std::string_literals;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::nullopt_t kFails = std::nullopt;

std::string repeat(std::string_view piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

QString latin1(std::string_view bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

} // namespace

// One table for both overloads: 8-bit text and the same bytes read as Latin-1 UTF-16.
TEST(ConvertTest, LeadingNumber)
{
    struct Case { std::string text; std::optional<double> expected; };
    const std::vector<Case> cases = {
        // no number at all
        {"", 0}, {"abc", 0}, {"-", 0}, {"+", 0}, {".", 0}, {"-.", 0}, {"--1", 0}, {"0x1A", 0},
        {"\r5", 0}, {"\xA0" "5", 0}, {"e5", 0}, {"&", 0}, {"&X1", 0}, {"-&H10", 0},
        // the longest leading decimal number
        {"12,5", 12}, {"1.5E3", 1500}, {"1E+2", 100}, {"1e", 1}, {"1e+", 1}, {"1e-", 1}, {".5", 0.5},
        {"-.5", -0.5}, {"+7", 7}, {"5.", 5}, {"5-", 5}, {"1-2", 1}, {"1.2.3", 1.2}, {"1..5", 1},
        {"1.5D2", 150}, {"1.5d-2", 0.015}, {"1e2e3", 100}, {"0.1", 0.1}, {"-0", 0},
        {"1\r2", 1}, {"1\0" "2"s, 1}, {"7\xB2", 7}, {"3\xBD", 3},
        // blanks, tabs and line feeds vanish wherever they stand
        {" 2 45 7", 2457}, {"24 and 57", 24}, {"\t-\n1 . 5 e 2", -150}, {"1 e - 2", 0.01},
        {"1E 5x", 1e5}, {" \t\n", 0},
        // "&H" and "&O": 16-bit wrap while the value fits 16 bits, then 32-bit
        {"&HFFFF", -1}, {"&H7FFF", 32767}, {"&H8000", -32768}, {"&hffff", -1}, {"&H10000", 65536},
        {"&HFFFFFFFF", -1}, {"&H7FFFFFFF", 2147483647}, {"&H80000000", -2147483648.0},
        {"&H", 0}, {"&HG", 0}, {"&H1G", 1}, {"&H1.5", 1}, {"&H10E2", 0x10E2}, {"& h 1 f", 31},
        {"&H0000FFFF", -1}, {"&H000000001", 1}, {"&H100000000", kFails}, {"&HFFFFFFFFF", kFails},
        {"&O177777", -1}, {"&o10", 8}, {"&O100000", -32768}, {"&O200000", 65536},
        {"&O37777777777", -1}, {"&O40000000000", kFails}, {"&O8", 0}, {"&O178", 15},
        // the double range: beyond it fails, underflow reads 0
        {"1E999", kFails}, {"-1E999", kFails}, {"1.8e308", kFails}, {"1e99999999999999999999", kFails},
        {"1.7976931348623157e308", std::numeric_limits<double>::max()}, {"1e-999", 0}, {"-1e-400", 0},
        {"4.9e-324", std::numeric_limits<double>::denorm_min()}, {"0e99999", 0},
        {"1e-99999999999999999999", 0}, {"0.000001e-320", 0},
        // correctly rounded
        {"9007199254740993", 9007199254740992.0}, {"123456789012345678901234567890", 1.2345678901234568e29},
        // far longer than any real field
        {"1" + repeat("0", 4999) + "e-4999", 1},
        {"9007199254740993." + repeat("0", 1000) + "1", 9007199254740994.0},
        {"0." + repeat("0", 600) + "1e605", 1e4},
        {repeat("1 ", 3000) + "e-2999", 10.0 / 9.0},
        {repeat("9", 5000), kFails},
        {"1" + repeat("0", 400), kFails},
        {"-0." + repeat("0", 500) + "1", 0},
        {"1e" + repeat("0", 2000) + "7", 1e7},
        {"&H" + repeat("0", 5000) + "1F", 31},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.size() > 60 ? c.text.substr(0, 60) + "..." : c.text);
        EXPECT_EQ(leadingNumber(std::string_view(c.text)), c.expected);
        const QString wide = latin1(c.text);
        EXPECT_EQ(leadingNumber(QStringView(wide)), c.expected);
    }

    // UTF-16 only: characters beyond Latin-1 end a number like any other.
    EXPECT_EQ(leadingNumber(QStringView(u"\uFF11")), 0);      // full-width digit
    EXPECT_EQ(leadingNumber(QStringView(u"\u22121")), 0);     // minus sign
    EXPECT_EQ(leadingNumber(QStringView(u"4\u20AC5")), 4);
    EXPECT_EQ(leadingNumber(QStringView(u"\u0131" "5")), 0); // never folded to ASCII
}

TEST(ConvertTest, Rounding)
{
    const std::vector<std::pair<double, double>> halfEven = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {1.5, 2}, {-0.5, 0}, {-1.5, -2}, {7.7, 8}, {-7.2, -7},
        {2.4999999999999996, 2}, {0.49999999999999994, 0}, {4503599627370495.5, 4503599627370496.0},
        {4503599627370497.0, 4503599627370497.0}, {1e300, 1e300}, {kInf, kInf}, {-kInf, -kInf},
    };
    for (auto [value, expected] : halfEven)
        EXPECT_EQ(roundHalfEven(value), expected) << value;
    EXPECT_TRUE(std::isnan(roundHalfEven(kNaN)));

    const std::vector<std::pair<double, std::optional<std::int16_t>>> int16 = {
        {32767.5, kFails}, {32766.5, 32766}, {32767.4, 32767}, {-32768.5, -32768}, {-32768.6, kFails},
        {-32769.5, kFails}, {0.5, 0}, {-0.5, 0}, {kNaN, kFails}, {kInf, kFails}, {-kInf, kFails},
    };
    for (auto [value, expected] : int16)
        EXPECT_EQ(toInt16(value), expected) << value;

    const std::vector<std::pair<double, std::optional<std::int32_t>>> int32 = {
        {2147483647.5, kFails}, {2147483646.5, 2147483646}, {2147483647.0, 2147483647},
        {-2147483648.5, std::numeric_limits<std::int32_t>::min()}, {-2147483649.0, kFails},
        {1e10, kFails}, {32767.5, 32768}, {-2.5, -2}, {kNaN, kFails}, {kInf, kFails},
    };
    for (auto [value, expected] : int32)
        EXPECT_EQ(toInt32(value), expected) << value;

    struct RoundToCase { double value; int decimals; double expected; };
    const std::vector<RoundToCase> roundToCases = {
        // halves are judged on the product as a double: 2.675 * 100 is exactly 267.5 and
        // goes to the even 268, 2.665 * 100 is 266.5 and goes to 266; 0.285 * 100 stays
        // below the half
        {2.675, 2, 2.68}, {-2.675, 2, -2.68}, {2.665, 2, 2.66}, {1.115, 2, 1.12}, {0.285, 2, 0.28},
        {0.125, 2, 0.12}, {0.375, 2, 0.38}, {1.005, 2, 1.0}, {-0.125, 2, -0.12},
        {2.5, 0, 2}, {1234.5678, 1, 1234.6}, {1234.5, -1, 1234}, {1e300, 10, 1e300}, {0.5, 400, 0.5},
    };
    for (const auto &c : roundToCases)
        EXPECT_EQ(roundTo(c.value, c.decimals), c.expected) << c.value << " to " << c.decimals;
}

TEST(ConvertTest, CheckedInt32)
{
    const std::vector<std::pair<QString, std::optional<std::int32_t>>> cases = {
        {u" 12 "_s, 12}, {u"\t12\t"_s, 12}, {u"-7"_s, -7}, {u"+7"_s, 7}, {u"2.5"_s, 2},
        {u"3.5"_s, 4}, {u"-0.5"_s, 0}, {u".5"_s, 0}, {u"5."_s, 5}, {u"1e3"_s, 1000}, {u"1D3"_s, 1000},
        {u"25e-1"_s, 2}, {u"2147483647"_s, 2147483647}, {u"-2147483648.5"_s, -2147483647 - 1},
        {u"1e-999"_s, 0}, {QString(1000, u'0') + u"12"_s, 12},
        {u""_s, kFails}, {u"   "_s, kFails}, {u"12abc"_s, kFails}, {u"."_s, kFails}, {u"-"_s, kFails},
        {u"1 2"_s, kFails}, {u"&H10"_s, kFails}, {u"1.5.2"_s, kFails}, {u"1e"_s, kFails},
        {u"1e+"_s, kFails}, {u"e3"_s, kFails}, {u"3000000000"_s, kFails}, {u"2147483647.5"_s, kFails},
        {u"1e999"_s, kFails}, {u"12\n"_s, kFails}, {u"\u00A012"_s, kFails}, {u"\uFF11\uFF12"_s, kFails},
        {u"1,5"_s, kFails}, {QStringView(u"1\0", 2).toString(), kFails},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(checkedInt32(text), expected) << text.left(40).toStdString();
}

TEST(ConvertTest, FixedFormats)
{
    struct WholeCase { double value; int minDigits; std::string expected; };
    const std::vector<WholeCase> whole = {
        {2.5, 1, "3"}, {-2.5, 1, "-3"}, {1234.5, 1, "1235"}, {1234.4, 1, "1234"}, {0.4, 1, "0"},
        {-0.4, 1, "0"}, {-0.5, 1, "-1"}, {-0.0, 1, "0"}, {1e-300, 1, "0"}, {0, 2, "00"}, {5, 2, "05"},
        {12, 2, "12"}, {123, 2, "123"}, {-5, 2, "-05"}, {-0.2, 2, "00"}, {9.5, 2, "10"}, {99.5, 2, "100"},
        {-9.5, 2, "-10"}, {7, 0, "7"}, {-7, 100, "-" + std::string(37, '0') + "7"},
        // halves are decided on the 15-digit text, not on the binary value
        {2.4999999999999996, 1, "3"}, {999999999999999.5, 1, "1000000000000000"},
        {123456789012344.5, 1, "123456789012345"}, {-123456789012344.5, 1, "-123456789012345"},
        {999999999999998.5, 1, "999999999999999"},
        {1e15, 1, "1000000000000000"}, {1e20, 1, "100000000000000000000"},
        {-9.9e37, 1, "-99" + std::string(36, '0')},
        // past 38 digits, and not numbers at all
        {1e38, 1, "1E+38"}, {-1e300, 1, "-1E+300"}, {kNaN, 1, "NaN"}, {kInf, 2, "Inf"}, {-kInf, 1, "-Inf"},
    };
    for (const auto &c : whole)
        EXPECT_EQ(formatWhole(c.value, c.minDigits).view(), c.expected) << c.value << " at " << c.minDigits;

    const std::vector<std::pair<double, double>> fixed3 = {
        {2.0005, 2.001}, {1.0004999, 1.0}, {-1.2345, -1.235}, {1.23449, 1.234}, {0.0005, 0.001},
        {-0.0004, 0}, {2.5, 2.5}, {0.1 + 0.2, 0.3}, {999.9995, 1000}, {123456789012.0625, 123456789012.063},
        {1e-320, 0}, {1e20, 1e20}, {1234567890123456.0, 1234567890123460.0},
        {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()}, {-kInf, -kInf},
    };
    for (auto [value, expected] : fixed3)
        EXPECT_EQ(roundFixed3(value), expected) << value;
    EXPECT_TRUE(std::isnan(roundFixed3(kNaN)));
}

TEST(ConvertTest, ShortestText)
{
    const std::vector<std::pair<float, std::string_view>> floats = {
        {0.1f, "0.1"}, {45.0f, "45"}, {4.5f, "4.5"}, {1.0f / 3, "0.3333333"}, {-2.5f, "-2.5"},
        {100.0f, "100"}, {123456.7f, "123456.7"}, {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"},
        {999999.94f, "999999.9"}, {0.01f, "0.01"}, {16777215.0f, "1.677722E+07"}, {1e20f, "1E+20"},
        {1e-5f, "1E-05"}, {0.0001f, "0.0001"},
        {0.0f, "0"}, {-0.0f, "0"}, {std::numeric_limits<float>::max(), "3.402823E+38"},
        {std::numeric_limits<float>::denorm_min(), "1.401298E-45"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"}, {std::numeric_limits<float>::infinity(), "Inf"},
        {-std::numeric_limits<float>::infinity(), "-Inf"},
    };
    for (auto [value, expected] : floats)
        EXPECT_EQ(shortest(value).view(), expected) << value;

    const std::vector<std::pair<double, std::string_view>> doubles = {
        {-5.7296, "-5.7296"}, {0.8, "0.8"}, {0.1 + 0.2, "0.3"}, {2.0 / 3, "0.666666666666667"},
        {123456789012345.0, "123456789012345"}, {1e15, "1E+15"}, {1e100, "1E+100"}, {1e-5, "1E-05"},
        {0.0001, "0.0001"}, {-0.0, "0"}, {std::numeric_limits<double>::max(), "1.79769313486232E+308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {kNaN, "NaN"}, {-kInf, "-Inf"},
    };
    for (auto [value, expected] : doubles)
        EXPECT_EQ(shortest(value).view(), expected) << value;
    EXPECT_EQ(shortest(0.5).latin1(), QLatin1String("0.5"));

    const std::vector<std::pair<std::int64_t, std::string_view>> ints = {
        {0, "0"}, {-1, "-1"}, {std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
    };
    for (auto [value, expected] : ints)
        EXPECT_EQ(shortest(value).view(), expected) << value;
}

TEST(ConvertTest, FloatsFromDoublesAndTheirExactText)
{
    constexpr float kMax = std::numeric_limits<float>::max();
    const std::vector<std::pair<double, std::optional<float>>> toFloat = {
        {0.1, 0.1f}, {-2.5, -2.5f}, {2147483647.0, 2147483648.0f}, {1e-50, 0.0f}, {-1e-50, -0.0f},
        {double(kMax), kMax}, {-double(kMax), -kMax},
        // up to halfway to 2^128 the nearest float is the largest one; from there on, none
        {3.4028235e38, kMax}, {0x1.fffffefffffffp+127, kMax}, {-0x1.fffffefffffffp+127, -kMax},
        {0x1.ffffffp+127, kFails}, {-0x1.ffffffp+127, kFails}, {1e39, kFails}, {1e300, kFails},
        {kInf, kFails}, {-kInf, kFails}, {kNaN, kFails},
    };
    for (auto [value, expected] : toFloat)
        EXPECT_EQ(toFloat32(value), expected) << value;

    // The shortest text where it is exact; more digits only where it is not.
    const std::vector<std::pair<float, std::string_view>> exact = {
        {0.1f, "0.1"}, {45.0f, "45"}, {1.0f / 3, "0.33333334"}, {-0.0f, "0"}, {1e20f, "1E+20"},
        {1.0000001f, "1.0000001"}, {16777215.0f, "16777215"}, {123456.79f, "123456.79"},
        {kMax, "3.4028235E+38"}, {std::numeric_limits<float>::denorm_min(), "1.401298E-45"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"}, {-std::numeric_limits<float>::infinity(), "-Inf"},
    };
    for (auto [value, expected] : exact)
        EXPECT_EQ(exactText(value).view(), expected) << value;

    // Every finite float reads back as itself: a spread of bit patterns over all of them.
    int checked = 0;
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 65521) {
        float value;
        const auto pattern = static_cast<std::uint32_t>(bits);
        std::memcpy(&value, &pattern, sizeof value);
        if (!std::isfinite(value))
            continue;
        const std::optional<double> read = leadingNumber(exactText(value).view());
        ASSERT_TRUE(read.has_value()) << value;
        ASSERT_EQ(toFloat32(*read), value) << exactText(value).view();
        ++checked;
    }
    EXPECT_GT(checked, 60000);
}

TEST(ConvertTest, FixedText)
{
    const QString longText = QString(200, u'x') + u"tail"_s;
    const std::vector<std::pair<QString, QString>> cases = {
        {u""_s, QString(kTextFieldLength, u' ')},
        {u"NAV 1"_s, u"NAV 1"_s + QString(kTextFieldLength - 5, u' ')},
        {QString(kTextFieldLength, u'a'), QString(kTextFieldLength, u'a')},
        {longText, longText.left(kTextFieldLength)},
        {u"\u00B0 \U0001F600"_s, u"\u00B0 \U0001F600"_s + QString(kTextFieldLength - 4, u' ')},
        {QString(kTextFieldLength - 1, u'a') + u"\U0001F600"_s, // cut between the surrogates
         QString(kTextFieldLength - 1, u'a') + QChar(0xD83D)},
    };
    for (const auto &[text, expected] : cases) {
        FlightText field;
        std::fill(std::begin(field), std::end(field), u'#'); // whatever was there before
        setFixedText(field, text);
        EXPECT_EQ(view(field), expected) << text.toStdString();
    }
}

TEST(ConvertTest, Windows1252)
{
    const std::vector<std::pair<unsigned char, char16_t>> known = {
        {0x01, 0x0001}, {0x41, u'A'}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192},
        {0x85, 0x2026}, {0x88, 0x02C6}, {0x8A, 0x0160}, {0x8C, 0x0152}, {0x8E, 0x017D}, {0x91, 0x2018},
        {0x94, 0x201D}, {0x96, 0x2013}, {0x97, 0x2014}, {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161},
        {0x9C, 0x0153}, {0x9E, 0x017E}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xA6, 0x00A6}, {0xFF, 0x00FF},
        // undefined in the code page: the control code of the same value
        {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},
    };
    for (auto [byte, ch] : known)
        EXPECT_EQ(fromWindows1252(byte), ch) << int(byte);

    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(toWindows1252(fromWindows1252(byte)), byte) << b;
        if (b < 0x80 || b >= 0xA0) {
            EXPECT_EQ(fromWindows1252(byte), char16_t(b)) << b;
        }
    }

    for (char16_t ch : {char16_t(0x0080), char16_t(0x009F), char16_t(0x0100), char16_t(0x2028),
                        char16_t(0x4E2D), char16_t(0xD800), char16_t(0xFFFD)})
        EXPECT_EQ(toWindows1252(ch), '?') << int(ch);
}

TEST(ConvertTest, UpperLatin)
{
    const std::vector<std::pair<char16_t, char16_t>> cases = {
        {u'a', u'A'}, {u'z', u'Z'}, {u'A', u'A'}, {u'`', u'`'}, {u'{', u'{'}, {u'1', u'1'},
        {0xE0, 0xC0}, {0xE9, 0xC9}, {0xFE, 0xDE}, {0xF7, 0xF7}, {0xFF, 0x178}, {0x161, 0x160},
        {0x153, 0x152}, {0x17E, 0x17D}, {0xC0, 0xC0}, {0xDF, 0xDF}, {0xB5, 0xB5}, {0x192, 0x192},
        {0x101, 0x101}, {0x3B1, 0x3B1}, {0x430, 0x430},
    };
    for (auto [ch, expected] : cases)
        EXPECT_EQ(upperLatin(ch), expected) << int(ch);

    // Within the code page: exactly Unicode's upper case, where the code page has it.
    for (int b = 0; b < 256; ++b) {
        const char16_t ch = fromWindows1252(static_cast<unsigned char>(b));
        const char16_t upper = QChar(ch).toUpper().unicode();
        const char16_t expected = upper != ch && toWindows1252(upper) != '?' ? upper : ch;
        EXPECT_EQ(upperLatin(ch), expected) << b;
    }
    // Outside it nothing changes.
    for (int u = 0; u <= 0xFFFF; ++u) {
        const auto ch = static_cast<char16_t>(u);
        if (toWindows1252(ch) == '?' && ch != u'?') {
            ASSERT_EQ(upperLatin(ch), ch) << u;
        }
    }
}
