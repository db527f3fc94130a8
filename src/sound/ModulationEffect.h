#pragma once

#include "DspBlocks.h"
#include "Effect.h"

namespace sound {

// Chorus and flanger: a delayed copy whose delay an oscillator sweeps around
// its centre, with feedback, mixed with the dry signal. The right channel's
// oscillator runs at the set phase from the left one's.
class ModulationEffect : public Effect {
public:
    // `kind`: EffectKind::Chorus or EffectKind::Flanger (which record it reads).
    ModulationEffect(int rate, EffectKind kind);
    void take(const SlotEffects& settings) override;
    void reset() override;
    void process(float* left, float* right, int frames) override;

    // Delay in samples of a channel at oscillator phase `phase` (cycles).
    float delayAt(double phase) const;

private:
    template <typename Rec>
    void takeRecord(const Rec& p);
    float oscillator(double phase) const;

    int rate_;
    EffectKind kind_;
    float maxDelay_; // samples the line can give
    dsp::DelayLine lineL_, lineR_;
    dsp::Glide mix_, depth_, feedback_, delayMs_, sine_, phaseShift_;
    float hz_ = 0;
    double phase_ = 0; // cycles of the left oscillator
    float endL_ = 0, endR_ = 0; // delays at the end of the last block
    bool ends_ = false;
    bool fresh_ = true;
};

} // namespace sound
