#include "ScoreLayout.h"

#include "CTabDoc.h"

#include <algorithm>
#include <limits>

namespace view {

int stringCountOfInstrument(int code)
{
    return code == model::kBass ? 4 : 6;
}

int instrumentOfMeasure(const CTabDoc& doc, const CMesure& measure)
{
    // A slot number outside the table is read as slot 0.
    int slot = measure.instrumentSlot;
    if (slot < 0 || slot >= model::kMaxSlots)
        slot = 0;
    return doc.slotInstrument[static_cast<std::size_t>(slot)];
}

const CMesure* measureAt(const CTabDoc& doc, int track, int index)
{
    if (track < 0 || track >= model::kMaxTracks || index < 0)
        return nullptr;
    const auto& measures = doc.tracks[static_cast<std::size_t>(track)];
    if (index >= measures.GetSize())
        return nullptr;
    return &measures[index];
}

int beatsInUse(const CMesure& measure)
{
    return std::clamp(measure.beatCount, 0, measure.beats.GetSize());
}

ScoreLayout ScoreLayout::compute(const CTabDoc& doc, const ViewState& state, const DeviceMetrics& device)
{
    return compute(doc, state, computeUnits(device, state.zoomPercent));
}

ScoreLayout ScoreLayout::compute(const CTabDoc& doc, const ViewState& state, const ViewUnits& units)
{
    ScoreLayout l;
    l.units_ = units;
    l.measureCount_ = std::max(0, doc.measureCount);
    l.cursorTrack_ = std::clamp(state.cursorTrack, 0, model::kMaxTracks - 1);
    l.firstLine_ = std::max(0, state.firstLine);
    l.lastLine_ = l.firstLine_ + units.linesPerPage;
    if (state.showsMultiTrack(doc.trackCount)) {
        l.multiTrack_ = true;
        l.shownTracks_ = state.shownTrackList(doc.trackCount);
    } else {
        l.shownTracks_ = {l.cursorTrack_};
    }
    const CMesure* current = measureAt(doc, state.cursorMeasure.track, state.cursorMeasure.measure);
    l.stringCount_ = current ? stringCountOfInstrument(instrumentOfMeasure(doc, *current)) : 6;
    l.flow(doc);
    l.buildRecords(doc);
    return l;
}

ScoreLayout ScoreLayout::showingLines(const CTabDoc& doc, int firstLine, int lastLine) const
{
    ScoreLayout l = *this;
    l.firstLine_ = std::max(0, firstLine);
    l.lastLine_ = std::max(l.firstLine_, lastLine);
    l.buildRecords(doc);
    return l;
}

int ScoreLayout::lineStart(int line) const
{
    if (line < 0 || line >= static_cast<int>(lineStarts_.size()))
        return kNotLaidOut;
    return lineStarts_[static_cast<std::size_t>(line)];
}

int ScoreLayout::lineTop(int line) const
{
    return units_.drawRect.top + truncToInt((line - firstLine_) * units_.systemPitch);
}

const LineRecord* ScoreLayout::recordOfLine(int line) const
{
    for (const LineRecord& r : records_)
        if (r.line == line)
            return &r;
    return nullptr;
}

int ScoreLayout::lineOfMeasure(int measureIndex) const
{
    if (measureIndex < 0 || measureIndex >= measureCount_ || lastScoreLine_ < 1)
        return -1;
    // lineStarts_ is non-decreasing from line 1 on: the last line starting at
    // or before the measure holds it.
    const auto first = lineStarts_.begin() + 1;
    const auto last = lineStarts_.begin() + lastScoreLine_ + 1;
    auto it = std::upper_bound(first, last, measureIndex);
    int line = static_cast<int>(it - lineStarts_.begin()) - 1;
    if (multiTrack_) {
        const int n = static_cast<int>(shownTracks_.size());
        line = 1 + (line - 1) / n * n;
    }
    return line;
}

int ScoreLayout::lineOfMeasure(int measureIndex, int track) const
{
    const int line = lineOfMeasure(measureIndex);
    if (line < 0)
        return -1;
    const auto it = std::find(shownTracks_.begin(), shownTracks_.end(), track);
    if (it == shownTracks_.end())
        return -1;
    return line + static_cast<int>(it - shownTracks_.begin());
}

int ScoreLayout::lineStartX(int line) const
{
    // Line 1 leaves room for the time signature.
    if (line <= 1)
        return truncToInt(units_.drawRect.left + 3 * units_.u);
    return truncToInt(11 * units_.thirdU) - truncToInt(4 * units_.twoThirdsU);
}

int ScoreLayout::firstBeatXOfLine(int line) const
{
    return lineStartX(line) + truncToInt(4 * units_.twoThirdsU);
}

ScoreLayout::Placement ScoreLayout::place(const CTabDoc& doc, int measure, std::vector<std::vector<int>>* offsets) const
{
    Placement p;
    const std::size_t n = shownTracks_.size();
    if (offsets) {
        offsets->assign(n, {});
    }
    if (!multiTrack_) {
        const CMesure* m = measureAt(doc, shownTracks_[0], measure);
        const int count = m ? beatsInUse(*m) : 0;
        int x = 0;
        for (int b = 0; b < count; ++b) {
            if (offsets)
                (*offsets)[0].push_back(x);
            p.lastBeatOffset = x;
            x += units_.advance(m->beats[b].durationCode);
        }
        p.width = x;
        return p;
    }

    // Tracks run side by side in thirds of a 64th: the beat ending soonest
    // moves x on by its own advance, and every beat starting then is placed
    // there. A triplet mark makes its beat and the next two last 2/3.
    struct Voice {
        const CMesure* measure = nullptr;
        int count = 0;
        int index = -1;
        int remaining = 0;
        int counter = 0;
        bool active = false;
    };
    std::vector<Voice> voices(n);
    int x = 0;
    auto enter = [&](std::size_t v) {
        Voice& voice = voices[v];
        ++voice.index;
        if (voice.index >= voice.count) {
            voice.active = false;
            return;
        }
        const CAccord& beat = voice.measure->beats[voice.index];
        const int code = std::clamp(beat.durationCode, 0, 6);
        int time = (1 << code) * (beat.isTriplet ? 2 : 3);
        if (beat.isDotted)
            time += time / 2;
        if (beat.isTriplet) {
            voice.counter += 2;
        } else if (voice.counter > 0) {
            time = time * 2 / 3;
            --voice.counter;
        }
        voice.remaining = std::max(time, 1);
        voice.active = true;
        if (offsets)
            (*offsets)[v].push_back(x);
        p.lastBeatOffset = x;
    };
    for (std::size_t v = 0; v < n; ++v) {
        voices[v].measure = measureAt(doc, shownTracks_[v], measure);
        voices[v].count = voices[v].measure ? beatsInUse(*voices[v].measure) : 0;
        enter(v);
    }
    // Every step ends at least one beat, so this stops after all beats.
    for (;;) {
        int best = -1;
        for (std::size_t v = 0; v < n; ++v)
            if (voices[v].active && (best < 0 || voices[v].remaining < voices[static_cast<std::size_t>(best)].remaining))
                best = static_cast<int>(v);
        if (best < 0)
            break;
        Voice& chosen = voices[static_cast<std::size_t>(best)];
        const int step = chosen.remaining;
        int advance = units_.advance(chosen.measure->beats[chosen.index].durationCode);
        if (chosen.counter > 0)
            advance -= advance / 3;
        x += advance;
        for (Voice& v : voices)
            if (v.active)
                v.remaining -= step;
        for (std::size_t v = 0; v < n; ++v)
            if (voices[v].active && voices[v].remaining <= 0)
                enter(v);
    }
    p.width = x;
    return p;
}

void ScoreLayout::flow(const CTabDoc& doc)
{
    const int gap = truncToInt(4 * units_.twoThirdsU);
    const int breakMargin = truncToInt(8 * units_.twoThirdsU);
    const int drawWidth = units_.drawRect.width();
    const int linesPerGroup = multiTrack_ ? static_cast<int>(shownTracks_.size()) : 1;

    // Line 0 is the title block; it "starts" at measure 0 like line 1.
    lineStarts_.assign(2, 0);
    if (measureCount_ == 0) {
        lastScoreLine_ = 0;
        return;
    }
    int line = 1;
    int x = lineStartX(1);
    bool lineHasMeasure = false;
    for (int m = 0; m < measureCount_; ++m) {
        const Placement p = place(doc, m, nullptr);
        if (lineHasMeasure && truncToInt(drawWidth - x) < breakMargin + p.width) {
            // A measure too wide for any line still gets a line of its own.
            line += linesPerGroup;
            x = lineStartX(line);
            lineHasMeasure = false;
        }
        if (!lineHasMeasure)
            lineStarts_.resize(static_cast<std::size_t>(line + linesPerGroup), m);
        x = x + gap + p.lastBeatOffset + truncToInt(units_.u) + gap;
        lineHasMeasure = true;
    }
    lastScoreLine_ = line + linesPerGroup - 1;
    lineStarts_.resize(static_cast<std::size_t>(lastScoreLine_ + 1));
    lineStarts_.push_back(measureCount_);
}

int ScoreLayout::staffStringCount(const CTabDoc& doc, int track, int line) const
{
    if (!multiTrack_)
        return stringCount_;
    const int start = std::min(lineStart(line), measureCount_ - 1);
    const CMesure* m = measureAt(doc, track, std::max(start, 0));
    return m ? stringCountOfInstrument(instrumentOfMeasure(doc, *m)) : 6;
}

void ScoreLayout::buildRecords(const CTabDoc& doc)
{
    records_.clear();
    const int n = static_cast<int>(shownTracks_.size());
    const int gap = truncToInt(4 * units_.twoThirdsU);
    const int u = truncToInt(units_.u);
    std::vector<std::vector<int>> offsets;
    for (int k = std::max(firstLine_, 1); k <= lastLine(); ++k) {
        LineRecord r;
        r.line = k;
        const int staff = multiTrack_ ? (k - 1) % n : 0;
        r.track = shownTracks_[static_cast<std::size_t>(staff)];
        r.top = lineTop(k);
        r.stringCount = staffStringCount(doc, r.track, k);
        for (int i = 0; i < r.stringCount; ++i)
            r.stringY[static_cast<std::size_t>(i)] = r.top + truncToInt(i * units_.u);
        if (multiTrack_ && staff == 0) {
            r.firstOfGroup = true;
            int lastStaffLine = k + n - 1;
            int lastTrack = shownTracks_.back();
            // A group split by a page break: its bars end with the page.
            if (units_.paper && lastStaffLine > lastLine_) {
                lastStaffLine = lastLine_;
                lastTrack = shownTracks_[static_cast<std::size_t>(lastLine_ - k)];
            }
            const int lastStrings = staffStringCount(doc, lastTrack, lastStaffLine);
            r.groupBottom = lineTop(lastStaffLine) + truncToInt((lastStrings == 4 ? 3 : 5) * units_.u);
        }
        if (k <= lastScoreLine_) {
            const int from = lineStart(k);
            const int groupFirst = multiTrack_ ? k - staff : k;
            const int to = std::min(lineStart(groupFirst + (multiTrack_ ? n : 1)), measureCount_);
            int x = lineStartX(groupFirst);
            for (int m = from; m < to; ++m) {
                const Placement p = place(doc, m, &offsets);
                MeasureSlot s;
                s.track = r.track;
                s.measure = m;
                s.firstBeatX = x + gap;
                for (int off : offsets[static_cast<std::size_t>(staff)])
                    s.beatX.push_back(s.firstBeatX + off);
                s.beatCount = static_cast<int>(s.beatX.size());
                s.barX = s.firstBeatX + p.lastBeatOffset + u + gap;
                x = s.barX;
                if (m == measureCount_ - 1)
                    r.holdsLastMeasure = true;
                r.measureSlots.push_back(std::move(s));
            }
        }
        records_.push_back(std::move(r));
    }
}

} // namespace view
