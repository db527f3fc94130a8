#pragma once

#include "DspBlocks.h"
#include "Effect.h"

#include <array>

namespace sound {

// Peak level of the louder channel, a static curve above the threshold, the
// gain reduction smoothed by the attack and release times, one gain for both
// channels, the audio delayed by the pre-delay so the gain acts before a
// peak arrives, then the make-up gain.
class CompressorEffect : public Effect {
public:
    explicit CompressorEffect(int rate);
    void take(const SlotEffects& settings) override;
    void reset() override;
    void process(float* left, float* right, int frames) override;

    // The gain reduction now, in dB (0 or more).
    float reduction() const { return reduction_; }

    // The gain is worked out once per this many frames and followed in a
    // straight line between.
    static constexpr int kStride = 16;
    static constexpr int kLongestBlock = 1024;

private:
    int rate_;
    dsp::DelayLine lineL_, lineR_;
    dsp::Glide makeUp_, threshold_, slope_, delay_;
    float attackMs_ = 10, releaseMs_ = 200;
    float envelope_ = 0;  // peak follower, linear
    float reduction_ = 0; // dB
    float gain_ = 1;      // linear gain applied at the end of the last stretch
    // The follower's fall over 0 .. kStride frames, and the same backwards
    // (kStride - 1 .. 0), for the release time `fallFor_`.
    std::array<float, kStride + 1> fallAfter_{};
    std::array<float, kStride> fallBack_{};
    float fallFor_ = -1;
    bool fresh_ = true;
};

} // namespace sound
