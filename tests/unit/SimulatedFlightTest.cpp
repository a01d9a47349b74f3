#include "core/Error.h"
#include "core/FlightData.h"
#include "sources/SimulatedFlight.h"
#include "sources/SimulatedFlightServer.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tavrel;

namespace {

constexpr double kStep = 0.1;
constexpr int kSteps = static_cast<int>(SimulatedFlight::kLoopSeconds / kStep);

FlightData sampleAt(double seconds)
{
    FlightData d{};
    SimulatedFlight().sample(seconds, d);
    return d;
}

// One loop sampled every 0.1 s, shared by the tests that look at the whole flight.
const std::vector<FlightData> &wholeLoop()
{
    static const std::vector<FlightData> loop = [] {
        std::vector<FlightData> samples(kSteps);
        for (int i = 0; i < kSteps; ++i)
            SimulatedFlight().sample(i * kStep, samples[i]);
        return samples;
    }();
    return loop;
}

const FieldInfo &field(std::string_view name)
{
    const FieldInfo *f = findFlightDataField(name);
    if (!f)
        throw std::invalid_argument(std::string(name));
    return *f;
}

float floatOf(const FlightData &d, std::string_view name) { return floatField(d, field(name)); }

} // namespace

TEST(SimulatedFlight, RepeatsEveryLoopToTheByte)
{
    constexpr double loop = SimulatedFlight::kLoopSeconds;
    for (int i = 0; i < kSteps; i += 3) {
        const double t = i * kStep;
        const FlightData first = sampleAt(t);
        for (double later : {t + loop, t + 7 * loop, t + 1000 * loop, t - loop}) {
            const FlightData again = sampleAt(later);
            ASSERT_EQ(std::memcmp(&first, &again, sizeof(FlightData)), 0) << "t = " << t << ", later = " << later;
        }
    }
}

TEST(SimulatedFlight, NeverWritesAdiIlsPos2OrTheReservedBlock)
{
    for (double t = 0.0; t < SimulatedFlight::kLoopSeconds; t += 1.3) {
        FlightData d;
        std::memset(static_cast<void *>(&d), 0xA5, sizeof d);
        SimulatedFlight().sample(t, d);
        const auto *ils = reinterpret_cast<const unsigned char *>(&d.AdiIlsPos2);
        const auto *reserved = reinterpret_cast<const unsigned char *>(d.FlightDataReserved);
        for (std::size_t i = 0; i < sizeof d.AdiIlsPos2; ++i)
            ASSERT_EQ(ils[i], 0xA5) << "t = " << t;
        for (std::size_t i = 0; i < sizeof d.FlightDataReserved; ++i)
            ASSERT_EQ(reserved[i], 0xA5) << "t = " << t;
    }
}

// Every value the cockpit outputs read moves during a loop and stays in its unit's range
// (radians for attitude, percent for RPM, G, feet, nm, lbs).
TEST(SimulatedFlight, EveryOutputValueMovesWithinItsRange)
{
    constexpr double pi = 3.1416; // float(pi) lies just beyond the double
    struct Range { const char *name; double low, high; };
    const Range ranges[] = {
        {"Pitch", -pi / 2, pi / 2}, {"Roll", -pi, pi}, {"Yaw", -pi, pi}, {"Alpha", -15, 30},
        {"Beta", -5, 5}, {"Gamma", -pi / 2, pi / 2}, {"Mach", 0, 1.2}, {"KIAS", 0, 600},
        {"VT", 0, 1200}, {"GS", -1, 6}, {"ShipNorth", -1e7, 1e7}, {"ShipEast", -1e7, 1e7},
        {"ShipDown", -50000, 0}, {"ShipDownRate", -1000, 1000}, {"NozzlePos", 0, 1}, {"NozzlePos2", 0, 1},
        {"RPM", 55, 105}, {"RPM2", 55, 105}, {"FTIT", 4, 10}, {"FTIT2", 4, 10}, {"FuelFlow", 500, 60000},
        {"InternalFuel", 0, 7000}, {"ExternalFuel", 0, 2000}, {"TotalFuel", 0, 9000}, {"FWDFuel", 0, 7000},
        {"AFTFuel", 0, 7000}, {"OilPressure", 20, 60}, {"OilPressure2", 20, 60}, {"GearPos", 0, 1},
        {"NoseGearPos", 0, 1}, {"LeftGearPos", 0, 1}, {"RightGearPos", 0, 1}, {"SpeedBrake", 0, 1},
        {"DistanceToBeacon", 0, 100}, {"CourseDeviation", -180, 180}, {"TrimPitch", -0.5, 0.5},
        {"TrimRoll", -0.5, 0.5}, {"TrimYaw", -0.5, 0.5}, {"ChaffCount", 0, 60}, {"FlareCount", 0, 30},
    };
    for (const Range &r : ranges) {
        std::set<float> seen;
        for (const FlightData &d : wholeLoop()) {
            const float v = floatOf(d, r.name);
            ASSERT_TRUE(v >= r.low && v <= r.high) << r.name << " = " << v;
            seen.insert(v);
        }
        EXPECT_GT(seen.size(), 1u) << r.name << " never changes";
    }
    for (const char *name : {"LightBits", "LightBits2", "LightBits3", "HSIBits", "UFCTChan", "AUXTChan",
                             "RWRObjectCount", "DEDLines", "Invert", "PFLLines", "PFLInvert"}) {
        const FieldInfo &f = field(name);
        const std::size_t size = f.kind == FieldKind::Text ? sizeof(FlightText) : 4;
        const auto bytes = [&](const FlightData &d) { return reinterpret_cast<const char *>(&d) + f.offset; };
        const bool changes = std::any_of(wholeLoop().begin(), wholeLoop().end(), [&](const FlightData &d) {
            return std::memcmp(bytes(d), bytes(wholeLoop().front()), size) != 0;
        });
        EXPECT_TRUE(changes) << name << " never changes";
    }
    EXPECT_GE(std::ranges::max(wholeLoop(), {}, &FlightData::GS).GS, 4.0f) << "no hard turn";
    EXPECT_LT(std::ranges::min(wholeLoop(), {}, &FlightData::GS).GS, 1.0f) << "no push-over";
}

