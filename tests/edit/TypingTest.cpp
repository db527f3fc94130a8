#include "EditCommand.h"
#include "EditFixture.h"

#include <gtest/gtest.h>

using edit::Key;

namespace {

struct Typing : et::Editor {
    // The note under the cursor on the top string of the new score's only beat.
    CNote& top() { return noteAt(0, 0, 0, 0); }
    int fretAfter(const std::string& digits)
    {
        key(Key::Space);
        type(digits);
        return top().fret;
    }
};

} // namespace

TEST(Typing, GuitarDigitsBuildNumbersUpTo24AndStartAfreshPastIt)
{
    Typing e;
    e.cursorAt(0, 0, 0, 0);
    EXPECT_EQ(e.fretAfter("12"), 12);
    e.type("4"); // 124 is past the limit
    EXPECT_EQ(e.top().fret, 4);
    EXPECT_EQ(e.fretAfter("25"), 5);
    EXPECT_EQ(e.fretAfter("07"), 7);
    EXPECT_EQ(e.fretAfter("24"), 24);
    EXPECT_EQ(e.fretAfter("3"), 3);
    // A dead note (25) is past the limit too: the digit replaces it.
    e.top().fret = model::kDeadFret;
    e.type("2");
    EXPECT_EQ(e.top().fret, 2);
}

TEST(Typing, DrumDigitsGoUpTo29And27EmptiesTheSlot)
{
    Typing e;
    e.doc.slotInstrument[0] = model::kDrums;
    e.cursorAt(0, 0, 0, 0);
    EXPECT_EQ(e.fretAfter("29"), 29);
    EXPECT_EQ(e.fretAfter("27"), model::kEmptyFret);
    EXPECT_TRUE(e.top().isEmpty());
    // From EMPTY (27, not above 29) a first digit still starts afresh: 272 > 29.
    EXPECT_EQ(e.fretAfter("3"), 3);
}

TEST(Typing, ADigitMarksTheScoreChangedAndKeepsTheNotesOtherFields)
{
    Typing e;
    e.cursorAt(0, 0, 0, 1);
    e.noteAt(0, 0, 0, 1) = CNote{3, model::kHammerOn, 17, 1};
    ASSERT_EQ(e.doc.isSaved, 1);
    const auto out = e.key(Key::Digit, 5);
    EXPECT_EQ(e.doc.isSaved, 0);
    EXPECT_EQ(e.noteAt(0, 0, 0, 1), (CNote{5, model::kHammerOn, 17, 1}));
    EXPECT_TRUE(out.repaint);
    EXPECT_TRUE(out.scoreChanged);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawContents);
    EXPECT_FALSE(e.state.cursorMovedInMeasure) << "the whole contents are repainted, not just the cursor";
}

TEST(Typing, IntoARestMakesANoteBeatAndAsksForAFullRelayout)
{
    Typing e;
    e.setBeats(0, 0, {et::rest(6)});
    e.cursorAt(0, 0, 0, 2);
    e.key(Key::Digit, 7);
    const CAccord& b = e.measure(0, 0).beats[0];
    EXPECT_EQ(b.isRest, 0);
    EXPECT_EQ(b.notes[2].fret, 7);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawAll);
}

TEST(Typing, BassStavesUseTheLastFourNoteSlots)
{
    Typing e;
    e.doc.slotInstrument[0] = model::kBass;
    e.cursorAt(0, 0, 0, 0);
    e.type("3");
    EXPECT_EQ(e.noteAt(0, 0, 0, 2).fret, 3);
    e.cursorAt(0, 0, 0, 3);
    e.type("5");
    EXPECT_EQ(e.noteAt(0, 0, 0, 5).fret, 5);
    // A staff line left over from a six-string track lands on the bottom string.
    e.cursorAt(0, 0, 0, 5);
    e.type("9");
    EXPECT_EQ(e.noteAt(0, 0, 0, 5).fret, 9);
    EXPECT_EQ(e.state.cursorString, 3);
}

TEST(Typing, SpaceClearsTheWholeNoteButNotTheRestMark)
{
    Typing e;
    e.cursorAt(0, 0, 0, 0);
    e.top() = CNote{5, model::kTapping, 33, 12};
    e.measure(0, 0).beats[0].isRest = 1;
    e.doc.isSaved = 1;
    e.key(Key::Space);
    EXPECT_TRUE(e.top().isEmpty());
    EXPECT_EQ(e.measure(0, 0).beats[0].isRest, 1);
    EXPECT_EQ(e.doc.isSaved, 0);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawContents);
}

