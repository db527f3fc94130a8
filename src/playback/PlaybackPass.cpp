#include "PlaybackPass.h"

#include "BeatVoicing.h"
#include "CTabDoc.h"
#include "ISoundEngine.h"

#include <algorithm>
#include <cmath>

PlaybackPass::PlaybackPass(CTabDoc& doc, ISoundEngine& engine)
    : doc_(doc), engine_(engine), renderer_(engine), repeats_(doc)
{
}

const CMesure& PlaybackPass::measureOf(int track, int m) const
{
    return doc_.tracks[static_cast<std::size_t>(track)][m];
}

int PlaybackPass::instrumentOfTrack(int t) const
{
    const BeatVoice& c = current(t);
    if (c.hasBeat)
        return doc_.instrumentOfSlot(c.slot);
    return doc_.instrumentOfTrack(t);
}

bool PlaybackPass::loopsRange() const
{
    return loopPlay_ && loopFirst_ >= 0 && loopFirst_ <= loopLast_ && loopLast_ < doc_.measureCount;
}

int PlaybackPass::repeatTarget(int m) const
{
    const int target = repeats_.repeatStartAtOrBefore(m);
    // A repeat start before the looped range would leave it: the range's first measure stands in.
    if (loopsRange() && m >= loopFirst_ && m <= loopLast_)
        return std::max(target, loopFirst_);
    return target;
}

bool PlaybackPass::repeatsAgain(int m) const
{
    return repeats_.repeatsAgain(m);
}

int PlaybackPass::measureAfter(int m, bool* restarts) const
{
    if (restarts)
        *restarts = false;
    if (repeatsAgain(m))
        return repeatTarget(m);
    const bool loops = loopsRange() && m == loopLast_;
    if (!loops && m == endMeasure_)
        return -1;
    if (!loops && m < doc_.measureCount - 1)
        return m + 1;
    if (!loopPlay_)
        return -1;
    if (restarts)
        *restarts = true;
    return loopsRange() ? loopFirst_ : 0;
}

void PlaybackPass::setTempoFrom(int m)
{
    const int tempo = std::max(1, measureOf(cursorTrack_, m).tempo);
    // The speed slows the beat clock, never the samples.
    msPerUnit_ = 60000.0 / (tempo * 48.0) * 100.0 / speedPercent_;
    timedSpeed_ = speedPercent_;
    const CMesure& sig = measureOf(0, m);
    const int units = sig.denominator > 0 ? sig.numerator * 192 / sig.denominator : 192;
    measureDurationMs_ = units * msPerUnit_;
}

bool PlaybackPass::start(const Start& request, double now)
{
    if (!engine_.isReady() || doc_.trackCount < 1 || doc_.measureCount < 1)
        return false;
    cursorTrack_ = std::clamp(request.cursorTrack, 0, doc_.trackCount - 1);
    loopPlay_ = request.loopPlay;
    const Practice& p = request.practice;
    countIn_ = p.countIn;
    metronome_ = p.metronome;
    trainer_ = p.speedTrainer;
    speedPercent_ = std::clamp(p.speedPercent, kMinSpeed, kMaxSpeed);
    loopFirst_ = p.loopFirst;
    loopLast_ = p.loopLast;
    endMeasure_ = request.endMeasure;
    for (int t = 0; t < doc_.trackCount; ++t)
        if (doc_.tracks[static_cast<std::size_t>(t)].GetSize() < doc_.measureCount)
            return false;

    int m = request.fromStart ? 0 : request.measure;
    if (loopsRange())
        m = loopFirst_;
    if (m < 0 || m >= doc_.measureCount)
        m = 0;
    auto everyTrackHasABeat = [&](int mm) {
        for (int t = 0; t < doc_.trackCount; ++t)
            if (measureOf(t, mm).beatCount < 1)
                return false;
        return true;
    };
    if (!everyTrackHasABeat(m)) {
        m = 0;
        if (!everyTrackHasABeat(0))
            return false;
    }

    // What still rings from an earlier performance does not belong to this one.
    engine_.StopAll();
    startMeasure_ = measureIndex_ = m;
    repeatsLeft_ = -1;
    repeats_ = RepeatWalk(doc_, cursorTrack_);
    repeatTarget_ = repeatTarget(m);
    setTempoFrom(m);
    tracks_.assign(static_cast<std::size_t>(doc_.trackCount), TrackPlay{});
    voicing::Context ctx{doc_, engine_, msPerUnit_, 100.0 / timedSpeed_};
    for (int t = 0; t < doc_.trackCount; ++t) {
        TrackPlay& tp = tracks_[static_cast<std::size_t>(t)];
        for (BeatVoice& r : tp.records) {
            r.reset();
            r.track = t;
            r.slot = measureOf(t, m).instrumentSlot;
        }
        voicing::stage1(tp.records[static_cast<std::size_t>(tp.next)], ctx, t, m, 0, tp.tripletRun);
        tp.trackStart = now;
    }
    if (repeats_.hasRepeatEnd(m)) {
        repeats_.arm(m);
        repeatsLeft_ = repeats_.repeatCount(m);
    }
    endCount_ = 0;
    stopRequested_ = false;
    endedByItself_ = false;
    playing_ = true;
    measureStart_ = now;
    renderer_.reset();
    playMeasure_ = m;
    playBeat_ = 0;
    countingIn_ = false;
    clickCount_ = clickNext_ = 0;
    clickedMeasure_ = -1e300;
    if (countIn_) {
        // One measure of clicks in the first measure's metre and tempo, then the music.
        scheduleClicks(now, m, now);
        countingIn_ = true;
        shiftClock(measureDurationMs_);
        clickStart_ = now;
        clickedMeasure_ = -1e300;
    }
    return true;
}

