// The vendor libraries on Windows: the program finds EFReader.dll and phidget21.dll by
// name (stand-ins built beside this program), the EPIC transfer's calls reach the card's
// library in order with their arguments, and the boards the board library reports attach
// and take outputs. One line per failed check; exit code 1 on any.
#include "core/Error.h"
#include "core/Grid.h"
#include "epic/EpicLibrary.h"
#include "epic/EpicLink.h"
#include "epic/EpicTransfer.h"
#include "phidget/PhidgetLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <windows.h>

#include <cstdio>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

// A test hand of a stand-in the program has loaded, and the folder it was loaded from.
template <typename Function>
Function hand(const wchar_t *module, const char *name, QString *folder)
{
    HMODULE handle = GetModuleHandleW(module);
    if (!handle)
        return nullptr;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(handle, path, MAX_PATH);
    *folder = QFileInfo(QString::fromWCharArray(path, int(length))).absolutePath();
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(handle, name)));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qunsetenv("TAVREL_EPIC_LIBRARY");
    const QString ownFolder = QCoreApplication::applicationDirPath();

    // Two cycles of the transfer, the card open as the cockpit has it: RPM (whose value
    // store the stand-in lacks, so that call alone is skipped) and light-bit word 1.
    QString epicFolder, boardFolder;
    const auto epic = createEpicLibrary();
    const auto calls = hand<const char *(*)()>(L"EFReader.dll", "FakeEFReaderCalls", &epicFolder);
    bool epicOpen = false;
    ConnectEpic(*epic, epicOpen, [] {}, [] {});
    ConfigTable table = {{u"10"_s, u"RPM"_s, u"RPM"_s, u"0"_s}, {u"20"_s, u"Lamps"_s, u"LIGHTBITS"_s, u"0"_s}, {}};
    FlightData data{};
    Grid grid;
    for (const std::int32_t bits : {0x10, -0x7FFFFFFF}) {
        data.LightBits = bits;
        SendEpicData(table, data, epicOpen ? epic.get() : nullptr, grid, false, [] { QCoreApplication::processEvents(); });
    }

    // Boards plugged in once the manager is open arrive from the library's own threads.
    const auto manager = createPhidgetManager();
    QStringList attached;
    QObject::connect(manager.get(), &PhidgetManager::OnAttach, [&](const Board &board) {
        attached << u"%1 %2"_s.arg(board->deviceType()).arg(board->serialNumber());
        attempt([&] { board->deviceType() == u"PhidgetLED"_s ? board->setDiscreteLED(5, 100)
                                                             : board->setOutputState(3, true); });
    });
    const auto plug = hand<void (*)(const char *, int, int, int)>(L"phidget21.dll", "fakephidget21_plug", &boardFolder);
    const auto journal = hand<const char *(*)()>(L"phidget21.dll", "fakephidget21_journal", &boardFolder);
    if (plug) {
        plug("PhidgetLED", 1001, 100, 64);
        plug("PhidgetInterfaceKit", 2001, 825, 16);
    }
    for (int i = 0; i < 2000 && attached.size() < 2; ++i, Sleep(10))
        QCoreApplication::processEvents();

    const auto flat = [](const char *text) { return QString::fromLatin1(text).replace(u'\t', u' ').replace(u'\n', u'|'); };
    const struct
    {
        const char *what;
        QString got, want;
    } checks[] = {
        {"EFReader.dll loaded from this program's folder", epicFolder, ownFolder},
        {"phidget21.dll loaded from this program's folder", boardFolder, ownFolder},
        {"the card's calls", flat(calls ? calls() : ""),
         u"OpenEpic |RPMPHCallRet 10|SendRPMPH |LBPHCallRet 20|SendLBPH 16|"
         "RPMPHCallRet 10|SendRPMPH |LBPHCallRet 20|SendLBPH -2147483647|"_s},
        {"boards attached", attached.join(u", "), u"PhidgetLED 1001, PhidgetInterfaceKit 2001"_s},
        {"the boards' outputs", flat(journal ? journal() : ""), u"1001 DiscreteLED 5 100|2001 OutputState 3 1|"_s},
    };
    int failed = 0;
    for (const auto &check : checks)
        if (check.got != check.want && ++failed)
            std::printf("vendor check: %s: got \"%s\", want \"%s\"\n", check.what, qPrintable(check.got),
                        qPrintable(check.want));
    std::printf("vendor check: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
