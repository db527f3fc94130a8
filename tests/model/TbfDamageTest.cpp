// Damaged native files: every value the reader takes is brought into what the
// editor can hold, and whatever is accepted saves to the same bytes twice.

#include "ByteReader.h"
#include "CTabDoc.h"
#include "ScoreCheck.h"
#include "ScoreFactory.h"
#include "TbfFormat.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

namespace {

// The file an untouched new score saves to, its one beat replaced by `beat`
// (byte offsets as in that 68-byte file).
std::string nativeFile(const std::string& beat = std::string("\x06\x00\x00", 3))
{
    CTabDoc doc;
    doc.OnNewDocument();
    doc.tracks[0][0].beats[0].durationCode = 6;
    std::string bytes = doc.bytesForSave();
    return bytes.substr(0, 65) + beat;
}
constexpr std::size_t kHeaderWord = 21, kPan = 44, kCapo = 45, kVolume = 46, kFlags = 53, kTempo = 57,
                      kNumerator = 61, kSlotCode = 36;

void putI32(std::string& bytes, std::size_t at, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
}

// Reads as the document's open does; saves twice, which must agree.
void expectStableSave(CTabDoc& doc, const std::string& what)
{
    ASSERT_EQ(model::scoreProblem(doc), "") << what;
    const std::string first = doc.bytesForSave();
    ASSERT_EQ(model::scoreProblem(doc), "") << what;
    CTabDoc again;
    ASSERT_TRUE(again.readScore("again.tbf", first)) << what << ": " << again.lastError();
    EXPECT_EQ(again.bytesForSave(), first) << what;
}

std::vector<std::string> nativeSamples()
{
    std::vector<std::string> files;
    for (const char* folder : {FRETLARK_EXAMPLES, FRETLARK_TBF_DATA})
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".tbf")
                files.push_back(TempDir::read(entry.path().string()));
    return files;
}

} // namespace

TEST(TbfDamage, OutOfRangeValuesAreBroughtIntoTheEditorsRange)
{
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        std::function<void(const CTabDoc&)> expect;
    };
    const auto beat = [](const CTabDoc& d) -> const CAccord& { return d.tracks[0][0].beats[0]; };
    const auto note = [&](const CTabDoc& d) -> const CNote& { return beat(d).notes[0]; };
    const auto withBeat = [](std::string b) { return [b](std::string& f) { f = nativeFile(b); }; };
    const Case cases[] = {
        {"negative solo track", [](std::string& f) { putI32(f, kHeaderWord, -3); },
         [](const CTabDoc& d) { EXPECT_EQ(d.soloTrack, 0); EXPECT_EQ(d.tripletFeel, 1); }},
        {"solo beyond ten tracks", [](std::string& f) { putI32(f, kHeaderWord, 2 * 11); },
         [](const CTabDoc& d) { EXPECT_EQ(d.soloTrack, 0); }},
        {"solo of the one track", [](std::string& f) { putI32(f, kHeaderWord, 2 * 1 + 1); },
         [](const CTabDoc& d) { EXPECT_EQ(d.soloTrack, 1); EXPECT_EQ(d.tripletFeel, 1); }},
        {"pan, capo and volume beyond their scales",
         [](std::string& f) {
             f[kPan] = static_cast<char>(0xFF); f[kCapo] = 40; f[kVolume] = static_cast<char>(200);
         },
         [](const CTabDoc& d) { EXPECT_EQ(d.pan[0], 50); EXPECT_EQ(d.mute[0], 1); EXPECT_EQ(d.capo[0], 12);
                                EXPECT_EQ(d.volume[0], 100); }},
        {"tempo and numerator beyond the editor's", [](std::string& f) { putI32(f, kTempo, 9999); f[kNumerator] = 99; },
         [](const CTabDoc& d) { EXPECT_EQ(d.tracks[0][0].tempo, 500); EXPECT_EQ(d.tracks[0][0].numerator, 32);
                                EXPECT_EQ(d.scoreTempo, 500); }},
        {"negative flags", [](std::string& f) { putI32(f, kFlags, -1); },
         [](const CTabDoc& d) { EXPECT_EQ(d.tracks[0][0].flags, 31 + 255 * 32); }},
        {"palm mute 26 on a 64th", withBeat(std::string("\xd0\x00\x00", 3)),
         [&](const CTabDoc& d) { EXPECT_EQ(beat(d).palmMute, 2); EXPECT_EQ(beat(d).durationCode, 0); }},
        {"fret 26 and technique 13", withBeat(std::string("\x06\x00\x01\xba\x01", 5)),
         [&](const CTabDoc& d) { EXPECT_EQ(note(d).fret, 27); EXPECT_EQ(note(d).technique, 0); }},
        {"fret 31 on a drum track",
         [](std::string& f) { f = nativeFile(std::string("\x06\x00\x01\x1f\x00", 5)); f[kSlotCode] = 3; },
         [&](const CTabDoc& d) { EXPECT_TRUE(note(d).isEmpty()); }},
        {"drum 29 stays", [](std::string& f) { f = nativeFile(std::string("\x06\x00\x01\x1d\x00", 5)); f[kSlotCode] = 3; },
         [&](const CTabDoc& d) { EXPECT_EQ(note(d).fret, 29); }},
        {"two bend kinds at once", withBeat(std::string("\x06\x00\x01\x05\x06\x03", 6)),
         [&](const CTabDoc& d) { EXPECT_EQ(note(d).fret, 5); EXPECT_EQ(note(d).bend, 0); }},
        {"bend amount 200", withBeat(std::string("\x06\x00\x01\x05\x02\xc8", 6)),
         [&](const CTabDoc& d) { EXPECT_EQ(note(d).bend, 1 + 16 * 7); }},
        {"vibrato kinds 3 and 4 with amounts", withBeat(std::string("\x06\x00\x03\x05\x60\x09\x05\x80\x02", 9)),
         [&](const CTabDoc& d) { EXPECT_EQ(note(d).vibrato, 0); EXPECT_EQ(beat(d).notes[1].vibrato, 4 + 8 * 2); }},
    };
    for (const Case& c : cases) {
        std::string file = nativeFile();
        c.damage(file);
        CTabDoc doc;
        ASSERT_TRUE(doc.readScore("damaged.tbf", file)) << c.what << ": " << doc.lastError();
        c.expect(doc);
        expectStableSave(doc, c.what);
    }
}

