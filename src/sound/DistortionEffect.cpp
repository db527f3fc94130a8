#include "DistortionEffect.h"

#include <cmath>

namespace sound {

DistortionEffect::DistortionEffect(int rate) : rate_(rate)
{
    design();
}

void DistortionEffect::take(const SlotEffects& s)
{
    const DSFXDistortion p = clamped(s.distortion);
    gain_.target = std::pow(10.0f, p.fGain / 20.0f);
    // Drive 1 (nearly clean) at 0 % up to 50 at 100 %.
    drive_.target = std::pow(50.0f, p.fEdge / 100.0f);
    center_.target = p.fPostEQCenterFrequency;
    width_.target = p.fPostEQBandwidth;
    cutoff_.target = p.fPreLowpassCutoff;
    if (fresh_) {
        for (dsp::Glide* g : {&gain_, &drive_, &center_, &width_, &cutoff_})
            g->snap(g->target);
        design();
        fresh_ = false;
    }
}

void DistortionEffect::reset()
{
    pre_.clear();
    post_.clear();
    overL_ = Oversampler{};
    overR_ = Oversampler{};
    fresh_ = true;
}

void DistortionEffect::design()
{
    const double nyquist = 0.45 * rate_;
    pre_.lowPass(rate_, std::min<double>(cutoff_.value, nyquist), std::numbers::sqrt2 / 2);
    const double centre = std::min<double>(center_.value, nyquist);
    post_.bandPass(rate_, centre, std::clamp(centre / std::max(width_.value, 1.0f), 0.1, 20.0));
}

float DistortionEffect::Oversampler::run(float x, float drive, float norm)
{
    in[0] = in[1];
    in[1] = in[2];
    in[2] = in[3];
    in[3] = x;
    // The sample halfway between in[1] and in[2], from the cubic through all four.
    const float half = (9.0f * (in[1] + in[2]) - (in[0] + in[3])) * (1.0f / 16.0f);
    for (int j = 0; j < 5; ++j)
        out[static_cast<std::size_t>(j)] = out[static_cast<std::size_t>(j + 2)];
    out[5] = dsp::softSaturate(drive * in[1]) * norm;
    out[6] = dsp::softSaturate(drive * half) * norm;
    // Half-band low-pass back to the output rate.
    return (16.0f * out[3] + 9.0f * (out[2] + out[4]) - (out[0] + out[6])) * (1.0f / 32.0f);
}

void DistortionEffect::process(float* left, float* right, int frames)
{
    const float k = dsp::glideShare(frames, rate_, 0.005);
    bool moved = false;
    for (dsp::Glide* g : {&center_, &width_, &cutoff_})
        moved = g->step(k) || moved;
    if (moved)
        design();
    const float gainFrom = gain_.value, driveFrom = drive_.value;
    gain_.step(k);
    drive_.step(k);
    pre_.process(left, right, frames);
    const float perFrame = 1.0f / static_cast<float>(frames);
    // Full scale stays full scale whatever the drive.
    const float normFrom = 1.0f / dsp::softSaturate(driveFrom), normTo = 1.0f / dsp::softSaturate(drive_.value);
    for (int i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) * perFrame;
        const float drive = driveFrom + (drive_.value - driveFrom) * t;
        const float norm = normFrom + (normTo - normFrom) * t;
        left[i] = overL_.run(left[i], drive, norm);
        right[i] = overR_.run(right[i], drive, norm);
    }
    post_.process(left, right, frames);
    for (int i = 0; i < frames; ++i) {
        const float g = gainFrom + (gain_.value - gainFrom) * static_cast<float>(i) * perFrame;
        left[i] *= g;
        right[i] *= g;
    }
}

} // namespace sound
