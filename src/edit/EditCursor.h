#pragma once

#include "CTabDoc.h"
#include "ViewState.h"

namespace edit {

// The score position under the view's cursor: the measure, the beat and the
// note the editing commands work on, and what the measure's instrument
// implies (strings shown, highest value typed, drums).
class EditCursor {
public:
    EditCursor(CTabDoc& doc, view::ViewState& state) : doc_(doc), state_(state) {}

    // Brings a cursor that points outside the score back inside it (last
    // measure, first beat) and the staff line onto the staff. False when the
    // score holds no measure to put it on.
    bool settle();

    // The measure under the cursor; settle() must have returned true.
    CMesure& measure();
    const CMesure& measure() const;
    // Any command that finds the beat index at or past the beats in use
    // starts from beat 0 again.
    void normaliseBeat();
    // The beat under the cursor, giving an empty measure its first beat.
    CAccord& beat();
    CNote& note();

    // The beat the cursor shows, without changing anything; nullptr when the
    // cursor is not on a beat.
    const CAccord* shownBeat() const;
    const CNote* shownNote() const;

    int instrument() const;
    bool isDrum() const { return instrument() == model::kDrums; }
    bool isBass() const { return instrument() == model::kBass; }
    int stringCount() const;
    // Highest value that can be typed: a fret, or a drum number.
    int typingLimit() const { return isDrum() ? 29 : 24; }
    // Note slot of the cursor's staff line: the lowest strings use the last slots.
    int noteIndex() const;

private:
    bool valid() const;

    CTabDoc& doc_;
    view::ViewState& state_;
};

// Grows a track's array, with default measures, until index `measure` exists.
void ensureMeasureExists(CTabDoc& doc, int track, int measure);

} // namespace edit
