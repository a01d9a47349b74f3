#include "sources/SimulatedFlight.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <numbers>

namespace tavrel {

namespace {

using std::numbers::pi;

constexpr double kDegree = pi / 180.0;

// ---------------------------------------------------------------------------------------
// The script: key points of the flight. Between two keys every value follows a cubic
// whose slopes at the keys keep it monotone (no overshoot: the wheels stay on the runway,
// fuel flow stays positive) and its rate continuous. A Linear key makes the stretch
// before it a straight line: the final approach, so range and height fall steadily.
// Positions are feet from the TACAN, which stands at the touchdown point of a north-south
// runway; headings are unwrapped so a turn interpolates the way it is flown. The flight is
// time-compressed: three minutes hold a whole sortie.

enum class Phase : std::uint8_t { StartUp, Taxi, TakeOff, Climb, Turns, Descent, Approach, RollOut };
enum class Ease : std::uint8_t { Smooth, Linear };

struct Key
{
    double t;       // seconds into the loop
    Phase phase;    // the phase from this key on
    Ease ease;      // how values move from the previous key to this one
    double alt;     // feet above the runway
    double kias;    // knots
    double roll;    // degrees, right wing down
    double heading; // degrees, unwrapped
    double g;       // normal load factor
    double rpm;     // percent: ~62 idle, 100 military, 103 afterburner
    double flow;    // fuel flow, lbs/hr
    double north;   // feet from the TACAN
    double east;
};

using enum Phase;
using enum Ease;

// clang-format off
constexpr Key kScript[] = {
//    t    phase     ease     alt  kias roll  hdg    g  rpm   flow  north   east
    {  0, StartUp,  Smooth,     0,    0,   0, 270, 1.0,  62,  1100, -9000,  1500},
    {  6, Taxi,     Smooth,     0,    0,   0, 270, 1.0,  65,  1200, -9000,  1500},
    { 10, Taxi,     Smooth,     0,   18,   0, 300, 1.0,  70,  1500, -9000,   700},
    { 14, Taxi,     Smooth,     0,    0,   0, 360, 1.0,  80,  2500, -8800,     0},
    { 15, TakeOff,  Smooth,     0,    0,   0, 360, 1.0, 100,  9000, -8800,     0},
    { 27, TakeOff,  Smooth,     0,  150,   0, 360, 1.0, 103, 40000, -6300,     0}, // rotate
    { 30, Climb,    Smooth,     0,  165,   0, 360, 1.3, 103, 40000, -5400,     0}, // lift-off
    { 33, Climb,    Smooth,   150,  185,   0, 360, 1.2, 103, 40000, -4300,     0},
    { 40, Climb,    Smooth,  1500,  300,   0, 360, 1.0, 100, 10000,  3000,     0},
    { 60, Climb,    Smooth,  5500,  350,   0, 380, 1.0, 100,  9500, 48000,  3000},
    { 70, Turns,    Smooth,  7000,  420,   0, 360, 1.0,  92,  6500, 70000,  5000},
    { 75, Turns,    Smooth,  7000,  420,  65, 380, 2.4,  95,  7500, 78000,  6000},
    { 82, Turns,    Smooth,  7000,  400,  78, 470, 5.0, 100,  9500, 88000, 12000},
    { 88, Turns,    Smooth,  7000,  390,  20, 540, 1.3,  96,  8000, 87000, 19000},
    { 92, Turns,    Smooth,  7000,  400, -65, 520, 2.5, 100,  9500, 84000, 20000},
    { 96, Turns,    Smooth,  7000,  410,   0, 510, 1.0,  96,  8000, 80000, 19000},
    {100, Turns,    Smooth,  7000,  430,  50, 540, 1.6,  96,  8000, 77000, 17000},
    {103, Descent,  Smooth,  6600,  440,   0, 540, 0.2,  90,  6000, 75000, 15000}, // push-over
    {110, Descent,  Smooth,  4800,  360,  20, 560, 1.1,  75,  3500, 71000,  8000},
    {118, Descent,  Smooth,  3500,  280, -20, 540, 1.1,  75,  3500, 65200,  2500},
    {122, Approach, Smooth,  3200,  200,   0, 540, 1.0,  85,  4000, 60760,  1000}, // 10 nm final
    {164, RollOut,  Linear,     0,  150,   0, 540, 1.0,  80,  3500,     0,     0}, // touchdown
    {167, RollOut,  Smooth,     0,  120,   0, 540, 1.0,  70,  1500, -1500,     0},
    {178, RollOut,  Smooth,     0,   20,   0, 540, 1.0,  65,  1200, -6500,     0},
    {180, RollOut,  Smooth,     0,   10,   0, 540, 1.0,  63,  1100, -6800,     0},
};
// clang-format on

static_assert(kScript[0].t == 0.0 && std::end(kScript)[-1].t == SimulatedFlight::kLoopSeconds);

// Events that do not sit on a key, in seconds into the loop.
constexpr double kStartUpTestEnd = 5.0; // flight-control test lamp and fault list
constexpr double kRotateAt = 27.0;
constexpr double kTouchdownAt = 164.0;
constexpr double kGearUpAt = 32.0;    // positive rate after lift-off
constexpr double kGearDownAt = 140.0; // on final, before the outer marker
constexpr double kGearTravel = 4.0;   // seconds one leg takes
constexpr double kGearStagger = 0.4;  // the left leg starts this much after the nose, the right twice
constexpr double kSpeedBrakeOut = 104.0;
constexpr double kSpeedBrakeIn = 114.0;
constexpr double kSpeedBrakeTravel = 2.0;
constexpr double kWarningStart = 104.0; // master caution and two warnings blink at 1 Hz
constexpr double kWarningEnd = 116.0;
constexpr double kDispenseStart = 70.0; // countermeasure programs during the turns
constexpr double kDispenseEvery = 2.0;
constexpr int kDispensePrograms = 15;
constexpr double kTacanSwitchAt = 120.0; // channels and courses change for the approach

constexpr double kBaseNorth = 400000.0; // the air base in the theatre, feet
constexpr double kBaseEast = 300000.0;
constexpr double kFeetPerNm = 6076.12;
constexpr long kClockStart = 10 * 3600 + 15 * 60; // time of day at the start of the loop

constexpr double kStartInternal = 7000.0; // lbs
constexpr double kStartExternal = 2000.0;
// Fuel burns faster than the flow shown, so the external tank runs dry within the loop.
constexpr double kBurnScale = 6.0;
constexpr double kForwardShare = 0.45; // of internal fuel held in the forward tanks

constexpr int kStartChaff = 60, kChaffPerProgram = 4;
constexpr int kStartFlares = 30, kFlaresPerProgram = 2;

// ---------------------------------------------------------------------------------------
// Interpolation.

double clamp01(double x)
{
    return std::clamp(x, 0.0, 1.0);
}
double smoothstep(double u)
{
    return u * u * (3.0 - 2.0 * u);
}
// 0 before `from`, rising smoothly to 1 over `duration` seconds.
double ramp(double t, double from, double duration)
{
    return smoothstep(clamp01((t - from) / duration));
}
// 0 .. rises at `open` .. 1 .. falls at `close` .. 0.
double pulse(double t, double open, double close, double duration)
{
    return ramp(t, open, duration) - ramp(t, close, duration);
}

using Column = double Key::*;

// The slope of a column at key i: zero at the loop's ends and where the column turns,
// else the weighted harmonic mean of the neighbouring secants, which keeps the cubic
// monotone between keys.
double slopeAt(std::size_t i, Column column)
{
    if (i == 0 || i + 1 == std::size(kScript))
        return 0.0;
    const Key &a = kScript[i - 1], &b = kScript[i], &c = kScript[i + 1];
    const double h0 = b.t - a.t, h1 = c.t - b.t;
    const double d0 = (b.*column - a.*column) / h0, d1 = (c.*column - b.*column) / h1;
    if (d0 * d1 <= 0.0)
        return 0.0;
    return 3.0 * (h0 + h1) / ((2.0 * h1 + h0) / d0 + (h1 + 2.0 * h0) / d1);
}

// One stretch between keys as a cubic Hermite curve over u in 0..1: the end values and
// the end slopes scaled by the stretch's duration. A straight line is the cubic whose
// slopes both equal its secant.
struct Cubic
{
    double p0, m0, p1, m1;

