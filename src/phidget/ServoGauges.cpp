#include "phidget/ServoGauges.h"

#include "core/Controls.h"
#include "core/Convert.h"
#include "core/Error.h"
#include "core/Grid.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>

namespace tavrel {

namespace {

enum class Keyword {
    KIAS,
    ALT,
    RALT,
    CPALT,
    ATTITUDE,
    VVI,
    AOA,
    RPM,
    FTIT,
    NOZPOS,
    OILPRES,
    SPEEDBRAKE,
    EPUFUEL,
    FUELFLOW,
    FUELINT,
    FUELEXT,
    FUELTOT,
};

struct KeywordName
{
    const char16_t *name;
    Keyword keyword;
};

constexpr KeywordName kKeywords[] = {
    {u"KIAS", Keyword::KIAS},       {u"ALT", Keyword::ALT},           {u"RALT", Keyword::RALT},
    {u"CPALT", Keyword::CPALT},     {u"ATTITUDE", Keyword::ATTITUDE}, {u"VVI", Keyword::VVI},
    {u"AOA", Keyword::AOA},         {u"RPM", Keyword::RPM},           {u"FTIT", Keyword::FTIT},
    {u"NOZPOS", Keyword::NOZPOS},   {u"OILPRES", Keyword::OILPRES},   {u"SPEEDBRAKE", Keyword::SPEEDBRAKE},
    {u"EPUFUEL", Keyword::EPUFUEL}, {u"FUELFLOW", Keyword::FUELFLOW}, {u"FUELINT", Keyword::FUELINT},
    {u"FUELEXT", Keyword::FUELEXT}, {u"FUELTOT", Keyword::FUELTOT},
};

std::optional<Keyword> keywordOf(QStringView text)
{
    for (const KeywordName &k : kKeywords)
        if (convert::equalsUpperLatin(text, QStringView(k.name)))
            return k.keyword;
    return std::nullopt;
}

int keywordNumber(QStringView text)
{
    const std::optional<Keyword> k = keywordOf(text);
    return k ? int(*k) : -1;
}

// The readings of a table, kept where the caller keeps them or for this pass only.
GaugeReadings &readingsFor(const GaugeTable &gauges, GaugeReadings *kept, GaugeReadings &scratch)
{
    GaugeReadings &readings = kept ? *kept : scratch;
    if (readings.size() < std::size_t(gauges.size()))
        readings.resize(std::size_t(gauges.size())); // once per table: the readings keep their room
    return readings;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A gauge's value, read from the record, and its adjusted needle value: a rounded double,
// or (for the cabin altitude and the turbine temperature) a 32-bit float like the record's.
struct Reading
{
    float value;
    double adjusted;
    bool adjustedIsFloat = false;
};

Reading whole(float value)
{
    return {value, convert::roundTo(value, 0)};
}

// Both limits inclusive: a value at or beyond one becomes it.
double limited(double value, double limit)
{
    return std::clamp(value, -limit, limit);
}

// The cabin holds 8000 ft from 8000 to 23000 ft, then climbs to 24000 ft at 60000 ft.
float cabinAltitude(float altitude)
{
    if (altitude < 8000.0f)
        return altitude;
    if (altitude <= 23000.0f)
        return 8000.0f;
    if (altitude <= 60000.0f)
        return float(8000.0 + 0.432 * (double(altitude) - 23000.0));
    return 24000.0f;
}

// Turbine temperature by RPM: a start-up ramp below 70 %, the record's own value in the
// cruise band, an afterburner line above 93 %.
double turbineTemperature(const FlightData &d)
{
    const float r = d.RPM;
    if (r < 60.0f)
        return 240.0;
    if (r <= 70.0f)
        return 36.0 * r - 1920.0;
    if (r <= 93.0f)
        return convert::roundTo(d.FTIT, 0);
    return 6.82 * r + 75.91;
}

Reading readGauge(Keyword keyword, FlightData &d)
{
    using convert::roundTo;
    switch (keyword) {
    case Keyword::KIAS: {
        const double kias = roundTo(d.KIAS, 0);
        return {d.KIAS, kias < 0.0 ? 0.0 : kias};
    }
    case Keyword::ALT:
        return {d.ShipDown, -roundTo(d.ShipDown, 0)};
    case Keyword::RALT: {
        const float altitude = -d.ShipDown;
        const double radar = altitude >= 0.0f ? roundTo(altitude, 0) : 0.0;
        return {d.ShipDown, radar > 100000.0 ? 100000.0 : radar};
    }
    case Keyword::CPALT: {
        const float cabin = cabinAltitude(-d.ShipDown);
        return {cabin, cabin, true};
    }
    case Keyword::ATTITUDE:
        return {d.Pitch, limited(-roundTo(d.Pitch * 57.29577951, 2), 25.0)};
    case Keyword::VVI:
        return {d.ShipDownRate, limited(-roundTo(d.ShipDownRate * 0.28571429, 2), 2000.0)};
    case Keyword::AOA:
        return {d.Alpha, limited(-roundTo(d.Alpha * 1.71428571, 2), 60.0)};
    case Keyword::RPM:
        return whole(d.RPM);
    case Keyword::FTIT: {
        const float ftit = d.FTIT;
        const double t = turbineTemperature(d);
        // The later steps of the cycle read the worked-out temperature as FTIT; one too
        // large for the record's float leaves FTIT as it was.
        if (const auto single = convert::toFloat32(t)) {
            d.FTIT = *single;
            return {ftit, *single, true};
        }
        return {ftit, t};
    }
    case Keyword::NOZPOS:
        return whole(d.NozzlePos);
    case Keyword::OILPRES:
        return whole(d.OilPressure);
    case Keyword::SPEEDBRAKE:
        return {d.SpeedBrake, roundTo(d.SpeedBrake, 2)};
    case Keyword::EPUFUEL:
        return whole(d.EPUFuel);
    case Keyword::FUELFLOW:
        return whole(d.FuelFlow);
    case Keyword::FUELINT:
        return whole(d.InternalFuel);
    case Keyword::FUELEXT:
        return whole(d.ExternalFuel);
    case Keyword::FUELTOT:
        return whole(d.InternalFuel + d.ExternalFuel);
    }
    return {};
}

// A number's text into a cell, reusing the cell's room.
void putNumber(QString &cell, const convert::NumberText &number)
{
    char16_t text[sizeof number.data];
    std::copy_n(number.data, number.size, text);
    copyText(cell, QStringView(text, number.size));
}

int gaugeEntries(const GaugeTable &gauges)
{
    return gauges.isEmpty() ? 0 : int(gauges.size()) - 1;
}

// One motor write. A write that cannot be made (no board in the slot, no motor index, no
// position) is skipped after a yield, as one the board refuses is; those are recognised
// before the call, so an empty slot costs no raised error every cycle.
void setMotor(const Board &slot, std::optional<std::int32_t> motor, std::optional<float> position,
              const ServoInputs &in)
{
    const Board board = slot; // held through the call, whatever a later yield binds there
    if (!board || !motor || !position || !attempt([&] { board->setMotorPosition(*motor, *position); }))
        in.yield();
}

} // namespace

QStringList gaugeKeywords()
{
    QStringList names;
    for (const KeywordName &k : kKeywords)
        names += QString::fromUtf16(k.name);
    return names;
}

bool isGaugeKeyword(QStringView keyword) noexcept
{
    return keywordOf(keyword).has_value();
}

std::optional<float> needlePosition(QStringView text) noexcept
{
    const auto number = convert::checkedNumber(text);
    return number ? convert::toFloat32(*number) : std::nullopt;
}

std::optional<std::int32_t> motorIndex(QStringView text) noexcept
{
    return convert::checkedInt32(text);
}

void UpdateGaugeValues(GaugeTable &gauges, FlightData &data, const std::function<void()> &yield, GaugeReadings *kept)
{
    yield();
    GaugeReadings scratch;
    GaugeReadings &readings = readingsFor(gauges, kept, scratch);
    const int entries = gaugeEntries(gauges);
    for (int i = 0; i < entries; ++i) {
        GaugeRow &row = gauges[i];
        GaugeReading &read = readings[std::size_t(i)];
        if (!read.keyword.isOf(std::as_const(row)[2]))
            read.shown = false; // another keyword, or another table: its values are written anew
        const int keyword = read.keyword.of(std::as_const(row)[2], keywordNumber);
        if (keyword < 0) {
            copyText(row[kGaugeAdjusted], row[kGaugeValue]);
            continue;
        }
        const Reading r = readGauge(Keyword(keyword), data);
        if (read.shown && sameBits(r.value, read.value) && sameBits(r.adjusted, read.adjusted)
            && r.adjustedIsFloat == read.adjustedIsFloat)
            continue; // the columns already show these numbers
        putNumber(row[kGaugeValue], convert::shortest(r.value));
        putNumber(row[kGaugeAdjusted],
                  r.adjustedIsFloat ? convert::shortest(float(r.adjusted)) : convert::shortest(r.adjusted));
        read.shown = true;
        read.value = r.value;
        read.adjusted = r.adjusted;
        read.adjustedIsFloat = r.adjustedIsFloat;
    }
}

void DriveGaugeServos(const GaugeTable &gauges, Grid &grid, const ServoInputs &in, GaugeReadings *kept)
{
    static constexpr std::tuple<int, Board BoardSlots::*, TextReading<std::optional<std::int32_t>> GaugeReading::*>
        kBoards[] = {{kGaugeMotor1, &BoardSlots::pViper4Servo_1, &GaugeReading::motor1},
                     {kGaugeMotor2, &BoardSlots::pViper4Servo_2, &GaugeReading::motor2}};
    GaugeReadings scratch;
    GaugeReadings &readings = readingsFor(gauges, kept, scratch);
    const int entries = gaugeEntries(gauges);
    // The spare row after the last entry holds the last gauge's motors: it is visited for
    // them, and it has no grid row.
    for (int i = 0; i < int(gauges.size()); ++i) {
        const GaugeRow &row = gauges[i];
        for (const auto &[column, slot, reading] : kBoards) {
            const QString &motor = row[std::size_t(column)];
            if (QStringView(motor).trimmed().isEmpty() || !in.present)
                continue;
            const auto position = i > 0 ? needlePosition(gauges[i - 1][kGaugeAdjusted]) : std::nullopt;
            setMotor(in.boards.*slot, (readings[std::size_t(i)].*reading).of(motor, motorIndex), position, in);
        }
        in.yield();
        if (i < entries && in.ScreenUpdate) {
            for (int column : {kGaugeValue, kGaugeAdjusted})
                if (!attempt([&] { grid.setText(i + 1, column, row[std::size_t(column)]); }))
                    in.yield();
        }
    }
    in.yield();
}

void DriveGForceServo(const FlightData &data, const ServoInputs &in, const GForceLabels &labels, QString &scratch)
{
    const auto shown = convert::toFloat32(convert::roundFixed3(data.GS));
    if (!shown)
        in.yield();
    const float g = shown.value_or(0.0f);
    const float position = g > 3.0f ? 10.0f * g : 0.0f;
    if (in.present) {
        setMotor(in.boards.pViperServo_1, 0, position, in);
        setMotor(in.boards.pViperServo_2, 0, position, in);
    }
    if (in.ScreenUpdate) {
        putNumber(scratch, convert::shortest(g));
        labels.g.setCaption(scratch);
        putNumber(scratch, convert::shortest(position));
        labels.servo1.setCaption(scratch);
        labels.servo2.setCaption(scratch);
    }
    in.yield();
}

} // namespace tavrel
