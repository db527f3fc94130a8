#include "ByteReader.h"
#include "CTabDoc.h"
#include "GpFileBuilder.h"
#include "GpImporter.h"
#include "GpScoreChecks.h"
#include "ScoreJson.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>

namespace {

using V = std::vector<int>;
const std::array<int, 6> kStandard{2, 7, 12, 17, 21, 26};

} // namespace

// ---------------------------------------------------------------------------
// The sample files. Each holds one guitar track in standard tuning, 4/4 at
// tempo 120 unless said otherwise; the layout must be read to its last byte.

class GpSampleFile : public ::testing::TestWithParam<const char*> {};

TEST_P(GpSampleFile, OpensThroughTheDocumentAndIsReadToTheEnd)
{
    const std::string bytes = dataFile(GetParam());
    gp::ImportInfo info;
    auto doc = imported(bytes, &info);
    // Real files end right after the last beat or carry four zero bytes more.
    const std::size_t rest = bytes.size() - info.endPosition;
    EXPECT_TRUE(rest == 0 || (rest == 4 && bytes.compare(info.endPosition, 4, std::string(4, '\0')) == 0))
        << rest << " bytes left";
    EXPECT_EQ(doc->measureCount, info.fileMeasureCount);
    EXPECT_EQ(doc->trackCount, 1);
    EXPECT_EQ(doc->title, "Sans Titre"); // none of the samples has a title
    EXPECT_EQ(doc->trackNames[0], "Track 1");
    EXPECT_EQ(doc->tuning[0], kStandard);
    EXPECT_EQ(doc->volume[0], 50 + 13 * 50 / 16); // channel volume 13, the usual default

    CTabDoc opened;
    EXPECT_EQ(openedThroughDocument(opened, GetParam(), bytes), scoreToJson(*doc));
}

INSTANTIATE_TEST_SUITE_P(All, GpSampleFile,
                         ::testing::Values("Chords.gp3", "Chords.gp4", "Duration.gp3", "Effects.gp3", "Effects.gp4",
                                           "Harmonics.gp3", "Harmonics.gp4", "Key.gp4", "Measure-Header.gp3",
                                           "Measure-Header.gp4", "Repeat.gp4", "Slides.gp4", "Strokes.gp4",
                                           "Vibrato.gp4"),
                         [](const auto& param) {
                             std::string n = param.param;
                             for (char& c : n)
                                 if (c == '.' || c == '-')
                                     c = '_';
                             return n;
                         });

TEST(GpSamples, ChordsAreTheSameSongInBothVersions)
{
    // The two files differ only in their chord-diagram layouts (125 bytes per
    // diagram in version 3, 107 in version 4): both must import identically.
    auto v3 = imported(dataFile("Chords.gp3"));
    auto v4 = imported(dataFile("Chords.gp4"));
    EXPECT_EQ(scoreToJson(*v3), scoreToJson(*v4));
    EXPECT_EQ(v3->measureCount, 8);
    EXPECT_EQ(v3->slotInstrument[0], model::kFolkGuitar); // program 25, steel guitar
    // Two half-note C major chords (x32010), an F barre and an E shape later on.
    EXPECT_EQ(rhythm(measure(*v3, 0)), "5 5");
    EXPECT_EQ(frets(measure(*v3, 0).beats[0]), "0 1 0 2 3 -");
    EXPECT_EQ(frets(measure(*v3, 6).beats[0]), "1 1 2 3 3 1");
    EXPECT_EQ(frets(measure(*v3, 6).beats[1]), "4 5 4 2 2 0");
    EXPECT_EQ(rhythm(measure(*v3, 7)), "6");
}

TEST(GpSamples, DurationsDotsAndTuplets)
{
    auto doc = imported(dataFile("Duration.gp3"));
    ASSERT_EQ(doc->measureCount, 6);
    EXPECT_EQ(doc->slotInstrument[0], model::kClassicalGuitar); // program 24, nylon guitar
    EXPECT_EQ(rhythm(measure(*doc, 0)), "4 4 4 4");
    EXPECT_EQ(rhythm(measure(*doc, 1)), "4 4 3 3 3 3");
    EXPECT_EQ(rhythm(measure(*doc, 3)), "4. 3 4 4");
    // Tuplets are marked on the first beat of each group of three; the
    // thirteen-note tuplet of the last measure is cut into such groups too.
    EXPECT_EQ(rhythm(measure(*doc, 4)), "4t 4 4 4t 4 4");
    EXPECT_EQ(rhythm(measure(*doc, 5)), "3t 3 3 3t 3 3 3t 3 3 3t 3 3 3t");
    EXPECT_EQ(frets(measure(*doc, 0).beats[0]), "- - - - - 0"); // open low E
}

