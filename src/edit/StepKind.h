#pragma once

#include <string>

namespace edit {

// What a step of the edit history did, for the "Annuler …" and
// "Rétablir …" menu texts.
enum class StepKind : int {
    Typing,
    ClearNote,
    Rhythm,
    Rest,
    Tie,
    NoteEffect,
    InsertBeat,
    DeleteBeat,
    InsertMeasure,
    DeleteMeasure,
    Duration,
    ScoreEnd,
    Drum,
    Signature,
    Tempo,
    RepeatStart,
    RepeatEnd,
    Capo,
    Properties,
    Cut,
    Paste,
    AddTrack,
    DeleteTrack,
    Instrument,
    Tuning,
    Volumes,
    // Changes made outside the editing commands (the tidy-up before a save):
    // undone and redone together with their neighbours, never on their own.
    Tidy,
};

// The French noun phrase naming a step, with its article ("la saisie").
const char* stepNoun(StepKind kind);

// Texts of the two history commands for the step they would take back or
// apply again; nothing to undo or redo gives the plain text.
std::string undoText(const StepKind* kind);
std::string redoText(const StepKind* kind);

} // namespace edit