TEST(Typing, DuringPlaybackSpaceOnlyStopsAndDigitsStopThenType)
{
    Typing e;
    e.cursorAt(0, 0, 0, 0);
    e.top().fret = 5;
    e.state.isPlaying = true;
    e.key(Key::Space);
    EXPECT_EQ(e.playback.stops, 1);
    EXPECT_FALSE(e.state.isPlaying);
    EXPECT_EQ(e.top().fret, 5);
    EXPECT_EQ(e.doc.isSaved, 1);

    e.state.isPlaying = true;
    e.type("8");
    EXPECT_EQ(e.playback.stops, 2);
    EXPECT_EQ(e.top().fret, 8);
}

TEST(Typing, KeypadPlusAndMinusChangeTheDurationWithinBoundsWithoutStopping)
{
    Typing e;
    e.state.isPlaying = true;
    e.key(Key::KeypadAdd);
    e.key(Key::KeypadAdd);
    EXPECT_EQ(e.measure(0, 0).beats[0].durationCode, 6);
    e.key(Key::KeypadAdd);
    EXPECT_EQ(e.measure(0, 0).beats[0].durationCode, 6);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);
    for (int i = 0; i < 8; ++i)
        e.key(Key::KeypadSubtract);
    EXPECT_EQ(e.measure(0, 0).beats[0].durationCode, 0);
    EXPECT_EQ(e.playback.stops, 0);
    EXPECT_TRUE(e.state.isPlaying);
    EXPECT_EQ(e.doc.isSaved, 0);
}

TEST(Typing, LettersAndKeypadOperatorsRunTheirCommandsWhateverTheCase)
{
    Typing e;
    e.cursorAt(0, 0, 0, 0);
    e.type("5h");
    EXPECT_EQ(e.top().technique, model::kHammerOn);
    e.type("P");
    EXPECT_EQ(e.top().technique, model::kPullOff);
    e.key(Key::KeypadDivide);
    EXPECT_EQ(e.top().technique, model::kSlideUp);
    e.key(Key::KeypadMultiply);
    EXPECT_EQ(e.top().technique, model::kSlideDown);
    e.key(Key::KeypadDecimal);
    EXPECT_EQ(e.measure(0, 0).beats[0].isDotted, 1);
    e.type("lvw");
    EXPECT_EQ(e.measure(0, 0).beats[0].isTied, 1);
    EXPECT_EQ(e.top().vibrato, model::kVibratoTremoloBar);
    e.type("x");
    EXPECT_EQ(e.top().fret, model::kDeadFret);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawAll);
    // Letters without a command do nothing at all.
    e.doc.isSaved = 1;
    const auto out = e.key(Key::Letter, 'Q');
    EXPECT_FALSE(out.repaint);
    EXPECT_EQ(e.doc.isSaved, 1);
}

TEST(Typing, EnterRemembersWhereItStartedAndRestartsThereDuringPlayback)
{
    Typing e;
    e.score(2, 6);
    e.cursorAt(0, 3, 0, 4);
    e.key(Key::Enter);
    EXPECT_EQ(e.doc.isSaved, 1);
    ASSERT_EQ(e.playback.playedFrom.size(), 1u);
    EXPECT_EQ(e.playback.playedFrom[0], (view::MeasureRef{0, 3}));
    EXPECT_EQ(e.edit.replayMeasure(), (view::MeasureRef{0, 3}));
    EXPECT_TRUE(e.state.isPlaying);

    // Playback has moved on and the user switched to track 1.
    e.cursorAt(1, 5, 1, 0);
    e.key(Key::Enter);
    EXPECT_EQ(e.edit.replayTrack(), 1);
    EXPECT_EQ(e.state.cursorMeasure, (view::MeasureRef{1, 3}));
    EXPECT_EQ(e.state.cursorBeat, 0);
    EXPECT_EQ(e.state.cursorString, 2);
    EXPECT_EQ(e.state.cursorMeasureIndex, 3) << "where a stop puts the cursor back";
    ASSERT_EQ(e.playback.playedFrom.size(), 2u);
    EXPECT_EQ(e.playback.playedFrom[1], (view::MeasureRef{1, 3}));
}
