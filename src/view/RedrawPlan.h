#pragma once

#include "ViewState.h"

namespace view {

// What the next paint of a window must redo. A window system merges repaint
// requests, so several redraw levels may meet in one paint: the plan keeps
// the most any of them asked for. Levels 0, 1 and 4 repaint the whole window;
// level 2 in the single-track view only the lines the cursor was and is on
// (a change at the cursor reaches no further, and the layout stays); level 3
// and a cursor move inside its measure only the old and new places of the
// marker or the cursor, painted again as a full paint would paint them.
class RedrawPlan {
public:
    enum class Area { None, PlayMarker, Cursor, CursorLines, Whole };

    // A request at `level`; cursorOnly when only the cursor moved within the
    // measure where it was last painted (meaningful at level 2).
    void request(int level, bool multiTrack, bool cursorOnly = false);
    // Something changed that the levels do not describe: lay out and repaint all.
    void requestLayout();

    bool needsMetrics() const { return metrics_; }
    bool needsLayout() const { return layout_; }
    Area area() const { return area_; }

    // The units and the layout are up to date.
    void laidOut() { metrics_ = layout_ = false; }
    // The window shows the plan's result.
    void painted() { area_ = Area::None; }

private:
    void widen(Area area);

    bool metrics_ = true;
    bool layout_ = true;
    Area area_ = Area::Whole;
};

} // namespace view
