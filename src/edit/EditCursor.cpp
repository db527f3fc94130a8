#include "EditCursor.h"

#include "ScoreLayout.h"

#include <algorithm>

namespace edit {

namespace {
int trackSize(const CTabDoc& doc, int track)
{
    if (track < 0 || track >= model::kMaxTracks)
        return 0;
    return doc.tracks[static_cast<std::size_t>(track)].GetSize();
}
} // namespace

void ensureMeasureExists(CTabDoc& doc, int track, int measure)
{
    auto& measures = doc.tracks[static_cast<std::size_t>(track)];
    if (measures.GetSize() <= measure)
        measures.SetSize(measure + 1);
}

bool EditCursor::valid() const
{
    const view::MeasureRef& m = state_.cursorMeasure;
    return m.track >= 0 && m.track < std::clamp(doc_.trackCount, 0, model::kMaxTracks) && m.measure >= 0 &&
           m.measure < std::min(doc_.measureCount, trackSize(doc_, m.track));
}

bool EditCursor::settle()
{
    const int tracks = std::clamp(doc_.trackCount, 0, model::kMaxTracks);
    if (tracks == 0)
        return false;
    state_.cursorTrack = std::clamp(state_.cursorTrack, 0, tracks - 1);
    if (!valid()) {
        const int track = state_.cursorTrack;
        const int last = std::min(doc_.measureCount, trackSize(doc_, track)) - 1;
        if (last < 0)
            return false;
        state_.cursorMeasure = {track, std::clamp(state_.cursorMeasure.measure, 0, last)};
        state_.cursorBeat = 0;
    }
    state_.cursorString = std::clamp(state_.cursorString, 0, stringCount() - 1);
    if (state_.cursorBeat < 0)
        state_.cursorBeat = 0;
    return true;
}

CMesure& EditCursor::measure()
{
    return doc_.tracks[static_cast<std::size_t>(state_.cursorMeasure.track)][state_.cursorMeasure.measure];
}

const CMesure& EditCursor::measure() const
{
    return doc_.tracks[static_cast<std::size_t>(state_.cursorMeasure.track)][state_.cursorMeasure.measure];
}

void EditCursor::normaliseBeat()
{
    if (state_.cursorBeat < 0 || state_.cursorBeat >= view::beatsInUse(measure()))
        state_.cursorBeat = 0;
}

CAccord& EditCursor::beat()
{
    CMesure& m = measure();
    normaliseBeat();
    if (view::beatsInUse(m) == 0) {
        // A measure without beats gets one to take what is typed.
        if (m.beats.GetSize() == 0)
            m.beats.SetSize(1);
        m.beatCount = 1;
        state_.cursorBeat = 0;
    }
    return m.beats[state_.cursorBeat];
}

CNote& EditCursor::note()
{
    return beat().notes[noteIndex()];
}

const CAccord* EditCursor::shownBeat() const
{
    if (!valid())
        return nullptr;
    const CMesure& m = measure();
    const int count = view::beatsInUse(m);
    if (count == 0)
        return nullptr;
    const int b = state_.cursorBeat >= 0 && state_.cursorBeat < count ? state_.cursorBeat : 0;
    return &m.beats[b];
}

const CNote* EditCursor::shownNote() const
{
    const CAccord* b = shownBeat();
    return b ? &b->notes[noteIndex()] : nullptr;
}

int EditCursor::instrument() const
{
    if (!valid())
        return model::kFolkGuitar;
    return view::instrumentOfMeasure(doc_, measure());
}

int EditCursor::stringCount() const
{
    return view::stringCountOfInstrument(instrument());
}

int EditCursor::noteIndex() const
{
    const int strings = stringCount();
    return std::clamp(state_.cursorString, 0, strings - 1) + model::kStrings - strings;
}

} // namespace edit
