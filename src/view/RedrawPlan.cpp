#include "RedrawPlan.h"

namespace view {

void RedrawPlan::widen(Area area)
{
    const bool cursorKinds = (area_ == Area::Cursor || area_ == Area::CursorLines) &&
                             (area == Area::Cursor || area == Area::CursorLines);
    if (area_ == Area::None || area == Area::Whole)
        area_ = area;
    else if (area_ == area || area == Area::None)
        return;
    else if (cursorKinds)
        area_ = Area::CursorLines; // the cursor's lines hold its cells
    else if (area_ != area && area != Area::None)
        area_ = Area::Whole; // the marker and the cursor together: no cheap union worth keeping
}

void RedrawPlan::request(int level, bool multiTrack, bool cursorOnly)
{
    switch (effectiveRedrawLevel(level, multiTrack)) {
    case kRedrawAll:
        metrics_ = true;
        layout_ = true;
        widen(Area::Whole);
        break;
    case kRedrawLayout:
    case kRedrawScrollPlaying:
        layout_ = true;
        widen(Area::Whole);
        break;
    case kRedrawContents:
        widen(cursorOnly ? Area::Cursor : (multiTrack ? Area::Whole : Area::CursorLines));
        break;
    case kRedrawPlayMarker:
        widen(Area::PlayMarker);
        break;
    default:
        break;
    }
}

void RedrawPlan::requestLayout()
{
    layout_ = true;
    widen(Area::Whole);
}

} // namespace view
