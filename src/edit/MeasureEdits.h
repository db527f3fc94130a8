#pragma once

#include "CTabDoc.h"

#include <algorithm>
#include <vector>

// Changes to whole measures and their beat arrays shared by the editing
// commands. Each keeps the model's invariants: beatCount within the array,
// index equal to the position, the same measures in every track.
namespace edit {

// How many tracks the score uses, within what the model can hold.
inline int tracksInUse(const CTabDoc& doc)
{
    return std::clamp(doc.trackCount, 0, model::kMaxTracks);
}

// Gives every measure from `from` on the index of its position.
void renumber(CArray<CMesure>& measures, int from);

// The most beats a measure may hold: the native file stores the count in a byte.
constexpr int kMaxBeatsPerMeasure = model::kMaxBeatsPerMeasure;

// Rest beats that fill a measure of this time signature, shortest first: one
// rest per set bit of the length in 64ths (3/4 gives a quarter then a half
// rest). Lengths of two whole notes or more end with as many whole rests as
// the rest of the length holds.
std::vector<CAccord> restPattern(int numerator, int denominator);

// A measure nobody has written into: at most one beat, not full, and that
// beat without any note. The Right key creates such measures as placeholders
// and may fill them later.
bool isUnwritten(const CMesure& measure);

// Turns `measure` into a one-beat placeholder numbered `index` with the time
// signature, tempo and instrument of `model`.
void makePlaceholder(CMesure& measure, const CMesure& model, int index);

// Replaces the beats of `measure` with `rests` (a rest pattern).
void fillWithRests(CMesure& measure, const std::vector<CAccord>& rests, int index);

// Room for one more beat after the beats in use: a spare beat, or the array
// grown by `step` beats. False when the measure is at its beat limit.
bool makeRoomForBeat(CMesure& measure, int step);

// A default beat at `at`, the beats from there on moving up; the array holds
// exactly the beats in use afterwards. False (nothing changed) at the limit.
bool insertBeat(CMesure& measure, int at);

// Removes beat `at`; the array holds exactly the beats in use afterwards.
void deleteBeat(CMesure& measure, int at);

// Removes measure `at` from every track in use and renumbers the rest.
void deleteMeasure(CTabDoc& doc, int at);

// Whether any track in use but `exceptTrack` plays a note in measure `at`.
bool otherTracksPlayIn(const CTabDoc& doc, int at, int exceptTrack);

// Inserts a measure of rests at `at` in every track in use, taking its time
// signature, tempo and instrument from the measure it pushes up, and renumbers.
void insertMeasure(CTabDoc& doc, int at);

} // namespace edit
