#pragma once

#include "MeasureSelection.h"
#include "ModelConstants.h"

#include <array>
#include <vector>

namespace view {

// A measure of the score by position: which track, which measure index.
// Held instead of a pointer so that the measure arrays may grow freely.
struct MeasureRef {
    int track = 0;
    int measure = 0;
    constexpr bool operator==(const MeasureRef&) const = default;
};

// How much the next paint must redo. Commands store one; the paint reads it.
// However little Qt repaints, the result must equal a full paint.
enum RedrawLevel : int {
    kRedrawAll = 0,           // metrics, fonts and layout (zoom, resize, new score, background)
    kRedrawLayout = 1,        // line flow may have changed
    kRedrawContents = 2,      // only measures, beats and marks changed
    kRedrawPlayMarker = 3,    // only the play-position marker moved
    kRedrawScrollPlaying = 4, // scrolled during playback: layout, then the marker
};

// True when a paint at this level must recompute the device units.
constexpr bool redrawNeedsMetrics(int level)
{
    return level <= kRedrawAll || level >= 5;
}
// True when a paint at this level must lay the lines out again.
constexpr bool redrawNeedsLayout(int level)
{
    return level <= kRedrawLayout || level == kRedrawScrollPlaying || level >= 5;
}

// The level a paint really works at: unknown levels (5 and up) redo
// everything, and the multi-track view lays out again even for contents.
constexpr int effectiveRedrawLevel(int level, bool multiTrack)
{
    if (level < kRedrawAll || level > kRedrawScrollPlaying)
        return kRedrawAll;
    if (multiTrack && level == kRedrawContents)
        return kRedrawLayout;
    return level;
}

// Everything about the score view that is not the score itself: the cursor,
// the view settings, the scroll position and the drawing flags.
struct ViewState {
    // ---- cursor ----
    int cursorTrack = 0;
    MeasureRef cursorMeasure;
    int cursorMeasureIndex = 0;
    int cursorBeat = 0;
    int cursorString = 3;
    MeasureSelection selection;

    // ---- settings ----
    int zoomPercent = 100;
    int backgroundIndex = 4;
    bool multiTrackView = false;
    std::array<bool, model::kMaxTracks> shownTracks{true};
    bool scrollDuringPlayback = true;

    // ---- drawing ----
    int redrawLevel = kRedrawAll;
    bool isPlaying = false;
    bool fontsDirty = true;
    bool cursorMovedInMeasure = false;
    bool scrollMovesCursor = true;

    // ---- vertical scrolling, in lines ----
    int firstLine = 0;
    int scrollPosition = 0;

    static constexpr int kMinZoom = 30;
    static constexpr int kZoomStep = 10;
    static constexpr int kBackgroundCount = 5;

    void zoomIn();
    // Refused silently at the floor.
    void zoomOut();
    // Out-of-range indexes are ignored.
    void chooseBackground(int index);
    // Zoom and background as saved by a previous run ("Zoom", "Back");
    // values this program would never have saved leave the current ones.
    void restoreSettings(int savedZoom, int savedBackground);

    // Indices of the shown tracks that exist in a score of trackCount tracks.
    std::vector<int> shownTrackList(int trackCount) const;
    // The multi-track view needs more than one shown track.
    bool showsMultiTrack(int trackCount) const;

    // Back to the start of a score just opened or created: single-track
    // view of track 0, cursor on its first measure, top of the score.
    void resetForNewScore();
};

} // namespace view
