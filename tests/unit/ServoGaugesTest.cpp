#include "phidget/ServoGauges.h"
#include "core/Convert.h"
#include "core/Grid.h"
#include "support/JournalBoards.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

// A keyword, the field it reads, and per value of that field the "value adjusted" texts.
// Every record also holds FTIT 6.5 and external fuel 1000.25.
using Values = std::vector<std::pair<float, const char *>>;
const std::tuple<const char *, float FlightData::*, Values> kKeywords[] = {
    {"kias", &FlightData::KIAS, {{250.4f, "250.4 250"}, {-0.4f, "-0.4 0"}, {-1.0f, "-1 0"}}},
    {"ALT", &FlightData::ShipDown, {{-1500.5f, "-1500.5 1500"}}},
    {"RALT", &FlightData::ShipDown, {{10.0f, "10 0"}, {-100000.4f, "-100000.4 100000"}, {-2e5f, "-200000 100000"}}},
    {"CPALT", &FlightData::ShipDown, {{-7999.5f, "7999.5 7999.5"}, {-23000.0f, "8000 8000"}, {-6e4f, "23984 23984"}}},
    {"CPALT", &FlightData::ShipDown, {{-23000.5f, "8000.216 8000.216"}, {-60001.0f, "24000 24000"}}},
    {"ATTITUDE", &FlightData::Pitch, {{-0.1f, "-0.1 5.73"}, {0.4363323f, "0.4363323 -25"}, {-0.5f, "-0.5 25"}}},
    {"VVI", &FlightData::ShipDownRate, {{35.0f, "35 -10"}, {-7000.0f, "-7000 2000"}, {7100.0f, "7100 -2000"}}},
    {"AOA", &FlightData::Alpha, {{10.0f, "10 -17.14"}, {-35.0f, "-35 60"}, {40.0f, "40 -60"}}},
    {"RPM", &FlightData::RPM, {{92.5f, "92.5 92"}, {93.5f, "93.5 94"}}},
    {"FTIT", &FlightData::RPM, {{59.5f, "6.5 240"}, {60.0f, "6.5 240"}, {65.0f, "6.5 420"}, {70.0f, "6.5 600"}}},
    {"FTIT", &FlightData::RPM, {{70.5f, "6.5 6"}, {93.0f, "6.5 6"}, {100.0f, "6.5 757.91"}}},
    {"NOZPOS", &FlightData::NozzlePos, {{2.5f, "2.5 2"}}},
    {"OILPRES", &FlightData::OilPressure, {{40.5f, "40.5 40"}}},
    {"SPEEDBRAKE", &FlightData::SpeedBrake, {{0.125f, "0.125 0.12"}}},
    {"EPUFuel", &FlightData::EPUFuel, {{99.5f, "99.5 100"}}},
    {"FUELFLOW", &FlightData::FuelFlow, {{2450.5f, "2450.5 2450"}}},
    {"FUELINT", &FlightData::InternalFuel, {{3.5f, "3.5 4"}}},
    {"FUELEXT", &FlightData::ExternalFuel, {{7.5f, "7.5 8"}}},
    {"FUELTOT", &FlightData::InternalFuel, {{5000.25f, "6000.5 6000"}}},
    {"STBY", &FlightData::KIAS, {{1.0f, "90 90"}}},
};

TEST(ServoGauges, EachKeywordGivesItsValueAndAdjustedValue)
{
    for (const auto &[keyword, field, values] : kKeywords) {
        for (const auto &[set, expected] : values) {
            FlightData d{};
            d.FTIT = 6.5f, d.ExternalFuel = 1000.25f, d.*field = set;
            GaugeTable gauges{GaugeRow{QString(), QString(), QString::fromLatin1(keyword), u"90"_s}, GaugeRow{}};
            UpdateGaugeValues(gauges, d, [] {});
            EXPECT_EQ(gauges[0][kGaugeValue] + u' ' + gauges[0][kGaugeAdjusted], QString::fromLatin1(expected))
                << keyword;
            if (keyword == std::string_view("FTIT")) {
                EXPECT_EQ(u"6.5 "_s + convert::shortest(d.FTIT).latin1(), QString::fromLatin1(expected))
                    << "FTIT replaced";
            }
        }
    }
}

