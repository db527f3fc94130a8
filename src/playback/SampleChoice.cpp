#include "SampleChoice.h"

#include "CSoundEngine.h"
#include "CTabDoc.h"

#include <cstdint>

namespace voicing {

int SampleIndexFor(int instrument, const CNote& note, const std::array<int, 6>& tuning, int capo, int string)
{
    if (note.fret == model::kEmptyFret || string < 0 || string >= 6)
        return kNoSample;
    const int n = instrument >= 0 && instrument < 8 ? CSoundEngine::sampleCount[static_cast<std::size_t>(instrument)] : 0;
    if (n == 0)
        return kNoSample;
    if (instrument == model::kDrums)
        return note.fret >= 0 && note.fret < n ? note.fret : kNoSample;
    if (note.fret == model::kDeadFret)
        return n - 1;
    std::int64_t index = static_cast<std::int64_t>(tuning[static_cast<std::size_t>(5 - string)]) + note.fret;
    if (note.fret <= 24)
        index += capo;
    // Too high for the instrument: played as many octaves lower as needed.
    if (index >= n - 1)
        index -= 12 * ((index - (n - 1)) / 12 + 1);
    return index >= 0 ? static_cast<int>(index) : kNoSample;
}

int SampleIndex(const CTabDoc& doc, const CMesure& measure, const CAccord& beat, int string, int track)
{
    if (track < 0 || track >= model::kMaxTracks || string < 0 || string >= 6)
        return kNoSample;
    const auto t = static_cast<std::size_t>(track);
    return SampleIndexFor(doc.instrumentOfSlot(measure.instrumentSlot), beat.notes[string], doc.tuning[t], doc.capo[t],
                          string);
}

} // namespace voicing
