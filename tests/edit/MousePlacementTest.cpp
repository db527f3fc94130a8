#include "EditFixture.h"

#include <gtest/gtest.h>

using view::MeasureRef;

namespace {
// 20 measures of four quarters on a 1000 x 700 screen (line 1: measures 0-3).
struct Mouse : et::Editor {
    view::ScoreLayout l;
    explicit Mouse(int tracks = 1)
    {
        score(tracks, 20);
        for (int t = 0; t < tracks; ++t)
            for (int m = 0; m < 20; ++m)
                setBeats(t, m, et::fourQuarters());
        cursorAt(0, 0, 0, 0);
        relayout();
    }
    void relayout() { l = layout(); }
    const view::LineRecord& line(std::size_t k) { return l.lineRecords().at(k); }
    edit::EditOutcome click(int x, int y, std::int64_t now = 10'000) { return edit.mouseRelease(x, y, l, now); }
};
} // namespace

TEST(MousePlacement, AClickOnADrawnBeatPutsTheCursorThere)
{
    Mouse e;
    const view::LineRecord& second = e.line(1);
    const view::MeasureSlot& slot = second.measureSlots.at(1);
    const auto out = e.click(slot.beatX[2] + 2, second.stringY[4] - 1);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, slot.measure}));
    EXPECT_EQ(e.state.cursorBeat, 2);
    EXPECT_EQ(e.state.cursorString, 4);
    EXPECT_TRUE(out.repaint);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawContents);
    EXPECT_FALSE(e.state.cursorMovedInMeasure);
    EXPECT_EQ(e.doc.isSaved, 1);

    // Another beat of the same measure: only the cursor cells change.
    e.click(slot.beatX[0], second.stringY[4]);
    EXPECT_EQ(e.state.cursorBeat, 0);
    EXPECT_TRUE(e.state.cursorMovedInMeasure);
    // The same place again changes nothing.
    EXPECT_FALSE(e.click(slot.beatX[0], second.stringY[4]).repaint);
}

TEST(MousePlacement, BetweenStavesTheUpperTakesTheFirstHalfOfTheGap)
{
    Mouse e;
    const int bottom = e.line(0).bottom();
    const int nextTop = e.line(1).top;
    const int half = (nextTop - bottom) / 2;
    const int x = e.line(0).measureSlots[0].beatX[0];
    e.click(x, bottom + half);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{0, 0}));
    EXPECT_EQ(e.state.cursorString, 5);
    e.click(x, bottom + half + 1);
    EXPECT_EQ(e.state.cursorMeasure.measure, e.line(1).measureSlots[0].measure);
    EXPECT_EQ(e.state.cursorString, 0);
    // Midway between two staff lines goes to the upper one.
    const auto& s = e.line(0).stringY;
    e.click(x, s[2] - 1);
    EXPECT_EQ(e.state.cursorString, 2);
    if ((s[2] - s[1]) % 2 == 0) {
        e.click(x, (s[1] + s[2]) / 2);
        EXPECT_EQ(e.state.cursorString, 1);
    }
}

TEST(MousePlacement, RightOfTheLastMeasureTakesItsNearestBeat)
{
    Mouse e;
    const view::LineRecord& first = e.line(0);
    e.click(990, first.stringY[2]);
    EXPECT_EQ(e.state.cursorMeasure.measure, first.measureSlots.back().measure);
    EXPECT_EQ(e.state.cursorBeat, 3);
    // Just right of measure 0's last beat, within 4 x twoThirdsU: still measure 0.
    const int x = first.measureSlots[0].beatX[3] + static_cast<int>(4 * e.l.units().twoThirdsU);
    e.click(x, first.stringY[2]);
    EXPECT_EQ(e.state.cursorMeasure.measure, 0);
    EXPECT_EQ(e.state.cursorBeat, 3);
}

TEST(MousePlacement, EmptyLinesStaleMeasuresAndFreshScoresAreIgnored)
{
    Mouse e;
    e.score(1, 1);
    e.cursorAt(0, 0, 0, 2);
    e.relayout();
    ASSERT_GE(e.l.lineRecords().size(), 2u);
    ASSERT_TRUE(e.line(1).measureSlots.empty());
    EXPECT_FALSE(e.click(300, e.line(1).stringY[1]).repaint);
    EXPECT_EQ(e.state.cursorString, 2);

    // A click on the first line within 200 ms of loading is ignored.
    const int x = e.line(0).measureSlots[0].beatX[0];
    e.edit.scoreLoaded(5'000);
    EXPECT_FALSE(e.click(x, e.line(0).stringY[4], 5'199).repaint);
    EXPECT_EQ(e.state.cursorString, 2);
    EXPECT_TRUE(e.click(x, e.line(0).stringY[4], 5'200).repaint);
    EXPECT_EQ(e.state.cursorString, 4);

    // A measure that no longer carries the live tag is not taken.
    e.measure(0, 0).aux = 0;
    EXPECT_FALSE(e.click(x, e.line(0).stringY[0]).repaint);
    EXPECT_EQ(e.state.cursorString, 4);
    // Nor one that the score lost since the layout was made.
    e.measure(0, 0).aux = model::kMeasureAux;
    e.doc.measureCount = 0;
    EXPECT_FALSE(e.click(x, e.line(0).stringY[0]).repaint);
}

TEST(MousePlacement, OnAnotherTracksStaffTheKeysFollowThatTrack)
{
    Mouse e(2);
    e.state.multiTrackView = true;
    e.state.shownTracks = {true, true};
    e.relayout();
    const view::LineRecord& bassStaff = e.line(1);
    ASSERT_EQ(bassStaff.track, 1);
    e.click(bassStaff.measureSlots[1].beatX[1], bassStaff.stringY[0]);
    EXPECT_EQ(e.state.cursorMeasure, (MeasureRef{1, bassStaff.measureSlots[1].measure}));
    EXPECT_EQ(e.state.cursorTrack, 1);
    EXPECT_EQ(e.state.cursorBeat, 1);
}

TEST(MousePlacement, DuringPlaybackOrOnDrumsTheViewIsRedrawnFully)
{
    Mouse e;
    e.state.isPlaying = true;
    const auto out = e.click(e.line(0).measureSlots[1].beatX[1], e.line(0).stringY[0]);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawScrollPlaying);
    EXPECT_TRUE(out.erase);
    e.state.isPlaying = false;
    e.doc.slotInstrument[0] = model::kDrums;
    const auto drums = e.click(e.line(0).measureSlots[2].beatX[1], e.line(0).stringY[0]);
    EXPECT_TRUE(drums.drumPalette);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);
}
