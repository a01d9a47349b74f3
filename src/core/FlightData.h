#pragma once

#include <QStringView>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace tavrel {

// Fixed text fields hold exactly this many UTF-16 code units (5 lines of 26).
inline constexpr int kTextFieldLength = 130;
inline constexpr int kReservedInts = 126;

using FlightText = char16_t[kTextFieldLength];
using FlightReserved = std::int32_t[kReservedInts];

// The record's fields in memory order: the one list every generic reader and writer is
// generated from. X(name, kind) with kind one of Float, Int, Text, Reserved.
#define TAVREL_FLIGHT_DATA_FIELDS(X) \
    X(ShipNorth, Float)              \
    X(ShipEast, Float)               \
    X(ShipDown, Float)               \
    X(ShipNorthRate, Float)          \
    X(ShipEastRate, Float)           \
    X(ShipDownRate, Float)           \
    X(Alpha, Float)                  \
    X(Beta, Float)                   \
    X(Gamma, Float)                  \
    X(Pitch, Float)                  \
    X(Roll, Float)                   \
    X(Yaw, Float)                    \
    X(Mach, Float)                   \
    X(KIAS, Float)                   \
    X(VT, Float)                     \
    X(GS, Float)                     \
    X(WindOffset, Float)             \
    X(NozzlePos, Float)              \
    X(NozzlePos2, Float)             \
    X(InternalFuel, Float)           \
    X(ExternalFuel, Float)           \
    X(FuelFlow, Float)               \
    X(RPM, Float)                    \
    X(RPM2, Float)                   \
    X(FTIT, Float)                   \
    X(FTIT2, Float)                  \
    X(GearPos, Float)                \
    X(SpeedBrake, Float)             \
    X(EPUFuel, Float)                \
    X(OilPressure, Float)            \
    X(OilPressure2, Float)           \
    X(LightBits, Int)                \
    X(HeadPitch, Float)              \
    X(HeadRoll, Float)               \
    X(HeadYaw, Float)                \
    X(LightBits2, Int)               \
    X(LightBits3, Int)               \
    X(ChaffCount, Float)             \
    X(FlareCount, Float)             \
    X(NoseGearPos, Float)            \
    X(LeftGearPos, Float)            \
    X(RightGearPos, Float)           \
    X(AdiIlsHorPos, Float)           \
    X(AdiIlsPos2, Float)             \
    X(CourseState, Int)              \
    X(HeadingState, Int)             \
    X(TotalStates, Int)              \
    X(CourseDeviation, Float)        \
    X(DesiredCourse, Float)          \
    X(DistanceToBeacon, Float)       \
    X(BearingToBeacon, Float)        \
    X(CurrentHeading, Float)         \
    X(DesiredHeading, Float)         \
    X(DeviationLimit, Float)         \
    X(HalfDeviationLimit, Float)     \
    X(LocalizerCourse, Float)        \
    X(AirBaseX, Float)               \
    X(AirBaseY, Float)               \
    X(TotalValues, Float)            \
    X(TrimPitch, Float)              \
    X(TrimRoll, Float)               \
    X(TrimYaw, Float)                \
    X(HSIBits, Int)                  \
    X(DEDLines, Text)                \
    X(Invert, Text)                  \
    X(PFLLines, Text)                \
    X(PFLInvert, Text)               \
    X(UFCTChan, Int)                 \
    X(AUXTChan, Int)                 \
    X(RWRObjectCount, Int)           \
    X(FlightDataReserved, Reserved)  \
    X(FWDFuel, Float)                \
    X(AFTFuel, Float)                \
    X(TotalFuel, Float)              \
    X(LightBitsSet, Int)             \
    X(LightBits2Set, Int)            \
    X(LightBits3Set, Int)            \
    X(HSISet, Int)                   \
    X(VersionNum, Int)

enum class FieldKind : std::uint8_t { Float, Int, Text, Reserved };

namespace detail {
template <FieldKind>
struct FieldStorage;
template <>
struct FieldStorage<FieldKind::Float>
{
    using type = float;
};
template <>
struct FieldStorage<FieldKind::Int>
{
    using type = std::int32_t;
};
template <>
struct FieldStorage<FieldKind::Text>
{
    using type = FlightText;
};
template <>
struct FieldStorage<FieldKind::Reserved>
{
    using type = FlightReserved;
};
} // namespace detail