// What both versions of Effects.gp? hold, measure by measure, on the low E string.
void expectCommonEffects(const CTabDoc& doc)
{
    ASSERT_EQ(doc.measureCount, 14);
    EXPECT_EQ(measure(doc, 0).beats[0].notes[5].fret, model::kDeadFret);
    EXPECT_EQ(techniques(measure(doc, 0))[1], model::kHammerOn); // grace note
    // Natural then artificial harmonic; the hammer-on mark of the last note
    // (fret 7) lands on the note it leads to (fret 8, first beat of m2).
    EXPECT_EQ(techniques(measure(doc, 1)), (V{0, model::kNaturalHarmonic, model::kArtificialHarmonic, 0}));
    EXPECT_EQ(techniques(measure(doc, 2))[0], model::kHammerOn);
    // A full bend (height 100) is a Bend of amount 2; a one-tone tremolo-bar
    // dip is a Coup de Barre of amount 2.
    EXPECT_EQ(measure(doc, 2).beats[0].notes[5].bend, 2 * 16 + model::kBendBend);
    EXPECT_EQ(vibratos(measure(doc, 2))[1], 2 * 8 + model::kVibratoDip);
    // Slides 10 -> 11 and 11 -> 12 (across the bar line) are Slide Up on the later note.
    EXPECT_EQ(techniques(measure(doc, 2))[3], model::kSlideUp);
    EXPECT_EQ(techniques(measure(doc, 3))[0], model::kSlideUp);
    EXPECT_EQ(vibratos(measure(doc, 4))[0], model::kVibratoLeftHand);
    EXPECT_EQ(vibratos(measure(doc, 4))[1], model::kVibratoTremoloBar); // wide vibrato
    EXPECT_EQ(techniques(measure(doc, 5))[3], model::kTapping);
    EXPECT_EQ(techniques(measure(doc, 6)), (V{model::kSlap, model::kPop, 0, 0}));
    // Rests: an unfilled bar and a written whole rest both become the bar's rest pattern.
    EXPECT_EQ(rhythm(measure(doc, 8)), "6r");
    EXPECT_EQ(rhythm(measure(doc, 9)), "4r 4r 4r 4r");
    EXPECT_EQ(rhythm(measure(doc, 10)), "6r");
    // A down stroke on a two-note chord.
    EXPECT_EQ(measure(doc, 11).beats[1].arpeggio, 1);
    EXPECT_EQ(frets(measure(doc, 11).beats[1]), "- - - - 2 2");
    EXPECT_EQ(techniques(measure(doc, 12))[1], model::kArtificialHarmonic);
    EXPECT_EQ(measure(doc, 13).numerator, 7);
    EXPECT_EQ(measure(doc, 13).denominator, 8);
    EXPECT_EQ(rhythm(measure(doc, 13)), "4 4 4 3");
}

TEST(GpSamples, EffectsVersion3)
{
    auto doc = imported(dataFile("Effects.gp3"));
    expectCommonEffects(*doc);
    // Version 3 slides have no type: each one leads to the next note.
    EXPECT_EQ(techniques(measure(*doc, 3)), (V{model::kSlideUp, 0, 0, model::kSlideUp}));
    EXPECT_EQ(techniques(measure(*doc, 4))[0], model::kSlideUp);
    EXPECT_EQ(measure(*doc, 5).beats[1].palmMute, 0); // no palm mute in version 3
}

TEST(GpSamples, EffectsVersion4)
{
    auto doc = imported(dataFile("Effects.gp4"));
    expectCommonEffects(*doc);
    // Slide in from above on fret 13; the slides out of 14 and 15 lead nowhere.
    EXPECT_EQ(techniques(measure(*doc, 3)), (V{model::kSlideUp, model::kSlideDown, 0, 0}));
    EXPECT_EQ(techniques(measure(*doc, 4))[0], 0);
    // Note-level vibrato and the second note of the first beat.
    EXPECT_EQ(frets(measure(*doc, 4).beats[0]), "- - - - 18 16");
    EXPECT_EQ(vibratos(measure(*doc, 4), 4)[0], model::kVibratoLeftHand);
    EXPECT_EQ(perBeat(measure(*doc, 5), [](const CAccord& b) { return b.palmMute; }), (V{0, 1, 0, 0}));
}

