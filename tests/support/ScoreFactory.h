#pragma once

#include "CTabDoc.h"

#include <cstdint>
#include <random>

// Builds scores for tests and benchmarks, always consistent with the model's
// invariants (every track holds measureCount measures with the same headers).
namespace factory {

// A new score: one folk-guitar track, one 4/4 measure with one empty quarter beat.
void newScore(CTabDoc& doc);

// Random score with everything the native file stores set to random legal values.
void randomScore(CTabDoc& doc, std::mt19937& rng, int maxTracks = 10, int maxMeasures = 12);

// Dense regular score: tracks x measures, beatsPerMeasure beats of notesPerBeat notes.
void denseScore(CTabDoc& doc, int tracks, int measures, int beatsPerMeasure, int notesPerBeat);

// The benchmarks' score, made once: 10 tracks x 1000 measures of 8 eighths of
// three notes, with vibratos, bends, ties, palm mutes and repeats in every measure.
const CTabDoc& benchmarkScore();

} // namespace factory
