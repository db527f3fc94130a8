#pragma once

#include "DspBlocks.h"
#include "Effect.h"

#include <array>
#include <vector>

namespace sound {

// A room: eight delay lines of mutually prime lengths mixed through an
// orthogonal matrix, each line losing what makes the sound fall by 60 dB in
// the reverberation time, high frequencies in that time times the ratio.
// Two all-pass stages blur the input first. Output: dry plus wet at the mix.
class ReverbEffect : public Effect {
public:
    static constexpr int kLines = 8;

    explicit ReverbEffect(int rate);
    void take(const SlotEffects& settings) override;
    void reset() override;
    void process(float* left, float* right, int frames) override;

private:
    struct AllPass {
        dsp::DelayLine line;
        std::size_t delay = 1;
        float run(float x);
    };
    void design();

    int rate_;
    std::array<std::size_t, kLines> delays_{};
    // The lines side by side: frame f of line k at f * kLines + k.
    std::vector<float> lines_;
    std::size_t mask_ = 0;
    std::size_t write_ = 0;
    std::array<float, kLines> held_{}; // state of each line's low-pass
    std::array<float, kLines> loopGain_{}, damping_{};
    std::array<AllPass, 2> diffusers_;
    dsp::Glide inGain_, wetGain_, seconds_, ratio_;
    bool fresh_ = true;
};

} // namespace sound
