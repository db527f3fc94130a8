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
    // The diffusers too are at least a stretch long (which only matters at
    // low rates), so that each works on a whole stretch at once.
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

namespace {

using Lanes = dsp::Ints;

// Rows to columns: four frames of four lines become four lines of four
// frames, and back.
inline void transpose(Four& a, Four& b, Four& c, Four& d)
{
    const Four t0 = __builtin_shuffle(a, b, Lanes{0, 4, 1, 5});
    const Four t1 = __builtin_shuffle(a, b, Lanes{2, 6, 3, 7});
    const Four t2 = __builtin_shuffle(c, d, Lanes{0, 4, 1, 5});
    const Four t3 = __builtin_shuffle(c, d, Lanes{2, 6, 3, 7});
    a = __builtin_shuffle(t0, t2, Lanes{0, 1, 4, 5});
    b = __builtin_shuffle(t0, t2, Lanes{2, 3, 6, 7});
    c = __builtin_shuffle(t1, t3, Lanes{0, 1, 4, 5});
    d = __builtin_shuffle(t1, t3, Lanes{2, 3, 6, 7});
}

// The loop low-pass of four lines over four frames (x[f]: frame f, one lane
// per line), in place. The odd frames are worked out from two frames back,
// so each step waits for the one two frames before it. `held` becomes the
// state after frame `last`.
inline void lowPass(Four* x, Four g, Four b, Four b2, Four& held, int last)
{
    const Four u0 = g * x[0], u1 = g * x[1], u2 = g * x[2], u3 = g * x[3];
    const Four h0 = u0 + b * held;
    const Four h1 = (u1 + b * u0) + b2 * held;
    const Four h2 = u2 + b * h1;
    const Four h3 = (u3 + b * u2) + b2 * h1;
    x[0] = h0;
    x[1] = h1;
    x[2] = h2;
    x[3] = h3;
    held = last >= 3 ? h3 : x[last];
}

} // namespace

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
    const Four gLow = load4(&loopGain_[0]), gHigh = load4(&loopGain_[4]);
    const Four bLow = load4(&damping_[0]), bHigh = load4(&damping_[4]);
    const Four b2Low = bLow * bLow, b2High = bHigh * bHigh;
    Four heldLow = load4(&held_[0]), heldHigh = load4(&held_[4]);
    const float trim = 0.35355339f; // 1 / sqrt(8)
    // Four frames at a time (the arrays are a whole number of fours long;
    // what lies past n is never used, and never flows back into what is).
    for (int i = 0; i < n; i += 4) {
        const auto at = static_cast<std::size_t>(i);
        Four a[kLines];
#pragma GCC unroll 8
        for (std::size_t l = 0; l < kLines; ++l)
            a[l] = load4(&taps_[l][at]);
        // The low-pass of each loop, a frame of four lines per register.
        const int last = std::min(3, n - 1 - i);
        transpose(a[0], a[1], a[2], a[3]);
        lowPass(a, gLow, bLow, b2Low, heldLow, last);
        transpose(a[0], a[1], a[2], a[3]);
        transpose(a[4], a[5], a[6], a[7]);
        lowPass(a + 4, gHigh, bHigh, b2High, heldHigh, last);
        transpose(a[4], a[5], a[6], a[7]);
        const Four sum = ((a[0] + a[1]) + (a[2] + a[3])) + ((a[4] + a[5]) + (a[6] + a[7]));
        // Opposite signs on the two sides keep the room wide.
        const Four wl = ((a[0] - a[1]) + (a[2] - a[3])) + ((a[4] - a[5]) + (a[6] - a[7]));
        const Four wr = ((a[0] + a[1]) - (a[2] + a[3])) + ((a[4] + a[5]) - (a[6] + a[7]));
        // Householder reflection: each line gets itself less a quarter of the
        // sum, and the input with alternating signs.
        const Four d = load4(&input_[at]);
        const Four even = d - 0.25f * sum, odd = -d - 0.25f * sum;
        store4(&taps_[0][at], a[0] + even);
        store4(&taps_[1][at], a[1] + odd);
        store4(&taps_[2][at], a[2] + even);
        store4(&taps_[3][at], a[3] + odd);
        store4(&taps_[4][at], a[4] + even);
        store4(&taps_[5][at], a[5] + odd);
        store4(&taps_[6][at], a[6] + even);
        store4(&taps_[7][at], a[7] + odd);
        const auto from = static_cast<float>(i);
        const Four gain = (wet + wetStep * Four{from, from + 1, from + 2, from + 3}) * trim;
        store4(&wetL_[at], wl * gain);
        store4(&wetR_[at], wr * gain);
    }
    store4(&held_[0], heldLow);
    store4(&held_[4], heldHigh);
    for (std::size_t l = 0; l < kLines; ++l)
        lines_[l].write(taps_[l].data(), n);
    for (int i = 0; i < n; ++i) {
        left[i] += wetL_[static_cast<std::size_t>(i)];
        right[i] += wetR_[static_cast<std::size_t>(i)];
    }
}

} // namespace sound
