#include "MeasureClipboard.h"

#include "EditCursor.h"
#include "MeasureEdits.h"

#include <algorithm>

namespace edit {

namespace {
// Flags that belong to the score's shape rather than to the measure's music.
constexpr int kShapeFlags = model::kFlagFirst | model::kFlagLast | model::kFlagMiddle;

CMesure copyOf(const CMesure& source)
{
    CMesure m(CMesure::NoBeats{});
    copyMeasure(m, source);
    return m;
}

// Tempo, signature and repeat marks are the same in every track at a position.
void takeHeader(CMesure& m, const CMesure& header)
{
    m.tempo = header.tempo;
    m.numerator = header.numerator;
    m.denominator = header.denominator;
    m.flags = (m.flags & kShapeFlags) | (header.flags & ~kShapeFlags);
}

// Rests for a track that has nothing to paste at a position.
CMesure restsLike(const CMesure& header, int index)
{
    CMesure m(CMesure::NoBeats{});
    fillWithRests(m, restPattern(header.numerator, header.denominator), index);
    takeHeader(m, header);
    return m;
}

void placed(CMesure& m, int index, int slot)
{
    m.index = index;
    m.flags &= ~model::kFlagLast;
    m.instrumentSlot = slot;
}

void markLast(CTabDoc& doc)
{
    for (int t = 0; t < tracksInUse(doc); ++t) {
        auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        if (doc.measureCount > 0 && doc.measureCount <= measures.GetSize())
            measures[doc.measureCount - 1].flags |= model::kFlagLast;
    }
}

} // namespace

CMesure fillerMeasure(const CMesure& model)
{
    CMesure m(CMesure::NoBeats{});
    fillWithRests(m, restPattern(model.numerator, model.denominator), 0);
    return m;
}

bool MeasureClipboard::empty() const
{
    return measureCount() == 0;
}

void MeasureClipboard::clear()
{
    for (auto& measures : clipboardTracks)
        measures.clear();
    clipboardTrack = -1;
    copiedTracks = 0;
}

int MeasureClipboard::measureCount() const
{
    if (clipboardTrack >= 0 && clipboardTrack < model::kMaxTracks)
        return static_cast<int>(clipboardTracks[static_cast<std::size_t>(clipboardTrack)].size());
    return copiedTracks > 0 ? static_cast<int>(clipboardTracks[0].size()) : 0;
}

void MeasureClipboard::copy(const CTabDoc& doc, int first, int last, int track, const CMesure& filler)
{
    clear();
    const int tracks = tracksInUse(doc);
    auto take = [&](int t) {
        const auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        auto& into = clipboardTracks[static_cast<std::size_t>(t)];
        for (int m = std::max(first, 0); m <= last && m < measures.GetSize(); ++m)
            into.push_back(copyOf(measures[m]));
    };
    if (track < 0) {
        clipboardTrack = -1;
        copiedTracks = tracks;
        for (int t = 0; t < tracks; ++t)
            take(t);
    } else {
        clipboardTrack = std::clamp(track, 0, model::kMaxTracks - 1);
        copiedTracks = 1;
        take(clipboardTrack);
    }
    for (int t = 0; t < model::kMaxTracks; ++t) {
        auto& into = clipboardTracks[static_cast<std::size_t>(t)];
        const bool copied = track < 0 ? t < tracks : t == clipboardTrack;
        if (!copied)
            into.push_back(filler);
    }
}

int cutMeasures(CTabDoc& doc, MeasureClipboard& clipboard, int first, int last, const CMesure& filler,
                int cursorMeasure)
{
    first = std::clamp(first, 0, doc.measureCount - 1);
    last = std::clamp(last, first, doc.measureCount - 1);
    clipboard.copy(doc, first, last, -1, filler);
    const int count = last - first + 1;
    for (int t = 0; t < tracksInUse(doc); ++t) {
        auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        if (first < measures.GetSize()) {
            measures.RemoveAt(first, std::min(count, measures.GetSize() - first));
            renumber(measures, first);
        }
    }
    doc.measureCount -= count;
    if (doc.measureCount <= 0) {
        // Nothing left: every track starts again with one empty measure.
        for (int t = 0; t < tracksInUse(doc); ++t) {
            const auto& cut = clipboard.clipboardTracks[static_cast<std::size_t>(t)];
            CMesure fresh;
            fresh.flags = model::kFlagFirst | model::kFlagLast;
            fresh.beatCount = 1;
            fresh.instrumentSlot = cut.empty() ? 0 : cut.front().instrumentSlot;
            auto& measures = doc.tracks[static_cast<std::size_t>(t)];
            measures.SetSize(0);
            measures.Add(fresh);
        }
        doc.measureCount = 1;
        return 0;
    }
    markLast(doc);
    // The cursor may have stood in the measures that went away.
    return std::clamp(cursorMeasure, 0, doc.measureCount - 1);
}

void pasteMeasures(CTabDoc& doc, const MeasureClipboard& clipboard, int cursorTrack, int at, PasteMode mode)
{
    const int n = clipboard.measureCount();
    const int tracks = tracksInUse(doc);
    if (n == 0 || tracks == 0 || at < 0 || at >= doc.measureCount)
        return;
    const bool single = clipboard.clipboardTrack >= 0;
    const auto& headers = clipboard.clipboardTracks[static_cast<std::size_t>(single ? clipboard.clipboardTrack : 0)];
    auto sourceOf = [&](int t) -> const std::vector<CMesure>* {
        if (single)
            return t == cursorTrack ? &headers : nullptr;
        const auto& own = clipboard.clipboardTracks[static_cast<std::size_t>(t)];
        return t < clipboard.copiedTracks && static_cast<int>(own.size()) == n ? &own : nullptr;
    };

    for (int t = 0; t < tracks; ++t) {
        ensureMeasureExists(doc, t, doc.measureCount - 1);
        auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        const std::vector<CMesure>* source = sourceOf(t);
        int slot = measures[at].instrumentSlot;
        for (int k = 0; k < n; ++k) {
            const CMesure& header = headers[static_cast<std::size_t>(k)];
            if (mode == PasteMode::InsertAfter) {
                const int j = at + 1 + k;
                CMesure m = source ? copyOf((*source)[static_cast<std::size_t>(k)]) : restsLike(header, j);
                placed(m, j, slot);
                measures.InsertAt(j, m);
                continue;
            }
            const int j = at + k;
            if (j < doc.measureCount)
                slot = measures[j].instrumentSlot;
            if (measures.GetSize() <= j)
                measures.SetSize(j + 1);
            if (source)
                copyMeasure(measures[j], (*source)[static_cast<std::size_t>(k)]);
            else if (j >= doc.measureCount)
                measures[j] = restsLike(header, j);
            else
                takeHeader(measures[j], header);
            placed(measures[j], j, slot);
        }
        renumber(measures, at);
    }
    doc.measureCount = mode == PasteMode::InsertAfter ? doc.measureCount + n : std::max(doc.measureCount, at + n);
    markLast(doc);
}

} // namespace edit
