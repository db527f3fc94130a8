#pragma once

#include <cstdint>

// The format block of a WAV file ("fmt " chunk, 18 bytes with cbSize).
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t cbSize = 0;

    static constexpr std::uint16_t kPcm = 1;
    static constexpr std::uint16_t kFloat = 3;

    bool operator==(const WaveFormat&) const = default;

    // Integer PCM of 8/16/24/32 bits or 32-bit float, 1 or 2 channels, with a
    // block size that matches: the formats samples and output may use.
    bool isSupportedEncoding() const
    {
        if (channels < 1 || channels > 2)
            return false;
        const bool pcm = formatTag == kPcm && (bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 ||
                                               bitsPerSample == 32);
        const bool flt = formatTag == kFloat && bitsPerSample == 32;
        return (pcm || flt) && blockAlign == channels * bitsPerSample / 8;
    }

    static WaveFormat pcm(std::uint32_t rate, std::uint16_t channelCount, std::uint16_t bits)
    {
        WaveFormat f;
        f.formatTag = kPcm;
        f.channels = channelCount;
        f.samplesPerSec = rate;
        f.blockAlign = static_cast<std::uint16_t>(channelCount * bits / 8);
        f.avgBytesPerSec = rate * f.blockAlign;
        f.bitsPerSample = bits;
        return f;
    }
};
