#pragma once

#include "sources/LateBound.h"

#include <QStringView>

#include <memory>

namespace tavrel {

// The ProgID of the data server the program polls.
inline constexpr QStringView kDataServerProgId = u"Ostrel.clsFlightData";

// Creates an object by its ProgID. On Windows the ProgID resolves through COM; on
// platforms without COM, "Ostrel.clsFlightData" resolves to the built-in simulated
// flight server. An unknown ProgID raises Error 429, as COM does.
std::unique_ptr<LateBound> createObject(QStringView progId);

} // namespace tavrel
