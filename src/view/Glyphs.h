#pragma once

#include "Path.h"

// The music glyph set the score is drawn with. Every glyph is an outline in
// units of the font size (1.0 = one em), y downwards, with its reference
// point at the origin: the horizontal centre of the glyph on the baseline.
// Fret digits are the exception: devices draw them from a bold sans face,
// scaled to kDigitHeight and centred on the baseline.
namespace view::glyphs {

constexpr int kDot = 46;
constexpr int kFlag = 74;       // one flag (eighth)
constexpr int kDoubleFlag = 75; // two flags, used for 16th, 32nd and 64th
constexpr int kTriplet = 163;
constexpr int kWaveWidth = 166; // its advance spaces the vibrato waves
constexpr int kRest32 = 168;
constexpr int kVibratoWave = 181;
constexpr int kRest16 = 197;
constexpr int kRestQuarter = 206;
constexpr int kDeadNote = 220;
constexpr int kRest8 = 228;
constexpr int kRestLong = 238;
constexpr int kTempoNote = 242;
constexpr int kRest64 = 244;

// Height of a fret digit in em, and how far its advance is narrowed.
constexpr double kDigitHeight = 0.40;
constexpr double kDigitWidthScale = 0.92;

inline bool isDigit(int code)
{
    return code >= '0' && code <= '9';
}

// The outline of a glyph, or nullptr for digits and codes without a glyph.
const Path* outline(int code);

// Horizontal advance in em.
double advance(int code);

// Every code that has an outline.
const int* outlineCodes(int& count);

} // namespace view::glyphs
