#include "EditCommand.h"
#include "EditFixture.h"
#include "MeasureEdits.h"

#include <gtest/gtest.h>

using edit::Key;
using view::MeasureRef;

namespace {
std::vector<int> codes(const std::vector<CAccord>& beats)
{
    std::vector<int> out;
    for (const CAccord& b : beats) {
        EXPECT_EQ(b.isRest, 1);
        out.push_back(b.durationCode);
    }
    return out;
}
} // namespace

TEST(RestPattern, OneRestPerBitShortestFirst)
{
    EXPECT_EQ(codes(edit::restPattern(3, 4)), (std::vector<int>{4, 5}));
    EXPECT_EQ(codes(edit::restPattern(7, 8)), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(codes(edit::restPattern(4, 4)), (std::vector<int>{6}));
    EXPECT_EQ(codes(edit::restPattern(5, 16)), (std::vector<int>{2, 4}));
    // Two whole notes and more: the whole rests are not lost.
    EXPECT_EQ(codes(edit::restPattern(4, 2)), (std::vector<int>{6, 6}));
    EXPECT_EQ(codes(edit::restPattern(3, 1)), (std::vector<int>{6, 6, 6}));
    EXPECT_TRUE(edit::restPattern(0, 4).empty());
    EXPECT_TRUE(edit::restPattern(4, 0).empty());
}

TEST(InsertKey, PutsADefaultBeatAtTheCursorAndCanOverfillTheMeasure)
{
    et::Editor e;
    e.score(1, 2);
    e.setBeats(0, 0, et::fourQuarters(3));
    e.cursorAt(0, 0, 0, 0);
    e.key(Key::Insert);
    const CMesure& m = e.measure(0, 0);
    ASSERT_EQ(m.beatCount, 5);
    EXPECT_EQ(m.beats.GetSize(), 5);
    EXPECT_EQ(m.beats[0], CAccord());
    EXPECT_EQ(m.beats[1].notes[0].fret, 3);
    EXPECT_EQ(m.isCompacted, 1);
    EXPECT_EQ(e.state.cursorBeat, 0);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawAll);
    EXPECT_EQ(e.doc.isSaved, 0);

    // The overfull measure still moves on at its last beat.
    e.state.cursorBeat = 4;
    e.key(Key::Right);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 1}));
    EXPECT_EQ(e.doc.measureCount, 2);
}

TEST(InsertKey, InTheMiddleAndNotPastTheBeatLimit)
{
    et::Editor e;
    e.setBeats(0, 0, {et::beat(3, {{0, 1}}), et::beat(3, {{0, 2}})});
    e.cursorAt(0, 0, 1, 0);
    e.command(edit::kInsertBeat);
    const CMesure& m = e.measure(0, 0);
    ASSERT_EQ(m.beatCount, 3);
    EXPECT_EQ(m.beats[0].notes[0].fret, 1);
    EXPECT_EQ(m.beats[1], CAccord());
    EXPECT_EQ(m.beats[2].notes[0].fret, 2);
    EXPECT_EQ(m.isCompacted, 0);

    e.setBeats(0, 0, std::vector<CAccord>(edit::kMaxBeatsPerMeasure, et::beat(0)));
    e.key(Key::Insert);
    EXPECT_EQ(e.measure(0, 0).beatCount, edit::kMaxBeatsPerMeasure);
}

TEST(InsertKey, DuringPlaybackOnlyStops)
{
    et::Editor e;
    e.state.isPlaying = true;
    e.key(Key::Insert);
    EXPECT_EQ(e.playback.stops, 1);
    EXPECT_EQ(e.measure(0, 0).beatCount, 1);
    e.state.isPlaying = true;
    e.key(Key::Delete);
    EXPECT_EQ(e.playback.stops, 2);
}

TEST(DeleteKey, RemovesTheBeatAndKeepsTheCursorOnTheMeasure)
{
    et::Editor e;
    e.setBeats(0, 0, et::fourQuarters());
    e.measure(0, 0).beats[3].notes[0].fret = 9;
    e.cursorAt(0, 0, 3, 0);
    e.key(Key::Delete);
    EXPECT_EQ(e.measure(0, 0).beatCount, 3);
    EXPECT_EQ(e.measure(0, 0).beats.GetSize(), 3);
    EXPECT_EQ(e.state.cursorBeat, 2);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawAll);
    e.state.cursorBeat = 0;
    e.key(Key::Delete);
    EXPECT_EQ(e.measure(0, 0).beats[0].notes[0].fret, 1);
    EXPECT_EQ(e.measure(0, 0).beatCount, 2);
}