TEST(SimulatedFlight, TextsAreAlways130PrintableCharactersWithMarks)
{
    bool dedMarked = false, invertMarked = false, pflMarked = false, pflBlank = false;
    for (const FlightData &d : wholeLoop()) {
        for (const FlightText *text : {&d.DEDLines, &d.Invert, &d.PFLLines, &d.PFLInvert})
            for (char16_t c : *text)
                ASSERT_TRUE(c >= u' ' && c <= u'~') << "character " << int(c);
        for (const FlightText *marks : {&d.Invert, &d.PFLInvert})
            for (char16_t c : *marks)
                ASSERT_TRUE(c == u' ' || c == u'1' || c == u'2');
        dedMarked |= view(d.DEDLines).trimmed().size() > 0;
        invertMarked |= view(d.Invert).trimmed().size() > 0;
        pflMarked |= view(d.PFLInvert).contains(u'2');
        pflBlank |= view(d.PFLLines).trimmed().isEmpty();
    }
    EXPECT_TRUE(dedMarked);
    EXPECT_TRUE(invertMarked);
    EXPECT_TRUE(pflMarked);
    EXPECT_TRUE(pflBlank);
}

// Marker-beacon rules compare the range with small thresholds: the approach must sweep
// steadily from about 10 nm to 0 so values on both sides of each are seen.
TEST(SimulatedFlight, ApproachSweepsTheRangeSteadilyToZero)
{
    const auto &loop = wholeLoop();
    std::size_t i = std::ranges::min_element(loop, {}, &FlightData::DistanceToBeacon) - loop.begin();
    EXPECT_LT(loop[i].DistanceToBeacon, 0.05f);
    while (i > 0 && loop[i - 1].DistanceToBeacon >= loop[i].DistanceToBeacon
           && loop[i - 1].DistanceToBeacon - loop[i].DistanceToBeacon < 0.05f)
        --i;
    EXPECT_GE(loop[i].DistanceToBeacon, 9.5f);
    for (double threshold : {0.5, 4.0, 5.0}) {
        const auto near = [&](double low, double high) {
            return std::ranges::any_of(loop, [&](const FlightData &d) {
                return d.DistanceToBeacon > low && d.DistanceToBeacon < high;
            });
        };
        EXPECT_TRUE(near(threshold - 0.05, threshold)) << threshold;
        EXPECT_TRUE(near(threshold, threshold + 0.05)) << threshold;
    }
}

// ---------------------------------------------------------------------------------------

