// The MIDI export read back: header, tempo map, notes, ties, repeats, techniques.
#include "BeatBuilders.h"
#include "MidiExport.h"
#include "MidiReader.h"
#include "PlayHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

using builders::beat;

struct Bytes {
    MidiFile file;
    explicit Bytes(const CTabDoc& doc) : file(MidiFile::parse(MidiExport::build(doc))) {}
};

std::vector<int> controllers(const MidiFile& f, std::size_t track, int channel, int number)
{
    std::vector<int> out;
    for (const auto& e : f.tracks[track])
        if (e.kind() == 0xB0 && e.channel() == channel && e.data[0] == number)
            out.push_back(e.data[1]);
    return out;
}

} // namespace

TEST(MidiExport, TechniquesTiesRepeatsAndTheTempoMap)
{
    PlayHarness h;
    h.shape(2, 3, 120);
    h.doc.slotInstrument[1] = model::kDrums;
    h.doc.capo[0] = 2;
    h.doc.volume[0] = 100;
    h.doc.pan[0] = 0;
    h.doc.trackNames[0] = "Rythmique";
    // Measure 0, 4/4 at 120: a tied pair of quarters, a dead note, a palm-muted quarter.
    CAccord tied = beat(4, {{5, 3}});
    tied.isTied = 1;
    h.doc.tracks[0][0].beats.Add(tied);
    h.doc.tracks[0][0].beats.Add(beat(4, {{5, 3}}));
    h.doc.tracks[0][0].beats.Add(beat(4, {{4, model::kDeadFret}}));
    CAccord muted = beat(4, {{5, 0}});
    muted.palmMute = 1;
    h.doc.tracks[0][0].beats.Add(muted);
    // Measure 1, 3/4 at 60, played twice: a half note bent a tone, then a quarter.
    h.doc.tracks[0][1].tempo = h.doc.tracks[1][1].tempo = 60;
    h.doc.tracks[0][1].numerator = h.doc.tracks[1][1].numerator = 3;
    h.doc.tracks[0][1].flags |= model::kFlagRepeatStart | model::kFlagRepeatEnd | (1 << 5);
    CAccord bent = beat(5, {{2, 7}});
    bent.notes[2].bend = 2 * 16 + model::kBendBend;
    h.doc.tracks[0][1].beats.Add(bent);
    h.doc.tracks[0][1].beats.Add(beat(4, {{0, 0}}));
    // Measure 2: a whole note.
    h.doc.tracks[0][2].beats.Add(beat(6, {{1, 1}}));
    // The drums: a snare on each measure's first beat.
    for (int m = 0; m < 3; ++m)
        h.doc.tracks[1][m].beats.Add(beat(m == 1 ? 5 : 6, {{0, 20}}));
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 3; ++m)
            h.doc.tracks[t][m].beatCount = h.doc.tracks[t][m].beats.GetSize();

    const MidiFile f = Bytes(h.doc).file;
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.format, 1);
    EXPECT_EQ(f.division, 480);
    ASSERT_EQ(f.tracks.size(), 3u);

    // Measure starts as played: 0 (4/4), 1920 and 3360 (3/4 twice), 4800.
    EXPECT_EQ(f.tempos(), (std::vector<std::pair<std::int64_t, int>>{{0, 500000}, {1920, 1000000}, {4800, 500000}}));
    std::vector<std::pair<std::int64_t, int>> signatures;
    for (const auto& e : f.tracks[0])
        if (e.meta == 0x58)
            signatures.emplace_back(e.tick, e.data[0] * 100 + (1 << e.data[1]));
    EXPECT_EQ(signatures, (std::vector<std::pair<std::int64_t, int>>{{0, 404}, {1920, 304}, {4800, 404}}));
    EXPECT_DOUBLE_EQ(f.msAt(4800), 2000 + 3000 + 3000.0);

    struct Expect {
        std::int64_t on, off;
        int key, velocity;
    };
    // Low E + 3 + capo 2 = A2 (45); the dead note on the A string with the capo (47);
    // the bent G (fret 7 on G, + capo) and the high E open with the capo.
    const std::vector<Expect> expected = {
        {0, 960, 45, 100},     {960, 1020, 47, 40},   {1440, 1680, 42, 100}, {1920, 2880, 64, 100},
        {2880, 3360, 66, 100}, {3360, 4320, 64, 100}, {4320, 4800, 66, 100}, {4800, 6720, 62, 100},
    };
    const auto notes = f.notes(1);
    ASSERT_EQ(notes.size(), expected.size());
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].on, expected[i].on) << i;
        EXPECT_EQ(notes[i].off, expected[i].off) << i;
        EXPECT_EQ(notes[i].key, expected[i].key) << i;
        EXPECT_EQ(notes[i].velocity, expected[i].velocity) << i;
        EXPECT_EQ(notes[i].channel, 0);
    }

    // Name, program (folk: 26 from 1), volume, pan, bend range of 12 by RPN.
    EXPECT_EQ(std::string(f.tracks[1][0].data.begin(), f.tracks[1][0].data.end()), "Rythmique");
    int program = -1;
    for (const auto& e : f.tracks[1])
        if (e.kind() == 0xC0)
            program = e.data[0];
    EXPECT_EQ(program, 25);
    EXPECT_EQ(controllers(f, 1, 0, 7), std::vector<int>{127});
    EXPECT_EQ(controllers(f, 1, 0, 10), std::vector<int>{0});
    EXPECT_EQ(controllers(f, 1, 0, 101), (std::vector<int>{0, 127}));
    EXPECT_EQ(controllers(f, 1, 0, 6), std::vector<int>{12});

    // The bend rises to two semitones of twelve in each pass, and is let go after.
    std::vector<std::pair<std::int64_t, int>> wheel;
    for (const auto& e : f.tracks[1])
        if (e.kind() == 0xE0)
            wheel.emplace_back(e.tick, e.data[0] | (e.data[1] << 7));
    const int top = 8192 + 8191 * 2 / 12;
    for (std::int64_t pass : {1920, 3360}) {
        int highest = 0;
        for (auto [t, v] : wheel)
            if (t >= pass && t < pass + 960)
                highest = std::max(highest, v);
        EXPECT_NEAR(highest, top, 1) << pass;
        EXPECT_TRUE(std::count(wheel.begin(), wheel.end(), std::make_pair(pass + 960, 8192))) << pass;
    }

    // The drums on channel 10 with the snare's General MIDI key, once per played measure.
    const auto drums = f.notes(2);
    ASSERT_EQ(drums.size(), 4u);
    for (const auto& n : drums) {
        EXPECT_EQ(n.channel, 9);
        EXPECT_EQ(n.key, 38);
    }
    EXPECT_EQ(drums[2].on, 3360);
}

