// The EPIC card: the transfer's 28 keywords with their values and call orders, the link's
// states through the window's buttons, and the driver library loaded from a file that
// lacks most of its functions.
#include "core/Grid.h"
#include "core/GridBuilders.h"
#include "epic/EFReaderLibrary.h"
#include "epic/EpicTransfer.h"
#include "epic/VirtualEpicCard.h"
#include "support/CockpitHarness.h"

#include <gtest/gtest.h>

#include <QLibrary>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

QStringList lines(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes).split(u'\n', Qt::SkipEmptyParts);
}

// Keyword as written, pigeonhole, the "Value" column after the transfer, the calls. One
// record for every row: halves go to the even neighbour, FTIT2 lies beyond 32 bits.
const struct
{
    const char *keyword, *pigeonhole, *shown, *calls;
} kEntries[] = {
    {"LIGHTBITS", "1", "InActive", "LBPHCallRet\t1\nSendLBPH\t0"},
    {"LIGHTBITS2", "2", "Sending", "LB2PHCallRet\t2\nSendLB2PH\t64"},
    {"LIGHTBITS3", "3", "Sending", "LB3PHCallRet\t3\nSendLB3PH\t-2147483648"},
    {"RPM", "10", "84", "RPMPHCallRet\t10\nRPMCallRet\t84\nSendRPMPH\t"},
    {"rpm2", " 11 ", "86", "RPM2PHCallRet\t11\nRPM2CallRet\t86\nSendRPM2PH\t"},
    {"OILPRESSURE", "12", "40", "OILCallRet\t40\nOILPHCallRet\t12\nSendOILPH\t"},
    {"OilPressure2", "13.5", "2", "OIL2CallRet\t2\nOIL2PHCallRet\t14\nSendOIL2PH\t"},
    {"CHAFFCOUNT", "15", "2.5", "CHAFFCallRet\t2\nCHAFFPHCallRet\t15\nSendCHAFFPH\t"},
    {"FLARECOUNT", "16", "12", "FLARECallRet\t12\nFLAREPHCallRet\t16\nSendFLAREPH\t"},
    {"PITCH", "17", "-5.7296", "PITCHCallRet\t6\nPITCHPHCallRet\t17\nSendPITCHPH\t"},
    {"ROLL", "18", "28.6479", "ROLLCallRet\t-29\nROLLPHCallRet\t18\nSendROLLPH\t"},
    {"TOTAL", "19", "8993", "TOTALCallRet\t8993\nTOTALPHCallRet\t19\nSendTOTALPH\t\nSendFUELRESPH\t"},
    {"INTERNALFUEL", "20", "7000", "INTERNALCallRet\t7000\nINTERNALPHCallRet\t20\nSendINTERNALPH\t\nSendINTWINGPH\t"},
    {"EXTERNALFUEL", "21", "1992", "EXTERNALCallRet\t1992\nEXTERNALPHCallRet\t21\nSendEXTERNALPH\t"},
    {"INTWINGFUEL", "22", "1100", ""},
    {"INTRESFUEL", "23", "900", ""},
    {"MACH", "24", "0.9", "MACHCallRet\t1\nMACHPHCallRet\t24\nSendMACHPH\t"},
    {"KIAS", "25", "250", "KIASCallRet\t250\nKIASPHCallRet\t25\nSendKIASPH\t"},
    {"GS", "26", "4.56", "GSCallRet\t5\nGSPHCallRet\t26\nSendGSPH\t"},
    {"NOZZLE", "27", "0", "NOZZLECallRet\t0\nNOZZLEPHCallRet\t27\nSendNOZZLEPH\t"},
    {"NOZZZLE2", "28", "2", "NOZZLE2CallRet\t2\nNOZZLE2PHCallRet\t28\nSendNOZZLE2PH\t"},
    {"FTIT", "29", "7", "FTITCallRet\t7\nFTITPHCallRet\t29\nSendFTITPH\t"},
    {"FTIT2", "30", "3000000000", "FTIT2PHCallRet\t30\nSendFTIT2PH\t"}, // the value call alone skipped
    {"SPEEDBRAKE", "31", "0.12", "SPEEDBRAKECallRet\t0\nSPEEDBRAKEPHCallRet\t31\nSendSPEEDBRAKEPH\t"},
    {"EPUFUEL", "32", "100", "EPUFUELCallRet\t100\nEPUFUELPHCallRet\t32\nSendEPUFUELPH\t"},
    {"FUELFLOW", "33x", "2451", "FUELFLOWCallRet\t2451\nSendFUELFLOWPH\t"}, // no number: no pigeonhole call
    {"UFC", "", "109", "UFCCallRet\t109\nSendUFCPH\t"},
    {"AUX", "35", "-5", "AUXCallRet\t-5\nAUXPHCallRet\t35\nSendAUXPH\t"},
    {" RPM", "36", "as written", ""},
    {"NOZZLE2", "37", "as written", ""},
};