TEST(TbfDamage, FoundFilesAndExamplesSaveTheSameTwice)
{
    for (const std::string& file : nativeSamples()) {
        CTabDoc doc;
        ASSERT_TRUE(doc.readScore("sample.tbf", file)) << doc.lastError();
        expectStableSave(doc, doc.title);
    }
}

TEST(TbfDamage, ShortTripletEndAndEmptyLastMeasuresSaveTheSameTwice)
{
    // Rests that fill the last measure after triplet marks count two thirds,
    // and marks in a row add up: the filling must settle in one save, also
    // when it reaches the most beats a measure can store.
    for (int marks : {1, 3, 6, 250}) {
        CTabDoc doc;
        factory::newScore(doc);
        CMesure& m = doc.tracks[0][0];
        resetMeasureBeats(m, marks + 1);
        m.beatCount = marks + 1;
        m.beats[0].notes[0].fret = 3;
        for (int b = 1; b <= marks; ++b) {
            m.beats[b].isTriplet = 1;
            m.beats[b].durationCode = 0;
            m.beats[b].notes[0].fret = 5;
        }
        doc.measureCount = 4; // three empty measures after it
        doc.tracks[0].SetSize(4);
        ASSERT_NO_THROW(doc.bytesForSave()) << marks;
        EXPECT_EQ(doc.measureCount, 1);
        EXPECT_LE(doc.tracks[0][0].beatCount, model::kMaxBeatsPerMeasure);
        expectStableSave(doc, "triplet end");
    }
}

// Mutants of the examples: each either fails to open or opens as a score the
// model holds and that saves the same twice.
TEST(TbfDamage, RandomMutantsOpenCleanlyOrNotAtAll)
{
#ifdef FRETLARK_SANITIZED
    constexpr int kMutants = 300;
#else
    constexpr int kMutants = 3000;
#endif
    std::mt19937 rng(2026);
    const std::vector<std::string> samples = nativeSamples();
    int opened = 0;
    for (int i = 0; i < kMutants; ++i) {
        std::string file = samples[static_cast<std::size_t>(i) % samples.size()];
        const int edits = std::uniform_int_distribution<int>(1, 8)(rng);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = std::uniform_int_distribution<std::size_t>(4, file.size() - 1)(rng);
            file[at] = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
        }
        if (std::uniform_int_distribution<int>(0, 9)(rng) == 0)
            file.resize(std::uniform_int_distribution<std::size_t>(4, file.size())(rng));
        CTabDoc doc;
        if (!doc.readScore("mutant.tbf", file))
            continue;
        ++opened;
        ASSERT_EQ(model::scoreProblem(doc), "") << "mutant " << i;
        expectStableSave(doc, "mutant " + std::to_string(i));
        ASSERT_EQ(model::scoreProblem(doc), "") << "mutant " << i;
    }
    EXPECT_GT(opened, kMutants / 10) << "the mutants should mostly still open";
}
