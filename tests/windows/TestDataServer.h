#pragma once

// What the test data server and its check program agree on.
namespace tavrel::test {

// Each FillFlightData moves the server's flight on by this much: the n-th call of an
// object samples the simulated flight at n steps.
inline constexpr double kSecondsPerFill = 0.1;

} // namespace tavrel::test
