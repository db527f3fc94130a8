#include "Articulation.h"
#include "PlayHarness.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::vector<RecordingEngine::Event> eventsFor(const RecordingEngine& e, RecordingEngine::Kind k, int index)
{
    std::vector<RecordingEngine::Event> out;
    for (const auto& ev : e.of(k))
        if (ev.index == index)
            out.push_back(ev);
    return out;
}

} // namespace

TEST(Articulation, Tables)
{
    EXPECT_DOUBLE_EQ(articulation::ratio(0), 1.0);
    EXPECT_DOUBLE_EQ(articulation::ratio(1), 1.059463);
    EXPECT_DOUBLE_EQ(articulation::ratio(12), 2.0);
    EXPECT_DOUBLE_EQ(articulation::ratio(24), 4.0);
    // Vibrato: 50 cents each way around the note, for as long as it lasts.
    const double swing = std::pow(2.0, 50 / 1200.0);
    double lo = 2, hi = 0, logSum = 0;
    for (int i = 0; i < 20000; ++i) {
        const double f = articulation::vibratoFactor(i);
        lo = std::min(lo, f);
        hi = std::max(hi, f);
        if (i >= 200 && i < 200 + 180 * 50)
            logSum += std::log2(f);
    }
    EXPECT_GE(lo, 1 / swing - 1e-9);
    EXPECT_LE(hi, swing + 1e-9);
    EXPECT_NEAR(logSum / (180 * 50), 0.0, 1e-6);                  // centred on the written pitch
    EXPECT_NEAR(articulation::vibratoFactor(225), swing, 1e-6);     // a crest, 180 ms period
    EXPECT_NEAR(articulation::vibratoFactor(18135), 1 / swing, 1e-6); // a trough, long after the start
}

TEST(Articulation, HammerOnSkipsTheAttack)
{
    PlayHarness h;
    h.shape(1, 1);
    h.add(0, 0).notes[0].fret = 5;
    CNote& n = h.add(0, 0).notes[0];
    n.fret = 7;
    n.technique = model::kHammerOn;
    ASSERT_TRUE(h.play());
    h.runUntil(1100);
    const auto at = eventsFor(h.engine, RecordingEngine::StartAt, 33);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0].value, 12789); // 290 ms into the sample
    EXPECT_NEAR(at[0].t, 1000, 1);
}

TEST(Articulation, LongNoteFadesAndRestartsPastTheRecording)
{
    PlayHarness h;
    h.shape(1, 1);
    CAccord& a = h.add(0, 0);
    a.notes[0].fret = 0;
    a.isTied = 1;
    h.add(0, 0).notes[0].fret = 0; // tied: rings on
    h.add(0, 0).notes[0].fret = 3;
    ASSERT_TRUE(h.play());
    h.runUntil(1999);
    // Before the fade at the end of its sample, it goes on from 1 s into it.
    // Again whenever it comes back to that point, every 450 ms.
    const auto restarts = eventsFor(h.engine, RecordingEngine::SustainK, 26);
    ASSERT_EQ(restarts.size(), 2u);
    EXPECT_EQ(restarts[0].value, 44100);
    EXPECT_GT(restarts[0].t, 1450);
    EXPECT_LT(restarts[0].t, 1540);
    EXPECT_NEAR(restarts[1].t - restarts[0].t, 450 + 40, 41);
    // The level falls from 1.25 s on.
    int before = 0, after = 0;
    for (const auto& e : eventsFor(h.engine, RecordingEngine::Volume, 26)) {
        if (e.t > 100 && e.t < 1240)
            before = e.value;
        if (e.t > 1700 && e.t < 1999)
            after = e.value;
    }
    EXPECT_LT(after, before - 100);
}

TEST(Articulation, FullBendRisesOverHalfTheBeat)
{
    PlayHarness h;
    h.shape(1, 1, 120);
    CNote& n = h.add(0, 0).notes[2];
    n.fret = 5;
    n.bend = 2 * 16 + model::kBendBend;
    ASSERT_TRUE(h.play());
    h.runUntil(499);
    const int sample = 17 + 5; // string 2 is tuned to 17
    int first = 0, last = 0;
    double firstT = -1, topT = -1;
    for (const auto& e : eventsFor(h.engine, RecordingEngine::Frequency, sample)) {
        if (e.value > 22060 && firstT < 0)
            firstT = e.t, first = e.value;
        if (e.value >= 24750 && topT < 0)
            topT = e.t;
        last = e.value;
    }
    EXPECT_NEAR(firstT, 125 + 20, 21); // the first update after the delay
    EXPECT_LT(first, 23000);
    EXPECT_NEAR(topT, 375, 25);
    EXPECT_EQ(last, 24750); // two semitones above 22050
}

TEST(Articulation, BassPopIsCutAfter120ms)
{
    PlayHarness h;
    h.doc.slotInstrument[0] = model::kBass;
    h.shape(1, 1);
    CNote& n = h.add(0, 0).notes[5];
    n.fret = 3;
    n.technique = model::kPop;
    ASSERT_TRUE(h.play());
    h.runUntil(900);
    const auto stops = eventsFor(h.engine, RecordingEngine::Stop, 5);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_NEAR(stops[0].t, 121, 1);
}

TEST(Articulation, RestDampsWhatRings)
{
    PlayHarness h;
    h.shape(1, 1);
    CAccord& c = h.add(0, 0);
    c.notes[5].fret = 0;
    c.notes[4].fret = 2;
    h.add(0, 0).isRest = 1;
    ASSERT_TRUE(h.play());
    h.runUntil(1050);
    int damped = 0;
    for (const auto& e : h.engine.of(RecordingEngine::ReleaseK))
        if (e.t >= 999 && e.t <= 1001 && e.value == 30) // faded out over 30 ms
            ++damped;
    EXPECT_EQ(damped, 2);
    for (const auto& e : h.engine.of(RecordingEngine::Stop))
        ADD_FAILURE() << "a rest must not cut the chord, stop of " << e.index;
}

TEST(Articulation, SlideGlidesIntoTheNextNote)
{
    PlayHarness h;
    h.shape(1, 1);
    h.add(0, 0).notes[0].fret = 5;
    CNote& target = h.add(0, 0).notes[0];
    target.fret = 7;
    target.technique = model::kSlideUp;
    ASSERT_TRUE(h.play());
    h.runUntil(1100);
    // The first note rises during the end of its beat ...
    int top = 0;
    for (const auto& e : eventsFor(h.engine, RecordingEngine::Frequency, 31))
        if (e.t > 600 && e.t < 1000)
            top = std::max(top, e.value);
    EXPECT_GT(top, 23500);
    // ... and the note slid into starts without its attack.
    const auto at = eventsFor(h.engine, RecordingEngine::StartAt, 33);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0].value, 12789);
}
