#pragma once

#include "WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace sound {

// One sample buffer, decoded to floats for the mixer. Each channel is stored
// with one silent frame before and kPadAfter after the sound, so the cubic
// interpolation can read its neighbours (the widest kernel loads 32 floats
// from the current frame) without a bounds check.
struct SampleData {
    static constexpr int kPadBefore = 1;
    static constexpr int kPadAfter = 32;

    int channels = 1;
    int frames = 0;           // stored frames of the whole buffer (file frames x oversample)
    int blockAlign = 2;       // bytes per frame in the file's format: byte positions divide by it
    std::uint32_t rate = 0;   // the file's own rate, used when no frequency was set
    // Recordings at low rates are stored at twice their rate: read at the
    // output rate, the interpolation then leaves no images of the sound
    // mirrored above the recording's Nyquist frequency.
    int oversample = 1;
    std::vector<float> left;  // frames + pads
    std::vector<float> right; // empty for mono

    int frameOfByte(int bytePosition) const { return bytePosition / blockAlign * oversample; }
    int byteOfFrame(int frame) const { return frame / oversample * blockAlign; }
    double storedRate() const { return static_cast<double>(rate) * oversample; }

    // Pointer to the padding frame before frame 0.
    const float* leftBase() const { return left.data(); }
    const float* rightBase() const { return right.empty() ? left.data() : right.data(); }
};

// Decodes `byteCount` bytes in `format` into a buffer of exactly bufferBytes
// (the rest is silence). Null when the format is not one a buffer can hold.
std::shared_ptr<const SampleData> makeSample(const WaveFormat& format, const std::uint8_t* bytes,
                                             std::size_t byteCount, std::size_t bufferBytes);

// Lowest and highest playback rates a buffer accepts, in hertz.
constexpr int kMinFrequency = 100;
constexpr int kMaxFrequency = 200000;

} // namespace sound
