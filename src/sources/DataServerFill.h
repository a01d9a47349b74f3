#pragma once

#include "core/FlightData.h"

namespace tavrel {

class LateBound;

// Fills the record from the data server: FillFlightData first (the server takes a fresh
// snapshot), then one property read per field, by name. Every statement runs with
// errors ignored: a read that fails or does not convert leaves its field as it was.
// AdiIlsPos2 and FlightDataReserved are not the server's to fill and are never touched.
void fillFromDataServer(LateBound &server, FlightData &data);

} // namespace tavrel
