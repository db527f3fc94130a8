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
    const float stepL = (delayL_.value - fromL) / static_cast<float>(frames);
    const float stepR = (delayR_.value - fromR) / static_cast<float>(frames);
    const float wet = mix_.value, dry = 1.0f - wet;
    const float own = feedback_.value * (1.0f - cross_.value);
    const float other = feedback_.value * cross_.value;
    // Stretches no longer than the shorter delay: what they read was written
    // before them, so each stretch is read, mixed and written in one go.
    const float last = static_cast<float>(frames - 1);
    const float shortest = std::min({fromL, fromL + stepL * last, fromR, fromR + stepR * last});
    const int chunk = dsp::DelayLine::sweepChunk(shortest, std::min(frames, kStretch));
    if (chunk < dsp::DelayLine::kPerSample && chunk < frames) {
        for (int i = 0; i < frames; ++i) {
            const auto at = static_cast<float>(i);
            const float el = lineL_.read(fromL + stepL * at);
            const float er = lineR_.read(fromR + stepR * at);
            const float xl = left[i], xr = right[i];
            lineL_.push(xl + own * el + other * er);
            lineR_.push(xr + own * er + other * el);
            left[i] = xl * dry + el * wet;
            right[i] = xr * dry + er * wet;
        }
        return;
    }
    float el[kStretch], er[kStretch], inL[kStretch], inR[kStretch];
    for (int from = 0; from < frames; from += chunk) {
        const int n = std::min(chunk, frames - from);
        lineL_.readSwept(fromL, stepL, from, el, n);
        lineR_.readSwept(fromR, stepR, from, er, n);
        float* l = left + from;
        float* r = right + from;
        for (int i = 0; i < n; ++i) {
            const float xl = l[i], xr = r[i];
            inL[i] = xl + own * el[i] + other * er[i];
            inR[i] = xr + own * er[i] + other * el[i];
            l[i] = xl * dry + el[i] * wet;
            r[i] = xr * dry + er[i] * wet;
        }
        lineL_.write(inL, n);
        lineR_.write(inR, n);
    }
}

} // namespace sound
