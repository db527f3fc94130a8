#include "Articulation.h"

#include "CTabDoc.h"
#include "ISoundEngine.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace articulation {
namespace {

constexpr int kSlots = model::kMaxSlots;
constexpr int kSamples = 53;
constexpr double kBytesToMs = 0.022675738; // 16-bit mono at 22050 Hz: 44.1 bytes a millisecond
// Start time of a voice that is not sounding (the clock itself may read 0).
constexpr double kNotSounding = -1e300;

const std::array<double, 25>& ratios()
{
    static const std::array<double, 25> table = [] {
        std::array<double, 25> t{};
        for (int n = 0; n <= 24; ++n)
            t[static_cast<std::size_t>(n)] = std::round(std::pow(2.0, n / 12.0) * 1e6) / 1e6;
        return t;
    }();
    return table;
}

// The bank holds 1.93 s of each note and fades its last 320 ms out. A held
// note jumps back before that fade (the engine cross-fades and matches the
// level), so it never reaches the end of its sample while it is wanted.
constexpr double kSustainFromAge = 1450;
constexpr double kSustainUntilAge = 1700;
constexpr int kSustainBytes = 44100; // 1 s into the sample
constexpr double kSustainAge = 1000;

// Hammer-ons, pull-offs and slid-into notes have no pick attack: they come in
// 290 ms into their sample, where its treble has died down, and softer.
constexpr int kLegatoBytes = 12789;
constexpr double kLegatoAge = 290;
constexpr double kLegatoLevel = -300;

// A rest: the fretting hand damps what rings, in a few tens of milliseconds.
constexpr int kDampMs = 30;

// Palm mute: the palm on the strings dulls the tone and shortens the note.
constexpr int kPalmMuteTone = 900;         // hertz
constexpr double kPalmMuteDecayPerMs = 10; // hundredths of a decibel: 100 dB a second
constexpr double kPalmMuteFreeMs = 10;     // the attack itself is left alone

// Vibrato: a swing of 50 cents each way around the note, every 180 ms,
// reaching its depth over the first 200 ms.
constexpr double kVibratoCents = 50;
constexpr double kVibratoPeriodMs = 180;
constexpr double kVibratoRiseMs = 200;

bool palmMutes(int instrument)
{
    return instrument != model::kDrums && instrument != model::kPiano;
}

bool hasVibratoMark(const CNote& n)
{
    return (n.vibrato & 7) != 0;
}

void placeGlide(BeatVoice& cur, int s, int steps, int length)
{
    length = std::min(length, 2 * cur.durationRounded / 3);
    cur.slideSteps[s] = steps;
    cur.slideLength[s] = length;
    cur.slideDelay[s] = cur.durationRounded - length;
    cur.onset[s] = 0;
}

} // namespace

double ratio(int n)
{
    return ratios()[static_cast<std::size_t>(std::clamp(n, 0, 24))];
}

double vibratoFactor(int ms)
{
    if (ms <= 0)
        return 1.0;
    const double pi = 3.14159265358979323846;
    const double depth = kVibratoCents * std::min(1.0, ms / kVibratoRiseMs);
    return std::pow(2.0, depth * std::sin(2 * pi * ms / kVibratoPeriodMs) / 1200);
}

void prepareSlides(BeatVoice& cur, BeatVoice& next)
{
    if (!next.hasBeat || !cur.hasBeat)
        return;
    for (int s = 0; s < 6; ++s) {
        const CNote& mark = next.beat.notes[s];
        if ((mark.technique != model::kSlideUp && mark.technique != model::kSlideDown) || mark.bend != 0)
            continue;
        const CNote& from = cur.beat.notes[s];
        if (from.fret > 24 || cur.silent(s))
            continue; // nothing played here to slide from
        const bool up = mark.technique == model::kSlideUp;
        if (mark.fret >= model::kDeadFret) {
            placeGlide(cur, s, up ? 100 : -100, 224); // slide out of the note
        } else if ((up && mark.fret <= from.fret) || (!up && mark.fret >= from.fret)) {
            // The mark runs against the frets: the marked note glides in from a semitone away.
            next.frequency[s] = up ? 22050.0 / ratio(1) : 22050.0 * ratio(1);
            next.slideSteps[s] = up ? 1 : -1;
            next.slideDelay[s] = 0;
            next.slideLength[s] = 160;
        } else {
            const int steps = mark.fret - from.fret;
            placeGlide(cur, s, steps, (std::abs(steps) + 10) * 16);
        }
    }
}

