#include "core/Convert.h"
#include "sources/RelayWire.h"

#include "core/FlightData.h"
#include "sources/SimulatedFlight.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QList>

#include <cfloat>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

constexpr std::int32_t kReservedPattern = 0x5A5A5A5A;

const FieldInfo &field(std::string_view name)
{
    const FieldInfo *f = findFlightDataField(name);
    EXPECT_NE(f, nullptr) << name;
    return f ? *f : kFlightDataFields[0];
}

// A record with a value in every field that no parse in these tests produces, so that a
// field that keeps its value shows.
FlightData sentinelRecord()
{
    FlightData d{};
    for (const FieldInfo &f : kFlightDataFields) {
        switch (f.kind) {
        case FieldKind::Float: floatField(d, f) = -77.5f; break;
        case FieldKind::Int: intField(d, f) = -77; break;
        case FieldKind::Text: std::fill(std::begin(textField(d, f)), std::end(textField(d, f)), u'~'); break;
        case FieldKind::Reserved: std::fill(std::begin(d.FlightDataReserved), std::end(d.FlightDataReserved), kReservedPattern); break;
        }
    }
    return d;
}

bool reservedUntouched(const FlightData &d)
{
    return std::all_of(std::begin(d.FlightDataReserved), std::end(d.FlightDataReserved),
                       [](std::int32_t v) { return v == kReservedPattern; });
}

QString fixed(const QString &text) { return text.left(kTextFieldLength).leftJustified(kTextFieldLength, u' '); }

// Where a field of the record stands on the wire, counted from 1: the record's order,
// with six fields in the place of the reserved block.
int wireNumber(const FieldInfo &f)
{
    const int index = int(&f - kFlightDataFields.data());
    return index < 70 ? index + 1 : index + 6;
}

// The 84 field texts of a record everyone can read: number fields hold their wire number
// and a quarter (integers just the number), text fields a short line naming theirs, the
// six unkept fields 999.
std::vector<QString> plainFields()
{
    std::vector<QString> fields(relay::kFieldCount, u"999"_s);
    for (const FieldInfo &f : kFlightDataFields) {
        if (f.kind == FieldKind::Reserved)
            continue;
        const int n = wireNumber(f);
        fields[std::size_t(n - 1)] = f.kind == FieldKind::Float ? QString::number(n) + u".25"_s
                                     : f.kind == FieldKind::Int ? QString::number(n)
                                                                : u"text of field "_s + QString::number(n);
    }
    return fields;
}

QString record(const std::vector<QString> &fields, const QString &flag, QChar leading = u'R')
{
    QString text(leading);
    for (const QString &f : fields)
        text += f + u'\r';
    return text + flag;
}

QString decoded(const QByteArray &bytes) { return convert::decodeWindows1252(bytes); }

// Every carried field of `a` equals that of `b` (floats by value, so 0 and -0 agree).
void expectSameCarriedFields(const FlightData &a, const FlightData &b, const std::string &where)
{
    for (const FieldInfo &f : kFlightDataFields) {
        switch (f.kind) {
        case FieldKind::Float: EXPECT_EQ(floatField(a, f), floatField(b, f)) << where << ' ' << f.name; break;
        case FieldKind::Int: EXPECT_EQ(intField(a, f), intField(b, f)) << where << ' ' << f.name; break;
        case FieldKind::Text:
            EXPECT_EQ(textField(a, f).toString(), textField(b, f).toString()) << where << ' ' << f.name;
            break;
        case FieldKind::Reserved: break;
        }
    }
}

} // namespace

// A field as text, to compare with a case's expectation: floats and integers in decimal,
// text fields without their trailing spaces. The sentinel record shows as -77.5, -77 and
// a run of "~": a field that keeps its value.
QString shown(const FlightData &d, const char *name)
{
    const FieldInfo &f = field(name);
    switch (f.kind) {
    case FieldKind::Float: return QString::number(double(floatField(d, f)), 'g', 9);
    case FieldKind::Int: return QString::number(intField(d, f));
    case FieldKind::Text: {
        QString text = textField(d, f).toString();
        while (text.endsWith(u' '))
            text.chop(1);
        return text;
    }
    case FieldKind::Reserved: break;
    }
    return {};
}

