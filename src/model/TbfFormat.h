#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

class CTabDoc;

// Thrown by the reader for a file whose counts or values the model cannot hold.
class DamagedFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown by the writer for a score the format cannot express.
class CannotWrite : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace tbf {

// The native score file as bytes. The score must hold measureCount measures in
// every track in use (the document's save step guarantees it).
std::string write(const CTabDoc& doc);

// Fills the document from native file bytes. Throws EndOfData when the bytes
// stop early and DamagedFile when a count or value is out of the model's range.
void read(CTabDoc& doc, const std::uint8_t* data, std::size_t size);

} // namespace tbf