    // Weights of p0, m0, p1, m1 for the value, its derivative and its integral from 0.
    double at(double u) const
    {
        const double u2 = u * u, u3 = u2 * u;
        return mix(2 * u3 - 3 * u2 + 1, u3 - 2 * u2 + u, 3 * u2 - 2 * u3, u3 - u2);
    }
    double slope(double u) const
    {
        const double u2 = u * u;
        return mix(6 * u2 - 6 * u, 3 * u2 - 4 * u + 1, 6 * u - 6 * u2, 3 * u2 - 2 * u);
    }
    double area(double u) const
    {
        const double u2 = u * u, u3 = u2 * u, u4 = u3 * u;
        return mix(u4 / 2 - u3 + u, u4 / 4 - 2 * u3 / 3 + u2 / 2, -u4 / 2 + u3, u4 / 4 - u3 / 3);
    }
    double mix(double w0, double v0, double w1, double v1) const { return p0 * w0 + m0 * v0 + p1 * w1 + m1 * v1; }
};

// Where a time lies in the script: in the stretch from key `index` to the next, at u.
struct Place
{
    std::size_t index;
    double u;

    const Key &from() const { return kScript[index]; }
    const Key &to() const { return kScript[index + 1]; }
    double duration() const { return to().t - from().t; }

