#include "GargleEffect.h"

#include <cmath>

namespace sound {

GargleEffect::GargleEffect(int rate) : rate_(rate) {}

void GargleEffect::take(const SlotEffects& s)
{
    const DSFXGargle p = clamped(s.gargle);
    hz_ = p.dwRateHz;
    square_.target = p.dwWaveShape ? 1.0f : 0.0f;
    if (fresh_) {
        square_.snap(square_.target);
        fresh_ = false;
    }
}

void GargleEffect::reset()
{
    phase_ = 0;
    fresh_ = true;
}

void GargleEffect::process(float* left, float* right, int frames)
{
    square_.step(dsp::glideShare(frames, rate_, 0.005));
    const auto step = static_cast<float>(hz_ / rate_);
    // The square is the triangle made steep and clipped: edges of 0.5 ms.
    const float steep = std::max(1.0f, static_cast<float>(1000.0 / hz_));
    const float sq = square_.value;
    const auto start = static_cast<float>(phase_);
    // Four frames at a time, each frame's phase worked out from the block's
    // start: no running sum to wrap frame by frame.
    using dsp::Four;
    auto gains = [&](Four at) {
        Four p = start + step * at;
        p -= __builtin_convertvector(__builtin_convertvector(p, dsp::Ints), Four); // p >= 0: drops whole cycles
        const Four twice = 2.0f * p - 1.0f;
        const Four tri = 1.0f - dsp::max4(twice, -twice); // 0 at the cycle's start, 1 halfway
        const Four edge = dsp::min4(dsp::max4((tri - 0.5f) * steep + 0.5f, dsp::splat4(0)), dsp::splat4(1));
        return tri + (edge - tri) * sq;
    };
    int i = 0;
    for (; i + 4 <= frames; i += 4) {
        const auto at = static_cast<float>(i);
        const Four g = gains(Four{at, at + 1, at + 2, at + 3});
        dsp::store4(left + i, dsp::load4(left + i) * g);
        dsp::store4(right + i, dsp::load4(right + i) * g);
    }
    if (i < frames) {
        const auto at = static_cast<float>(i);
        const Four g = gains(Four{at, at + 1, at + 2, at + 3});
        for (int k = 0; i + k < frames; ++k) {
            left[i + k] *= g[k];
            right[i + k] *= g[k];
        }
    }
    phase_ += hz_ / rate_ * frames;
    phase_ -= std::floor(phase_);
}

} // namespace sound
