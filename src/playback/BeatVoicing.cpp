#include "BeatVoicing.h"

#include "Articulation.h"
#include "CTabDoc.h"
#include "ISoundEngine.h"
#include "SampleChoice.h"

#include <algorithm>
#include <cstdlib>

namespace voicing {

int metricWeight(int position)
{
    if (position == 0)
        return 0;
    int zeros = 0;
    while ((position & 1) == 0 && zeros < 4) {
        position >>= 1;
        ++zeros;
    }
    return zeros >= 4 ? 0 : 4 - zeros;
}

namespace {

void setDuration(BeatVoice& v, double ms)
{
    v.durationMs = ms;
    v.durationRounded = roundMs(ms);
}

int instrumentOf(const CTabDoc& doc, int slot)
{
    return doc.instrumentOfSlot(slot);
}

} // namespace

double beatLengthUnits(const CMesure& m, int beatIndex, int& tripletRun)
{
    const CAccord& beat = m.beats[beatIndex];
    double units = beatUnits(beat);
    const bool amongLastTwo = beatIndex >= m.beatCount - 2;
    if (beat.isTriplet && !amongLastTwo) {
        tripletRun += 2;
    } else if (tripletRun >= 0) {
        units *= 2 * 0.33333334f;
        tripletRun -= 1;
    }
    return units;
}

void stage1(BeatVoice& next, const Context& ctx, int track, int measure, int beatIndex, int& tripletRun)
{
    next.reset();
    const CMesure& m = ctx.doc.tracks[static_cast<std::size_t>(track)][measure];
    const CAccord& beat = m.beats[beatIndex];
    next.hasBeat = true;
    next.beat = beat;
    next.measure = measure;
    next.beatIndex = beatIndex;
    next.track = track;
    next.slot = m.instrumentSlot;
    const int code = instrumentOf(ctx.doc, m.instrumentSlot);
    next.arpeggioLatency =
        (code == model::kDrums || code == model::kPiano) ? 0 : ctx.doc.arpeggioLatency[static_cast<std::size_t>(track)];

    setDuration(next, beatLengthUnits(m, beatIndex, tripletRun) * ctx.msPerUnit);
    for (int s = 0; s < 6; ++s)
        next.sampleIndex[s] = SampleIndex(ctx.doc, m, beat, s, track);
}

void strum(BeatVoice& cur, const BeatVoice& prev, const BeatVoice& reused, int position, int instrument)
{
    for (double& o : cur.onset)
        o = 0;
    if (instrument == model::kDrums) {
        cur.strumStep = 0;
        return;
    }
    if (cur.beat.arpeggio != 0) {
        cur.strumStep = std::min(40, cur.durationRounded / 8);
        cur.downStroke = cur.beat.arpeggio == 1;
    } else {
        cur.strumStep = std::min(cur.arpeggioLatency, cur.durationRounded / 8);
        bool down;
        if (cur.durationRounded >= 500)
            down = true;
        else if (!prev.hasBeat || !reused.hasBeat || prev.beat.isRest || !prev.downStroke)
            down = true;
        else if (prev.beat.isTied)
            down = prev.downStroke;
        else {
            const int w = metricWeight(position);
            if (w == 0) {
                down = true;
            } else {
                const int w2 = metricWeight(position + reused.beat.beatTicks());
                down = w < w2 || reused.durationRounded < cur.durationRounded;
            }
        }
        cur.downStroke = down;
    }
    int k = 0;
    for (int i = 0; i < 6; ++i) {
        const int s = cur.downStroke ? 5 - i : i;
        if (cur.silent(s))
            continue;
        cur.onset[s] = k * cur.strumStep;
        ++k;
    }
}

namespace {

void accents(BeatVoice& cur, const BeatVoice& prev, const BeatStart& at)
{
    static constexpr int kBase[5] = {0, -160, -220, -260, -300};
    int base = kBase[metricWeight(at.accentPosition)];
    if (prev.hasBeat) {
        const int u = 1 << (prev.beat.durationCode & 7);
        const int v = (at.tripletRun == 0 || at.tripletRun == 1) ? 2 * u : 3 * u;
        if (v < 16)
            base += 64 - 4 * v;
    }
    const int step = at.instrument == model::kDistortedGuitar ? 200 : 170;
    const bool repeated = cur.downStroke && prev.hasBeat && cur.beat.durationCode <= 3 &&
                          cur.beat.durationCode == prev.beat.durationCode && cur.beat.isDotted == prev.beat.isDotted &&
                          cur.beat.isTriplet == prev.beat.isTriplet && at.accentPosition > 10;
    int low = 0;
    for (int s = 0; s < 6; ++s)
        if (cur.sampleIndex[s] < 26)
            ++low;
    const bool tiedPrev = prev.hasBeat && prev.beat.isTied;

    int k = 0;
    for (int i = 0; i < 6; ++i) {
        const int s = cur.downStroke ? 5 - i : i;
        if (cur.sampleIndex[s] > 50) {
            cur.level[s] = 0;
            continue;
        }
        if (tiedPrev && cur.sampleIndex[s] == prev.sampleIndex[s]) {
            cur.level[s] = prev.level[s];
            continue;
        }
        if (!repeated)
            cur.level[s] = k < 2 ? base : base - k * step;
        else if (k < 3)
            cur.level[s] = low > 2 ? base - (3 - k) * step : base;
        else
            cur.level[s] = base - (k - 3) * step;
        ++k;
    }
    for (double& l : cur.level)
        l += 50 - 50 * k;
}

bool clashes(int d, int instrument)
{
    if (instrument == model::kDistortedGuitar)
        return !(d == 0 || d == 5 || d == 7 || d == 8 || d == 9);
    return d == 1 || d == 2 || d == 6 || d == 10 || d == 11;
}

void silence(BeatVoice& cur, BeatVoice& prev, const BeatStart& at, ISoundEngine& engine)
{
    if (at.instrument == model::kDrums || (prev.hasBeat && prev.beat.isTied))
        return;
    int soundingNow = 0;
    for (int s = 0; s < 6; ++s)
        if (!cur.silent(s))
            ++soundingNow;
    const bool folded = !(soundingNow < 3 && at.instrument != model::kDistortedGuitar);
    for (int s = 0; s < 6; ++s) {
        if (!prev.isSounding[s] || prev.silent(s))
            continue;
        bool stop = false;
        if (at.instrument == model::kBass || prev.level[s] < -2249) {
            stop = true;
        } else if ((prev.beat.notes[s].vibrato & 3) == 0) {
            for (int c = 0; c < 6 && !stop; ++c) {
                if (cur.silent(c))
                    continue;
                int d = std::abs(prev.sampleIndex[s] - cur.sampleIndex[c]);
                if (folded)
                    d %= 12;
                stop = clashes(d, at.instrument);
            }
        } else {
            stop = true; // a vibrating note never rings under a new one
        }
        if (stop) {
            engine.PostStop(prev.slot, prev.sampleIndex[s]);
            prev.isSounding[s] = false;
        }
    }
}

} // namespace

void stage2(BeatVoice& cur, BeatVoice& prev, BeatVoice& next, const Context& ctx, const BeatStart& at)
{
    const bool drums = at.instrument == model::kDrums;
    if (prev.hasBeat && prev.beat.isTied)
        for (int s = 0; s < 6; ++s)
            if (cur.silent(s))
                cur.sampleIndex[s] = prev.sampleIndex[s];

    if (!drums) {
        articulation::prepareSlides(cur, next, ctx.timeScale);
        articulation::prepareBends(cur, prev, ctx.doc, ctx.timeScale);
        articulation::prepareVibrato(cur, ctx.timeScale);
    }

    if (ctx.doc.tripletFeel && next.hasBeat && cur.beat.durationCode == 3 && next.beat.durationCode == 3 &&
        !cur.beat.isTriplet && at.position % 16 == 0) {
        setDuration(cur, cur.durationMs * 4.0 / 3.0);
        setDuration(next, next.durationMs * 2.0 / 3.0);
    }

    accents(cur, prev, at);

    const int pan = (at.pan - 50) * 200;
    for (int s = 0; s < 6; ++s)
        if (!cur.silent(s))
            ctx.engine.SetPan(cur.slot, cur.sampleIndex[s], pan);

    silence(cur, prev, at, ctx.engine);
}

void silenceDistortedOnRotation(BeatVoice& oldPrevious, const BeatVoice& starting, ISoundEngine& engine)
{
    if (oldPrevious.hasBeat && oldPrevious.beat.isTied)
        return;
    for (int s = 0; s < 6; ++s) {
        if (!oldPrevious.isSounding[s] || oldPrevious.silent(s))
            continue;
        if (oldPrevious.sampleIndex[s] != starting.sampleIndex[s]) {
            engine.PostStop(oldPrevious.slot, oldPrevious.sampleIndex[s]);
            oldPrevious.isSounding[s] = false;
        }
    }
}

} // namespace voicing
