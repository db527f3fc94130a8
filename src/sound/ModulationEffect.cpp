#include "ModulationEffect.h"

#include <cmath>

namespace sound {

namespace {
constexpr double kGlideSeconds = 0.005;
}

ModulationEffect::ModulationEffect(int rate, EffectKind kind) : rate_(rate), kind_(kind)
{
    const double longestMs = kind == EffectKind::Flanger ? 8.0 : 40.0; // centre delay swept up to twice
    const auto frames = static_cast<std::size_t>(longestMs * rate / 1000.0) + 8;
    lineL_.resize(frames);
    lineR_.resize(frames);
    maxDelay_ = static_cast<float>(lineL_.length() - 3);
}

template <typename Rec>
void ModulationEffect::takeRecord(const Rec& raw)
{
    const Rec p = clamped(raw);
    mix_.target = p.fWetDryMix / 100.0f;
    depth_.target = p.fDepth / 100.0f;
    feedback_.target = p.fFeedback / 100.0f;
    delayMs_.target = p.fDelay;
    sine_.target = p.lWaveform == 0 ? 0.0f : 1.0f;
    phaseShift_.target = static_cast<float>(p.lPhase - 2) * 0.25f;
    hz_ = p.fFrequency;
    if (fresh_) {
        for (dsp::Glide* g : {&mix_, &depth_, &feedback_, &delayMs_, &sine_, &phaseShift_})
            g->snap(g->target);
        fresh_ = false;
    }
}

void ModulationEffect::take(const SlotEffects& s)
{
    if (kind_ == EffectKind::Flanger)
        takeRecord(s.flanger);
    else
        takeRecord(s.chorus);
}

void ModulationEffect::reset()
{
    lineL_.clear();
    lineR_.clear();
    phase_ = 0;
    ends_ = false;
    fresh_ = true;
}

float ModulationEffect::oscillator(double phase) const
{
    const double f = phase - std::floor(phase);
    // Triangle in step with the sine: 0 at phase 0, 1 at a quarter.
    const double tri = 4 * std::abs(f + 0.75 - std::floor(f + 0.75) - 0.5) - 1;
    // A sine from two parabolas, within 0.1 %: the oscillator runs four times a block.
    const double x = f < 0.5 ? f : f - 0.5; // half a period, 0..0.5
    const double arch = 16 * x * (0.5 - x); // 0..1..0
    const double bent = arch * (0.775 + 0.225 * arch);
    const double sine = f < 0.5 ? bent : -bent;
    return static_cast<float>(tri + (sine - tri) * sine_.value);
}

float ModulationEffect::delayAt(double phase) const
{
    const float ms = delayMs_.value * (1.0f + depth_.value * oscillator(phase));
    return std::clamp(ms * static_cast<float>(rate_) / 1000.0f, 1.0f, maxDelay_);
}

void ModulationEffect::process(float* left, float* right, int frames)
{
    const float k = dsp::glideShare(frames, rate_, kGlideSeconds);
    // The delays are worked out at both ends of the block and followed in a
    // straight line between: the oscillator is far slower than a block.
    // The start of a block is the end of the one before (worked out with
    // the same settings), unless the effect was reset since.
    if (!ends_) {
        endL_ = delayAt(phase_);
        endR_ = delayAt(phase_ + phaseShift_.value);
        ends_ = true;
    }
    const float fromL = endL_, fromR = endR_;
    for (dsp::Glide* g : {&mix_, &depth_, &feedback_, &delayMs_, &sine_, &phaseShift_})
        g->step(k);
    phase_ += static_cast<double>(hz_) * frames / rate_;
    phase_ -= std::floor(phase_);
    const float toL = delayAt(phase_), toR = delayAt(phase_ + phaseShift_.value);
    endL_ = toL;
    endR_ = toR;
    dsp::SweptDelays d;
    d.fromL = fromL;
    d.fromR = fromR;
    d.stepL = (toL - fromL) / static_cast<float>(frames);
    d.stepR = (toR - fromR) / static_cast<float>(frames);
    d.wet = mix_.value;
    d.dry = 1.0f - mix_.value;
    d.own = feedback_.value;
    d.run(lineL_, lineR_, left, right, frames);
}

} // namespace sound
