#pragma once

#include <QTest>

namespace tavrel::test {

// How long a test waits for what must come: generous, for a loaded two-core machine. A wait
// whose condition comes true returns at once, so the length costs only a failing test.
constexpr int kPatienceMs = 60000;

// Runs the event loop until `condition` holds or the time is up; whether it holds.
template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs = kPatienceMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

} // namespace tavrel::test