void prepareBends(BeatVoice& cur, const BeatVoice& prev, CTabDoc& doc)
{
    if (!cur.hasBeat)
        return;
    const bool tiedPrev = prev.hasBeat && prev.beat.isTied;
    for (int s = 0; s < 6; ++s) {
        CNote& n = cur.beat.notes[s];
        if (tiedPrev && (prev.beat.notes[s].bend & 3) != 0 && n.bend == 0 && n.fret != model::kEmptyFret) {
            // A bent note tied over keeps its bend: the score records it as held.
            n.bend = (prev.beat.notes[s].bend >> 4) * 16 + model::kBendHeld;
            auto& track = doc.tracks[static_cast<std::size_t>(cur.track)];
            if (cur.measure >= 0 && cur.measure < track.GetSize() && cur.beatIndex >= 0 &&
                cur.beatIndex < track[cur.measure].beats.GetSize())
                track[cur.measure].beats[cur.beatIndex].notes[s].bend = n.bend;
        }
        if (n.bend == 0)
            continue;
        const int kind = n.bend & 15;
        const int amount = n.bend >> 4;
        int d = cur.durationRounded;
        int delay = 0;
        if (kind & model::kBendBend) {
            if (hasVibratoMark(n))
                d /= 2;
            d = std::min(d, 500);
            cur.bendKind[s] = model::kBendBend;
            cur.bendTarget[s] = amount;
            delay = d / 4;
            cur.bendLength[s] = d / 2;
        } else if (kind & model::kBendHeld) {
            cur.bendKind[s] = model::kBendHeld;
            cur.bendTarget[s] = prev.bendTarget[s];
            cur.bendLength[s] = d;
            cur.frequency[s] = ratio(cur.bendTarget[s]) * 22050.0;
        } else if (kind & model::kBendRelease) {
            cur.bendKind[s] = model::kBendRelease;
            cur.bendTarget[s] = amount != 0 ? amount : prev.bendTarget[s];
            delay = d / 3;
            cur.bendLength[s] = d / 2;
            cur.frequency[s] = ratio(cur.bendTarget[s]) * 22050.0;
        } else if (kind & model::kBendBendRelease) {
            cur.bendKind[s] = model::kBendBendRelease;
            cur.bendTarget[s] = amount;
            delay = d <= 200 ? 10 : 66;
            cur.bendLength[s] = d <= 200 ? d - 10 : d - d / 4;
        }
        cur.bendDelay[s] = std::min(delay, 150);
    }
}

void prepareVibrato(BeatVoice& cur)
{
    if (!cur.hasBeat)
        return;
    for (int s = 0; s < 6; ++s) {
        const CNote& n = cur.beat.notes[s];
        const int kind = n.vibrato & 7;
        const int d = cur.durationRounded;
        if (kind & (model::kVibratoLeftHand | model::kVibratoTremoloBar)) {
            cur.vibratoKind[s] = (kind & model::kVibratoLeftHand) ? model::kVibratoLeftHand : model::kVibratoTremoloBar;
            cur.vibratoDelay[s] = d / 4;
            cur.vibratoLength[s] = (n.bend & 15) == model::kBendBendRelease ? 0 : d - d / 4;
        } else if (kind & model::kVibratoDip) {
            cur.vibratoKind[s] = model::kVibratoDip;
            cur.vibratoAmount[s] = n.vibrato >> 3;
            cur.vibratoDelay[s] = std::min(d <= 200 ? 10 : 66, 150);
            cur.vibratoLength[s] = d <= 200 ? d - 10 : d - d / 4;
        }
    }
}

Renderer::Renderer(ISoundEngine& engine)
    : engine_(engine),
      startedAt_(static_cast<std::size_t>(kSlots * kSamples), kNotSounding),
      palmMuted_(static_cast<std::size_t>(kSlots * kSamples), false)
{
}

void Renderer::reset()
{
    std::fill(startedAt_.begin(), startedAt_.end(), kNotSounding);
    std::fill(palmMuted_.begin(), palmMuted_.end(), false);
}

std::vector<bool>::reference Renderer::palmMutedRef(int slot, int sample)
{
    slot = std::clamp(slot, 0, kSlots - 1);
    sample = std::clamp(sample, 0, kSamples - 1);
    return palmMuted_[static_cast<std::size_t>(slot * kSamples + sample)];
}

double Renderer::palmMuteOffset(int slot, int sample, double now)
{
    const double started = startedAtRef(slot, sample);
    if (!palmMutedRef(slot, sample) || started == kNotSounding)
        return 0;
    return -kPalmMuteDecayPerMs * std::max(0.0, now - started - kPalmMuteFreeMs);
}

