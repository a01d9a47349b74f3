#include "cockpit/Cockpit.h"
#include "core/Convert.h"
#include "sources/RelayWire.h"
#include "sources/SimulatedFlight.h"
#include "sources/SimulatedFlightServer.h"
#include "support/TestPlatform.h"

#include "Allocations.h"
#include "FullCockpit.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

tavrel::FlightData flightAt(double seconds)
{
    tavrel::FlightData data{};
    tavrel::SimulatedFlight().sample(seconds, data);
    return data;
}

// One full record as the receiver gets it: 84 fields, four text blocks of 130
// characters, a turn with chaff and flares counting down. Decoded from Windows-1252 and
// parsed into the staging record, as each arrival is.
void BM_ParseRelayRecord(benchmark::State &state)
{
    const QByteArray bytes = tavrel::relay::formatRecord(flightAt(75.0), true);
    QString text;
    tavrel::FlightData staging{};
    tavrel::convert::decodeWindows1252(bytes, text); // warm: the text has its room
    const long long before = tavrel::bench::allocations;
    for (auto _ : state) {
        tavrel::convert::decodeWindows1252(bytes, text);
        benchmark::DoNotOptimize(tavrel::relay::readRecord(text, staging));
        benchmark::ClobberMemory();
    }
    tavrel::bench::reportAllocations(state, before);
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["record bytes"] = double(bytes.size());
}
BENCHMARK(BM_ParseRelayRecord);

double percentile(std::vector<double> &values, double p)
{
    const auto at = values.begin() + std::ptrdiff_t(p * double(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// From "Y" sent on the cockpit's socket to FlightData replaced by the answer: a real
// cockpit in relay mode, connected over 127.0.0.1 to a QTcpServer peer that answers each
// "Y" with the next of two records. Peer and cockpit share the event loop, as on a
// machine where the relay runs beside the program. Every round trip is timed on its own;
// the counters give the median and the 99th percentile.
void BM_RelayRoundTrip(benchmark::State &state)
{
    const std::array<QByteArray, 2> records = {tavrel::relay::formatRecord(flightAt(75.0), true),
                                               tavrel::relay::formatRecord(flightAt(76.0), true)};
    // The two records tell apart by position, so a round trip ends only on the new one.
    const std::array<float, 2> north = {flightAt(75.0).ShipNorth, flightAt(76.0).ShipNorth};
    if (north[0] == north[1]) {
        state.SkipWithError("the two records do not differ");
        return;
    }

    QTcpServer peer;
    if (!peer.listen(QHostAddress::LocalHost, 0)) {
        state.SkipWithError("cannot listen on 127.0.0.1");
        return;
    }
    std::size_t served = 0;
    QObject::connect(&peer, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = peer.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [&, socket] {
            for (const char request : socket->readAll())
                if (request == tavrel::relay::kRecordRequest)
                    socket->write(records[served++ % records.size()]);
        });
    });

    tavrel::test::TestPlatform platform;
    tavrel::Cockpit cockpit(
        platform, [](QStringView) { return std::make_unique<tavrel::SimulatedFlightServer>([] { return 0.0; }); });
    cockpit.startUp();
    int arrivals = 0; // connected after the cockpit's receiver, so it runs once that has
    QObject::connect(&cockpit.relay().socket(), &tavrel::WinsockClient::dataArrival, [&] { ++arrivals; });
    if (!tavrel::bench::connectToPeer(cockpit, peer.serverPort())) {
        state.SkipWithError("the cockpit did not connect");
        return;
    }
    cockpit.pollingTimer().stop();
    cockpit.livenessTimer().stop();
    cockpit.flags().SimActive = true;

    std::vector<double> roundTrips;
    roundTrips.reserve(std::size_t(state.max_iterations));
    QElapsedTimer clock;
    for (auto _ : state) {
        const int before = arrivals;
        const float expected = north[served % north.size()];
        clock.start();
        cockpit.relay().socket().sendData(u"Y");
        while (arrivals == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        roundTrips.push_back(seconds * 1e6);
        if (cockpit.flightData().ShipNorth != expected) {
            state.SkipWithError("the record did not arrive whole");
            break;
        }
    }
    if (!roundTrips.empty()) {
        state.counters["median_us"] = percentile(roundTrips, 0.50);
        state.counters["p99_us"] = percentile(roundTrips, 0.99);
    }
}
BENCHMARK(BM_RelayRoundTrip)->UseManualTime()->Iterations(20000)->Unit(benchmark::kMicrosecond);

} // namespace
