// Tracks: add, delete, instrument ranges, tuning and the shown tracks, each
// one step of the history that undo takes back whole.
#include "EditFixture.h"
#include "ScoreCheck.h"
#include "ScoreFactory.h"
#include "TbfFormat.h"
#include "TrackCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using edit::ScoreRegion;
using edit::StepKind;
using edit::TrackCommands;

namespace {

// A score of `tracks` tracks of `measures` measures; measure m has tempo 60 + m
// and, from measure 2 on, 3/4.
void shapedScore(et::Editor& e, int tracks, int measures)
{
    e.score(tracks, measures);
    for (int t = 0; t < tracks; ++t)
        for (int m = 0; m < measures; ++m) {
            CMesure& x = e.measure(t, m);
            x.tempo = 60 + m;
            x.numerator = m >= 2 ? 3 : 4;
            x.flags |= m == measures - 1 ? model::kFlagLast : 0;
        }
    e.doc.isSaved = 1;
}

// Runs a track command as the window does and checks the score is whole.
template <typename F>
edit::EditOutcome run(et::Editor& e, StepKind kind, F f)
{
    TrackCommands tracks(e.doc, e.state);
    const ScoreRegion region = kind == StepKind::AddTrack ? edit::addTrackRegion(e.doc) : edit::tracksRegion(e.doc);
    const edit::EditOutcome out = e.edit.applyChange(kind, region, true, [&] { f(tracks); });
    EXPECT_EQ(model::scoreProblem(e.doc), "");
    return out;
}

int codeAt(const et::Editor& e, int t, int m)
{
    return e.doc.instrumentOfSlot(e.doc.tracks[static_cast<std::size_t>(t)][m].instrumentSlot);
}

int unusedSlots(const CTabDoc& doc)
{
    std::vector<bool> used(static_cast<std::size_t>(doc.slotCount), false);
    for (int t = 0; t < doc.trackCount; ++t)
        for (int m = 0; m < doc.measureCount; ++m)
            used[static_cast<std::size_t>(doc.tracks[static_cast<std::size_t>(t)][m].instrumentSlot)] = true;
    return static_cast<int>(std::count(used.begin(), used.end(), false));
}

} // namespace

TEST(Tracks, AddedTrackCopiesTheMeasureHeadersAndBecomesTheEditedTrack)
{
    struct Case {
        const char* title;
        int code;
        const char* name;
        int latency;
    };
    for (const Case c : {Case{"", model::kBass, "Basse", 7}, Case{"", model::kDrums, "Batterie", 0},
                         Case{"Rythmique", model::kClassicalGuitar, "Rythmique", 7}}) {
        et::Editor e;
        shapedScore(e, 1, 5);
        // What a deleted second track may have left behind.
        e.doc.pan[1] = 5;
        e.doc.mute[1] = 1;
        const std::string before = tbf::write(e.doc);
        const auto out = run(e, StepKind::AddTrack, [&](TrackCommands& t) { EXPECT_TRUE(t.addTrack(c.title, c.code)); });
        ASSERT_TRUE(out.change);
        EXPECT_TRUE(out.change->settings);
        EXPECT_EQ(e.doc.trackCount, 2);
        EXPECT_EQ(e.doc.trackNames[1], c.name);
        EXPECT_EQ(e.doc.arpeggioLatency[1], c.latency);
        EXPECT_EQ(e.doc.pan[1], 50);
        EXPECT_EQ(e.doc.mute[1], 0);
        EXPECT_EQ(e.doc.instrumentOfTrack(1), c.code);
        EXPECT_EQ(e.state.cursorTrack, 1);
        EXPECT_EQ(e.state.cursorMeasure.track, 1);
        for (int m = 0; m < 5; ++m) {
            const CMesure& x = e.measure(1, m);
            EXPECT_EQ(x.beatCount, 1);
            EXPECT_EQ(x.tempo, 60 + m);
            EXPECT_EQ(x.numerator, e.measure(0, m).numerator);
            EXPECT_EQ(x.flags, e.measure(0, m).flags);
        }
        e.edit.undo();
        EXPECT_EQ(tbf::write(e.doc), before);
        EXPECT_EQ(e.doc.isSaved, 1);
    }
}

