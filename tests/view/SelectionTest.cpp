// The measure selection: keys, clicks, and where its highlight goes.
#include "MeasureSelection.h"
#include "ViewTestScores.h"

#include <gtest/gtest.h>

using namespace view;

TEST(MeasureSelection, KeysAndClicksMoveOneEnd)
{
    struct Step {
        char what;  // 'k' a key step (arg = direction), 'c' a click (arg = measure), 'x' clear, 'm' measures left
        int arg;
        int first, last; // -1, -1: empty
    };
    struct Case {
        int cursor;
        int measures;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        // The first press takes the cursor's measure; the next ones grow or shrink the range.
        {3, 10, {{'k', 1, 3, 3}, {'k', 1, 3, 4}, {'k', 1, 3, 5}, {'k', -1, 3, 4}, {'k', -1, 3, 3}, {'k', -1, 2, 3}}},
        // Never past either end of the score.
        {0, 3, {{'k', -1, 0, 0}, {'k', -1, 0, 0}, {'k', 1, 0, 1}, {'k', 1, 0, 2}, {'k', 1, 0, 2}}},
        // A click reaches from the cursor; a later click moves the same far end.
        {5, 10, {{'c', 8, 5, 8}, {'c', 2, 2, 5}, {'k', 1, 3, 5}, {'x', 0, -1, -1}, {'c', 7, 5, 7}}},
        // Measures deleted under the range.
        {6, 10, {{'c', 9, 6, 9}, {'m', 8, 6, 7}, {'m', 0, -1, -1}}},
        {0, 0, {{'k', 1, -1, -1}, {'c', 2, -1, -1}}},
    };
    for (const Case& c : cases) {
        MeasureSelection s;
        int measures = c.measures;
        for (const Step& step : c.steps) {
            switch (step.what) {
            case 'k': s.step(c.cursor, step.arg, measures); break;
            case 'c': s.extendTo(c.cursor, step.arg, measures); break;
            case 'x': s.clear(); break;
            case 'm': measures = step.arg; s.clampTo(measures); break;
            }
            if (step.first < 0) {
                EXPECT_TRUE(s.empty());
                continue;
            }
            ASSERT_FALSE(s.empty());
            EXPECT_EQ(s.first(), step.first) << step.what << step.arg;
            EXPECT_EQ(s.last(), step.last) << step.what << step.arg;
            for (int m = 0; m < measures; ++m)
                EXPECT_EQ(s.contains(m), m >= step.first && m <= step.last);
        }
    }
}

TEST(MeasureSelection, HighlightCoversTheSelectedMeasuresOfEveryShownStaff)
{
    for (bool multi : {false, true}) {
        vt::View v;
        vt::score(v.doc, 2, 12);
        for (int t = 0; t < 2; ++t)
            for (int m = 0; m < 12; ++m)
                vt::setBeats(v.doc, t, m, vt::fourQuarters());
        v.state.multiTrackView = multi;
        v.state.shownTracks = {true, true};
        MeasureSelection s;
        s.extendTo(2, 5, 12);
        const ScoreLayout l = v.layout();
        const std::vector<Rect> rects = selectionRects(l, s);

        std::size_t expected = 0;
        for (const LineRecord& line : l.lineRecords())
            for (const MeasureSlot& slot : line.measureSlots)
                expected += s.contains(slot.measure);
        ASSERT_GT(expected, 0u);
        EXPECT_EQ(rects.size(), expected);
        for (const Rect& r : rects) {
            EXPECT_GT(r.width(), 0);
            EXPECT_GT(r.height(), 0);
            // A click inside a highlighted area finds a selected measure, and one just right of the last does not.
            const int m = measureAtPoint(l, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            EXPECT_TRUE(s.contains(m)) << m;
        }
        EXPECT_EQ(measureAtPoint(l, -100, -100), -1);
        const MeasureSlot* last = vt::View::slotOf(l, 5);
        ASSERT_NE(last, nullptr);
        const LineRecord* line = nullptr;
        for (const LineRecord& r : l.lineRecords())
            for (const MeasureSlot& slot : r.measureSlots)
                if (&slot == last)
                    line = &r;
        ASSERT_NE(line, nullptr);
        EXPECT_FALSE(s.contains(measureAtPoint(l, last->barX + 2, line->top + 2)));
    }
}
