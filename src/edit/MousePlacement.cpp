#include "MousePlacement.h"

#include <cstdlib>

namespace edit {

namespace {

// The line a click at height y belongs to: the staff it lies on or nearest
// to, a click between two staves going to the upper one when it lies less
// than half the gap below it.
const view::LineRecord* lineAt(const std::vector<view::LineRecord>& lines, int y)
{
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (k + 1 == lines.size())
            return &lines[k];
        const int bottom = lines[k].bottom();
        const int nextTop = lines[k + 1].top;
        if (y <= bottom + (nextTop - bottom) / 2)
            return &lines[k];
    }
    return nullptr;
}

int nearestString(const view::LineRecord& line, int y)
{
    int best = 0;
    for (int i = 1; i < line.stringCount; ++i)
        if (std::abs(line.stringY[static_cast<std::size_t>(i)] - y) <
            std::abs(line.stringY[static_cast<std::size_t>(best)] - y))
            best = i;
    return best;
}

int lastBeatX(const view::MeasureSlot& slot)
{
    return slot.beatX.empty() ? slot.firstBeatX : slot.beatX.back();
}

} // namespace

EditOutcome MousePlacement::place(int x, int y, const view::ScoreLayout& layout, std::int64_t nowMs)
{
    EditOutcome out;
    if (nowMs - loadTime_ < kLoadGuardMs)
        return out;
    const view::LineRecord* line = lineAt(layout.lineRecords(), y);
    if (!line || line->measureSlots.empty())
        return out;
    const int string = nearestString(*line, y);

    const auto& slots = line->measureSlots;
    std::size_t s = 0;
    const double reach = 4 * layout.units().twoThirdsU;
    while (s + 1 < slots.size() && x > lastBeatX(slots[s]) + reach)
        ++s;
    const view::MeasureSlot& slot = slots[s];
    int beat = 0;
    for (int b = 1; b < static_cast<int>(slot.beatX.size()); ++b)
        if (std::abs(slot.beatX[static_cast<std::size_t>(b)] - x) <
            std::abs(slot.beatX[static_cast<std::size_t>(beat)] - x))
            beat = b;

    // The layout may be older than the score: take only a measure that
    // still exists and carries the tag of a live measure.
    const CMesure* measure = view::measureAt(doc_, slot.track, slot.measure);
    if (!measure || slot.measure >= doc_.measureCount || slot.track >= doc_.trackCount ||
        measure->aux != model::kMeasureAux)
        return out;

    const view::MeasureRef target{slot.track, slot.measure};
    const bool sameMeasure = target == state_.cursorMeasure;
    const bool changed = !sameMeasure || beat != state_.cursorBeat || string != state_.cursorString;
    state_.cursorBeat = beat;
    state_.cursorMeasure = target;
    state_.cursorString = string;
    // A click on another track's staff (multi-track view) makes that track
    // the one the keys go on editing.
    state_.cursorTrack = slot.track;
    if (!changed)
        return out;
    out.repaint = true;
    out.cursorMoved = true;
    out.drumPalette = view::instrumentOfMeasure(doc_, *measure) == model::kDrums;
    if (state_.isPlaying) {
        state_.redrawLevel = view::kRedrawScrollPlaying;
        out.erase = true;
    } else if (out.drumPalette) {
        state_.redrawLevel = view::kRedrawLayout;
    } else {
        state_.cursorMovedInMeasure = sameMeasure;
        state_.redrawLevel = view::kRedrawContents;
    }
    return out;
}

} // namespace edit
