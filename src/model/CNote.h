#pragma once

#include "ModelConstants.h"

// One string's entry in a beat.
class CNote {
public:
    int fret = model::kEmptyFret;
    int technique = 0;
    int bend = 0;
    int vibrato = 0;

    // EMPTY means exactly {27, 0, 0, 0}; a fret of 27 with a technique is not empty.
    bool isEmpty() const { return fret == model::kEmptyFret && technique == 0 && bend == 0 && vibrato == 0; }
    void clear() { *this = CNote(); }

    bool operator==(const CNote&) const = default;
};
