#include "CTabDoc.h"
#include "GpFileBuilder.h"
#include "GpImporter.h"
#include "GpScoreChecks.h"
#include "ScoreJson.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

namespace {

using V = std::vector<int>;

const char* const kGp5Samples[] = {"Chords.gp5", "Demo-v5.gp5",        "Directions.gp5", "Effects.gp5", "Harmonics.gp5",
                                   "Key.gp5",    "Measure-Header.gp5", "No-Wah.gp5",     "RSE.gp5",     "Repeat.gp5",
                                   "Slides.gp5", "Strokes.gp5",        "Tie.gp5",        "Voices.gp5",  "Wah.gp5"};

std::vector<int> arpeggios(const CMesure& m)
{
    return perBeat(m, [](const CAccord& b) { return b.arpeggio; });
}

std::vector<int> measureFlags(const CTabDoc& doc)
{
    std::vector<int> out;
    for (int m = 0; m < doc.measureCount; ++m)
        out.push_back(measure(doc, m).flags);
    return out;
}

// Cuts a score's last bar, as if the file had stopped before it.
void dropLastBar(CTabDoc& doc)
{
    for (int t = 0; t < doc.trackCount; ++t) {
        std::vector<CMesure>& bars = doc.tracks[static_cast<std::size_t>(t)].raw();
        bars.pop_back();
        bars.back().flags = (bars.back().flags & ~model::kFlagMiddle) | model::kFlagLast;
    }
    --doc.measureCount;
}

std::string withoutArpeggios(const std::string& json)
{
    static const std::regex arpeggio("\"arpeggio\":[0-9]");
    return std::regex_replace(json, arpeggio, "\"arpeggio\":0");
}

// A version-5 mix table that changes only the tempo.
std::string tempoChange(int tempo, bool v500)
{
    GpBytes b;
    b.u8(0xFF);
    for (int i = 0; i < 4; ++i)
        b.i32(-1);
    b.raw(std::string(6, '\xFF')).text("").i32(tempo).u8(0);
    if (!v500)
        b.u8(0); // tempo hidden
    b.u8(0).u8(0xFF);
    if (!v500)
        b.text("").text("");
    return b.s;
}

} // namespace

// ---------------------------------------------------------------------------
// The sample files: all read to their last byte, and the document opens them.

class Gp5SampleFile : public ::testing::TestWithParam<const char*> {};

TEST_P(Gp5SampleFile, OpensThroughTheDocumentAndIsReadToTheEnd)
{
    const std::string bytes = dataFile(GetParam());
    gp::ImportInfo info;
    auto doc = imported(bytes, &info);
    EXPECT_EQ(info.endPosition, bytes.size());
    EXPECT_EQ(info.version, std::string(GetParam()) == "Demo-v5.gp5" ? gp::Version::V5_00 : gp::Version::V5_10);
    EXPECT_EQ(doc->measureCount, info.fileMeasureCount);

    CTabDoc opened;
    EXPECT_EQ(openedThroughDocument(opened, GetParam(), bytes), scoreToJson(*doc));

    // And survives the conversion to the native format, arpeggios aside
    // (the native format has no place for them).
    TempDir dir;
    const std::string tbf = dir.file("converted.tbf");
    ASSERT_TRUE(opened.OnSaveDocument(tbf));
    CTabDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(tbf));
    EXPECT_EQ(scoreToJson(reopened), withoutArpeggios(scoreToJson(*doc)));
}

INSTANTIATE_TEST_SUITE_P(All, Gp5SampleFile, ::testing::ValuesIn(kGp5Samples), [](const auto& param) {
    std::string n = param.param;
    for (char& c : n)
        if (c == '.' || c == '-')
            c = '_';
    return n;
});