double& Renderer::startedAtRef(int slot, int sample)
{
    slot = std::clamp(slot, 0, kSlots - 1);
    sample = std::clamp(sample, 0, kSamples - 1);
    return startedAt_[static_cast<std::size_t>(slot * kSamples + sample)];
}

double Renderer::startedAt(int slot, int sample) const
{
    return const_cast<Renderer*>(this)->startedAtRef(slot, sample);
}

void Renderer::setLevel(const BeatVoice& v, int s, double level, int volume)
{
    double l = level - (100 - volume) * 50.0;
    if (l < -10000)
        l = -10000;
    engine_.SetVolume(v.slot, v.sampleIndex[s], static_cast<int>(std::lround(l)));
}

void Renderer::prepareBeat(TrackState& track, BeatVoice& cur, BeatVoice& prev, int instrument, int volume)
{
    cur.prepared = true;
    track.startedInBeat = 0;
    if (cur.beat.isRest && instrument != model::kDrums) {
        for (int s = 0; s < 6; ++s) {
            if (!prev.isSounding[s] || prev.silent(s))
                continue;
            // The hand damps every string that rings: silence in a few tens of milliseconds.
            engine_.Release(prev.slot, prev.sampleIndex[s], kDampMs);
            cur.level[s] = -10000;
            startedAtRef(prev.slot, prev.sampleIndex[s]) = kNotSounding;
            prev.isSounding[s] = false;
        }
    }
    if (!prev.hasBeat)
        return;
    for (int s = 0; s < 6; ++s) {
        const CNote& cn = cur.beat.notes[s];
        const CNote& pn = prev.beat.notes[s];
        // A string left ringing stays with every later beat that leaves it
        // alone, so it is sustained, damped and silenced like any other.
        if (!prev.isSounding[s] || prev.silent(s))
            continue;
        const bool carry =
            cn.fret == model::kEmptyFret || (prev.beat.isTied && (cn.fret == pn.fret || cur.silent(s)));
        if (!carry)
            continue;
        cur.sampleIndex[s] = prev.sampleIndex[s];
        cur.isSounding[s] = true;
        cur.level[s] = prev.level[s]; // a ringing string goes on at its own level
        if (!cur.beat.isRest && cn.fret != model::kEmptyFret)
            setLevel(cur, s, cur.level[s], volume);
        cur.onset[s] = prev.beat.isTied ? 0 : -1;
    }
}

void Renderer::startString(TrackState& track, BeatVoice& cur, BeatVoice& prev, int s, double now, int instrument,
                           int volume)
{
    const int sample = cur.sampleIndex[s];
    if (prev.hasBeat && instrument != model::kDrums && prev.isSounding[s] && !prev.silent(s)) {
        engine_.PostStop(prev.slot, prev.sampleIndex[s]);
        prev.isSounding[s] = false;
        startedAtRef(prev.slot, prev.sampleIndex[s]) = kNotSounding;
    }
    engine_.SetVolume(cur.slot, sample, -10000);
    track.lastSample[s] = sample;

    const int tech = cur.beat.notes[s].technique;
    int position = 0;
    double startedAt = now;
    const bool legato = tech == model::kHammerOn || tech == model::kPullOff;
    const bool slid = tech == model::kSlideUp || tech == model::kSlideDown;
    const bool tapped = tech == model::kLeftHandTapping || tech == model::kTapping;
    if (instrument == model::kDrums || instrument == model::kPiano) {
        // both from the very start
    } else if (prev.hasBeat && (legato || (slid && cur.frequency[s] == 22050.0))) {
        position = kLegatoBytes;
        startedAt = now - kLegatoAge;
        cur.level[s] += kLegatoLevel;
    } else if (!prev.hasBeat && (legato || tapped)) {
        position = 2646;
        startedAt = now - 60;
    } else {
        bool firstRule = track.startedInBeat == 0 || sample == 51;
        if (!firstRule) {
            // Later strings of a strum skip part of their attack.
            if (!prev.hasBeat)
                position = 2000 - 15 * cur.strumStep;
            else if (cur.strumStep < 50)
                position = (140 - cur.strumStep) * 15;
            else
                firstRule = true;
            position = std::max(position, 0);
            startedAt = now - position * kBytesToMs;
        }
        if (firstRule) {
            position = cur.durationMs >= 80 ? 0 : 1323;
            startedAt = cur.durationMs >= 80 ? now : now - 30;
        }
    }
    const bool muted = cur.beat.palmMute != 0 && palmMutes(instrument);
    palmMutedRef(cur.slot, sample) = muted;
    engine_.SetTone(cur.slot, sample, muted ? kPalmMuteTone : 0);
    if (position == 0)
        engine_.PostStart(cur.slot, sample);
    else
        engine_.PostStartAt(cur.slot, sample, position);
    startedAtRef(cur.slot, sample) = startedAt;

    setLevel(cur, s, cur.level[s], volume);
    if (instrument == model::kBass && tech > model::kArtificialHarmonic) {
        setLevel(cur, s, cur.level[s], volume);
        engine_.PostStart(cur.slot, sample);
        startedAtRef(cur.slot, sample) = now;
    }
    engine_.SetFrequency(cur.slot, sample, static_cast<int>(std::lround(cur.frequency[s])));
    cur.started = true;
    cur.isSounding[s] = true;
    ++track.startedInBeat;
}

