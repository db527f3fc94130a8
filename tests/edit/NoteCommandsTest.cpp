#include "EditCommand.h"
#include "EditFixture.h"

#include <gtest/gtest.h>

using namespace edit;

namespace {
struct Notes : et::Editor {
    Notes()
    {
        setBeats(0, 0, et::fourQuarters(5));
        cursorAt(0, 0, 0, 0);
    }
    CAccord& beatAt(int b) { return measure(0, 0).beats[b]; }
    CNote& noteHere() { return beatAt(state.cursorBeat).notes[0]; }
    bool isChecked(int id) { return edit.checked(id).value_or(false); }
};
} // namespace

TEST(NoteCommands, TechniquesReplaceEachOtherAndToggleOff)
{
    Notes e;
    e.command(kPullOff);
    e.command(kHammerOn);
    EXPECT_EQ(e.noteHere().technique, model::kHammerOn);
    EXPECT_TRUE(e.isChecked(kHammerOn));
    EXPECT_FALSE(e.isChecked(kPullOff));
    e.command(kHammerOn);
    EXPECT_EQ(e.noteHere().technique, 0);
    const std::pair<int, int> table[] = {{kSlideUp, 3},        {kSlideDown, 4},        {kLeftHandTapping, 5},
                                         {kTapping, 6},        {kNaturalHarmonic, 7},  {kArtificialHarmonic, 8}};
    for (auto [id, code] : table) {
        e.command(id);
        EXPECT_EQ(e.noteHere().technique, code) << id;
        EXPECT_TRUE(e.isChecked(id)) << id;
    }
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);
}

TEST(NoteCommands, SlapAndPopOnlyOnABass)
{
    Notes e;
    e.command(kPop);
    e.command(kSlap);
    EXPECT_EQ(e.noteHere().technique, 0);
    EXPECT_FALSE(e.isChecked(kPop));
    EXPECT_EQ(e.doc.isSaved, 1) << "nothing changed: no edit";
    // One that came from a file can still be taken off.
    e.noteHere().technique = model::kPop;
    e.command(kPop);
    EXPECT_EQ(e.noteHere().technique, 0);

    e.doc.slotInstrument[0] = model::kBass;
    e.cursorAt(0, 0, 0, 0); // top bass string: note slot 2
    e.command(kPop);
    EXPECT_EQ(e.beatAt(0).notes[2].technique, model::kPop);
    EXPECT_TRUE(e.isChecked(kPop));
    e.command(kSlap);
    EXPECT_EQ(e.beatAt(0).notes[2].technique, model::kSlap);
}

TEST(NoteCommands, SilenceEmptiesTheBeatAndComesBackWithoutNotes)
{
    Notes e;
    e.beatAt(0).notes[3].fret = 2;
    e.command(kRest);
    EXPECT_EQ(e.beatAt(0).isRest, 1);
    for (const CNote& n : e.beatAt(0).notes)
        EXPECT_TRUE(n.isEmpty());
    EXPECT_TRUE(e.isChecked(kRest));
    e.command(kRest);
    EXPECT_EQ(e.beatAt(0).isRest, 0);
    EXPECT_TRUE(e.beatAt(0).hasNoFrets());
}

TEST(NoteCommands, DeadNoteOnARestMakesANoteBeatAndRelaysOut)
{
    Notes e;
    e.beatAt(1) = et::rest(4);
    e.state.cursorBeat = 1;
    e.noteHere().technique = model::kTapping;
    e.command(kDeadNote);
    EXPECT_EQ(e.beatAt(1).isRest, 0);
    EXPECT_EQ(e.noteHere().fret, model::kDeadFret);
    EXPECT_EQ(e.noteHere().technique, model::kTapping);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawAll);
    EXPECT_FALSE(e.edit.checked(kDeadNote).has_value()) << "no update handler";
}

TEST(NoteCommands, BendAsksForTheAmountAndReplacesAnotherKind)
{
    Notes e;
    e.noteHere().bend = 3 * 16 + model::kBendRelease;
    e.dialogs.amounts = {2};
    e.command(kBend);
    EXPECT_EQ(e.dialogs.amountAsked, 1);
    EXPECT_EQ(e.noteHere().bend, 33);
    EXPECT_TRUE(e.isChecked(kBend));
    EXPECT_FALSE(e.isChecked(kRelease));
    e.command(kBend);
    EXPECT_EQ(e.noteHere().bend, 0);

    // Cancelled: nothing changes and the score stays unmodified, but it is repainted.
    e.doc.isSaved = 1;
    e.state.redrawLevel = view::kRedrawContents;
    const auto out = e.command(kBendRelease);
    EXPECT_EQ(e.noteHere().bend, 0);
    EXPECT_EQ(e.doc.isSaved, 1);
    EXPECT_TRUE(out.repaint);
    EXPECT_EQ(e.state.redrawLevel, view::kRedrawLayout);

    e.dialogs.amounts = {7};
    e.command(kBendRelease);
    EXPECT_EQ(e.noteHere().bend, 7 * 16 + 8);
}

