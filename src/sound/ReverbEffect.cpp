#include "ReverbEffect.h"

#include <cmath>
#include <cstring>

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

} // namespace

void ReverbEffect::AllPass::run(float* x, int n)
{
    // The delay is longer than a stretch: what comes back was written
    // before it.
    float held[kStretch], v[kStretch];
    line.read(delay, held, n);
    for (int i = 0; i < n; ++i) {
        v[i] = x[i] + kDiffusion * held[i];
        x[i] = held[i] - kDiffusion * v[i];
    }
    line.write(v, n);
}

ReverbEffect::ReverbEffect(int rate) : rate_(rate)
{
    const double scale = rate / 44100.0;
    for (std::size_t k = 0; k < kLines; ++k) {
        delays_[k] = std::max<std::size_t>(kStretch, static_cast<std::size_t>(std::lround(kLengths[k] * scale)));
        lines_[k].resize(delays_[k] + 1);
    }
    for (std::size_t d = 0; d < diffusers_.size(); ++d) {
        diffusers_[d].delay = std::max<std::size_t>(kStretch, static_cast<std::size_t>(std::lround(kDiffusers[d] * scale)));
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
    for (dsp::DelayLine& line : lines_)
        line.clear();
    held_ = {};
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
    const float inStep = (inGain_.value - inFrom) * perFrame, wetStep = (wetGain_.value - wetFrom) * perFrame;
    for (int at = 0; at < frames; at += kStretch) {
        const int n = std::min(kStretch, frames - at);
        const auto done = static_cast<float>(at);
        stretch(left + at, right + at, n, inFrom + inStep * done, inStep, wetFrom + wetStep * done, wetStep);
    }
}

using dsp::Four;
using dsp::load4;
using dsp::store4;

void ReverbEffect::stretch(float* left, float* right, int n, float inGain, float inStep, float wet, float wetStep)
{
    for (int i = 0; i < n; ++i)
        input_[static_cast<std::size_t>(i)] = 0.5f * (left[i] + right[i]) * (inGain + inStep * static_cast<float>(i));
    diffusers_[0].run(input_.data(), n);
    diffusers_[1].run(input_.data(), n);
    // Every line is longer than a stretch: what it gives back now was
    // written before this stretch began, and what goes in now comes out later.
    for (std::size_t l = 0; l < kLines; ++l)
        lines_[l].read(delays_[l], taps_[l].data(), n);
    // The low-pass of each loop: eight independent recurrences side by side,
    // each in its own register.
    float h0 = held_[0], h1 = held_[1], h2 = held_[2], h3 = held_[3];
    float h4 = held_[4], h5 = held_[5], h6 = held_[6], h7 = held_[7];
    const std::array<float, kLines> g = loopGain_, b = damping_;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        taps_[0][i] = h0 = g[0] * taps_[0][i] + b[0] * h0;
        taps_[1][i] = h1 = g[1] * taps_[1][i] + b[1] * h1;
        taps_[2][i] = h2 = g[2] * taps_[2][i] + b[2] * h2;
        taps_[3][i] = h3 = g[3] * taps_[3][i] + b[3] * h3;
        taps_[4][i] = h4 = g[4] * taps_[4][i] + b[4] * h4;
        taps_[5][i] = h5 = g[5] * taps_[5][i] + b[5] * h5;
        taps_[6][i] = h6 = g[6] * taps_[6][i] + b[6] * h6;
        taps_[7][i] = h7 = g[7] * taps_[7][i] + b[7] * h7;
    }
    held_ = {h0, h1, h2, h3, h4, h5, h6, h7};
    // Four frames at a time (the arrays are a whole number of fours long;
    // what lies past n is never used).
    const float trim = 0.35355339f; // 1 / sqrt(8)
    for (int i = 0; i < n; i += 4) {
        Four a[kLines];
        for (std::size_t l = 0; l < kLines; ++l)
            a[l] = load4(&taps_[l][static_cast<std::size_t>(i)]);
        const Four sum = ((a[0] + a[1]) + (a[2] + a[3])) + ((a[4] + a[5]) + (a[6] + a[7]));
        // Opposite signs on the two sides keep the room wide.
        const Four wl = ((a[0] - a[1]) + (a[2] - a[3])) + ((a[4] - a[5]) + (a[6] - a[7]));
        const Four wr = ((a[0] + a[1]) - (a[2] + a[3])) + ((a[4] + a[5]) - (a[6] + a[7]));
        // Householder reflection: each line gets itself less a quarter of the
        // sum, and the input with alternating signs.
        const Four reflect = 0.25f * sum;
        const Four d = load4(&input_[static_cast<std::size_t>(i)]);
        for (std::size_t l = 0; l < kLines; ++l)
            store4(&taps_[l][static_cast<std::size_t>(i)], (l & 1) ? a[l] - reflect - d : a[l] - reflect + d);
        const auto at = static_cast<float>(i);
        const Four steps = {at, at + 1, at + 2, at + 3};
        const Four gain = (wet + wetStep * steps) * trim;
        store4(&wetL_[static_cast<std::size_t>(i)], wl * gain);
        store4(&wetR_[static_cast<std::size_t>(i)], wr * gain);
    }
    for (std::size_t l = 0; l < kLines; ++l)
        lines_[l].write(taps_[l].data(), n);
    for (int i = 0; i < n; ++i) {
        left[i] += wetL_[static_cast<std::size_t>(i)];
        right[i] += wetR_[static_cast<std::size_t>(i)];
    }
}

} // namespace sound