TEST(GpSamples, Harmonics)
{
    // Version 3 marks harmonics on the beat (artificial on beats 2..4);
    // version 4 on the note: tapped and artificial types all read as artificial.
    auto v3 = imported(dataFile("Harmonics.gp3"));
    EXPECT_EQ(techniques(measure(*v3, 0)), (V{0, 8, 8, 8}));
    EXPECT_EQ(rhythm(measure(*v3, 1)), "6r");
    auto v4 = imported(dataFile("Harmonics.gp4"));
    ASSERT_EQ(v4->measureCount, 1);
    EXPECT_EQ(techniques(measure(*v4, 0)), (V{8, 8, 8, 8}));
    EXPECT_EQ(measure(*v4, 0).flags, model::kFlagFirst | model::kFlagLast);
}

TEST(GpSamples, MeasureHeadersRepeatsAndSignatures)
{
    // First bar: 4/4, closes a repeat played twice; second: 3/4, repeat end
    // with an alternate ending, a marker and a key change; third: back to 4/4.
    for (const char* name : {"Measure-Header.gp3", "Measure-Header.gp4"}) {
        SCOPED_TRACE(name);
        auto doc = imported(dataFile(name));
        ASSERT_EQ(doc->measureCount, 3);
        EXPECT_EQ(measure(*doc, 0).flags, model::kFlagFirst | (1 * 32 + model::kFlagRepeatEnd));
        EXPECT_EQ(measure(*doc, 1).flags, model::kFlagMiddle | (1 * 32 + model::kFlagRepeatEnd));
        EXPECT_EQ(measure(*doc, 2).flags, model::kFlagLast);
        EXPECT_EQ(measure(*doc, 1).numerator, 3);
        EXPECT_EQ(measure(*doc, 2).numerator, 4);
        EXPECT_EQ(rhythm(measure(*doc, 1)), "4 4r 4r");
        EXPECT_EQ(doc->scoreNumerator, 4);
        EXPECT_EQ(doc->scoreDenominator, 4);
    }
}

TEST(GpSamples, RepeatsAndTempo)
{
    auto doc = imported(dataFile("Repeat.gp4"));
    EXPECT_EQ(doc->scoreTempo, 400);
    EXPECT_EQ(measure(*doc, 7).tempo, 400);
    // Two repeated sections with alternate endings; the last bar both opens
    // and closes a section played four times.
    const V expected{1 | 4, 8 | 48, 8 | 48, 8, 8 | 4, 8 | 48, 8 | 48, 2 | 4 | (3 * 32 + 16)};
    V flags;
    for (int m = 0; m < doc->measureCount; ++m)
        flags.push_back(measure(*doc, m).flags);
    EXPECT_EQ(flags, expected);
}

TEST(GpSamples, SlidesOfVersion4)
{
    auto doc = imported(dataFile("Slides.gp4"));
    // 5 -> 7 with a shift slide, 5 -> 7 with a legato slide: Slide Up on the 7s.
    EXPECT_EQ(techniques(measure(*doc, 0)), (V{0, 3, 0, 3}));
    // Slide in from below (Slide Up) and from above (Slide Down) on the note
    // itself; slides out of a note have no model code.
    EXPECT_EQ(techniques(measure(*doc, 1)), (V{3, 4, 0, 0}));
}

TEST(GpSamples, StrokesBecomeArpeggios)
{
    auto doc = imported(dataFile("Strokes.gp4"));
    auto arpeggios = [&](int m) { return perBeat(measure(*doc, m), [](const CAccord& b) { return b.arpeggio; }); };
    EXPECT_EQ(arpeggios(0), (V{1, 1, 1, 1}));  // down strokes
    EXPECT_EQ(arpeggios(1), (V{2, 2, 2, 2}));  // up strokes
    EXPECT_EQ(arpeggios(2), (V{1, 2, 1, 2}));
    EXPECT_EQ(arpeggios(3), (V{0, 0, 0, 0}));  // pick strokes are not arpeggios
    EXPECT_EQ(frets(measure(*doc, 0).beats[0]), "- - - 2 2 0");
}

TEST(GpSamples, VibratoKinds)
{
    auto doc = imported(dataFile("Vibrato.gp4"));
    EXPECT_EQ(vibratos(measure(*doc, 0)), V{1});
    EXPECT_EQ(vibratos(measure(*doc, 1)), V{2});
    // The wide vibrato of the beat wins over the notes' own vibrato.
    EXPECT_EQ(vibratos(measure(*doc, 2), 4), V{2});
    EXPECT_EQ(vibratos(measure(*doc, 3), 5), V{2});
}

TEST(GpSamples, KeySignaturesHaveNoPlaceButTheBarsRemain)
{
    auto doc = imported(dataFile("Key.gp4"));
    ASSERT_EQ(doc->measureCount, 2);
    EXPECT_EQ(rhythm(measure(*doc, 0)), "6r");
    EXPECT_EQ(rhythm(measure(*doc, 1)), "6r");
}