void PlaybackPass::setPractice(const Practice& p, double now)
{
    countIn_ = p.countIn;
    trainer_ = p.speedTrainer;
    speedPercent_ = std::clamp(p.speedPercent, kMinSpeed, kMaxSpeed);
    loopFirst_ = p.loopFirst;
    loopLast_ = p.loopLast;
    if (p.metronome != metronome_) {
        metronome_ = p.metronome;
        if (!countingIn_) {
            clickCount_ = clickNext_ = 0;
            clickedMeasure_ = -1e300;
            if (metronome_ && playing_ && now >= measureStart_)
                scheduleClicks(measureStart_, measureIndex_, now); // from the next beat of this measure
        }
    }
}

void PlaybackPass::scheduleClicks(double from, int measure, double now)
{
    const CMesure& sig = measureOf(0, measure);
    const int denominator = sig.denominator > 0 ? sig.denominator : 4;
    clickStart_ = from;
    clickBeatMs_ = 192.0 / denominator * msPerUnit_;
    clickCount_ = std::clamp(sig.numerator, 1, 64);
    clickNext_ = 0;
    while (clickNext_ < clickCount_ && clickStart_ + clickNext_ * clickBeatMs_ < now - 0.5)
        ++clickNext_;
    clickedMeasure_ = measureStart_;
}

void PlaybackPass::clickTick(double now)
{
    if (countingIn_ && clickNext_ >= clickCount_ && now >= measureStart_ - 0.5)
        countingIn_ = false;
    if (!countingIn_ && metronome_ && !stopRequested_ && clickedMeasure_ != measureStart_ && now >= measureStart_ - 0.5)
        scheduleClicks(measureStart_, measureIndex_, now);
    while (clickNext_ < clickCount_ && now >= clickStart_ + clickNext_ * clickBeatMs_ - 0.5) {
        const int sound = clickNext_ == 0 ? ISoundEngine::kClickAccent : ISoundEngine::kClickBeat;
        engine_.SetVolume(ISoundEngine::kMetronomeSlot, sound, clickNext_ == 0 ? kAccentLevel : kBeatLevel);
        engine_.PostStart(ISoundEngine::kMetronomeSlot, sound);
        ++clickNext_;
    }
}

void PlaybackPass::restartLoop(int first)
{
    repeatsLeft_ = -1;
    repeats_.restart();
    if (trainer_ && speedPercent_ < 100)
        speedPercent_ = std::min(100, speedPercent_ + kTrainerStep);
    if (countIn_) {
        // The clicks fill the gap between the end of the pass and its new start.
        setTempoFrom(first);
        scheduleClicks(measureStart_, first, measureStart_);
        countingIn_ = true;
        measureStart_ += measureDurationMs_;
    }
}