namespace {

struct ServerTest : ::testing::Test
{
    double clock = 0.0;
    SimulatedFlightServer server{[this] { return clock; }};
};

int errorNumber(const std::function<void()> &statement)
{
    try {
        statement();
    } catch (const Error &e) {
        return e.number();
    }
    return 0;
}

QStringList journalLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST_F(ServerTest, OstrelyTurnsTrueOnceTheSimulatorHasStarted)
{
    const struct { double at; bool running; } cases[] = {
        {0.0, false}, {1.999, false}, {SimulatedFlightServer::kStartSeconds, true}, {100.0, true}};
    for (const auto &c : cases) {
        clock = c.at;
        const QVariant v = server.get("Ostrely");
        EXPECT_EQ(v.typeId(), QMetaType::Bool);
        EXPECT_EQ(v.toBool(), c.running) << "at " << c.at;
    }
}

TEST_F(ServerTest, PropertiesReadBackTheSnapshot)
{
    EXPECT_EQ(server.get("KIAS").toDouble(), 0.0) << "zero record before the first snapshot";
    EXPECT_EQ(server.get("DEDLines").toString(), QString(kTextFieldLength, QChar(0)));

    clock = 42.5;
    server.call("FillFlightData");
    clock = 50.0; // reads return the snapshot, not the flight now
    const FlightData expected = sampleAt(42.5);
    for (const FieldInfo &f : kFlightDataFields) {
        if (f.kind == FieldKind::Reserved || f.name == "AdiIlsPos2")
            continue;
        const QVariant v = server.get(f.name);
        const std::string name(f.name);
        switch (f.kind) {
        case FieldKind::Float:
            EXPECT_EQ(v.typeId(), QMetaType::Double) << name;
            EXPECT_EQ(static_cast<float>(v.toDouble()), floatField(expected, f)) << name;
            break;
        case FieldKind::Int:
            EXPECT_EQ(v.typeId(), QMetaType::Int) << name;
            EXPECT_EQ(v.toInt(), intField(expected, f)) << name;
            break;
        case FieldKind::Text:
            EXPECT_EQ(v.typeId(), QMetaType::QString) << name;
            EXPECT_EQ(v.toString(), textField(expected, f)) << name;
            break;
        case FieldKind::Reserved:
            break;
        }
    }
}

TEST_F(ServerTest, UnknownMembersRaise438)
{
    const struct { bool isCall; const char *name; } cases[] = {
        {false, "NoSuchProperty"}, {false, "AdiIlsPos2"}, {false, "FlightDataReserved"},
        {false, ""}, {true, "NoSuchMethod"}, {true, "KIAS"}, {true, "Ostrely"}};
    for (const auto &c : cases) {
        try {
            c.isCall ? server.call(c.name) : server.get(c.name);
            ADD_FAILURE() << c.name << " did not raise";
        } catch (const Error &e) {
            EXPECT_EQ(e.number(), Error::MemberNotFound) << c.name;
            EXPECT_EQ(e.description(), QStringLiteral("Object doesn't support this property or method"));
        }
    }
}

TEST_F(ServerTest, AfterCloseOnlyCloseSucceeds)
{
    server.call("Close");
    EXPECT_EQ(errorNumber([&] { server.call("FillFlightData"); }), Error::ObjectNotSet);
    EXPECT_EQ(errorNumber([&] { server.get("KIAS"); }), Error::ObjectNotSet);
    EXPECT_EQ(errorNumber([&] { server.get("Ostrely"); }), Error::ObjectNotSet);
    EXPECT_EQ(errorNumber([&] { server.call("Close"); }), 0);
}

TEST_F(ServerTest, SteadyPageKeepsTheSameTextBuffer)
{
    clock = 10.2; // CNI page; its clock shows whole seconds
    server.call("FillFlightData");
    const QString first = server.get("DEDLines").toString();
    const QString pfl = server.get("PFLLines").toString();
    clock = 10.3;
    server.call("FillFlightData");
    EXPECT_EQ(server.get("DEDLines").toString().constData(), first.constData());
    EXPECT_EQ(server.get("PFLLines").toString().constData(), pfl.constData());

    clock = 11.2;
    server.call("FillFlightData");
    const QString next = server.get("DEDLines").toString();
    EXPECT_NE(next, first);
    EXPECT_EQ(next, view(sampleAt(11.2).DEDLines));
    EXPECT_EQ(first, view(sampleAt(10.2).DEDLines)) << "a text a caller holds must not change";
}

TEST(SimulatedFlightServerJournal, AppendsEachCallAndOstrelyRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("journal.txt"));
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier\n");
    }
    double clock = 0.0;
    qputenv("TAVREL_DATA_SERVER_JOURNAL", path.toLocal8Bit());
    SimulatedFlightServer server([&] { return clock; });
    qunsetenv("TAVREL_DATA_SERVER_JOURNAL"); // read once, when the server is made

    server.get("Ostrely");
    clock = 3.0;
    server.get("Ostrely");
    server.call("FillFlightData");
    server.get("KIAS");
    errorNumber([&] { server.get("NoSuchProperty"); });
    server.call("Close");
    // Flushed at once: visible while the server is still alive.
    EXPECT_EQ(journalLines(path), (QStringList{QStringLiteral("earlier"), QStringLiteral("Ostrely\t0"),
                                               QStringLiteral("Ostrely\t1"), QStringLiteral("FillFlightData"),
                                               QStringLiteral("Close")}));
}
