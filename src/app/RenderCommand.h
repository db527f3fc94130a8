#pragma once

#include <optional>
#include <string>

class CTabDoc;

// `fretlark --render IN OUT.wav [--from N]`: plays the score through the real
// playback pass and mixer into a WAV file, offline and deterministically.
// Returns the exit code when argv asks for a render, nothing otherwise.
std::optional<int> runRenderCommand(int argc, char** argv);

class Prompter;

// Renders an open score from measure `fromMeasure` (0-based) into `wavPath`,
// with the bank found under `baseDirectory` (or beside the program), letting
// the last notes ring out until they fall below -60 dBFS, for `tailMs` at
// most. Failures are told to `prompter`.
bool renderScoreToWav(CTabDoc& doc, int fromMeasure, const std::string& wavPath, const std::string& baseDirectory,
                      Prompter& prompter, double tailMs = 4000);