void PlaybackPass::advanceMeasure(double now)
{
    measureStart_ = measureDurationMs_ > 0 ? measureStart_ + measureDurationMs_ : now;
    const int ending = measureIndex_;
    const int speedBefore = timedSpeed_;
    const double old = msPerUnit_;
    bool restarts = false;
    const int following = measureAfter(ending, &restarts);
    if (repeatsAgain(ending)) {
        repeatsLeft_ = repeats_.takeRepeat(ending);
        measureIndex_ = following;
    } else {
        if (repeats_.hasRepeatEnd(ending))
            repeatsLeft_ = -1;
        if (following < 0) {
            measureIndex_ = 0;
            ++endCount_;
            stopRequested_ = true;
        } else {
            measureIndex_ = following;
            if (restarts)
                restartLoop(following);
        }
    }
    if (endCount_ != 0)
        return;
    if (measureOf(cursorTrack_, measureIndex_).flags & model::kFlagRepeatStart)
        repeatTarget_ = measureIndex_;
    setTempoFrom(measureIndex_);
    // A new speed always retimes the beat prepared ahead; a tempo change only
    // when it moves the unit by a whole millisecond.
    const bool rescale = speedPercent_ != speedBefore || std::floor(old) != std::floor(msPerUnit_);
    for (TrackPlay& tp : tracks_) {
        tp.beatIndex = 0;
        tp.measureDone = false;
        tp.forced = true;
        tp.forcedStart = measureStart_;
        if (rescale) {
            // The beat prepared ahead was timed with the old tempo.
            BeatVoice& n = tp.records[static_cast<std::size_t>(tp.next)];
            n.durationMs *= msPerUnit_ / old;
            n.durationRounded = roundMs(n.durationMs);
        }
    }
}

void PlaybackPass::rotate(int t, double startTime, double now)
{
    TrackPlay& tp = tracks_[static_cast<std::size_t>(t)];
    BeatVoice& oldPrev = tp.records[static_cast<std::size_t>(tp.prev)];
    BeatVoice& oldCur = tp.records[static_cast<std::size_t>(tp.cur)];
    BeatVoice& oldNext = tp.records[static_cast<std::size_t>(tp.next)];

    if (tp.forced && (!oldNext.hasBeat || oldNext.measure != measureIndex_ || oldNext.beatIndex != 0)) {
        // The beat prepared ahead is not the one that starts now (a jump, or a
        // track whose beats outlast the measure): prepare the right one.
        if (measureOf(t, measureIndex_).beatCount > 0) {
            voicing::Context ctx{doc_, engine_, msPerUnit_, 100.0 / timedSpeed_};
            voicing::stage1(oldNext, ctx, t, measureIndex_, 0, tp.tripletRun);
        } else {
            oldNext.reset();
        }
    }

    if (instrumentOfTrack(t) == model::kDistortedGuitar)
        voicing::silenceDistortedOnRotation(oldPrev, oldNext, engine_);
    // Strings ringing over several beats stay known to the record that becomes previous.
    for (int s = 0; s < 6; ++s) {
        if (oldPrev.isSounding[s] && !oldPrev.silent(s) && !oldCur.isSounding[s]) {
            oldCur.sampleIndex[s] = oldPrev.sampleIndex[s];
            oldCur.isSounding[s] = true;
            oldCur.level[s] = oldPrev.level[s];
        }
    }
    const int reused = tp.prev;
    tp.prev = tp.cur;
    tp.cur = tp.next;
    tp.next = reused;
    tp.trackStart = startTime;
    tp.elapsed = now - startTime;
    tp.forced = false;

    const BeatVoice& c = tp.records[static_cast<std::size_t>(tp.cur)];
    if (c.hasBeat) {
        const int count = measureOf(t, c.measure).beatCount;
        if (c.beatIndex + 1 < count) {
            tp.beatIndex = c.beatIndex + 1;
            tp.measureDone = false;
        } else {
            tp.beatIndex = 0;
            tp.measureDone = true;
        }
    } else {
        tp.measureDone = true;
    }
    if (t == cursorTrack_) {
        playMeasure_ = c.hasBeat ? c.measure : measureIndex_;
        playBeat_ = c.hasBeat ? c.beatIndex : 0;
    }
    voice(t);
}

