#pragma once

#include "CAccord.h"

#include <cmath>

// One track's beat turned into sound: per string the sample, its onset after
// the beat's start, its level offset and its rate, plus the pitch effects the
// articulation renderer moves while the beat lasts.
struct BeatVoice {
    static constexpr int kSilent = 52;

    int strumStep = 0;
    int arpeggioLatency = 0;
    int sampleIndex[6];
    double onset[6];  // ms after the beat's start; -1 = carried over, never restarted
    double level[6];  // hundredths of a decibel, added to the track's volume level
    double frequency[6];
    bool isSounding[6];

    // Bends (semitones, ms).
    int bendKind[6];
    int bendTarget[6];
    int bendDelay[6];
    int bendLength[6];
    bool bendDone[6];
    // Vibrato family: 1 vibrato, 2 tremolo bar, 4 the dip ("coup de barre").
    int vibratoKind[6];
    int vibratoAmount[6];
    int vibratoDelay[6];
    int vibratoLength[6];
    bool vibratoDone[6];
    // Slides: signed semitones, or +-100 for a slide out of the note.
    int slideSteps[6];
    int slideDelay[6];
    int slideLength[6];

    double durationMs = 0;
    int durationRounded = 0;
    bool downStroke = false;

    bool hasBeat = false;
    CAccord beat;     // copy of the voiced beat
    int measure = -1; // where the beat lives in the score
    int beatIndex = -1;
    int track = 0;
    int slot = 0;
    bool started = false;
    bool prepared = false;

    BeatVoice() { reset(); }

    void reset()
    {
        strumStep = 0;
        arpeggioLatency = 0;
        for (int s = 0; s < 6; ++s) {
            sampleIndex[s] = kSilent;
            onset[s] = 0;
            level[s] = 0;
            frequency[s] = 22050.0;
            isSounding[s] = false;
            bendKind[s] = bendTarget[s] = bendDelay[s] = bendLength[s] = 0;
            bendDone[s] = false;
            vibratoKind[s] = vibratoAmount[s] = vibratoDelay[s] = vibratoLength[s] = 0;
            vibratoDone[s] = false;
            slideSteps[s] = slideDelay[s] = slideLength[s] = 0;
        }
        durationMs = 0;
        durationRounded = 0;
        downStroke = false;
        hasBeat = false;
        beat = CAccord();
        measure = -1;
        beatIndex = -1;
        started = false;
        prepared = false;
    }

    bool silent(int s) const { return sampleIndex[s] >= kSilent; }
};

// Length of a beat in units of a third of a 64th (a quarter is 48).
inline int beatUnits(const CAccord& b)
{
    int u = (1 << (b.durationCode & 7)) * (b.isTriplet ? 2 : 3);
    if (b.isDotted)
        u += u / 2;
    return u;
}

inline int roundMs(double ms)
{
    return static_cast<int>(std::floor(ms + 0.5));
}
