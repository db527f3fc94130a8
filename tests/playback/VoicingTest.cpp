#include "BeatVoicing.h"
#include "SampleChoice.h"
#include "PlayHarness.h"

#include <gtest/gtest.h>

namespace {

std::vector<double> startTimes(const RecordingEngine& e, int slot, int index)
{
    std::vector<double> out;
    for (const auto& ev : e.starts())
        if (ev.slot == slot && ev.index == index)
            out.push_back(ev.t);
    return out;
}

void chord(CAccord& b, int fret = 0)
{
    for (CNote& n : b.notes)
        n.fret = fret;
}

} // namespace

TEST(Voicing, MetricWeights)
{
    EXPECT_EQ(voicing::metricWeight(0), 0);
    EXPECT_EQ(voicing::metricWeight(16), 0);
    EXPECT_EQ(voicing::metricWeight(8), 1);
    EXPECT_EQ(voicing::metricWeight(4), 2);
    EXPECT_EQ(voicing::metricWeight(2), 3);
    EXPECT_EQ(voicing::metricWeight(1), 4);
    EXPECT_EQ(voicing::metricWeight(24), 1);
}

TEST(Voicing, BeatLengthsFollowTempoDotsAndTriplets)
{
    PlayHarness h;
    h.shape(1, 1, 60, 6, 4);
    int fret = 0;
    h.add(0, 0).notes[0].fret = fret++;              // quarter: 1000
    h.add(0, 0).isDotted = 1;                        // dotted quarter: 1500
    h.doc.tracks[0][0].beats[1].notes[0].fret = fret++;
    for (int i = 0; i < 3; ++i) {                    // triplet quarters: 666.67 each
        CAccord& b = h.add(0, 0);
        b.isTriplet = i == 0;
        b.notes[0].fret = fret++;
    }
    h.add(0, 0).notes[0].fret = fret++;
    ASSERT_TRUE(h.play());
    EXPECT_DOUBLE_EQ(h.pass.next(0).durationMs, 1000.0);
    const double expected[] = {0, 1000, 2500, 3166.67, 3833.33, 4500};
    for (int i = 0; i < 6; ++i) {
        h.runUntil(expected[i] + 2);
        const auto t = startTimes(h.engine, 0, 26 + i);
        ASSERT_EQ(t.size(), 1u) << "beat " << i;
        EXPECT_NEAR(t[0], expected[i], 1.0) << "beat " << i;
    }
    EXPECT_NEAR(h.pass.current(0).durationMs, 1000.0, 1e-9);
}

TEST(Voicing, MeasureLengthsFromTheTimeSignature)
{
    for (auto [num, den, length] : {std::tuple{4, 4, 2000.0}, std::tuple{6, 8, 1500.0}, std::tuple{3, 4, 1500.0}}) {
        PlayHarness h;
        h.shape(1, 2, 120, num, den);
        h.add(0, 0, 6).notes[5].fret = 0;
        h.add(0, 1, 6).notes[5].fret = 5;
        ASSERT_TRUE(h.play());
        h.runUntil(length + 5);
        const auto t = startTimes(h.engine, 0, 7);
        ASSERT_EQ(t.size(), 1u);
        EXPECT_NEAR(t[0], length, 1.0) << num << "/" << den;
    }
}

TEST(Voicing, ArpeggioAndLatencySpreadTheStrings)
{
    struct Case {
        int instrument, tempo, durationCode, arpeggio;
        double step;
    };
    for (const Case c : {Case{0, 150, 4, 1, 40}, Case{0, 150, 3, 1, 25}, Case{0, 150, 4, 0, 7},
                         Case{6, 150, 4, 0, 0}, Case{3, 150, 4, 0, 0}}) {
        PlayHarness h;
        h.doc.slotInstrument[0] = c.instrument;
        h.shape(1, 1, c.tempo);
        CAccord& b = h.add(0, 0, c.durationCode);
        b.arpeggio = c.arpeggio;
        for (int s = 0; s < 6; ++s)
            b.notes[s].fret = c.instrument == 3 ? s * 3 : 0;
        ASSERT_TRUE(h.play());
        h.runUntil(400);
        // A first beat is a down-stroke: the lowest string (5) first.
        for (int s = 5, k = 0; s >= 0; --s, ++k) {
            const int index = voicing::SampleIndex(h.doc, h.doc.tracks[0][0], b, s, 0);
            const auto t = startTimes(h.engine, 0, index);
            ASSERT_FALSE(t.empty()) << "string " << s;
            EXPECT_NEAR(t[0], k * c.step, 1.0) << "instrument " << c.instrument << " string " << s;
        }
    }
}

TEST(Voicing, TiesKeepStringsRinging)
{
    PlayHarness h;
    h.shape(1, 1);
    CAccord& a = h.add(0, 0);
    chord(a, 2);
    a.isTied = 1;
    h.add(0, 0).notes[0].fret = 2; // only the top string repeats
    h.add(0, 0).notes[0].fret = 9;
    ASSERT_TRUE(h.play());
    h.runUntil(1999);
    for (const auto& e : h.engine.of(RecordingEngine::Stop))
        ADD_FAILURE() << "stop of sample " << e.index << " at " << e.t;
    EXPECT_EQ(h.engine.starts().size(), 6u); // the tied beat restarts nothing
}

TEST(Voicing, DistortedGuitarKeepsFourthsAndFifthsCutsSemitones)
{
    for (auto [string, fret, cut] : {std::tuple{4, 0, false}, std::tuple{3, 3, true}, std::tuple{4, 2, false}}) {
        PlayHarness h;
        h.doc.slotInstrument[0] = 4;
        h.shape(1, 1);
        h.add(0, 0).notes[5].fret = 0; // low E, sample 2
        h.add(0, 0).notes[string].fret = fret;
        ASSERT_TRUE(h.play());
        h.runUntil(1500);
        bool stopped = false;
        for (const auto& e : h.engine.of(RecordingEngine::Stop))
            stopped |= e.index == 2 && e.t >= 999 && e.t <= 1001;
        EXPECT_EQ(stopped, cut) << "string " << string << " fret " << fret;
    }
}

TEST(Voicing, AccentsLowerLaterStringsAndOffBeats)
{
    PlayHarness h;
    h.shape(1, 1, 60);
    chord(h.add(0, 0, 3), 0);
    chord(h.add(0, 0, 3), 0);
    ASSERT_TRUE(h.play());
    h.runUntil(2);
    const BeatVoice& first = h.pass.current(0);
    // Down-stroke from string 5: two strings at the base, then 170 lower per string,
    // and the whole chord 2.5 dB quieter for its six strings.
    EXPECT_DOUBLE_EQ(first.level[5], 0 + 50 - 300);
    EXPECT_DOUBLE_EQ(first.level[4], 0 + 50 - 300);
    EXPECT_DOUBLE_EQ(first.level[3], -340 + 50 - 300);
    EXPECT_DOUBLE_EQ(first.level[0], -850 + 50 - 300);
    h.runUntil(503);
    const BeatVoice& second = h.pass.current(0);
    EXPECT_LT(second.level[5], first.level[5]); // the off-beat eighth is weaker
}