void PlaybackPass::voice(int t)
{
    TrackPlay& tp = tracks_[static_cast<std::size_t>(t)];
    BeatVoice& cur = tp.records[static_cast<std::size_t>(tp.cur)];
    BeatVoice& prev = tp.records[static_cast<std::size_t>(tp.prev)];
    BeatVoice& reused = tp.records[static_cast<std::size_t>(tp.next)];
    voicing::Context ctx{doc_, engine_, msPerUnit_, 100.0 / timedSpeed_};
    const int instrument = instrumentOfTrack(t);

    const double inMeasure = std::max(0.0, tp.trackStart - measureStart_);
    const int position = static_cast<int>(std::floor(inMeasure / (3 * msPerUnit_) + 0.5));
    const int numerator = measureOf(0, measureIndex_).numerator;
    const double accentUnit = (numerator % 3 == 0 ? 2 : 3) * msPerUnit_;
    const int accentPosition = static_cast<int>(std::floor(inMeasure / accentUnit + 0.5));

    if (cur.hasBeat)
        voicing::strum(cur, prev, reused, position, instrument);

    // Where the beat after this one lies. Beats that no longer fit in the
    // measure's time are never played: the next measure's first beat follows,
    // and the score's last notes ring out instead of stopping for them.
    const bool lastInTime =
        tp.measureDone || (cur.hasBeat && inMeasure + cur.durationMs >= measureDurationMs_ - 0.5);
    int nm = measureIndex_;
    bool hasNext = true;
    if (lastInTime) {
        nm = measureAfter(measureIndex_);
        hasNext = nm >= 0;
    }
    const int nb = lastInTime ? 0 : tp.beatIndex;
    if (hasNext && nb < measureOf(t, nm).beatCount)
        voicing::stage1(reused, ctx, t, nm, nb, tp.tripletRun);
    else
        reused.reset();

    if (cur.hasBeat) {
        voicing::BeatStart at;
        at.position = position;
        at.accentPosition = accentPosition;
        at.numerator = numerator;
        at.tripletRun = tp.tripletRun;
        at.instrument = instrument;
        at.pan = doc_.pan[static_cast<std::size_t>(t)];
        voicing::stage2(cur, prev, reused, ctx, at);
    }
}

void PlaybackPass::tick(double now)
{
    if (!playing_)
        return;
    if (now - measureStart_ >= measureDurationMs_)
        advanceMeasure(now);
    clickTick(now);

    for (int t = 0; t < static_cast<int>(tracks_.size()); ++t) {
        TrackPlay& tp = tracks_[static_cast<std::size_t>(t)];
        // A late pass may owe several short beats; take them in order.
        for (int guard = 0; guard < 16; ++guard) {
            if (tp.forced) {
                if (now < tp.forcedStart - 0.5)
                    break; // a count-in before the measure: the last beat rings on
                rotate(t, tp.forcedStart, now);
                continue;
            }
            tp.elapsed = now - tp.trackStart;
            const BeatVoice& c = tp.records[static_cast<std::size_t>(tp.cur)];
            if (tp.measureDone || tp.elapsed < c.durationMs - 0.5)
                break;
            rotate(t, tp.trackStart + c.durationMs, now);
        }
    }

    for (int t = 0; t < static_cast<int>(tracks_.size()); ++t) {
        const auto ti = static_cast<std::size_t>(t);
        const bool audible = doc_.mute[ti] == 0 && (doc_.soloTrack == 0 || doc_.soloTrack == t + 1);
        if (!audible)
            continue;
        TrackPlay& tp = tracks_[ti];
        renderer_.render(tp.state, tp.records[static_cast<std::size_t>(tp.cur)],
                         tp.records[static_cast<std::size_t>(tp.prev)], tp.elapsed, now, instrumentOfTrack(t),
                         doc_.volume[ti]);
    }

    if (stopRequested_)
        finish(true);
}

void PlaybackPass::jumpTo(int measure, double now)
{
    if (!playing_ || measure < 0 || measure >= doc_.measureCount || measure == measureIndex_)
        return;
    measureIndex_ = measure;
    setTempoFrom(measure);
    measureStart_ = now;
    repeatsLeft_ = -1;
    repeats_.restart(); // the user starts the repeats over
    countingIn_ = false;
    clickCount_ = clickNext_ = 0;
    if (measureOf(cursorTrack_, measure).flags & model::kFlagRepeatStart)
        repeatTarget_ = measure;
    for (TrackPlay& tp : tracks_) {
        tp.beatIndex = 0;
        tp.measureDone = false;
        tp.forced = true;
        tp.forcedStart = now;
    }
    playMeasure_ = measure;
    playBeat_ = 0;
}

void PlaybackPass::shiftClock(double delta)
{
    measureStart_ += delta;
    clickStart_ += delta;
    clickedMeasure_ += delta;
    for (TrackPlay& tp : tracks_) {
        tp.trackStart += delta;
        tp.forcedStart += delta;
    }
}

void PlaybackPass::stop()
{
    finish(false);
}

void PlaybackPass::finish(bool byItself)
{
    if (!playing_)
        return;
    // At the end of the score the last notes ring out (their samples fade by
    // themselves); a stop silences at once.
    if (!byItself)
        engine_.StopAll();
    playing_ = false;
    endedByItself_ = byItself;
    renderer_.reset();
}
