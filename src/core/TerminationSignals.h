#pragma once

#include <QObject>

#include <functional>

namespace tavrel {

// Runs `handler` on the event loop when the process gets SIGTERM or SIGINT (the session
// ending, Ctrl+C in a terminal), so the program ends through its own way out. The signal
// handler only writes a byte to a socket pair; the loop picks it up. Does nothing where
// there are no such signals.
void onTerminationSignal(QObject *context, std::function<void()> handler);

} // namespace tavrel
