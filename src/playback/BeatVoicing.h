#pragma once

#include "BeatVoice.h"

class CMesure;
class CTabDoc;
class ISoundEngine;

// Turning beats into voices: the stage one beat ahead (length, triplet runs,
// samples) and the stage at the beat's start (strum, ties, triplet feel,
// accents, pan, silencing of strings that no longer fit).
namespace voicing {

// Weight of a position in 64ths: 0 on a quarter, 1 on an eighth ... 4 on a 64th.
int metricWeight(int position);

struct Context {
    CTabDoc& doc;
    ISoundEngine& engine;
    double msPerUnit = 0;
    double timeScale = 1; // 100 / the playback speed in percent
};

// Length in units of beat `beatIndex` of a measure. A triplet mark (not on
// the last two beats) also shortens the two beats after it to two thirds:
// `tripletRun` carries that from beat to beat, across measures.
double beatLengthUnits(const CMesure& measure, int beatIndex, int& tripletRun);

// Prepares `next` for beat `beatIndex` of measure `measure` of `track`.
void stage1(BeatVoice& next, const Context& ctx, int track, int measure, int beatIndex, int& tripletRun);

// Strum direction and onsets of `current`; `reused` still holds the beat two before it.
void strum(BeatVoice& current, const BeatVoice& previous, const BeatVoice& reused, int position, int instrument);

struct BeatStart {
    int position = 0;       // beat start in the measure, in 64ths
    int accentPosition = 0; // the same in units of 2 or 3 units
    int numerator = 4;
    int tripletRun = -1;
    int instrument = 0;
    int pan = 50;
};

// Everything of the beat-start stage after the strum: ties, triplet feel,
// accents, pan and silencing. `next` may hold no beat at the end of the score.
void stage2(BeatVoice& current, BeatVoice& previous, BeatVoice& next, const Context& ctx, const BeatStart& at);

// At the rotation on the distorted guitar: strings of the old previous record
// that differ from the beat starting now are stopped.
void silenceDistortedOnRotation(BeatVoice& oldPrevious, const BeatVoice& starting, ISoundEngine& engine);

} // namespace voicing
