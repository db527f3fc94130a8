#pragma once

// Measured figures of how playback sounds: small scores rendered through the
// --render path, then measured on the WAV (levels, loudness, pitch, treble).
// The sound tests assert on these figures and tools/sound-check prints them.

#include <string>
#include <vector>

class CAccord;
class CTabDoc;

namespace soundcheck {

// ---------------------------------------------------------------- audio and measures

struct Audio {
    int rate = 0;
    std::vector<float> mono; // (left + right) / 2

    double ms() const { return rate > 0 ? static_cast<double>(mono.size()) * 1000.0 / rate : 0; }
    std::size_t at(double ms) const;
};

// A 16-bit PCM WAV file; empty when it cannot be read.
Audio readWav(const std::string& path);

double toDb(double amplitude);
// RMS level in dBFS of [fromMs, toMs).
double rmsDb(const Audio& a, double fromMs, double toMs);
// Highest absolute sample in dBFS of [fromMs, toMs) (the whole file by default).
double peakDb(const Audio& a, double fromMs = 0, double toMs = 1e12);
// RMS in dBFS of [fromMs, toMs) after a fourth-order high-pass (or low-pass) filter at `hz`.
double bandDb(const Audio& a, double fromMs, double toMs, double hz, bool above);
// Integrated loudness in LUFS (K-weighted, gated, the mono signal on both channels).
double integratedLufs(const Audio& a);
// Fundamental in hertz of a 40 ms window centred on `atMs`, searched between lowHz and highHz.
double pitchHz(const Audio& a, double atMs, double lowHz, double highHz);
// First time (ms) at or after `fromMs` the signal exceeds `threshold`; -1 if never.
double onsetMs(const Audio& a, double fromMs, float threshold = 0.003f);
// RMS levels (dBFS) of consecutive windows of `windowMs` from `fromMs` to `toMs`.
std::vector<double> envelopeDb(const Audio& a, double fromMs, double toMs, double windowMs);

// Renders a score from its first measure through the --render path. `tailMs`
// is the longest ring-out after the end of the score. `ok` tells success.
Audio render(CTabDoc& doc, const std::string& buildDir, double tailMs, bool* ok = nullptr);
// Keeps a copy of every later render in `dir` (to listen to or to draw), named after its score.
void keepRendersIn(const std::string& dir);

// ---------------------------------------------------------------- scores

// A score of one track per instrument code, `measures` empty measures of 4/4 at `tempo`.
void shapeScore(CTabDoc& doc, const std::vector<int>& instruments, int measures, int tempo);
// Appends a beat (rest when `rest`) to a measure of a track; notes are {string, fret}.
void addBeat(CTabDoc& doc, int track, int measure, int durationCode, std::vector<std::pair<int, int>> notes,
             bool rest = false);
// The last beat added to a track.
CAccord& lastBeat(CTabDoc& doc, int track, int measure);

// ---------------------------------------------------------------- figures

struct Figure {
    std::string name;
    double value = 0;
    std::string unit;
};

// 1. A final chord: level change across the end of the score, the ring-out
//    length, and the level where the WAV ends.
std::vector<Figure> lastChordFigures(const std::string& buildDir);
// 2. A low E left ringing under a melody: the largest drop between 10 ms windows
//    of its band while it is above -60 dBFS, and its level 2.5 s after it was struck.
std::vector<Figure> letRingFigures(const std::string& buildDir);
// 3. A held note and a held six-string chord: the largest rise between 30 ms
//    windows after the attack, and the number of onsets.
std::vector<Figure> heldNoteFigures(const std::string& buildDir);
// 4. Vibrato and tremolo-bar vibrato on a whole note: mean offset from the
//    written pitch, half the swing, and the longest stretch without movement.
std::vector<Figure> vibratoFigures(const std::string& buildDir);
// 5. Hammer-on, slide up and slide down against a picked note: level jump at
//    the onset and treble (above 3 kHz) of the attack.
std::vector<Figure> legatoFigures(const std::string& buildDir);
// 6. Palm mute per instrument: level 150 ms after the attack and treble
//    (above 2 kHz) against the open note.
std::vector<Figure> palmMuteFigures(const std::string& buildDir);
// 7. Loudness of a drum groove, a bass line and a guitar line, their spread and peaks.
std::vector<Figure> balanceFigures(const std::string& buildDir);
// 8. Eight tracks strumming: the limiter's largest ducking.
std::vector<Figure> denseMixFigures(const std::string& buildDir);
// 9. A distorted chord followed by rests: drop 100 ms into the rest and the
//    length of the damping fade.
std::vector<Figure> restFigures(const std::string& buildDir);

// The figure called `name` (NaN if absent).
double figure(const std::vector<Figure>& figures, const std::string& name);

} // namespace soundcheck
