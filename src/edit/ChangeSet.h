#pragma once

#include <cstdint>

namespace edit {

// Where the cursor stood before or after a step.
struct CursorPlace {
    int track = 0;
    int measure = 0; // index in the track
    int beat = 0;
    int string = 0;
    int measureIndex = 0;
    bool operator==(const CursorPlace&) const = default;
};

// What a step or its undo changed, for the window to repaint from.
struct ChangeSet {
    std::uint16_t tracks = 0;
    int firstMeasure = 0;
    int lastMeasure = -1;    // -1: to the end of the score
    bool layout = true;      // measures moved or changed length: lay out again
    bool settings = false;   // score or track settings changed (names, instruments, tracks)
    int redrawLevel = 1;     // what the change asked the view to repaint (the view's levels 0..2)
    CursorPlace cursorBefore;
    CursorPlace cursorAfter;
};

} // namespace edit
