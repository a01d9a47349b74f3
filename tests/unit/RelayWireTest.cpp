// The relay wire format: one table of arrivals and what the parse makes of them, and the
// peer's side (formatting) read back.
#include "sources/RelayWire.h"
#include "support/QtPrinters.h"

#include "core/Convert.h"
#include "sources/SimulatedFlight.h"

#include <gtest/gtest.h>

#include <QList>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

// A record whose fields all hold a value no parse here produces: a field that keeps its
// value shows as -77.5, -77 or a run of "~".
FlightData sentinelRecord()
{
    FlightData d{};
    for (const FieldInfo &f : kFlightDataFields) {
        if (f.kind == FieldKind::Float)
            floatField(d, f) = -77.5f;
        else if (f.kind == FieldKind::Int)
            intField(d, f) = -77;
        else if (f.kind == FieldKind::Text)
            std::fill(std::begin(textField(d, f)), std::end(textField(d, f)), u'~');
    }
    std::fill(std::begin(d.FlightDataReserved), std::end(d.FlightDataReserved), 0x5A5A5A5A);
    return d;
}

// A readable record, some wire fields (from 1) replaced: number fields hold their wire
// number and a quarter (integers just the number), text fields "text of field N"; six
// fields stand in the place of the reserved block.
QString arrival(std::initializer_list<std::pair<int, QString>> changes, const QString &flag = u"1"_s)
{
    std::vector<QString> fields(relay::kFieldCount, u"999"_s);
    for (const FieldInfo &f : kFlightDataFields) {
        const int n = int(&f - kFlightDataFields.data()) + (&f < &kFlightDataFields[70] ? 1 : 6);
        if (f.kind != FieldKind::Reserved)
            fields[std::size_t(n - 1)] = f.kind == FieldKind::Float ? u"%1.25"_s.arg(n)
                                         : f.kind == FieldKind::Int ? QString::number(n)
                                                                    : u"text of field %1"_s.arg(n);
    }
    for (const auto &[number, text] : changes)
        fields[std::size_t(number - 1)] = text;
    return u"R"_s + QStringList(fields.begin(), fields.end()).join(u'\r') + u'\r' + flag;
}

// A field as text: numbers in decimal, text without its trailing spaces.
QString shown(const FlightData &d, std::string_view name)
{
    const FieldInfo &f = *findFlightDataField(name);
    return f.kind == FieldKind::Float ? QString::number(double(floatField(d, f)), 'g', 9)
           : f.kind == FieldKind::Int ? QString::number(intField(d, f))
                                      : textField(d, f).toString().trimmed();
}

} // namespace

TEST(RelayWireTest, ParsesArrivals)
{
    const auto numbers = [](const QString &text) { return arrival({{14, text}, {36, text}}); }; // KIAS, LightBits2
    const QString ten = u"0123456789"_s, oneForty = ten.repeated(14);
    const std::tuple<QString, std::optional<bool>, std::vector<std::pair<const char *, QString>>> cases[] = {
        {arrival({}),
         true,
         {{"ShipNorth", u"1.25"_s},
          {"AdiIlsPos2", u"44.25"_s},
          {"HSIBits", u"63"_s},
          {"DEDLines", u"text of field 64"_s},
          {"RWRObjectCount", u"70"_s},
          {"FWDFuel", u"77.25"_s},
          {"VersionNum", u"84"_s}}},
        {arrival({}, u"0"_s), false, {}},
        {arrival({}, u"7"_s), true, {}},
        {arrival({}, u"01"_s), false, {}},
        {arrival({}, u"x"_s), false, {}},
        {arrival({}, u""_s), false, {}},
        {u""_s, false, {{"ShipNorth", u"-77.5"_s}}},
        {numbers(u"12,5"_s), true, {{"KIAS", u"12"_s}, {"LightBits2", u"12"_s}, {"VT", u"15.25"_s}}},
        {numbers(u"\t 1 2D1"_s), true, {{"KIAS", u"120"_s}, {"LightBits2", u"120"_s}}},
        {numbers(u"abc"_s), true, {{"KIAS", u"0"_s}, {"LightBits2", u"0"_s}}},
        {numbers(u"2.5"_s), true, {{"KIAS", u"2.5"_s}, {"LightBits2", u"2"_s}}},
        {numbers(u"2147483647.5"_s), true, {{"KIAS", u"2.14748365e+09"_s}, {"LightBits2", u"-77"_s}}}, // kept
        {numbers(u"1E39"_s), true, {{"KIAS", u"-77.5"_s}, {"VT", u"15.25"_s}}},
        {arrival({{64, oneForty}, {67, u"kept"_s}}), true, {{"DEDLines", ten.repeated(13)}, {"PFLInvert", u"kept"_s}}},
        // "512" and a CR: field 1 reads 12 (the leading character is not part of it); field 2
        // finds no CR and keeps its value; field 3 starts from the text's start again, and so
        // on, turn about. The flag stands at the start too.
        {u"512\r"_s,
         true,
         {{"ShipNorth", u"12"_s},
          {"ShipEast", u"-77.5"_s},
          {"ShipDown", u"512"_s},
          {"LightBits", u"-77"_s},
          {"HeadPitch", u"512"_s},
          {"DEDLines", QString(130, u'~')},
          {"VersionNum", u"-77"_s}}},
        {u"R12\r"_s, false, {{"ShipDown", u"0"_s}}},
        {arrival({}) + u"R5\r"_s.repeated(84) + u"0"_s, true, {{"VersionNum", u"84"_s}}}, // the first of two counts
    };
    for (const auto &[text, flag, fields] : cases) {
        FlightData d = sentinelRecord();
        EXPECT_EQ(relay::readRecord(text, d), flag) << text.left(20).toStdString();
        for (const auto &[name, value] : fields)
            EXPECT_EQ(shown(d, name), value) << name << " of " << text.left(20).toStdString();
        EXPECT_EQ(d.FlightDataReserved[0], 0x5A5A5A5A) << "the six unkept fields go nowhere";
    }
}

