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

private:
    // Per channel: the last inputs and the last samples at the double rate.
    struct Oversampler {
        std::array<float, 4> in{};  // x[i-3] .. x[i]
        std::array<float, 7> out{}; // shaped samples at twice the rate, newest last
        float run(float x, float drive, float norm);
    };
    void design();

    int rate_;
    dsp::Biquad pre_, post_;
    Oversampler overL_, overR_;
    dsp::Glide gain_, drive_, center_, width_, cutoff_;
    bool fresh_ = true;
};

} // namespace sound