FlightData record()
{
    FlightData d{};
    d.LightBits2 = 0x40, d.LightBits3 = std::int32_t(0x80000000u), d.RPM = 84.5f, d.RPM2 = 85.5f;
    d.OilPressure = 40.4f, d.OilPressure2 = 2.5f, d.ChaffCount = 2.5f, d.FlareCount = 12.0f, d.Pitch = 0.1f;
    d.Roll = -0.5f, d.InternalFuel = 7000.5f, d.ExternalFuel = 1992.25f, d.Mach = 0.85f, d.KIAS = 250.5f;
    d.GS = 4.56f, d.NozzlePos = 0.5f, d.NozzlePos2 = 1.5f, d.FTIT = 7.49f, d.FTIT2 = 3e9f, d.SpeedBrake = 0.125f;
    d.EPUFuel = 99.5f, d.FuelFlow = 2450.6f, d.UFCTChan = 109, d.AUXTChan = -5;
    return d;
}

// Every keyword of the table above on a card journalled in a folder, shown in a grid.
struct Transfer
{
    Transfer()
    {
        for (const auto &e : kEntries)
            table.append({QString::fromLatin1(e.pigeonhole), u"d"_s, QString::fromLatin1(e.keyword), u"as written"_s});
        table.append(ConfigRow{});
        grids::pigeonholeList(grid, table);
    }
    QStringList calls() const { return folder.readLines(u"epic"_s); }

    test::TestPlatform folder;
    VirtualEpicCard card{true, folder.dir.filePath(u"epic"_s)};
    ConfigTable table;
    Grid grid;
    int yields = 0;
};

TEST(EpicTransfer, EveryKeywordShowsItsValueAndMakesItsCallsInOrder)
{
    Transfer t;
    SendEpicData(t.table, record(), &t.card, t.grid, true, [&] { ++t.yields; });
    const QStringList calls = t.calls();
    qsizetype made = 0; // the calls of the entries before
    for (int i = 0; i < int(std::size(kEntries)); ++i) {
        const QStringList own = lines(kEntries[i].calls);
        EXPECT_EQ(calls.mid(made, own.size()), own) << kEntries[i].keyword;
        made += own.size();
        EXPECT_EQ(t.table[i][3], QString::fromLatin1(kEntries[i].shown)) << kEntries[i].keyword;
        EXPECT_EQ(t.grid.text(i + 1, 3), QString::fromLatin1(kEntries[i].shown)) << kEntries[i].keyword;
    }
    EXPECT_EQ(calls.size(), made);
    EXPECT_EQ(t.yields, 1);
}

// The card closed (the transfer forced on) and the screen not updated: the values follow
// the record, nothing reaches the card or the grid.
TEST(EpicTransfer, WithoutCardOrScreenOnlyTheTableFollows)
{
    Transfer t;
    SendEpicData(t.table, record(), &t.card, t.grid, true, [] {});
    const qsizetype calls = t.calls().size();
    FlightData next = record();
    next.RPM = 100.0f;
    SendEpicData(t.table, next, nullptr, t.grid, false, [] {});
    EXPECT_EQ(t.calls().size(), calls);
    EXPECT_EQ(t.table[3][3], u"100"_s);
    EXPECT_EQ(t.grid.text(4, 3), u"84"_s);
}

