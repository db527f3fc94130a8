#pragma once

#include "DspBlocks.h"
#include "Effect.h"

#include <array>
#include <vector>

namespace sound {

// A room: eight delay lines of mutually prime lengths fed back through an
// orthogonal (Householder) matrix, each line losing what makes the sound
// fall by 60 dB in the reverberation time, high frequencies in that time
// times the ratio. Two all-pass stages blur the input first. Output: dry
// plus wet at the mix.
class ReverbEffect : public Effect {
public:
    static constexpr int kLines = 8;
    // Frames worked on at once; every line is longer.
    static constexpr int kStretch = 64;

    explicit ReverbEffect(int rate);
    void take(const SlotEffects& settings) override;
    void reset() override;
    void process(float* left, float* right, int frames) override;

private:
    struct AllPass {
        dsp::DelayLine line;
        std::size_t delay = 1;
        // In place, n <= kStretch frames.
        void run(float* x, int n);
    };
    void design();
    void stretch(float* left, float* right, int frames, float inFrom, float inStep, float wetFrom, float wetStep);

    int rate_;
    std::array<std::size_t, kLines> delays_{};
    std::array<dsp::DelayLine, kLines> lines_;
    std::array<float, kLines> held_{}; // each line's low-pass state
    std::array<float, kLines> loopGain_{};
    std::array<float, kLines> damping_{};
    // One stretch: what each line gives back, then what goes back into it.
    alignas(16) std::array<std::array<float, kStretch>, kLines> taps_{};
    alignas(16) std::array<float, kStretch> input_{}, wetL_{}, wetR_{};
    std::array<AllPass, 2> diffusers_;
    dsp::Glide inGain_, wetGain_, seconds_, ratio_;
    bool fresh_ = true;
};

} // namespace sound
