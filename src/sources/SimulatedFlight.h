#pragma once

#include "core/FlightData.h"

namespace tavrel {

// A scripted, repeating flight that exercises every value the cockpit outputs read:
// taxi, take-off, gear cycling, climb, turns, speed brake, fuel burning, countermeasures
// counting down, TACAN channels, light-bit words changing, DED and PFL pages with invert
// marks. Pure: the same time gives the same record.
class SimulatedFlight
{
public:
    // Length of one round of the script in seconds; the flight repeats after it.
    static constexpr double kLoopSeconds = 180.0;

    // Fills every field but AdiIlsPos2 and FlightDataReserved for `seconds` since the
    // flight began. Writes no heap memory, so a polling cycle never allocates.
    void sample(double seconds, FlightData &out) const;
};

} // namespace tavrel
