#pragma once

#include "CTabDoc.h"

#include <string>
#include <string_view>

// The settings of measures, tracks and the score that the settings dialogs
// change: what they accept (in the order the user is told about mistakes)
// and how the accepted values go into the score. Measure numbers as typed
// are 1-based; the functions writing the score take 0-based indexes.
namespace edit {

inline constexpr const char* kBadBeatsPerMeasure =
    "Vous devez entrer un nombre de temps par mesure compris entre 1 et 16";
inline constexpr const char* kBadBeatUnit = "Vous devez entrer une des valeurs suivantes : 1, 2, 4, 8, 16, 32, 64";
inline constexpr const char* kBadFirstMeasure = "Le numéro de la mesure de début est incorrect";
inline constexpr const char* kBadLastMeasure = "Le numéro de la mesure de fin est incorrect";
inline constexpr const char* kBadTempo = "Vous devez entrer une valeur comprise entre  1 et 500";
inline constexpr const char* kBadCapo = "Vous devez entrer une valeur comprise entre 0 et 12";
inline constexpr const char* kBadRepeatCount = "Vous devez entrer une valeur supérieure ou égale à 1";

// A number typed in a digits-only field: an empty field reads 0, a number
// too large for an int reads as the largest int (and fails every check).
int readNumber(std::string_view text);

// A range of measures as typed in the range fields (1-based).
struct MeasureRange {
    int first = 0;
    int last = 0;
};

// Each returns the message to show, or nullptr when the input is accepted.
const char* checkRange(const MeasureRange& range, int measureCount);
const char* checkSignature(int numerator, int denominator, const MeasureRange& range, int measureCount);
const char* checkTempo(int tempo, const MeasureRange& range, int measureCount);
const char* checkCapo(int fret);
const char* checkRepeatCount(int count);

// Measures first..last of every track in use get the signature; the score's
// own signature follows when `scoreLevel` (the cursor stands on measure 0).
void setSignature(CTabDoc& doc, int numerator, int denominator, int first, int last, bool scoreLevel);
// Measures first..last of every track in use get the tempo; the score's
// tempo follows when the range starts at the first measure.
void setTempo(CTabDoc& doc, int tempo, int first, int last);

// Repeat marks, always on the measure of that index in every track in use.
bool hasRepeatStart(const CTabDoc& doc, int track, int measure);
bool hasRepeatEnd(const CTabDoc& doc, int track, int measure);
void toggleRepeatStart(CTabDoc& doc, int measure);
// Removes the end mark and its count.
void clearRepeatEnd(CTabDoc& doc, int measure);
// Sets the end mark with `count` (at least 1), replacing any count left over.
void setRepeatEnd(CTabDoc& doc, int measure, int count);

// The score's properties as the properties dialog shows them.
struct ScoreProperties {
    std::string title, author, tabber, notes;
    bool tripletFeel = false, showAuthor = true, showTabber = true;

    static ScoreProperties of(const CTabDoc& doc);
    void applyTo(CTabDoc& doc) const;
    bool operator==(const ScoreProperties&) const = default;
};

} // namespace edit
