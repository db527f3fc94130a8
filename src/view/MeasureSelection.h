#pragma once

#include "ViewUnits.h"

#include <vector>

namespace view {

class ScoreLayout;

// A range of whole measures picked with Shift+Left/Right or Shift+click, to
// loop or export. Not part of the score: no undo step, not saved.
class MeasureSelection {
public:
    bool empty() const { return anchor_ < 0; }
    int first() const { return anchor_ < end_ ? anchor_ : end_; }
    int last() const { return anchor_ < end_ ? end_ : anchor_; }
    // The end that moves (where the cursor goes).
    int movingEnd() const { return end_; }
    bool contains(int measure) const { return !empty() && measure >= first() && measure <= last(); }

    void clear() { anchor_ = end_ = -1; }
    // Shift+Left/Right: the first press takes the cursor's measure, each
    // further press moves the far end one measure (a range never gets empty).
    void step(int cursorMeasure, int direction, int measureCount);
    // Shift+click: from the anchor (the cursor's measure when nothing is
    // selected yet) to the clicked measure.
    void extendTo(int cursorMeasure, int measure, int measureCount);
    // The score lost measures: the range shrinks with it.
    void clampTo(int measureCount);

private:
    int anchor_ = -1;
    int end_ = -1;
};

// Where the selected measures are on screen, one rectangle per measure slot
// of the shown lines (every staff of the multi-track view).
std::vector<Rect> selectionRects(const ScoreLayout& layout, const MeasureSelection& selection);
// The measure whose area (as selectionRects draws it) holds the point, or -1.
int measureAtPoint(const ScoreLayout& layout, int x, int y);

} // namespace view
