// The measure clipboard: copies of one track or all, paste by insertion or
// replacement, cut, and every track keeping the same measures throughout.
#include "EditFixture.h"
#include "MeasureClipboard.h"
#include "ScoreCheck.h"

#include <gtest/gtest.h>

#include <random>

using edit::MeasureClipboard;
using edit::PasteMode;
using edit::ScoreRegion;
using edit::StepKind;

namespace {

// A score whose every measure tells where it came from: the fret of its one
// note is 10 × track + measure.
void marked(et::Editor& e, int tracks, int measures)
{
    e.score(tracks, measures);
    for (int t = 0; t < tracks; ++t) {
        for (int m = 0; m < measures; ++m)
            e.noteAt(t, m, 0, 0).fret = 10 * t + m;
        e.measure(t, measures - 1).flags |= model::kFlagLast;
    }
}

int fretOf(et::Editor& e, int t, int m)
{
    return e.measure(t, m).beats[0].notes[0].fret;
}

bool isRestMeasure(et::Editor& e, int t, int m)
{
    const CMesure& x = e.measure(t, m);
    for (int b = 0; b < x.beatCount; ++b)
        if (!x.beats[b].isRest)
            return false;
    return x.beatCount > 0;
}

// The invariants of a score and those every track shares at each position.
void expectWhole(et::Editor& e)
{
    ASSERT_EQ(model::scoreProblem(e.doc), "");
    for (int m = 0; m < e.doc.measureCount; ++m)
        for (int t = 1; t < e.doc.trackCount; ++t) {
            const CMesure& a = e.measure(0, m);
            const CMesure& b = e.measure(t, m);
            ASSERT_EQ(std::tie(a.tempo, a.numerator, a.denominator), std::tie(b.tempo, b.numerator, b.denominator))
                << "measure " << m << " track " << t;
            ASSERT_EQ(a.flags & ~11, b.flags & ~11) << "repeat marks, measure " << m << " track " << t;
        }
}

void paste(et::Editor& e, const MeasureClipboard& clip, int at, PasteMode mode)
{
    e.edit.applyChange(StepKind::Paste, {ScoreRegion::tracksInUse(e.doc), at, ScoreRegion::kToEnd, false}, true,
                       [&] { edit::pasteMeasures(e.doc, clip, e.state.cursorTrack, at, mode); });
}

} // namespace

TEST(MeasureClipboard, OneTrackPastedAfterAMeasureAndIntoAnotherTrack)
{
    et::Editor e;
    marked(e, 3, 6);
    const auto opened = e.doc.tracks;
    MeasureClipboard clip;
    clip.copy(e.doc, 1, 2, 0, edit::fillerMeasure(e.measure(0, 4)));
    EXPECT_EQ(clip.clipboardTrack, 0);
    EXPECT_EQ(clip.clipboardTracks[1].size(), 1u) << "one filler in the other slots";

    paste(e, clip, 4, PasteMode::InsertAfter);
    expectWhole(e);
    EXPECT_EQ(e.doc.measureCount, 8);
    EXPECT_EQ(fretOf(e, 0, 5), 1);
    EXPECT_EQ(fretOf(e, 0, 6), 2);
    EXPECT_EQ(fretOf(e, 0, 7), 5) << "the last measure moved up";
    EXPECT_TRUE(isRestMeasure(e, 1, 5));
    EXPECT_TRUE(isRestMeasure(e, 2, 6));
    EXPECT_EQ(e.measure(2, 5).instrumentSlot, 2) << "the track's own instrument";
    e.edit.undo();
    EXPECT_TRUE(e.doc.tracks == opened);
    EXPECT_EQ(e.doc.measureCount, 6);

    // While editing track 1, track 0's measures arrive in track 1.
    e.state.cursorTrack = 1;
    paste(e, clip, 0, PasteMode::InsertAfter);
    expectWhole(e);
    EXPECT_EQ(fretOf(e, 1, 1), 1);
    EXPECT_EQ(e.measure(1, 1).instrumentSlot, 1);
    EXPECT_TRUE(isRestMeasure(e, 0, 1));
}

