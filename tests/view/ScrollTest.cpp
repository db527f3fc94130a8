#include "ViewScroll.h"
#include "ViewTestScores.h"

#include <gtest/gtest.h>

using namespace view;

namespace {
// 60 measures of four quarters in a 1000 x 700 view: line 1 holds 4
// measures, later lines 5; the last measure is on line 13; 5 lines a page.
struct Scrolled : vt::View {
    Scrolled()
    {
        vt::score(doc, 1, 60);
        for (int m = 0; m < 60; ++m)
            vt::setBeats(doc, 0, m, vt::fourQuarters());
        state.redrawLevel = kRedrawContents;
    }
    void at(int line)
    {
        state.firstLine = state.scrollPosition = line;
    }
};
} // namespace

TEST(Scroll, TheLayoutUnderTest)
{
    Scrolled s;
    const ScoreLayout l = s.layout();
    EXPECT_EQ(l.lastScoreLine(), 13);
    EXPECT_EQ(l.linesPerPage(), 5);
    EXPECT_EQ(l.lineStart(4), 4 + 2 * 5);
}

TEST(Scroll, LineDownMovesTheCursorToTheNewFirstLine)
{
    Scrolled s;
    s.at(3);
    ASSERT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::LineDown));
    EXPECT_EQ(s.state.firstLine, 4);
    EXPECT_EQ(s.state.scrollPosition, 4);
    EXPECT_EQ(s.state.redrawLevel, kRedrawLayout);
    EXPECT_EQ(s.state.cursorMeasure, (MeasureRef{0, 14}));

    s.at(10); // last line shown 15 = lastScoreLine + 2: one more is allowed
    EXPECT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::LineDown));
    EXPECT_FALSE(scrollBy(s.state, s.layout(), ScrollRequest::LineDown));
    EXPECT_EQ(s.state.firstLine, 11);
}

TEST(Scroll, PageDownTakesAPageLessOneLineUntilNearTheEnd)
{
    Scrolled s;
    ASSERT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::PageDown));
    EXPECT_EQ(s.state.firstLine, 4);
    s.at(5); // last line 10 > 13 - 5 + 1
    ASSERT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::PageDown));
    EXPECT_EQ(s.state.firstLine, 6);
}

TEST(Scroll, UpMovesTheCursorToTheNewLastLine)
{
    Scrolled s;
    EXPECT_FALSE(scrollBy(s.state, s.layout(), ScrollRequest::LineUp));
    EXPECT_FALSE(scrollBy(s.state, s.layout(), ScrollRequest::PageUp));
    s.at(8);
    ASSERT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::PageUp));
    EXPECT_EQ(s.state.firstLine, 4);
    EXPECT_EQ(s.state.cursorMeasure.measure, s.layout().lineStart(9));
    s.at(3); // a page is not below firstLine: one line only
    ASSERT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::PageUp));
    EXPECT_EQ(s.state.firstLine, 2);
    ASSERT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::LineUp));
    EXPECT_EQ(s.state.firstLine, 1);
}

TEST(Scroll, CursorStaysWhenTheLineHoldsNoMeasure)
{
    Scrolled s;
    s.at(10);
    s.state.cursorMeasure = {0, 3};
    ASSERT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::LineDown)); // line 11 exists
    EXPECT_EQ(s.state.cursorMeasure.measure, s.layout().lineStart(11));
    s.at(12);
    s.state.cursorMeasure = {0, 3};
    ASSERT_TRUE(scrollToThumb(s.state, s.layout(), 10));
    EXPECT_EQ(s.state.cursorMeasure.measure, 3); // line 15 is past the end
}

TEST(Scroll, ThumbIsLimitedBelowTheEnd)
{
    Scrolled s;
    EXPECT_EQ(scrollMaximum(s.layout()), 10);
    ASSERT_TRUE(scrollToThumb(s.state, s.layout(), 100));
    EXPECT_EQ(s.state.firstLine, 10);
    ASSERT_TRUE(scrollToThumb(s.state, s.layout(), -4));
    EXPECT_EQ(s.state.firstLine, 0);
    EXPECT_FALSE(scrollToThumb(s.state, s.layout(), 0));
}

TEST(Scroll, WheelLeavesTheCursorAlone)
{
    Scrolled s;
    s.state.cursorMeasure = {0, 2};
    ASSERT_TRUE(scrollByWheel(s.state, s.layout(), -360));
    EXPECT_EQ(s.state.firstLine, 3);
    EXPECT_EQ(s.state.cursorMeasure.measure, 2);
    EXPECT_TRUE(s.state.scrollMovesCursor);
    EXPECT_FALSE(scrollByWheel(s.state, s.layout(), 480)); // would go above 0
    EXPECT_EQ(s.state.firstLine, 3);
    ASSERT_TRUE(scrollByWheel(s.state, s.layout(), 119 + 120));
    EXPECT_EQ(s.state.firstLine, 2);
}

TEST(Scroll, DuringPlaybackTheLevelIsFourAndTheCursorIsLeft)
{
    Scrolled s;
    s.state.isPlaying = true;
    s.state.cursorMovedInMeasure = true;
    ASSERT_TRUE(scrollBy(s.state, s.layout(), ScrollRequest::LineDown));
    EXPECT_EQ(s.state.redrawLevel, kRedrawScrollPlaying);
    EXPECT_FALSE(s.state.cursorMovedInMeasure);
    EXPECT_EQ(s.state.cursorMeasure.measure, 0);
}

TEST(Scroll, ShowingAMeasureMovesByPages)
{
    Scrolled s;
    const ScoreLayout l = s.layout();
    ASSERT_EQ(l.lineOfMeasure(50), 11);
    ASSERT_TRUE(scrollToShowMeasure(s.state, l, 50));
    EXPECT_LE(s.state.firstLine, 11);
    EXPECT_GE(s.state.firstLine + l.linesPerPage(), 11);
    EXPECT_EQ(s.state.cursorMeasure.measure, 0); // the play cursor, not the edit cursor, is followed
    ASSERT_TRUE(scrollToShowMeasure(s.state, l, 2));
    EXPECT_EQ(s.state.firstLine, 1);
    EXPECT_FALSE(scrollToShowMeasure(s.state, l, 3));
}
