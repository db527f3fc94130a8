#include "PlaybackController.h"

#include "ISoundEngine.h"

PlaybackController::PlaybackController(CTabDoc& doc, ISoundEngine& engine, std::recursive_mutex& scoreLock)
    : doc_(doc), engine_(engine), scoreLock_(scoreLock), pass_(doc, engine)
{
    engine_.setTickCallback([this](double now) { onTick(now); });
}

PlaybackController::~PlaybackController()
{
    stop();
    engine_.setTickCallback({});
}

bool PlaybackController::play(const PlaybackPass::Start& request, double prerollMs)
{
    stop();
    {
        std::lock_guard<std::recursive_mutex> lock(scoreLock_);
        if (!pass_.start(request, 0))
            return false;
        preroll_ = prerollMs;
        placed_ = false;
        stopRequest_ = false;
        jumpRequest_ = -1;
        ended_ = false;
        publish();
    }
    engine_.StartOutput();
    return true;
}

void PlaybackController::stop()
{
    if (!playing_.load())
        return;
    stopRequest_ = true;
    {
        // Holding the lock means no pass is running: finish here if the
        // audio thread has not done it yet (or has no output running).
        std::lock_guard<std::recursive_mutex> lock(scoreLock_);
        if (pass_.isPlaying())
            pass_.stop();
        stopRequest_ = false;
        playing_.store(false, std::memory_order_release);
    }
    engine_.StopOutput();
}

void PlaybackController::requestJump(int measure)
{
    jumpRequest_.store(measure);
}

void PlaybackController::setLoopPlay(bool on)
{
    loopRequest_.store(on ? 1 : 0);
}

void PlaybackController::setPractice(const PlaybackPass::Practice& practice)
{
    std::lock_guard<std::recursive_mutex> lock(scoreLock_);
    if (!pass_.isPlaying())
        return;
    pass_.setPractice(practice, placed_ ? lastNow_ : 0);
    publish();
}

void PlaybackController::publish()
{
    speed_.store(pass_.speedPercent(), std::memory_order_relaxed);
    measure_.store(pass_.playMeasure(), std::memory_order_relaxed);
    beat_.store(pass_.playBeat(), std::memory_order_relaxed);
    playing_.store(pass_.isPlaying(), std::memory_order_release);
}

void PlaybackController::onTick(double now)
{
    if (!playing_.load(std::memory_order_acquire))
        return;
    std::unique_lock<std::recursive_mutex> lock(scoreLock_, std::try_to_lock);
    if (!lock.owns_lock())
        return; // the interface thread is changing the score: skip this pass
    if (!pass_.isPlaying())
        return;
    if (stopRequest_.exchange(false)) {
        pass_.stop();
        publish();
        return;
    }
    if (!placed_) {
        pass_.shiftClock(now + preroll_);
        placed_ = true;
    }
    const int loop = loopRequest_.exchange(-1);
    if (loop >= 0)
        pass_.setLoopPlay(loop == 1);
    const int jump = jumpRequest_.exchange(-1);
    if (jump >= 0)
        pass_.jumpTo(jump, now);
    lastNow_ = now;
    pass_.tick(now);
    if (!pass_.isPlaying() && pass_.endedByItself())
        ended_ = true;
    publish();
}