TEST(Tracks, NoEleventhTrack)
{
    et::Editor e;
    shapedScore(e, 10, 2);
    run(e, StepKind::AddTrack, [](TrackCommands& t) { EXPECT_FALSE(t.addTrack("", 0)); });
    EXPECT_EQ(e.doc.trackCount, 10);
    EXPECT_FALSE(e.edit.history().canUndo());
}

TEST(Tracks, DeletingMovesTheLaterTracksDownWithTheirSettings)
{
    struct Case {
        int deleted;
        int cursorAfter;
    };
    for (const Case c : {Case{1, 1}, Case{2, 1}, Case{0, 0}}) {
        et::Editor e;
        shapedScore(e, 3, 4);
        for (int t = 0; t < 3; ++t) {
            const auto ti = static_cast<std::size_t>(t);
            e.doc.trackNames[ti] = "piste " + std::to_string(t);
            e.doc.tuning[ti] = {t, 7, 12, 17, 21, 26};
            e.doc.capo[ti] = t + 1;
            e.doc.volume[ti] = 50 + t;
            e.doc.arpeggioLatency[ti] = 10 + t;
            e.doc.pan[ti] = 20 + t;
            e.doc.mute[ti] = t == 2 ? 1 : 0;
            e.doc.slotInstrument[ti] = t == 2 ? model::kBass : model::kFolkGuitar;
            e.measure(t, 0).beats[0].notes[0].fret = t;
        }
        e.doc.soloTrack = 3; // the last track
        e.cursorAt(c.deleted, 2, 0, 3);
        const std::string before = tbf::write(e.doc);
        run(e, StepKind::DeleteTrack, [](TrackCommands& t) { EXPECT_TRUE(t.deleteTrack()); });
        EXPECT_EQ(e.doc.trackCount, 2);
        EXPECT_EQ(e.doc.slotCount, 2);
        EXPECT_EQ(e.state.cursorTrack, c.cursorAfter);
        EXPECT_EQ(e.state.cursorMeasure.measure, 0);
        for (int t = 0; t < 2; ++t) {
            const auto ti = static_cast<std::size_t>(t);
            const int from = t < c.deleted ? t : t + 1;
            EXPECT_EQ(e.doc.trackNames[ti], "piste " + std::to_string(from));
            EXPECT_EQ(e.doc.tuning[ti][0], from);
            EXPECT_EQ(e.doc.capo[ti], from + 1);
            EXPECT_EQ(e.doc.volume[ti], 50 + from);
            EXPECT_EQ(e.doc.arpeggioLatency[ti], 10 + from);
            EXPECT_EQ(e.doc.pan[ti], 20 + from);
            EXPECT_EQ(e.doc.mute[ti], from == 2 ? 1 : 0);
            EXPECT_EQ(e.measure(t, 0).beats[0].notes[0].fret, from);
            EXPECT_EQ(codeAt(e, t, 3), from == 2 ? model::kBass : model::kFolkGuitar);
        }
        EXPECT_EQ(e.doc.soloTrack, c.deleted == 2 ? 0 : 2) << "the solo follows its track";
        EXPECT_EQ(e.doc.tracks[2].GetSize(), 0);
        e.edit.undo();
        EXPECT_EQ(tbf::write(e.doc), before);
    }
}

TEST(Tracks, DeletingTheOnlyTrackEmptiesIt)
{
    et::Editor e;
    shapedScore(e, 1, 6);
    e.measure(0, 0).beats[0].notes[2].fret = 5;
    const std::string before = tbf::write(e.doc);
    run(e, StepKind::DeleteTrack, [](TrackCommands& t) { EXPECT_FALSE(t.deleteTrack()); });
    EXPECT_EQ(e.doc.trackCount, 1);
    EXPECT_EQ(e.doc.measureCount, 1);
    EXPECT_EQ(e.doc.tracks[0].GetSize(), 1);
    EXPECT_EQ(e.measure(0, 0).beatCount, 1);
    EXPECT_TRUE(e.measure(0, 0).beats[0].notes[2].isEmpty());
    e.edit.undo();
    EXPECT_EQ(tbf::write(e.doc), before);
}

