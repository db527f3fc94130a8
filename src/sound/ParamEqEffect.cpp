#include "ParamEqEffect.h"

#include <cmath>

namespace sound {

ParamEqEffect::ParamEqEffect(int rate) : rate_(rate)
{
    design();
}

void ParamEqEffect::take(const SlotEffects& s)
{
    const DSFXParamEq p = clamped(s.paramEq);
    // Glides in octaves, so a sweep moves evenly through the spectrum.
    center_.target = std::log2(std::min(p.fCenter, 0.45f * static_cast<float>(rate_)));
    octaves_.target = p.fBandwidth / 12.0f;
    gain_.target = p.fGain;
    if (fresh_) {
        for (dsp::Glide* g : {&center_, &octaves_, &gain_})
            g->snap(g->target);
        design();
        fresh_ = false;
    }
}

void ParamEqEffect::reset()
{
    band_.clear();
    fresh_ = true;
}

void ParamEqEffect::design()
{
    band_.peaking(rate_, std::exp2(center_.value), std::max(octaves_.value, 1.0f / 12), gain_.value);
}

void ParamEqEffect::process(float* left, float* right, int frames)
{
    const float k = dsp::glideShare(frames, rate_, 0.005);
    bool moved = false;
    for (dsp::Glide* g : {&center_, &octaves_, &gain_})
        moved = g->step(k) || moved;
    if (moved)
        design();
    // A band at 0 dB is no filter at all (its coefficients above and below
    // are equal, so it gives back its input exactly and its state stays at
    // zero): once its state has settled there, skipping it changes nothing.
    if (gain_.value == 0 && band_.quiet())
        return;
    band_.process(left, right, frames);
}

} // namespace sound
