#include "SharedMemory.h"

#include "core/Convert.h"
#include "sources/RelayWire.h"

#include <QtEndian>

namespace tavrel::relay {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kCompactSize = 1280;
constexpr qsizetype kInlineSize = 1904;
constexpr qsizetype kSplitSize = 1920;
constexpr qsizetype kSplitVersionAt = 1900;
constexpr std::int32_t kFirstSplitVersion = 110;
constexpr std::uint32_t kFlying = 0x80000000u;
constexpr qsizetype kSecondEngineBytes = 16;

// Reads the first area at the places the split layout gives its fields; the inline
// layouts hold four more floats among them (the second engine's), so every field after
// one of those stands 4 bytes further on for each.
class Area
{
public:
    Area(QByteArrayView bytes, bool secondEngineInline) : bytes_(bytes), inline_(secondEngineInline) {}

    float f(qsizetype at) const { return qFromLittleEndian<float>(bytes_.data() + place(at)); }
    float atExactly(qsizetype at) const { return qFromLittleEndian<float>(bytes_.data() + at); }
    std::int32_t i(qsizetype at) const { return qFromLittleEndian<std::int32_t>(bytes_.data() + place(at)); }
    std::int32_t intAtExactly(qsizetype at) const { return qFromLittleEndian<std::int32_t>(bytes_.data() + at); }

    // Five lines of 26 8-bit characters.
    void text(qsizetype at, FlightText &out) const
    {
        const char *from = bytes_.data() + place(at);
        for (int n = 0; n < kTextFieldLength; ++n) {
            const auto byte = static_cast<unsigned char>(from[n]);
            out[n] = byte == 0 || byte == '\r' ? u' ' : convert::fromWindows1252(byte);
        }
    }

private:
    qsizetype place(qsizetype at) const
    {
        if (!inline_ || at < 72)
            return at;
        return at + (at >= 108 ? 16 : at >= 92 ? 12 : at >= 88 ? 8 : 4);
    }

    QByteArrayView bytes_;
    bool inline_;
};

SimLayout layoutOf(QByteArrayView flightData)
{
    const qsizetype size = flightData.size();
    if (size >= kSplitSize
        && qFromLittleEndian<std::int32_t>(flightData.data() + kSplitVersionAt) >= kFirstSplitVersion)
        return SimLayout::Split;
    if (size >= kInlineSize)
        return SimLayout::Inline;
    if (size >= kCompactSize)
        return SimLayout::Compact;
    return SimLayout::Unknown;
}

} // namespace

