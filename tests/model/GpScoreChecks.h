#pragma once

// What every imported score must satisfy for the rest of the program (and
// for the native writer and reader) to use it.

#include "CTabDoc.h"

#include <gtest/gtest.h>

inline void expectUsableScore(const CTabDoc& doc)
{
    ASSERT_GE(doc.measureCount, 1);
    ASSERT_GE(doc.trackCount, 1);
    ASSERT_LE(doc.trackCount, model::kMaxTracks);
    ASSERT_EQ(doc.slotCount, doc.trackCount);
    ASSERT_GE(doc.scoreTempo, 1);
    for (int s = 0; s < doc.slotCount; ++s) {
        ASSERT_GE(doc.slotInstrument[static_cast<std::size_t>(s)], 0);
        ASSERT_LE(doc.slotInstrument[static_cast<std::size_t>(s)], model::kPiano);
    }
    const CArray<CMesure>& first = doc.tracks[0];
    for (int t = 0; t < doc.trackCount; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        const CArray<CMesure>& track = doc.tracks[ti];
        ASSERT_EQ(track.GetSize(), doc.measureCount);
        ASSERT_GE(doc.capo[ti], 0);
        ASSERT_LE(doc.capo[ti], 12);
        ASSERT_GE(doc.volume[ti], 0);
        ASSERT_LE(doc.volume[ti], 100);
        for (int v : doc.tuning[ti]) {
            ASSERT_GE(v, 0);
            ASSERT_LE(v, 255);
        }
        for (int m = 0; m < doc.measureCount; ++m) {
            const CMesure& measure = track[m];
            ASSERT_EQ(measure.index, m);
            ASSERT_EQ(measure.instrumentSlot, t);
            ASSERT_GE(measure.numerator, 1);
            ASSERT_TRUE(model::isValidDenominator(measure.denominator)) << measure.denominator;
            ASSERT_GE(measure.tempo, 1);
            ASSERT_EQ(measure.tempo, first[m].tempo);
            ASSERT_EQ(measure.numerator, first[m].numerator);
            ASSERT_EQ(measure.denominator, first[m].denominator);
            ASSERT_EQ(measure.flags & ~3, first[m].flags & ~3);
            ASSERT_GE(measure.beatCount, 1);
            ASSERT_LE(measure.beatCount, 255);
            ASSERT_EQ(measure.beatCount, measure.beats.GetSize());
            for (int b = 0; b < measure.beatCount; ++b) {
                const CAccord& beat = measure.beats[b];
                ASSERT_GE(beat.durationCode, 0);
                ASSERT_LE(beat.durationCode, 6);
                ASSERT_GE(beat.palmMute, 0);
                ASSERT_LE(beat.palmMute, 2);
                ASSERT_GE(beat.arpeggio, 0);
                ASSERT_LE(beat.arpeggio, 2);
                for (const CNote& n : beat.notes) {
                    ASSERT_GE(n.fret, 0);
                    ASSERT_LE(n.fret, 31);
                    ASSERT_GE(n.technique, 0);
                    ASSERT_LE(n.technique, 10);
                    ASSERT_GE(n.bend, 0);
                    ASSERT_GE(n.vibrato, 0);
                    ASSERT_LE(n.bend >> 4, 7);
                    ASSERT_LE(n.vibrato >> 3, 7);
                    if (beat.isRest) {
                        ASSERT_TRUE(n.isEmpty());
                    }
                }
            }
        }
    }
}
