#include "PlayHarness.h"

#include <gtest/gtest.h>

namespace {

// Measures in the order they were played, read from the first start of each measure's marker sample.
std::vector<int> playedMeasures(const RecordingEngine& e)
{
    std::vector<int> out;
    for (const auto& ev : e.starts())
        out.push_back(ev.index - 2); // measure m plays the low string at fret m
    return out;
}

void markedMeasures(PlayHarness& h, int measures, int tempo = 240)
{
    h.shape(1, measures, tempo);
    for (int m = 0; m < measures; ++m)
        h.add(0, m, 6).notes[5].fret = m;
}

} // namespace

TEST(PlaybackPass, RepeatCountTwoPlaysThreeTimes)
{
    PlayHarness h;
    markedMeasures(h, 4);
    h.doc.tracks[0][1].flags |= model::kFlagRepeatStart;
    h.doc.tracks[0][2].flags |= 2 * 32 + model::kFlagRepeatEnd;
    ASSERT_TRUE(h.play());
    h.runToEnd();
    EXPECT_EQ(playedMeasures(h.engine), (std::vector<int>{0, 1, 2, 1, 2, 1, 2, 3}));
    EXPECT_FALSE(h.pass.isPlaying());
    EXPECT_TRUE(h.pass.endedByItself());
    EXPECT_EQ(h.pass.repeatsLeft(), -1);
    EXPECT_NEAR(h.engine.now, 8 * 1000, 2); // 4/4 at 240: a second a measure
}

TEST(PlaybackPass, EndingsSharingOneStartPlayOnceEachAndEnd)
{
    // Two repeat ends after one start (the shape alternate endings take in
    // imported files): each end sends playback back once, then it goes on.
    PlayHarness h;
    markedMeasures(h, 4);
    h.doc.tracks[0][0].flags |= model::kFlagRepeatStart;
    h.doc.tracks[0][1].flags |= 1 * 32 + model::kFlagRepeatEnd;
    h.doc.tracks[0][2].flags |= 1 * 32 + model::kFlagRepeatEnd;
    ASSERT_TRUE(h.play());
    h.runToEnd(60000);
    EXPECT_FALSE(h.pass.isPlaying());
    EXPECT_EQ(playedMeasures(h.engine), (std::vector<int>{0, 1, 0, 1, 2, 0, 1, 2, 3}));
}

TEST(PlaybackPass, StartInsideARepeatReturnsToItsStart)
{
    PlayHarness h;
    markedMeasures(h, 5);
    h.doc.tracks[0][1].flags |= model::kFlagRepeatStart;
    h.doc.tracks[0][3].flags |= 1 * 32 + model::kFlagRepeatEnd;
    ASSERT_TRUE(h.play(2));
    h.runToEnd();
    EXPECT_EQ(playedMeasures(h.engine), (std::vector<int>{2, 3, 1, 2, 3, 4}));
}

TEST(PlaybackPass, TempoChangeRescalesThePreparedBeatOnlyForAWholeMillisecond)
{
    for (auto [tempo, expected] : {std::pair{100, 600.0}, std::pair{119, 500.0}}) {
        PlayHarness h;
        h.shape(1, 2, 120);
        h.doc.tracks[0][1].tempo = tempo;
        for (int m = 0; m < 2; ++m)
            for (int b = 0; b < 4; ++b)
                h.add(0, m).notes[0].fret = b;
        ASSERT_TRUE(h.play());
        h.runUntil(2003);
        EXPECT_NEAR(h.pass.current(0).durationMs, expected, 1e-6) << "tempo " << tempo;
        EXPECT_EQ(h.pass.playMeasure(), 1);
        h.runUntil(2003 + expected + 3);
        EXPECT_NEAR(h.pass.current(0).durationMs, 48 * 60000.0 / (tempo * 48.0), 1e-6);
    }
}

TEST(PlaybackPass, MutedTrackStopsStartingNotes)
{
    PlayHarness h;
    h.shape(2, 1);
    for (int b = 0; b < 4; ++b) {
        h.add(0, 0).notes[0].fret = b;
        h.add(1, 0).notes[0].fret = b;
    }
    ASSERT_TRUE(h.play());
    h.runUntil(1500);
    h.doc.mute[1] = 1;
    h.runToEnd();
    for (const auto& e : h.engine.starts()) {
        if (e.slot == 1) {
            EXPECT_LT(e.t, 1500) << "track 1 started a note while muted";
        }
    }
    int laterTrack0 = 0;
    for (const auto& e : h.engine.starts())
        laterTrack0 += e.slot == 0 && e.t > 1500;
    EXPECT_EQ(laterTrack0, 2);
}

TEST(PlaybackPass, SoloLeavesOnlyThatTrack)
{
    PlayHarness h;
    h.shape(3, 1);
    for (int t = 0; t < 3; ++t)
        h.add(t, 0).notes[0].fret = 1;
    h.doc.soloTrack = 2;
    ASSERT_TRUE(h.play());
    h.runToEnd();
    for (const auto& e : h.engine.starts())
        EXPECT_EQ(e.slot, 1);
    EXPECT_FALSE(h.engine.starts().empty());
}

TEST(PlaybackPass, StartRules)
{
    PlayHarness h;
    markedMeasures(h, 3);
    h.engine.ready = false;
    EXPECT_FALSE(h.play());
    h.engine.ready = true;

    ASSERT_TRUE(h.play(7)); // past the end: from the first measure
    EXPECT_EQ(h.pass.startMeasure(), 0);
    ASSERT_TRUE(h.play(2, true));
    EXPECT_EQ(h.pass.startMeasure(), 0);

    h.doc.tracks[0][2].beats.SetSize(0);
    h.doc.tracks[0][2].beatCount = 0;
    ASSERT_TRUE(h.play(2)); // an empty start measure: from measure 0
    EXPECT_EQ(h.pass.startMeasure(), 0);
    h.doc.tracks[0][0].beatCount = 0;
    EXPECT_FALSE(h.play(2));
}

TEST(PlaybackPass, JumpToAClickedMeasure)
{
    PlayHarness h;
    markedMeasures(h, 6);
    ASSERT_TRUE(h.play());
    h.runUntil(500);
    h.pass.jumpTo(4, h.engine.now);
    h.runToEnd();
    EXPECT_EQ(playedMeasures(h.engine), (std::vector<int>{0, 4, 5}));
}

TEST(PlaybackPass, LoopPlayGoesOnFromTheFirstMeasure)
{
    PlayHarness h;
    h.doc.slotInstrument[1] = 0;
    markedMeasures(h, 2);
    h.shape(2, 2, 240);
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 2; ++m)
            h.add(t, m, 6).notes[5].fret = m;
    h.engine.now = 0;
    PlaybackPass::Start s;
    s.loopPlay = true;
    ASSERT_TRUE(h.pass.start(s, 0));
    h.runUntil(5500);
    EXPECT_TRUE(h.pass.isPlaying());
    int track1Starts = 0;
    for (const auto& e : h.engine.starts())
        track1Starts += e.slot == 1;
    EXPECT_EQ(track1Starts, 6); // every track goes round, not only the first
    h.pass.stop();
    EXPECT_FALSE(h.pass.isPlaying());
    EXPECT_FALSE(h.pass.endedByItself());
    EXPECT_EQ(h.engine.events.back().kind, RecordingEngine::StopAllK);
}
