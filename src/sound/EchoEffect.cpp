#include "EchoEffect.h"

namespace sound {

namespace {
constexpr double kGlideSeconds = 0.005;
// A new delay time is reached more slowly: the repeats slide in pitch
// briefly instead of jumping.
constexpr double kDelayGlideSeconds = 0.04;
} // namespace

EchoEffect::EchoEffect(int rate) : rate_(rate)
{
    const auto frames = static_cast<std::size_t>(2000.0 * rate / 1000.0) + 8;
    lineL_.resize(frames);
    lineR_.resize(frames);
    maxDelay_ = static_cast<float>(lineL_.length() - 3);
}

void EchoEffect::take(const SlotEffects& s)
{
    const DSFXEcho p = clamped(s.echo);
    const float perMs = static_cast<float>(rate_) / 1000.0f;
    mix_.target = p.fWetDryMix / 100.0f;
    feedback_.target = p.fFeedback / 100.0f;
    delayL_.target = std::clamp(p.fLeftDelay * perMs, 1.0f, maxDelay_);
    delayR_.target = std::clamp(p.fRightDelay * perMs, 1.0f, maxDelay_);
    cross_.target = p.lPanDelay ? 1.0f : 0.0f;
    if (fresh_) {
        for (dsp::Glide* g : {&mix_, &feedback_, &delayL_, &delayR_, &cross_})
            g->snap(g->target);
        fresh_ = false;
    }
}

void EchoEffect::reset()
{
    lineL_.clear();
    lineR_.clear();
    fresh_ = true;
}

void EchoEffect::process(float* left, float* right, int frames)
{
    const float fromL = delayL_.value, fromR = delayR_.value;
    const float k = dsp::glideShare(frames, rate_, kGlideSeconds);
    const float kd = dsp::glideShare(frames, rate_, kDelayGlideSeconds);
    mix_.step(k);
    feedback_.step(k);
    cross_.step(k);
    delayL_.step(kd);
    delayR_.step(kd);
    dsp::SweptDelays d;
    d.fromL = fromL;
    d.fromR = fromR;
    d.stepL = (delayL_.value - fromL) / static_cast<float>(frames);
    d.stepR = (delayR_.value - fromR) / static_cast<float>(frames);
    d.wet = mix_.value;
    d.dry = 1.0f - mix_.value;
    d.own = feedback_.value * (1.0f - cross_.value);
    d.other = feedback_.value * cross_.value;
    d.run(lineL_, lineR_, left, right, frames);
}

} // namespace sound
