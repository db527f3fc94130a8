// The edit history: every change undone and redone exactly, one step per
// action, and the modified state following it.
#include "EditCommand.h"
#include "EditFixture.h"
#include "ScoreCheck.h"
#include "ScoreFactory.h"
#include "TbfFormat.h"
#include "TrackMixer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <random>

using edit::Key;
using edit::CursorPlace;
using edit::StepKind;

namespace {

std::string undoMenu(const et::Editor& e)
{
    const auto kind = e.edit.history().undoKind();
    return edit::undoText(kind ? &*kind : nullptr);
}

std::string redoMenu(const et::Editor& e)
{
    const auto kind = e.edit.history().redoKind();
    return edit::redoText(kind ? &*kind : nullptr);
}

} // namespace

TEST(History, RandomEditsUndoneAndRedoneGiveTheSameFiles)
{
    const Key keys[] = {Key::Space,  Key::Left,   Key::Right,    Key::Right,         Key::Right,
                        Key::Up,     Key::Down,   Key::Insert,   Key::Delete,        Key::Letter,
                        Key::Digit,  Key::Digit,  Key::Digit,    Key::KeypadAdd,     Key::KeypadSubtract,
                        Key::PageUp, Key::PageDown, Key::KeypadDecimal, Key::KeypadMultiply, Key::Home};
    const int commands[] = {edit::kWhole,      edit::kEighth,     edit::kTriplet,      edit::kRest,
                            edit::kBend,       edit::kBarDip,     edit::kArpeggio,     edit::kPalmMute,
                            edit::kDeadNote,   edit::kInsertBeat, edit::kDeleteBeat,   edit::kInsertMeasure,
                            edit::kTie,        edit::kHammerOn,   edit::kVibrato,      edit::kDotted};
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        et::Editor e;
        factory::randomScore(e.doc, rng, 4, 8);
        e.doc.isSaved = 1;
        e.state.resetForNewScore();
        e.cursorAt(pick(0, e.doc.trackCount - 1), pick(0, e.doc.measureCount - 1), pick(0, 6), pick(0, 5));
        const std::string before = tbf::write(e.doc);

        CursorPlace last;
        for (int step = 0; step < 300; ++step) {
            e.dialogs.amounts = {pick(-1, 7)};
            e.dialogs.directions = {pick(-1, 1)};
            edit::EditOutcome out;
            if (pick(0, 3) > 0) {
                const Key k = keys[pick(0, static_cast<int>(std::size(keys)) - 1)];
                out = e.key(k, k == Key::Letter ? pick('A', 'Z') : pick(0, 9));
            } else {
                out = e.command(commands[pick(0, static_cast<int>(std::size(commands)) - 1)]);
            }
            if (out.change)
                last = out.change->cursorAfter;
            if (e.state.isPlaying)
                e.state.isPlaying = false;
            ASSERT_EQ(model::scoreProblem(e.doc), "") << "seed " << seed << " step " << step;
        }
        const std::string after = tbf::write(e.doc);
        ASSERT_TRUE(e.edit.history().canUndo()) << "seed " << seed;
        EXPECT_EQ(e.doc.isSaved, 0);

        int undone = 0;
        while (e.edit.history().canUndo()) {
            ASSERT_TRUE(e.edit.undo().scoreChanged);
            ASSERT_EQ(model::scoreProblem(e.doc), "") << "seed " << seed << " undo " << undone;
            ++undone;
        }
        EXPECT_EQ(tbf::write(e.doc), before) << "seed " << seed;
        EXPECT_EQ(e.doc.isSaved, 1) << "back where it was opened";
        EXPECT_FALSE(e.edit.undo().scoreChanged);

        for (int i = 0; i < undone; ++i) {
            ASSERT_TRUE(e.edit.redo().scoreChanged);
            ASSERT_EQ(model::scoreProblem(e.doc), "") << "seed " << seed << " redo " << i;
        }
        EXPECT_FALSE(e.edit.history().canRedo());
        EXPECT_EQ(tbf::write(e.doc), after) << "seed " << seed;
        EXPECT_EQ(e.edit.place(), last);
        EXPECT_EQ(e.doc.isSaved, 0);
    }
}

TEST(History, StepsJoinTypingAndNameWhatTheyUndo)
{
    et::Editor e;
    e.score(1, 2);
    e.cursorAt(0, 0, 0, 2);
    EXPECT_EQ(undoMenu(e), "Impossible d'annuler\tCtrl+Z");
    EXPECT_EQ(redoMenu(e), "Impossible de rétablir\tCtrl+Y");

    // Two digits in a row on one note: one step; a cursor move breaks the run.
    e.type("12");
    EXPECT_EQ(e.noteAt(0, 0, 0, 2).fret, 12);
    EXPECT_EQ(e.edit.history().stepCount(), 1u);
    EXPECT_EQ(undoMenu(e), "Annuler la saisie\tCtrl+Z");
    e.key(Key::Down);
    e.key(Key::Up);
    e.type("1");
    EXPECT_EQ(e.edit.history().stepCount(), 2u);

    // Moves and keys that change nothing are not steps.
    e.key(Key::Left);
    e.key(Key::PageDown);
    EXPECT_EQ(e.edit.history().stepCount(), 2u);

    e.command(edit::kInsertMeasure);
    EXPECT_EQ(undoMenu(e), "Annuler l'insertion de mesure\tCtrl+Z");
    EXPECT_EQ(e.doc.measureCount, 3);
    const auto undone = e.edit.undo();
    EXPECT_EQ(e.doc.measureCount, 2);
    EXPECT_TRUE(undone.showCursor);
    EXPECT_EQ(redoMenu(e), "Rétablir l'insertion de mesure\tCtrl+Y");
    EXPECT_EQ(undoMenu(e), "Annuler la saisie\tCtrl+Z");

    // Undo puts back the fret and the cursor where it was typed.
    e.cursorAt(0, 1, 0, 0);
    e.edit.undo();
    EXPECT_EQ(e.noteAt(0, 0, 0, 2).fret, 12);
    EXPECT_EQ(e.state.cursorMeasure.measure, 0);
    EXPECT_EQ(e.state.cursorString, 2);
    e.edit.undo();
    EXPECT_NE(e.noteAt(0, 0, 0, 2).fret, 12);

    // A new change ends every redo.
    e.type("5");
    EXPECT_FALSE(e.edit.history().canRedo());
}

