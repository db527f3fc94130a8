#pragma once

#include "CNote.h"

// One beat (one column) of one track. notes[0] is the highest string.
class CAccord {
public:
    CNote notes[model::kStrings];
    int durationCode = 4;
    int palmMute = 0;
    int arpeggio = 0;
    int isDotted = 0;
    int isTied = 0;
    int isTriplet = 0;
    int isRest = 0;

    // Back to the default beat, keeping arpeggio and isRest.
    void resetBeat()
    {
        for (CNote& n : notes)
            n.clear();
        durationCode = 4;
        palmMute = 0;
        isDotted = 0;
        isTied = 0;
        isTriplet = 0;
    }

    // Length in 64ths; triplet beats count 0 so a measure of triplets is never full.
    int beatTicks() const
    {
        if (isTriplet)
            return 0;
        const int t = 1 << (durationCode & 7);
        return isDotted ? t + t / 2 : t;
    }

    bool hasNoFrets() const
    {
        for (const CNote& n : notes)
            if (n.fret != model::kEmptyFret)
                return false;
        return true;
    }

    bool operator==(const CAccord&) const = default;
};

inline void copyBeat(CAccord& destination, const CAccord& source)
{
    destination = source;
}
