#pragma once

#include "PlaybackPass.h"

#include <functional>
#include <optional>
#include <string>

class CTabDoc;
class CSoundEngine;
class Prompter;

// `fretlark --render IN OUT.wav [--from N] [--speed PERCENT] [--count-in]
// [--metronome]`: plays the score through the real playback pass and mixer
// into a WAV file, offline and deterministically. Returns the exit code when
// argv asks for a render, nothing otherwise.
std::optional<int> runRenderCommand(int argc, char** argv);

// `fretlark --export-midi IN OUT.mid`.
std::optional<int> runExportMidiCommand(int argc, char** argv);

struct RenderRequest {
    int fromMeasure = 0; // 0-based
    int toMeasure = -1;  // last measure played, -1 for the score's end
    PlaybackPass::Practice practice;
    double tailMs = 4000; // the last notes ring out until inaudible, this long at most
    // Called once the bank is loaded: the window gives the slots their effects here.
    std::function<void(CSoundEngine&)> prepareEngine;
    // Called with the fraction done (0..1); returning false cancels.
    std::function<bool(double)> progress;
};

// Renders an open score into `wavPath`, with the bank found under
// `baseDirectory` (or beside the program). Failures are told to `prompter`; a
// cancelled or failed render leaves no file behind.
bool renderScoreToWav(CTabDoc& doc, const RenderRequest& request, const std::string& wavPath,
                      const std::string& baseDirectory, Prompter& prompter);
// From measure `fromMeasure` (0-based) to the end, at normal speed.
bool renderScoreToWav(CTabDoc& doc, int fromMeasure, const std::string& wavPath, const std::string& baseDirectory,
                      Prompter& prompter, double tailMs = 4000);

// Writes the MIDI file, telling `prompter` when it cannot.
bool exportScoreToMidi(const CTabDoc& doc, const std::string& midiPath, Prompter& prompter);

// Length of the score as a render plays it, in ms (for a progress bar).
double playedLengthMs(const CTabDoc& doc, const RenderRequest& request);