// The readable record with some wire fields (counted from 1) replaced.
QString arrival(std::initializer_list<std::pair<int, QString>> changes, const QString &flag = u"1"_s)
{
    std::vector<QString> fields = plainFields();
    for (const auto &[number, text] : changes)
        fields[std::size_t(number - 1)] = text;
    return record(fields, flag);
}

// The same text in KIAS (wire field 14, a float) and LightBits2 (36, an integer).
QString numbers(const QString &text)
{
    return arrival({{14, text}, {36, text}});
}

struct ParseCase
{
    const char *name;
    QString arrival;
    std::optional<bool> flag; // as readRecord reports it
    std::vector<std::pair<const char *, QString>> fields;
};

const QString kTen = u"0123456789"_s;
const QString kOneForty = kTen.repeated(14);

const ParseCase kParseCases[] = {
    {"WellFormedFlag1", arrival({}), true,
     {{"ShipNorth", u"1.25"_s}, {"KIAS", u"14.25"_s}, {"AdiIlsPos2", u"44.25"_s}, {"HSIBits", u"63"_s},
      {"DEDLines", u"text of field 64"_s}, {"RWRObjectCount", u"70"_s}, {"FWDFuel", u"77.25"_s},
      {"VersionNum", u"84"_s}}},
    {"WellFormedFlag0", arrival({}, u"0"_s), false, {{"KIAS", u"14.25"_s}, {"VersionNum", u"84"_s}}},
    {"FlagAnyOtherDigitIsActive", arrival({}, u"7"_s), true, {}},
    {"FlagIsOneCharacter", arrival({}, u"01"_s), false, {}},
    {"FlagLetterIsInactive", arrival({}, u"x"_s), false, {}},
    {"FlagMissingIsInactive", arrival({}, u""_s), false, {}},
    {"CommaEndsANumber", numbers(u"12,5"_s), true, {{"KIAS", u"12"_s}, {"LightBits2", u"12"_s}, {"VT", u"15.25"_s}}},
    {"ExponentE", numbers(u"1.5E3"_s), true, {{"KIAS", u"1500"_s}, {"LightBits2", u"1500"_s}}},
    {"ExponentLowerE", numbers(u"1.5e3"_s), true, {{"KIAS", u"1500"_s}, {"LightBits2", u"1500"_s}}},
    {"ExponentD", numbers(u"1D2"_s), true, {{"KIAS", u"100"_s}, {"LightBits2", u"100"_s}}},
    {"LettersOnlyReadZero", numbers(u"abc"_s), true, {{"KIAS", u"0"_s}, {"LightBits2", u"0"_s}}},
    {"LeadingBlanks", numbers(u"   42"_s), true, {{"KIAS", u"42"_s}, {"LightBits2", u"42"_s}}},
    {"BlanksInside", numbers(u"\t 2 45 7"_s), true, {{"KIAS", u"2457"_s}, {"LightBits2", u"2457"_s}}},
    {"HalfToEvenDown", numbers(u"2.5"_s), true, {{"KIAS", u"2.5"_s}, {"LightBits2", u"2"_s}}},
    {"HalfToEvenUp", numbers(u"3.5"_s), true, {{"KIAS", u"3.5"_s}, {"LightBits2", u"4"_s}}},
    {"NegativeHalf", numbers(u"-2.5"_s), true, {{"LightBits2", u"-2"_s}}},
    {"LargestInteger", numbers(u"-2147483648.5"_s), true, {{"LightBits2", u"-2147483648"_s}}},
    {"IntegerPastRangeKeepsItsValue", numbers(u"2147483647.5"_s), true,
     {{"KIAS", u"2.14748365e+09"_s}, {"LightBits2", u"-77"_s}, {"VT", u"15.25"_s}}},
    {"NegativeIntegerPastRange", numbers(u"-2147483649"_s), true, {{"LightBits2", u"-77"_s}}},
    {"FloatJustAboveTheLargestRoundsDown", numbers(u"3.4028235E38"_s), true, {{"KIAS", u"3.40282347e+38"_s}}},
    {"FloatPastRangeKeepsItsValue", numbers(u"1E39"_s), true,
     {{"KIAS", u"-77.5"_s}, {"LightBits2", u"-77"_s}, {"VT", u"15.25"_s}}},
    {"TextShorterIsPadded", arrival({{64, kTen}, {67, kTen}}), true,
     {{"DEDLines", kTen}, {"PFLInvert", kTen}, {"UFCTChan", u"68"_s}}},
    {"TextLongerIsCut", arrival({{64, kOneForty}}), true, {{"DEDLines", kOneForty.left(130)}, {"Invert", u"text of field 65"_s}}},
    {"TextEmpty", arrival({{64, u""_s}}), true, {{"DEDLines", u""_s}}},
    // "512" and a CR, nothing more: field 1 reads 12 (the leading character is not part of
    // it); field 2 finds no CR and keeps its value; field 3 starts from the text's start
    // again and reads "512"; so on, turn about. The flag stands at the start too.
    {"ShortRecord", u"512\r"_s, true,
     {{"ShipNorth", u"12"_s}, {"ShipEast", u"-77.5"_s}, {"ShipDown", u"512"_s}, {"LightBits", u"-77"_s},
      {"HeadPitch", u"512"_s}, {"DEDLines", QString(130, u'~')}, {"Invert", u"512"_s}, {"FWDFuel", u"512"_s},
      {"VersionNum", u"-77"_s}}},
    {"ShortRecordLeadingLetterIsTheFlag", u"R12\r"_s, false, {{"ShipDown", u"0"_s}}},
    {"OnlyTheFirstOfTwoRecordsCounts", arrival({}) + record(std::vector<QString>(relay::kFieldCount, u"5"_s), u"0"_s),
     true, {{"ShipNorth", u"1.25"_s}, {"VersionNum", u"84"_s}}},
};