// "Open Epic" (O) and "Close Epic" (C) through the cockpit, on a card that is there or not.
TEST(EpicLink, ButtonsOpenAndCloseTheLinkAndListTheCardOnce)
{
    const std::tuple<bool, const char *, bool, int> cases[] = {
        // present, clicks, then open, boxes
        {true, "O", true, 0},    {true, "OO", true, 0}, {true, "OC", false, 0}, {true, "C", false, 0},
        {false, "OO", false, 2}, {false, "C", true, 0}, {false, "OC", true, 1}};
    for (const auto &[present, clicks, open, notDetected] : cases) {
        SCOPED_TRACE(std::string(present ? "present " : "absent ") + clicks);
        test::CockpitHarness h;
        h.setEpicLibrary(std::make_unique<VirtualEpicCard>(present));
        h.outputs().SetupDeviceList();
        for (const char *click = clicks; *click; ++click)
            *click == 'O' ? h.cockpit.btnOpenEpic_Click() : h.cockpit.btnCloseEpic_Click();
        EXPECT_EQ(h.flags().EpicOpen, open);
        EXPECT_EQ(h.platform.boxes(), QStringList(notDetected, u"box Tavrel|Epic Not Detected"_s));
        const Grid &devices = h.controls().grdTavrel[4]; // one row, with no serial number
        ASSERT_EQ(devices.rows(), clicks[0] == 'O' ? 2 : 1);
        EXPECT_EQ(devices.text(devices.rows() - 1, 1), clicks[0] == 'O' ? u"EPIC USB"_s : u"Phidget"_s);
        EXPECT_EQ(devices.text(devices.rows() - 1, 3), clicks[0] == 'O' ? QString() : u"Serial#"_s);
    }
}

// A library file that exports OpenEpic, RPMPHCallRet, SendRPMPH and the light-bit word 1
// pair only: the functions are found by name, and without CloseEpic the close fails, the
// link stays open.
TEST(EpicLibraryFile, FunctionsAreFoundByNameAndAMissingOneFailsAlone)
{
    QLibrary fake(QStringLiteral(TAVREL_FAKE_EFREADER));
    ASSERT_TRUE(fake.load()) << fake.errorString().toStdString();
    const auto made = reinterpret_cast<const char *(*)()>(fake.resolve("FakeEFReaderCalls"));

    qputenv("TAVREL_EPIC_LIBRARY", TAVREL_FAKE_EFREADER);
    test::CockpitHarness h;
    Configuration config;
    config.tables[std::size_t(DeviceSection::EPICAnalogs)] = {{u"10"_s, u"RPM"_s, u"RPM"_s, u"0"_s}, {}};
    h.cockpit.applyConfiguration(config);
    h.flight().RPM = 84.5f;

    h.cockpit.btnOpenEpic_Click();
    h.outputs().SendEpicData();
    h.cockpit.btnCloseEpic_Click();
    qunsetenv("TAVREL_EPIC_LIBRARY");
    EXPECT_TRUE(h.flags().EpicOpen);
    EXPECT_EQ(lines(made()), lines("OpenEpic\t\nRPMPHCallRet\t10\nSendRPMPH\t"));
}

// Every function of the card's library is bound by its name: each call reaches the library
// with its argument, or without one where the function takes none.
TEST(EpicLibraryFile, EveryFunctionOfTheLibraryIsBound)
{
    QString error;
    const auto library = EFReaderLibrary::open(QStringLiteral(TAVREL_FAKE_EFREADER_FULL), &error);
    ASSERT_TRUE(library) << error.toStdString();
    QStringList expected;
    for (int f = 0; f < epic::kFunctionCount; ++f) {
        EXPECT_EQ(library->call(epic::Function(f), 100 + f), 1) << epic::functionName(epic::Function(f)).data();
        expected << epic::functionName(epic::Function(f)) + u'\t'
                        + (epic::takesArgument(epic::Function(f)) ? QString::number(100 + f) : QString());
    }
    QLibrary fake(QStringLiteral(TAVREL_FAKE_EFREADER_FULL));
    ASSERT_TRUE(fake.load());
    EXPECT_EQ(lines(reinterpret_cast<const char *(*)()>(fake.resolve("FakeEFReaderCalls"))()), expected);
}

TEST(EpicLibraryFile, AFileThatDoesNotLoadLeavesTheVirtualCard)
{
    test::CockpitHarness h;
    qputenv("TAVREL_EPIC_LIBRARY", h.platform.dir.filePath(u"none.so"_s).toLocal8Bit());
    EXPECT_EQ(h.epicLibrary().name(), u"virtual card"_s);
    qunsetenv("TAVREL_EPIC_LIBRARY");
}

} // namespace
} // namespace tavrel