TEST(Gp5Samples, SameScoresAsTheirVersion4Copies)
{
    // The same scores saved by both versions import alike, except where the
    // two files themselves differ (listed per file); what the version-4
    // files hold is checked with the version-4 import.
    struct Twin {
        const char* name;
        std::function<void(CTabDoc& v4, CTabDoc& v5)> differences;
    };
    // Version 4 saved two of them with a nylon-string guitar (program 24).
    auto sameInstrument = [](CTabDoc& v4, CTabDoc& v5) {
        EXPECT_EQ(v4.slotInstrument[0], model::kClassicalGuitar);
        EXPECT_EQ(v5.slotInstrument[0], model::kFolkGuitar);
        v5.slotInstrument[0] = v4.slotInstrument[0];
    };
    const std::vector<Twin> twins = {
        {"Chords", {}},
        {"Effects", {}},
        {"Measure-Header", {}},
        {"Repeat", {}},
        {"Strokes", {}},
        {"Harmonics", sameInstrument},
        {"Key",
         [&](CTabDoc& v4, CTabDoc& v5) {
             sameInstrument(v4, v5);
             // Two empty bars in version 4, one in version 5.
             ASSERT_EQ(v4.measureCount, 2);
             ASSERT_EQ(v5.measureCount, 1);
             dropLastBar(v4);
         }},
        {"Slides",
         [](CTabDoc& v4, CTabDoc& v5) {
             // Version 5 adds a third bar of slides in and out at once: the
             // slides in have their codes, the slides out none.
             ASSERT_EQ(v4.measureCount + 1, v5.measureCount);
             EXPECT_EQ(techniques(measure(v5, 2)),
                       (V{model::kSlideUp, model::kSlideUp, model::kSlideDown, model::kSlideDown}));
             dropLastBar(v5);
         }},
    };
    for (const Twin& twin : twins) {
        SCOPED_TRACE(twin.name);
        const auto v4 = imported(dataFile(std::string(twin.name) + ".gp4"));
        auto v5 = imported(dataFile(std::string(twin.name) + ".gp5"));
        if (twin.differences)
            twin.differences(*v4, *v5);
        EXPECT_EQ(scoreToJson(*v5), scoreToJson(*v4));
    }
}

TEST(Gp5Samples, TiesMarkTheBeatTheyLeaveAndTheSecondVoiceIsLeftOut)
{
    // String 1: 1 2 (tie) 4 | (tie) 1 (tie) 4 | 1 1 (tie) 1 | 1 (tie) (tie) 1;
    // voice 2 plays on string 2 in the first two bars.
    auto doc = imported(dataFile("Tie.gp5"));
    const char* const rhythms[] = {"4 4~ 4 4~", "4 4~ 4 4", "4 4~ 4 4", "4~ 4~ 4 4"};
    const char* const firstStrings[][4] = {
        {"1", "2", "-", "4"}, {"-", "1", "-", "4"}, {"1", "1", "-", "1"}, {"1", "-", "-", "1"}};
    for (int m = 0; m < 4; ++m) {
        SCOPED_TRACE(m);
        EXPECT_EQ(rhythm(measure(*doc, m)), rhythms[m]);
        for (int b = 0; b < 4; ++b) {
            const std::string f = frets(measure(*doc, m).beats[b]);
            EXPECT_EQ(f.substr(0, f.find(' ')), firstStrings[m][b]);
            EXPECT_EQ(f.substr(f.find(' ')), " - - - - -");
        }
    }
}

TEST(Gp5Samples, VoicesKeepTheFirstVoiceWhenItHasNotes)
{
    auto doc = imported(dataFile("Voices.gp5"));
    ASSERT_EQ(doc->measureCount, 3);
    EXPECT_EQ(rhythm(measure(*doc, 0)), "4 4 4 4"); // not the dotted second voice
    EXPECT_EQ(perBeat(measure(*doc, 0), [](const CAccord& b) { return b.notes[5].fret; }), (V{1, 2, 3, 4}));
    EXPECT_EQ(rhythm(measure(*doc, 1)), "6");
    EXPECT_EQ(rhythm(measure(*doc, 2)), "4r 4 4r 4");
    EXPECT_EQ(arpeggios(measure(*doc, 2)), (V{0, 1, 0, 1}));
    EXPECT_EQ(frets(measure(*doc, 2).beats[1]), "- - - 5 5 3");
}