// The one record of live simulator state. Plain values only, trivially copyable, so a
// received record replaces the live one in a single whole-record copy. Starts zeroed.
struct FlightData
{
#define TAVREL_DECLARE_FIELD(name, kind) detail::FieldStorage<FieldKind::kind>::type name{};
    TAVREL_FLIGHT_DATA_FIELDS(TAVREL_DECLARE_FIELD)
#undef TAVREL_DECLARE_FIELD
};

struct FieldInfo
{
    std::string_view name;
    FieldKind kind;
    std::size_t offset;
};

#define TAVREL_COUNT_FIELD(name, kind) +1
inline constexpr std::size_t kFlightDataFieldCount = 0 TAVREL_FLIGHT_DATA_FIELDS(TAVREL_COUNT_FIELD);
#undef TAVREL_COUNT_FIELD

// The field table: name, kind and offset of every field, in memory (and wire) order.
inline constexpr std::array<FieldInfo, kFlightDataFieldCount> kFlightDataFields = {{
#define TAVREL_FIELD_INFO(name, kind) {#name, FieldKind::kind, offsetof(FlightData, name)},
    TAVREL_FLIGHT_DATA_FIELDS(TAVREL_FIELD_INFO)
#undef TAVREL_FIELD_INFO
}};

// Typed access through the field table; the caller has checked the kind.
inline float &floatField(FlightData &d, const FieldInfo &f)
{
    return *reinterpret_cast<float *>(reinterpret_cast<char *>(&d) + f.offset);
}
inline std::int32_t &intField(FlightData &d, const FieldInfo &f)
{
    return *reinterpret_cast<std::int32_t *>(reinterpret_cast<char *>(&d) + f.offset);
}
inline FlightText &textField(FlightData &d, const FieldInfo &f)
{
    return *reinterpret_cast<FlightText *>(reinterpret_cast<char *>(&d) + f.offset);
}
inline float floatField(const FlightData &d, const FieldInfo &f)
{
    return floatField(const_cast<FlightData &>(d), f);
}
inline std::int32_t intField(const FlightData &d, const FieldInfo &f)
{
    return intField(const_cast<FlightData &>(d), f);
}
inline QStringView textField(const FlightData &d, const FieldInfo &f)
{
    return QStringView(textField(const_cast<FlightData &>(d), f), kTextFieldLength);
}

inline QStringView view(const FlightText &text)
{
    return QStringView(text, kTextFieldLength);
}

// The field named `name`, or nullptr.
const FieldInfo *findFlightDataField(std::string_view name) noexcept;

static_assert(std::is_trivially_copyable_v<FlightData>);
static_assert(std::is_standard_layout_v<FlightData>);
static_assert(kFlightDataFieldCount == 79);
static_assert(sizeof(FlightData) == 1840);
static_assert(offsetof(FlightData, LightBits) == 31 * 4);
static_assert(offsetof(FlightData, HSIBits) == 62 * 4);
static_assert(offsetof(FlightData, DEDLines) == 63 * 4);
static_assert(offsetof(FlightData, UFCTChan) == 63 * 4 + 4 * 260);
static_assert(offsetof(FlightData, FlightDataReserved) == 66 * 4 + 4 * 260);
static_assert(offsetof(FlightData, FWDFuel) == 66 * 4 + 4 * 260 + 126 * 4);
static_assert(offsetof(FlightData, VersionNum) == 1840 - 4);

// No padding anywhere: each field starts where the one before it ends.
constexpr std::size_t fieldSize(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Float:
    case FieldKind::Int:
        return 4;
    case FieldKind::Text:
        return sizeof(FlightText);
    case FieldKind::Reserved:
        return sizeof(FlightReserved);
    }
    return 0;
}
constexpr bool fieldsArePacked()
{
    std::size_t next = 0;
    for (const FieldInfo &f : kFlightDataFields) {
        if (f.offset != next)
            return false;
        next += fieldSize(f.kind);
    }
    return next == sizeof(FlightData);
}
static_assert(fieldsArePacked());

} // namespace tavrel