void Renderer::updatePitch(BeatVoice& cur, int s, double elapsed, int volume)
{
    const int sample = cur.sampleIndex[s];
    const CNote& note = cur.beat.notes[s];
    double rate = cur.frequency[s];
    bool changed = false;

    if (cur.bendKind[s] != 0 && !cur.bendDone[s]) {
        const double t = elapsed - cur.bendDelay[s];
        const double L = cur.bendLength[s];
        const double r0 = cur.frequency[s];
        const double R = ratio(cur.bendTarget[s]);
        switch (cur.bendKind[s]) {
        case model::kBendBend:
        case model::kBendHeld:
            if (cur.bendKind[s] == model::kBendBend && t >= 0 && t <= L) {
                rate = r0 + t * (r0 * R - r0) / (L + 1);
                changed = true;
            } else if (t > L) {
                cur.frequency[s] = R * 22050.0;
                rate = cur.frequency[s];
                changed = true;
                if (!hasVibratoMark(note))
                    cur.bendDone[s] = true;
            }
            break;
        case model::kBendRelease:
            if (t >= 0 && t <= L) {
                rate = r0 - t * (r0 - r0 / R) / (L + 1);
                changed = true;
            }
            break;
        case model::kBendBendRelease: {
            const double q = std::floor(L / 4);
            if (t < 0)
                break;
            changed = true;
            if (t <= q)
                rate = r0 + t * (r0 * R - r0) / (q + 1);
            else if (t <= 2 * q)
                rate = r0 * R;
            else if (t <= 4 * q)
                rate = r0 * R - (t - 2 * q) * (r0 * R - r0) / (2 * q + 1);
            else {
                rate = r0;
                cur.bendDone[s] = true;
            }
            break;
        }
        default:
            break;
        }
    }

    const int vk = cur.vibratoKind[s];
    if (vk != 0 && !cur.vibratoDone[s]) {
        const double t = elapsed - cur.vibratoDelay[s];
        const double len = cur.vibratoLength[s];
        if (vk == model::kVibratoDip) {
            const double q = std::floor(len / 4);
            const double r = cur.frequency[s];
            const double low = r / ratio(cur.vibratoAmount[s]);
            if (t >= 0 && q > 0) {
                changed = true;
                if (t <= q)
                    rate = r - (r - low) * t / q;
                else if (t <= 2 * q)
                    rate = low;
                else if (t <= 4 * q)
                    rate = low + (r - low) * (t - 2 * q) / (2 * q);
                else {
                    rate = r;
                    cur.vibratoDone[s] = true;
                }
            }
        } else if (t >= 0 && t <= len - 15) {
            const double f = vibratoFactor(static_cast<int>(t));
            rate = vk == model::kVibratoLeftHand ? cur.frequency[s] * f : cur.frequency[s] / f;
            changed = true;
        } else if (t > len - 15 && note.bend == 0) {
            rate = 22050.0;
            changed = true;
            cur.vibratoDone[s] = true;
        }
    }

    if (cur.slideSteps[s] != 0 && cur.slideLength[s] > 0) {
        double a = elapsed - cur.slideDelay[s];
        const double f = cur.slideLength[s];
        const bool out = std::abs(cur.slideSteps[s]) == 100;
        if (a >= 0 && a <= f) {
            const double h = out ? 4 : std::abs(cur.slideSteps[s]);
            const double p = std::max(1.0, f / h);
            a += p / 2;
            const int n = std::min(24, static_cast<int>(a / p));
            const double phi = std::fmod(a, p) / p;
            const double r = cur.frequency[s];
            if (cur.slideSteps[s] > 0) {
                rate = r * ratio(n);
                if (phi >= 0.8)
                    rate *= 1 + (phi - 0.8) * 0.059463;
                else if (phi < 0.2)
                    rate -= (0.2 - phi) * (rate - rate * 0.9438743967462762);
            } else {
                rate = r / ratio(n);
                if (phi >= 0.8)
                    rate *= 1 - (phi - 0.8) * (1 - 0.9438743967462762);
                else if (phi < 0.2)
                    rate += (0.2 - phi) * (rate * 1.059463 - rate);
            }
            changed = true;
            if (phi >= 0.8 || phi <= 0.2) {
                const double dip = cur.level[s] - std::abs(0.5 - phi) * 500 - (5000 - 50.0 * volume);
                engine_.SetVolume(cur.slot, sample, static_cast<int>(std::lround(std::max(dip, -10000.0))));
            }
            if (out) {
                const double fade = volume * 50.0 + cur.level[s] - n * 450 - 5000;
                engine_.SetVolume(cur.slot, sample, static_cast<int>(std::lround(std::max(fade, -10000.0))));
            }
        } else if (a > f && std::abs(cur.slideSteps[s]) == 1 && cur.slideDelay[s] == 0) {
            // A note that glided in settles on its own pitch.
            rate = 22050.0;
            cur.frequency[s] = 22050.0;
            cur.slideSteps[s] = 0;
            changed = true;
        }
    }

    if (changed)
        engine_.SetFrequency(cur.slot, sample, static_cast<int>(std::lround(rate)));
}

