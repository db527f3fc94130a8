// Random scores edited by random keys, commands and clicks: nothing throws,
// and the score keeps the shape the file writer and the view rely on.
#include "EditCommand.h"
#include "EditFixture.h"
#include "MeasureEdits.h"
#include "ScoreCheck.h"
#include "ScoreFactory.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

void expectConsistent(const CTabDoc& doc, int startBeatLimit)
{
    ASSERT_GE(doc.measureCount, 1);
    for (int t = 0; t < doc.trackCount; ++t) {
        const auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        ASSERT_GE(measures.GetSize(), doc.measureCount) << "track " << t;
        for (int m = 0; m < doc.measureCount; ++m) {
            const CMesure& x = measures[m];
            ASSERT_EQ(x.index, m);
            ASSERT_GE(x.beatCount, 0);
            ASSERT_LE(x.beatCount, x.beats.GetSize());
            ASSERT_LE(x.beatCount, std::max(edit::kMaxBeatsPerMeasure, startBeatLimit));
            if (t > 0) {
                ASSERT_EQ(x.numerator, doc.tracks[0][m].numerator);
            }
        }
    }
}

} // namespace

TEST(RandomEditing, KeysCommandsAndClicksKeepTheScoreWhole)
{
    const edit::Key keys[] = {edit::Key::Enter,         edit::Key::Space,         edit::Key::PageUp,
                              edit::Key::PageDown,      edit::Key::Home,          edit::Key::Left,
                              edit::Key::Right,         edit::Key::Right,         edit::Key::Right,
                              edit::Key::Up,            edit::Key::Down,          edit::Key::Insert,
                              edit::Key::Delete,        edit::Key::Letter,        edit::Key::Digit,
                              edit::Key::Digit,         edit::Key::KeypadMultiply, edit::Key::KeypadDivide,
                              edit::Key::KeypadDecimal, edit::Key::KeypadAdd,     edit::Key::KeypadSubtract};
    const int commands[] = {edit::kWhole,     edit::kEighth,   edit::kTriplet, edit::kRest,        edit::kBend,
                            edit::kRelease,   edit::kBarDip,   edit::kArpeggio, edit::kPalmMute,   edit::kDeadNote,
                            edit::kInsertBeat, edit::kDeleteBeat, edit::kInsertMeasure, edit::kSlap, edit::kTie};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        et::Editor e;
        factory::randomScore(e.doc, rng, 4, 8);
        e.state.resetForNewScore();
        e.state.cursorTrack = pick(0, e.doc.trackCount - 1);
        e.state.cursorMeasure = {e.state.cursorTrack, pick(0, e.doc.measureCount - 1)};
        e.state.cursorBeat = pick(0, 25);
        e.state.cursorString = pick(0, 5);
        for (int step = 0; step < 400; ++step) {
            e.dialogs.amounts = {pick(-1, 9)};
            e.dialogs.directions = {pick(-1, 2)};
            const int what = pick(0, 9);
            if (what < 7) {
                const edit::Key k = keys[pick(0, static_cast<int>(std::size(keys)) - 1)];
                const int value = k == edit::Key::Letter ? pick('A', 'Z') : pick(0, 9);
                ASSERT_NO_THROW(e.key(k, value)) << "seed " << seed << " step " << step;
            } else if (what < 9) {
                ASSERT_NO_THROW(e.command(commands[pick(0, static_cast<int>(std::size(commands)) - 1)]))
                    << "seed " << seed << " step " << step;
            } else {
                ASSERT_NO_THROW(e.edit.mouseRelease(pick(-50, 1050), pick(-50, 750), e.layout(), 1'000'000))
                    << "seed " << seed << " step " << step;
            }
            // Playback stops now and then, as it would by itself.
            if (e.state.isPlaying && pick(0, 3) == 0)
                e.state.isPlaying = false;
            ASSERT_NO_FATAL_FAILURE(expectConsistent(e.doc, 20));
            ASSERT_EQ(model::scoreProblem(e.doc), "") << "seed " << seed << " step " << step;
        }
        TempDir dir;
        EXPECT_TRUE(e.doc.OnSaveDocument(dir.file("random.tbf"))) << "seed " << seed;
    }
}
