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

// Added as a tree: three additions deep instead of seven in a row.
template <typename V>
inline float total(const V& v)
{
    return ((v[0] + v[1]) + (v[2] + v[3])) + ((v[4] + v[5]) + (v[6] + v[7]));
}

float decibels(float db)
{
    return db <= -96.0f ? 0.0f : std::pow(10.0f, db / 20.0f);
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
    for (std::size_t k = 0; k < kLines; ++k) {
        delays_[k] = std::max<std::size_t>(kStretch, static_cast<std::size_t>(std::lround(kLengths[k] * scale)));
        longest = std::max(longest, delays_[k]);
    }
    std::size_t n = 1;
    while (n <= longest)
        n <<= 1;
    lines_.assign(n, Lanes{});
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
    std::fill(lines_.begin(), lines_.end(), Lanes{});
    held_ = Lanes{};
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
        loopGain_[static_cast<int>(k)] = static_cast<float>(g * (1 - b));
        damping_[static_cast<int>(k)] = static_cast<float>(b);
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
    const float inStep = (inGain_.value - inFrom) * perFrame, wetStep = (wetGain_.value - wetFrom) * perFrame;
    for (int at = 0; at < frames; at += kStretch) {
        const int n = std::min(kStretch, frames - at);
        const auto done = static_cast<float>(at);
        stretch(left + at, right + at, n, inFrom + inStep * done, inStep, wetFrom + wetStep * done, wetStep);
    }
}

void ReverbEffect::stretch(float* left, float* right, int n, float inGain, float inStep, float wet, float wetStep)
{
    for (int i = 0; i < n; ++i) {
        const float in = 0.5f * (left[i] + right[i]) * (inGain + inStep * static_cast<float>(i));
        input_[static_cast<std::size_t>(i)] = diffusers_[1].run(diffusers_[0].run(in));
    }
    // Signs: the input goes into the lines alternately, the two sides read
    // them with different patterns so the room is wide.
    const Lanes inSigns = {1, -1, 1, -1, 1, -1, 1, -1};
    const Lanes leftSigns = {1, -1, 1, -1, 1, -1, 1, -1};
    const Lanes rightSigns = {1, 1, -1, -1, 1, 1, -1, -1};
    const float* base = reinterpret_cast<const float*>(lines_.data());
    Lanes held = held_;
    for (int i = 0; i < n; ++i) {
        Lanes tap;
        for (int l = 0; l < kLines; ++l)
            tap[l] = base[((write_ - delays_[static_cast<std::size_t>(l)]) & mask_) * kLines + static_cast<std::size_t>(l)];
        held = loopGain_ * tap + damping_ * held;
        const float sum = total(held), wl = total(held * leftSigns), wr = total(held * rightSigns);
        // Householder reflection: each line gets itself less a quarter of the sum.
        lines_[write_] = held - 0.25f * sum + inSigns * input_[static_cast<std::size_t>(i)];
        write_ = (write_ + 1) & mask_;
        const float g = (wet + wetStep * static_cast<float>(i)) * 0.35355339f;
        left[i] += wl * g;
        right[i] += wr * g;
    }
    held_ = held;
}

} // namespace sound
