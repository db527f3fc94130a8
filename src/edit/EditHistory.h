#pragma once

#include "CTabDoc.h"
#include "ChangeSet.h"
#include "ScoreChangeRecorder.h"
#include "StepKind.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace edit {

// The part of the score a change may touch. Everything outside it must stay
// as it was; the history keeps only this part of the score per step.
struct ScoreRegion {
    static constexpr int kToEnd = -1;

    std::uint16_t tracks = 0; // bit t: measures of track t are touched
    int first = 0;            // first measure touched
    int count = 0;            // measures from `first`, or kToEnd: up to the end of each track's array
    bool header = false;      // score and track settings, slot tables, names

    static ScoreRegion measure(int track, int measure) { return {trackBit(track), measure, 1, false}; }
    static ScoreRegion measures(std::uint16_t tracks, int first, int count) { return {tracks, first, count, false}; }
    static ScoreRegion settings() { return {0, 0, 0, true}; }
    // Every measure array and every setting.
    static ScoreRegion everything() { return {kAllTracks, 0, kToEnd, true}; }
    static std::uint16_t trackBit(int track) { return static_cast<std::uint16_t>(1u << track); }
    static std::uint16_t tracksInUse(const CTabDoc& doc);
    static constexpr std::uint16_t kAllTracks = (1u << model::kMaxTracks) - 1;
};

// Undo and redo of every score change. A change is recorded by `begin`
// (before it is applied, naming what it may touch) and `end` (after): a step
// is kept only when the score really changed, so a cancelled dialog or a key
// that only stopped the music leaves nothing. Steps keep the touched part of
// the score, not copies of it all. The document's `isSaved` follows the
// history: back at the point last saved or opened, the score is unmodified.
//
// Changes the document makes by itself (the tidy-up when saving) come in
// through ScoreChangeRecorder and are stored as hidden steps that undo and
// redo pass over with their neighbours, so every step always finds the score
// exactly as it left it.
class EditHistory : public ScoreChangeRecorder {
public:
    explicit EditHistory(CTabDoc& doc);
    ~EditHistory() override;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // Starts recording a change of `region`. Changes do not nest: a second
    // begin ends the first one as if `end` had been called with its cursor.
    void begin(StepKind kind, const ScoreRegion& region, const CursorPlace& before);
    // Whether a change is being recorded.
    bool recording() const { return open_ != nullptr; }
    // Ends the change: true when the score changed and a step was kept.
    // With `mergeTyping` (the caller knows nothing happened since the last
    // step) a typing step on the same note as that step joins it.
    // `redrawLevel` is what the change asked the view to repaint; undo and
    // redo of the step ask for the same.
    bool end(const CursorPlace& after, bool mergeTyping = false, int redrawLevel = 1);
    // Drops the change being recorded, keeping what it did to the score
    // unrecorded; only for changes known to leave the score as it was.
    void abandon();

    bool canUndo() const;
    bool canRedo() const;
    // The kind of the step undo or redo would act on.
    std::optional<StepKind> undoKind() const;
    std::optional<StepKind> redoKind() const;
    // Takes the last step back (or applies the next one again); nothing when
    // there is none.
    std::optional<ChangeSet> undo();
    std::optional<ChangeSet> redo();

    // Forgets every step (a new or opened score).
    void clear();
    // Changes the document's modified state outside the history (the track
    // pop-up's volume and pan): the score counts as modified until saved.
    void markModifiedOutside();

    // Bytes the steps hold, for measuring.
    std::size_t bytes() const;
    std::size_t stepCount() const { return steps_.size(); }

    // ScoreChangeRecorder
    void beforeTidy() override;
    void afterTidy() override;
    void scoreReplaced() override { clear(); }

private:
    struct Change;
    struct Step;

    // Notes a save or an outside change before acting.
    void observeSaved();
    // Sets the document's modified state from where the history stands.
    void publishSaved();
    void swap(Step& step);
    static ChangeSet changeSetOf(const Step& step, bool forward);

    CTabDoc& doc_;
    std::vector<std::unique_ptr<Step>> steps_;
    std::size_t applied_ = 0; // steps_[0, applied_) are in the score
    std::unique_ptr<Step> open_;
    std::unique_ptr<Step> tidy_;
    // Position of the saved score in steps_, or none when it cannot be reached.
    std::optional<std::size_t> saved_ = 0;
    bool dirtyOutside_ = false;
    bool canMerge_ = false;
};

} // namespace edit
