#include "ScoreCheck.h"

namespace model {

namespace {
std::string at(int track, int measure)
{
    return "track " + std::to_string(track) + ", measure " + std::to_string(measure) + ": ";
}
} // namespace

std::string scoreProblem(const CTabDoc& doc)
{
    if (doc.trackCount < 1 || doc.trackCount > kMaxTracks)
        return "track count " + std::to_string(doc.trackCount);
    if (doc.measureCount < 1)
        return "measure count " + std::to_string(doc.measureCount);
    if (doc.slotCount < 1 || doc.slotCount > kMaxSlots)
        return "slot count " + std::to_string(doc.slotCount);
    for (int s = 0; s < doc.slotCount; ++s)
        if (doc.slotInstrument[static_cast<std::size_t>(s)] == kFreeSlot)
            return "slot " + std::to_string(s) + " counted but free";
    for (int t = 0; t < doc.trackCount; ++t) {
        const CArray<CMesure>& measures = doc.tracks[static_cast<std::size_t>(t)];
        if (measures.GetSize() < doc.measureCount)
            return "track " + std::to_string(t) + " holds " + std::to_string(measures.GetSize()) + " measures";
        for (int m = 0; m < doc.measureCount; ++m) {
            const CMesure& x = measures[m];
            if (x.index != m)
                return at(t, m) + "index " + std::to_string(x.index);
            if (x.beatCount < 0 || x.beatCount > x.beats.GetSize())
                return at(t, m) + "beat count " + std::to_string(x.beatCount);
            if (x.instrumentSlot < 0 || x.instrumentSlot >= doc.slotCount ||
                doc.slotInstrument[static_cast<std::size_t>(x.instrumentSlot)] == kFreeSlot)
                return at(t, m) + "slot " + std::to_string(x.instrumentSlot);
            if (m == doc.measureCount - 1 && (x.flags & kFlagLast) == 0)
                return at(t, m) + "no last-measure flag";
        }
    }
    return {};
}

} // namespace model
