// What one update cycle costs at the shortest polling interval (1 ms), data server mode
// and relay mode side by side: the full cockpit on virtual boards, its window shown (on
// the offscreen platform), the polling timer at 1 ms and the event loop running as in the
// program. One iteration is one cycle. "CPU" is the time the cockpit's own thread spent,
// so the relay peer, which runs in a thread of its own, is not counted; CPU divided by
// Time is the share of a core the program takes.
#include "cockpit/Cockpit.h"
#include "phidget/VirtualBoard.h"
#include "sources/SimulatedFlightServer.h"
#include "support/TestPlatform.h"
#include "ui/FrmTavrel.h"

#include "FlightSource.h"
#include "FullCockpit.h"
#include "RelayServer.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <ctime>
#include <memory>

namespace {

using namespace Qt::StringLiterals;

// Both sources serve the simulated flight from this moment on, at the wall clock's pace.
constexpr qint64 kFlightStartMs = 10000;

// A relay peer on 127.0.0.1 in a thread of its own, serving the simulated flight on the
// wall clock as tavrel-relay does, from the same moment of the flight as the data server.
class PeerThread final : public QThread
{
public:
    ~PeerThread() override
    {
        quit();
        wait();
    }
    quint16 start()
    {
        QThread::start();
        ready_.acquire();
        return port_;
    }

protected:
    void run() override
    {
        QElapsedTimer clock;
        clock.start();
        tavrel::relay::SimulatedSource source([&clock] { return kFlightStartMs + clock.elapsed(); });
        tavrel::relay::RelayServer server(source);
        QString error;
        server.listen(QHostAddress::LocalHost, 0, error);
        port_ = server.port();
        ready_.release();
        exec();
    }

private:
    QSemaphore ready_;
    quint16 port_ = 0;
};

// The cycle's last step, counted: one more cycle has run to its end.
class CountingOutputs final : public tavrel::CockpitOutputs
{
public:
    CountingOutputs(tavrel::OutputState state, long long &cycles) : CockpitOutputs(std::move(state)), cycles_(cycles) {}
    void DriveGForceServo() override { ++cycles_; }

private:
    long long &cycles_;
};

enum class Mode { DataServer, Relay, RelayRecover };

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void runCycles(long long &cycles, long long count)
{
    const long long target = cycles + count;
    while (cycles < target)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_PollingAt1ms(benchmark::State &state, Mode mode)
{
    PeerThread peer;
    tavrel::test::TestPlatform platform;
    QByteArray cfg = tavrel::bench::fullConfiguration();
    if (mode == Mode::RelayRecover)
        cfg += "[TCPIP-RECOVER]\r\nTRUE\r\n";
    platform.writeFile(u"Tavrel.cfg"_s, cfg);
    tavrel::Cockpit cockpit(platform, [](QStringView) {
        auto clock = std::make_shared<QElapsedTimer>(); // the simulated flight on the wall clock
        clock->start();
        return std::make_unique<tavrel::SimulatedFlightServer>(
            [clock] { return double(kFlightStartMs + clock->elapsed()) / 1000.0; });
    });
    long long cycles = 0;
    cockpit.setOutputs(std::make_unique<CountingOutputs>(cockpit.outputState(), cycles));
    tavrel::FrmTavrel window(cockpit.controls());
    cockpit.startUp();
    window.show();

    tavrel::bench::plugVirtualBoards(cockpit, false);

    auto &controls = cockpit.controls();
    if (mode != Mode::DataServer) {
        if (!tavrel::bench::connectToPeer(cockpit, peer.start())) {
            state.SkipWithError("the cockpit did not connect");
            return;
        }
    }
    cockpit.livenessTimer().stop();
    cockpit.flags().SimActive = true;
    controls.sldGlimra[tavrel::SldPollingRate].setValue(1);
    runCycles(cycles, 2000); // warm: every page built, every buffer sized, the window painted

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = threadCpuSeconds();
    for (auto _ : state)
        runCycles(cycles, 1);
    state.counters["core_%"] = 100.0 * (threadCpuSeconds() - cpuBefore) / (double(wall.nsecsElapsed()) / 1e9);
}
BENCHMARK_CAPTURE(BM_PollingAt1ms, DataServer, Mode::DataServer)->Unit(benchmark::kMicrosecond)->MinTime(3.0);
BENCHMARK_CAPTURE(BM_PollingAt1ms, Relay, Mode::Relay)->Unit(benchmark::kMicrosecond)->MinTime(3.0);
BENCHMARK_CAPTURE(BM_PollingAt1ms, RelayRecover, Mode::RelayRecover)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

} // namespace

namespace {

// The event loop's own 1 ms precise timer with nothing else to do: how many ticks a second
// it gives on this machine, the ceiling of the cycles a second the program can reach.
void BM_BareTimerAt1ms(benchmark::State &state)
{
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1);
    long long ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    runCycles(ticks, 200);
    for (auto _ : state)
        runCycles(ticks, 1);
}

} // namespace

BENCHMARK(BM_BareTimerAt1ms)->Unit(benchmark::kMicrosecond)->MinTime(3.0);
