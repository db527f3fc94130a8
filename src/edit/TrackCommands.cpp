#include "TrackCommands.h"

#include "MeasureEdits.h"

#include <algorithm>

namespace edit {

namespace {

constexpr int kStandardChoice = 2; // every list shows this in standard tuning
constexpr int kNoSlot = -1;

CArray<CMesure>& trackOf(CTabDoc& doc, int t)
{
    return doc.tracks[static_cast<std::size_t>(t)];
}

bool slotUsed(const CTabDoc& doc, int slot)
{
    for (int t = 0; t < tracksInUse(doc); ++t) {
        const CArray<CMesure>& measures = doc.tracks[static_cast<std::size_t>(t)];
        const int n = std::min(doc.measureCount, measures.GetSize());
        for (int m = 0; m < n; ++m)
            if (measures[m].instrumentSlot == slot)
                return true;
    }
    return false;
}

void removeSlot(CTabDoc& doc, int slot)
{
    for (int i = slot; i + 1 < doc.slotCount; ++i)
        doc.slotInstrument[static_cast<std::size_t>(i)] = doc.slotInstrument[static_cast<std::size_t>(i + 1)];
    --doc.slotCount;
    doc.slotInstrument[static_cast<std::size_t>(doc.slotCount)] = model::kFreeSlot;
    doc.slotOrder[static_cast<std::size_t>(doc.slotCount)] = model::kFreeSlot;
    for (int t = 0; t < tracksInUse(doc); ++t) {
        CArray<CMesure>& measures = trackOf(doc, t);
        for (int m = 0; m < measures.GetSize(); ++m) {
            int& s = measures[m].instrumentSlot;
            if (s == slot)
                s = kNoSlot;
            else if (s > slot)
                --s;
        }
    }
}

// Spare measures past the end of the score may still name a removed slot:
// they take their track's last instrument. Arrays of tracks not in use are
// rebuilt when a track is added.
void repairSpareMeasures(CTabDoc& doc)
{
    for (int t = 0; t < tracksInUse(doc); ++t) {
        CArray<CMesure>& measures = trackOf(doc, t);
        const bool whole = doc.measureCount > 0 && measures.GetSize() >= doc.measureCount;
        const int fallback = whole ? measures[doc.measureCount - 1].instrumentSlot : 0;
        for (int m = 0; m < measures.GetSize(); ++m) {
            int& s = measures[m].instrumentSlot;
            if (s == kNoSlot || s >= doc.slotCount)
                s = fallback;
        }
    }
}

std::vector<int> slotsOfTrack(const CTabDoc& doc, int t)
{
    std::vector<int> slots;
    const CArray<CMesure>& measures = doc.tracks[static_cast<std::size_t>(t)];
    for (int m = 0; m < measures.GetSize(); ++m)
        if (std::find(slots.begin(), slots.end(), measures[m].instrumentSlot) == slots.end())
            slots.push_back(measures[m].instrumentSlot);
    return slots;
}

int addSlot(CTabDoc& doc, int code)
{
    const int slot = doc.slotCount++;
    doc.slotInstrument[static_cast<std::size_t>(slot)] = code;
    doc.slotOrder[static_cast<std::size_t>(slot)] = slot;
    return slot;
}

int wrap12(int v)
{
    return ((v % 12) + 12) % 12;
}

} // namespace

ScoreRegion addTrackRegion(const CTabDoc& doc)
{
    const int t = std::clamp(doc.trackCount, 0, model::kMaxTracks - 1);
    return {ScoreRegion::trackBit(t), 0, ScoreRegion::kToEnd, true};
}

ScoreRegion tracksRegion(const CTabDoc& doc)
{
    return {ScoreRegion::tracksInUse(doc), 0, ScoreRegion::kToEnd, true};
}

int defaultArpeggioLatency(int code)
{
    return code == model::kDrums || code == model::kPiano ? 0 : 7;
}

void TuningChoices::move(int k, int value, bool linked)
{
    if (k < 0 || k >= model::kStrings)
        return;
    const int d = value - choice[static_cast<std::size_t>(k)];
    if (!linked) {
        choice[static_cast<std::size_t>(k)] = value;
        return;
    }
    for (int i = 0; i < model::kStrings; ++i)
        if (i == k || enabled[static_cast<std::size_t>(i)])
            choice[static_cast<std::size_t>(i)] = wrap12(choice[static_cast<std::size_t>(i)] + d);
}

std::array<const char*, 12> tuningNoteNames(int k)
{
    static constexpr std::array<const char*, 12> kNames = {"C", "C#", "D", "D#", "E", "F",
                                                           "F#", "G", "G#", "A", "A#", "B"};
    // Semitone 0 of the stored tuning is the D two below the low E.
    constexpr int kFirstNote = 2;
    std::array<const char*, 12> names{};
    const int start = kFirstNote + kStringReference[static_cast<std::size_t>(std::clamp(k, 0, model::kStrings - 1))];
    for (int i = 0; i < 12; ++i)
        names[static_cast<std::size_t>(i)] = kNames[static_cast<std::size_t>((start + i) % 12)];
    return names;
}

int releaseUnusedSlots(CTabDoc& doc, std::vector<int> candidates)
{
    // Highest first: removing a slot never renumbers one still waiting.
    std::sort(candidates.begin(), candidates.end(), std::greater<>());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    int removed = 0;
    for (int slot : candidates) {
        if (doc.slotCount < 2)
            break;
        if (slot < 0 || slot >= doc.slotCount || slotUsed(doc, slot))
            continue;
        removeSlot(doc, slot);
        ++removed;
    }
    if (removed > 0)
        repairSpareMeasures(doc);
    return removed;
}

bool TrackCommands::addTrack(const std::string& title, int code)
{
    if (doc_.trackCount >= model::kMaxTracks || doc_.trackCount < 1 || doc_.slotCount >= model::kMaxSlots)
        return false;
    const int t = doc_.trackCount++;
    const auto ti = static_cast<std::size_t>(t);
    const int slot = addSlot(doc_, code);
    const CArray<CMesure>& model = trackOf(doc_, 0);
    CArray<CMesure>& measures = trackOf(doc_, t);
    measures.RemoveAll();
    measures.SetSize(model.GetSize());
    for (int m = 0; m < model.GetSize(); ++m) {
        CMesure& x = measures[m];
        x = CMesure();
        x.index = m;
        x.instrumentSlot = slot;
        x.aux = model[m].aux;
        x.flags = model[m].flags;
        x.tempo = model[m].tempo;
        x.numerator = model[m].numerator;
        x.denominator = model[m].denominator;
        if (m < doc_.measureCount) {
            resetMeasureBeats(x, 1);
            x.beatCount = 1;
            x.isCompacted = 0;
        }
    }
    doc_.trackNames[ti] = title.empty() ? doc_.instrumentNames[static_cast<std::size_t>(code)] : title;
    doc_.arpeggioLatency[ti] = defaultArpeggioLatency(code);
    // A deleted track may have left its settings at this place.
    for (int k = 0; k < model::kStrings; ++k)
        doc_.tuning[ti][static_cast<std::size_t>(k)] = kStringReference[static_cast<std::size_t>(k)] + kStandardChoice;
    doc_.capo[ti] = 0;
    doc_.volume[ti] = 100;
    doc_.pan[ti] = 50;
    doc_.mute[ti] = 0;
    moveCursorToTrack(t);
    return true;
}

bool TrackCommands::deleteTrack()
{
    const int cur = std::clamp(state_.cursorTrack, 0, std::max(tracksInUse(doc_) - 1, 0));
    const std::vector<int> freed = slotsOfTrack(doc_, cur);
    if (doc_.trackCount <= 1) {
        CArray<CMesure>& measures = trackOf(doc_, cur);
        measures.SetSize(1);
        CMesure& first = measures[0];
        resetMeasureBeats(first, 1);
        first.beatCount = 1;
        first.isCompacted = 0;
        first.index = 0;
        first.flags = model::kFlagFirst | model::kFlagLast;
        doc_.measureCount = 1;
    } else {
        for (int t = cur; t + 1 < doc_.trackCount; ++t) {
            const auto a = static_cast<std::size_t>(t);
            const auto b = a + 1;
            doc_.arpeggioLatency[a] = doc_.arpeggioLatency[b];
            doc_.capo[a] = doc_.capo[b];
            doc_.volume[a] = doc_.volume[b];
            doc_.pan[a] = doc_.pan[b];
            doc_.mute[a] = doc_.mute[b];
            doc_.trackNames[a] = doc_.trackNames[b];
            doc_.tuning[a] = doc_.tuning[b];
            doc_.tracks[a] = doc_.tracks[b];
        }
        trackOf(doc_, doc_.trackCount - 1).RemoveAll();
        --doc_.trackCount;
        // The solo follows its track, and goes with it.
        if (doc_.soloTrack == cur + 1)
            doc_.soloTrack = 0;
        else if (doc_.soloTrack > cur + 1)
            --doc_.soloTrack;
    }
    const int removed = releaseUnusedSlots(doc_, freed);
    state_.cursorTrack = std::min(cur, doc_.trackCount - 1);
    state_.cursorMeasure = {state_.cursorTrack, 0};
    state_.cursorMeasureIndex = 0;
    state_.cursorBeat = 0;
    return removed > 0;
}

bool TrackCommands::rangeValid(int first, int last) const
{
    return first >= 1 && last <= doc_.measureCount && last >= first;
}

int TrackCommands::slotOfMeasure(int track, int measure) const
{
    const CArray<CMesure>& measures = doc_.tracks[static_cast<std::size_t>(track)];
    if (measure < 0 || measure >= measures.GetSize())
        return kNoSlot;
    return measures[measure].instrumentSlot;
}

int TrackCommands::cursorInstrument() const
{
    return doc_.instrumentOfSlot(slotOfMeasure(state_.cursorTrack, state_.cursorMeasure.measure));
}

bool TrackCommands::changeInstrument(const std::string& title, int code, int first, int last)
{
    const int t = state_.cursorTrack;
    if (t < 0 || t >= tracksInUse(doc_) || !rangeValid(first, last))
        return false;
    CArray<CMesure>& measures = trackOf(doc_, t);
    const int f = first - 1;
    const int l = last - 1;
    const int n = std::min(doc_.measureCount, measures.GetSize());
    int target = kNoSlot;
    for (int m = 0; m < n && target == kNoSlot; ++m)
        if (doc_.instrumentOfSlot(measures[m].instrumentSlot) == code)
            target = measures[m].instrumentSlot;
    if (target == kNoSlot) {
        if (doc_.slotCount >= model::kMaxSlots)
            return false;
        target = addSlot(doc_, code);
    }
    const std::vector<int> before = slotsOfTrack(doc_, t);
    // Spare measures past the end follow the last one, so a score that grows
    // keeps the instrument of its end.
    const int end = l == doc_.measureCount - 1 ? measures.GetSize() - 1 : l;
    for (int m = f; m <= end; ++m)
        measures[m].instrumentSlot = target;
    releaseUnusedSlots(doc_, before);
    if (!title.empty())
        doc_.trackNames[static_cast<std::size_t>(t)] = title;
    doc_.arpeggioLatency[static_cast<std::size_t>(t)] = defaultArpeggioLatency(code);
    if (code == model::kBass)
        state_.cursorString = 3;
    return true;
}

TuningChoices TrackCommands::tuningChoices() const
{
    TuningChoices c;
    const auto t = static_cast<std::size_t>(std::clamp(state_.cursorTrack, 0, model::kMaxTracks - 1));
    for (int k = 0; k < model::kStrings; ++k) {
        const auto ki = static_cast<std::size_t>(k);
        c.choice[ki] = doc_.tuning[t][ki] - kStringReference[ki];
    }
    if (cursorInstrument() == model::kBass)
        c.enabled[4] = c.enabled[5] = false;
    return c;
}

void TrackCommands::applyTuning(const TuningChoices& choices, bool allTracks)
{
    for (int t = 0; t < model::kMaxTracks; ++t) {
        if (!allTracks && t != state_.cursorTrack)
            continue;
        for (int k = 0; k < model::kStrings; ++k) {
            const auto ki = static_cast<std::size_t>(k);
            // A bass keeps whatever its two missing strings held.
            if (choices.enabled[ki])
                doc_.tuning[static_cast<std::size_t>(t)][ki] = choices.choice[ki] + kStringReference[ki];
        }
    }
}

void TrackCommands::moveCursorToTrack(int t)
{
    state_.cursorTrack = t;
    state_.cursorBeat = 0;
    state_.cursorString = 3;
    const int size = std::min(doc_.measureCount, trackOf(doc_, t).GetSize());
    state_.cursorMeasure = {t, std::clamp(state_.cursorMeasure.measure, 0, std::max(size - 1, 0))};
}

void chooseShownTracks(view::ViewState& state, const std::array<bool, model::kMaxTracks>& ticked, int trackCount)
{
    state.shownTracks = ticked;
    state.multiTrackView = state.shownTrackList(trackCount).size() > 1;
}

} // namespace edit