TEST(Gp5Samples, FilesOfOneFeatureTheModelLacks)
{
    // Musical directions, the wah pedal and the sound-engine settings have no
    // place: the notes around them remain.
    auto directions = imported(dataFile("Directions.gp5"));
    ASSERT_EQ(directions->measureCount, 19);
    for (int m = 0; m < 19; ++m)
        EXPECT_EQ(frets(measure(*directions, m).beats[0]) + " " + rhythm(measure(*directions, m)), "- - - - - 0 6");

    auto wah = imported(dataFile("Wah.gp5"));
    EXPECT_EQ(rhythm(measure(*wah, 0)), "3 3 3 3 3 3 3 3");
    EXPECT_EQ(frets(measure(*wah, 1).beats[0]), "- - - - - 1");
    auto noWah = imported(dataFile("No-Wah.gp5"));
    EXPECT_EQ(rhythm(measure(*noWah, 0)), "6");

    auto rse = imported(dataFile("RSE.gp5"));
    ASSERT_EQ(rse->trackCount, 2);
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 2; ++m)
            EXPECT_EQ(rhythm(measure(*rse, m, t)), "6r");
}

TEST(Gp5Samples, DemoSongOfVersion500)
{
    auto doc = imported(dataFile("Demo-v5.gp5"));
    EXPECT_EQ(doc->title, "Demo for Guitar Pro 5");
    EXPECT_FALSE(doc->author.empty());
    EXPECT_EQ(doc->measureCount, 49);
    ASSERT_EQ(doc->trackCount, 5);
    const std::vector<std::string> names{"Rhythm Guitar", "Solo Guitar", "Melody", "Bass", "Percussions"};
    // Overdriven and distortion guitars, a choir voice, a four-string bass, drums.
    const V instruments{model::kDistortedGuitar, model::kDistortedGuitar, model::kPiano, model::kBass, model::kDrums};
    const V volumes{50 + 11 * 50 / 16, 50 + 15 * 50 / 16, 50 + 13 * 50 / 16, 50 + 11 * 50 / 16, 50 + 13 * 50 / 16};
    for (int t = 0; t < 5; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        EXPECT_EQ(doc->trackNames[ti], names[ti]);
        EXPECT_EQ(doc->slotInstrument[ti], instruments[ti]);
        EXPECT_EQ(doc->volume[ti], volumes[ti]);
        EXPECT_EQ(doc->mute[ti], 0);
    }
    EXPECT_EQ(doc->tuning[3], (std::array<int, 6>{2, 7, 12, 17, 21, 26}));
    // Tempo 165, slowed to 120 in bar 38 and back to 165 in bar 42.
    EXPECT_EQ(doc->scoreTempo, 165);
    V tempi;
    for (int m : {0, 36, 37, 40, 41, 48})
        tempi.push_back(measure(*doc, m).tempo);
    EXPECT_EQ(tempi, (V{165, 165, 120, 120, 165, 165}));
    // A repeat from the first bar, played twice, closed in bar 4.
    const V flags = measureFlags(*doc);
    EXPECT_EQ(flags[0], model::kFlagFirst | model::kFlagRepeatStart);
    EXPECT_EQ(flags[3], model::kFlagMiddle | (1 * 32 + model::kFlagRepeatEnd));
    // Bar 29 of the solo: a quintuplet of sixteenths keeps its written values
    // between ordinary sixteenths; bar 38 ends on a triplet of eighths.
    EXPECT_EQ(rhythm(measure(*doc, 28, 1)), "2 2 2 2 2 2 2 2 2 2 2 3 3 3");
    EXPECT_EQ(rhythm(measure(*doc, 37, 1)), "2 2 3 4 4t 4 4");
}

// ---------------------------------------------------------------------------
// Built files for what the samples do not hold.

