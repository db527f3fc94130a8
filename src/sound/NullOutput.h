#pragma once

#include "AudioOutput.h"
#include "Mixer.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace sound {

// Time for an output without hardware; tests replace it with a clock that
// advances when asked to sleep.
class PacingClock {
public:
    virtual ~PacingClock() = default;
    virtual double now() = 0; // seconds
    virtual void sleepUntil(double seconds) = 0;
    static std::shared_ptr<PacingClock> steady();
};

// Pulls audio from the mixer in real time and discards it: playback runs
// (clocks, cursor, ticks) on a machine with no sound card.
class NullOutput : public AudioOutput {
public:
    NullOutput(Mixer& mixer, IdlePolicy mayIdle, std::shared_ptr<PacingClock> clock = PacingClock::steady());
    ~NullOutput() override;
    NullOutput(const NullOutput&) = delete;
    NullOutput& operator=(const NullOutput&) = delete;

    bool start() override;
    void stop() override;
    bool running() const override;

    // 10 ms per pull, like a small device buffer.
    static constexpr int kChunkMs = 10;

    // Receives every chunk rendered, on the output's thread (set before start).
    using Tap = std::function<void(const float* interleaved, int frames)>;
    void setTap(Tap tap) { tap_ = std::move(tap); }

private:
    void run();
    void join();

    Mixer& mixer_;
    IdlePolicy mayIdle_;
    std::shared_ptr<PacingClock> clock_;
    Tap tap_;
    std::mutex control_;
    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> sleeping_{false};
    std::atomic<bool> running_{false};
};

} // namespace sound