// ---------------------------------------------------------------------------
// Built files for the cases the samples do not hold.

TEST(GpImport, SongInformation)
{
    GpFileBuilder f = GpFileBuilder::oneTrack(4, {GpFileBuilder::quarters(4)});
    f.title = "Caf\xE9";
    f.words = "Paroles";
    f.tabber = "Moi";
    f.notice = {"ligne 1", "ligne 2"};
    f.tripletFeel = 1;
    auto doc = imported(f.bytes());
    EXPECT_EQ(doc->title, "Café"); // Windows-1252 in the file, UTF-8 in memory
    EXPECT_EQ(doc->author, "Paroles");
    EXPECT_EQ(doc->tabber, "Moi");
    EXPECT_EQ(doc->notes, "ligne 1\r\nligne 2");
    EXPECT_EQ(doc->tripletFeel, 1);
    EXPECT_EQ(doc->showAuthor, 1);
    EXPECT_EQ(doc->showTabber, 1);

    f.title = "";
    EXPECT_EQ(imported(f.bytes())->title, "Sans Titre");
}

TEST(GpImport, FourStringBassUsesTheLowSlotsAndGuitarTuning)
{
    GpBeat beat;
    beat.notes = {{1, 3}, {4, 5}};
    GpFileBuilder f = GpFileBuilder::oneTrack(3, {{beat}});
    f.tracks[0].strings = 4;
    f.tracks[0].tuning = {43, 38, 33, 28, 0, 0, 0}; // G2 D2 A1 E1
    auto doc = imported(f.bytes());
    EXPECT_EQ(doc->slotInstrument[0], model::kBass);
    // -10 -5 0 5 on the guitar scale, raised an octave: the guitar's low four.
    EXPECT_EQ(doc->tuning[0][0], 2);
    EXPECT_EQ(doc->tuning[0][1], 7);
    EXPECT_EQ(doc->tuning[0][2], 12);
    EXPECT_EQ(doc->tuning[0][3], 17);
    // The highest string lands on entry 2, the lowest on entry 5.
    EXPECT_EQ(frets(measure(*doc, 0).beats[0]), "- - 3 - - 5");
}

TEST(GpImport, PercussionUsesTheDrumMap)
{
    GpBeat beat;
    beat.notes = {{1, 36}, {2, 42}, {3, 20}, {4, 88}, {5, 35, 3}};
    GpFileBuilder f = GpFileBuilder::oneTrack(4, {{beat}});
    f.tracks[0].tuning = {0, 0, 0, 0, 0, 0, 0};
    auto doc = imported(f.bytes());
    EXPECT_EQ(doc->slotInstrument[0], model::kDrums);
    EXPECT_EQ(doc->arpeggioLatency[0], 1);
    // Bass drum 36 -> 0, closed hi-hat 42 -> 6, a key below 27 stays EMPTY,
    // 88 wraps round to the map's first entry, a "dead" drum note is a drum note.
    EXPECT_EQ(frets(measure(*doc, 0).beats[0]), "0 6 - 9 1 -");

    // The percussion flag alone also makes a drum track.
    f.tracks[0].tuning = {64, 59, 55, 50, 45, 40, -1};
    f.tracks[0].flags = 1;
    EXPECT_EQ(imported(f.bytes())->slotInstrument[0], model::kDrums);
}

TEST(GpImport, EmptyBarsBecomeTheirRestPattern)
{
    // A 3/4 bar with no beats, a 3/4 bar whose single beat is "empty", a 12/4
    // bar with no beats (more than a whole note: whole rests first).
    GpBeat empty;
    empty.status = 0;
    empty.duration = 1;
    GpFileBuilder f = GpFileBuilder::oneTrack(3, {{}, {empty}, {}});
    f.headers[0].numerator = 3;
    f.headers[2].numerator = 12;
    auto doc = imported(f.bytes());
    EXPECT_EQ(rhythm(measure(*doc, 0)), "4r 5r");
    EXPECT_EQ(rhythm(measure(*doc, 1)), "4r 5r");
    EXPECT_EQ(rhythm(measure(*doc, 2)), "6r 6r 6r");
    EXPECT_TRUE(isMeasureFull(measure(*doc, 2)));
}

