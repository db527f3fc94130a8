#include "RedrawPlan.h"

namespace view {

void RedrawPlan::widen(Area area)
{
    if (area_ == Area::None || area == Area::Whole)
        area_ = area;
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
        widen(cursorOnly ? Area::Cursor : Area::Whole);
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
