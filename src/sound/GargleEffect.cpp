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
    auto p = static_cast<float>(phase_);
    for (int i = 0; i < frames; ++i) {
        const float tri = 1.0f - std::abs(2.0f * p - 1.0f); // 0 at the cycle's start, 1 halfway
        const float edge = std::clamp((tri - 0.5f) * steep + 0.5f, 0.0f, 1.0f);
        const float g = tri + (edge - tri) * sq;
        left[i] *= g;
        right[i] *= g;
        p += step;
        if (p >= 1.0f)
            p -= 1.0f;
    }
    phase_ = p;
}

} // namespace sound
