#pragma once

#include <functional>

namespace tavrel {

class EpicLibrary;

// "Open Epic": calls OpenEpic; a result of 1 or more opens the link, anything else (a
// failed call included) closes it and `notDetected` shows "Epic Not Detected". Either
// way `listCard` then lists the card among the devices. Every statement runs with errors
// ignored.
void ConnectEpic(EpicLibrary &library, bool &EpicOpen, const std::function<void()> &notDetected,
                 const std::function<void()> &listCard);

// "Close Epic" and shutdown: calls CloseEpic; a result of 1 or more closes the link,
// anything else (a failed call included) leaves or puts it open.
void DisconnectEpic(EpicLibrary &library, bool &EpicOpen);

} // namespace tavrel
