#pragma once

#include "CTabDoc.h"

#include <string>

namespace model {

// What every change of the score must leave true, for tests, fuzz targets
// and debugging: each track in use holds at least measureCount measures,
// each measure names a slot in use, beat counts fit their arrays, measure
// indexes follow their positions, and the last measure carries the
// last-measure flag (earlier measures may keep theirs: files store the
// flags as they were and nothing reads them there). Returns an empty string when the score is whole,
// otherwise the first problem found.
std::string scoreProblem(const CTabDoc& doc);

} // namespace model
