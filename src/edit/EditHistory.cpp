#include "EditHistory.h"

#include <algorithm>
#include <utility>

namespace edit {

namespace {

// A measure as a step keeps it: the beats up to the last one that differs
// from a default beat, and how many the array held.
struct StoredMeasure {
    CMesure measure{CMesure::NoBeats{}};
    int beatSlots = 0;
};

// Every field but the beats. A new field must be added to sameFields too.
static_assert(sizeof(CMesure) == 9 * sizeof(int) + 4 + sizeof(CArray<CAccord>),
              "CMesure changed: update copyFields and sameFields");

void copyFields(CMesure& d, const CMesure& s)
{
    copyMeasureHeader(d, s);
    d.index = s.index;
}

bool sameFields(const CMesure& a, const CMesure& b)
{
    return a.tempo == b.tempo && a.numerator == b.numerator && a.denominator == b.denominator &&
           a.index == b.index && a.beatCount == b.beatCount && a.flags == b.flags && a.aux == b.aux &&
           a.instrumentSlot == b.instrumentSlot && a.isCompacted == b.isCompacted;
}

int keptBeats(const CMesure& m)
{
    static const CAccord blank;
    int keep = m.beats.GetSize();
    while (keep > 0 && m.beats[keep - 1] == blank)
        --keep;
    return keep;
}

StoredMeasure store(const CMesure& m)
{
    StoredMeasure s;
    copyFields(s.measure, m);
    s.beatSlots = m.beats.GetSize();
    const int keep = keptBeats(m);
    s.measure.beats.raw().assign(m.beats.raw().begin(), m.beats.raw().begin() + keep);
    return s;
}

CMesure restore(StoredMeasure&& s)
{
    CMesure m = std::move(s.measure);
    m.beats.raw().resize(static_cast<std::size_t>(s.beatSlots));
    return m;
}

bool same(const CMesure& live, const StoredMeasure& s)
{
    if (!sameFields(live, s.measure) || live.beats.GetSize() != s.beatSlots)
        return false;
    const int kept = s.measure.beats.GetSize();
    if (!std::equal(s.measure.beats.begin(), s.measure.beats.end(), live.beats.begin()))
        return false;
    static const CAccord blank;
    return std::all_of(live.beats.begin() + kept, live.beats.end(), [](const CAccord& b) { return b == blank; });
}

// Everything of the score that is not a measure.
struct ScoreSettings {
    int slotCount = 0;
    std::array<int, model::kMaxSlots> slotOrder{};
    std::array<int, model::kMaxSlots> slotInstrument{};
    int scoreTempo = 0, scoreNumerator = 0, scoreDenominator = 0;
    std::array<int, model::kMaxTracks> arpeggioLatency{}, capo{}, volume{}, pan{}, mute{};
    std::array<std::array<int, 6>, model::kMaxTracks> tuning{};
    std::string title, notes, tabber, author;
    int tripletFeel = 0, showTabber = 0, showAuthor = 0, soloTrack = 0;
    std::array<std::string, model::kMaxTracks> trackNames, instrumentNames;

    // False when the step left volume, pan, mute and solo alone: those change
    // outside the history too (the track pop-up), so such a step must not
    // take them back.
    bool mixerInStep = true;

    bool operator==(const ScoreSettings&) const = default;

    bool sameMixer(const CTabDoc& d) const
    {
        return volume == d.volume && pan == d.pan && mute == d.mute && soloTrack == d.soloTrack;
    }
    void keepMixerOf(const CTabDoc& d)
    {
        volume = d.volume;
        pan = d.pan;
        mute = d.mute;
        soloTrack = d.soloTrack;
    }

