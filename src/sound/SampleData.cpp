#include "SampleData.h"

#include <algorithm>
#include <cstring>

namespace sound {

namespace {

float decode(const std::uint8_t* p, const WaveFormat& f)
{
    switch (f.bitsPerSample) {
    case 8:
        return (static_cast<int>(p[0]) - 128) / 128.0f;
    case 16:
        return static_cast<std::int16_t>(p[0] | p[1] << 8) / 32768.0f;
    case 24: {
        const std::int32_t v = static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8 |
                                                         static_cast<std::uint32_t>(p[1]) << 16 |
                                                         static_cast<std::uint32_t>(p[2]) << 24);
        return static_cast<float>(v / 256) / 8388608.0f;
    }
    default: {
        std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                             static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
        if (f.formatTag == WaveFormat::kFloat) {
            float v;
            std::memcpy(&v, &bits, sizeof v);
            // A damaged file must not feed infinities or NaNs into the mix.
            return v == v ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
        }
        return static_cast<float>(static_cast<std::int32_t>(bits) / 2147483648.0);
    }
    }
}

} // namespace

std::shared_ptr<const SampleData> makeSample(const WaveFormat& format, const std::uint8_t* bytes,
                                             std::size_t byteCount, std::size_t bufferBytes)
{
    if (!format.isSupportedEncoding() || format.samplesPerSec < static_cast<std::uint32_t>(kMinFrequency) ||
        format.samplesPerSec > static_cast<std::uint32_t>(kMaxFrequency))
        return nullptr;
    auto sample = std::make_shared<SampleData>();
    sample->channels = format.channels;
    sample->blockAlign = format.blockAlign;
    sample->rate = format.samplesPerSec;
    sample->frames = static_cast<int>(bufferBytes / format.blockAlign);
    const std::size_t stored = static_cast<std::size_t>(sample->frames) + SampleData::kPadBefore + SampleData::kPadAfter;
    sample->left.assign(stored, 0.0f);
    if (format.channels == 2)
        sample->right.assign(stored, 0.0f);

    const std::size_t present = std::min(byteCount, bufferBytes) / format.blockAlign;
    const std::size_t width = format.bitsPerSample / 8;
    for (std::size_t i = 0; i < present; ++i) {
        const std::uint8_t* frame = bytes + i * format.blockAlign;
        sample->left[i + SampleData::kPadBefore] = decode(frame, format);
        if (format.channels == 2)
            sample->right[i + SampleData::kPadBefore] = decode(frame + width, format);
    }
    return sample;
}

} // namespace sound
