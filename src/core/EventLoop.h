#pragma once

namespace tavrel {

// Chooses Qt's own event dispatcher over GLib's, before the application object exists,
// unless QT_NO_GLIB is set already. The cycle yields to pending events some forty times;
// with nothing pending a yield costs about a third of what it costs on GLib's, and every
// event (posted, timer, socket, window system) is delivered just the same.
void preferPlainEventDispatcher();

} // namespace tavrel