    static ScoreSettings of(const CTabDoc& d)
    {
        return {d.slotCount,  d.slotOrder,   d.slotInstrument, d.scoreTempo,  d.scoreNumerator, d.scoreDenominator,
                d.arpeggioLatency, d.capo,   d.volume,         d.pan,         d.mute,           d.tuning,
                d.title,      d.notes,       d.tabber,         d.author,      d.tripletFeel,    d.showTabber,
                d.showAuthor, d.soloTrack,   d.trackNames,     d.instrumentNames};
    }
    void applyTo(CTabDoc& d) const
    {
        d.slotCount = slotCount;
        d.slotOrder = slotOrder;
        d.slotInstrument = slotInstrument;
        d.scoreTempo = scoreTempo;
        d.scoreNumerator = scoreNumerator;
        d.scoreDenominator = scoreDenominator;
        d.arpeggioLatency = arpeggioLatency;
        d.capo = capo;
        d.volume = volume;
        d.pan = pan;
        d.mute = mute;
        d.tuning = tuning;
        d.title = title;
        d.notes = notes;
        d.tabber = tabber;
        d.author = author;
        d.tripletFeel = tripletFeel;
        d.showTabber = showTabber;
        d.showAuthor = showAuthor;
        d.soloTrack = soloTrack;
        d.trackNames = trackNames;
        d.instrumentNames = instrumentNames;
    }
    std::size_t bytes() const
    {
        std::size_t n = sizeof(*this) + title.capacity() + notes.capacity() + tabber.capacity() + author.capacity();
        for (const auto& s : trackNames)
            n += s.capacity();
        for (const auto& s : instrumentNames)
            n += s.capacity();
        return n;
    }
};

// The measures of one track a step touched. `stored` is the other state of
// the slice (before the step while it is applied, after it while undone);
// `live` how many measures the score holds in the slice now.
struct TrackSlice {
    int track = 0;
    int first = 0;
    int live = 0;
    int sizeAtBegin = 0;
    std::vector<StoredMeasure> stored;
};

} // namespace

std::uint16_t ScoreRegion::tracksInUse(const CTabDoc& doc)
{
    const int n = std::clamp(doc.trackCount, 0, model::kMaxTracks);
    return static_cast<std::uint16_t>((1u << n) - 1);
}

struct EditHistory::Change {
    std::vector<TrackSlice> slices;
    int measureCount = 0;
    int trackCount = 0;
    std::optional<ScoreSettings> settings;
};

struct EditHistory::Step {
    StepKind kind = StepKind::Typing;
    bool hidden = false;
    ScoreRegion region;
    Change change;
    CursorPlace before;
    CursorPlace after;
    int redrawLevel = 1;
};

EditHistory::EditHistory(CTabDoc& doc) : doc_(doc) {}

EditHistory::~EditHistory() = default;

namespace {

template <typename Slices>
void takeSnapshot(const CTabDoc& doc, const ScoreRegion& region, Slices& slices)
{
    for (int t = 0; t < model::kMaxTracks; ++t) {
        if (!(region.tracks & ScoreRegion::trackBit(t)))
            continue;
        const CArray<CMesure>& measures = doc.tracks[static_cast<std::size_t>(t)];
        TrackSlice slice;
        slice.track = t;
        slice.sizeAtBegin = measures.GetSize();
        slice.first = std::clamp(region.first, 0, slice.sizeAtBegin);
        const int room = slice.sizeAtBegin - slice.first;
        const int count = region.count == ScoreRegion::kToEnd ? room : std::clamp(region.count, 0, room);
        slice.stored.reserve(static_cast<std::size_t>(count));
        for (int m = slice.first; m < slice.first + count; ++m)
            slice.stored.push_back(store(measures[m]));
        slice.live = count;
        slices.push_back(std::move(slice));
    }
}

} // namespace

void EditHistory::begin(StepKind kind, const ScoreRegion& region, const CursorPlace& before)
{
    if (open_)
        end(before);
    observeSaved();
    open_ = std::make_unique<Step>();
    open_->kind = kind;
    open_->region = region;
    open_->before = before;
    open_->change.measureCount = doc_.measureCount;
    open_->change.trackCount = doc_.trackCount;
    if (region.header)
        open_->change.settings = ScoreSettings::of(doc_);
    takeSnapshot(doc_, region, open_->change.slices);
}

namespace {

// After the change: how many measures each slice now holds, and whether
// anything differs from what was stored before it.
bool settleSlices(const CTabDoc& doc, std::vector<TrackSlice>& slices)
{
    bool changed = false;
    for (TrackSlice& s : slices) {
        const CArray<CMesure>& measures = doc.tracks[static_cast<std::size_t>(s.track)];
        const int stored = static_cast<int>(s.stored.size());
        s.live = std::clamp(stored + measures.GetSize() - s.sizeAtBegin, 0, measures.GetSize() - s.first);
        if (s.live != stored) {
            changed = true;
            continue;
        }
        for (int i = 0; i < stored && !changed; ++i)
            changed = !same(measures[s.first + i], s.stored[static_cast<std::size_t>(i)]);
    }
    return changed;
}

} // namespace

bool EditHistory::end(const CursorPlace& after, bool mergeTyping, int redrawLevel)
{
    if (!open_)
        return false;
    std::unique_ptr<Step> step = std::move(open_);
    step->after = after;
    step->redrawLevel = std::clamp(redrawLevel, 0, 2);
    Change& c = step->change;
    bool changed = settleSlices(doc_, c.slices);
    changed = changed || c.measureCount != doc_.measureCount || c.trackCount != doc_.trackCount;
    if (c.settings) {
        c.settings->mixerInStep = !c.settings->sameMixer(doc_);
        if (!changed) {
            ScoreSettings now = ScoreSettings::of(doc_);
            now.mixerInStep = c.settings->mixerInStep;
            changed = !(*c.settings == now);
        }
    }
    if (!changed) {
        publishSaved();
        return false;
    }
    // A new step ends every redo.
    steps_.resize(applied_);
    if (saved_ && *saved_ > applied_)
        saved_.reset();
    Step* top = applied_ > 0 ? steps_[applied_ - 1].get() : nullptr;
    const bool merge = mergeTyping && canMerge_ && top && top->kind == StepKind::Typing && !top->hidden &&
                       step->kind == StepKind::Typing && top->after == step->before &&
                       !(saved_ && *saved_ == applied_);
    if (merge) {
        // The earlier step already holds the note as it was before both digits.
        top->after = after;
        top->redrawLevel = std::min(top->redrawLevel, step->redrawLevel);
    } else {
        steps_.push_back(std::move(step));
        ++applied_;
    }
    canMerge_ = true;
    publishSaved();
    return true;
}

void EditHistory::abandon()
{
    open_.reset();
}

bool EditHistory::canUndo() const
{
    for (std::size_t i = applied_; i > 0; --i)
        if (!steps_[i - 1]->hidden)
            return true;
    return false;
}

bool EditHistory::canRedo() const
{
    for (std::size_t i = applied_; i < steps_.size(); ++i)
        if (!steps_[i]->hidden)
            return true;
    return false;
}

std::optional<StepKind> EditHistory::undoKind() const
{
    for (std::size_t i = applied_; i > 0; --i)
        if (!steps_[i - 1]->hidden)
            return steps_[i - 1]->kind;
    return std::nullopt;
}

std::optional<StepKind> EditHistory::redoKind() const
{
    for (std::size_t i = applied_; i < steps_.size(); ++i)
        if (!steps_[i]->hidden)
            return steps_[i]->kind;
    return std::nullopt;
}

void EditHistory::swap(Step& step)
{
    Change& c = step.change;
    for (TrackSlice& s : c.slices) {
        std::vector<CMesure>& measures = doc_.tracks[static_cast<std::size_t>(s.track)].raw();
        const auto from = measures.begin() + s.first;
        std::vector<StoredMeasure> taken;
        taken.reserve(static_cast<std::size_t>(s.live));
        for (auto it = from; it != from + s.live; ++it)
            taken.push_back(store(*it));
        const int incoming = static_cast<int>(s.stored.size());
        if (incoming == s.live) {
            for (int i = 0; i < incoming; ++i)
                measures[static_cast<std::size_t>(s.first + i)] = restore(std::move(s.stored[static_cast<std::size_t>(i)]));
        } else {
            std::vector<CMesure> back;
            back.reserve(static_cast<std::size_t>(incoming));
            for (StoredMeasure& m : s.stored)
                back.push_back(restore(std::move(m)));
            measures.erase(from, from + s.live);
            measures.insert(measures.begin() + s.first, std::make_move_iterator(back.begin()),
                            std::make_move_iterator(back.end()));
            for (std::size_t m = static_cast<std::size_t>(s.first); m < measures.size(); ++m)
                measures[m].index = static_cast<int>(m);
        }
        s.stored = std::move(taken);
        s.live = incoming;
    }
    std::swap(c.measureCount, doc_.measureCount);
    std::swap(c.trackCount, doc_.trackCount);
    if (c.settings) {
        ScoreSettings now = ScoreSettings::of(doc_);
        now.mixerInStep = c.settings->mixerInStep;
        if (!c.settings->mixerInStep)
            c.settings->keepMixerOf(doc_);
        c.settings->applyTo(doc_);
        c.settings = std::move(now);
    }
}

ChangeSet EditHistory::changeSetOf(const Step& step, bool forward)
{
    ChangeSet set;
    set.tracks = step.region.tracks;
    set.firstMeasure = step.region.first;
    set.lastMeasure = step.region.count == ScoreRegion::kToEnd ? -1 : step.region.first + step.region.count - 1;
    set.settings = step.region.header;
    set.redrawLevel = step.redrawLevel;
    set.cursorBefore = forward ? step.before : step.after;
    set.cursorAfter = forward ? step.after : step.before;
    return set;
}

std::optional<ChangeSet> EditHistory::undo()
{
    if (open_)
        end(open_->before);
    observeSaved();
    if (!canUndo())
        return std::nullopt;
    canMerge_ = false;
    bool settings = false;
    while (steps_[applied_ - 1]->hidden) {
        settings = true;
        swap(*steps_[--applied_]);
    }
    Step& step = *steps_[--applied_];
    swap(step);
    publishSaved();
    ChangeSet set = changeSetOf(step, false);
    set.settings = set.settings || settings;
    return set;
}

std::optional<ChangeSet> EditHistory::redo()
{
    if (open_)
        end(open_->before);
    observeSaved();
    if (!canRedo())
        return std::nullopt;
    canMerge_ = false;
    bool settings = false;
    while (steps_[applied_]->hidden) {
        settings = true;
        swap(*steps_[applied_++]);
    }
    Step& step = *steps_[applied_];
    swap(step);
    ++applied_;
    // The tidy-up a save made right after this step comes back with it.
    while (applied_ < steps_.size() && steps_[applied_]->hidden) {
        settings = true;
        swap(*steps_[applied_++]);
    }
    publishSaved();
    ChangeSet set = changeSetOf(step, true);
    set.settings = set.settings || settings;
    return set;
}

void EditHistory::clear()
{
    steps_.clear();
    open_.reset();
    tidy_.reset();
    applied_ = 0;
    saved_ = 0;
    dirtyOutside_ = false;
    canMerge_ = false;
}

void EditHistory::markModifiedOutside()
{
    dirtyOutside_ = true;
    doc_.isSaved = 0;
}

void EditHistory::observeSaved()
{
    if (doc_.isSaved) {
        saved_ = applied_;
        dirtyOutside_ = false;
    } else if (saved_ && *saved_ == applied_) {
        dirtyOutside_ = true;
    }
}

void EditHistory::publishSaved()
{
    doc_.isSaved = saved_ && *saved_ == applied_ && !dirtyOutside_ ? 1 : 0;
}

void EditHistory::beforeTidy()
{
    if (open_)
        end(open_->before);
    observeSaved();
    tidy_ = std::make_unique<Step>();
    tidy_->kind = StepKind::Tidy;
    tidy_->hidden = true;
    // The tidy-up reaches back to the new last measure (one before the last
    // at least) and, for an emptied score, rebuilds every track.
    const int dropped = std::max(doc_.emptyMeasuresAtEnd(), 1);
    tidy_->region = {ScoreRegion::kAllTracks, std::max(doc_.measureCount - 1 - dropped, 0), ScoreRegion::kToEnd,
                     true};
    tidy_->change.measureCount = doc_.measureCount;
    tidy_->change.trackCount = doc_.trackCount;
    tidy_->change.settings = ScoreSettings::of(doc_);
    takeSnapshot(doc_, tidy_->region, tidy_->change.slices);
}

void EditHistory::afterTidy()
{
    if (!tidy_)
        return;
    std::unique_ptr<Step> step = std::move(tidy_);
    Change& c = step->change;
    bool changed = settleSlices(doc_, c.slices) || c.measureCount != doc_.measureCount ||
                   c.trackCount != doc_.trackCount || !(*c.settings == ScoreSettings::of(doc_));
    if (!changed)
        return;
    c.settings->mixerInStep = !c.settings->sameMixer(doc_);
    const std::size_t at = applied_;
    std::size_t inserted = 1;
    if (at < steps_.size()) {
        // Steps still to redo were recorded on the score before the tidy-up:
        // one more hidden step, redone before them, takes it back.
        auto inverse = std::make_unique<Step>(*step);
        steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(at), std::move(inverse));
        ++inserted;
    }
    steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(at), std::move(step));
    ++applied_;
    if (saved_ && *saved_ > at)
        *saved_ += inserted;
    canMerge_ = false;
}

std::size_t EditHistory::bytes() const
{
    std::size_t n = 0;
    for (const auto& step : steps_) {
        n += sizeof(Step);
        for (const TrackSlice& s : step->change.slices) {
            n += sizeof(TrackSlice) + s.stored.capacity() * sizeof(StoredMeasure);
            for (const StoredMeasure& m : s.stored)
                n += static_cast<std::size_t>(m.measure.beats.raw().capacity()) * sizeof(CAccord);
        }
        if (step->change.settings)
            n += step->change.settings->bytes();
    }
    return n;
}

} // namespace edit
