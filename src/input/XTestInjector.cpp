#include "input/XTestInjector.h"

#include "input/ScanCodes.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace tavrel {

namespace {

// A connection of its own to the display: the window's toolkit keeps its own.
class XTestInjector final : public KeyInjector
{
public:
    XTestInjector(Display *display, int minKeyCode, int maxKeyCode)
        : display_(display)
        , minKeyCode_(minKeyCode)
        , maxKeyCode_(maxKeyCode)
    {
    }
    ~XTestInjector() override { XCloseDisplay(display_); }
    XTestInjector(const XTestInjector &) = delete;
    XTestInjector &operator=(const XTestInjector &) = delete;

    // Each record becomes one fake key event, in the order given. A scan code with no
    // key, or one outside the display's key codes (which the server would refuse with
    // an error), is skipped and not counted.
    int send(std::span<const KeyRecord> records) override
    {
        int accepted = 0;
        for (const KeyRecord &record : records) {
            const int code = record.scanCode <= 0xFF ? scancodes::xKeyCode(std::uint8_t(record.scanCode)) : 0;
            if (code == 0 || code < minKeyCode_ || code > maxKeyCode_)
                continue;
            const bool down = (record.flags & kKeyUp) == 0;
            if (XTestFakeKeyEvent(display_, unsigned(code), down ? True : False, CurrentTime))
                ++accepted;
        }
        XFlush(display_);
        return accepted;
    }

private:
    Display *display_;
    int minKeyCode_;
    int maxKeyCode_;
};

} // namespace

std::unique_ptr<KeyInjector> openXTestInjector()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    int minKeyCode = 0, maxKeyCode = 0;
    XDisplayKeycodes(display, &minKeyCode, &maxKeyCode);
    return std::make_unique<XTestInjector>(display, minKeyCode, maxKeyCode);
}

} // namespace tavrel
