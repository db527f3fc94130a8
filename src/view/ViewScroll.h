#pragma once

#include "ScoreLayout.h"
#include "ViewState.h"

namespace view {

// Vertical scrolling by whole lines. Each operation moves firstLine and
// scrollPosition together (lastLine follows from the layout), returns
// whether the view moved, and on a move clears cursorMovedInMeasure, sets
// the redraw level (1, or 4 while playing) and, when scrollMovesCursor is set
// and nothing plays, puts the cursor on the first measure of the line that
// came into view. The layout passed is the one the user is looking at.
enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown };

bool scrollBy(ViewState& state, const ScoreLayout& layout, ScrollRequest request);
// The scroll bar's thumb dragged to `position`.
bool scrollToThumb(ViewState& state, const ScoreLayout& layout, int position);
// A wheel turn of `delta` (120 per notch, positive away from the user). The
// cursor stays where it is.
bool scrollByWheel(ViewState& state, const ScoreLayout& layout, int delta);
// Largest thumb position the scroll bar should offer.
int scrollMaximum(const ScoreLayout& layout);

// Brings the line holding a measure on screen for the play cursor: back line
// by line when it lies above the window, forward by pages when below.
bool scrollToShowMeasure(ViewState& state, const ScoreLayout& layout, int measureIndex);

// Brings the cursor track's line of a measure on screen one line at a time,
// the cursor staying where it is (after switching tracks).
bool scrollLinesToShowMeasure(ViewState& state, const ScoreLayout& layout, int measureIndex);

} // namespace view
