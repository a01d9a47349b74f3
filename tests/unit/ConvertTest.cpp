// The conversion rules, one table each: the number rule, rounding, checked integers, the
// fixed formats, the shortest texts, fixed text fields and the code page.
#include "core/Convert.h"
#include "core/TextReading.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <tuple>

using namespace tavrel;
using namespace tavrel::convert;
using namespace Qt::StringLiterals;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::nullopt_t kFails = std::nullopt;

// Both overloads: 8-bit text and the same bytes read as Latin-1 UTF-16. Plain decimals are
// read by a shortcut: its edges (2^53 digits, 10^22) must read as the full rule does.
TEST(ConvertTest, LeadingNumber)
{
    // clang-format off
    const std::vector<std::pair<std::string, std::optional<double>>> cases = {
        {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"--1", 0}, {"e5", 0}, {"\r5", 0}, {"\xA0" "5", 0}, {"-&H10", 0},
        {"12,5", 12}, {"1.5E3", 1500}, {"1e", 1}, {"1e-", 1}, {".5", 0.5}, {"+7", 7}, {"1.2.3", 1.2}, {"1.5D2", 150},
        {"1.5d-2", 0.015}, {"1e2e3", 100}, {std::string("1\0" "2", 3), 1}, {"7\xB2", 7}, {" 2 45 7", 2457},
        {"24 and 57", 24}, {"\t-\n1 . 5 e 2", -150}, {"&HFFFF", -1}, {"&H7FFF", 32767}, {"&H8000", -32768},
        {"&hffff", -1}, {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&H80000000", -2147483648.0}, {"&H1G", 1},
        {"& h 1 f", 31}, {"&H0000FFFF", -1}, {"&H100000000", kFails}, {"&O177777", -1}, {"&O200000", 65536},
        {"&O178", 15}, {"&X1", 0}, {"1E999", kFails}, {"-1.8e308", kFails}, {"1e-999", 0},
        {"1.7976931348623157e308", std::numeric_limits<double>::max()}, {"9007199254740993", 9007199254740992.0},
        {"1325566603534034.9", 1325566603534034.9}, {"1e22", 1e22}, {"3e23", 3e23}, {"4.35", 4.35}, {"1e-23", 1e-23},
        {"-2.5", -2.5}, {"1.5D+3", 1500}, {"+.5", 0.5}, {"5.", 5},
        {"1" + std::string(4999, '0') + "e-4999", 1}, {std::string(5000, '9'), kFails},
        {"&H" + std::string(5000, '0') + "1F", 31}};
    // clang-format on
    for (const auto &[text, expected] : cases) {
        EXPECT_EQ(leadingNumber(std::string_view(text)), expected) << text.substr(0, 40);
        EXPECT_EQ(leadingNumber(QStringView(QString::fromLatin1(text.data(), qsizetype(text.size())))), expected);
    }
}

template <typename T>
using Rows = std::vector<std::pair<T, std::optional<std::int32_t>>>;

// clang-format off
TEST(ConvertTest, RoundingAndCheckedIntegers)
{
    for (auto [value, expected] : std::vector<std::pair<double, double>>{
             {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-1.5, -2}, {7.7, 8}, {2.4999999999999996, 2},
             {4503599627370495.5, 4503599627370496.0}})
        EXPECT_EQ(roundHalfEven(value), expected) << value;
    for (auto [value, expected] : Rows<double>{{32767.5, kFails}, {32766.5, 32766}, {-32768.5, -32768},
                                               {-32768.6, kFails}, {kNaN, kFails}})
        EXPECT_EQ(toInt16(value), expected) << value;
    for (auto [value, expected] : Rows<double>{{2147483647.5, kFails}, {2147483646.5, 2147483646},
                                               {-2147483648.5, INT32_MIN}, {-2147483649.0, kFails}})
        EXPECT_EQ(toInt32(value), expected) << value;
    // Halves are judged on the product as a double: 2.675 * 100 is exactly 267.5.
    for (auto [value, decimals, expected] : std::vector<std::tuple<double, int, double>>{
             {2.675, 2, 2.68}, {-2.675, 2, -2.68}, {2.665, 2, 2.66}, {0.285, 2, 0.28}, {0.125, 2, 0.12},
             {1.005, 2, 1.0}, {1234.5, -1, 1234}, {1e300, 10, 1e300}})
        EXPECT_EQ(roundTo(value, decimals), expected) << value << " to " << decimals;
    for (const auto &[text, expected] : Rows<QString>{
             {u" 12 "_s, 12}, {u"\t-7\t"_s, -7}, {u"2.5"_s, 2}, {u"3.5"_s, 4}, {u".5"_s, 0}, {u"1D3"_s, 1000},
             {u"25e-1"_s, 2}, {u""_s, kFails}, {u"   "_s, kFails}, {u"12abc"_s, kFails}, {u"1 2"_s, kFails},
             {u"&H10"_s, kFails}, {u"1e"_s, kFails}, {u"2147483647.5"_s, kFails}, {u"12\n"_s, kFails},
             {u"1,5"_s, kFails}})
        EXPECT_EQ(checkedInt32(text), expected) << text.toStdString();
}

// Halves away from zero, decided on the value's 15-digit text.
TEST(ConvertTest, FixedFormats)
{
    for (const auto &[value, minDigits, expected] : std::vector<std::tuple<double, int, std::string>>{
             {2.5, 1, "3"}, {-2.5, 1, "-3"}, {1234.4, 1, "1234"}, {-0.4, 1, "0"}, {0, 2, "00"}, {5, 2, "05"},
             {-5, 2, "-05"}, {123, 2, "123"}, {2.4999999999999996, 1, "3"}, {999999999999999.5, 1, "1000000000000000"},
             {123456789012344.5, 1, "123456789012345"}, {1e20, 1, "100000000000000000000"}, {1e38, 1, "1E+38"},
             {kNaN, 1, "NaN"}})
        EXPECT_EQ(formatWhole(value, minDigits).view(), expected) << value << " at " << minDigits;
    // 1.0004999999999948 is 1.00049999999999 in 15 digits: no half at the third decimal.
    for (auto [value, expected] : std::vector<std::pair<double, double>>{
             {2.0005, 2.001}, {1.0004999, 1.0}, {1.0004999999999948, 1.0}, {-1.2345, -1.235}, {1.23449, 1.234},
             {0.1 + 0.2, 0.3}, {999.9995, 1000}, {1234567890123456.0, 1234567890123460.0}})
        EXPECT_EQ(roundFixed3(value), expected) << value;
}

TEST(ConvertTest, ShortestAndExactText)
{
    for (auto [value, expected] : std::vector<std::pair<float, std::string_view>>{
             {0.1f, "0.1"}, {1.0f / 3, "0.3333333"}, {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"},
             {999999.94f, "999999.9"}, {1e-5f, "1E-05"}, {-0.0f, "0"},
             {-std::numeric_limits<float>::infinity(), "-Inf"}})
        EXPECT_EQ(shortest(value).view(), expected) << value;
    constexpr float kMax = std::numeric_limits<float>::max();
    for (auto [value, expected] : std::vector<std::pair<double, std::optional<float>>>{
             {0.1, 0.1f}, {3.4028235e38, kMax}, {-0x1.fffffefffffffp+127, -kMax}, {0x1.ffffffp+127, kFails},
             {kNaN, kFails}})
        EXPECT_EQ(toFloat32(value), expected) << value;
}

// The shortest and exact texts are printf's %.7G, %.15G and %.8G/%.9G of the value, with
// "E" for "e": checked against the library's own formatting over random bit patterns of
// every magnitude, the rounding ties among them, and the powers of ten beside them.
TEST(ConvertTest, ShortestTextIsPrintfsGeneralFormat)
{
    const auto general = [](double value, int precision) {
        char text[64];
        const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision).ptr;
        std::replace(text, end, 'e', 'E');
        return std::string(text, end);
    };
    std::mt19937_64 random(20261206);
    std::vector<float> floats = {0x1p-11f, 0x1.8p-11f, 2.5e-5f, 1e-5f, 9999999.5f, 0.00048828125f};
    std::vector<double> doubles = {0.5, 1e15, 999999999999999.5, 1e-5, 123456789012345.5};
    for (int e = -40; e <= 38; ++e) {
        const float power = std::strtof(("1e" + std::to_string(e)).c_str(), nullptr);
        floats.insert(floats.end(), {power, std::nextafter(power, 0.0f), std::nextafter(power, HUGE_VALF)});
        doubles.insert(doubles.end(), {double(power), std::pow(10.0, e), std::nextafter(std::pow(10.0, e), 0.0)});
    }
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = random();
        floats.push_back(std::bit_cast<float>(std::uint32_t(bits)));
        doubles.push_back(std::bit_cast<double>(bits));
        doubles.push_back(double(std::bit_cast<float>(std::uint32_t(bits >> 32))) * 0.001); // everyday magnitudes
    }
    // The exact text: the first of 7, 8 and 9 digits that reads back as the float.
    const auto exact = [&](float value) {
        for (int digits = 7;; ++digits)
            if (const std::string text = general(value, digits); std::strtof(text.c_str(), nullptr) == value)
                return text;
    };
    for (const float value : floats) {
        if (!std::isfinite(value) || value == 0)
            continue;
        ASSERT_EQ(shortest(value).view(), general(value, 7)) << std::hexfloat << value;
        ASSERT_EQ(exactText(value).view(), exact(value)) << std::hexfloat << value;
    }
    for (const double value : doubles) {
        if (!std::isfinite(value) || value == 0)
            continue;
        ASSERT_EQ(shortest(value).view(), general(value, 15)) << std::hexfloat << value;
    }
}

