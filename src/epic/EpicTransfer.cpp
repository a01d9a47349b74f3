#include "epic/EpicTransfer.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/Grid.h"
#include "epic/EpicLibrary.h"

#include <array>
#include <cstring>
#include <optional>

namespace tavrel {

namespace {

constexpr int kValueColumn = 3;
constexpr double kDegreesPerRadian = 57.29577951;
constexpr epic::Function kNoFollowUp = epic::kFunctionCount;

// What an entry shows in its "Value" column, and so what it sends.
enum class Shown : std::uint8_t {
    Word,    // "InActive" for 0, else "Sending"; the word itself is sent
    Rounded, // the float to `decimals` places, halves to even
    AsIs,    // the float as it is
    Angle,   // -(radians in degrees) to 4 places; the degrees are sent, not negated
    Total,   // internal + external fuel, summed as a float, to 0 places
    Whole,   // the integer as it is
    Fixed,   // the number in `wordOrFixed`; nothing is sent
};

struct Keyword
{
    QStringView name;
    Shown shown;
    float FlightData::*real = nullptr;
    std::int32_t FlightData::*whole = nullptr;
    int decimals = 0;
    EpicChannel channel = EpicChannel::RPM;
    int wordOrFixed = 0;                   // light-bit word 1 to 3, or the number a Fixed entry shows
    bool pigeonholeFirst = false;          // pigeonhole, value, send; else value, pigeonhole, send
    epic::Function followUp = kNoFollowUp; // sent right after the channel's send
};

constexpr Keyword word(QStringView name, std::int32_t FlightData::*field, int n)
{
    return {name, Shown::Word, nullptr, field, 0, EpicChannel::RPM, n};
}
constexpr Keyword channel(QStringView name, Shown shown, float FlightData::*field, int decimals, EpicChannel c,
                          epic::Function followUp = kNoFollowUp)
{
    return {name, shown, field, nullptr, decimals, c, 0, false, followUp};
}
constexpr Keyword rounded(QStringView name, float FlightData::*field, int decimals, EpicChannel c)
{
    return channel(name, Shown::Rounded, field, decimals, c);
}

constexpr std::array<Keyword, 28> kKeywords = {{
    word(u"LIGHTBITS", &FlightData::LightBits, 1),
    word(u"LIGHTBITS2", &FlightData::LightBits2, 2),
    word(u"LIGHTBITS3", &FlightData::LightBits3, 3),
    {u"RPM", Shown::Rounded, &FlightData::RPM, nullptr, 0, EpicChannel::RPM, 0, true},
    {u"RPM2", Shown::Rounded, &FlightData::RPM2, nullptr, 0, EpicChannel::RPM2, 0, true},
    rounded(u"OILPRESSURE", &FlightData::OilPressure, 0, EpicChannel::OIL),
    rounded(u"OILPRESSURE2", &FlightData::OilPressure2, 0, EpicChannel::OIL2),
    channel(u"CHAFFCOUNT", Shown::AsIs, &FlightData::ChaffCount, 0, EpicChannel::CHAFF),
    channel(u"FLARECOUNT", Shown::AsIs, &FlightData::FlareCount, 0, EpicChannel::FLARE),
    channel(u"PITCH", Shown::Angle, &FlightData::Pitch, 4, EpicChannel::PITCH),
    channel(u"ROLL", Shown::Angle, &FlightData::Roll, 4, EpicChannel::ROLL),
    channel(u"TOTAL", Shown::Total, nullptr, 0, EpicChannel::TOTAL, epic::SendFUELRESPH),
    channel(u"INTERNALFUEL", Shown::Rounded, &FlightData::InternalFuel, 0, EpicChannel::INTERNAL, epic::SendINTWINGPH),
    rounded(u"EXTERNALFUEL", &FlightData::ExternalFuel, 0, EpicChannel::EXTERNAL),
    {u"INTWINGFUEL", Shown::Fixed, nullptr, nullptr, 0, EpicChannel::RPM, 1100},
    {u"INTRESFUEL", Shown::Fixed, nullptr, nullptr, 0, EpicChannel::RPM, 900},
    rounded(u"MACH", &FlightData::Mach, 1, EpicChannel::MACH),
    rounded(u"KIAS", &FlightData::KIAS, 0, EpicChannel::KIAS),
    rounded(u"GS", &FlightData::GS, 2, EpicChannel::GS),
    rounded(u"NOZZLE", &FlightData::NozzlePos, 0, EpicChannel::NOZZLE),
    rounded(u"NOZZZLE2", &FlightData::NozzlePos2, 0, EpicChannel::NOZZLE2), // three Z, as cockpits write it
    rounded(u"FTIT", &FlightData::FTIT, 0, EpicChannel::FTIT),
    rounded(u"FTIT2", &FlightData::FTIT2, 0, EpicChannel::FTIT2),
    rounded(u"SPEEDBRAKE", &FlightData::SpeedBrake, 2, EpicChannel::SPEEDBRAKE),
    rounded(u"EPUFUEL", &FlightData::EPUFuel, 0, EpicChannel::EPUFUEL),
    rounded(u"FUELFLOW", &FlightData::FuelFlow, 0, EpicChannel::FUELFLOW),
    {u"UFC", Shown::Whole, nullptr, &FlightData::UFCTChan, 0, EpicChannel::UFC},
    {u"AUX", Shown::Whole, nullptr, &FlightData::AUXTChan, 0, EpicChannel::AUX},
}};

int keywordIndex(QStringView text)
{
    for (std::size_t i = 0; i < kKeywords.size(); ++i)
        if (convert::equalsUpperLatin(text, kKeywords[i].name))
            return int(i);
    return -1;
}

const Keyword *findKeyword(QStringView text)
{
    const int i = keywordIndex(text);
    return i < 0 ? nullptr : &kKeywords[std::size_t(i)];
}

// The column keeps its room, so a steady flight writes its values without allocating.
void setValue(QString &cell, QLatin1String text)
{
    cell.resize(0);
    cell.append(text);
}

convert::NumberText shortestDouble(double value)
{
    return convert::shortest(value);
}

// The "Value" column written from a number, unless it was last written from the same
// one (the same bits: -0 and 0 may show differently).
template <typename Format>
void showNumber(QString &cell, double number, EpicReading &reading, Format &&format)
{
    if (reading.shown && std::memcmp(&reading.shownValue, &number, sizeof number) == 0)
        return;
    setValue(cell, format(number).latin1());
    reading.shown = true;
    reading.shownValue = number;
}

// One library call as one statement: a function the library lacks is skipped without a
// raised error, so an incomplete library costs the cycle nothing.
void invoke(EpicLibrary &card, epic::Function function, std::int32_t argument = 0)
{
    if (card.provides(function))
        attempt([&] { card.call(function, argument); });
}

void transfer(const Keyword &k, const FlightData &d, ConfigRow &entry, EpicLibrary *card, EpicReading &reading)
{
    QString &cell = entry[kValueColumn];
    std::int32_t pigeonholeNumber = 0;
    bool hasPigeonhole = false;
    if (card) {
        const std::optional<std::int32_t> &read = reading.pigeonhole.of(entry[0], epicPigeonhole);
        hasPigeonhole = read.has_value();
        pigeonholeNumber = read.value_or(0);
    }
    if (k.shown == Shown::Word) {
        const std::int32_t bits = d.*k.whole;
        setValue(cell, bits == 0 ? QLatin1String("InActive") : QLatin1String("Sending"));
        if (card) {
            if (hasPigeonhole)
                invoke(*card, epic::selectLightBits(k.wordOrFixed), pigeonholeNumber);
            invoke(*card, epic::sendLightBits(k.wordOrFixed), bits);
        }
        return;
    }
    if (k.shown == Shown::Fixed) {
        setValue(cell, convert::shortest(std::int64_t(k.wordOrFixed)).latin1());
        return;
    }

    double sent = 0.0;
    std::optional<std::int32_t> value;
    switch (k.shown) {
    case Shown::Rounded:
        sent = double(d.*k.real);
        showNumber(cell, convert::roundTo(sent, k.decimals), reading, shortestDouble);
        break;
    case Shown::AsIs: // as the float: 7 digits at most
        sent = double(d.*k.real);
        showNumber(cell, sent, reading, [](double v) { return convert::shortest(float(v)); });
        break;
    case Shown::Angle:
        sent = double(d.*k.real) * kDegreesPerRadian;
        showNumber(cell, convert::roundTo(-sent, k.decimals), reading, shortestDouble);
        break;
    case Shown::Total: {
        const float total = d.InternalFuel + d.ExternalFuel;
        sent = double(total);
        showNumber(cell, convert::roundTo(sent, 0), reading, shortestDouble);
        break;
    }
    case Shown::Whole:
        value = d.*k.whole;
        setValue(cell, convert::shortest(std::int64_t(*value)).latin1());
        break;
    case Shown::Word:
    case Shown::Fixed:
        break;
    }
    if (!card)
        return;
    if (k.shown != Shown::Whole)
        value = convert::toInt32(sent);

    const auto storePigeonhole = [&] {
        if (hasPigeonhole)
            invoke(*card, epic::storePigeonhole(k.channel), pigeonholeNumber);
    };
    const auto storeValue = [&] {
        if (value)
            invoke(*card, epic::storeValue(k.channel), *value);
    };
    if (k.pigeonholeFirst) {
        storePigeonhole();
        storeValue();
    } else {
        storeValue();
        storePigeonhole();
    }
    invoke(*card, epic::send(k.channel));
    if (k.followUp != kNoFollowUp)
        invoke(*card, k.followUp);
}

} // namespace

QStringList epicKeywords()
{
    QStringList names;
    for (const Keyword &k : kKeywords)
        names += k.name.toString();
    return names;
}

EpicKeyword epicKeyword(QStringView keyword) noexcept
{
    const Keyword *k = findKeyword(keyword);
    return !k ? EpicKeyword::Unknown : k->shown == Shown::Fixed ? EpicKeyword::ShownOnly : EpicKeyword::Sent;
}

std::optional<std::int32_t> epicPigeonhole(QStringView text) noexcept
{
    return convert::checkedInt32(text);
}

void SendEpicData(ConfigTable &maEPICAnalogs, const FlightData &data, EpicLibrary *openCard, Grid &grid,
                  bool screenUpdate, const std::function<void()> &yield, EpicReadings *readings)
{
    const int count = configEntries(maEPICAnalogs);
    EpicReadings scratch;
    EpicReadings &kept = readings ? *readings : scratch;
    if (kept.size() < std::size_t(count))
        kept.resize(std::size_t(count)); // once per table: the readings keep their room
    for (int i = 0; i < count; ++i) {
        ConfigRow &entry = maEPICAnalogs[i];
        EpicReading &reading = kept[std::size_t(i)];
        if (!reading.keyword.isOf(std::as_const(entry)[2]))
            reading.shown = false; // another keyword, or another table: its value is written anew
        if (const int k = reading.keyword.of(std::as_const(entry)[2], keywordIndex); k >= 0)
            transfer(kKeywords[std::size_t(k)], data, entry, openCard, reading);
        // A row past the grid on screen is passed over before the call, as its failure would be.
        if (screenUpdate && i + 1 < grid.rows() && kValueColumn < grid.cols())
            attempt([&] { grid.setText(i + 1, kValueColumn, entry[kValueColumn]); });
    }
    if (yield)
        yield();
}

} // namespace tavrel
