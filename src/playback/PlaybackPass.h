#pragma once

#include "Articulation.h"
#include "BeatVoice.h"
#include "RepeatWalk.h"

#include <array>
#include <vector>

class CTabDoc;
class CMesure;
class ISoundEngine;

// One performance of the score, driven by a clock in milliseconds: the
// measure clock, one beat clock per track, repeats, voicing and articulation.
// Plain class, no threads: the caller runs tick() on the audio clock.
class PlaybackPass {
public:
    PlaybackPass(CTabDoc& doc, ISoundEngine& engine);

    // What a guitarist practises with: none of it changes the score.
    struct Practice {
        bool countIn = false;   // one measure of clicks before the music (and before each loop pass)
        bool metronome = false; // a click on every beat
        int speedPercent = 100; // scales every tempo; samples keep their own rate
        // With loop play, the measures played over and over (-1: the whole score).
        int loopFirst = -1;
        int loopLast = -1;
        bool speedTrainer = false; // +5 % after each loop pass, up to 100 %
    };
    static constexpr int kMinSpeed = 25;
    static constexpr int kMaxSpeed = 150;
    static constexpr int kTrainerStep = 5;
    // Level of the clicks, in hundredths of a decibel.
    static constexpr int kAccentLevel = 0;
    static constexpr int kBeatLevel = -300;

    struct Start {
        int measure = 0;        // the cursor's measure
        bool fromStart = false; // "Lecture à partir du début"
        int cursorTrack = 0;
        bool loopPlay = false;
        int endMeasure = -1; // the performance ends after this measure (-1: at the score's end)
        Practice practice;
    };

    // Prepares a performance starting at `now`. False when nothing can play
    // (engine not ready, or a track without a beat in its first measure).
    bool start(const Start& request, double now);

    // One pass of the loop at clock time `now`.
    void tick(double now);

    // Stops every voice and ends the performance.
    void stop();

    // The user put the cursor on another measure: playback goes on from there.
    void jumpTo(int measure, double now);

    void setLoopPlay(bool on) { loopPlay_ = on; }
    // Practice options changed while playing: the metronome and count-in act
    // at once, a new speed from the next measure, a new range at the end of
    // the current pass.
    void setPractice(const Practice& practice, double now);
    int speedPercent() const { return speedPercent_; }
    // Clock time at which the music (after a count-in) starts or restarts.
    double musicStart() const { return measureStart_; }

    // Moves every clock of the performance by `delta` ms (a start prepared
    // before the audio clock is known is placed on it at the first pass).
    void shiftClock(double delta);

    bool isPlaying() const { return playing_; }
    // True when the performance reached the end of the score by itself.
    bool endedByItself() const { return endedByItself_; }
    int startMeasure() const { return startMeasure_; }
    int measureIndex() const { return measureIndex_; }
    // Play position of the cursor track (measure, beat).
    int playMeasure() const { return playMeasure_; }
    int playBeat() const { return playBeat_; }
    int repeatsLeft() const { return repeatsLeft_; }
    double msPerUnit() const { return msPerUnit_; }

    // For tests: the records of a track.
    const BeatVoice& current(int track) const { return rec(track, tracks_[static_cast<std::size_t>(track)].cur); }
    const BeatVoice& previous(int track) const { return rec(track, tracks_[static_cast<std::size_t>(track)].prev); }
    const BeatVoice& next(int track) const { return rec(track, tracks_[static_cast<std::size_t>(track)].next); }

private:
    struct TrackPlay {
        std::array<BeatVoice, 3> records;
        int cur = 0, prev = 1, next = 2;
        int beatIndex = 0;     // beat that `next` holds, in its measure
        double trackStart = 0; // clock time at which `current` began
        double elapsed = 0;
        bool measureDone = false;
        bool forced = false;   // a measure change or jump starts a new beat at forcedStart
        double forcedStart = 0;
        int tripletRun = -1;
        articulation::TrackState state;
    };

    const BeatVoice& rec(int t, int i) const { return tracks_[static_cast<std::size_t>(t)].records[static_cast<std::size_t>(i)]; }
    int instrumentOfTrack(int t) const;
    const CMesure& measureOf(int track, int m) const;
    void setTempoFrom(int measure);
    void advanceMeasure(double now);
    void rotate(int t, double startTime, double now);
    void voice(int t);
    bool loopsRange() const;
    bool repeatsAgain(int m) const;
    int repeatTarget(int m) const;
    // Where the music goes after measure m: -1 at the end, `restarts` set when it loops.
    int measureAfter(int m, bool* restarts = nullptr) const;
    void restartLoop(int first);
    void scheduleClicks(double from, int measure, double now);
    void clickTick(double now);
    void finish(bool byItself);

    CTabDoc& doc_;
    ISoundEngine& engine_;
    articulation::Renderer renderer_;
    std::vector<TrackPlay> tracks_;

    bool playing_ = false;
    bool stopRequested_ = false;
    bool endedByItself_ = false;
    bool loopPlay_ = false;
    int cursorTrack_ = 0;
    int startMeasure_ = 0;
    int measureIndex_ = 0;
    double measureStart_ = 0;
    double measureDurationMs_ = 0;
    double msPerUnit_ = 0;
    int repeatTarget_ = 0;
    int repeatsLeft_ = -1;
    RepeatWalk repeats_;

    bool countIn_ = false;
    bool metronome_ = false;
    bool trainer_ = false;
    int speedPercent_ = 100;
    int timedSpeed_ = 100; // the speed msPerUnit_ was worked out with
    int loopFirst_ = -1;
    int loopLast_ = -1;
    int endMeasure_ = -1;
    // The clicks being played: a measure's beats from clickStart_.
    double clickStart_ = 0;
    double clickBeatMs_ = 0;
    int clickCount_ = 0;
    int clickNext_ = 0;
    bool countingIn_ = false;
    double clickedMeasure_ = -1e300; // measureStart_ whose beats were clicked
    int endCount_ = 0;
    int playMeasure_ = 0;
    int playBeat_ = 0;
};