// Row k holds the motors of gauge k, driven with the adjusted value of row k - 1.
TEST(ServoGauges, MotorsFollowTheirGaugesWhileTheirKindIsPresent)
{
    const auto row = [](const char *first, const char *keyword, const char *fourth) {
        return ConfigRow{QString::fromLatin1(first), {}, QString::fromLatin1(keyword), QString::fromLatin1(fourth)};
    };
    GaugeTable gauges = widenGauges(
        test::tableOf({row("1", "RPM", ""), row("2", "X", "45"), row("3", "X", "300"), row("4", "X", "12.5")}));
    Grid grid;
    grids::servoTable(grid, gauges,
                      test::tableOf({row("1", "", "1"), row("4", "", "2"), row("2", "", "4"), row("3", "", "0"),
                                     row("3", "", "2")}), // a fifth entry is not read
                      test::tableOf({row(" 0 ", "", "2"), row("3", "", "3")}));
    test::JournalBoards boards;
    using Kind = BoardKind;
    BoardSlots slots;
    slots.pViperServo_1 = boards.add(Kind::Servo, 51), slots.pViperServo_2 = boards.add(Kind::Servo, 52);
    slots.pViper4Servo_1 = boards.add(Kind::MultiServo, 61), slots.pViper4Servo_2 = boards.add(Kind::MultiServo, 62);
    bool present = false, screen = true;
    const ServoInputs in{slots, present, screen, [] {}};
    FlightData d{};
    d.RPM = 80.0f;
    UpdateGaugeValues(gauges, d, [] {});
    DriveGaugeServos(gauges, grid, in);
    EXPECT_EQ(boards.take(), QStringList()) << "no board of the kind has attached";
    EXPECT_EQ(grid.text(1, 4), u"80"_s);

    present = true, screen = false, d.RPM = 90.0f;
    UpdateGaugeValues(gauges, d, [] {});
    DriveGaugeServos(gauges, grid, in);
    // Motor 4 and position 300 are refused, gauge 0 drives nothing, the last gauge drives motor 2.
    EXPECT_EQ(boards.take(), (QStringList{u"61\tMotorPosition\t1\t90"_s, u"62\tMotorPosition\t0\t45"_s,
                                          u"61\tMotorPosition\t2\t12.5"_s}));
    EXPECT_EQ(grid.text(1, 4), u"80"_s) << "the grid keeps its text while ScreenUpdate is off";

    // The G-suit: 10 x g above 3 G on both one-motor boards, g to three decimals first.
    Control g, servo1, servo2;
    QString scratch;
    screen = true;
    for (const auto &[gs, shown, position] : {std::tuple{3.0004f, "3", "0"}, {3.1234f, "3.123", "31.23"}}) {
        d.GS = gs;
        DriveGForceServo(d, in, {g, servo1, servo2}, scratch);
        const QString p = QLatin1String(position);
        EXPECT_EQ(boards.take(), (QStringList{u"51\tMotorPosition\t0\t"_s + p, u"52\tMotorPosition\t0\t"_s + p}));
        const QString labels = g.caption() + u' ' + servo1.caption() + u' ' + servo2.caption();
        EXPECT_EQ(labels, u"%1 %2 %2"_s.arg(QLatin1String(shown), p));
    }
}

// Kept readings: a value is written anew when its row's keyword changes, even to one that
// reads the same number (the column may hold something else meanwhile).
TEST(ServoGauges, AValueIsWrittenAnewWhenItsKeywordChanges)
{
    GaugeTable gauges(2);
    gauges[0][2] = u"RPM"_s;
    GaugeReadings readings;
    FlightData d{};
    d.RPM = d.KIAS = 80.0f;
    UpdateGaugeValues(
        gauges, d, [] {}, &readings);
    gauges[0][3] = u"old"_s, gauges[0][2] = u"KIAS"_s;
    UpdateGaugeValues(
        gauges, d, [] {}, &readings);
    EXPECT_EQ(gauges[0][3], u"80"_s);
}

} // namespace
} // namespace tavrel
