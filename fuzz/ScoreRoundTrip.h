#pragma once

#include "CTabDoc.h"
#include "TbfFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

// The model's invariants; stands in until the shared check is merged.
inline void checkScore(const CTabDoc& doc, const char* when)
{
    bool ok = doc.trackCount >= 1 && doc.trackCount <= model::kMaxTracks && doc.measureCount >= 1 &&
              doc.slotCount >= 0 && doc.slotCount <= model::kMaxSlots;
    for (int t = 0; ok && t < doc.trackCount; ++t) {
        const auto& track = doc.tracks[static_cast<std::size_t>(t)];
        ok = track.GetSize() == doc.measureCount;
        for (int m = 0; ok && m < track.GetSize(); ++m)
            ok = track[m].beatCount >= 0 && track[m].beatCount <= track[m].beats.GetSize() &&
                 track[m].instrumentSlot >= 0 && track[m].instrumentSlot < doc.slotCount;
    }
    if (!ok) {
        std::fprintf(stderr, "fuzz: invariant broken %s\n", when);
        std::abort();
    }
}

// A saved score must be readable, and saving what was read must give the same
// bytes again: whatever a reader accepts, the writer stores faithfully.
inline void saveTwice(CTabDoc& doc)
{
    std::string first;
    try {
        first = doc.bytesForSave();
    } catch (const CannotWrite&) {
        fail("an accepted score cannot be saved");
    }
    checkScore(doc, "after the first save");
    CTabDoc again;
    if (!again.readScore("again.tbf", first))
        fail("the saved score cannot be read back");
    checkScore(again, "after reading the saved score");
    if (again.bytesForSave() != first)
        fail("saving the saved score again gives other bytes");
}

// Reads bytes as the document's open does for a file of that name; when a
// score comes out it must hold the model's invariants and survive saving.
inline void openAndSave(const char* name, const std::uint8_t* data, std::size_t size)
{
    CTabDoc doc;
    if (!doc.readScore(name, std::string(reinterpret_cast<const char*>(data), size)))
        return;
    checkScore(doc, "after reading");
    saveTwice(doc);
}

} // namespace fuzz
