#pragma once

#include "EffectParams.h"

namespace sound {

// One effect of a slot's chain, working in place on stereo blocks on the
// audio thread. take() reads the effect's own record from the slot's
// settings; the effect glides to new values over a few milliseconds.
class Effect {
public:
    virtual ~Effect() = default;
    virtual void take(const SlotEffects& settings) = 0;
    // Back to silence; the next take() is applied at once, without a glide.
    virtual void reset() = 0;
    virtual void process(float* left, float* right, int frames) = 0;
};

} // namespace sound
