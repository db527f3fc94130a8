#pragma once

#include <optional>

// Headless command-line modes. Returns the exit code when argv asked for one
// of them, nothing when the editor window should start.
std::optional<int> runCommandLine(int argc, char** argv);
