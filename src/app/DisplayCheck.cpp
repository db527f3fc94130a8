#include "DisplayCheck.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#ifdef FRETLARK_HAVE_X11
#include <X11/Xlib.h>
#endif

bool DisplayCheck::reachable(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0)
            return true; // the user chose; let Qt answer
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0)
        return true; // offscreen, wayland, vnc...: not ours to judge
    if (!platform || !*platform) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if (wayland && *wayland)
            return true;
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;
#ifdef FRETLARK_HAVE_X11
    // A busy server may refuse a connection for a moment: ask a few times
    // before saying there is no screen.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (Display* d = XOpenDisplay(nullptr)) {
            XCloseDisplay(d);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
#else
    return true;
#endif
}
