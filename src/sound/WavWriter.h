#pragma once

#include "WaveFormat.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace sound {

// Writes interleaved float frames to a WAV file in a given format (PCM of
// 8/16/24/32 bits or 32-bit float); the sizes are filled in by close().
class WavWriter {
public:
    ~WavWriter();
    bool open(const std::string& path, const WaveFormat& format);
    bool write(const float* interleaved, int frames);
    // False when anything failed to reach the disk.
    bool close();

private:
    void writeHeader(std::uint32_t dataBytes);

    std::ofstream file_;
    WaveFormat format_;
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;
};

} // namespace sound
