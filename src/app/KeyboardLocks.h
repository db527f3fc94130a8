#pragma once

#include <optional>

struct LockStates {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// Reads the lock keys' lights from the X server (kept apart from Qt's headers,
// which do not mix with Xlib's macros).
class KeyboardLocks {
public:
    // Nothing when there is no X display to ask.
    static std::optional<LockStates> query(void* x11Display);
};
