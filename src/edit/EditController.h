#pragma once

#include "CTabDoc.h"
#include "EditCursor.h"
#include "EditHistory.h"
#include "EditHooks.h"
#include "EditKey.h"
#include "EditOutcome.h"
#include "MousePlacement.h"
#include "NoteCommands.h"
#include "ScoreLayout.h"
#include "ViewState.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace edit {

class EditCursor;

// Editing the score through the view's cursor: every key of the score view,
// the beat and measure commands, the note attribute commands with their
// update handlers, and cursor placement by the mouse. Plain C++: the window
// maps its events to these calls, lays the score out again after a change
// and repaints at the redraw level left in the view state.
//
// The layout passed in is the one on screen, computed from the current score
// and view state; movements between lines and scrolls read it. Calls may
// change the score while playback reads it (keypad + and - do not stop the
// music): the caller holds the score lock around them.
class EditController {
public:
    EditController(CTabDoc& doc, view::ViewState& state);
    ~EditController();
    EditController(const EditController&) = delete;
    EditController& operator=(const EditController&) = delete;

    void setPlayback(PlaybackControl* playback) { hooks_.playback = playback; }
    void setAmountDialog(AmountDialog* dialog) { hooks_.amount = dialog; }
    void setArpeggioDialog(ArpeggioDialog* dialog) { hooks_.arpeggio = dialog; }
    void setScoreLock(std::recursive_mutex* lock) { hooks_.scoreLock = lock; }

    // ---- the edit history ----
    // The one way a command changes the score: stops playback when the
    // command does, holds the score lock, records `region` (everything
    // `change` may touch) and runs `change`. Only a real change makes an
    // undo step and marks the score modified: a dialog answered "Annuler"
    // should not call this at all, but one that changes nothing leaves no
    // trace either.
    EditOutcome applyChange(StepKind kind, const ScoreRegion& region, bool stopsPlayback,
                            const std::function<void()>& change);
    EditOutcome undo() { return moveInHistory(true); }
    EditOutcome redo() { return moveInHistory(false); }
    EditHistory& history() { return history_; }
    const EditHistory& history() const { return history_; }
    // Where the cursor stands, as the history records it.
    CursorPlace place() const;

    // A key pressed in the score view.
    EditOutcome keyDown(const KeyPress& key, const view::ScoreLayout& layout);

    // Commands served here: the note attributes, "Insérer", "Supprimer" and
    // "&Insérer une mesure". False in `handled` for any other id.
    EditOutcome command(int id, bool* handled = nullptr);
    // Update handler: whether the command shows checked at the cursor;
    // nothing when the command has no update handler here.
    std::optional<bool> checked(int id) const { return notes_.checked(id); }

    // Mouse button released at (x, y) in the view's coordinates.
    EditOutcome mouseRelease(int x, int y, const view::ScoreLayout& layout, std::int64_t nowMs)
    {
        typingJoinable_ = false;
        return mouse_.place(x, y, layout, nowMs);
    }
    // A score was opened or created at this time: clicks just after are ignored.
    void scoreLoaded(std::int64_t nowMs) { mouse_.scoreLoaded(nowMs); }

    // Where Enter starts playback from: kept for the whole run, not per score.
    view::MeasureRef replayMeasure() const { return replayMeasure_; }
    int replayTrack() const { return replayTrack_; }

    // The single keys, also used by the window's commands and by tests.
    EditOutcome typeDigit(int digit);
    EditOutcome clearNote();
    EditOutcome moveLeft(const view::ScoreLayout& layout);
    EditOutcome moveRight(const view::ScoreLayout& layout);
    EditOutcome moveUp(const view::ScoreLayout& layout);
    EditOutcome moveDown(const view::ScoreLayout& layout);
    EditOutcome pageUp(const view::ScoreLayout& layout);
    EditOutcome pageDown(const view::ScoreLayout& layout);
    EditOutcome insertBeat();
    EditOutcome deleteBeatOrMeasure();
    EditOutcome insertMeasure();
    EditOutcome lengthen();
    EditOutcome shorten();
    EditOutcome replay();

private:
    // One action's bookkeeping: the redraw level is the lowest any of its
    // steps asked for (a scroll during playback asks for its own level).
    class Action;
    // Space, Insert and Delete while the music plays only stop it: true then.
    bool onlyStopsPlayback(Action& a);
    // Up or Down to the next staff line of the same beat.
    EditOutcome stepAlongStaff(Action& a, const EditCursor& cursor, int step);

    bool playing() const { return state_.isPlaying; }
    EditOutcome changeDuration(int step);
    EditOutcome runNoteCommandFromKey(int id);
    EditOutcome runNoteCommand(int id);
    EditOutcome moveInHistory(bool back);
    EditOutcome finishHistoryMove(const std::optional<ChangeSet>& set);
    void putCursor(const CursorPlace& p);
    void placeholderPass(int measure);

    CTabDoc& doc_;
    view::ViewState& state_;
    EditHooks hooks_;
    NoteCommands notes_;
    MousePlacement mouse_;
    EditHistory history_;
    // The last action typed a digit: the next digit on the same note joins its step.
    bool typingJoinable_ = false;
    bool replaySet_ = false;
    view::MeasureRef replayMeasure_;
    int replayTrack_ = 0;
};

} // namespace edit