TEST(History, ModifiedStateFollowsTheSavedPointAcrossTheTidyUp)
{
    TempDir dir;
    const std::string path = dir.file("history.tbf");
    et::Editor e;
    e.newScore();
    EXPECT_EQ(e.doc.isSaved, 1);
    e.cursorAt(0, 0, 0, 0);
    e.type("3");
    EXPECT_EQ(e.doc.isSaved, 0);
    e.edit.undo();
    EXPECT_EQ(e.doc.isSaved, 1) << "back to the score as created";
    e.edit.redo();
    EXPECT_EQ(e.doc.isSaved, 0);

    // Right past the end grows the score; saving tidies the empty measure away.
    e.key(Key::Right);
    e.key(Key::Right);
    ASSERT_TRUE(e.doc.OnSaveDocument(path));
    const std::string saved = TempDir::read(path);
    EXPECT_EQ(e.doc.isSaved, 1);
    e.edit.undo();
    EXPECT_EQ(e.doc.isSaved, 0);
    ASSERT_EQ(model::scoreProblem(e.doc), "");
    e.edit.redo();
    EXPECT_EQ(e.doc.isSaved, 1) << "redone up to the saved score";
    EXPECT_EQ(tbf::write(e.doc), saved);
    ASSERT_TRUE(e.doc.OnSaveDocument(path));
    EXPECT_EQ(TempDir::read(path), saved);

    // Saved while steps wait to be redone: they still apply exactly.
    while (e.edit.history().canUndo())
        e.edit.undo();
    const std::string first = tbf::write(e.doc);
    e.key(Key::Right);
    e.edit.undo();
    ASSERT_TRUE(e.doc.OnSaveDocument(path));
    while (e.edit.history().canRedo()) {
        e.edit.redo();
        ASSERT_EQ(model::scoreProblem(e.doc), "");
    }
    while (e.edit.history().canUndo()) {
        e.edit.undo();
        ASSERT_EQ(model::scoreProblem(e.doc), "");
    }
    EXPECT_EQ(tbf::write(e.doc), first);

    // An outside change (the track pop-up) keeps the score modified.
    e.type("7");
    ASSERT_TRUE(e.doc.OnSaveDocument(path));
    e.edit.history().markModifiedOutside();
    e.type("1");
    e.edit.undo();
    EXPECT_EQ(e.doc.isSaved, 0);

    // New and Open start a new history.
    ASSERT_TRUE(e.doc.OnOpenDocument(path));
    EXPECT_FALSE(e.edit.history().canUndo());
    EXPECT_FALSE(e.edit.history().canRedo());
}

TEST(History, ADigitInABigScoreCostsLittle)
{
    et::Editor e;
    factory::denseScore(e.doc, 10, 1000, 8, 3);
    e.doc.isSaved = 1;
    e.cursorAt(3, 500, 2, 1);
    const std::size_t before = e.edit.history().bytes();
    e.type("7");
    ASSERT_EQ(e.edit.history().stepCount(), 1u);
    EXPECT_LT(e.edit.history().bytes() - before, 4096u);
}

TEST(History, SettingsStepsLeaveLaterMixerChangesAlone)
{
    et::Editor e;
    e.score(2, 2);
    edit::TrackMixer mixer(e.doc);
    const auto region = edit::ScoreRegion::settings();
    e.edit.applyChange(StepKind::Properties, region, false, [&] { e.doc.title = "Riff"; });
    // The pop-up is not part of the history: undoing the title keeps its volume.
    mixer.setVolume(1, 30);
    mixer.setSolo(0, true);
    e.edit.undo();
    EXPECT_NE(e.doc.title, "Riff");
    EXPECT_EQ(e.doc.volume[1], 30);
    EXPECT_EQ(e.doc.soloTrack, 1);
    e.edit.redo();
    EXPECT_EQ(e.doc.title, "Riff");
    EXPECT_EQ(e.doc.volume[1], 30);

    // A step that set the volumes takes them back, and gives them again.
    e.edit.applyChange(StepKind::Volumes, region, true, [&] { mixer.applyVolumes({70, 60}); });
    e.edit.undo();
    EXPECT_EQ(e.doc.volume[0], 100);
    EXPECT_EQ(e.doc.volume[1], 30);
    e.edit.redo();
    EXPECT_EQ(e.doc.volume[0], 70);
    EXPECT_EQ(e.doc.volume[1], 60);
}