class RelayWireParse : public testing::TestWithParam<ParseCase> {};

TEST_P(RelayWireParse, FillsTheRecordAndReadsTheFlag)
{
    const ParseCase &c = GetParam();
    FlightData d = sentinelRecord();
    EXPECT_EQ(relay::readRecord(c.arrival, d), c.flag);
    for (const auto &[name, value] : c.fields)
        EXPECT_EQ(shown(d, name), value) << name;
    EXPECT_TRUE(reservedUntouched(d)) << "the six unkept fields go nowhere";

    FlightData again = sentinelRecord();
    EXPECT_EQ(relay::parseRecord(c.arrival, again), c.flag.value_or(false)) << "parseRecord counts the flag alike";
    EXPECT_EQ(std::memcmp(&d, &again, sizeof d), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, RelayWireParse, testing::ValuesIn(kParseCases),
                         [](const testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

// Every carried field of a well-formed record lands in its own place.
TEST(RelayWireTest, AWellFormedRecordFillsEveryCarriedField)
{
    FlightData d = sentinelRecord();
    relay::parseRecord(arrival({}), d);
    for (const FieldInfo &f : kFlightDataFields) {
        const int n = wireNumber(f);
        switch (f.kind) {
        case FieldKind::Float: EXPECT_EQ(floatField(d, f), float(n) + 0.25f) << f.name; break;
        case FieldKind::Int: EXPECT_EQ(intField(d, f), n) << f.name; break;
        case FieldKind::Text: EXPECT_EQ(view(textField(d, f)).toString(), fixed(u"text of field "_s + QString::number(n))) << f.name; break;
        case FieldKind::Reserved: break;
        }
    }
}

TEST(RelayWireTest, ArrivalBytesAreWindows1252)
{
    const QByteArray bytes("A\x80\x81\x9F\xA0\xE9\xFF\r\0z", 10);
    EXPECT_EQ(decoded(bytes), QStringView(u"A\u20AC\u0081\u0178\u00A0\u00E9\u00FF\r\0z", 10).toString());

    // The string's room is reused: a shorter arrival leaves nothing of a longer one.
    QString text;
    convert::decodeWindows1252("longer text", text);
    convert::decodeWindows1252("ab", text);
    EXPECT_EQ(text, u"ab"_s);
    convert::decodeWindows1252(QByteArray(), text);
    EXPECT_TRUE(text.isEmpty());
}

TEST(RelayWireTest, EmptyTextChangesNoFieldAndReadsInactive)
{
    FlightData d = sentinelRecord();
    EXPECT_EQ(relay::readRecord(u"", d), std::optional<bool>(false));
    const FlightData untouched = sentinelRecord();
    EXPECT_EQ(std::memcmp(&d, &untouched, sizeof d), 0);
}

// Past 32,767 characters the 16-bit position and length overflow; the statements that
// overflow are skipped, and what follows is what those skips leave.
TEST(RelayWireTest, RecordsPast32767CharactersSkipTheStepsThatOverflow)
{
    {
        // A field longer than 32,767: its length cannot be kept, so the length of the
        // field before it (1, "7") stands, and every later field takes one character of
        // the long one, two characters on from the last; the flag is one of them too.
        std::vector<QString> fields = plainFields();
        fields[63 - 1] = u"7"_s;
        fields[64 - 1] = QString(40000, u'5');
        FlightData d = sentinelRecord();
        EXPECT_EQ(relay::readRecord(record(fields, u"0"_s), d), std::optional<bool>(true));
        EXPECT_EQ(d.HSIBits, 7);
        for (const FlightText *text : {&d.DEDLines, &d.Invert, &d.PFLLines, &d.PFLInvert})
            EXPECT_EQ(view(*text).toString(), fixed(u"5"_s));
        EXPECT_EQ(d.UFCTChan, 5);
        EXPECT_EQ(d.FWDFuel, 5.0f);
        EXPECT_EQ(d.VersionNum, 5);
        EXPECT_EQ(d.TrimYaw, 62.25f) << "fields before the long one read as usual";
    }
    {
        // The position itself passes 32,767 after field 67: it stays where field 67
        // began, so every later field takes field 67 again, and so does the flag.
        std::vector<QString> fields = plainFields();
        fields[66 - 1] = QString(20000, u'x');
        fields[67 - 1] = u"7"_s + QString(19999, u' ');
        FlightData d = sentinelRecord();
        EXPECT_EQ(relay::readRecord(record(fields, u"0"_s), d), std::optional<bool>(true));
        EXPECT_EQ(view(d.PFLLines).toString(), QString(130, u'x'));
        EXPECT_EQ(view(d.PFLInvert).toString(), fixed(u"7"_s));
        EXPECT_EQ(d.UFCTChan, 7);
        EXPECT_EQ(d.RWRObjectCount, 7);
        EXPECT_EQ(d.TotalFuel, 7.0f);
        EXPECT_EQ(d.VersionNum, 7);
    }
    {
        // A carriage return at character 32,767: the position lands on the largest 16-bit
        // value and every later step overflows. Nothing more is read, not even the flag.
        const QString text = u"R1"_s + QString(32764, u' ') + u"\r2\r3\r1"_s;
        ASSERT_EQ(text.indexOf(u'\r') + 1, 32767);
        FlightData d = sentinelRecord();
        EXPECT_EQ(relay::readRecord(text, d), std::nullopt);
        EXPECT_EQ(d.ShipNorth, 1.0f);
        EXPECT_EQ(d.ShipEast, -77.5f);
        EXPECT_EQ(d.VersionNum, -77);
        d = sentinelRecord();
        EXPECT_FALSE(relay::parseRecord(text, d)) << "a flag out of reach counts as inactive";
    }
}

TEST(RelayWireTest, AFormattedRecordHasTheWireLayout)
{
    FlightData d{};
    d.ShipNorth = 0.1f;
    d.LightBits = -5;
    d.VersionNum = 2147483647;
    const QString ded = u"caf\u00E9 \u20AC5\rline\u03A9"_s;
    std::copy(ded.utf16(), ded.utf16() + ded.size(), d.DEDLines);
    std::fill(d.FlightDataReserved, d.FlightDataReserved + kReservedInts, 99);

    for (const bool active : {true, false}) {
        const QByteArray bytes = relay::formatRecord(d, active, 'Q');
        EXPECT_EQ(bytes.front(), 'Q');
        EXPECT_EQ(bytes.back(), active ? '1' : '0');
        EXPECT_EQ(bytes.count('\r'), relay::kFieldCount) << "a CR inside a text field goes as a space";
        const QList<QByteArray> fields = bytes.mid(1, bytes.size() - 2).split('\r');
        ASSERT_EQ(fields.size(), relay::kFieldCount + 1);
        EXPECT_EQ(fields[0], "0.1");
        EXPECT_EQ(fields[31], "-5");
        EXPECT_EQ(fields[83], "2147483647");
        EXPECT_EQ(fields[63].size(), kTextFieldLength);
        EXPECT_EQ(fields[63].left(13), QByteArray("caf\xE9 \x80" "5 line?", 13));
        for (int n = 71; n <= 76; ++n)
            EXPECT_TRUE(fields[n - 1].isEmpty()) << n;

        QByteArray reused = "something longer than nothing";
        relay::formatRecordInto(reused, d, active, 'Q');
        EXPECT_EQ(reused, bytes);
    }
}

TEST(RelayWireTest, AFormattedRecordParsesBackToTheSameRecord)
{
    const SimulatedFlight flight;
    const double times[] = {0.0, 7.3, 31.9, 64.25, 101.7, 150.05, 179.95};
    for (std::size_t i = 0; i < std::size(times); ++i) {
        FlightData sent{};
        flight.sample(times[i], sent);
        sent.AdiIlsPos2 = float(times[i]) * -0.3712f;
        std::fill(sent.FlightDataReserved, sent.FlightDataReserved + kReservedInts, 1234);
        const bool active = i % 2 == 0;

        FlightData received = sentinelRecord();
        EXPECT_EQ(relay::parseRecord(decoded(relay::formatRecord(sent, active)), received), active);
        expectSameCarriedFields(received, sent, "t = " + std::to_string(times[i]));
        EXPECT_TRUE(reservedUntouched(received));
    }

    // Values at the edges of what the fields hold, and floats whose 7-digit form would
    // read back as a neighbour.
    FlightData edge{};
    edge.ShipNorth = FLT_MAX;
    edge.ShipEast = -FLT_MAX;
    edge.ShipDown = std::numeric_limits<float>::denorm_min();
    edge.Alpha = 1.0000001f;
    edge.Beta = 16777215.0f;
    edge.Gamma = 1.0f / 3.0f;
    edge.Pitch = -0.0f;
    edge.AdiIlsPos2 = 123456.789f;
    edge.LightBits = std::numeric_limits<std::int32_t>::min();
    edge.LightBits2 = std::numeric_limits<std::int32_t>::max();
    const QString text = u"\u00A0\u00FF\u0178\u20AC~ \u0001"_s;
    std::copy(text.utf16(), text.utf16() + text.size(), edge.PFLLines);
    FlightData received = sentinelRecord();
    EXPECT_TRUE(relay::parseRecord(decoded(relay::formatRecord(edge, true)), received));
    expectSameCarriedFields(received, edge, "edge values");
}

TEST(RelayWireTest, TheAnswerToXIsASixteenBitBoolean)
{
    EXPECT_EQ(relay::livenessAnswer(true), QByteArray("\xFF\xFF", 2));
    EXPECT_EQ(relay::livenessAnswer(false), QByteArray("\0\0", 2));
}
