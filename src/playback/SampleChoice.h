#pragma once

#include <array>

class CAccord;
class CMesure;
class CNote;
class CTabDoc;

// Which recorded sample sounds a note: chosen by playback, which knows the
// measure (and so the instrument slot) the note is in.
namespace voicing {

// No sample: an empty string or a note the instrument cannot play.
inline constexpr int kNoSample = 52;

// The note-to-index rule for a note of `instrument` on `string` (0 =
// highest) with the track's tuning (lowest string first) and capo.
int SampleIndexFor(int instrument, const CNote& note, const std::array<int, 6>& tuning, int capo, int string);

// Sample index of note `string` of `beat`, a beat of `measure` in `track`.
int SampleIndex(const CTabDoc& doc, const CMesure& measure, const CAccord& beat, int string, int track);

} // namespace voicing
