#pragma once

#include "BeatVoice.h"

#include <vector>

class CTabDoc;
class ISoundEngine;

// Playing techniques as sound: where in its sample a string starts, its
// level and how its rate moves while the beat lasts (bends, vibrato, the
// tremolo-bar dip, slides), sustain past the sample's end, rest damping.
namespace articulation {

// 2^(n/12) to six decimals, n clamped to 0..24.
double ratio(int n);
// Vibrato factor for millisecond i of a note: a swing of 50 cents each way, period 180 ms.
double vibratoFactor(int ms);

// Preparation at the beat's start (pitched instruments only).
void prepareSlides(BeatVoice& current, BeatVoice& next);
void prepareBends(BeatVoice& current, const BeatVoice& previous, CTabDoc& doc);
void prepareVibrato(BeatVoice& current);

// What a track remembers between calls.
struct TrackState {
    double lastPitchUpdate = 0;
    double lastLevelUpdate = 0;
    int lastSample[6] = {52, 52, 52, 52, 52, 52};
    int startedInBeat = 0;
};

class Renderer {
public:
    explicit Renderer(ISoundEngine& engine);

    // Forgets every voice's start time (a new performance).
    void reset();

    // One call per pass for an audible track.
    void render(TrackState& track, BeatVoice& current, BeatVoice& previous, double elapsed, double now, int instrument,
                int volume);

    // Clock time matching the start of the sample's data as it plays now (far in the past when silent).
    double startedAt(int slot, int sample) const;

private:
    double& startedAtRef(int slot, int sample);
    std::vector<bool>::reference palmMutedRef(int slot, int sample);
    // Level offset of a palm-muted voice at `now` (0 for others).
    double palmMuteOffset(int slot, int sample, double now);
    void setLevel(const BeatVoice& v, int s, double level, int volume);
    void prepareBeat(TrackState& track, BeatVoice& cur, BeatVoice& prev, int instrument, int volume);
    void startString(TrackState& track, BeatVoice& cur, BeatVoice& prev, int s, double now, int instrument,
                     int volume);
    void updatePitch(BeatVoice& cur, int s, double elapsed, int volume);

    ISoundEngine& engine_;
    std::vector<double> startedAt_;
    std::vector<bool> palmMuted_; // per slot and sample: started under a palm mute
};

} // namespace articulation
