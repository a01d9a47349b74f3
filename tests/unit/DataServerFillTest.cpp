#include "sources/DataServerFill.h"

#include "core/Error.h"
#include "core/FlightData.h"
#include "sources/LateBound.h"

#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace tavrel;

namespace {

// A data server that answers from a table. Members it does not have, and members listed
// as failing, raise tavrel::Error; every access is logged in order.
class ScriptedServer : public LateBound
{
public:
    std::map<std::string, QVariant, std::less<>> properties;
    std::set<std::string, std::less<>> failingReads;
    bool fillFails = false;
    std::vector<std::string> log;

    QVariant get(std::string_view name) override
    {
        log.push_back("get " + std::string(name));
        const auto it = properties.find(name);
        if (it == properties.end() || failingReads.contains(name))
            throw Error(Error::MemberNotFound, QStringLiteral("Object doesn't support this property or method"));
        return it->second;
    }
    QVariant call(std::string_view name) override
    {
        log.push_back("call " + std::string(name));
        if (fillFails)
            throw Error(Error::ObjectNotSet, QStringLiteral("Object variable not set"));
        return {};
    }
};

constexpr unsigned char kPattern = 0xA5;

FlightData patternedRecord()
{
    FlightData d;
    std::memset(static_cast<void *>(&d), kPattern, sizeof d);
    return d;
}

bool keepsPattern(const FlightData &d, const FieldInfo &f)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(&d) + f.offset;
    for (std::size_t i = 0; i < fieldSize(f.kind); ++i)
        if (bytes[i] != kPattern)
            return false;
    return true;
}

bool serverFills(const FieldInfo &f) { return f.kind != FieldKind::Reserved && f.name != "AdiIlsPos2"; }

// A distinct value for every field the server fills.
QVariant valueFor(std::size_t index, const FieldInfo &f)
{
    switch (f.kind) {
    case FieldKind::Float: return double(index) + 0.5;
    case FieldKind::Int: return int(index) * 10;
    default: return QStringLiteral("T%1").arg(index);
    }
}

} // namespace

TEST(DataServerFillTest, NumberConversionPerField)
{
    constexpr float kFloatBefore = 9.75f;
    constexpr std::int32_t kIntBefore = 77;
    const struct {
        const char *field;
        QVariant value;
        std::optional<double> expected; // empty: the field keeps its value
    } cases[] = {
        {"LightBits", 2.5, 2},
        {"LightBits", 3.5, 4},
        {"LightBits", -2.5, -2},
        {"HSIBits", 0.5, 0},
        {"HSIBits", QStringLiteral("3.5"), 4},
        {"VersionNum", 2147483647.0, INT_MAX},
        {"VersionNum", -2147483648.0, INT_MIN},
        {"VersionNum", 2147483648.0, std::nullopt},
        {"VersionNum", -2147483649.0, std::nullopt},
        {"VersionNum", QVariant::fromValue(qint64(1) << 40), std::nullopt},
        {"LightBits", true, -1},
        {"LightBits", false, 0},
        {"LightBits", QStringLiteral("abc"), std::nullopt},
        {"KIAS", true, -1},
        {"KIAS", QStringLiteral("12.5"), 12.5},
        {"KIAS", QStringLiteral("abc"), std::nullopt},
        {"KIAS", QStringLiteral(""), std::nullopt},
        {"KIAS", 1e39, std::nullopt},
        {"KIAS", -1e39, std::nullopt},
        {"KIAS", 3.0e38, double(3.0e38f)},
        {"KIAS", 0.1, double(0.1f)},
        {"Pitch", QVariant::fromValue(qint64(-5)), -5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.value.toString().toStdString());
        const FieldInfo *f = findFlightDataField(c.field);
        ASSERT_NE(f, nullptr);
        FlightData d;
        floatField(d, *findFlightDataField("Mach")) = kFloatBefore;
        if (f->kind == FieldKind::Int)
            intField(d, *f) = kIntBefore;
        else
            floatField(d, *f) = kFloatBefore;
        ScriptedServer server;
        server.properties[c.field] = c.value;

        fillFromDataServer(server, d);

        const double before = f->kind == FieldKind::Int ? double(kIntBefore) : double(kFloatBefore);
        const double actual = f->kind == FieldKind::Int ? double(intField(std::as_const(d), *f))
                                                        : double(floatField(std::as_const(d), *f));
        EXPECT_EQ(actual, c.expected.value_or(before));
        EXPECT_EQ(d.Mach, kFloatBefore); // fields the server lacks are left alone
    }
}

TEST(DataServerFillTest, TextIsCutOrPaddedToTheFieldLength)
{
    const QString longText = QString(100, u'a') + QString(50, u'b');
    ScriptedServer server;
    server.properties["DEDLines"] = longText;
    server.properties["Invert"] = QStringLiteral("Hi");
    server.properties["PFLLines"] = QString();
    FlightData d = patternedRecord();

    fillFromDataServer(server, d);

    EXPECT_EQ(view(d.DEDLines), QStringView(longText).left(kTextFieldLength));
    EXPECT_EQ(view(d.Invert), QStringLiteral("Hi") + QString(kTextFieldLength - 2, u' '));
    EXPECT_EQ(view(d.PFLLines), QString(kTextFieldLength, u' '));
    EXPECT_TRUE(keepsPattern(d, *findFlightDataField("PFLInvert")));
}

TEST(DataServerFillTest, SnapshotFirstThenEveryServerFieldInOrder)
{
    for (const bool fillFails : {false, true}) {
        SCOPED_TRACE(fillFails ? "FillFlightData fails" : "FillFlightData succeeds");
        ScriptedServer server;
        server.fillFails = fillFails;
        std::vector<std::string> expectedLog{"call FillFlightData"};
        for (std::size_t i = 0; i < kFlightDataFields.size(); ++i) {
            const FieldInfo &f = kFlightDataFields[i];
            server.properties[std::string(f.name)] = valueFor(i, f);
            if (serverFills(f))
                expectedLog.push_back("get " + std::string(f.name));
        }
        server.failingReads = {"Pitch", "LightBits2", "Invert"};
        FlightData d = patternedRecord();

        fillFromDataServer(server, d);

        EXPECT_EQ(server.log, expectedLog);
        for (std::size_t i = 0; i < kFlightDataFields.size(); ++i) {
            const FieldInfo &f = kFlightDataFields[i];
            SCOPED_TRACE(std::string(f.name));
            if (!serverFills(f) || server.failingReads.contains(f.name)) {
                EXPECT_TRUE(keepsPattern(d, f));
                continue;
            }
            const QVariant v = valueFor(i, f);
            switch (f.kind) {
            case FieldKind::Float: EXPECT_EQ(floatField(std::as_const(d), f), float(v.toDouble())); break;
            case FieldKind::Int: EXPECT_EQ(intField(std::as_const(d), f), v.toInt()); break;
            case FieldKind::Text:
                EXPECT_EQ(textField(std::as_const(d), f),
                          v.toString() + QString(kTextFieldLength - v.toString().size(), u' '));
                break;
            case FieldKind::Reserved: break;
            }
        }
    }
}
