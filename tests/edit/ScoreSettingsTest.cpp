// Score settings: what the dialogs accept, in which order mistakes are
// reported, and what an accepted answer does to every track, undone exactly.
#include "EditFixture.h"
#include "ScoreCheck.h"
#include "ScoreSettingsEdits.h"

#include <gtest/gtest.h>

#include <climits>

using edit::MeasureRange;
using edit::ScoreRegion;
using edit::StepKind;

namespace {

// Everything the settings commands may change.
struct Snapshot {
    std::array<CArray<CMesure>, model::kMaxTracks> tracks;
    int scoreTempo, scoreNumerator, scoreDenominator, measureCount;
    std::array<int, model::kMaxTracks> capo;
    edit::ScoreProperties properties;
    explicit Snapshot(const CTabDoc& d)
        : tracks(d.tracks), scoreTempo(d.scoreTempo), scoreNumerator(d.scoreNumerator),
          scoreDenominator(d.scoreDenominator), measureCount(d.measureCount), capo(d.capo),
          properties(edit::ScoreProperties::of(d))
    {
    }
    bool operator==(const Snapshot&) const = default;
};

// Applies a change through the history as the window does, checks the
// score's invariants, then checks that undo gives the score back.
template <typename Change, typename Check>
void changeThenUndo(et::Editor& e, StepKind kind, const ScoreRegion& region, Change change, Check check)
{
    const Snapshot before(e.doc);
    ASSERT_TRUE(e.edit.applyChange(kind, region, true, change).scoreChanged);
    ASSERT_EQ(model::scoreProblem(e.doc), "");
    EXPECT_EQ(e.doc.isSaved, 0);
    check();
    ASSERT_TRUE(e.edit.undo().scoreChanged);
    EXPECT_TRUE(Snapshot(e.doc) == before);
    EXPECT_EQ(e.doc.isSaved, 1);
}

// The fixture's score, with the last-measure flag a saved file would have.
void score(et::Editor& e, int tracks, int measures)
{
    e.score(tracks, measures);
    for (int t = 0; t < tracks; ++t)
        e.measure(t, measures - 1).flags |= model::kFlagLast;
}

ScoreRegion allMeasures(const et::Editor& e)
{
    return {ScoreRegion::tracksInUse(e.doc), 0, ScoreRegion::kToEnd, true};
}

} // namespace

TEST(ScoreSettings, TypedNumbersAndTheOrderOfTheMessages)
{
    EXPECT_EQ(edit::readNumber(""), 0);
    EXPECT_EQ(edit::readNumber("007"), 7);
    EXPECT_EQ(edit::readNumber("99999999999999999999"), INT_MAX);

    const int measures = 12;
    struct Case {
        int a, b;
        MeasureRange range;
        const char* message;
    };
    const Case signatures[] = {
        {17, 3, {0, 0}, edit::kBadBeatsPerMeasure}, // the beats come first
        {0, 4, {1, 1}, edit::kBadBeatsPerMeasure},
        {16, 64, {1, 12}, nullptr},
        {4, 3, {0, 0}, edit::kBadBeatUnit},
        {4, 0, {1, 1}, edit::kBadBeatUnit},
        {4, 4, {0, 0}, edit::kBadFirstMeasure}, // an empty first field
        {4, 4, {13, 13}, edit::kBadFirstMeasure},
        {4, 4, {5, 4}, edit::kBadLastMeasure},
        {4, 4, {5, 13}, edit::kBadLastMeasure},
        {1, 1, {12, 12}, nullptr},
    };
    for (const Case& c : signatures)
        EXPECT_STREQ(edit::checkSignature(c.a, c.b, c.range, measures), c.message) << c.a << "/" << c.b;

    EXPECT_STREQ(edit::checkTempo(0, {0, 0}, measures), "Vous devez entrer une valeur comprise entre  1 et 500");
    EXPECT_STREQ(edit::checkTempo(501, {1, 1}, measures), edit::kBadTempo);
    EXPECT_STREQ(edit::checkTempo(500, {INT_MAX, INT_MAX}, measures), edit::kBadFirstMeasure);
    EXPECT_STREQ(edit::checkTempo(1, {1, 12}, measures), nullptr);
    EXPECT_STREQ(edit::checkCapo(12), nullptr);
    EXPECT_STREQ(edit::checkCapo(13), "Vous devez entrer une valeur comprise entre 0 et 12");
    EXPECT_STREQ(edit::checkRepeatCount(0), "Vous devez entrer une valeur supérieure ou égale à 1");
    EXPECT_STREQ(edit::checkRepeatCount(1), nullptr);
}