TEST(RelayWireTest, FormattedRecordsHaveTheWireLayoutAndReadBackAsSent)
{
    FlightData sent[3] = {};
    SimulatedFlight().sample(150.05, sent[0]);
    sent[1].ShipNorth = 0.1f, sent[1].LightBits = INT32_MIN, sent[1].Alpha = 1.0000001f, sent[1].Beta = 3.4028235e38f;
    const QString ded = u"caf\u00E9 \u20AC5\rline\u03A9"_s;
    std::copy(ded.utf16(), ded.utf16() + ded.size(), sent[2].DEDLines);
    const QList<QByteArray> fields = relay::formatRecord(sent[1], false, 'Q').split('\r');
    ASSERT_EQ(fields.size(), relay::kFieldCount + 1);
    EXPECT_EQ(fields[0], "Q0.1");
    EXPECT_EQ(fields[31], "-2147483648");
    EXPECT_EQ(fields[70], "") << "a field in the reserved block's place";
    EXPECT_EQ(fields[84], "0") << "the flag";
    EXPECT_EQ(relay::formatRecord(sent[2], true).split('\r')[63].left(13), QByteArray("caf\xE9 \x80"
                                                                                      "5 line?",
                                                                                      13))
        << "Windows-1252, a CR as a space, \"?\" for what the code page lacks";
    for (const FlightData &s : sent) {
        FlightData received = sentinelRecord();
        QByteArray reused = "longer than nothing";
        relay::formatRecordInto(reused, s, true);
        EXPECT_TRUE(relay::parseRecord(convert::decodeWindows1252(reused), received));
        for (const FieldInfo &f : kFlightDataFields) { // floats by value: -0 goes as 0
            if (f.kind == FieldKind::Float) {
                EXPECT_EQ(floatField(received, f), floatField(s, f)) << f.name;
            } else if (f.kind != FieldKind::Reserved && (f.name != "DEDLines" || &s != &sent[2])) {
                EXPECT_EQ(shown(received, f.name), shown(s, f.name)) << f.name;
            }
        }
    }
}

// What the link with recovery takes for a record: whatever a peer formats, never garbage
// that merely has the record's shape.
TEST(RelayWireTest, PlausibleRecords)
{
    FlightData sample{};
    SimulatedFlight().sample(150.05, sample);
    sample.Beta = 3.4028235e38f, sample.LightBits = INT32_MIN;
    const std::pair<QString, bool> cases[] = {
        {convert::decodeWindows1252(relay::formatRecord(sample, true)), true},
        {arrival({}, u"0"_s), true},
        {arrival({{14, u"\t 1 2D1"_s}, {36, u"&H1F"_s}}), true},  // the number rule's own forms
        {arrival({{64, u"no number"_s}, {71, u"junk"_s}}), true}, // a text field, a field not kept
        {arrival({}, u"7"_s), false},
        {arrival({}, u""_s), false},
        {arrival({{14, u""_s}}), false},
        {arrival({{14, u"12abc"_s}}), false},
        {arrival({{36, u"1.5.2"_s}}), false},
        {u"R"_s + u"1\r"_s.repeated(83) + u"1"_s, false},
        {u"R"_s + u"junk\r"_s.repeated(84) + u"1"_s, false},
        {u"R"_s + u"\r"_s.repeated(84) + u"1"_s, false},
    };
    for (const auto &[text, plausible] : cases)
        EXPECT_EQ(relay::isPlausibleRecord(text), plausible) << text.left(40).toStdString();
}