TEST(MidiExport, ExamplesAgreeWithPlayback)
{
    // Every example: the notes of the file are those the playback pass starts,
    // at the same times (within a strum) and the same pitches.
    for (const auto& entry : std::filesystem::directory_iterator(FRETLARK_EXAMPLES)) {
        const std::string name = entry.path().filename().string();
        PlayHarness h;
        ScriptedPrompter prompter;
        h.doc.setPrompter(&prompter);
        ASSERT_TRUE(h.doc.OnOpenDocument(entry.path().string())) << name;
        const MidiFile f = MidiFile::parse(MidiExport::build(h.doc));
        ASSERT_TRUE(f.ok) << name;
        ASSERT_EQ(f.tracks.size(), static_cast<std::size_t>(h.doc.trackCount + 1)) << name;

        // Pitched notes of the file as (ms, key); dead notes and drums aside.
        std::vector<std::pair<double, int>> exported;
        for (std::size_t t = 1; t < f.tracks.size(); ++t)
            for (const auto& n : f.notes(t))
                if (n.channel != 9 && n.velocity == MidiExport::kVelocity)
                    exported.emplace_back(f.msAt(n.on), n.key);

        ASSERT_TRUE(h.play(0, true)) << name;
        h.runToEnd();
        std::vector<std::pair<double, int>> played;
        for (const auto& e : h.engine.starts()) {
            const int code = h.doc.instrumentOfSlot(e.slot);
            if (code == model::kDrums || e.index == CSoundEngine::sampleCount[static_cast<std::size_t>(code)] - 1)
                continue;
            const std::pair<double, int> note{e.t, 38 + e.index - (code == model::kBass ? 12 : 0)};
            // A slapped or popped bass note is posted twice at once.
            if (played.empty() || played.back() != note)
                played.push_back(note);
        }
        std::sort(exported.begin(), exported.end());
        std::sort(played.begin(), played.end());
        ASSERT_EQ(exported.size(), played.size()) << name;
        for (const auto& [ms, key] : exported) {
            const bool found = std::any_of(played.begin(), played.end(), [&](const auto& p) {
                return p.second == key && std::abs(p.first - ms) <= 60;
            });
            EXPECT_TRUE(found) << name << ": key " << key << " at " << ms << " ms";
        }
    }
}

TEST(MidiExport, WriteLeavesNoPartialFile)
{
    PlayHarness h;
    h.shape(1, 1, 120);
    h.add(0, 0, 6).notes[0].fret = 0;
    TempDir dir;
    const std::string good = dir.file("ok.mid");
    ASSERT_TRUE(MidiExport::write(h.doc, good));
    EXPECT_TRUE(MidiFile::read(good).ok);
    // A folder that does not exist: nothing is written, nothing is left.
    const std::string bad = dir.file("missing/out.mid");
    EXPECT_FALSE(MidiExport::write(h.doc, bad));
    EXPECT_FALSE(std::filesystem::exists(bad + ".part"));
}
