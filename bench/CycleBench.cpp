#include "cockpit/Cockpit.h"
#include "core/EventLoop.h"
#include "epic/VirtualEpicCard.h"
#include "phidget/VirtualBoard.h"
#include "sources/DataServerFill.h"
#include "sources/SimulatedFlightServer.h"
#include "support/LogCapture.h"
#include "support/TestPlatform.h"
#include "ui/FrmTavrel.h"

#include "Allocations.h"
#include "FullCockpit.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>

// Every heap allocation of the benchmark program is counted (see Allocations.h):
// operator new, and (outside sanitizer builds, whose runtime owns the allocator) malloc,
// calloc and realloc too, which Qt's strings and lists use.
namespace tavrel::bench {
std::atomic<long long> allocations{0};
}
using tavrel::bench::allocations;

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *p, std::size_t size);

void *malloc(std::size_t size) noexcept
{
    ++allocations;
    return __libc_malloc(size);
}
void *calloc(std::size_t count, std::size_t size) noexcept
{
    ++allocations;
    return __libc_calloc(count, size);
}
void *realloc(void *p, std::size_t size) noexcept
{
    ++allocations;
    return __libc_realloc(p, size);
}
}
#endif

void *operator new(std::size_t size)
{
#if defined(__SANITIZE_ADDRESS__)
    ++allocations; // elsewhere malloc counts it
#endif
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

// A simulated flight clock that advances one polling interval per read of the snapshot.
struct FlightClock
{
    double seconds = 10.0;
    double operator()() { return seconds += 0.1; }
};

// One whole update cycle in data server mode, headless: fill from the simulated server,
// every step in its place, the three yields to the event loop.
void BM_UpdateCycle_DataServer(benchmark::State &state)
{
    tavrel::test::TestPlatform platform; // an empty Tavrel.cfg: the data server is chosen
    tavrel::Cockpit cockpit(platform,
                            [](QStringView) { return std::make_unique<tavrel::SimulatedFlightServer>(FlightClock{}); });
    cockpit.startUp();
    cockpit.pollingTimer().stop();
    cockpit.livenessTimer().stop();
    cockpit.flags().SimActive = true;
    for (int i = 0; i < 2000; ++i) // warm up over a whole simulated flight: pages built, buffers sized
        cockpit.UpdateCycle();

    const long long before = allocations;
    for (auto _ : state)
        cockpit.UpdateCycle();
    tavrel::bench::reportAllocations(state, before, "allocs/cycle");
}
BENCHMARK(BM_UpdateCycle_DataServer);

// The fill alone: FillFlightData and 77 property reads by name.
void BM_FillFromDataServer(benchmark::State &state)
{
    tavrel::SimulatedFlightServer server(FlightClock{});
    tavrel::FlightData data{};
    for (int i = 0; i < 50; ++i)
        tavrel::fillFromDataServer(server, data);

    const long long before = allocations;
    for (auto _ : state) {
        tavrel::fillFromDataServer(server, data);
        benchmark::DoNotOptimize(data);
    }
    tavrel::bench::reportAllocations(state, before, "allocs/fill");
}
BENCHMARK(BM_FillFromDataServer);

// The output routines with yields that let nothing in.
class NoYieldOutputs final : public tavrel::CockpitOutputs
{
public:
    using CockpitOutputs::CockpitOutputs;
    void yieldToEvents() override {}
};

// The full cockpit on virtual boards and the virtual EPIC card, opened (no journals), over
// the simulated flight, started and warmed up; with `window`, the window is built over it
// (not shown: painting follows the screen, not the cycle), so every grid and label change
// also reaches its view's model.
void fullCockpitCycle(benchmark::State &state, bool window, bool yields = true)
{
    tavrel::test::TestPlatform platform;
    platform.writeFile(QStringLiteral("Tavrel.cfg"), tavrel::bench::fullConfiguration());
    tavrel::Cockpit cockpit(platform,
                            [](QStringView) { return std::make_unique<tavrel::SimulatedFlightServer>(FlightClock{}); });
    std::unique_ptr<tavrel::FrmTavrel> frm;
    if (window)
        frm = std::make_unique<tavrel::FrmTavrel>(cockpit.controls());
    cockpit.startUp();
    if (!yields)
        cockpit.setOutputs(std::make_unique<NoYieldOutputs>(cockpit.outputState()));
    cockpit.pollingTimer().stop();
    cockpit.livenessTimer().stop();
    cockpit.flags().SimActive = true;
    tavrel::bench::plugVirtualBoards(cockpit, true);
    cockpit.flags().ServoPresent = cockpit.flags().MultiServoPresent = true;
    cockpit.setEpicLibrary(std::make_unique<tavrel::VirtualEpicCard>());
    cockpit.btnOpenEpic_Click();
    for (int i = 0; i < 2000; ++i) // warm up over a whole simulated flight: every text at its longest
        cockpit.UpdateCycle();

    const long long before = allocations;
    for (auto _ : state)
        cockpit.UpdateCycle();
    tavrel::bench::reportAllocations(state, before, "allocs/cycle");
}

void BM_UpdateCycle_FullCockpit_Headless(benchmark::State &state)
{
    fullCockpitCycle(state, false);
}
BENCHMARK(BM_UpdateCycle_FullCockpit_Headless);

void BM_UpdateCycle_FullCockpit_Window(benchmark::State &state)
{
    fullCockpitCycle(state, true);
}
BENCHMARK(BM_UpdateCycle_FullCockpit_Window);

// The headless cycle's work alone: its yields return at once, letting nothing in. Not the
// program's behaviour; what the cycle would cost if its yields were free.
void BM_UpdateCycle_FullCockpit_WorkAlone(benchmark::State &state)
{
    fullCockpitCycle(state, false, false);
}
BENCHMARK(BM_UpdateCycle_FullCockpit_WorkAlone);

// One yield with nothing pending: what each of the cycle's forty-odd yields costs at least.
void BM_YieldWithNothingPending(benchmark::State &state)
{
    for (auto _ : state)
        QCoreApplication::processEvents();
}
BENCHMARK(BM_YieldWithNothingPending);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tavrel::preferPlainEventDispatcher(); // as the program does
    QApplication app(argc, argv);
    tavrel::test::leaveOutProgramLog(); // the start-ups' lines would bury the results
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