TEST(Gp5Import, SecondVoiceIsTakenWhereTheFirstHasNoNote)
{
    for (int version : {5, 500}) {
        SCOPED_TRACE(version);
        // Bar 1: notes in voice 1 and voice 2; bar 2: rests in voice 1, notes in
        // voice 2 with a tie back to bar 1; bar 3: an unfilled voice 1 and
        // nothing in voice 2; bar 4: a first voice with a single empty beat.
        GpBeat rest;
        rest.status = 2;
        GpBeat empty;
        empty.status = 0;
        std::vector<GpBeat> bass = GpFileBuilder::quarters(2, 6, 3);
        for (GpBeat& b : bass)
            b.duration = -1;
        bass[0].notes[0].type = 2;
        GpFileBuilder f = GpFileBuilder::oneTrack(
            version, {GpFileBuilder::quarters(4, 1, 5), std::vector<GpBeat>(4, rest), {empty}, {empty}});
        f.secondVoices = {GpFileBuilder::quarters(4, 6, 1), bass, {empty}, GpFileBuilder::quarters(4, 2, 9)};
        auto doc = imported(f.bytes());
        EXPECT_EQ(frets(measure(*doc, 0).beats[3]), "5 - - - - -");
        // The model keeps ties on beats: the tie at the start of the second
        // voice marks the last beat of bar 1, and its own note stays EMPTY.
        EXPECT_EQ(rhythm(measure(*doc, 0)), "4 4 4 4~");
        EXPECT_EQ(rhythm(measure(*doc, 1)), "5 5");
        EXPECT_EQ(frets(measure(*doc, 1).beats[1]), "- - - - - 3");
        EXPECT_TRUE(measure(*doc, 1).beats[0].notes[5].isEmpty());
        EXPECT_EQ(rhythm(measure(*doc, 2)), "6r");
        EXPECT_EQ(rhythm(measure(*doc, 3)), "4 4 4 4");
        EXPECT_EQ(frets(measure(*doc, 3).beats[0]), "- 9 - - - -");
    }
}

TEST(Gp5Import, HeaderFieldsOfVersion5)
{
    // Played-twice and played-five-times repeats, an alternate ending with a
    // marker and a key change, triplet feel in the first bar.
    GpFileBuilder f = GpFileBuilder::oneTrack(5, std::vector<std::vector<GpBeat>>(4, GpFileBuilder::quarters(4, 1, 2)));
    f.headers[0].repeatStart = true;
    f.headers[0].tripletFeel = 1;
    f.headers[1].repeatCount = 2;
    f.headers[1].ending = 0x03;
    f.headers[1].hasMarker = true;
    f.headers[1].marker = "Refrain";
    f.headers[1].hasKey = true;
    f.headers[2].numerator = 6;
    f.headers[2].denominator = 8;
    f.headers[3].repeatCount = 5;
    f.title = "";
    f.words = "";
    f.music = "Compositeur";
    f.tabber = "Moi";
    f.notice = {"a", "b"};
    auto doc = imported(f.bytes());
    EXPECT_EQ(measureFlags(*doc),
              (V{model::kFlagFirst | model::kFlagRepeatStart, 8 | (1 * 32 + 16), 8, 2 | (4 * 32 + 16)}));
    EXPECT_EQ(measure(*doc, 2).numerator, 6);
    EXPECT_EQ(measure(*doc, 3).denominator, 8);
    EXPECT_EQ(doc->tripletFeel, 1);
    EXPECT_EQ(doc->title, "Sans Titre");
    EXPECT_EQ(doc->author, "Compositeur"); // no lyricist: the composer
    EXPECT_EQ(doc->tabber, "Moi");
    EXPECT_EQ(doc->notes, "a\r\nb");

    f.words = "Parolier";
    f.headers[0].tripletFeel = 2; // sixteenths: no place in the model
    doc = imported(f.bytes());
    EXPECT_EQ(doc->author, "Parolier");
    EXPECT_EQ(doc->tripletFeel, 0);
}