TEST(DeleteKey, AOneBeatMiddleMeasureGoesInEveryTrack)
{
    et::Editor e;
    e.score(2, 5);
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 5; ++m)
            e.setBeats(t, m, {et::beat(6, {{t, m}})});
    e.setBeats(1, 3, {et::rest(6)}); // the other track only rests there
    e.cursorAt(0, 3, 0, 0);
    e.state.cursorMeasureIndex = 0;
    e.doc.isSaved = 1;
    e.key(Key::Delete);
    EXPECT_EQ(e.doc.measureCount, 4);
    EXPECT_EQ(e.doc.isSaved, 0);
    for (int t = 0; t < 2; ++t) {
        EXPECT_EQ(e.noteAt(t, 3, 0, t).fret, 4) << "track " << t << " shows the former measure 4";
        for (int m = 0; m < 4; ++m)
            EXPECT_EQ(e.measure(t, m).index, m);
    }
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 3}));
    EXPECT_EQ(e.state.cursorMeasureIndex, 2);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawAll);
}

TEST(DeleteKey, AMeasureAnotherTrackPlaysInStays)
{
    et::Editor e;
    e.score(2, 5);
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 5; ++m)
            e.setBeats(t, m, {et::beat(6, {{t, m}})});
    e.cursorAt(0, 3, 0, 0);
    e.key(Key::Delete);
    EXPECT_EQ(e.doc.measureCount, 5);
    EXPECT_EQ(e.noteAt(1, 3, 0, 1).fret, 3);
    EXPECT_EQ(e.noteAt(0, 3, 0, 0).fret, 3);
}

TEST(DeleteKey, TheLastMeasureStays)
{
    et::Editor e;
    e.score(1, 2);
    e.cursorAt(0, 1, 0, 0);
    e.doc.isSaved = 1;
    const auto out = e.key(Key::Delete);
    EXPECT_EQ(e.doc.measureCount, 2);
    EXPECT_EQ(e.measure(0, 1).beatCount, 1);
    EXPECT_EQ(e.doc.isSaved, 1);
    EXPECT_TRUE(out.repaint);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawAll);
    // Nor through the menu: a command that changes nothing leaves the score unmodified.
    e.command(edit::kDeleteBeat);
    EXPECT_EQ(e.doc.isSaved, 1);
    EXPECT_FALSE(e.edit.history().canUndo());
}

TEST(InsertMeasure, AtTheStartOfA34ScoreInEveryTrack)
{
    et::Editor e;
    e.score(2, 2, {model::kFolkGuitar, model::kBass}, 3, 4);
    for (int t = 0; t < 2; ++t) {
        e.measure(t, 0).flags = model::kFlagFirst | model::kFlagRepeatStart;
        e.measure(t, 0).tempo = 90;
        e.setBeats(t, 0, {et::beat(5, {{2, 7}}), et::beat(4, {{2, 8}})});
    }
    e.cursorAt(1, 0, 1, 2);
    e.command(edit::kInsertMeasure);
    EXPECT_EQ(e.doc.measureCount, 3);
    for (int t = 0; t < 2; ++t) {
        const CMesure& fresh = e.measure(t, 0);
        EXPECT_EQ(codes(std::vector<CAccord>(fresh.beats.begin(), fresh.beats.end())), (std::vector<int>{4, 5}));
        EXPECT_EQ(fresh.beatCount, 2);
        EXPECT_EQ(fresh.flags, model::kFlagFirst);
        EXPECT_EQ(fresh.isCompacted, 1);
        EXPECT_EQ(fresh.instrumentSlot, t);
        EXPECT_EQ(fresh.tempo, 90);
        EXPECT_EQ(fresh.numerator, 3);
        EXPECT_EQ(e.measure(t, 1).flags, model::kFlagRepeatStart);
        EXPECT_EQ(e.noteAt(t, 1, 0, 2).fret, 7);
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(e.measure(t, m).index, m);
    }
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{1, 0}));
    EXPECT_EQ(e.state.cursorBeat, 0);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);
    EXPECT_EQ(e.doc.isSaved, 0);
}

TEST(InsertMeasure, InTheMiddleLeavesTheFirstFlagAlone)
{
    et::Editor e;
    e.score(1, 3);
    e.cursorAt(0, 2, 0, 0);
    e.command(edit::kInsertMeasure);
    EXPECT_EQ(e.measure(0, 0).flags, model::kFlagFirst);
    EXPECT_EQ(e.measure(0, 2).flags, 0);
    EXPECT_EQ(e.measure(0, 3).flags, model::kFlagMiddle);
    EXPECT_EQ(e.doc.measureCount, 4);
}

TEST(Cursor, OutsideTheScoreIsBroughtBackBeforeAnEdit)
{
    et::Editor e;
    e.score(1, 2);
    e.state.cursorMeasure = {0, 7};
    e.state.cursorString = 9;
    e.type("4");
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 1}));
    EXPECT_EQ(e.noteAt(0, 1, 0, 5).fret, 4);

    // An empty measure gets a beat to take what is typed.
    e.setBeats(0, 0, {});
    e.cursorAt(0, 0, 3, 0);
    e.type("2");
    EXPECT_EQ(e.measure(0, 0).beatCount, 1);
    EXPECT_EQ(e.noteAt(0, 0, 0, 0).fret, 2);
}
