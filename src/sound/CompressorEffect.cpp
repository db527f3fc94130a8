#include "CompressorEffect.h"

#include <cmath>

namespace sound {

CompressorEffect::CompressorEffect(int rate) : rate_(rate)
{
    // The pre-delay and a whole block.
    const auto frames = static_cast<std::size_t>(4.0 * rate / 1000.0) + 8 + kLongestBlock;
    lineL_.resize(frames);
    lineR_.resize(frames);
}

void CompressorEffect::take(const SlotEffects& s)
{
    const DSFXCompressor p = clamped(s.compressor);
    makeUp_.target = p.fGain;
    threshold_.target = p.fThreshold;
    slope_.target = 1.0f - 1.0f / p.fRatio;
    delay_.target = std::min(p.fPredelay * static_cast<float>(rate_) / 1000.0f, static_cast<float>(lineL_.length() - kLongestBlock - 2));
    attackMs_ = p.fAttack;
    releaseMs_ = p.fRelease;
    if (fresh_) {
        for (dsp::Glide* g : {&makeUp_, &threshold_, &slope_, &delay_})
            g->snap(g->target);
        fresh_ = false;
    }
}

void CompressorEffect::reset()
{
    lineL_.clear();
    lineR_.clear();
    envelope_ = 0;
    reduction_ = 0;
    gain_ = 1;
    fresh_ = true;
}

void CompressorEffect::process(float* left, float* right, int frames)
{
    if (frames > kLongestBlock) {
        process(left, right, kLongestBlock);
        process(left + kLongestBlock, right + kLongestBlock, frames - kLongestBlock);
        return;
    }
    const float k = dsp::glideShare(frames, rate_, 0.005);
    for (dsp::Glide* g : {&makeUp_, &threshold_, &slope_, &delay_})
        g->step(k);
    // The follower falls at the release time; stretches of kStride frames
    // move the reduction by the attack or release share.
    if (releaseMs_ != fallFor_) {
        fallFor_ = releaseMs_;
        const double fall = std::exp(-1000.0 / (releaseMs_ * rate_));
        for (std::size_t j = 0; j <= kStride; ++j)
            fallAfter_[j] = static_cast<float>(std::pow(fall, static_cast<double>(j)));
        for (std::size_t j = 0; j < kStride; ++j)
            fallBack_[j] = fallAfter_[kStride - 1 - j];
    }
    const float attack = dsp::glideShare(kStride, rate_, attackMs_ / 1000.0);
    const float release = dsp::glideShare(kStride, rate_, releaseMs_ / 1000.0);
    const float makeUp = makeUp_.value, threshold = threshold_.value, slope = slope_.value;
    // The whole block goes into the lines first: with the pre-delay below a
    // block, some of what comes out now went in during this block. The
    // pre-delay is the same for the whole block: each output is the same
    // mix of two neighbouring stretches of the line.
    lineL_.write(left, frames);
    lineR_.write(right, frames);
    // Input i sits frames - i + delay pushes back: between the samples
    // far[i + 1] and far[i] (from the oldest, one more than the block).
    const auto whole = static_cast<std::size_t>(delay_.value);
    const float frac = delay_.value - static_cast<float>(whole);
    float farL[kLongestBlock + 1], farR[kLongestBlock + 1];
    lineL_.read(static_cast<std::size_t>(frames) + whole + 1, farL, frames + 1);
    lineR_.read(static_cast<std::size_t>(frames) + whole + 1, farR, frames + 1);
    using dsp::Four;
    for (int from = 0; from < frames; from += kStride) {
        const int n = std::min(kStride, frames - from);
        float* l = left + from;
        float* r = right + from;
        // The follower, max(peak, previous * fall) frame after frame, ends
        // at the largest peak times the fall since it came.
        const float* fallSince = fallBack_.data() + kStride - n; // frame i: fall^(n - 1 - i)
        Four top4 = dsp::splat4(0);
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            const Four pl = dsp::load4(l + i), pr = dsp::load4(r + i);
            const Four peak = dsp::max4(dsp::max4(pl, -pl), dsp::max4(pr, -pr)) * dsp::load4(fallSince + i);
            top4 = dsp::max4(top4, peak);
        }
        float top = std::max(std::max(top4[0], top4[1]), std::max(top4[2], top4[3]));
        for (; i < n; ++i)
            top = std::max(top, std::max(std::abs(l[i]), std::abs(r[i])) * fallSince[i]);
        envelope_ = std::max(top, envelope_ * fallAfter_[static_cast<std::size_t>(n)]);
        const float level = 20.0f * std::log10(std::max(envelope_, 1e-9f));
        const float wanted = std::max(0.0f, (level - threshold) * slope);
        reduction_ += (wanted - reduction_) * (wanted > reduction_ ? attack : release);
        const float target = std::pow(10.0f, (makeUp - reduction_) / 20.0f);
        const float step = (target - gain_) / static_cast<float>(n);
        const float g0 = gain_;
        const float* oldL = farL + from;
        const float* oldR = farR + from;
        for (int j = 0; j < n; ++j) {
            const float g = g0 + step * static_cast<float>(j + 1);
            l[j] = (oldL[j + 1] + (oldL[j] - oldL[j + 1]) * frac) * g;
            r[j] = (oldR[j + 1] + (oldR[j] - oldR[j + 1]) * frac) * g;
        }
        gain_ = target;
    }
}

} // namespace sound