TEST(GpImport, TiesMarkTheBeatTheyLeave)
{
    // Bar 1 ends on fret 5; bar 2 starts with a tie on that string, then a
    // note, then another tie.
    std::vector<GpBeat> bar1 = GpFileBuilder::quarters(4, 1, 5);
    std::vector<GpBeat> bar2 = GpFileBuilder::quarters(4, 1, 7);
    bar2[0].notes[0].type = 2;
    bar2[2].notes[0].type = 2;
    GpFileBuilder f = GpFileBuilder::oneTrack(4, {bar1, bar2});
    auto doc = imported(f.bytes());
    EXPECT_EQ(rhythm(measure(*doc, 0)), "4 4 4 4~");
    EXPECT_EQ(rhythm(measure(*doc, 1)), "4 4~ 4 4");
    EXPECT_TRUE(measure(*doc, 1).beats[0].notes[0].isEmpty());
    EXPECT_TRUE(measure(*doc, 1).beats[2].notes[0].isEmpty());

    // A tie with nothing before it (first beat of the score, or after a rest)
    // is played: at the string's last pitch, else at its stored fret.
    bar1[0].notes[0].type = 2;
    bar1[0].notes[0].fret = 3;
    bar2[1].status = 2;
    GpFileBuilder g = GpFileBuilder::oneTrack(4, {bar1, bar2});
    doc = imported(g.bytes());
    EXPECT_EQ(frets(measure(*doc, 0).beats[0]), "3 - - - - -");
    EXPECT_EQ(rhythm(measure(*doc, 1)), "4 4r 4 4");
    EXPECT_EQ(frets(measure(*doc, 1).beats[2]), "5 - - - - -");
}

TEST(GpImport, HammerAndSlideMarksMoveToTheNextNoteOnTheString)
{
    auto mark = [](int fret, int effects) {
        GpNote n{1, fret};
        n.effects = std::string{static_cast<char>(effects)};
        return n;
    };
    // 5 h 7 p 5 / 3 (across the bar: lower, so a pull-off) s 7 s 2 / 9 h (nothing follows).
    std::vector<GpBeat> bar1(4), bar2(4);
    bar1[0].notes = {mark(5, 0x02)};
    bar1[1].notes = {mark(7, 0x02)};
    bar1[2].notes = {mark(5, 0x02)};
    bar1[3].status = 2; // a rest between does not lose the mark
    bar2[0].notes = {mark(3, 0x04)};
    bar2[1].notes = {mark(7, 0x04 | 0x02)};
    bar2[2].notes = {GpNote{1, 2}};
    bar2[3].notes = {mark(9, 0x02)};
    GpFileBuilder f = GpFileBuilder::oneTrack(3, {bar1, bar2});
    auto doc = imported(f.bytes());
    EXPECT_EQ(techniques(measure(*doc, 0), 0), (V{0, model::kHammerOn, model::kPullOff, 0}));
    EXPECT_EQ(techniques(measure(*doc, 1), 0), (V{model::kPullOff, model::kSlideUp, model::kSlideDown, 0}));
}

TEST(GpImport, BendsTremoloBarAndAmounts)
{
    auto bent = [](int type, int height) {
        GpNote n{1, 7};
        n.effects = std::string("\x01", 1) + gpBend(type, height);
        return n;
    };
    std::vector<GpBeat> bar(5);
    bar[0].notes = {bent(1, 100)}; // full bend
    bar[1].notes = {bent(2, 50)};  // bend and release, half a tone
    bar[2].notes = {bent(4, 300)}; // pre-bend of three tones: amount 6
    bar[3].notes = {bent(5, 900)}; // release beyond the dialog's range: 7
    GpBytes dive;
    dive.u8(0x20).u8(0).i32(150); // version-3 tremolo bar, one and a half tones
    bar[4].effects = dive.s;
    bar[4].notes = {GpNote{1, 7}};
    GpFileBuilder f = GpFileBuilder::oneTrack(3, {bar});
    auto doc = imported(f.bytes());
    EXPECT_EQ(perBeat(measure(*doc, 0), [](const CAccord& b) { return b.notes[0].bend; }),
              (V{2 * 16 + 1, 1 * 16 + 8, 6 * 16 + 2, 7 * 16 + 4, 0}));
    EXPECT_EQ(measure(*doc, 0).beats[4].notes[0].vibrato, 3 * 8 + 4);
}

