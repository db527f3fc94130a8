#pragma once

#include "CTabDoc.h"
#include "EditHistory.h"
#include "ModelConstants.h"
#include "ViewState.h"

#include <array>
#include <string>
#include <vector>

namespace edit {

// The instruments in the order the track dialogs list them; the add dialog
// offers the first kAddableInstruments of them.
inline constexpr std::array<int, 7> kInstrumentChoices = {model::kFolkGuitar,      model::kClassicalGuitar,
                                                          model::kCleanGuitar,     model::kDistortedGuitar,
                                                          model::kBass,            model::kDrums,
                                                          model::kPiano};
inline constexpr int kAddableInstruments = 6;

// Arpeggio latency a track gets when it is given an instrument.
int defaultArpeggioLatency(int code);

// Each string's reference pitch: the tuning lists show the stored semitone
// minus this, as one of twelve note names.
inline constexpr std::array<int, model::kStrings> kStringReference = {0, 5, 10, 15, 19, 24};

// The six lists of the tuning dialog, k = 0 the lowest string.
struct TuningChoices {
    std::array<int, model::kStrings> choice{};
    std::array<bool, model::kStrings> enabled{true, true, true, true, true, true};

    // Moves list k to `value`; when linked, every other enabled list moves by
    // the same amount. Linked moves keep every list within 0..11.
    void move(int k, int value, bool linked);
};

// The note names of list k, first entry two semitones below the string's
// standard note.
std::array<const char*, 12> tuningNoteNames(int k);

// Removes from the slot table every slot of `candidates` that no measure of
// the score names any more, keeping at least one slot and renumbering the
// measures that name later slots. Returns how many slots went.
int releaseUnusedSlots(CTabDoc& doc, std::vector<int> candidates);

// What a command may touch, for the edit history: adding writes the new
// track's array, deleting moves every later track and renumbers slots.
ScoreRegion addTrackRegion(const CTabDoc& doc);
ScoreRegion tracksRegion(const CTabDoc& doc);

// Track management on the score and the cursor: add, delete, change the
// instrument over a measure range, retune. Dialogs collect the answers; the
// caller runs each command inside one step of the edit history.
class TrackCommands {
public:
    TrackCommands(CTabDoc& doc, view::ViewState& state) : doc_(doc), state_(state) {}

    static constexpr int kTitleLength = 50;
    static constexpr const char* kDeleteQuestion = "Voulez-vous vraiment supprimer cette piste ?";
    static constexpr const char* kBadRange = "Le numéro de la mesure de début ou de la mesure de fin est incorrect";

    // A new last track playing `code`, titled `title` or, when empty, after
    // its instrument; it becomes the track being edited. False when the
    // score has ten tracks already (or no slot is left).
    bool addTrack(const std::string& title, int code);

    // Deletes the cursor track (the only track is emptied to one measure
    // instead). True when instrument slots were freed: the sample bank
    // must be loaded again.
    bool deleteTrack();

    // Whether 1-based measures first..last make a range of the score.
    bool rangeValid(int first, int last) const;
    // The instrument of the cursor measure.
    int cursorInstrument() const;
    // Measures first..last (1-based, a valid range) of the cursor track play
    // `code`; a non-empty title renames the track. False when no slot is
    // left for a new instrument (nothing changes then).
    bool changeInstrument(const std::string& title, int code, int first, int last);

    // The tuning lists as the dialog opens them for the cursor track; on a
    // bass the two highest lists are disabled.
    TuningChoices tuningChoices() const;
    // Stores the enabled lists into the cursor track, or all ten tracks.
    void applyTuning(const TuningChoices& choices, bool allTracks);

    // Puts the cursor on track t, same measure index, first beat.
    void moveCursorToTrack(int t);

private:
    int slotOfMeasure(int track, int measure) const;

    CTabDoc& doc_;
    view::ViewState& state_;
};

// The tracks the multi-track view shows, as ticked in its dialog.
void chooseShownTracks(view::ViewState& state, const std::array<bool, model::kMaxTracks>& ticked, int trackCount);

} // namespace edit
