#pragma once

#include "DspBlocks.h"
#include "Effect.h"

namespace sound {

// Amplitude modulation by a unipolar oscillator (0..1): a tremolo at low
// rates, a growl at high ones. The square's edges take half a millisecond.
class GargleEffect : public Effect {
public:
    explicit GargleEffect(int rate);
    void take(const SlotEffects& settings) override;
    void reset() override;
    void process(float* left, float* right, int frames) override;

private:
    int rate_;
    double phase_ = 0; // cycles
    double hz_ = 20;
    dsp::Glide square_;
    bool fresh_ = true;
};

} // namespace sound
