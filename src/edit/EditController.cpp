#include "EditController.h"

#include "EditCommand.h"
#include "MeasureEdits.h"
#include "ViewScroll.h"

#include <algorithm>

namespace edit {

using view::kNotLaidOut;
using view::kRedrawAll;
using view::kRedrawContents;
using view::kRedrawLayout;
using view::kRedrawScrollPlaying;

class EditController::Action {
public:
    explicit Action(EditController& c) : c_(c) {}

    // The score is about to change within `region`: from here to finish the
    // change is recorded as one step, under the score lock.
    void record(StepKind kind, const ScoreRegion& region)
    {
        if (c_.hooks_.scoreLock && !lock_.owns_lock())
            lock_ = std::unique_lock<std::recursive_mutex>(*c_.hooks_.scoreLock);
        before_ = c_.place();
        region_ = region;
        c_.history_.begin(kind, region, before_);
        recording_ = true;
    }
    // A digit typed on the note the previous digit went to joins its step.
    void mayJoinTyping() { joinTyping_ = true; }

    void redraw(int level)
    {
        out_.repaint = true;
        if (level_ < 0)
            level_ = level;
        else if (level_ == kRedrawAll || level == kRedrawAll)
            level_ = kRedrawAll;
        else if (level_ == kRedrawScrollPlaying || level == kRedrawScrollPlaying)
            level_ = kRedrawScrollPlaying;
        else
            level_ = std::min(level_, level);
    }
    void changed() { out_.scoreChanged = true; }
    void moved() { out_.cursorMoved = true; }

    // A scroll this action asks for; the cursor stays where the action put
    // it unless `cursorFollows`.
    bool scroll(const view::ScoreLayout& layout, view::ScrollRequest request, bool cursorFollows)
    {
        view::ViewState& state = c_.state_;
        const bool follows = state.scrollMovesCursor;
        if (!cursorFollows)
            state.scrollMovesCursor = false;
        const bool scrolled = view::scrollBy(state, layout, request);
        state.scrollMovesCursor = follows;
        if (scrolled) {
            moved();
            if (state.isPlaying) {
                out_.erase = true;
                redraw(kRedrawScrollPlaying);
            } else {
                redraw(kRedrawLayout);
            }
        }
        return scrolled;
    }

    // Stopping playback changes the colours of the whole view.
    void stoppedPlayback() { out_.repaint = true; }

