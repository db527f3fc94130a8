#include "ScoreFactory.h"
#include "ViewScroll.h"
#include "ViewTestScores.h"

#include <gtest/gtest.h>

using namespace view;

// Random scores with every field at a legal but unusual value, laid out and
// painted in both views at several zooms and scroll positions: the layout
// keeps its invariants and nothing reads outside the score's arrays.
TEST(RandomScores, LayoutInvariantsHoldAndPaintingNeverFails)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 60; ++round) {
        vt::View v;
        factory::randomScore(v.doc, rng, 10, 30);
        const int tracks = v.doc.trackCount;
        v.state.cursorTrack = round % tracks;
        v.state.cursorMeasure = {v.state.cursorTrack, round % v.doc.measureCount};
        v.state.cursorBeat = round % 7;
        v.state.cursorString = round % 6;
        v.state.zoomPercent = (round % 3 == 0) ? 30 : (round % 3 == 1 ? 100 : 300);
        v.state.multiTrackView = round % 2 == 1;
        v.state.shownTracks.fill(true);
        v.state.isPlaying = round % 5 == 0;
        v.state.cursorMeasureIndex = round % v.doc.measureCount;
        v.state.firstLine = v.state.scrollPosition = round % 4;
        v.device.width = 600 + 97 * (round % 9);
        v.device.height = 300 + 61 * (round % 7);

        const ScoreLayout l = v.layout();
        ASSERT_GE(l.lastScoreLine(), 1);
        for (int line = 1; line <= l.lastScoreLine(); ++line)
            ASSERT_LE(l.lineStart(line), l.lineStart(line + 1)) << round;
        EXPECT_EQ(l.lineStart(l.lastScoreLine() + 1), v.doc.measureCount);
        int previousTop = -1000000;
        for (const LineRecord& r : l.lineRecords()) {
            EXPECT_GT(r.top, previousTop);
            previousTop = r.top;
            for (const MeasureSlot& s : r.measureSlots) {
                for (std::size_t b = 1; b < s.beatX.size(); ++b)
                    EXPECT_LE(s.beatX[b - 1], s.beatX[b]) << round;
                if (!s.beatX.empty()) {
                    EXPECT_EQ(s.beatX.front(), s.firstBeatX);
                    EXPECT_GT(s.barX, s.beatX.back());
                }
            }
        }
        const RecordingCanvas drawn = v.paint();
        EXPECT_FALSE(drawn.ops.empty());

        ViewState scrolled = v.state;
        scrollBy(scrolled, l, ScrollRequest::PageDown);
        scrollToShowMeasure(scrolled, l, v.doc.measureCount - 1);
        scrollByWheel(scrolled, l, -1200);
        EXPECT_GE(scrolled.firstLine, 0);
        EXPECT_EQ(scrolled.firstLine, scrolled.scrollPosition);
    }
}
