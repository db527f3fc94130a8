#pragma once

#include "DspBlocks.h"
#include "Effect.h"

#include <array>

namespace sound {

// Low-pass before the shaper, a saturating curve whose drive grows with the
// edge, run at twice the rate so its harmonics fold back less, then a band
// around the post-EQ centre and the output gain.
class DistortionEffect : public Effect {
public:
    explicit DistortionEffect(int rate);
    void take(const SlotEffects& settings) override;
    void reset() override;
    void process(float* left, float* right, int frames) override;

    static constexpr int kStretch = 64;

private:
    // Per channel: the last inputs and the last shaped samples at the double
    // rate.
    struct Oversampler {
        std::array<float, 3> in{};      // the last three inputs, oldest first
        float lastEven = 0;             // the last input's
        std::array<float, 3> lastOdd{}; // the last three halfway ones, oldest first
        void run(float* x, int n, const float* drive, const float* norm);
    };
    void design();

    int rate_;
    dsp::Biquad pre_, post_;
    Oversampler overL_, overR_;
    std::array<float, kStretch> drive_n_{}, norm_n_{};
    dsp::Glide gain_, drive_, center_, width_, cutoff_;
    bool fresh_ = true;
};

} // namespace sound
