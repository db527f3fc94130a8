#pragma once

#include "CTabDoc.h"
#include "ScoreCheck.h"
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

inline void checkScore(const CTabDoc& doc, const char* when)
{
    const std::string problem = model::scoreProblem(doc);
    if (!problem.empty()) {
        std::fprintf(stderr, "fuzz: %s %s\n", problem.c_str(), when);
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
