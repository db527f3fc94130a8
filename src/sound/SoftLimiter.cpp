#include "SoftLimiter.h"

#include <algorithm>
#include <cmath>

namespace sound {

SoftLimiter::SoftLimiter(int rate)
    : attack_(1.0f - std::exp(-1.0f / (0.001f * static_cast<float>(rate)))),
      release_(1.0f - std::exp(-1.0f / (0.150f * static_cast<float>(rate))))
{
}

float SoftLimiter::softClip(float x)
{
    const float a = std::fabs(x);
    if (a <= kThreshold)
        return x;
    constexpr float room = 1.0f - kThreshold;
    return std::copysign(kThreshold + room * std::tanh((a - kThreshold) / room), x);
}

void SoftLimiter::process(float* left, float* right, int frames)
{
    for (int i = 0; i < frames; ++i) {
        const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
        envelope_ += (peak - envelope_) * (peak > envelope_ ? attack_ : release_);
        if (envelope_ < 1e-9f) // long silences would otherwise decay into slow denormals
            envelope_ = 0;
        if (envelope_ > kThreshold) {
            const float g = kThreshold / envelope_;
            left[i] *= g;
            right[i] *= g;
        }
        left[i] = softClip(left[i]);
        right[i] = softClip(right[i]);
    }
}

} // namespace sound
