#pragma once

// What the stand-in simulator publishes: the two areas of the simulator's current
// layout, written out as its public header declares them (fixed-width types, packed),
// filled so that every value names where it stands: the float at byte offset o holds
// base + o + 0.5, the integer at o holds o, the bit words carry the top bit, and the
// second area's values are 10000 apart from the first's.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace standin {

#pragma pack(push, 1)
struct FlightData
{
    float x, y, z, xDot, yDot, zDot, alpha, beta, gamma, pitch, roll, yaw, mach, kias, vt, gs, windOffset;
    float nozzlePos, internalFuel, externalFuel, fuelFlow, rpm, ftit, gearPos, speedBrake, epuFuel, oilPressure;
    std::uint32_t lightBits;
    float headPitch, headRoll, headYaw;
    std::uint32_t lightBits2, lightBits3;
    float chaffCount, flareCount, noseGearPos, leftGearPos, rightGearPos, adiIlsHorPos, adiIlsVerPos;
    std::int32_t courseState, headingState, totalStates;
    float courseDeviation, desiredCourse, distanceToBeacon, bearingToBeacon, currentHeading, desiredHeading;
    float deviationLimit, halfDeviationLimit, localizerCourse, airbaseX, airbaseY, totalValues;
    float trimPitch, trimRoll, trimYaw;
    std::uint32_t hsiBits;
    char dedLines[5][26], invert[5][26], pflLines[5][26], pflInvert[5][26];
    std::int32_t ufcTChan, auxTChan, rwrObjectCount, rwrSymbol[40];
    float bearing[40];
    std::uint32_t missileActivity[40], missileLaunch[40], selected[40];
    float lethality[40];
    std::uint32_t newDetection[40];
    float fwd, aft, total;
    std::int32_t versionNum;
    float headX, headY, headZ;
    std::int32_t mainPower;
};

struct FlightData2
{
    float nozzlePos2, rpm2, ftit2, oilPressure2;
    std::uint8_t rest[496]; // the later fields, not read
};
#pragma pack(pop)

static_assert(sizeof(FlightData) == 1920);
static_assert(offsetof(FlightData, hsiBits) == 232 && offsetof(FlightData, dedLines) == 236);
static_assert(offsetof(FlightData, ufcTChan) == 756 && offsetof(FlightData, fwd) == 1888);
static_assert(offsetof(FlightData, versionNum) == 1900);

inline constexpr std::uint32_t kFlying = 0x80000000u;
inline constexpr float kFlyingBase = 0.0f;   // the values while in the aircraft
inline constexpr float kWaitingBase = 50000; // before it, in the simulator's menus

// Fills both areas for one moment; `flying` sets the Flying bit of the HSI bit word.
inline void fill(FlightData &fd, FlightData2 &fd2, float base, bool flying)
{
    auto *bytes = reinterpret_cast<unsigned char *>(&fd);
    for (std::size_t at = 0; at < sizeof fd; at += 4) {
        const float value = base + float(at) + 0.5f;
        std::memcpy(bytes + at, &value, 4);
    }
    fd.lightBits = 0x80000000u | 108;
    fd.lightBits2 = 0x80000000u | 124;
    fd.lightBits3 = 0x80000000u | 128;
    fd.hsiBits = (flying ? kFlying : 0) | 232;
    fd.courseState = 160;
    fd.headingState = 164;
    fd.totalStates = 168;
    fd.ufcTChan = 756;
    fd.auxTChan = 760;
    fd.rwrObjectCount = 764;
    fd.versionNum = 118;
    // Texts as the simulator leaves them: NUL after each line's 25 characters, a CR and
    // a few NULs inside, a degree sign (Windows-1252 0xB0).
    char *text = &fd.dedLines[0][0];
    for (int n = 0; n < 4 * 130; ++n)
        text[n] = n % 26 == 25 ? '\0' : char('A' + n % 23);
    fd.dedLines[1][3] = '\r';
    fd.pflLines[2][0] = '\0';
    fd.invert[4][7] = '\xB0';
    fd2 = {};
    fd2.nozzlePos2 = base + 10000.5f;
    fd2.rpm2 = base + 10004.5f;
    fd2.ftit2 = base + 10008.5f;
    fd2.oilPressure2 = base + 10012.5f;
}

} // namespace standin