TEST(MeasureClipboard, ReplaceAtTheLastMeasureGrowsTheScore)
{
    et::Editor e;
    marked(e, 2, 4);
    e.measure(0, 0).numerator = e.measure(1, 0).numerator = 3;
    MeasureClipboard clip;
    clip.copy(e.doc, 0, 2, 0, edit::fillerMeasure(e.measure(0, 0)));
    paste(e, clip, 3, PasteMode::Replace);
    expectWhole(e);
    EXPECT_EQ(e.doc.measureCount, 6);
    EXPECT_EQ(fretOf(e, 0, 3), 0);
    EXPECT_EQ(fretOf(e, 0, 5), 2);
    EXPECT_EQ(fretOf(e, 1, 3), 13) << "an existing measure of another track keeps its notes";
    EXPECT_EQ(e.measure(1, 3).numerator, 3) << "but follows the pasted time signature";
    EXPECT_TRUE(isRestMeasure(e, 1, 4));
    EXPECT_TRUE(isRestMeasure(e, 1, 5));
    e.edit.undo();
    EXPECT_EQ(e.doc.measureCount, 4);
    expectWhole(e);
}

TEST(MeasureClipboard, CutOfEveryMeasureLeavesOneEmptyMeasurePerTrack)
{
    et::Editor e;
    marked(e, 3, 5);
    const auto opened = e.doc.tracks;
    MeasureClipboard clip;
    int cursor = -1;
    e.edit.applyChange(StepKind::Cut, {ScoreRegion::tracksInUse(e.doc), 0, ScoreRegion::kToEnd, false}, true, [&] {
        cursor = edit::cutMeasures(e.doc, clip, 0, 4, edit::fillerMeasure(e.measure(0, 0)), 4);
    });
    expectWhole(e);
    EXPECT_EQ(cursor, 0);
    EXPECT_EQ(e.doc.measureCount, 1);
    EXPECT_EQ(e.measure(2, 0).instrumentSlot, 2);
    EXPECT_EQ(e.measure(2, 0).beatCount, 1);
    EXPECT_EQ(clip.measureCount(), 5);
    EXPECT_EQ(clip.clipboardTrack, -1);
    e.edit.undo();
    EXPECT_TRUE(e.doc.tracks == opened);
}

TEST(MeasureClipboard, FillersOfAThreeFourScoreAndMoreTracksThanCopied)
{
    et::Editor e;
    marked(e, 1, 3);
    for (int m = 0; m < 3; ++m)
        e.measure(0, m).numerator = 3;
    const CMesure filler = edit::fillerMeasure(e.measure(0, 0));
    ASSERT_EQ(filler.beatCount, 2);
    EXPECT_EQ(filler.beats[0].durationCode, 4);
    EXPECT_EQ(filler.beats[1].durationCode, 5);
    EXPECT_TRUE(filler.beats[0].isRest && filler.beats[1].isRest);

    MeasureClipboard clip;
    clip.copy(e.doc, 0, 1, -1, filler);
    // A second track added since the copy still gets two measures.
    marked(e, 2, 3);
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 3; ++m)
            e.measure(t, m).numerator = 3;
    paste(e, clip, 2, PasteMode::InsertAfter);
    expectWhole(e);
    EXPECT_EQ(e.doc.measureCount, 5);
    EXPECT_TRUE(isRestMeasure(e, 1, 3));
    EXPECT_EQ(e.measure(1, 4).beatCount, 2) << "a quarter and a half rest";
}

TEST(MeasureClipboard, RandomCopiesCutsAndPastesKeepTheScoreWholeAndUndoGivesItBack)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        et::Editor e;
        marked(e, pick(1, 4), pick(1, 8));
        const auto opened = e.doc.tracks;
        MeasureClipboard clip;
        int steps = 0;
        for (int i = 0; i < 12; ++i) {
            const int count = e.doc.measureCount;
            const int f = pick(0, count - 1);
            const int l = pick(f, count - 1);
            e.state.cursorTrack = pick(0, e.doc.trackCount - 1);
            switch (pick(0, 2)) {
            case 0:
                clip.copy(e.doc, f, l, pick(0, 1) ? -1 : e.state.cursorTrack, edit::fillerMeasure(e.measure(0, f)));
                break;
            case 1:
                e.edit.applyChange(StepKind::Cut, {ScoreRegion::tracksInUse(e.doc), edit::cutTouchesFrom(f), ScoreRegion::kToEnd, false},
                                   true, [&] { edit::cutMeasures(e.doc, clip, f, l, edit::fillerMeasure(e.measure(0, f)), l); });
                ++steps;
                break;
            default:
                if (clip.empty())
                    continue;
                paste(e, clip, f, pick(0, 1) ? PasteMode::Replace : PasteMode::InsertAfter);
                ++steps;
            }
            expectWhole(e);
        }
        while (e.edit.history().canUndo())
            e.edit.undo();
        EXPECT_TRUE(e.doc.tracks == opened) << "seed " << seed << " after " << steps << " steps";
    }
}
