// The card's library on Windows: the program finds EFReader.dll by name (the stand-in,
// built beside this program) and the EPIC transfer's calls reach it in order with their
// arguments.
#include "core/Grid.h"
#include "epic/EpicLibrary.h"
#include "epic/EpicLink.h"
#include "epic/EpicTransfer.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <windows.h>

using namespace tavrel;
using namespace Qt::StringLiterals;

TEST(EFReaderDll, IsFoundBesideTheProgramAndGetsTheTransfersCalls)
{
    qunsetenv("TAVREL_EPIC_LIBRARY");

    // Two cycles of the transfer, the card open as the cockpit has it: RPM (whose value
    // store the stand-in lacks, so that call alone is skipped) and light-bit word 1.
    const auto epic = createEpicLibrary();
    bool epicOpen = false;
    ConnectEpic(
        *epic, epicOpen, [] {}, [] {});
    ConfigTable table = {{u"10"_s, u"RPM"_s, u"RPM"_s, u"0"_s}, {u"20"_s, u"Lamps"_s, u"LIGHTBITS"_s, u"0"_s}, {}};
    FlightData data{};
    Grid grid;
    for (const std::int32_t bits : {0x10, -0x7FFFFFFF}) {
        data.LightBits = bits;
        SendEpicData(table, data, epicOpen ? epic.get() : nullptr, grid, false,
                     [] { QCoreApplication::processEvents(); });
    }

    HMODULE loaded = GetModuleHandleW(L"EFReader.dll");
    ASSERT_NE(loaded, nullptr);
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(loaded, path, MAX_PATH);
    EXPECT_EQ(QFileInfo(QString::fromWCharArray(path, int(length))).absolutePath(),
              QCoreApplication::applicationDirPath());
    const auto calls = reinterpret_cast<const char *(*)()>(
        reinterpret_cast<void *>(GetProcAddress(loaded, "FakeEFReaderCalls")));
    ASSERT_NE(calls, nullptr);
    EXPECT_EQ(QString::fromLatin1(calls()).replace(u'\t', u' ').split(u'\n'),
              (u"OpenEpic |RPMPHCallRet 10|SendRPMPH |LBPHCallRet 20|SendLBPH 16|"
               "RPMPHCallRet 10|SendRPMPH |LBPHCallRet 20|SendLBPH -2147483647|"_s.split(u'|')));
}
