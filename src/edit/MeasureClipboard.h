#pragma once

#include "CTabDoc.h"

#include <array>
#include <vector>

namespace edit {

// A measure that stands in for a track with nothing to paste: the rests of
// the time signature of `model`, tempo 60 in 4/4 otherwise.
CMesure fillerMeasure(const CMesure& model);

enum class PasteMode {
    InsertAfter, // "Insérer après la mesure en cours"
    Replace,     // "Remplacer les mesures"
};

// Whole measures copied or cut from the score, kept for the window's whole
// life (it survives opening another score) and never given to the system
// clipboard.
class MeasureClipboard {
public:
    // Copied measures, one array per track slot.
    std::array<std::vector<CMesure>, model::kMaxTracks> clipboardTracks;
    // -1 when every track was copied, otherwise the track copied from.
    int clipboardTrack = -1;
    // Tracks holding copied measures (the others hold one filler measure).
    int copiedTracks = 0;

    bool empty() const;
    void clear();
    // Measures first..last (0-based) of track `track`, or of every track
    // when `track` is -1; `filler` goes to the slots without a copy.
    void copy(const CTabDoc& doc, int first, int last, int track, const CMesure& filler);
    // How many measures a paste puts into each track.
    int measureCount() const;
};

// Removes measures first..last from every track, after copying them into
// `clipboard`. A score cut whole keeps one empty measure per track. Returns
// the measure the cursor goes to, given the one it was on.
int cutMeasures(CTabDoc& doc, MeasureClipboard& clipboard, int first, int last, const CMesure& filler,
                int cursorMeasure);
// The first measure a cut from `first` may change: the one before becomes
// the last measure when the cut takes the end of the score.
inline int cutTouchesFrom(int first)
{
    return first > 0 ? first - 1 : 0;
}

// Puts the clipboard into the score at the cursor's measure `at` of
// `cursorTrack`. Every track keeps the same number of measures: tracks
// without copied measures receive rests, and every track's measure at a
// pasted position takes the pasted measure's tempo, signature and repeat
// marks. Nothing happens with an empty clipboard.
void pasteMeasures(CTabDoc& doc, const MeasureClipboard& clipboard, int cursorTrack, int at, PasteMode mode);

} // namespace edit
