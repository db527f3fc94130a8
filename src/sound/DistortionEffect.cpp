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

namespace {

using dsp::Four;

// softSaturate(), four at a time.
Four saturate(Four x)
{
    const Four c = dsp::min4(dsp::max4(x, dsp::splat4(-1.5f)), dsp::splat4(1.5f));
    return c - c * c * c * (1.0f / 6.75f);
}

} // namespace

void DistortionEffect::Oversampler::run(float* x, int n, const float* drive, const float* norm)
{
    // ext[j] is input j - 3: the three kept inputs come first. Four frames
    // at a time, so the arrays reach a little past the stretch.
    float ext[kStretch + 7];
    std::copy(in.begin(), in.end(), ext);
    dsp::copy(x, ext + 3, static_cast<std::size_t>(n));
    std::fill_n(ext + 3 + n, 4, 0.0f);
    // Twice the rate: each input and the sample halfway to the next one,
    // from the cubic through four inputs, shaped. even[j + 1] is input j's,
    // odd[j + 3] the one after it.
    float even[kStretch + 1], odd[kStretch + 3];
    even[0] = lastEven;
    std::copy(lastOdd.begin(), lastOdd.end(), odd);
    for (int i = 0; i < n; i += 4) {
        const Four a = dsp::load4(ext + i + 1), b = dsp::load4(ext + i + 2);
        const Four half = (9.0f * (a + b) - (dsp::load4(ext + i) + dsp::load4(ext + i + 3))) * (1.0f / 16.0f);
        const Four d = dsp::load4(drive + i), g = dsp::load4(norm + i);
        dsp::store4(even + i + 1, saturate(d * a) * g);
        dsp::store4(odd + i + 3, saturate(d * half) * g);
    }
    // Half-band low-pass back to the output rate.
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const Four y = 16.0f * dsp::load4(even + i) + 9.0f * (dsp::load4(odd + i + 1) + dsp::load4(odd + i + 2)) -
                       (dsp::load4(odd + i) + dsp::load4(odd + i + 3));
        dsp::store4(x + i, y * (1.0f / 32.0f));
    }
    for (; i < n; ++i)
        x[i] = (16.0f * even[i] + 9.0f * (odd[i + 1] + odd[i + 2]) - (odd[i] + odd[i + 3])) * (1.0f / 32.0f);
    std::copy(ext + n, ext + n + 3, in.begin());
    lastEven = even[n];
    std::copy(odd + n, odd + n + 3, lastOdd.begin());
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
