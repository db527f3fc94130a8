#pragma once

#include <string>
#include <vector>

namespace sound {

// Folders tried for res/ when baseDirectory holds no bank: beside the
// executable, then the installed data folder (relative to the executable,
// then where this build installs).
std::vector<std::string> defaultFallbackRoots();

// The first of `base` and `fallbacks` that holds a bank (res/empty.wav and an
// instrument folder); `base` when none does, so messages name the expected
// place. The result ends with '/'.
std::string resolveResourceRoot(const std::string& base, const std::vector<std::string>& fallbacks);

std::string withTrailingSlash(std::string directory);

} // namespace sound
