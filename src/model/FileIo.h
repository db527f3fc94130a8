#pragma once

#include <optional>
#include <string>

namespace fileio {

// The whole file, or nothing when it cannot be read.
std::optional<std::string> readAll(const std::string& path);

// Writes through a temporary file in the same folder, flushed to disk and
// renamed over the target, so a failed write never harms the previous file.
// Returns an empty string on success, else the system's reason.
std::string writeAtomically(const std::string& path, const std::string& bytes);

} // namespace fileio
