#include "SampleData.h"

#include <algorithm>
#include <array>
#include <cmath>
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

// Rates up to this one are stored at twice their rate.
constexpr std::uint32_t kOversampleBelow = 24000;

// Half-band interpolator: the even output frames are the input frames, the
// odd ones a Kaiser-windowed sinc over kTaps neighbours on each side (flat to
// 0.43 of the input rate, images down by more than 70 dB from 0.57 on).
constexpr int kTaps = 16;

const std::array<float, kTaps>& halfBandTaps()
{
    static const std::array<float, kTaps> taps = [] {
        constexpr double kBeta = 7.0;
        auto bessel0 = [](double x) {
            double sum = 1, term = 1;
            for (int k = 1; k < 30; ++k) {
                term *= (x / (2 * k)) * (x / (2 * k));
                sum += term;
            }
            return sum;
        };
        std::array<double, kTaps> c{};
        double total = 0;
        constexpr double kPi = 3.14159265358979323846;
        for (std::size_t k = 0; k < kTaps; ++k) {
            const double t = static_cast<double>(k) + 0.5; // distance to the frame computed, in input frames
            const double r = t / (kTaps + 0.5);            // within the window's half width
            c[k] = std::sin(kPi * t) / (kPi * t) * bessel0(kBeta * std::sqrt(1 - r * r)) / bessel0(kBeta);
            total += 2 * c[k];
        }
        std::array<float, kTaps> out{};
        for (std::size_t k = 0; k < kTaps; ++k)
            out[k] = static_cast<float>(c[k] / total); // unity at DC
        return out;
    }();
    return taps;
}

// `in` holds `frames` frames between the pads; the result holds twice as many.
std::vector<float> upsampled(const std::vector<float>& in, int frames)
{
    const auto& taps = halfBandTaps();
    // Silence around the sound, as wide as the filter reaches.
    std::vector<float> padded(static_cast<std::size_t>(frames) + 2 * kTaps, 0.0f);
    std::copy_n(in.begin() + SampleData::kPadBefore, frames, padded.begin() + kTaps);
    const float* x = padded.data() + kTaps;
    std::vector<float> out(static_cast<std::size_t>(2 * frames) + SampleData::kPadBefore + SampleData::kPadAfter, 0.0f);
    float* y = out.data() + SampleData::kPadBefore;
    for (int n = 0; n < frames; ++n) {
        float sum = 0;
        for (int k = 0; k < kTaps; ++k)
            sum += taps[static_cast<std::size_t>(k)] * (x[n - k] + x[n + 1 + k]);
        y[2 * n] = x[n];
        y[2 * n + 1] = sum;
    }
    return out;
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
    if (format.samplesPerSec <= kOversampleBelow && sample->frames > 0) {
        sample->left = upsampled(sample->left, sample->frames);
        if (!sample->right.empty())
            sample->right = upsampled(sample->right, sample->frames);
        sample->frames *= 2;
        sample->oversample = 2;
    }
    return sample;
}

} // namespace sound
