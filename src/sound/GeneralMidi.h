#pragma once

#include <array>

// How the instruments map onto General MIDI: the programs and keys the sample
// bank is rendered from, shared by the bank's renderer and the MIDI export so
// an exported file sounds like the editor.
namespace gm {

// Program (0-based) per instrument code 0..6; -1 for the drums, which play on
// the percussion channel.
constexpr std::array<int, 7> kProgram = {25, 27, 33, -1, 30, 24, 0};
// MIDI key of sample index 0 per instrument code (the bass sits an octave lower).
constexpr std::array<int, 7> kLowestKey = {38, 38, 26, 0, 38, 38, 38};

// A drum of the percussion palette: kit program, key and a pitch-wheel
// detune for the sounds General MIDI does not have.
struct Drum {
    int program;
    int key;
    int bendCents;
};
constexpr std::array<Drum, 30> kDrums = {{
    {0, 36, 0},     //  0 Bass Drum 1
    {0, 35, 0},     //  1 Bass Drum 2 (acoustic bass drum)
    {0, 53, 0},     //  2 Bell (ride bell)
    {0, 60, 0},     //  3 Bongo 1 (high)
    {0, 61, 0},     //  4 Bongo 2 (low)
    {0, 52, 0},     //  5 Chinese Cymbal
    {0, 42, 0},     //  6 Closed Hi-Hat
    {0, 62, 0},     //  7 Conga 1 (mute high)
    {0, 63, 0},     //  8 Conga 2 (open high)
    {0, 64, 0},     //  9 Conga 3 (low)
    {0, 64, -300},  // 10 Conga 4: the low conga tuned down
    {0, 49, 0},     // 11 Crash 1
    {0, 57, 0},     // 12 Crash 2
    {0, 52, -1200}, // 13 Gong: a Chinese cymbal an octave down (the bank adds a timpani)
    {16, 36, 0},    // 14 Kick Drum 1 (power kit)
    {24, 36, 0},    // 15 Kick Drum 2 (electronic kit)
    {0, 44, 0},     // 16 Pedal Hi-Hat
    {0, 46, 0},     // 17 Open Hi-Hat
    {0, 51, 0},     // 18 Ride Cymbal
    {0, 37, 0},     // 19 Rim (side stick)
    {0, 38, 0},     // 20 Snare
    {0, 55, 0},     // 21 Splash Cymbal
    {0, 41, 0},     // 22 Tom Bass 1 (low floor tom)
    {0, 43, 0},     // 23 Tom Bass 2 (high floor tom)
    {0, 45, 0},     // 24 Tom Med 1 (low tom)
    {0, 47, 0},     // 25 Tom Med 2 (low-mid tom)
    {0, 48, 0},     // 26 Tom Alto 1 (high-mid tom)
    {0, 39, 0},     // 27 never played (27 marks an empty string): hand clap
    {0, 50, 0},     // 28 Tom Alto 2 (high tom)
    {0, 54, 0},     // 29 Tambourine
}};

// The metronome's two sounds: the accented first beat and the other beats.
constexpr int kMetronomeBellKey = 34;
constexpr int kMetronomeClickKey = 33;

} // namespace gm