TEST(Tracks, InstrumentOfARangeUsesItsOwnSlotAndFreesWhatIsLeftUnused)
{
    et::Editor e;
    shapedScore(e, 2, 8);
    e.cursorAt(0, 3, 0, 3);
    const std::string before = tbf::write(e.doc);
    TrackCommands reader(e.doc, e.state);
    EXPECT_FALSE(reader.rangeValid(0, 3));
    EXPECT_FALSE(reader.rangeValid(4, 3));
    EXPECT_FALSE(reader.rangeValid(1, 9));
    EXPECT_TRUE(reader.rangeValid(8, 8));

    run(e, StepKind::Instrument, [](TrackCommands& t) { EXPECT_TRUE(t.changeInstrument("Clavier", model::kPiano, 3, 5)); });
    EXPECT_EQ(e.doc.slotCount, 3);
    for (int m = 0; m < 8; ++m)
        EXPECT_EQ(codeAt(e, 0, m), m >= 2 && m <= 4 ? model::kPiano : model::kFolkGuitar) << m;
    EXPECT_EQ(e.doc.trackNames[0], "Clavier");
    EXPECT_EQ(e.doc.arpeggioLatency[0], 0);
    EXPECT_EQ(e.doc.instrumentOfTrack(1), model::kFolkGuitar);

    // The whole track to piano: the guitar slot of track 0 goes, track 1's slot moves down.
    run(e, StepKind::Instrument, [](TrackCommands& t) { EXPECT_TRUE(t.changeInstrument("", model::kPiano, 1, 8)); });
    EXPECT_EQ(e.doc.slotCount, 2);
    EXPECT_EQ(e.doc.trackNames[0], "Clavier");
    for (int m = 0; m < 8; ++m) {
        EXPECT_EQ(codeAt(e, 0, m), model::kPiano);
        EXPECT_EQ(codeAt(e, 1, m), model::kFolkGuitar);
    }
    e.edit.undo();
    e.edit.undo();
    EXPECT_EQ(tbf::write(e.doc), before);
}

// Random track commands against a model of each measure's instrument: slots
// stay consistent however a track's slots were spread, none is left unused,
// and undoing everything gives the first score back.
TEST(Tracks, RandomTrackCommandsKeepEveryMeasureOnItsInstrument)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        et::Editor e;
        factory::randomScore(e.doc, rng, 4, 8);
        e.state.resetForNewScore();
        const std::string before = tbf::write(e.doc);
        std::vector<std::vector<int>> codes;
        auto readCodes = [&] {
            codes.assign(static_cast<std::size_t>(e.doc.trackCount), {});
            for (int t = 0; t < e.doc.trackCount; ++t)
                for (int m = 0; m < e.doc.measureCount; ++m)
                    codes[static_cast<std::size_t>(t)].push_back(codeAt(e, t, m));
        };
        readCodes();
        const int unusedAtStart = unusedSlots(e.doc);
        for (int step = 0; step < 25; ++step) {
            const int op = pick(0, 3);
            e.state.cursorTrack = pick(0, e.doc.trackCount - 1);
            e.state.cursorMeasure = {e.state.cursorTrack, 0};
            const int t = e.state.cursorTrack;
            const int code = edit::kInstrumentChoices[static_cast<std::size_t>(pick(0, 6))];
            if (op == 0) {
                run(e, StepKind::AddTrack, [&](TrackCommands& c) { c.addTrack("", code % 6); });
                if (codes.size() < 10)
                    codes.push_back(std::vector<int>(static_cast<std::size_t>(e.doc.measureCount), code % 6));
            } else if (op == 1 && e.doc.trackCount > 1) {
                run(e, StepKind::DeleteTrack, [](TrackCommands& c) { c.deleteTrack(); });
                codes.erase(codes.begin() + t);
            } else {
                const int f = pick(1, e.doc.measureCount);
                const int l = pick(f, e.doc.measureCount);
                run(e, StepKind::Instrument, [&](TrackCommands& c) { c.changeInstrument("", code, f, l); });
                for (int m = f - 1; m < l; ++m)
                    codes[static_cast<std::size_t>(t)][static_cast<std::size_t>(m)] = code;
            }
            ASSERT_EQ(static_cast<int>(codes.size()), e.doc.trackCount) << "seed " << seed;
            for (int tt = 0; tt < e.doc.trackCount; ++tt)
                for (int m = 0; m < e.doc.measureCount; ++m)
                    ASSERT_EQ(codeAt(e, tt, m), codes[static_cast<std::size_t>(tt)][static_cast<std::size_t>(m)])
                        << "seed " << seed << " step " << step;
            ASSERT_LE(unusedSlots(e.doc), unusedAtStart) << "seed " << seed << " step " << step;
        }
        while (e.edit.history().canUndo())
            e.edit.undo();
        EXPECT_EQ(tbf::write(e.doc), before) << "seed " << seed;
    }
}

