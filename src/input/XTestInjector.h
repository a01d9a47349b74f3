#pragma once

#include "input/KeyInjector.h"

#include <memory>

namespace tavrel {

// Key events as fake key events of the XTEST extension on the X display named by
// DISPLAY, for the simulator under a Windows compatibility layer, which reads the X
// keyboard. Null when there is no display or it lacks the extension.
std::unique_ptr<KeyInjector> openXTestInjector();

} // namespace tavrel
