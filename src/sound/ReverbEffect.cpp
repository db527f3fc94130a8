#include "ReverbEffect.h"

#include <cmath>

namespace sound {

namespace {
// Line lengths at 44100 Hz (primes, 30 to 68 ms), scaled to the output rate.
constexpr std::array<int, ReverbEffect::kLines> kLengths{1327, 1559, 1801, 2063, 2251, 2503, 2767, 3001};
constexpr std::array<int, 2> kDiffusers{211, 523};
constexpr float kDiffusion = 0.6f;
// The wet sum is turned down so a long reverberation stays about as loud as
// the dry signal.
constexpr float kWetTrim = 0.5f;

float decibels(float db)
{
    return db <= -96.0f ? 0.0f : std::pow(10.0f, db / 20.0f);
}

// In-place fast Walsh-Hadamard transform of eight values, scaled to keep
// energy: the orthogonal mixing of the lines.
inline void hadamard8(float* v)
{
    for (int len = 1; len < 8; len <<= 1)
        for (int i = 0; i < 8; i += 2 * len)
            for (int j = i; j < i + len; ++j) {
                const float a = v[j], b = v[j + len];
                v[j] = a + b;
                v[j + len] = a - b;
            }
    for (int i = 0; i < 8; ++i)
        v[i] *= 0.35355339f; // 1 / sqrt(8)
}

} // namespace

float ReverbEffect::AllPass::run(float x)
{
    const float held = line.at(delay);
    const float v = x + kDiffusion * held;
    line.push(v);
    return held - kDiffusion * v;
}

ReverbEffect::ReverbEffect(int rate) : rate_(rate)
{
    const double scale = rate / 44100.0;
    std::size_t longest = 0;
    for (int k = 0; k < kLines; ++k) {
        delays_[static_cast<std::size_t>(k)] =
            std::max<std::size_t>(64, static_cast<std::size_t>(std::lround(kLengths[static_cast<std::size_t>(k)] * scale)));
        longest = std::max(longest, delays_[static_cast<std::size_t>(k)]);
    }
    std::size_t n = 1;
    while (n <= longest)
        n <<= 1;
    lines_.assign(n * kLines, 0.0f);
    mask_ = n - 1;
    for (std::size_t d = 0; d < diffusers_.size(); ++d) {
        diffusers_[d].delay = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kDiffusers[d] * scale)));
        diffusers_[d].line.resize(diffusers_[d].delay + 2);
    }
    seconds_.snap(1);
    ratio_.snap(0.5f);
    design();
}

void ReverbEffect::take(const SlotEffects& s)
{
    const DSFXWavesReverb p = clamped(s.reverb);
    inGain_.target = decibels(p.fInGain);
    wetGain_.target = decibels(p.fReverbMix) * kWetTrim;
    seconds_.target = p.fReverbTime / 1000.0f;
    ratio_.target = p.fHighFreqRTRatio;
    if (fresh_) {
        for (dsp::Glide* g : {&inGain_, &wetGain_, &seconds_, &ratio_})
            g->snap(g->target);
        design();
        fresh_ = false;
    }
}

void ReverbEffect::reset()
{
    std::fill(lines_.begin(), lines_.end(), 0.0f);
    held_.fill(0);
    for (AllPass& a : diffusers_)
        a.line.clear();
    fresh_ = true;
}

void ReverbEffect::design()
{
    const double low = std::max<double>(seconds_.value, 1e-6) * rate_;
    const double high = low * ratio_.value;
    for (std::size_t k = 0; k < kLines; ++k) {
        const auto d = static_cast<double>(delays_[k]);
        // Each pass through a line of d frames loses its share of 60 dB.
        const double g = std::pow(10.0, -3.0 * d / low);
        const double gh = std::pow(10.0, -3.0 * d / high);
        // One-pole low-pass with gain g at 0 Hz and gh at half the rate.
        const double b = g + gh > 0 ? std::min((g - gh) / (g + gh), 0.995) : 0.0;
        loopGain_[k] = static_cast<float>(g * (1 - b));
        damping_[k] = static_cast<float>(b);
    }
}

void ReverbEffect::process(float* left, float* right, int frames)
{
    const float k = dsp::glideShare(frames, rate_, 0.005);
    const float inFrom = inGain_.value, wetFrom = wetGain_.value;
    inGain_.step(k);
    wetGain_.step(k);
    const bool moved = seconds_.step(k);
    if (ratio_.step(k) || moved)
        design();
    const float perFrame = 1.0f / static_cast<float>(frames);
    float v[kLines];
    for (int i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) * perFrame;
        const float in = 0.5f * (left[i] + right[i]) * (inFrom + (inGain_.value - inFrom) * t);
        const float diffused = diffusers_[1].run(diffusers_[0].run(in));
        for (std::size_t l = 0; l < kLines; ++l) {
            const float out = lines_[((write_ - delays_[l]) & mask_) * kLines + l];
            held_[l] = loopGain_[l] * out + damping_[l] * held_[l];
            v[l] = held_[l];
        }
        // Opposite signs on the two sides keep the room wide.
        const float wl = v[0] - v[1] + v[2] - v[3] + v[4] - v[5] + v[6] - v[7];
        const float wr = v[0] + v[1] - v[2] - v[3] + v[4] + v[5] - v[6] - v[7];
        hadamard8(v);
        float* slot = &lines_[write_ * kLines];
        for (std::size_t l = 0; l < kLines; ++l)
            slot[l] = v[l] + ((l & 1) ? -diffused : diffused);
        write_ = (write_ + 1) & mask_;
        const float wet = (wetFrom + (wetGain_.value - wetFrom) * t) * 0.35355339f;
        left[i] += wl * wet;
        right[i] += wr * wet;
    }
}

} // namespace sound
