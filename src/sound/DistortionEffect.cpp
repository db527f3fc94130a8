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

void DistortionEffect::Oversampler::run(float* x, int n, const float* drive, const float* norm)
{
    // ext[j] is input j - 3: the three kept inputs come first.
    float ext[kStretch + 3];
    std::copy(in.begin(), in.end(), ext);
    for (int i = 0; i < n; ++i)
        ext[i + 3] = x[i];
    // Twice the rate: each input, then the sample halfway to the next one
    // from the cubic through four inputs; up[k + 6] is shaped sample k.
    float up[2 * kStretch + 6];
    std::copy(out.begin(), out.end(), up);
    for (int i = 0; i < n; ++i) {
        const float a = ext[i + 1], b = ext[i + 2];
        const float half = (9.0f * (a + b) - (ext[i] + ext[i + 3])) * (1.0f / 16.0f);
        up[6 + 2 * i] = dsp::softSaturate(drive[i] * a) * norm[i];
        up[7 + 2 * i] = dsp::softSaturate(drive[i] * half) * norm[i];
    }
    // Half-band low-pass back to the output rate.
    for (int i = 0; i < n; ++i) {
        const float* u = up + 2 * i;
        x[i] = (16.0f * u[4] + 9.0f * (u[3] + u[5]) - (u[1] + u[7])) * (1.0f / 32.0f);
    }
    std::copy(ext + n, ext + n + 3, in.begin());
    std::copy(up + 2 * n, up + 2 * n + 6, out.begin());
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
    for (int at = 0; at < frames; at += kStretch) {
        const int n = std::min(kStretch, frames - at);
        for (int i = 0; i < n; ++i) {
            const float t = static_cast<float>(at + i) * perFrame;
            drive_n_[static_cast<std::size_t>(i)] = driveFrom + (drive_.value - driveFrom) * t;
            norm_n_[static_cast<std::size_t>(i)] = normFrom + (normTo - normFrom) * t;
        }
        overL_.run(left + at, n, drive_n_.data(), norm_n_.data());
        overR_.run(right + at, n, drive_n_.data(), norm_n_.data());
    }
    post_.process(left, right, frames);
    for (int i = 0; i < frames; ++i) {
        const float g = gainFrom + (gain_.value - gainFrom) * static_cast<float>(i) * perFrame;
        left[i] *= g;
        right[i] *= g;
    }
}

} // namespace sound
