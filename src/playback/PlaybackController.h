#pragma once

#include "PlaybackPass.h"

#include <atomic>
#include <mutex>

class CTabDoc;
class ISoundEngine;

// Runs a PlaybackPass on the audio thread (the engine's tick callback) while
// the user-interface thread starts, stops and redirects it and reads the play
// position. The score is shared: each pass try-locks `scoreLock` and skips
// itself when the interface thread holds it.
class PlaybackController {
public:
    PlaybackController(CTabDoc& doc, ISoundEngine& engine, std::recursive_mutex& scoreLock);
    ~PlaybackController();
    PlaybackController(const PlaybackController&) = delete;
    PlaybackController& operator=(const PlaybackController&) = delete;

    // Interface thread. False when nothing can play.
    bool play(const PlaybackPass::Start& request, double prerollMs = 30);
    void stop();
    void requestJump(int measure);
    void setLoopPlay(bool on);
    // New practice options for the performance under way.
    void setPractice(const PlaybackPass::Practice& practice);
    // The speed the music plays at now (the speed trainer raises it).
    int speedPercent() const { return speed_.load(std::memory_order_relaxed); }

    bool isPlaying() const { return playing_.load(std::memory_order_acquire); }
    int playMeasure() const { return measure_.load(std::memory_order_relaxed); }
    int playBeat() const { return beat_.load(std::memory_order_relaxed); }
    // True once after a performance reached the end of the score by itself.
    bool takeEndedByItself() { return ended_.exchange(false); }

    // The audio thread's entry; public so offline rendering can drive it.
    void onTick(double now);

private:
    void publish();

    CTabDoc& doc_;
    ISoundEngine& engine_;
    std::recursive_mutex& scoreLock_;
    PlaybackPass pass_;
    double preroll_ = 0;
    bool placed_ = false; // the start has been put on the audio clock

    std::atomic<bool> playing_{false};
    std::atomic<bool> stopRequest_{false};
    std::atomic<int> jumpRequest_{-1};
    std::atomic<int> loopRequest_{-1};
    std::atomic<bool> ended_{false};
    std::atomic<int> measure_{0};
    std::atomic<int> beat_{0};
    std::atomic<int> speed_{100};
    double lastNow_ = 0; // clock of the last pass, under the score lock
};
