#pragma once

#include "GpImport.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

class CTabDoc;

// The pieces of the Guitar Pro import that tests and the benchmark look at.
namespace gp {

enum class Version { V3, V4, V5_00, V5_10 };

// The layout a version text announces; nothing for texts of other layouts.
std::optional<Version> versionFromText(std::string_view text);

// What one import saw besides the score it built.
struct ImportInfo {
    Version version = Version::V3;
    int fileTrackCount = 0;   // tracks in the file (the score keeps ten at most)
    int fileMeasureCount = 0; // measures announced by the file
    std::size_t endPosition = 0; // where reading stopped
};

// One pass over the bytes; see importGp3 / importGp4 / importGp5 for the results.
bool importScore(CTabDoc& doc, const std::uint8_t* data, std::size_t length, ImportInfo* info = nullptr);

// Instrument code for a General MIDI program number (a signed byte).
int instrumentFromProgram(int program);
// Track volume (50..100) for a channel volume on the 0..16 scale.
int volumeFromChannel(int channelVolume);
// Drum sample number for a General MIDI percussion key; 27 (EMPTY) below 27.
int drumFret(int midiKey);
// Open-string pitch on the sample scale for a MIDI note, folded by octaves
// into what the sample bank holds.
int foldTuning(long long midiNote, bool bass);
// A fretted note's fret brought into 0..24 by octaves.
int foldFret(int fret);
// Bend or tremolo-bar height (100 = one tone) as the amount of the bend
// dialog (0..7, in half tones, 2 = one tone).
int bendAmount(long long height);

// Upper bound on the beats one import may create, so a small damaged file
// cannot make the import allocate without limit.
constexpr long long kMaxImportedBeats = 1LL << 20;

} // namespace gp
