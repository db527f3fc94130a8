#include "EffectChain.h"

#include "CompressorEffect.h"
#include "DspBlocks.h"
#include "DistortionEffect.h"
#include "EchoEffect.h"
#include "GargleEffect.h"
#include "ModulationEffect.h"
#include "ParamEqEffect.h"
#include "ReverbEffect.h"

#include <algorithm>
#include <cmath>

namespace sound {

EffectChain::EffectChain(int rate)
    : rate_(rate),
      fadeStep_(static_cast<float>(1000.0 / (kFadeMs * rate))),
      dryL_(kMaxFrames),
      dryR_(kMaxFrames)
{
    ramp_.resize(kMaxFrames);
    effects_[0] = std::make_unique<ModulationEffect>(rate, EffectKind::Chorus);
    effects_[1] = std::make_unique<CompressorEffect>(rate);
    effects_[2] = std::make_unique<DistortionEffect>(rate);
    effects_[3] = std::make_unique<EchoEffect>(rate);
    effects_[4] = std::make_unique<ModulationEffect>(rate, EffectKind::Flanger);
    effects_[5] = std::make_unique<GargleEffect>(rate);
    effects_[6] = std::make_unique<ParamEqEffect>(rate);
    effects_[7] = std::make_unique<ReverbEffect>(rate);
}

EffectChain::~EffectChain() = default;

void EffectChain::publish(const SlotEffects& settings)
{
    std::lock_guard guard(writer_);
    buffers_[static_cast<std::size_t>(write_)] = settings.clampedCopy();
    write_ = shared_.exchange(write_ | kFresh, std::memory_order_acq_rel) & ~kFresh;
}

bool EffectChain::active() const
{
    return busy_.load(std::memory_order_relaxed) || (shared_.load(std::memory_order_acquire) & kFresh);
}

void EffectChain::takeNewest()
{
    if (!(shared_.load(std::memory_order_acquire) & kFresh))
        return;
    read_ = shared_.exchange(read_, std::memory_order_acq_rel) & ~kFresh;
    const SlotEffects& s = buffers_[static_cast<std::size_t>(read_)];
    for (std::size_t k = 0; k < effects_.size(); ++k) {
        const bool on = s.enabled[k];
        if (on && !on_[k] && level_[k] == 0) {
            effects_[k]->reset(); // starts clean, so its old tail does not return
            risingInput_[k] = true;
        }
        on_[k] = on;
        effects_[k]->take(s);
    }
}

void EffectChain::process(float* left, float* right, int frames)
{
    takeNewest();
    for (int from = 0; from < frames; from += kMaxFrames)
        run(left + from, right + from, std::min(kMaxFrames, frames - from));
}

void EffectChain::run(float* left, float* right, int frames)
{
    bool busy = false;
    for (std::size_t k = 0; k < effects_.size(); ++k) {
        float& level = level_[k];
        if (!on_[k] && level == 0)
            continue;
        busy = true;
        Effect& fx = *effects_[k];
        if (on_[k] && level == 1) {
            fx.process(left, right, frames);
            continue;
        }
        // Fading: dry and wet side by side.
        for (int i = 0; i < frames; ++i) {
            dryL_[static_cast<std::size_t>(i)] = left[i];
            dryR_[static_cast<std::size_t>(i)] = right[i];
        }
        const float step = on_[k] ? fadeStep_ : -fadeStep_;
        for (int i = 0; i < frames; ++i) {
            level = std::clamp(level + step, 0.0f, 1.0f);
            ramp_[static_cast<std::size_t>(i)] = level;
        }
        const bool rising = risingInput_[k] && on_[k];
        if (rising) {
            for (int i = 0; i < frames; ++i) {
                left[i] *= ramp_[static_cast<std::size_t>(i)];
                right[i] *= ramp_[static_cast<std::size_t>(i)];
            }
        }
        fx.process(left, right, frames);
        for (int i = 0; i < frames; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const float g = ramp_[at];
            if (rising) {
                left[i] += dryL_[at] * (1 - g);
                right[i] += dryR_[at] * (1 - g);
            } else {
                left[i] = dryL_[at] + (left[i] - dryL_[at]) * g;
                right[i] = dryR_[at] + (right[i] - dryR_[at]) * g;
            }
        }
        if (level == 1 || level == 0)
            risingInput_[k] = false;
    }
    busy_.store(busy, std::memory_order_relaxed);
    if (!busy)
        return;
    // A damaged value would ring forever in the feedback loops: start over.
    dsp::Four sums = dsp::splat4(0);
    int i = 0;
    for (; i + 4 <= frames; i += 4) {
        const dsp::Four l = dsp::load4(left + i), r = dsp::load4(right + i);
        sums += l * l + r * r;
    }
    float sum = (sums[0] + sums[1]) + (sums[2] + sums[3]);
    for (; i < frames; ++i)
        sum += left[i] * left[i] + right[i] * right[i];
    if (!std::isfinite(sum)) {
        for (auto& fx : effects_)
            fx->reset();
        std::fill_n(left, frames, 0.0f);
        std::fill_n(right, frames, 0.0f);
    }
}

} // namespace sound
