#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

class CTabDoc;

// Guitar Pro 3, 4 and 5 importers. They return false when the data ends inside
// a measure and throw EndOfData when it ends before any other field, or
// GpDamaged for values no Guitar Pro writer produces. The layout is chosen by
// the file's own version text, so a version-4 file named ".gp3" still reads.
bool importGp3(CTabDoc& doc, const std::uint8_t* data, std::size_t length);
bool importGp4(CTabDoc& doc, const std::uint8_t* data, std::size_t length);
bool importGp5(CTabDoc& doc, const std::uint8_t* data, std::size_t length);

// A Guitar Pro file whose content cannot be a score: an unknown version text,
// a negative count, a string whose two lengths disagree, absurd sizes.
class GpDamaged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
