#pragma once

#include "DspBlocks.h"
#include "Effect.h"

namespace sound {

// One peaking band: the set gain at the centre frequency, the bandwidth in
// semitones, unchanged far from it.
class ParamEqEffect : public Effect {
public:
    explicit ParamEqEffect(int rate);
    void take(const SlotEffects& settings) override;
    void reset() override;
    void process(float* left, float* right, int frames) override;

private:
    void design();

    int rate_;
    dsp::Biquad band_;
    dsp::Glide center_, octaves_, gain_;
    bool fresh_ = true;
};

} // namespace sound
