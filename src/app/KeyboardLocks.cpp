#include "KeyboardLocks.h"

#ifdef FRETLARK_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

std::optional<LockStates> KeyboardLocks::query(void* x11Display)
{
#ifdef FRETLARK_HAVE_X11
    auto* display = static_cast<Display*>(x11Display);
    if (!display)
        return std::nullopt;
    auto lit = [display](const char* name) {
        Bool on = False;
        const Atom atom = XInternAtom(display, name, True);
        if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
            return false;
        return on == True;
    };
    LockStates s;
    s.caps = lit("Caps Lock");
    s.num = lit("Num Lock");
    s.scroll = lit("Scroll Lock");
    return s;
#else
    (void)x11Display;
    return std::nullopt;
#endif
}
