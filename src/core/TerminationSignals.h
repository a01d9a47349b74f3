#pragma once

#include <QObject>

#include <functional>

namespace tavrel {

// Runs `handler` on the event loop when the process is told to end: SIGTERM or SIGINT
// (the session ending, Ctrl+C in a terminal), or on Windows the console's Ctrl+C,
// Ctrl+Break, closing, logoff and shutdown events, so the program ends through its own
// way out. The signal handler only writes a byte to a socket pair that the loop picks
// up; a console event is posted to the loop, and a closing console waits for the handler
// to have run before the system ends the process. Does nothing elsewhere.
void onTerminationSignal(QObject *context, std::function<void()> handler);

} // namespace tavrel
