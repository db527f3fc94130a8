#pragma once

#include "ChangeSet.h"

#include <optional>

namespace edit {

// What the window must do after an editing action. The redraw level itself
// is stored in the view state, where the paint reads it.
struct EditOutcome {
    bool repaint = false;      // repaint at the stored redraw level
    bool erase = false;        // erase before painting (scrolled during playback)
    bool scoreChanged = false; // the score was changed: lay out again before the next key
    bool cursorMoved = false;  // the cursor or the scroll position changed
    // The cursor measure is a drum measure: the percussion palette follows
    // the cursor (it repaints the view itself once it exists).
    bool drumPalette = false;
    // What the score change touched, when the action changed the score.
    std::optional<ChangeSet> change;
    // Undo and redo: the cursor jumped to where the step happened; the
    // window brings it into view once the score is laid out again.
    bool showCursor = false;
};

} // namespace edit
