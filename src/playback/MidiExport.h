#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CTabDoc;

// The score as a Standard MIDI File (type 1, 480 ticks per quarter): a tempo
// track, then one track per score track with its name, General MIDI program,
// volume and pan, played as playback plays it (repeats unrolled, ties joined).
class MidiExport {
public:
    static constexpr int kTicksPerQuarter = 480;
    static constexpr int kDrumChannel = 9;
    static constexpr int kBendRange = 12; // semitones each way, set by RPN 0
    static constexpr int kVelocity = 100;
    static constexpr int kDeadVelocity = 40;
    static constexpr int kDeadTicks = 60;

    static std::vector<std::uint8_t> build(const CTabDoc& doc);
    // Writes beside the target, then renames: a failed export never leaves half a file.
    static bool write(const CTabDoc& doc, const std::string& path);
};
