#pragma once

#include "CAccord.h"

#include <initializer_list>
#include <utility>

// Beats for tests, written the way a score reads.
namespace builders {

// A beat of `code` with notes given as {note slot 0..5, fret}.
inline CAccord beat(int code, std::initializer_list<std::pair<int, int>> notes = {})
{
    CAccord b;
    b.durationCode = code;
    for (const auto& [slot, fret] : notes)
        b.notes[slot].fret = fret;
    return b;
}

inline CAccord rest(int code)
{
    CAccord b;
    b.durationCode = code;
    b.isRest = 1;
    return b;
}

} // namespace builders