TEST(ScoreSettings, SignatureOverARangeAndTheScoreLevelRule)
{
    et::Editor e;
    score(e, 2, 12);
    // Cursor on measure 5, the dialog's defaults: 5 to 12.
    changeThenUndo(
        e, StepKind::Signature, ScoreRegion::measures(ScoreRegion::tracksInUse(e.doc), 4, 8),
        [&] { edit::setSignature(e.doc, 3, 4, 4, 11, false); },
        [&] {
            for (int t = 0; t < 2; ++t)
                for (int m = 0; m < 12; ++m)
                    EXPECT_EQ(e.measure(t, m).numerator, m >= 4 ? 3 : 4) << t << " " << m;
            EXPECT_EQ(e.doc.scoreNumerator, 4);
        });
    // Cursor on measure 1, range 4 to 6: the score's own signature follows.
    changeThenUndo(
        e, StepKind::Signature, allMeasures(e), [&] { edit::setSignature(e.doc, 6, 8, 3, 5, true); },
        [&] {
            EXPECT_EQ(e.measure(1, 3).denominator, 8);
            EXPECT_EQ(e.measure(1, 6).denominator, 4);
            EXPECT_EQ(e.measure(0, 0).numerator, 4);
            EXPECT_EQ(e.doc.scoreNumerator, 6);
            EXPECT_EQ(e.doc.scoreDenominator, 8);
        });
}

TEST(ScoreSettings, TempoReachesTheScoreOnlyFromTheFirstMeasure)
{
    et::Editor e;
    score(e, 3, 6);
    changeThenUndo(
        e, StepKind::Tempo, allMeasures(e), [&] { edit::setTempo(e.doc, 90, 0, 5); },
        [&] {
            for (int t = 0; t < 3; ++t)
                for (int m = 0; m < 6; ++m)
                    EXPECT_EQ(e.measure(t, m).tempo, 90);
            EXPECT_EQ(e.doc.scoreTempo, 90);
        });
    changeThenUndo(
        e, StepKind::Tempo, allMeasures(e), [&] { edit::setTempo(e.doc, 120, 1, 2); },
        [&] {
            EXPECT_EQ(e.measure(2, 1).tempo, 120);
            EXPECT_EQ(e.measure(2, 3).tempo, 60);
            EXPECT_EQ(e.doc.scoreTempo, 60);
        });
}

TEST(ScoreSettings, RepeatMarksOnEveryTrackAndTheEndToggledTwice)
{
    et::Editor e;
    score(e, 2, 4);
    const ScoreRegion second = ScoreRegion::measures(ScoreRegion::tracksInUse(e.doc), 1, 1);
    // A count left in the flags by a file without its end mark is replaced, not mixed in.
    e.measure(0, 1).flags = 64 | model::kFlagMiddle;
    e.measure(1, 1).flags = 64 | model::kFlagMiddle;
    changeThenUndo(
        e, StepKind::RepeatEnd, second, [&] { edit::setRepeatEnd(e.doc, 1, 3); },
        [&] {
            EXPECT_EQ(e.measure(0, 1).flags, 3 * 32 + 16 + model::kFlagMiddle);
            EXPECT_EQ(e.measure(1, 1).flags, 3 * 32 + 16 + model::kFlagMiddle);
            EXPECT_TRUE(edit::hasRepeatEnd(e.doc, 1, 1));
            // Toggled a second time: end and count go together.
            ASSERT_TRUE(e.edit.applyChange(StepKind::RepeatEnd, second, true, [&] {
                                 edit::clearRepeatEnd(e.doc, 1);
                             }).scoreChanged);
            EXPECT_EQ(e.measure(1, 1).flags, model::kFlagMiddle);
            ASSERT_TRUE(e.edit.undo().scoreChanged);
        });
    changeThenUndo(
        e, StepKind::RepeatStart, second, [&] { edit::toggleRepeatStart(e.doc, 1); },
        [&] {
            EXPECT_TRUE(edit::hasRepeatStart(e.doc, 1, 1));
            e.edit.applyChange(StepKind::RepeatStart, second, true, [&] { edit::toggleRepeatStart(e.doc, 1); });
            EXPECT_FALSE(edit::hasRepeatStart(e.doc, 0, 1));
            e.edit.undo();
        });
}

TEST(ScoreSettings, CapoGoesOnWhilePlayingAndPropertiesLeaveNoStepWhenUnchanged)
{
    et::Editor e;
    score(e, 2, 2);
    e.state.isPlaying = true;
    ASSERT_TRUE(e.edit.applyChange(StepKind::Capo, ScoreRegion::settings(), false, [&] { e.doc.capo[1] = 12; })
                    .scoreChanged);
    EXPECT_EQ(e.playback.stops, 0);
    EXPECT_EQ(e.doc.capo[1], 12);
    e.edit.undo();
    EXPECT_EQ(e.doc.capo[1], 0);
    e.state.isPlaying = false;

    edit::ScoreProperties p = edit::ScoreProperties::of(e.doc);
    EXPECT_FALSE(e.edit.applyChange(StepKind::Properties, ScoreRegion::settings(), false, [&] { p.applyTo(e.doc); })
                     .scoreChanged);
    EXPECT_EQ(e.doc.isSaved, 1);
    EXPECT_FALSE(e.edit.history().canUndo());
    p = {"Riff", "Moi", "Toi", "ligne 1\nligne 2", true, false, false};
    changeThenUndo(
        e, StepKind::Properties, ScoreRegion::settings(), [&] { p.applyTo(e.doc); },
        [&] {
            EXPECT_TRUE(edit::ScoreProperties::of(e.doc) == p);
            EXPECT_EQ(e.doc.tripletFeel, 1);
            EXPECT_EQ(e.doc.showTabber, 0);
        });
}