TEST(GpImport, MoreThanTenTracksKeepTheLastInTheTenth)
{
    GpFileBuilder f(4);
    f.headers.resize(2);
    for (int k = 0; k < 12; ++k) {
        GpTrack t;
        t.name = "T" + std::to_string(k + 1);
        t.tuning[0] = 60 + k; // a different top string per track
        f.tracks.push_back(t);
    }
    for (int m = 0; m < 2; ++m) {
        for (int k = 0; k < 12; ++k) {
            std::vector<GpBeat> body = GpFileBuilder::quarters(4, 1, k);
            if (m == 1 && k == 10)
                body[0].notes[0].type = 2; // must not tie track 12's bar
            f.bodies.push_back(body);
        }
    }
    auto doc = imported(f.bytes());
    EXPECT_EQ(doc->trackCount, 10);
    EXPECT_EQ(doc->slotCount, 10);
    EXPECT_EQ(doc->trackNames[8], "T9");
    EXPECT_EQ(doc->trackNames[9], "T12");
    EXPECT_EQ(doc->tuning[9][5], 60 + 11 - 38);
    EXPECT_EQ(measure(*doc, 1, 9).beats[0].notes[0].fret, 11);
    EXPECT_EQ(rhythm(measure(*doc, 0, 9)), "4 4 4 4");
}

TEST(GpImport, SevenStringTracksDropTheLowestString)
{
    GpBeat beat;
    beat.notes = {{1, 1}, {6, 6}, {7, 7}};
    GpFileBuilder f = GpFileBuilder::oneTrack(4, {{beat}});
    f.tracks[0].strings = 7;
    f.tracks[0].tuning = {64, 59, 55, 50, 45, 40, 35};
    auto doc = imported(f.bytes());
    EXPECT_EQ(doc->tuning[0], kStandard);
    EXPECT_EQ(frets(measure(*doc, 0).beats[0]), "1 - - - - 6");
}

TEST(GpImport, ChannelGivesInstrumentAndVolume)
{
    GpFileBuilder f = GpFileBuilder::oneTrack(3, {GpFileBuilder::quarters(4)});
    f.tracks[0].port = 2;
    f.tracks[0].channel = 3;
    f.programs[18] = 29; // port 2, channel 3: overdriven guitar
    f.volumes[18] = 16;
    auto doc = imported(f.bytes());
    EXPECT_EQ(doc->slotInstrument[0], model::kDistortedGuitar);
    EXPECT_EQ(doc->volume[0], 100);
    EXPECT_EQ(doc->arpeggioLatency[0], 6);

    EXPECT_EQ(gp::instrumentFromProgram(0), model::kPiano);
    EXPECT_EQ(gp::instrumentFromProgram(-1), model::kPiano);
    EXPECT_EQ(gp::instrumentFromProgram(103), model::kPiano);
    EXPECT_EQ(gp::instrumentFromProgram(27), model::kCleanGuitar);
    EXPECT_EQ(gp::instrumentFromProgram(40), model::kCleanGuitar);
    EXPECT_EQ(gp::instrumentFromProgram(30), model::kDistortedGuitar);
    EXPECT_EQ(gp::instrumentFromProgram(25), model::kFolkGuitar);
    EXPECT_EQ(gp::instrumentFromProgram(104), model::kFolkGuitar);
    EXPECT_EQ(gp::instrumentFromProgram(24), model::kClassicalGuitar);
    EXPECT_EQ(gp::instrumentFromProgram(41), model::kClassicalGuitar);
    EXPECT_EQ(gp::instrumentFromProgram(33), model::kBass);
    EXPECT_EQ(gp::volumeFromChannel(0), 50);
    EXPECT_EQ(gp::volumeFromChannel(13), 90);
    EXPECT_EQ(gp::volumeFromChannel(200), 100);
}

TEST(GpImport, ValuesBeyondTheModelAreBroughtIntoRange)
{
    std::vector<GpBeat> bar = GpFileBuilder::quarters(4, 1, 30); // fret 30: an octave down
    bar[1].duration = 7;                                      // no such duration: whole
    GpFileBuilder f = GpFileBuilder::oneTrack(4, {bar, GpFileBuilder::quarters(4), GpFileBuilder::quarters(4)});
    f.tempo = 900;
    f.tracks[0].capo = 20;
    f.tracks[0].tuning[0] = 127;
    f.headers[1].numerator = 40;
    f.headers[2].denominator = 3; // not a note value: the running 4 stays
    auto doc = imported(f.bytes());
    EXPECT_EQ(doc->scoreTempo, 500);
    EXPECT_EQ(doc->capo[0], 12);
    EXPECT_EQ(doc->tuning[0][5], 29);
    EXPECT_EQ(measure(*doc, 0).beats[0].notes[0].fret, 18);
    EXPECT_EQ(measure(*doc, 0).beats[1].durationCode, 6);
    EXPECT_EQ(measure(*doc, 1).numerator, 32);
    EXPECT_EQ(measure(*doc, 2).denominator, 4);

    EXPECT_EQ(gp::foldTuning(0, false), 10);
    EXPECT_EQ(gp::foldTuning(16, true), 2);
    for (long long midi : {-2147483648LL, -1LL, 2147483647LL}) {
        EXPECT_GE(gp::foldTuning(midi, false), 0);
        EXPECT_LE(gp::foldTuning(midi, false), 38);
        EXPECT_GE(gp::foldTuning(midi, true), 0);
        EXPECT_LE(gp::foldTuning(midi, true), 50);
    }
    EXPECT_EQ(gp::foldFret(24), 24);
    EXPECT_EQ(gp::foldFret(25), 13);
    EXPECT_EQ(gp::foldFret(127), 19);
}

