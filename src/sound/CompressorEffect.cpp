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
    const auto fall = static_cast<float>(std::exp(-1000.0 / (releaseMs_ * rate_)));
    const float attack = dsp::glideShare(kStride, rate_, attackMs_ / 1000.0);
    const float release = dsp::glideShare(kStride, rate_, releaseMs_ / 1000.0);
    const float delay = delay_.value;
    const float makeUp = makeUp_.value, threshold = threshold_.value, slope = slope_.value;
    // The whole block goes into the lines first: with the pre-delay below a
    // block, some of what comes out now went in during this block.
    lineL_.write(left, frames);
    lineR_.write(right, frames);
    for (int from = 0; from < frames; from += kStride) {
        const int n = std::min(kStride, frames - from);
        float env = envelope_;
        for (int i = from; i < from + n; ++i)
            env = std::max(std::max(std::abs(left[i]), std::abs(right[i])), env * fall);
        envelope_ = env;
        const float level = 20.0f * std::log10(std::max(env, 1e-9f));
        const float wanted = std::max(0.0f, (level - threshold) * slope);
        reduction_ += (wanted - reduction_) * (wanted > reduction_ ? attack : release);
        const float target = std::pow(10.0f, (makeUp - reduction_) / 20.0f);
        const float step = (target - gain_) / static_cast<float>(n);
        for (int i = from; i < from + n; ++i) {
            gain_ += step;
            // Input i sits frames - i pushes back.
            const float back = static_cast<float>(frames - i) + delay;
            left[i] = lineL_.read(back) * gain_;
            right[i] = lineR_.read(back) * gain_;
        }
        gain_ = target;
    }
}

} // namespace sound
