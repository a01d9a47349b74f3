#pragma once

#include "core/FlightData.h"

#include <QByteArrayView>
#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <string_view>

// The conversion rules that configuration files, relay peers and cockpit readouts depend
// on. They never consult the C or Qt locale: the decimal point is always ".".
namespace tavrel::convert {

// A number written into a fixed buffer, so the hot path formats without allocating.
struct NumberText
{
    char data[40];
    std::uint8_t size = 0;

    std::string_view view() const noexcept { return {data, size}; }
    QLatin1String latin1() const noexcept { return QLatin1String(data, size); }
};

// The number rule ("leading number"): blanks, tabs and line feeds are dropped wherever
// they stand, then the longest leading decimal number is read (sign, digits, one ".",
// exponent E/e/D/d). "&H"/"&O" start a hexadecimal/octal integer: up to four hex digits
// wrap as a 16-bit signed value, five to eight as 32-bit signed. No number reads 0.
// Empty result only when the value lies beyond the double range (or, after "&H"/"&O",
// beyond 32 bits, where the runtime raises an overflow).
std::optional<double> leadingNumber(QStringView text) noexcept;
// The same for 8-bit text (configuration files and relay records are Windows-1252;
// only its ASCII part can form a number).
std::optional<double> leadingNumber(std::string_view text) noexcept;

// The number rule with nothing left over: the same reading, but only when the number
// takes the whole text (blanks, tabs and line feeds aside). Empty for no number at all
// (the empty text included), for anything after the number, and beyond the double range.
std::optional<double> wholeLeadingNumber(QStringView text) noexcept;

// To the nearest 32-bit float. Empty when that would lie past the largest float, where
// the runtime raises an overflow (values just above it still round down to it), or for
// a value that is not a number.
std::optional<float> toFloat32(double value) noexcept;

// Round half to even to a whole number, as a double.
double roundHalfEven(double value) noexcept;
// Half to even, then range-checked; empty when out of range (or not a number).
std::optional<std::int16_t> toInt16(double value) noexcept;
std::optional<std::int32_t> toInt32(double value) noexcept;
// "x to d decimals": scale by 10^d in double, round half to even, scale back.
double roundTo(double value, int decimals) noexcept;

// Checked number from text: the whole text (blanks allowed around it) must be a decimal
// number; anything else, the empty text included, is empty, and so is a value beyond the
// double range.
std::optional<double> checkedNumber(QStringView text) noexcept;
// Checked integer from text: a checked number, then half to even and the 32-bit range
// check.
std::optional<std::int32_t> checkedInt32(QStringView text) noexcept;

// Fixed formats "#####0" / "###0" (minDigits 1) and "00" (minDigits 2): a whole number,
// halves away from zero, at least minDigits digits, "-" in front when negative.
NumberText formatWhole(double value, int minDigits = 1) noexcept;
// The value "0.##0" shows: rounded to three decimals, halves away from zero.
double roundFixed3(double value) noexcept;

// Shortest number text: up to 7 (float) or 15 (double) significant digits, trailing
// zeros and "." dropped, exponent form "1E+20" / "1E-05" where %G would use it, and
// negative zero written "0".
NumberText shortest(float value) noexcept;
NumberText shortest(double value) noexcept;
NumberText shortest(std::int64_t value) noexcept;
// A 32-bit float written so that the number rule reads back the very same float: its
// shortest text when those 7 digits do, otherwise 8 or 9 significant digits. NaN and the
// infinities keep their shortest spellings, which read back as 0.
NumberText exactText(float value) noexcept;

// Stores text into a fixed field: cut after 130 characters, padded with spaces.
void setFixedText(FlightText &field, QStringView text) noexcept;

// Windows-1252 to UTF-16 for one byte (the code page's undefined bytes map to the
// control code of the same value, as the system's converter does).
char16_t fromWindows1252(unsigned char byte) noexcept;
// Windows-1252 bytes as text, one character per byte, into `text`, whose room is reused
// so that a steady stream of records decodes without allocating.
void decodeWindows1252(QByteArrayView bytes, QString &text);
QString decodeWindows1252(QByteArrayView bytes);
// UTF-16 to Windows-1252; characters the code page lacks become "?".
unsigned char toWindows1252(char16_t ch) noexcept;

// Plain ASCII/Latin upper-casing, without locale.
char16_t upperLatin(char16_t ch) noexcept;
// Whether two texts are equal once both are upper-cased as above ("True" is "TRUE").
bool equalsUpperLatin(QStringView a, QStringView b) noexcept;

} // namespace tavrel::convert
