// The percussion palette's rules: which drums a beat holds, where a click
// puts a drum, the six-drum limit, and where the palette goes on screen.
#include "DrumPalette.h"
#include "EditFixture.h"
#include "ScoreCheck.h"

#include <gtest/gtest.h>

#include <random>

using edit::DrumPalette;

TEST(DrumPalette, ClicksFillTheFirstEmptySlotAndRemovingTheLastDrumMakesARest)
{
    CAccord beat;
    beat.isRest = 1;
    DrumPalette p;
    p.synchronise(beat);
    ASSERT_TRUE(p.click(20)); // Snare
    EXPECT_TRUE(edit::applyDrum(beat, p.lastDrum, p.lastAdded));
    EXPECT_EQ(beat.notes[0].fret, 20);
    EXPECT_EQ(beat.isRest, 0);

    beat.notes[2].fret = 6;
    p.synchronise(beat);
    EXPECT_EQ(p.selectedCount, 2);
    ASSERT_TRUE(p.click(11)); // Crash 1 into the gap
    edit::applyDrum(beat, 11, true);
    EXPECT_EQ(beat.notes[1].fret, 11);

    for (int n : {20, 6, 11}) {
        p.synchronise(beat);
        ASSERT_TRUE(p.click(n));
        EXPECT_FALSE(p.lastAdded);
        edit::applyDrum(beat, n, false);
    }
    EXPECT_EQ(beat.isRest, 1);
    for (const CNote& n : beat.notes)
        EXPECT_EQ(n.fret, model::kEmptyFret);
    EXPECT_FALSE(p.click(27)) << "no drum";
}

// Random clicks: the palette never selects a seventh drum, the beat never
// holds one, and the palette always agrees with the beat.
TEST(DrumPalette, RandomClicksKeepPaletteAndBeatInStep)
{
    std::mt19937 rng(7);
    CAccord beat;
    DrumPalette p;
    for (int i = 0; i < 2000; ++i) {
        p.synchronise(beat);
        const int n = std::uniform_int_distribution<int>(0, edit::kDrumCount - 1)(rng);
        const bool wasSelected = n != model::kEmptyFret && p.drumSelected[static_cast<std::size_t>(n)];
        const bool accepted = p.click(n);
        if (n == model::kEmptyFret || (p.selectedCount == 6 && !wasSelected && !accepted)) {
            EXPECT_FALSE(accepted);
            continue;
        }
        ASSERT_TRUE(accepted);
        edit::applyDrum(beat, n, p.lastAdded);
        DrumPalette again;
        again.synchronise(beat);
        ASSERT_EQ(again.drumSelected, p.drumSelected) << i;
        ASSERT_LE(again.selectedCount, 6);
        EXPECT_EQ(beat.isRest, again.selectedCount == 0 ? 1 : 0);
    }
}

TEST(DrumPalette, TheDeadNoteKeyStoresTomMed2OnADrumTrack)
{
    et::Editor e;
    e.score(1, 2, {model::kDrums});
    e.cursorAt(0, 0, 0, 2);
    e.key(edit::Key::Letter, 'X');
    EXPECT_EQ(e.noteAt(0, 0, 0, 2).fret, 25);
    EXPECT_STREQ(edit::drumCaption(25), "Tom Med 2");
}

TEST(DrumPalette, FollowsTheCursorBelowItsStaffOrAboveNearTheBottom)
{
    et::Editor e;
    e.score(1, 40, {model::kDrums});
    e.cursorAt(0, 0, 0, 2);
    const view::ScoreLayout layout = e.layout();
    const auto below = edit::paletteSpot(layout, e.state, 100, 700);
    ASSERT_TRUE(below);
    const view::LineRecord* line = nullptr;
    for (const auto& r : layout.lineRecords())
        for (const auto& s : r.measureSlots)
            if (s.measure == 0)
                line = &r;
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(below->y, line->bottom() + 50);
    const auto above = edit::paletteSpot(layout, e.state, 100, line->bottom() + 120);
    EXPECT_EQ(above->y, line->top - 30 - 100);
    e.state.cursorMeasure = {0, 39 * 100}; // not on a shown line
    EXPECT_FALSE(edit::paletteSpot(layout, e.state, 100, 700));
}
