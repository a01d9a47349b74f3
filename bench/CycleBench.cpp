#include "cockpit/Cockpit.h"
#include "sources/DataServerFill.h"
#include "sources/SimulatedFlightServer.h"
#include "support/TestPlatform.h"

#include "Allocations.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <atomic>
#include <cstdlib>
#include <new>

// Counts every heap allocation of the benchmark program (see Allocations.h).
namespace tavrel::bench {
std::atomic<long long> allocations{0};
}
using tavrel::bench::allocations;

void *operator new(std::size_t size)
{
    ++allocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

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
    tavrel::Cockpit cockpit(platform, [](QStringView) {
        return std::make_unique<tavrel::SimulatedFlightServer>(FlightClock{});
    });
    cockpit.startUp();
    cockpit.pollingTimer().stop();
    cockpit.livenessTimer().stop();
    cockpit.flags().SimActive = true;
    for (int i = 0; i < 50; ++i) // warm up: pages built, buffers sized
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
