// A small X client for the end-to-end tests: one window titled "tavrel key logger" on the
// display named by its argument, which writes every key event it receives to standard
// output, one line each: "press 44", "release 44" (X key codes).
#include <X11/Xlib.h>

#include <cstdio>

int main(int argc, char **argv)
{
    Display *display = XOpenDisplay(argc > 1 ? argv[1] : nullptr);
    if (!display)
        return 2;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    XStoreName(display, window, "tavrel key logger");
    XSelectInput(display, window, KeyPressMask | KeyReleaseMask);
    XMapWindow(display, window);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == KeyPress || event.type == KeyRelease)
            std::printf("%s %u\n", event.type == KeyPress ? "press" : "release", event.xkey.keycode);
        std::fflush(stdout);
    }
}
