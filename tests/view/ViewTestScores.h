#pragma once

#include "BeatBuilders.h"

#include "CTabDoc.h"
#include "RecordingCanvas.h"
#include "ScoreLayout.h"
#include "ScorePainter.h"
#include "ViewState.h"

#include <initializer_list>
#include <utility>
#include <vector>

// Small scores and a view around them for layout and drawing tests.
namespace vt {

using builders::beat;
using builders::rest;

// A score of `tracks` tracks and `measures` 4/4 measures; track t plays
// instruments[t] (folk guitar when not given). Every measure starts with
// no beats; fill them with setBeats.
void score(CTabDoc& doc, int tracks, int measures, std::vector<int> instruments = {});
CMesure& setBeats(CTabDoc& doc, int track, int measure, const std::vector<CAccord>& beats);
// Four quarter notes with a fret on the top string.
std::vector<CAccord> fourQuarters();

// A view of a score on a recording canvas: client size, view state, layout.
struct View {
    CTabDoc doc;
    view::ViewState state;
    RecordingCanvas canvas;
    view::DeviceMetrics device;

    View();
    view::ScoreLayout layout() const;
    // Paints into a fresh recording and returns it.
    RecordingCanvas paint();
    // The slot of a measure on the shown lines of a track.
    static const view::MeasureSlot* slotOf(const view::ScoreLayout& l, int measure, int track = 0);
};

} // namespace vt
