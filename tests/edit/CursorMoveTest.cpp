#include "EditCommand.h"
#include "EditFixture.h"
#include "MeasureEdits.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using edit::Key;
using view::MeasureRef;

TEST(RightKey, AppendsBeatsOfTheSameDurationThenCreatesTheNextMeasure)
{
    et::Editor e;
    e.cursorAt(0, 0, 0, 0);
    e.command(edit::kHalf);
    e.type("5");
    e.doc.isSaved = 1;

    e.key(Key::Right);
    const CMesure& first = e.measure(0, 0);
    EXPECT_EQ(first.beatCount, 2);
    EXPECT_EQ(e.state.cursorBeat, 1);
    EXPECT_EQ(first.beats[1].durationCode, 5) << "the half note is carried";
    EXPECT_EQ(e.doc.isSaved, 0);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);
    EXPECT_FALSE(e.state.cursorMovedInMeasure);

    e.type("7");
    e.doc.isSaved = 1;
    e.key(Key::Right); // two halves fill 4/4: on to a new measure
    EXPECT_EQ(e.doc.measureCount, 2);
    EXPECT_EQ(e.doc.isSaved, 0);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 1}));
    EXPECT_EQ(e.state.cursorMeasureIndex, 1);
    EXPECT_EQ(e.state.cursorBeat, 0);
    const CMesure& second = e.measure(0, 1);
    EXPECT_EQ(second.index, 1);
    EXPECT_EQ(second.beatCount, 1);
    EXPECT_EQ(second.beats[0].durationCode, 5);
    EXPECT_EQ(second.flags, model::kFlagLast);
    EXPECT_EQ(second.numerator, 4);
    // The full measure was cut down to its beats.
    EXPECT_EQ(e.measure(0, 0).beats.GetSize(), 2);
    EXPECT_EQ(e.measure(0, 0).isCompacted, 1);
}

TEST(RightKey, FourQuartersThenANewMeasureAndNoCarryIntoAnExistingOne)
{
    et::Editor e;
    e.cursorAt(0, 0, 0, 0);
    for (int i = 0; i < 3; ++i)
        e.key(Key::Right);
    EXPECT_EQ(e.measure(0, 0).beatCount, 4);
    e.key(Key::Right);
    EXPECT_EQ(e.doc.measureCount, 2);
    e.command(edit::kEighth);
    e.type("3");
    // Back to measure 0's last beat and Right again: measure 1 exists.
    e.key(Key::Left);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 0}));
    EXPECT_EQ(e.state.cursorBeat, 3);
    e.doc.isSaved = 1;
    e.key(Key::Right);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 1}));
    EXPECT_EQ(e.doc.measureCount, 2);
    EXPECT_EQ(e.doc.isSaved, 1) << "moving on to an existing measure is not an edit";
    EXPECT_EQ(e.measure(0, 1).beats[0].durationCode, 3);
}

TEST(RightKey, InsideAMeasureOnlyMovesAndAsksForContentsOnly)
{
    et::Editor e;
    e.setBeats(0, 0, et::fourQuarters());
    e.cursorAt(0, 0, 1, 0);
    e.doc.isSaved = 1;
    e.key(Key::Right);
    EXPECT_EQ(e.state.cursorBeat, 2);
    EXPECT_TRUE(e.state.cursorMovedInMeasure);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawContents);
    EXPECT_EQ(e.doc.isSaved, 1);
    e.doc.slotInstrument[0] = model::kDrums;
    const auto out = e.key(Key::Right);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);
    EXPECT_TRUE(out.drumPalette);
}

TEST(RightKey, AllTripletMeasuresAreNeverFullAndGrowUpToTheFileLimit)
{
    et::Editor e;
    e.score(1, 2);
    e.cursorAt(0, 0, 0, 0);
    auto tripletThenRight = [&](int times) {
        for (int i = 0; i < times; ++i) {
            e.command(edit::kTriplet);
            e.key(Key::Right);
        }
    };
    tripletThenRight(70);
    const CMesure& m = e.measure(0, 0);
    EXPECT_EQ(m.beatCount, 71);
    EXPECT_GE(m.beats.GetSize(), 71);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 0}));

    tripletThenRight(300);
    EXPECT_EQ(e.measure(0, 0).beatCount, edit::kMaxBeatsPerMeasure);
    EXPECT_EQ(e.state.cursorBeat, edit::kMaxBeatsPerMeasure - 1);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 0}));
    TempDir dir;
    EXPECT_TRUE(e.doc.OnSaveDocument(dir.file("triplets.tbf")));
}

