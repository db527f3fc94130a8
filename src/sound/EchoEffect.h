#pragma once

#include "DspBlocks.h"
#include "Effect.h"

namespace sound {

// Two delay lines, each repeat fed back at the set share into its own side
// or, with the pan delay on, into the other side (ping-pong).
class EchoEffect : public Effect {
public:
    explicit EchoEffect(int rate);
    void take(const SlotEffects& settings) override;
    void reset() override;
    void process(float* left, float* right, int frames) override;

private:
    int rate_;
    float maxDelay_;
    dsp::DelayLine lineL_, lineR_;
    dsp::Glide mix_, feedback_, delayL_, delayR_, cross_;
    bool fresh_ = true;
};

} // namespace sound
