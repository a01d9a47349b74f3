// The vendor libraries on Windows: the program finds EFReader.dll by name (a stand-in
// built beside this program) and the EPIC transfer's calls reach it in order with their
// arguments. One line per failed check; exit code 1 on any.
#include "core/Grid.h"
#include "epic/EpicLibrary.h"
#include "epic/EpicLink.h"
#include "epic/EpicTransfer.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <windows.h>

#include <cstdio>
#include <tuple>

using namespace tavrel;
using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
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

    // The library the program loaded, and what it was called with.
    HMODULE loaded = GetModuleHandleW(L"EFReader.dll");
    wchar_t path[MAX_PATH];
    const DWORD length = loaded ? GetModuleFileNameW(loaded, path, MAX_PATH) : 0;
    const auto calls = loaded ? reinterpret_cast<const char *(*)()>(
                           reinterpret_cast<void *>(GetProcAddress(loaded, "FakeEFReaderCalls")))
                              : nullptr;
    // What is checked, what it got and what it wants.
    const std::tuple<const char *, QString, QString> checks[] = {
        {"EFReader.dll loaded from this program's folder",
         QFileInfo(QString::fromWCharArray(path, int(length))).absolutePath(), QCoreApplication::applicationDirPath()},
        {"the card's calls", QString::fromLatin1(calls ? calls() : "").replace(u'\t', u' ').replace(u'\n', u'|'),
         u"OpenEpic |RPMPHCallRet 10|SendRPMPH |LBPHCallRet 20|SendLBPH 16|"
         "RPMPHCallRet 10|SendRPMPH |LBPHCallRet 20|SendLBPH -2147483647|"_s},
    };
    int failed = 0;
    for (const auto &[what, got, want] : checks)
        if (got != want && ++failed)
            std::printf("vendor check: %s: got \"%s\", want \"%s\"\n", what, qPrintable(got), qPrintable(want));
    std::printf("vendor check: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