TEST(NoteCommands, ReleaseAndHeldBendCarryTheAmountOfTheBendBefore)
{
    Notes e;
    e.beatAt(0).notes[0].bend = 4 * 16 + model::kBendBend;
    e.state.cursorBeat = 1;
    e.type("r");
    EXPECT_EQ(e.noteHere().bend, 68);
    EXPECT_EQ(e.dialogs.amountAsked, 0);

    // A held bend carries on too.
    e.beatAt(1).notes[0].bend = 5 * 16 + model::kBendHeld;
    e.state.cursorBeat = 2;
    e.command(kHeldBend);
    EXPECT_EQ(e.noteHere().bend, 5 * 16 + model::kBendHeld);
    EXPECT_EQ(e.dialogs.amountAsked, 0);

    // No bend before on this string, or on beat 0: the dialog asks.
    e.state.cursorString = 1;
    e.dialogs.amounts = {1};
    e.command(kRelease);
    EXPECT_EQ(e.beatAt(2).notes[1].bend, 16 + model::kBendRelease);
    e.state.cursorBeat = 0;
    e.dialogs.amounts = {-1};
    e.command(kRelease);
    EXPECT_EQ(e.beatAt(0).notes[1].bend, 0);
    EXPECT_EQ(e.dialogs.amountAsked, 2);
}

TEST(NoteCommands, VibratoKindsAndTheBarDipAmount)
{
    Notes e;
    e.type("v");
    EXPECT_EQ(e.noteHere().vibrato, 1);
    e.type("w");
    EXPECT_EQ(e.noteHere().vibrato, 2);
    EXPECT_TRUE(e.isChecked(kTremoloBar));
    EXPECT_FALSE(e.isChecked(kVibrato));
    e.dialogs.amounts = {3};
    e.type("c");
    EXPECT_EQ(e.noteHere().vibrato, 3 * 8 + 4);
    EXPECT_TRUE(e.isChecked(kBarDip));
    e.type("c");
    EXPECT_EQ(e.noteHere().vibrato, 0);
}

TEST(NoteCommands, PalmMuteStartsAndContinuesARun)
{
    Notes e;
    for (int b = 0; b < 3; ++b) {
        e.state.cursorBeat = b;
        e.type("m");
    }
    EXPECT_EQ(e.beatAt(0).palmMute, 1);
    EXPECT_EQ(e.beatAt(1).palmMute, 2);
    EXPECT_EQ(e.beatAt(2).palmMute, 2);
    EXPECT_TRUE(e.isChecked(kPalmMute));
    e.type("m");
    EXPECT_EQ(e.beatAt(2).palmMute, 0);

    Notes alone;
    alone.state.cursorBeat = 1;
    alone.command(kPalmMute);
    EXPECT_EQ(alone.beatAt(1).palmMute, 1);
}

TEST(NoteCommands, ArpeggioAsksTheDirectionAndCancelKeepsTheView)
{
    Notes e;
    e.state.redrawLevel = view::kRedrawContents;
    const auto cancelled = e.command(kArpeggio);
    EXPECT_FALSE(cancelled.repaint);
    EXPECT_EQ(e.beatAt(0).arpeggio, 0);
    EXPECT_EQ(e.doc.isSaved, 1);
    e.dialogs.directions = {0};
    e.command(kArpeggio);
    EXPECT_EQ(e.beatAt(0).arpeggio, 1);
    EXPECT_TRUE(e.isChecked(kArpeggio));
}

TEST(NoteCommands, RhythmCommandsWithTheCursorPastTheEndUseBeatZero)
{
    Notes e;
    e.state.cursorBeat = 9;
    EXPECT_TRUE(e.isChecked(kQuarter)) << "the update handler reads beat 0";
    e.command(kEighth);
    EXPECT_EQ(e.beatAt(0).durationCode, 3);
    EXPECT_EQ(e.state.cursorBeat, 0);
    const std::pair<int, int> table[] = {{kWhole, 6}, {kHalf, 5},          {kQuarter, 4},    {kEighth, 3},
                                         {kSixteenth, 2}, {kThirtySecond, 1}, {kSixtyFourth, 0}};
    for (auto [id, code] : table) {
        e.command(id);
        EXPECT_EQ(e.beatAt(0).durationCode, code);
        EXPECT_TRUE(e.isChecked(id));
    }
    e.command(kDotted);
    e.command(kTriplet);
    e.command(kTie);
    EXPECT_TRUE(e.isChecked(kDotted));
    EXPECT_TRUE(e.isChecked(kTriplet));
    EXPECT_TRUE(e.isChecked(kTie));
    e.command(kDotted);
    EXPECT_FALSE(e.isChecked(kDotted));
}

TEST(NoteCommands, StopPlaybackFirstAndIgnoreOtherIds)
{
    Notes e;
    e.state.isPlaying = true;
    e.command(kTapping);
    EXPECT_EQ(e.playback.stops, 1);
    EXPECT_EQ(e.noteHere().technique, model::kTapping);

    bool handled = true;
    e.doc.isSaved = 1;
    e.edit.command(32815, &handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(e.doc.isSaved, 1);
    EXPECT_FALSE(e.edit.checked(32815).has_value());
}
