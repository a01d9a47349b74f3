#include "core/FlightData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string_view>

using namespace tavrel;

TEST(FlightDataTest, FieldTableNamesAreUniqueAndInRecordOrder)
{
    ASSERT_EQ(kFlightDataFields.size(), 79u);
    std::set<std::string_view> names;
    for (const FieldInfo &f : kFlightDataFields)
        EXPECT_TRUE(names.insert(f.name).second) << "duplicate field name " << f.name;

    const struct { std::size_t index; std::string_view name; FieldKind kind; } anchors[] = {
        {0, "ShipNorth", FieldKind::Float},
        {31, "LightBits", FieldKind::Int},
        {63, "DEDLines", FieldKind::Text},
        {70, "FlightDataReserved", FieldKind::Reserved},
        {78, "VersionNum", FieldKind::Int},
    };
    for (const auto &a : anchors) {
        EXPECT_EQ(kFlightDataFields[a.index].name, a.name) << "index " << a.index;
        EXPECT_EQ(kFlightDataFields[a.index].kind, a.kind) << a.name;
    }
}

TEST(FlightDataTest, FindFieldByExactName)
{
    for (const FieldInfo &f : kFlightDataFields)
        EXPECT_EQ(findFlightDataField(f.name), &f) << f.name;

    for (std::string_view missing : {std::string_view(), std::string_view("shipnorth"), std::string_view("Nope"),
                                     std::string_view("KIAS "), std::string_view("VersionNumX")})
        EXPECT_EQ(findFlightDataField(missing), nullptr) << '"' << missing << '"';
}

TEST(FlightDataTest, TableAccessReachesTheNamedMember)
{
    FlightData d;
    floatField(d, *findFlightDataField("KIAS")) = 321.5f;
    intField(d, *findFlightDataField("LightBits3")) = -7;
    textField(d, *findFlightDataField("PFLInvert"))[129] = u'Z';
    EXPECT_EQ(d.KIAS, 321.5f);
    EXPECT_EQ(d.LightBits3, -7);
    EXPECT_EQ(d.PFLInvert[129], u'Z');

    d.VersionNum = 42;
    d.ShipNorth = -1.25f;
    const FlightData &cd = d;
    EXPECT_EQ(intField(cd, *findFlightDataField("VersionNum")), 42);
    EXPECT_EQ(floatField(cd, *findFlightDataField("ShipNorth")), -1.25f);
    EXPECT_EQ(textField(cd, *findFlightDataField("PFLInvert")).size(), kTextFieldLength);
    EXPECT_EQ(textField(cd, *findFlightDataField("PFLInvert")).back(), u'Z');
    // Neighbours are untouched.
    EXPECT_EQ(d.Mach, 0.0f);
    EXPECT_EQ(d.VT, 0.0f);
    EXPECT_EQ(d.PFLLines[129], u'\0');
}

TEST(FlightDataTest, WholeRecordCopyKeepsEveryByte)
{
    FlightData a;
    auto *bytes = reinterpret_cast<unsigned char *>(&a);
    for (std::size_t i = 0; i < sizeof a; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    FlightData b;
    b = a;
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}