TEST(Gp5Import, TracksOfBothLayoutsMuteAndSolo)
{
    for (int version : {5, 500}) {
        SCOPED_TRACE(version);
        GpFileBuilder f(version);
        f.fourFour(1);
        GpTrack muted;
        muted.flags = 0x08 | 0x20;
        muted.capo = 3;
        muted.effectName = "Clean - Default";
        GpTrack solo;
        solo.flags = 0x08 | 0x10;
        solo.name = "Solo";
        GpTrack bass;
        bass.strings = 5;
        bass.tuning = {43, 38, 33, 28, 23, 0, 0};
        f.tracks = {muted, solo, bass};
        f.bodies = {GpFileBuilder::quarters(4, 1, 1), GpFileBuilder::quarters(4, 2, 2),
                    GpFileBuilder::quarters(4, 5, 4)};
        auto doc = imported(f.bytes());
        EXPECT_EQ(doc->mute[0], 1);
        EXPECT_EQ(doc->mute[1], 0);
        EXPECT_EQ(doc->soloTrack, 2);
        EXPECT_EQ(doc->capo[0], 3);
        EXPECT_EQ(doc->trackNames[1], "Solo");
        EXPECT_EQ(doc->slotInstrument[2], model::kBass);
        // The fifth (lowest) string of a five-string bass is the model's lowest.
        EXPECT_EQ(frets(measure(*doc, 0, 2).beats[0]), "- - - - - 4");
    }
}

TEST(Gp5Import, BeatAndNoteFieldsNewInVersion5)
{
    auto effects = [](int f1, int f2, const std::string& payload) {
        return std::string{static_cast<char>(f1), static_cast<char>(f2)} + payload;
    };
    std::vector<GpBeat> bar = GpFileBuilder::quarters(8, 1, 5);
    for (GpBeat& b : bar)
        b.duration = 1;
    // Heavy accent (0x02 no longer means dotted) with a duration percentage.
    bar[0].notes[0].flags |= 0x02 | 0x01;
    // Grace note of five bytes, then a harmonic of each type with its extra bytes.
    bar[1].notes[0].effects = effects(0x10, 0x10, std::string("\x03\x06\x01\x03\x01\x02\x04\x00\x01", 9));
    bar[2].notes[0].effects = effects(0, 0x10, std::string("\x03\x11", 2));
    bar[3].notes[0].effects = effects(0, 0x10, "\x01");
    // Trill and tremolo picking: the note is kept plain; fingering bytes.
    bar[4].notes[0].effects = effects(0x08, 0x20 | 0x04, "\x02\x07\x01");
    bar[4].notes[0].flags |= 0x80;
    // Slides out of a note; a shift slide into the next, lower note.
    bar[5].notes[0].effects = effects(0, 0x08, "\x0C");
    bar[6].notes[0].effects = effects(0, 0x08, "\x01");
    bar[7].notes[0].fret = 3;
    // Display bits, one of which adds a byte.
    bar[6].display = 0x0800 | 0x0002;
    // Strokes: up-stroke speed first in version 5.
    bar[2].effects = effects(0x40, 0, std::string("\x00\x04", 2));
    bar[3].effects = effects(0x40, 0, std::string("\x04\x00", 2));
    GpFileBuilder f = GpFileBuilder::oneTrack(5, {bar, GpFileBuilder::quarters(4, 1, 7)});
    gp::ImportInfo info;
    auto doc = imported(f.bytes(), &info);
    EXPECT_EQ(info.endPosition, f.bytes().size());
    const CMesure& m = measure(*doc, 0);
    EXPECT_EQ(rhythm(m), "3 3 3 3 3 3 3 3");
    EXPECT_EQ(techniques(m, 0), (V{0, model::kArtificialHarmonic, model::kArtificialHarmonic, model::kNaturalHarmonic,
                                   0, 0, 0, model::kSlideDown}));
    EXPECT_EQ(arpeggios(m), (V{0, 0, 1, 2, 0, 0, 0, 0}));
    EXPECT_EQ(frets(measure(*doc, 1).beats[0]), "7 - - - - -");
}