    Cubic cubic(Column column) const { return cubicOf(index, column); }
    static Cubic cubicOf(std::size_t i, Column column)
    {
        const Key &a = kScript[i], &b = kScript[i + 1];
        const double h = b.t - a.t;
        if (b.ease == Linear)
            return {a.*column, b.*column - a.*column, b.*column, b.*column - a.*column};
        return {a.*column, slopeAt(i, column) * h, b.*column, slopeAt(i + 1, column) * h};
    }

    double value(Column column) const { return cubic(column).at(u); }
    double rate(Column column) const { return cubic(column).slope(u) / duration(); } // per second
    // The column integrated over the loop's seconds up to here.
    double integral(Column column) const
    {
        double sum = 0.0;
        for (std::size_t i = 0; i < index; ++i)
            sum += (kScript[i + 1].t - kScript[i].t) * cubicOf(i, column).area(1.0);
        return sum + duration() * cubic(column).area(u);
    }
};

Place locate(double t) // t in [0, kLoopSeconds)
{
    const Key *to = std::upper_bound(std::begin(kScript) + 1, std::end(kScript) - 1, t,
                                     [](double time, const Key &k) { return time < k.t; });
    const std::size_t index = static_cast<std::size_t>(to - std::begin(kScript)) - 1;
    return {index, (t - kScript[index].t) / (to->t - kScript[index].t)};
}

// Degrees into [0, 360).
double wrap360(double degrees)
{
    const double d = std::fmod(degrees, 360.0);
    return d < 0.0 ? d + 360.0 : d;
}
// Degrees into [-180, 180).
double wrap180(double degrees)
{
    return wrap360(degrees + 180.0) - 180.0;
}

// The time into the loop, taken to the microsecond so that t and t + kLoopSeconds land
// on the same instant even though the addition rounds.
double loopTime(double seconds)
{
    constexpr long long kLoopMicros = static_cast<long long>(SimulatedFlight::kLoopSeconds * 1e6);
    if (!std::isfinite(seconds))
        seconds = 0.0;
    double t = std::fmod(seconds, SimulatedFlight::kLoopSeconds);
    if (t < 0.0)
        t += SimulatedFlight::kLoopSeconds;
    return static_cast<double>(std::llround(t * 1e6) % kLoopMicros) / 1e6;
}

// ---------------------------------------------------------------------------------------
// Lamp words. The bit positions are the script's own; the cockpit configuration decides
// which bit lights which lamp.

constexpr std::uint32_t bit(int n)
{
    return std::uint32_t{1} << n;
}

enum LightBits : std::uint32_t {
    kMasterCaution = bit(0), // blinks during the warning
    kFlcsLamp = bit(1),      // start-up test
    kEngineWarn = bit(2),    // blinks opposite the master caution
    kSpeedBrakeLamp = bit(3),
    kGearWarn = bit(4), // a leg in transit
    kExternalEmpty = bit(5),
    kAltitudeHold = bit(31), // through the level turns
};
enum LightBits2 : std::uint32_t {
    kGearHandle = bit(0), // red light in the handle while in transit
    kNoseDown = bit(1),   // the three greens
    kLeftDown = bit(2),
    kRightDown = bit(3),
    kRwrContact = bit(4),
    kCmdsGo = bit(6), // the dispenser is ready: airborne with something left
    kDispenserEmpty = bit(7),
    kChaffLow = bit(10), // fewer than 10 left
    kFlareLow = bit(11),
    kOnGround = bit(31), // weight on wheels
};
enum LightBits3 : std::uint32_t {
    kStarterRun = bit(0), // start-up
    kElecFault = bit(1),  // blinks with the master caution
    kOilLow = bit(2),     // oil pressure below 32 psi
};
enum HsiBits : std::uint32_t {
    kToFlag = bit(0),       // beacon ahead of the wing line
    kIlsWarn = bit(1),      // ILS flag while not on the approach
    kRangeInvalid = bit(2), // beyond 10 nm
    kOuterMarker = bit(3),
    kMiddleMarker = bit(4),
    kHsiInit = bit(5), // start-up
};

std::int32_t word(std::uint32_t bits)
{
    return static_cast<std::int32_t>(bits);
}
std::uint32_t when(bool on, std::uint32_t bits)
{
    return on ? bits : 0u;
}

// ---------------------------------------------------------------------------------------
// Text pages: 5 lines of 26 characters, plus the invert marks ("2" inverse video, "1" a
// specially marked field) that go with them. Numbers are written into the template in
// place, so composing a page never allocates.

using Lines = char[5][27];

constexpr bool fullLines(const Lines &lines)
{
    for (const auto &line : lines) {
        for (int c = 0; c < 26; ++c)
            if (line[c] < ' ' || line[c] > '~')
                return false;
        if (line[26] != '\0')
            return false;
    }
    return true;
}

struct Mark
{
    int line, column, length;
    char mark;
};

struct Page
{
    Lines text;
    Mark mark;
};

constexpr Page kCni{{"  UHF 292.30   STPT  01   ", "                          ", "  VHF  1        10:15:00  ",
                     "                          ", "  M1 3 C 6400     T 75X   "},
                    {0, 21, 2, '1'}}; // the selected steerpoint
constexpr Page kBingo{{"          BINGO           ", "  SET      *2000*LBS      ", "  TOTAL     9000 LBS      ",
                       "  INT  7000   EXT  2000   ", "                          "},
                      {1, 11, 6, '2'}}; // the scratchpad
constexpr Page kTacan{{"  TCN TR       ILS  ON    ", "                 CMD STRG ", "  BCN X      FRQ  108.90  ",
                       "  CHAN 109    CRS  180    ", "  RNG  10.0NM             "},
                      {0, 20, 2, '2'}}; // ILS on
constexpr Page kNoFault{{"                          ", "                          ", "                          ",
                         "                          ", "                          "},
                        {0, 0, 0, ' '}};
constexpr Page kFlcsFault{{"  FLCS   BUS FAIL         ", "                          ", "                          ",
                           "                          ", "                          "},
                          {0, 2, 4, '2'}};
constexpr Page kEngineFault{{"  ENG  A/I                ", "                          ", "                          ",
                             "                          ", "                          "},
                            {0, 2, 3, '2'}};
static_assert(fullLines(kCni.text) && fullLines(kBingo.text) && fullLines(kTacan.text) && fullLines(kNoFault.text)
              && fullLines(kFlcsFault.text) && fullLines(kEngineFault.text));

char16_t &at(FlightText &field, int line, int column)
{
    return field[line * 26 + column];
}

void writePage(const Page &page, FlightText &text, FlightText &invert)
{
    for (int line = 0; line < 5; ++line)
        for (int column = 0; column < 26; ++column) {
            at(text, line, column) = static_cast<char16_t>(page.text[line][column]);
            at(invert, line, column) = u' ';
        }
    for (int i = 0; i < page.mark.length; ++i)
        at(invert, page.mark.line, page.mark.column + i) = static_cast<char16_t>(page.mark.mark);
}

// `value` (not negative) right-aligned in `width` characters, padded with `pad`.
void writeNumber(FlightText &field, int line, int column, int width, long value, char16_t pad = u' ')
{
    for (int i = width - 1; i >= 0; --i) {
        at(field, line, column + i) = (value > 0 || i == width - 1) ? char16_t(u'0' + value % 10) : pad;
        value /= 10;
    }
}

// ---------------------------------------------------------------------------------------

double gearLeg(double t, double stagger)
{
    return 1.0 - pulse(t, kGearUpAt + stagger, kGearDownAt + stagger, kGearTravel);
}

// Angle of attack in degrees: grows with load and falls with the square of the speed.
double flyingAlpha(double kias, double g)
{
    return std::min(25.0, 8.0 * g * std::pow(160.0 / std::max(kias, 100.0), 2.0));
}

// Pitch on the wheels: nose up through the rotation, down again after touchdown.
double wheelsPitch(double t)
{
    if (t >= kTouchdownAt)
        return 0.5 + 6.0 * (1.0 - ramp(t, kTouchdownAt, 3.0));
    return 0.5 + 9.5 * ramp(t, kRotateAt, 3.0);
}

int programsDispensed(double t)
{
    if (t < kDispenseStart)
        return 0;
    return std::min(kDispensePrograms, 1 + static_cast<int>((t - kDispenseStart) / kDispenseEvery));
}

} // namespace

void SimulatedFlight::sample(double seconds, FlightData &out) const
{
    const double t = loopTime(seconds);
    const Place place = locate(t);
    const Phase phase = place.from().phase;

    // Flight path: climb angle from the positions, so it agrees with ShipNorth/East/Down.
    const double alt = std::max(0.0, place.value(&Key::alt));
    const double climbRate = place.rate(&Key::alt); // ft/s
    const double north = place.value(&Key::north);
    const double east = place.value(&Key::east);
    const double northRate = place.rate(&Key::north);
    const double eastRate = place.rate(&Key::east);
    const bool airborne = alt > 0.0;
    const double gamma = airborne ? std::atan2(climbRate, std::hypot(northRate, eastRate)) : 0.0; // radians

    // Air data and attitude. In the air the nose sits alpha above the flight path.
    const double kias = place.value(&Key::kias);
    const double g = place.value(&Key::g);
    const double alpha = airborne ? flyingAlpha(kias, g) : wheelsPitch(t); // degrees
    const double pitch = airborne ? gamma / kDegree + alpha : alpha;
    const double heading = wrap360(place.value(&Key::heading));
    const double tas = kias * (1.0 + 0.02 * alt / 1000.0);               // knots, 2 % per 1000 ft
    const double soundSpeed = 661.47 * std::sqrt(1.0 - 6.8756e-6 * alt); // knots

    out.Pitch = float(pitch * kDegree);
    out.Roll = float(place.value(&Key::roll) * kDegree);
    out.Yaw = float(wrap180(heading) * kDegree);
    out.Alpha = float(alpha);
    out.Beta = float(airborne ? 1.2 * std::sin(2.0 * pi * t / 9.0) : 0.0); // degrees
    out.Gamma = float(gamma);
    out.Mach = float(tas / soundSpeed);
    out.KIAS = float(kias);
    out.VT = float(tas * 1.68781); // ft/s
    out.GS = float(g);
    out.WindOffset = float(0.02 * std::sin(2.0 * pi * t / 60.0));
    out.HeadPitch = float(phase == Turns ? 0.2 * std::sin(2.0 * pi * t / 7.0) : 0.0);
    out.HeadRoll = float(phase == Turns ? 0.1 * std::sin(2.0 * pi * t / 5.0) : 0.0);
    out.HeadYaw = float(phase == Turns ? 0.8 * std::sin(2.0 * pi * t / 11.0) : 0.0);

    // Position: ShipDown is the negative altitude.
    out.ShipNorth = float(kBaseNorth + north);
    out.ShipEast = float(kBaseEast + east);
    out.ShipDown = float(-alt);
    out.ShipNorthRate = float(northRate);
    out.ShipEastRate = float(eastRate);
    out.ShipDownRate = float(-climbRate);

    // Engine. FTIT is in hundreds of degrees C: 5.0 at idle to 9.5 in afterburner.
    const double rpm = place.value(&Key::rpm);
    const double power = clamp01((rpm - 60.0) / 43.0);
    const double nozzle = rpm > 100.0 ? clamp01((rpm - 100.0) / 3.0) : clamp01((100.0 - rpm) / 40.0) * 0.8;
    const double oil = 30.0 + 15.0 * power;
    out.RPM = float(rpm);
    out.RPM2 = float(rpm - 0.3);
    out.NozzlePos = float(nozzle);
    out.NozzlePos2 = float(nozzle * 0.98);
    out.FTIT = float(5.0 + 4.5 * power);
    out.FTIT2 = float(4.95 + 4.5 * power);
    out.OilPressure = float(oil);
    out.OilPressure2 = float(oil + 1.0);

    // Fuel: the external tank feeds first.
    const double burnt = kBurnScale * place.integral(&Key::flow) / 3600.0;
    const double external = std::max(0.0, kStartExternal - burnt);
    const double internal = kStartInternal - std::max(0.0, burnt - kStartExternal);
    out.FuelFlow = float(place.value(&Key::flow));
    out.InternalFuel = float(internal);
    out.ExternalFuel = float(external);
    out.TotalFuel = out.InternalFuel + out.ExternalFuel;
    out.FWDFuel = float(internal * kForwardShare);
    out.AFTFuel = out.InternalFuel - out.FWDFuel;
    out.EPUFuel = 100.0f;

    // Gear (1 = down and locked) and speed brake (0 = closed).
    const double legs[3] = {gearLeg(t, 0.0), gearLeg(t, kGearStagger), gearLeg(t, 2.0 * kGearStagger)};
    const bool gearMoving = std::any_of(std::begin(legs), std::end(legs), [](double p) { return p > 0.0 && p < 1.0; });
    out.NoseGearPos = float(legs[0]);
    out.LeftGearPos = float(legs[1]);
    out.RightGearPos = float(legs[2]);
    out.GearPos = float((legs[0] + legs[1] + legs[2]) / 3.0);
    out.SpeedBrake = float(pulse(t, kSpeedBrakeOut, kSpeedBrakeIn, kSpeedBrakeTravel));

    // Navigation: the TACAN stands at the touchdown point, the ILS serves the southbound runway.
    const double range = std::hypot(north, east) / kFeetPerNm;
    const double bearing = wrap360(std::atan2(-east, -north) / kDegree);
    const bool approach = phase == Approach;
    const bool toBeacon = std::fabs(wrap180(bearing - heading)) < 90.0;
    // Outbound on the 360 radial after take-off, inbound on the ILS course later.
    const double desiredCourse = t < kTacanSwitchAt ? 360.0 : 180.0;
    const double deviationLimit = 10.0;
    const double offCourse = wrap180((toBeacon ? bearing : bearing + 180.0) - desiredCourse);
    const double deviation = std::clamp(offCourse, -deviationLimit, deviationLimit);
    out.DistanceToBeacon = float(range);
    out.BearingToBeacon = float(bearing);
    out.DesiredCourse = float(desiredCourse);
    out.CourseDeviation = float(deviation);
    out.CurrentHeading = float(heading);
    out.DesiredHeading = float(t < kTacanSwitchAt ? 360.0 : 180.0);
    out.DeviationLimit = float(deviationLimit);
    out.HalfDeviationLimit = float(deviationLimit / 2.0);
    out.LocalizerCourse = 180.0f;
    out.AdiIlsHorPos = float(approach ? std::clamp(deviation / 2.5, -1.0, 1.0) : 0.0);
    out.AirBaseX = float(kBaseNorth);
    out.AirBaseY = float(kBaseEast);
    out.CourseState = approach ? 1 : 0;
    out.HeadingState = airborne ? 1 : 0;
    out.TotalStates = 2;
    out.TotalValues = 10.0f;
    out.TrimPitch = float(0.1 * (1.0 - kias / 250.0));
    out.TrimRoll = float(airborne ? 0.01 * std::sin(2.0 * pi * t / 45.0) : 0.0);
    out.TrimYaw = float(airborne ? -0.005 : 0.0);

    // Countermeasures, RWR, TACAN channels.
    const int programs = programsDispensed(t);
    const int chaff = kStartChaff - kChaffPerProgram * programs;
    const int flares = kStartFlares - kFlaresPerProgram * programs;
    out.ChaffCount = float(chaff);
    out.FlareCount = float(flares);
    out.RWRObjectCount = phase == Turns ? 1 + static_cast<int>((t - kDispenseStart) / 5.0) % 3 : 0; // 1..3 contacts
    out.UFCTChan = t < kTacanSwitchAt ? 75 : 109;
    out.AUXTChan = t < kTacanSwitchAt ? 109 : 75;

    // Lamps.
    const bool startUp = t < kStartUpTestEnd;
    const bool warning = t >= kWarningStart && t < kWarningEnd;
    const bool blink = std::fmod(t, 1.0) < 0.5;
    out.LightBits = word(when(warning && blink, kMasterCaution) | when(startUp, kFlcsLamp)
                         | when(warning && !blink, kEngineWarn) | when(out.SpeedBrake > 0.0f, kSpeedBrakeLamp)
                         | when(gearMoving, kGearWarn) | when(external <= 0.0, kExternalEmpty)
                         | when(phase == Turns, kAltitudeHold));
    out.LightBits2 = word(when(gearMoving, kGearHandle) | when(legs[0] == 1.0, kNoseDown)
                          | when(legs[1] == 1.0, kLeftDown) | when(legs[2] == 1.0, kRightDown)
                          | when(out.RWRObjectCount > 0, kRwrContact) | when(chaff < 10, kChaffLow)
                          | when(flares < 10, kFlareLow) | when(chaff == 0 && flares == 0, kDispenserEmpty)
                          | when(airborne && (chaff > 0 || flares > 0), kCmdsGo) | when(!airborne, kOnGround));
    out.LightBits3 = word(when(phase == StartUp, kStarterRun) | when(warning && blink, kElecFault)
                          | when(oil < 32.0, kOilLow));
    out.HSIBits = word(when(toBeacon, kToFlag) | when(!approach, kIlsWarn) | when(range > 10.0, kRangeInvalid)
                       | when(approach && range >= 4.0 && range <= 5.0, kOuterMarker)
                       | when(approach && range >= 0.3 && range <= 0.7, kMiddleMarker) | when(startUp, kHsiInit));
    out.LightBitsSet = -1;
    out.LightBits2Set = -1;
    out.LightBits3Set = -1;
    out.HSISet = -1;
    out.VersionNum = 1;

    // DED: the CNI page, the bingo page while descending, the TACAN/ILS page on the approach.
    if (phase == Descent) {
        writePage(kBingo, out.DEDLines, out.Invert);
        writeNumber(out.DEDLines, 2, 11, 5, std::lround(internal + external));
        writeNumber(out.DEDLines, 3, 7, 4, std::lround(internal));
        writeNumber(out.DEDLines, 3, 19, 4, std::lround(external));
    } else if (phase == Approach) {
        const long tenths = std::min(999L, std::lround(range * 10.0));
        writePage(kTacan, out.DEDLines, out.Invert);
        writeNumber(out.DEDLines, 3, 7, 3, out.UFCTChan);
        writeNumber(out.DEDLines, 4, 7, 2, tenths / 10);
        writeNumber(out.DEDLines, 4, 10, 1, tenths % 10);
    } else {
        static constexpr int kSteerpoint[] = {1, 1, 1, 2, 3, 4, 5, 5}; // by phase
        const long clock = kClockStart + static_cast<long>(t);
        writePage(kCni, out.DEDLines, out.Invert);
        writeNumber(out.DEDLines, 0, 21, 2, kSteerpoint[static_cast<int>(phase)], u'0');
        writeNumber(out.DEDLines, 2, 16, 2, clock / 3600, u'0');
        writeNumber(out.DEDLines, 2, 19, 2, clock / 60 % 60, u'0');
        writeNumber(out.DEDLines, 2, 22, 2, clock % 60, u'0');
        writeNumber(out.DEDLines, 4, 19, 3, out.UFCTChan);
    }

    // Pilot fault list: the flight-control fault during the start-up test, the engine
    // fault while the warning blinks, blank otherwise.
    writePage(startUp ? kFlcsFault : warning ? kEngineFault : kNoFault, out.PFLLines, out.PFLInvert);
}

} // namespace tavrel