SimReading convertSharedMemory(QByteArrayView flightData, QByteArrayView flightData2, FlightData &out)
{
    SimReading reading;
    reading.size = flightData.size();
    reading.layout = layoutOf(flightData);
    if (reading.layout == SimLayout::Unknown)
        return reading;
    const bool split = reading.layout == SimLayout::Split;
    const Area a(flightData, !split);

    out.ShipNorth = a.f(0);
    out.ShipEast = a.f(4);
    out.ShipDown = a.f(8);
    out.ShipNorthRate = a.f(12);
    out.ShipEastRate = a.f(16);
    out.ShipDownRate = a.f(20);
    out.Alpha = a.f(24);
    out.Beta = a.f(28);
    out.Gamma = a.f(32);
    out.Pitch = a.f(36);
    out.Roll = a.f(40);
    out.Yaw = a.f(44);
    out.Mach = a.f(48);
    out.KIAS = a.f(52);
    out.VT = a.f(56);
    out.GS = a.f(60);
    out.WindOffset = a.f(64);
    out.NozzlePos = a.f(68);
    out.InternalFuel = a.f(72);
    out.ExternalFuel = a.f(76);
    out.FuelFlow = a.f(80);
    out.RPM = a.f(84);
    out.FTIT = a.f(88);
    out.GearPos = a.f(92);
    out.SpeedBrake = a.f(96);
    out.EPUFuel = a.f(100);
    out.OilPressure = a.f(104);
    out.LightBits = a.i(108);
    out.HeadPitch = a.f(112);
    out.HeadRoll = a.f(116);
    out.HeadYaw = a.f(120);
    out.LightBits2 = a.i(124);
    out.LightBits3 = a.i(128);
    out.ChaffCount = a.f(132);
    out.FlareCount = a.f(136);
    out.NoseGearPos = a.f(140);
    out.LeftGearPos = a.f(144);
    out.RightGearPos = a.f(148);
    out.AdiIlsHorPos = a.f(152);
    out.AdiIlsPos2 = a.f(156); // the vertical ILS bar
    out.CourseState = a.i(160);
    out.HeadingState = a.i(164);
    out.TotalStates = a.i(168);
    out.CourseDeviation = a.f(172);
    out.DesiredCourse = a.f(176);
    out.DistanceToBeacon = a.f(180);
    out.BearingToBeacon = a.f(184);
    out.CurrentHeading = a.f(188);
    out.DesiredHeading = a.f(192);
    out.DeviationLimit = a.f(196);
    out.HalfDeviationLimit = a.f(200);
    out.LocalizerCourse = a.f(204);
    out.AirBaseX = a.f(208);
    out.AirBaseY = a.f(212);
    out.TotalValues = a.f(216);
    out.TrimPitch = a.f(220);
    out.TrimRoll = a.f(224);
    out.TrimYaw = a.f(228);
    out.HSIBits = a.i(232);
    a.text(236, out.DEDLines);
    a.text(366, out.Invert);
    a.text(496, out.PFLLines);
    a.text(626, out.PFLInvert);
    out.UFCTChan = a.i(756);
    out.AUXTChan = a.i(760);
    out.RWRObjectCount = a.i(764);
    out.LightBitsSet = out.LightBits2Set = out.LightBits3Set = out.HSISet = -1;

    // The fuel tanks and the version stand after the radar-warning arrays, whose length
    // differs from layout to layout; the 1904-byte layout ends before them.
    qsizetype tail = -1;
    if (split)
        tail = 1888;
    else if (reading.layout == SimLayout::Compact)
        tail = 1264;
    else if (reading.size >= kSplitSize)
        tail = 1904;
    out.FWDFuel = tail < 0 ? 0 : a.atExactly(tail);
    out.AFTFuel = tail < 0 ? 0 : a.atExactly(tail + 4);
    out.TotalFuel = tail < 0 ? 0 : a.atExactly(tail + 8);
    out.VersionNum = reading.version = tail < 0 ? 0 : a.intAtExactly(tail + 12);

    if (split) {
        const bool second = flightData2.size() >= kSecondEngineBytes;
        const auto f2 = [&](qsizetype at) { return second ? qFromLittleEndian<float>(flightData2.data() + at) : 0.0f; };
        out.NozzlePos2 = f2(0);
        out.RPM2 = f2(4);
        out.FTIT2 = f2(8);
        out.OilPressure2 = f2(12);
        reading.active = (std::uint32_t(out.HSIBits) & kFlying) != 0;
    } else {
        out.NozzlePos2 = a.atExactly(72);
        out.RPM2 = a.atExactly(92);
        out.FTIT2 = a.atExactly(100);
        out.OilPressure2 = a.atExactly(120);
        reading.active = true;
    }
    return reading;
}

SharedMemorySource::SharedMemorySource(std::unique_ptr<SharedMemoryAreas> areas,
                                       std::function<void(const QString &)> log)
    : areas_(std::move(areas))
    , log_(std::move(log))
{
}

void SharedMemorySource::refresh()
{
    QString state;
    if (!areas_->read(flightData_, flightData2_)) {
        reading_ = SimReading();
        state = u"waiting for the simulator's shared memory"_s;
    } else {
        reading_ = convertSharedMemory(flightData_, flightData2_, record_);
        if (reading_.layout == SimLayout::Unknown) {
            state = u"the simulator's shared memory holds %1 bytes, fewer than any layout this relay reads; "
                    u"waiting"_s.arg(reading_.size);
        } else {
            state = u"reading the simulator's shared memory (%1 bytes, version %2): %3"_s.arg(reading_.size)
                        .arg(reading_.version)
                        .arg(reading_.active ? u"flying"_s : u"not in the aircraft"_s);
            if (flightData2_.isEmpty() && reading_.layout == SimLayout::Split)
                state += u"; the second area is missing"_s;
        }
    }
    if (state != said_) {
        said_ = state;
        if (log_)
            log_(state);
    }
}

bool SharedMemorySource::isActive()
{
    refresh();
    return reading_.active;
}

QByteArray SharedMemorySource::record()
{
    refresh();
    formatRecordInto(answer_, record_, reading_.active);
    return answer_;
}

} // namespace tavrel::relay
