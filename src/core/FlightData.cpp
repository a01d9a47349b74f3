#include "core/FlightData.h"

#include <algorithm>

namespace tavrel {

namespace {
// Field indices sorted by name, built once, so by-name lookups do no allocation.
constexpr std::array<std::uint8_t, kFlightDataFieldCount> sortedByName()
{
    std::array<std::uint8_t, kFlightDataFieldCount> order{};
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint8_t>(i);
    std::sort(order.begin(), order.end(),
              [](std::uint8_t a, std::uint8_t b) { return kFlightDataFields[a].name < kFlightDataFields[b].name; });
    return order;
}
constexpr auto kByName = sortedByName();
} // namespace

const FieldInfo *findFlightDataField(std::string_view name) noexcept
{
    auto it = std::lower_bound(kByName.begin(), kByName.end(), name,
                               [](std::uint8_t i, std::string_view n) { return kFlightDataFields[i].name < n; });
    if (it == kByName.end() || kFlightDataFields[*it].name != name)
        return nullptr;
    return &kFlightDataFields[*it];
}

} // namespace tavrel
