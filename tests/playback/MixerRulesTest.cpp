// Volume, mute and solo as playback reads them while it plays.
#include "PlayHarness.h"

#include <gtest/gtest.h>

TEST(MixerRules, SoloThenMuteOfTheSameTrackSilencesTheScore)
{
    PlayHarness h;
    h.shape(3, 2);
    for (int t = 0; t < 3; ++t)
        for (int m = 0; m < 2; ++m)
            for (int b = 0; b < 4; ++b)
                h.add(t, m).notes[0].fret = b;
    h.doc.soloTrack = 2;
    ASSERT_TRUE(h.play());
    h.runUntil(2000);
    for (const auto& e : h.engine.starts())
        EXPECT_EQ(e.slot, 1) << "only the solo track is heard";
    h.doc.mute[1] = 1;
    const std::size_t heard = h.engine.starts().size();
    h.runUntil(8000);
    EXPECT_EQ(h.engine.starts().size(), heard) << "nothing after muting the solo track";
}

TEST(MixerRules, VolumeZeroIsFiftyDecibelsDownNotSilent)
{
    for (int volume : {100, 50, 0}) {
        PlayHarness h;
        h.shape(1, 1);
        h.add(0, 0).notes[5].fret = 0;
        h.doc.volume[0] = volume;
        ASSERT_TRUE(h.play());
        h.runUntil(50);
        const auto levels = h.engine.of(RecordingEngine::Volume);
        ASSERT_FALSE(levels.empty());
        // Silent before its start, then the string's own level (0 for an
        // unaccented first beat) less 0.5 dB per step.
        EXPECT_EQ(levels.back().value, -(100 - volume) * 50) << "volume " << volume;
    }
    // The engine then takes its 4 dB (-54 dB at the buffer): Render tests measure it.
}