TEST(Tracks, TuningListsMoveTogetherWhenLinked)
{
    edit::TuningChoices c; // standard tuning: every list on its third entry
    c.choice.fill(2);
    edit::TuningChoices linked = c;
    linked.move(0, 0, true); // bottom list from E to D
    EXPECT_EQ(linked.choice, (std::array<int, 6>{0, 0, 0, 0, 0, 0}));
    linked.move(3, 11, true); // wraps the others into the lists
    EXPECT_EQ(linked.choice, (std::array<int, 6>{11, 11, 11, 11, 11, 11}));
    linked.move(5, 1, true);
    EXPECT_EQ(linked.choice, (std::array<int, 6>{1, 1, 1, 1, 1, 1}));
    edit::TuningChoices alone = c;
    alone.move(0, 0, false);
    EXPECT_EQ(alone.choice, (std::array<int, 6>{0, 2, 2, 2, 2, 2}));

    EXPECT_STREQ(edit::tuningNoteNames(0)[0], "D");
    EXPECT_STREQ(edit::tuningNoteNames(2)[0], "C");
    EXPECT_STREQ(edit::tuningNoteNames(4)[0], "A");

    et::Editor e;
    shapedScore(e, 3, 2);
    e.doc.slotInstrument[1] = model::kBass;
    e.cursorAt(1, 0, 0, 3);
    TrackCommands bass(e.doc, e.state);
    edit::TuningChoices b = bass.tuningChoices();
    EXPECT_FALSE(b.enabled[4]);
    EXPECT_FALSE(b.enabled[5]);
    e.doc.tuning[0][5] = 40; // another track's odd top string
    b.move(0, 0, true);
    const std::string before = tbf::write(e.doc);
    e.edit.applyChange(StepKind::Tuning, ScoreRegion::settings(), true, [&] { bass.applyTuning(b, true); });
    for (int t = 0; t < 10; ++t) {
        const auto& tun = e.doc.tuning[static_cast<std::size_t>(t)];
        EXPECT_EQ(tun[0], 0);
        EXPECT_EQ(tun[3], 15);
        EXPECT_EQ(tun[5], t == 0 ? 40 : 26) << "strings the bass lacks stay";
    }
    e.edit.undo();
    EXPECT_EQ(tbf::write(e.doc), before);
}

TEST(Tracks, MultiTrackViewNeedsTwoShownTracks)
{
    view::ViewState s;
    std::array<bool, 10> ticks{};
    ticks[1] = true;
    edit::chooseShownTracks(s, ticks, 3);
    EXPECT_FALSE(s.multiTrackView);
    ticks[5] = true; // beyond the score
    edit::chooseShownTracks(s, ticks, 3);
    EXPECT_FALSE(s.multiTrackView);
    ticks[2] = true;
    edit::chooseShownTracks(s, ticks, 3);
    EXPECT_TRUE(s.multiTrackView);
    EXPECT_EQ(s.shownTrackList(3), (std::vector<int>{1, 2}));
}