TEST(Gp5Import, TempoChangesHoldFromTheirBarInEveryTrack)
{
    for (int version : {5, 500}) {
        SCOPED_TRACE(version);
        GpFileBuilder f(version);
        f.fourFour(4);
        f.tracks = {GpTrack{}, GpTrack{}};
        f.tempo = 100;
        for (int m = 0; m < 4; ++m) {
            std::vector<GpBeat> first = GpFileBuilder::quarters(4, 1, m);
            std::vector<GpBeat> second = GpFileBuilder::quarters(4, 2, m);
            if (m == 1)
                second[3].mix = tempoChange(90, version == 500); // late in the bar, in the second track
            if (m == 3)
                first[0].mix = tempoChange(9000, version == 500);
            f.bodies.push_back(first);
            f.bodies.push_back(second);
        }
        gp::ImportInfo info;
        auto doc = imported(f.bytes(), &info);
        EXPECT_EQ(info.endPosition, f.bytes().size());
        for (int t = 0; t < 2; ++t) {
            V tempi;
            for (int m = 0; m < 4; ++m)
                tempi.push_back(measure(*doc, m, t).tempo);
            EXPECT_EQ(tempi, (V{100, 90, 90, 500}));
        }
        EXPECT_EQ(doc->scoreTempo, 100);
    }
}

TEST(Gp5Import, TripletsAndOtherTuplets)
{
    std::vector<GpBeat> bar = GpFileBuilder::quarters(12, 1, 1);
    for (GpBeat& b : bar)
        b.duration = 2; // sixteenths
    for (int i = 0; i < 6; ++i)
        bar[static_cast<std::size_t>(i)].tuplet = 6; // a sextuplet: two triplet groups
    for (int i = 6; i < 11; ++i)
        bar[static_cast<std::size_t>(i)].tuplet = 5; // a quintuplet keeps its written values
    std::vector<GpBeat> triplets = GpFileBuilder::quarters(3, 1, 1);
    for (GpBeat& b : triplets)
        b.tuplet = 3;
    triplets.push_back(GpBeat{});
    GpFileBuilder f = GpFileBuilder::oneTrack(5, {bar, triplets});
    auto doc = imported(f.bytes());
    EXPECT_EQ(rhythm(measure(*doc, 0)), "2t 2 2 2t 2 2 2 2 2 2 2 2");
    EXPECT_EQ(rhythm(measure(*doc, 1)), "4t 4 4 4");
}

TEST(Gp5Import, EndOfDataAndTrailingByte)
{
    GpFileBuilder f =
        GpFileBuilder::oneTrack(500, {GpFileBuilder::quarters(4, 1, 1), GpFileBuilder::quarters(4, 1, 2)});
    f.trailingZeroInt = true; // one zero byte after the last bar in version 5.00
    EXPECT_EQ(imported(f.bytes())->measureCount, 2);

    f.trailingZeroInt = false;
    const std::string whole = f.bytes();
    TempDir dir;
    ScriptedPrompter prompter;
    for (std::size_t cut : {whole.size() - 3, whole.size() - 40, std::size_t{600}, std::size_t{40}}) {
        SCOPED_TRACE(cut);
        CTabDoc doc;
        doc.setPrompter(&prompter);
        const std::string path = dir.file("cut.gp5");
        TempDir::write(path, whole.substr(0, cut));
        EXPECT_TRUE(doc.OnOpenDocument(path));
        EXPECT_TRUE(doc.lastOpenFailed());
        EXPECT_EQ(doc.lastError(), CTabDoc::kImportProblem);
        EXPECT_EQ(doc.measureCount, 1);
    }

    // A file without bars or tracks is not a score.
    GpFileBuilder empty(5);
    const std::string bytes = empty.bytes();
    CTabDoc doc;
    EXPECT_THROW(gp::importScore(doc, bytesOf(bytes), bytes.size()), GpDamaged);
}
