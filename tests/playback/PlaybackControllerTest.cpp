#include "PlaybackController.h"
#include "RecordingEngine.h"

#include <gtest/gtest.h>

namespace {

struct ControllerHarness {
    CTabDoc doc;
    RecordingEngine engine;
    std::recursive_mutex lock;
    PlaybackController controller{doc, engine, lock};

    ControllerHarness()
    {
        doc.OnNewDocument();
        doc.measureCount = 3;
        for (int m = 0; m < 3; ++m) {
            CMesure& ms = doc.tracks[0][m];
            ms.tempo = 240;
            resetMeasureBeats(ms, 1);
            ms.beatCount = 1;
            ms.beats[0].durationCode = 6;
            ms.beats[0].notes[5].fret = m;
        }
    }
    void ticks(double from, double to)
    {
        for (double t = from; t <= to; t += 1) {
            engine.now = t;
            controller.onTick(t);
        }
    }
};

} // namespace

TEST(PlaybackController, StartsOnTheAudioClockAndEndsByItself)
{
    ControllerHarness h;
    ASSERT_TRUE(h.controller.play({}, 20));
    EXPECT_TRUE(h.controller.isPlaying());
    h.ticks(5000, 8100); // the audio clock is already running when play is pressed
    const auto starts = h.engine.starts();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_NEAR(starts[0].t, 5020, 1);
    EXPECT_NEAR(starts[1].t, 6020, 1);
    EXPECT_FALSE(h.controller.isPlaying());
    EXPECT_TRUE(h.controller.takeEndedByItself());
    EXPECT_FALSE(h.controller.takeEndedByItself());
    // The start silences what rang before; the end lets the last notes ring out.
    EXPECT_EQ(h.engine.of(RecordingEngine::StopAllK).size(), 1u);
    EXPECT_EQ(h.engine.events.front().kind, RecordingEngine::StopAllK);
}

TEST(PlaybackController, BusyScoreSkipsPassesWithoutMovingLaterOnsets)
{
    ControllerHarness h;
    ASSERT_TRUE(h.controller.play({}, 0));
    h.ticks(0, 500);
    {
        std::lock_guard<std::recursive_mutex> busy(h.lock); // the interface thread edits for 300 ms
        h.ticks(501, 800);
    }
    h.ticks(801, 2100);
    const auto starts = h.engine.starts();
    ASSERT_GE(starts.size(), 3u);
    EXPECT_NEAR(starts[1].t, 1000, 1);
    EXPECT_NEAR(starts[2].t, 2000, 1);
}

TEST(PlaybackController, StopAndJumpFromTheInterfaceThread)
{
    ControllerHarness h;
    ASSERT_TRUE(h.controller.play({}, 0));
    h.ticks(0, 100);
    h.controller.requestJump(2);
    h.ticks(101, 110);
    EXPECT_EQ(h.controller.playMeasure(), 2);
    h.controller.stop();
    EXPECT_FALSE(h.controller.isPlaying());
    EXPECT_EQ(h.engine.events.back().kind, RecordingEngine::StopAllK);
    const std::size_t before = h.engine.events.size();
    h.ticks(111, 3000);
    EXPECT_EQ(h.engine.events.size(), before);
    EXPECT_FALSE(h.controller.takeEndedByItself());
}
