#pragma once

#include "BusProcessor.h"
#include "Effect.h"
#include "EffectParams.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace sound {

// The effects of one instrument slot, run on its bus in the fixed order.
// Settings come from the user-interface thread through three buffers handed
// over with one atomic exchange: the audio thread takes the newest without
// a lock and without allocating. An effect switched on or off fades in or
// out over kFadeMs (an effect fading in gets its input faded in, so that
// the first delayed copies do not start with a step); a chain with nothing
// on and nothing fading is idle and the mixer skips it.
class EffectChain : public BusProcessor {
public:
    static constexpr double kFadeMs = 10;
    // Longest stretch the effects work on at once.
    static constexpr int kMaxFrames = 64;

    explicit EffectChain(int rate);
    ~EffectChain() override;
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    int rate() const { return rate_; }

    // Any thread but the audio thread.
    void publish(const SlotEffects& settings);

    // Audio thread.
    void process(float* left, float* right, int frames) override;
    bool active() const override;

private:
    void takeNewest();
    void run(float* left, float* right, int frames);

    int rate_;
    std::array<std::unique_ptr<Effect>, kEffectCount> effects_;

    // Handing settings over: the writer fills buffers_[write_], then swaps
    // its index with shared_ (marked fresh); the reader swaps its own index
    // with shared_ when that is marked fresh.
    static constexpr int kFresh = 4;
    std::array<SlotEffects, 3> buffers_;
    std::mutex writer_; // publishers, never the audio thread
    int write_ = 0;
    std::atomic<int> shared_{1};
    int read_ = 2;

    // Audio thread only.
    std::array<bool, kEffectCount> on_{};      // what the settings ask
    std::array<float, kEffectCount> level_{}; // 0 off .. 1 on, fading
    // Fading in from silence: the effect's input rises instead of its output,
    // so delayed copies start as softly as the switch.
    std::array<bool, kEffectCount> risingInput_{};
    std::vector<float> ramp_;
    float fadeStep_;
    std::vector<float> dryL_, dryR_;
    std::atomic<bool> busy_{false}; // something on or fading
};

} // namespace sound