TEST(RightKey, GrowsTheBeatArrayByTheScoreNumeratorWhenNoSpareIsLeft)
{
    et::Editor e;
    e.doc.scoreNumerator = 3;
    CMesure& m = e.setBeats(0, 0, {et::beat(2, {{0, 1}})});
    ASSERT_EQ(m.beats.GetSize(), 1);
    e.cursorAt(0, 0, 0, 0);
    e.key(Key::Right);
    EXPECT_EQ(m.beatCount, 2);
    EXPECT_EQ(m.beats.GetSize(), 4);
    EXPECT_EQ(m.beats[1].durationCode, 2);
}

TEST(RightKey, FillsUnwrittenMeasuresOfTheOtherTracksWithRests)
{
    et::Editor e;
    e.score(3, 1, {}, 3, 4);
    e.setBeats(0, 0, {et::beat(4, {{0, 1}}), et::beat(4, {{0, 2}}), et::beat(4, {{0, 3}})});
    // Track 2 holds a note in its only beat: it has been written into.
    e.setBeats(2, 0, {et::beat(5, {{1, 9}})});
    e.cursorAt(0, 0, 2, 0);
    e.key(Key::Right);

    const CMesure& other = e.measure(1, 0);
    ASSERT_EQ(other.beatCount, 2);
    EXPECT_EQ(other.beats[0].durationCode, 4);
    EXPECT_EQ(other.beats[0].isRest, 1);
    EXPECT_EQ(other.beats[1].durationCode, 5);
    EXPECT_EQ(other.beats[1].isRest, 1);
    EXPECT_EQ(other.isCompacted, 1);
    for (int t = 0; t < 3; ++t) {
        const CMesure& next = e.measure(t, 1);
        EXPECT_EQ(next.beatCount, 1) << t;
        EXPECT_EQ(next.index, 1);
        EXPECT_EQ(next.numerator, 3);
        EXPECT_EQ(next.instrumentSlot, t);
        EXPECT_EQ(next.flags, model::kFlagLast);
    }
    EXPECT_EQ(e.measure(2, 0).beatCount, 1);
    EXPECT_EQ(e.noteAt(2, 0, 0, 1).fret, 9);
}

TEST(RightKey, EnlargesEveryTrackWhenTheArraysRunOut)
{
    et::Editor e;
    e.score(2, 2);
    e.setBeats(0, 1, et::fourQuarters());
    e.cursorAt(0, 1, 3, 0);
    e.key(Key::Right);
    EXPECT_EQ(e.doc.measureCount, 3);
    EXPECT_EQ(e.doc.tracks[0].GetSize(), 52);
    EXPECT_EQ(e.doc.tracks[1].GetSize(), 52);
    EXPECT_EQ(e.measure(1, 1).beats[0].isRest, 1) << "the other track's measure 1 was filled";
}

TEST(LeftKey, GoesBackBeatByBeatThenToThePreviousMeasuresLastBeat)
{
    et::Editor e;
    e.score(1, 2);
    e.setBeats(0, 0, et::fourQuarters());
    e.setBeats(0, 1, et::fourQuarters());
    e.cursorAt(0, 1, 1, 0);
    e.state.cursorMeasureIndex = 1;
    e.key(Key::Left);
    EXPECT_EQ(e.state.cursorBeat, 0);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawContents);
    EXPECT_TRUE(e.state.cursorMovedInMeasure);
    e.key(Key::Left);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 0}));
    EXPECT_EQ(e.state.cursorBeat, 3);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);
    EXPECT_FALSE(e.state.cursorMovedInMeasure);
    EXPECT_EQ(e.state.cursorMeasureIndex, 1) << "Left leaves the measure index alone";
    e.state.cursorBeat = 0;
    const auto out = e.key(Key::Left);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 0}));
    EXPECT_FALSE(out.repaint);
}