TEST(GpImport, LongBarsKeepWhatTheNativeFormatCanStore)
{
    std::vector<GpBeat> longBar = GpFileBuilder::quarters(300, 1, 1);
    longBar[299].notes[0].fret = 9;
    GpFileBuilder f = GpFileBuilder::oneTrack(3, {longBar, GpFileBuilder::quarters(4, 1, 2)});
    auto doc = imported(f.bytes());
    EXPECT_EQ(measure(*doc, 0).beatCount, 255);
    EXPECT_EQ(frets(measure(*doc, 1).beats[0]), "2 - - - - -"); // reading went on in step
}

TEST(GpImport, ChordsTextsAndMixTablesAreSteppedOver)
{
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        GpBeat beat;
        beat.notes = {{1, 3}};
        GpBytes newChord;
        newChord.u8(1).raw(std::string(version == 3 ? 124 : 106, '\x07'));
        GpBytes oldChord;
        oldChord.u8(0).text("Am").i32(5);
        for (int i = 0; i < 6; ++i)
            oldChord.i32(i);
        GpBytes mix;
        mix.raw(std::string("\x05\x0a\xff\xff\xff\xff\x03", 7)).i32(90).u8(1).u8(2).u8(0);
        if (version == 4)
            mix.u8(1);
        std::vector<GpBeat> bar(4, beat);
        bar[0].chord = newChord.s;
        bar[1].chord = oldChord.s;
        bar[2].mix = mix.s;
        bar[3].flags = 0x04; // text
        GpFileBuilder f = GpFileBuilder::oneTrack(version, {bar});
        gp::ImportInfo info;
        auto doc = imported(f.bytes(), &info);
        EXPECT_EQ(info.endPosition, f.bytes().size());
        EXPECT_EQ(rhythm(measure(*doc, 0)), "4 4 4 4");
        EXPECT_EQ(frets(measure(*doc, 0).beats[3]), "3 - - - - -");
    }
}

TEST(GpImport, LayoutFollowsTheVersionTextNotTheExtension)
{
    const std::string v4 = dataFile("Slides.gp4");
    CTabDoc doc;
    EXPECT_TRUE(importGp3(doc, bytesOf(v4), v4.size()));
    EXPECT_EQ(techniques(measure(doc, 0)), (V{0, 3, 0, 3}));

    std::string v5 = v4;
    v5[21] = '5'; // "v5.06": no such version
    EXPECT_THROW(importGp4(doc, bytesOf(v5), v5.size()), GpDamaged);

    const std::string real5 = dataFile("Slides.gp5");
    EXPECT_TRUE(importGp3(doc, bytesOf(real5), real5.size()));
    EXPECT_EQ(techniques(measure(doc, 0)), (V{0, 3, 0, 3}));
}

TEST(GpImport, FilesMayStopAfterAnyWholeBar)
{
    GpFileBuilder f = GpFileBuilder::oneTrack(4, {GpFileBuilder::quarters(4, 1, 1), GpFileBuilder::quarters(4, 1, 2)});
    f.headers.resize(5); // five bars announced, two written
    auto doc = imported(f.bytes());
    EXPECT_EQ(doc->measureCount, 2);
    EXPECT_EQ(measure(*doc, 1).flags, model::kFlagLast);

    // The four trailing zero bytes many writers add are not a bar.
    f.headers.resize(2);
    f.trailingZeroInt = true;
    EXPECT_EQ(imported(f.bytes())->measureCount, 2);
}

