// The built-in simulated flight and its data server, at the boundaries the cockpit relies
// on: a loop that repeats, values that move, the server's snapshot, members and failures.
#include "sources/SimulatedFlight.h"
#include "core/Error.h"
#include "sources/SimulatedFlightServer.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tavrel;

TEST(SimulatedFlight, RepeatsMovesAndServesSnapshots)
{
    FlightData a{}, again{}, later{};
    SimulatedFlight().sample(30.0, a), SimulatedFlight().sample(30.0 + 7 * SimulatedFlight::kLoopSeconds, again);
    SimulatedFlight().sample(100.0, later);
    EXPECT_EQ(std::memcmp(&a, &again, sizeof a), 0) << "the flight repeats";
    EXPECT_NE(std::tuple(a.KIAS, a.Pitch, a.TotalFuel), std::tuple(later.KIAS, later.Pitch, later.TotalFuel));

    double clock = 0.0;
    SimulatedFlightServer server([&] { return clock; });
    EXPECT_EQ(server.get("Ostrely"), QVariant(false)) << "the simulator comes up after a moment";
    clock = SimulatedFlightServer::kStartSeconds;
    EXPECT_EQ(server.get("Ostrely"), QVariant(true));
    clock = 42.5;
    server.call("FillFlightData");
    clock = 50.0; // reads give the snapshot, not the flight now
    FlightData expected{};
    SimulatedFlight().sample(42.5, expected);
    EXPECT_EQ(server.get("KIAS"), QVariant(double(expected.KIAS)));
    EXPECT_EQ(server.get("PFLLines"), QVariant(view(expected.PFLLines).toString()));
    EXPECT_THROW(server.get("AdiIlsPos2"), Error) << "a member the server lacks";
    server.call("Close");
    EXPECT_THROW(server.get("Ostrely"), Error) << "closed";
}