namespace {
// 60 measures of four quarters on a 1000 x 700 screen: line 1 holds
// measures 0-3, each later line five measures; five lines a page.
struct Lines : et::Editor {
    explicit Lines(int instrument)
    {
        score(1, 60, {instrument});
        for (int m = 0; m < 60; ++m)
            setBeats(0, m, et::fourQuarters());
    }
};
} // namespace

TEST(UpDown, BassCrossesLinesBetweenTopAndBottomStaffLines)
{
    Lines e(model::kBass);
    const view::ScoreLayout l = e.layout();
    ASSERT_EQ(l.lineStart(2), 4);
    ASSERT_EQ(l.lineStart(3), 9);
    e.cursorAt(0, 4, 2, 0);
    e.key(Key::Up);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 0}));
    EXPECT_EQ(e.state.cursorString, 3);
    EXPECT_EQ(e.state.cursorBeat, 0);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);

    e.cursorAt(0, 4, 2, 3);
    e.key(Key::Down);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 9}));
    EXPECT_EQ(e.state.cursorString, 0);
    EXPECT_EQ(e.state.cursorBeat, 0);

    // Inside the staff the keys only change the string.
    e.key(Key::Down);
    EXPECT_EQ(e.state.cursorString, 1);
    EXPECT_TRUE(e.state.cursorMovedInMeasure);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawContents);
    e.key(Key::Up);
    EXPECT_EQ(e.state.cursorString, 0);
}

TEST(UpDown, UpInMidLineGoesToTheLinesFirstMeasure)
{
    Lines e(model::kFolkGuitar);
    e.cursorAt(0, 6, 1, 0);
    e.key(Key::Up);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 4}));
    EXPECT_EQ(e.state.cursorString, 5);
    // From the first line's first measure there is nowhere to go.
    e.cursorAt(0, 0, 1, 0);
    e.key(Key::Up);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 0}));
    EXPECT_EQ(e.state.cursorBeat, 1);
}

TEST(UpDown, DownPastTheWindowScrollsAPageAndStopsAtTheLastLine)
{
    Lines e(model::kFolkGuitar);
    // Line 5 (measures 19-23) is the last shown: Down goes to line 6.
    e.cursorAt(0, 20, 0, 5);
    e.key(Key::Down);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 24}));
    EXPECT_EQ(e.state.firstLine, 4);
    EXPECT_EQ(e.state.cursorString, 0);

    e.cursorAt(0, 59, 0, 5);
    e.state.firstLine = e.state.scrollPosition = 10;
    e.key(Key::Down);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 59}));
    EXPECT_EQ(e.state.cursorString, 5);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawContents);
}

TEST(UpDown, UpAboveTheWindowScrollsAPageUpAndKeepsTheCursor)
{
    Lines e(model::kFolkGuitar);
    e.state.firstLine = e.state.scrollPosition = 6;
    // Line 6 starts at measure 24: Up from its first measure goes to line 5.
    e.cursorAt(0, 24, 0, 0);
    e.key(Key::Up);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 19}));
    EXPECT_EQ(e.state.firstLine, 2);
}

TEST(PageKeys, ScrollAPageWithTheCursorFollowing)
{
    Lines e(model::kFolkGuitar);
    e.cursorAt(0, 0, 2, 0);
    e.key(Key::PageDown);
    EXPECT_EQ(e.state.firstLine, 4);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 14}));
    EXPECT_EQ(e.doc.isSaved, 1);
    e.key(Key::PageUp);
    EXPECT_EQ(e.state.firstLine, 3);
    EXPECT_TRUE(e.state.scrollMovesCursor);
}

TEST(UpDown, DuringPlaybackNoKeyLeavesTheMeasure)
{
    Lines e(model::kFolkGuitar);
    e.state.isPlaying = true;
    e.cursorAt(0, 6, 0, 0);
    for (Key k : {Key::Up, Key::Left}) {
        e.key(k);
        EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 6}));
    }
    e.cursorAt(0, 6, 3, 5);
    for (Key k : {Key::Down, Key::Right}) {
        e.key(k);
        EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 6}));
    }
    EXPECT_EQ(e.measure(0, 6).beatCount, 4) << "Right does not grow the score under the music";
    EXPECT_EQ(e.playback.stops, 0);
}