    EditOutcome finish(bool drumMeasure)
    {
        if (recording_) {
            recording_ = false;
            const bool join = joinTyping_ && c_.typingJoinable_;
            const int level = level_ >= 0 && level_ <= kRedrawContents ? level_ : kRedrawLayout;
            out_.scoreChanged = c_.history_.end(c_.place(), join, level);
            c_.typingJoinable_ = joinTyping_ && out_.scoreChanged;
            if (out_.scoreChanged) {
                ChangeSet set;
                set.tracks = region_.tracks;
                set.firstMeasure = region_.first;
                set.lastMeasure = region_.count == ScoreRegion::kToEnd ? -1 : region_.first + region_.count - 1;
                set.settings = region_.header;
                set.cursorBefore = before_;
                set.cursorAfter = c_.place();
                out_.change = set;
            }
        }
        if (lock_.owns_lock())
            lock_.unlock();
        if (level_ >= 0)
            c_.state_.redrawLevel = level_;
        out_.drumPalette = drumMeasure && out_.repaint;
        return out_;
    }
    EditOutcome finish()
    {
        EditCursor cursor(c_.doc_, c_.state_);
        return finish(cursor.settle() && cursor.isDrum());
    }

private:
    EditController& c_;
    EditOutcome out_;
    int level_ = -1;
    bool recording_ = false;
    bool joinTyping_ = false;
    CursorPlace before_;
    ScoreRegion region_;
    std::unique_lock<std::recursive_mutex> lock_;
};

namespace {

int commandOfLetter(int letter)
{
    switch (letter) {
    case 'A': return kArtificialHarmonic;
    case 'B': return kBend;
    case 'C': return kBarDip;
    case 'G': return kLeftHandTapping;
    case 'H': return kHammerOn;
    case 'J': return kSlap;
    case 'K': return kPop;
    case 'L': return kTie;
    case 'M': return kPalmMute;
    case 'N': return kNaturalHarmonic;
    case 'P': return kPullOff;
    case 'R': return kRelease;
    case 'S': return kRest;
    case 'T': return kTapping;
    case 'V': return kVibrato;
    case 'W': return kTremoloBar;
    case 'X': return kDeadNote;
    default: return 0;
    }
}

int trackSize(const CTabDoc& doc, int track)
{
    return doc.tracks[static_cast<std::size_t>(track)].GetSize();
}

} // namespace

EditController::EditController(CTabDoc& doc, view::ViewState& state)
    : doc_(doc), state_(state), notes_(doc, state, hooks_), mouse_(doc, state), history_(doc)
{
    doc_.setChangeRecorder(&history_);
}

EditController::~EditController()
{
    doc_.setChangeRecorder(nullptr);
}

CursorPlace EditController::place() const
{
    return {state_.cursorTrack, state_.cursorMeasure.measure, state_.cursorBeat, state_.cursorString,
            state_.cursorMeasureIndex};
}

void EditController::putCursor(const CursorPlace& p)
{
    state_.cursorTrack = p.track;
    state_.cursorMeasure = {p.track, p.measure};
    state_.cursorBeat = p.beat;
    state_.cursorString = p.string;
    state_.cursorMeasureIndex = p.measureIndex;
    state_.cursorMovedInMeasure = false;
}

EditOutcome EditController::keyDown(const KeyPress& key, const view::ScoreLayout& layout)
{
    if (!replaySet_) {
        replaySet_ = true;
        replayMeasure_ = {state_.cursorTrack, 0};
        replayTrack_ = 0;
    }
    if (key.key != Key::Digit)
        typingJoinable_ = false;
    switch (key.key) {
    case Key::Enter: return replay();
    case Key::Space: return clearNote();
    case Key::PageUp: return pageUp(layout);
    case Key::PageDown: return pageDown(layout);
    case Key::Home: return runNoteCommandFromKey(kArpeggio);
    case Key::Left: return moveLeft(layout);
    case Key::Right: return moveRight(layout);
    case Key::Up: return moveUp(layout);
    case Key::Down: return moveDown(layout);
    case Key::Insert: return insertBeat();
    case Key::Delete: return deleteBeatOrMeasure();
    case Key::Letter: {
        const int letter = key.value >= 'a' && key.value <= 'z' ? key.value - 'a' + 'A' : key.value;
        const int id = commandOfLetter(letter);
        return id ? runNoteCommandFromKey(id) : EditOutcome{};
    }
    case Key::Digit: return typeDigit(key.value);
    case Key::KeypadMultiply: return runNoteCommandFromKey(kSlideDown);
    case Key::KeypadDivide: return runNoteCommandFromKey(kSlideUp);
    case Key::KeypadDecimal: return runNoteCommandFromKey(kDotted);
    case Key::KeypadAdd: return lengthen();
    case Key::KeypadSubtract: return shorten();
    case Key::Other: break;
    }
    return {};
}

EditOutcome EditController::command(int id, bool* handled)
{
    typingJoinable_ = false;
    if (handled)
        *handled = true;
    switch (id) {
    case kInsertBeat:
        return insertBeat();
    case kDeleteBeat:
        return deleteBeatOrMeasure();
    case kInsertMeasure:
        return insertMeasure();
    default:
        break;
    }
    if (isNoteCommand(id))
        return runNoteCommand(id);
    if (handled)
        *handled = false;
    return {};
}

namespace {
StepKind kindOfNoteCommand(int id)
{
    if ((id >= kWhole && id <= kSixtyFourth) || id == kDotted || id == kTriplet)
        return StepKind::Rhythm;
    if (id == kRest)
        return StepKind::Rest;
    if (id == kTie)
        return StepKind::Tie;
    return StepKind::NoteEffect;
}
} // namespace

EditOutcome EditController::runNoteCommand(int id)
{
    Action a(*this);
    if (hooks_.stopPlayback(state_))
        a.stoppedPlayback();
    EditCursor cursor(doc_, state_);
    if (cursor.settle())
        a.record(kindOfNoteCommand(id), ScoreRegion::measure(state_.cursorTrack, state_.cursorMeasure.measure));
    const EditOutcome run = notes_.run(id);
    if (run.repaint)
        a.redraw(state_.redrawLevel);
    return a.finish(false);
}

EditOutcome EditController::runNoteCommandFromKey(int id)
{
    return runNoteCommand(id);
}

EditOutcome EditController::typeDigit(int digit)
{
    Action a(*this);
    if (digit < 0 || digit > 9)
        return a.finish(false);
    if (hooks_.stopPlayback(state_))
        a.stoppedPlayback();
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    cursor.normaliseBeat();
    a.record(cursor.isDrum() ? StepKind::Drum : StepKind::Typing,
             ScoreRegion::measure(state_.cursorTrack, state_.cursorMeasure.measure));
    a.mayJoinTyping();
    CAccord& beat = cursor.beat();
    const int level = beat.isRest ? kRedrawAll : kRedrawContents;
    beat.isRest = 0;
    CNote& note = cursor.note();
    const int limit = cursor.typingLimit();
    // A second digit extends the number while it stays a legal value; past
    // the limit typing starts afresh with the new digit.
    int value = note.fret >= 0 && note.fret <= limit ? 10 * note.fret + digit : digit;
    if (value > limit)
        value = digit;
    note.fret = value;
    // Not a cursor-only change: marks drawn from this note (slides, ties,
    // techniques) may appear or go anywhere on its line.
    state_.cursorMovedInMeasure = false;
    a.changed();
    a.redraw(level);
    return a.finish(cursor.isDrum());
}

bool EditController::onlyStopsPlayback(Action& a)
{
    if (!hooks_.stopPlayback(state_))
        return false;
    a.stoppedPlayback();
    return true;
}

EditOutcome EditController::clearNote()
{
    Action a(*this);
    if (onlyStopsPlayback(a))
        return a.finish(false);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    cursor.normaliseBeat();
    a.record(StepKind::ClearNote, ScoreRegion::measure(state_.cursorTrack, state_.cursorMeasure.measure));
    cursor.note().clear();
    state_.cursorMovedInMeasure = false;
    a.changed();
    a.redraw(kRedrawContents);
    return a.finish(cursor.isDrum());
}

EditOutcome EditController::moveLeft(const view::ScoreLayout& layout)
{
    Action a(*this);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    cursor.normaliseBeat();
    state_.cursorMovedInMeasure = true;
    if (state_.cursorBeat > 0) {
        --state_.cursorBeat;
        a.moved();
        a.redraw(cursor.isDrum() ? kRedrawLayout : kRedrawContents);
        return a.finish(cursor.isDrum());
    }
    const int i = state_.cursorMeasure.measure;
    if (i == 0 || playing())
        return a.finish(false);
    const int track = state_.cursorTrack;
    ensureMeasureExists(doc_, track, i - 1);
    const CMesure& previous = doc_.tracks[static_cast<std::size_t>(track)][i - 1];
    state_.cursorMeasure = {track, i - 1};
    state_.cursorBeat = std::max(view::beatsInUse(previous) - 1, 0);
    a.moved();
    if (i - 1 < layout.lineStart(layout.firstLine()))
        a.scroll(layout, view::ScrollRequest::LineUp, false);
    state_.cursorMovedInMeasure = false;
    a.redraw(kRedrawLayout);
    return a.finish();
}

void EditController::placeholderPass(int i)
{
    const CMesure& left = doc_.tracks[static_cast<std::size_t>(state_.cursorMeasure.track)][i];
    const std::vector<CAccord> rests = restPattern(left.numerator, left.denominator);
    for (int t = 0; t < tracksInUse(doc_); ++t) {
        auto& measures = doc_.tracks[static_cast<std::size_t>(t)];
        if (t != state_.cursorTrack && isUnwritten(measures[i]))
            fillWithRests(measures[i], rests, i);
        if (isUnwritten(measures[i + 1]))
            makePlaceholder(measures[i + 1], measures[i], i + 1);
    }
}

EditOutcome EditController::moveRight(const view::ScoreLayout& layout)
{
    Action a(*this);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    cursor.normaliseBeat();
    const int i = state_.cursorMeasure.measure;
    state_.cursorMeasureIndex = i;
    CMesure& m = cursor.measure();
    const int count = view::beatsInUse(m);
    const int carried = count > 0 ? m.beats[state_.cursorBeat].durationCode : 4;

    if (state_.cursorBeat < count - 1) {
        ++state_.cursorBeat;
        state_.cursorMovedInMeasure = true;
        a.moved();
        a.redraw(cursor.isDrum() ? kRedrawLayout : kRedrawContents);
        return a.finish(cursor.isDrum());
    }
    // The cursor shows the play position while playing: it does not run on
    // past the measure or grow the score under the music.
    if (playing())
        return a.finish(false);

    const bool full = isMeasureFull(m);
    // Compaction only trims spare storage past the beats in use: not a step.
    if (full)
        compactMeasure(m);
    else
        m.isCompacted = 0;

    const int track = state_.cursorTrack;
    if (!full) {
        a.record(StepKind::InsertBeat, ScoreRegion::measure(track, i));
    } else {
        // Past the end the score grows (and the arrays with it); otherwise
        // measures i and i + 1 of other tracks may be filled in.
        const bool growing = i >= doc_.measureCount - 1 || i + 1 >= trackSize(doc_, track) - 1;
        a.record(StepKind::ScoreEnd, ScoreRegion::measures(ScoreRegion::tracksInUse(doc_), i,
                                                           growing ? ScoreRegion::kToEnd : 2));
    }

    bool carry = false;
    if (!full) {
        // The measure still has room: the cursor goes to a new beat in it.
        if (!makeRoomForBeat(m, doc_.scoreNumerator))
            return a.finish(false);
        m.beatCount = count + 1;
        state_.cursorBeat = count;
        carry = true;
        a.changed();
    } else {
        const int tracks = tracksInUse(doc_);
        if (i >= doc_.measureCount - 1 || i + 1 >= trackSize(doc_, track)) {
            a.changed();
            if (i + 1 >= trackSize(doc_, track) - 1)
                for (int t = 0; t < tracks; ++t)
                    ensureMeasureExists(doc_, t, i + 50);
            if (i >= doc_.measureCount - 1) {
                ++state_.cursorMeasureIndex;
                doc_.measureCount = i + 2;
                carry = true;
                // Whatever an element past the end of the score held before,
                // the new measure starts blank in every track.
                for (int t = 0; t < tracks; ++t)
                    doc_.tracks[static_cast<std::size_t>(t)][i + 1] = CMesure();
            }
        }
        for (int t = 0; t < tracks; ++t)
            ensureMeasureExists(doc_, t, i + 1);
        placeholderPass(i);
        a.changed();
        state_.cursorBeat = 0;
        state_.cursorMeasure = {track, i + 1};
        a.moved();
        if (i + 1 >= layout.lineStart(layout.lastLine() - 1))
            a.scroll(layout, view::ScrollRequest::LineDown, false);
    }
    if (carry) {
        EditCursor now(doc_, state_);
        if (now.settle()) {
            CAccord& beat = now.beat();
            const bool blank = std::all_of(std::begin(beat.notes), std::end(beat.notes),
                                           [](const CNote& n) { return n.isEmpty(); });
            if (!beat.isRest && blank)
                beat.durationCode = carried;
        }
    }
    state_.cursorMovedInMeasure = false;
    a.moved();
    a.redraw(kRedrawLayout);
    return a.finish();
}

EditOutcome EditController::stepAlongStaff(Action& a, const EditCursor& cursor, int step)
{
    state_.cursorString += step;
    state_.cursorMovedInMeasure = true;
    a.moved();
    a.redraw(kRedrawContents);
    return a.finish(cursor.isDrum());
}

EditOutcome EditController::moveUp(const view::ScoreLayout& layout)
{
    Action a(*this);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    if (state_.cursorString > 0)
        return stepAlongStaff(a, cursor, -1);
    state_.cursorMovedInMeasure = false;
    const int index = state_.cursorMeasure.measure;
    // The line before the cursor's when its measure starts a line, else the
    // cursor's own line.
    int n = layout.lastLine();
    while (n > 0 && layout.lineStart(n) >= index)
        --n;
    if (n >= 1 && !playing()) {
        state_.cursorMeasure = {state_.cursorTrack, layout.lineStart(n)};
        state_.cursorBeat = 0;
        state_.cursorString = EditCursor(doc_, state_).stringCount() - 1;
        a.moved();
        if (n >= layout.firstLine())
            a.redraw(kRedrawLayout);
    }
    if (n < layout.firstLine())
        a.scroll(layout, view::ScrollRequest::PageUp, false);
    EditCursor now(doc_, state_);
    const bool drums = now.settle() && now.isDrum();
    if (drums)
        a.redraw(kRedrawLayout);
    return a.finish(drums);
}

EditOutcome EditController::moveDown(const view::ScoreLayout& layout)
{
    Action a(*this);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    if (state_.cursorString < cursor.stringCount() - 1)
        return stepAlongStaff(a, cursor, +1);
    state_.cursorMovedInMeasure = false;
    const int index = state_.cursorMeasure.measure;
    // The first line after the cursor's.
    int n = layout.firstLine();
    for (int start = layout.lineStart(n); start != kNotLaidOut && start <= index; start = layout.lineStart(n))
        ++n;
    const int target = layout.lineStart(n);
    bool moved = false;
    if (target != kNotLaidOut && n <= layout.lastScoreLine() && target < doc_.measureCount && !playing()) {
        state_.cursorMeasure = {state_.cursorTrack, target};
        if (n - layout.firstLine() >= layout.linesPerPage())
            a.scroll(layout, view::ScrollRequest::PageDown, false);
        state_.cursorString = 0;
        state_.cursorBeat = 0;
        a.moved();
        moved = true;
    }
    a.redraw(moved ? kRedrawLayout : kRedrawContents);
    return a.finish();
}

EditOutcome EditController::pageUp(const view::ScoreLayout& layout)
{
    Action a(*this);
    a.scroll(layout, view::ScrollRequest::PageUp, true);
    return a.finish(false);
}

EditOutcome EditController::pageDown(const view::ScoreLayout& layout)
{
    Action a(*this);
    a.scroll(layout, view::ScrollRequest::PageDown, true);
    return a.finish(false);
}

EditOutcome EditController::insertBeat()
{
    Action a(*this);
    if (onlyStopsPlayback(a))
        return a.finish(false);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    cursor.normaliseBeat();
    a.record(StepKind::InsertBeat, ScoreRegion::measure(state_.cursorTrack, state_.cursorMeasure.measure));
    // A measure at the file's beat limit takes no more.
    if (!edit::insertBeat(cursor.measure(), state_.cursorBeat))
        return a.finish(false);
    a.changed();
    a.redraw(kRedrawAll);
    return a.finish(cursor.isDrum());
}

EditOutcome EditController::deleteBeatOrMeasure()
{
    Action a(*this);
    if (onlyStopsPlayback(a))
        return a.finish(false);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    cursor.normaliseBeat();
    const int i = state_.cursorMeasure.measure;
    state_.cursorMeasureIndex = i;
    CMesure& m = cursor.measure();
    const int count = view::beatsInUse(m);
    if (count > 1)
        a.record(StepKind::DeleteBeat, ScoreRegion::measure(state_.cursorTrack, i));
    else
        a.record(StepKind::DeleteMeasure, ScoreRegion::measures(ScoreRegion::tracksInUse(doc_), i, 1));
    if (count > 1) {
        deleteBeat(m, state_.cursorBeat);
        if (state_.cursorBeat >= m.beatCount)
            state_.cursorBeat = m.beatCount - 1;
        a.changed();
    } else if (i < doc_.measureCount - 1 && !otherTracksPlayIn(doc_, i, state_.cursorTrack)) {
        // An empty or one-beat measure goes as a whole, in every track; the
        // cursor stays in place and so shows the measure that followed. Not
        // when another track plays in it: its notes would go unseen.
        deleteMeasure(doc_, i);
        if (state_.cursorMeasureIndex > 0)
            --state_.cursorMeasureIndex;
        a.changed();
    }
    EditCursor now(doc_, state_);
    const bool drums = now.settle() && now.isDrum();
    a.redraw(drums ? kRedrawLayout : kRedrawAll);
    return a.finish(drums);
}

EditOutcome EditController::insertMeasure()
{
    Action a(*this);
    if (hooks_.stopPlayback(state_))
        a.stoppedPlayback();
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    const int i = state_.cursorMeasure.measure;
    // Spare measures past the end are storage, not score: grown unrecorded.
    for (int t = 0; t < tracksInUse(doc_); ++t)
        ensureMeasureExists(doc_, t, std::max(i, doc_.measureCount - 1));
    a.record(StepKind::InsertMeasure, ScoreRegion::measures(ScoreRegion::tracksInUse(doc_), i, 1));
    edit::insertMeasure(doc_, i);
    state_.cursorMeasure = {state_.cursorTrack, i};
    state_.cursorBeat = 0;
    a.changed();
    a.moved();
    a.redraw(kRedrawLayout);
    return a.finish();
}

EditOutcome EditController::changeDuration(int step)
{
    // Lengthening and shortening go on while the music plays.
    Action a(*this);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    cursor.normaliseBeat();
    a.record(StepKind::Duration, ScoreRegion::measure(state_.cursorTrack, state_.cursorMeasure.measure));
    CAccord& beat = cursor.beat();
    beat.durationCode = std::clamp(std::clamp(beat.durationCode, 0, 6) + step, 0, 6);
    a.changed();
    a.redraw(kRedrawLayout);
    return a.finish(false);
}

EditOutcome EditController::lengthen()
{
    return changeDuration(+1);
}

EditOutcome EditController::shorten()
{
    return changeDuration(-1);
}

EditOutcome EditController::replay()
{
    Action a(*this);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return a.finish(false);
    if (!playing()) {
        replayMeasure_ = state_.cursorMeasure;
        replayTrack_ = state_.cursorTrack;
    } else {
        if (state_.cursorTrack != replayTrack_) {
            replayMeasure_ = {state_.cursorTrack, replayMeasure_.measure};
            replayTrack_ = state_.cursorTrack;
        }
        state_.cursorMeasure = replayMeasure_;
        // The remembered measure may have gone since.
        EditCursor(doc_, state_).settle();
        // Playing again stops first, and stopping puts the cursor back on
        // the measure index: the remembered one.
        state_.cursorMeasureIndex = state_.cursorMeasure.measure;
        state_.cursorBeat = 0;
        state_.cursorString = 2;
        a.moved();
    }
    if (hooks_.playback)
        hooks_.playback->play();
    return a.finish(false);
}

EditOutcome EditController::finishHistoryMove(const std::optional<ChangeSet>& set)
{
    EditOutcome out;
    if (!set)
        return out;
    putCursor(set->cursorAfter);
    EditCursor(doc_, state_).settle();
    out.scoreChanged = true;
    out.cursorMoved = true;
    out.repaint = true;
    out.showCursor = true;
    out.change = set;
    // A step that only changed notes in place repaints as little as its key did.
    state_.redrawLevel = set->settings ? kRedrawAll : set->redrawLevel;
    EditCursor cursor(doc_, state_);
    out.drumPalette = cursor.settle() && cursor.isDrum();
    return out;
}

EditOutcome EditController::moveInHistory(bool back)
{
    typingJoinable_ = false;
    hooks_.stopPlayback(state_);
    std::unique_lock<std::recursive_mutex> lock;
    if (hooks_.scoreLock)
        lock = std::unique_lock<std::recursive_mutex>(*hooks_.scoreLock);
    return finishHistoryMove(back ? history_.undo() : history_.redo());
}

EditOutcome EditController::applyChange(StepKind kind, const ScoreRegion& region, bool stopsPlayback,
                                        const std::function<void()>& change)
{
    typingJoinable_ = false;
    Action a(*this);
    if (stopsPlayback && hooks_.stopPlayback(state_))
        a.stoppedPlayback();
    a.record(kind, region);
    change();
    a.moved();
    a.redraw(region.header ? kRedrawAll : kRedrawLayout);
    return a.finish();
}

} // namespace edit