TEST(GpImport, DataEndingEarlyIsReportedAndGivesANewScore)
{
    GpFileBuilder f = GpFileBuilder::oneTrack(4, {GpFileBuilder::quarters(4, 1, 1), GpFileBuilder::quarters(4, 1, 2)});
    const std::string whole = f.bytes();
    const std::size_t barBytes = 4 + 4 * 6; // count, four one-note beats
    const std::size_t bar2 = whole.size() - barBytes;
    const std::size_t bar1 = bar2 - barBytes;
    TempDir dir;
    ScriptedPrompter prompter;
    // Inside each bar, before any bar, inside the track block, inside the
    // song information and inside the version text.
    for (std::size_t cut : {whole.size() - 3, bar2 - 7, bar1, bar1 - 50, std::size_t{100}, std::size_t{20}}) {
        SCOPED_TRACE(cut);
        CTabDoc doc;
        doc.setPrompter(&prompter);
        const std::string path = dir.file("cut.gp4");
        TempDir::write(path, whole.substr(0, cut));
        EXPECT_TRUE(doc.OnOpenDocument(path));
        EXPECT_TRUE(doc.lastOpenFailed());
        EXPECT_EQ(doc.lastError(), CTabDoc::kImportProblem);
        EXPECT_EQ(doc.title, "Sans Titre");
        EXPECT_EQ(doc.measureCount, 1);
        EXPECT_EQ(doc.trackCount, 1);
    }
}

TEST(GpImport, AbsurdCountsFailWithoutAllocating)
{
    GpFileBuilder f = GpFileBuilder::oneTrack(3, {GpFileBuilder::quarters(4)});
    const std::string good = f.bytes();
    // From the end: one bar (count + four one-note beats), one track block,
    // one header (flags, numerator, denominator), then the two counts.
    const std::size_t beatCount = good.size() - (4 + 4 * 6);
    const std::size_t counts = beatCount - 98 - 3 - 8;
    auto withInt = [&](std::size_t at, std::uint32_t v) {
        std::string s = good;
        for (int i = 0; i < 4; ++i)
            s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    CTabDoc doc;
    ASSERT_TRUE(gp::importScore(doc, bytesOf(good), good.size()));
    // Counts the remaining bytes cannot hold: the data "ends early".
    for (const std::string& bad : {withInt(counts, 0x7FFFFFFF), withInt(counts + 4, 0x7FFFFFFF)})
        EXPECT_THROW(gp::importScore(doc, bytesOf(bad), bad.size()), EndOfData);
    const std::string manyBeats = withInt(beatCount, 0x7FFFFFFF);
    EXPECT_FALSE(gp::importScore(doc, bytesOf(manyBeats), manyBeats.size()));
    // Counts no writer produces.
    for (const std::string& bad : {withInt(counts, 0), withInt(counts, 0xFFFFFFFF), withInt(counts + 4, 0)})
        EXPECT_THROW(gp::importScore(doc, bytesOf(bad), bad.size()), GpDamaged);
}

TEST(GpImport, SmallFilesCannotBuildHugeScores)
{
    // Every empty 32/1 bar becomes 32 whole rests from four bytes of file:
    // past a million beats the file is refused rather than filling memory.
    const int bars = static_cast<int>(gp::kMaxImportedBeats / 32) + 1;
    GpFileBuilder f = GpFileBuilder::oneTrack(3, std::vector<std::vector<GpBeat>>(static_cast<std::size_t>(bars)));
    f.headers[0].numerator = 32;
    f.headers[0].denominator = 1;
    const std::string bytes = f.bytes();
    EXPECT_LT(bytes.size(), 300000u);
    CTabDoc doc;
    EXPECT_THROW(gp::importScore(doc, bytesOf(bytes), bytes.size()), GpDamaged);
}

TEST(GpRoundTrip, ConvertedFilesReopenWithTheSameDump)
{
    // Arpeggio marks are not part of the native format, so they are left out
    // of the comparison; everything else must survive the conversion.
    const std::regex arpeggio("\"arpeggio\":[0-9]");
    TempDir dir;
    for (const char* name : {"Chords.gp3", "Chords.gp4", "Duration.gp3", "Effects.gp3", "Effects.gp4",
                             "Harmonics.gp3", "Harmonics.gp4", "Key.gp4", "Measure-Header.gp3",
                             "Measure-Header.gp4", "Repeat.gp4", "Slides.gp4", "Strokes.gp4", "Vibrato.gp4"}) {
        SCOPED_TRACE(name);
        const std::string gpPath = dir.file(name);
        TempDir::write(gpPath, dataFile(name));
        CTabDoc source;
        ASSERT_TRUE(source.OnOpenDocument(gpPath));
        ASSERT_FALSE(source.lastOpenFailed());
        const std::string before = std::regex_replace(scoreToJson(source), arpeggio, "\"arpeggio\":0");
        const std::string tbfPath = dir.file(std::string(name) + ".tbf");
        ASSERT_TRUE(source.OnSaveDocument(tbfPath));
        CTabDoc reopened;
        ASSERT_TRUE(reopened.OnOpenDocument(tbfPath));
        ASSERT_FALSE(reopened.lastOpenFailed());
        EXPECT_EQ(scoreToJson(reopened), before);
    }
}
