#pragma once

// Whether the window system Qt is about to use can be reached. Qt aborts the
// process when it cannot open its display; the program says so in words instead.
class DisplayCheck {
public:
    static bool reachable(int argc, char** argv);
};
