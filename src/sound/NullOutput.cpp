#include "NullOutput.h"

#include <chrono>
#include <vector>

namespace sound {

namespace {

class SteadyClock : public PacingClock {
public:
    double now() override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    void sleepUntil(double seconds) override
    {
        const auto target = std::chrono::steady_clock::time_point(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds)));
        std::this_thread::sleep_until(target);
    }
};

} // namespace

std::shared_ptr<PacingClock> PacingClock::steady()
{
    return std::make_shared<SteadyClock>();
}

NullOutput::NullOutput(Mixer& mixer, IdlePolicy mayIdle, std::shared_ptr<PacingClock> clock)
    : mixer_(mixer), mayIdle_(std::move(mayIdle)), clock_(std::move(clock))
{
}

NullOutput::~NullOutput()
{
    stop();
}

bool NullOutput::start()
{
    if (running_.load() && !sleeping_.load())
        return true;
    std::lock_guard guard(control_);
    if (running_.load() && !sleeping_.load())
        return true;
    join();
    stopRequested_ = false;
    sleeping_ = false;
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void NullOutput::stop()
{
    std::lock_guard guard(control_);
    join();
}

bool NullOutput::running() const
{
    return running_.load() && !sleeping_.load();
}

void NullOutput::join()
{
    stopRequested_ = true;
    if (thread_.joinable())
        thread_.join();
    running_ = false;
}

void NullOutput::run()
{
    const int chunk = mixer_.rate() * kChunkMs / 1000;
    std::vector<float> buffer(static_cast<std::size_t>(chunk * mixer_.channels()));
    double origin = clock_->now();
    std::int64_t frames = 0;
    while (!stopRequested_.load()) {
        mixer_.render(buffer.data(), chunk);
        if (tap_)
            tap_(buffer.data(), chunk);
        frames += chunk;
        if (mayIdle_ && mayIdle_()) {
            // Check again once the flag is visible: a waker either sees us
            // asleep and restarts us, or we see its activity and stay.
            sleeping_ = true;
            if (mayIdle_())
                break;
            sleeping_ = false;
        }
        const double due = origin + static_cast<double>(frames) / mixer_.rate();
        const double now = clock_->now();
        if (now - due > 1.0) {
            // Far behind (the machine was suspended): start pacing afresh
            // instead of rushing through the backlog.
            origin = now;
            frames = 0;
            continue;
        }
        clock_->sleepUntil(due);
    }
    running_ = false;
}

} // namespace sound