void Renderer::render(TrackState& track, BeatVoice& cur, BeatVoice& prev, double elapsed, double now, int instrument,
                      int volume)
{
    if (!cur.hasBeat)
        return;
    const bool drums = instrument == model::kDrums;
    if (!cur.prepared) {
        prepareBeat(track, cur, prev, instrument, volume);
    } else if (instrument == model::kBass && elapsed > 120) {
        for (int s = 0; s < 6; ++s) {
            if (cur.isSounding[s] && !cur.silent(s) && cur.beat.notes[s].technique == model::kPop) {
                engine_.PostStop(cur.slot, cur.sampleIndex[s]);
                startedAtRef(cur.slot, cur.sampleIndex[s]) = kNotSounding;
                cur.level[s] = -10000;
                cur.isSounding[s] = false;
            }
        }
    }

    for (int i = 0; i < 6; ++i) {
        const int s = cur.downStroke ? 5 - i : i;
        if (cur.silent(s) || cur.isSounding[s] || cur.onset[s] > elapsed)
            continue;
        if (instrument == model::kBass && cur.beat.notes[s].technique == model::kPop && elapsed > 120)
            continue;
        startString(track, cur, prev, s, now, instrument, volume);
    }

    const double remaining = cur.durationMs - elapsed;
    const bool pitchWindow = elapsed - track.lastPitchUpdate > 20 || remaining < 10;
    const bool levelWindow = elapsed - track.lastLevelUpdate > 80 || remaining < 80;

    for (int s = 0; s < 6; ++s) {
        if (!cur.isSounding[s] || cur.silent(s))
            continue;
        const int sample = cur.sampleIndex[s];
        double& started = startedAtRef(cur.slot, sample);
        const double mute = palmMuteOffset(cur.slot, sample, now);
        if (levelWindow && !drums && started != kNotSounding) {
            // Strings left ringing (onset -1) are sustained like held ones.
            const double age = now - started;
            if (age > 1249)
                cur.level[s] -= (elapsed - track.lastLevelUpdate) / 2;
            if (age > kSustainFromAge && age < kSustainUntilAge) {
                engine_.SustainFrom(cur.slot, sample, kSustainBytes);
                started = now - kSustainAge;
            }
            setLevel(cur, s, cur.level[s] + mute, volume);
        } else if (mute != 0) {
            setLevel(cur, s, cur.level[s] + mute, volume); // a palm-muted note dies away quickly
        }
        if (pitchWindow && !drums)
            updatePitch(cur, s, elapsed, volume);
    }

    if (elapsed < track.lastPitchUpdate)
        track.lastPitchUpdate = 0;
    else if (elapsed - track.lastPitchUpdate > 20 || remaining < 20)
        track.lastPitchUpdate = elapsed;
    if (elapsed < track.lastLevelUpdate)
        track.lastLevelUpdate = 0;
    else if (elapsed - track.lastLevelUpdate > 80 || remaining < 80)
        track.lastLevelUpdate = elapsed;
}

} // namespace articulation
