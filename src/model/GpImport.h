#pragma once

#include <cstddef>
#include <cstdint>

class CTabDoc;

// Guitar Pro 3 and 4 importers. They return false when the data ends inside
// a measure and throw EndOfData when it ends before any other field.
bool importGp3(CTabDoc& doc, const std::uint8_t* data, std::size_t length);
bool importGp4(CTabDoc& doc, const std::uint8_t* data, std::size_t length);
