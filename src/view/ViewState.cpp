#include "ViewState.h"

namespace view {

void ViewState::zoomIn()
{
    zoomPercent += kZoomStep;
    cursorMovedInMeasure = false;
    fontsDirty = true;
    redrawLevel = kRedrawAll;
}

void ViewState::zoomOut()
{
    if (zoomPercent > kMinZoom)
        zoomPercent -= kZoomStep;
    cursorMovedInMeasure = false;
    fontsDirty = true;
    redrawLevel = kRedrawAll;
}

void ViewState::chooseBackground(int index)
{
    if (index < 0 || index >= kBackgroundCount)
        return;
    backgroundIndex = index;
    redrawLevel = kRedrawAll;
}

void ViewState::restoreSettings(int savedZoom, int savedBackground)
{
    // Zoom has no upper limit in the commands, but a value that would make
    // fonts of thousands of pixels is a damaged setting, not a choice.
    if (savedZoom >= kMinZoom && savedZoom <= 2000 && savedZoom % kZoomStep == 0)
        zoomPercent = savedZoom;
    if (savedBackground >= 0 && savedBackground < kBackgroundCount)
        backgroundIndex = savedBackground;
}

std::vector<int> ViewState::shownTrackList(int trackCount) const
{
    std::vector<int> list;
    for (int t = 0; t < trackCount && t < model::kMaxTracks; ++t)
        if (shownTracks[static_cast<std::size_t>(t)])
            list.push_back(t);
    return list;
}

bool ViewState::showsMultiTrack(int trackCount) const
{
    return multiTrackView && shownTrackList(trackCount).size() > 1;
}

void ViewState::resetForNewScore()
{
    multiTrackView = false;
    shownTracks.fill(false);
    shownTracks[0] = true;
    cursorTrack = 0;
    cursorMeasure = {0, 0};
    cursorMeasureIndex = 0;
    cursorBeat = 0;
    selection.clear();
    firstLine = 0;
    scrollPosition = 0;
    cursorMovedInMeasure = false;
    redrawLevel = kRedrawAll;
}

} // namespace view