TEST(ConvertTest, TextFieldsAndCodePage)
{
    FlightText field;
    setFixedText(field, QString(200, u'x'));
    setFixedText(field, u"NAV 1"_s);
    EXPECT_EQ(view(field), u"NAV 1"_s + QString(125, u' '));
    for (auto [byte, ch] : std::vector<std::pair<unsigned char, char16_t>>{
             {0x01, 0x0001}, {0x80, 0x20AC}, {0x8A, 0x0160}, {0x9F, 0x0178}, {0x81, 0x0081}, {0xA6, 0x00A6},
             {0xFF, 0x00FF}})
        EXPECT_EQ(fromWindows1252(byte), ch) << int(byte);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(toWindows1252(fromWindows1252(static_cast<unsigned char>(b))), b);
    QString text;
    decodeWindows1252("longer text", text);
    decodeWindows1252("a\x80", text);
    EXPECT_EQ(text, u"a\u20AC"_s) << "the room is reused, nothing of the longer text stays";
}
// clang-format on

// A value read from a cell's text is read again whenever the cell holds another text
// (replaced, or changed in place), and never while it holds the same one.
TEST(TextReadingTest, ReadsAgainOnlyWhenTheTextChanges)
{
    int reads = 0;
    const auto number = [&reads](QStringView text) { return ++reads, text.toInt(); };
    TextReading<int> reading;
    QString cell = u"12"_s;
    const std::tuple<std::function<void()>, int, int> steps[] = {
        // change, value, reads so far
        {[] {}, 12, 1},
        {[] {}, 12, 1},
        {[&] { cell = u"34"_s; }, 34, 2},
        {[&] { cell.data()[0] = u'5'; }, 54, 3},
        {[&] { cell.chop(1); }, 5, 4},
    };
    for (const auto &[change, value, count] : steps) {
        change();
        EXPECT_EQ(reading.of(cell, number), value);
        EXPECT_EQ(reads, count);
    }
}
