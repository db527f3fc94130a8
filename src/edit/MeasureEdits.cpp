#include "MeasureEdits.h"

#include "EditCursor.h"

#include <algorithm>

namespace edit {

void renumber(CArray<CMesure>& measures, int from)
{
    for (int m = std::max(from, 0); m < measures.GetSize(); ++m)
        measures[m].index = m;
}

std::vector<CAccord> restPattern(int numerator, int denominator)
{
    std::vector<CAccord> rests;
    if (numerator <= 0 || denominator <= 0)
        return rests;
    const int length = numerator * 64 / denominator;
    auto add = [&](int code) {
        CAccord rest;
        rest.durationCode = code;
        rest.isRest = 1;
        rests.push_back(rest);
    };
    for (int bit = 0; bit <= 6; ++bit)
        if (length & (1 << bit))
            add(bit);
    // Bits above the whole note would be lost: each 128 is two whole rests.
    for (int n = (length >> 7) * 2; n > 0 && static_cast<int>(rests.size()) < kMaxBeatsPerMeasure; --n)
        add(6);
    return rests;
}

bool isUnwritten(const CMesure& measure)
{
    const int count = std::clamp(measure.beatCount, 0, measure.beats.GetSize());
    if (count > 1 || isMeasureFull(measure))
        return false;
    if (count == 0)
        return true;
    for (const CNote& n : measure.beats[0].notes)
        if (!n.isEmpty())
            return false;
    return true;
}

void makePlaceholder(CMesure& measure, const CMesure& model, int index)
{
    measure.beats.SetSize(0);
    measure.beats.SetSize(model::kDefaultBeats);
    measure.beatCount = 1;
    measure.flags = model::kFlagLast;
    measure.index = index;
    measure.tempo = model.tempo;
    measure.numerator = model.numerator;
    measure.denominator = model.denominator;
    measure.instrumentSlot = model.instrumentSlot;
}

void fillWithRests(CMesure& measure, const std::vector<CAccord>& rests, int index)
{
    measure.beats.SetSize(0);
    for (const CAccord& r : rests)
        measure.beats.Add(r);
    measure.beats.FreeExtra();
    measure.beatCount = measure.beats.GetSize();
    measure.index = index;
    measure.isCompacted = 1;
}

bool makeRoomForBeat(CMesure& measure, int step)
{
    const int count = std::clamp(measure.beatCount, 0, measure.beats.GetSize());
    if (count >= kMaxBeatsPerMeasure)
        return false;
    measure.beatCount = count;
    if (count >= measure.beats.GetSize())
        measure.beats.SetSize(count + std::max(step, 1));
    return true;
}

bool insertBeat(CMesure& measure, int at)
{
    const int count = std::clamp(measure.beatCount, 0, measure.beats.GetSize());
    if (count >= kMaxBeatsPerMeasure)
        return false;
    measure.beats.SetSize(count);
    measure.beats.InsertAt(std::clamp(at, 0, count), CAccord());
    measure.beats.FreeExtra();
    measure.beatCount = count + 1;
    measure.isCompacted = isMeasureFull(measure) ? 1 : 0;
    return true;
}

void deleteBeat(CMesure& measure, int at)
{
    const int count = std::clamp(measure.beatCount, 0, measure.beats.GetSize());
    measure.beats.SetSize(count);
    if (at >= 0 && at < count)
        measure.beats.RemoveAt(at);
    measure.beats.FreeExtra();
    measure.beatCount = measure.beats.GetSize();
}

void deleteMeasure(CTabDoc& doc, int at)
{
    for (int t = 0; t < tracksInUse(doc); ++t) {
        auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        if (at < 0 || at >= measures.GetSize())
            continue;
        measures.RemoveAt(at);
        renumber(measures, at);
    }
    doc.measureCount = std::max(doc.measureCount - 1, 1);
}

bool otherTracksPlayIn(const CTabDoc& doc, int at, int exceptTrack)
{
    for (int t = 0; t < tracksInUse(doc); ++t) {
        const auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        if (t == exceptTrack || at < 0 || at >= measures.GetSize())
            continue;
        const CMesure& m = measures[at];
        for (int b = 0; b < std::min(m.beatCount, m.beats.GetSize()); ++b)
            if (!m.beats[b].isRest && !m.beats[b].hasNoFrets())
                return true;
    }
    return false;
}

void insertMeasure(CTabDoc& doc, int at)
{
    for (int t = 0; t < tracksInUse(doc); ++t) {
        ensureMeasureExists(doc, t, std::max(at, doc.measureCount - 1));
        auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        const CMesure& pushed = measures[at];
        CMesure fresh(CMesure::NoBeats{});
        fillWithRests(fresh, restPattern(pushed.numerator, pushed.denominator), at);
        fresh.flags = 0;
        fresh.instrumentSlot = pushed.instrumentSlot;
        fresh.tempo = pushed.tempo;
        fresh.numerator = pushed.numerator;
        fresh.denominator = pushed.denominator;
        measures.InsertAt(at, fresh);
        if (at == 0) {
            measures[0].flags |= model::kFlagFirst;
            measures[1].flags &= ~model::kFlagFirst;
        }
        renumber(measures, at);
    }
    ++doc.measureCount;
}

} // namespace edit
