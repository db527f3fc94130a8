#pragma once

// What every imported score must satisfy for the rest of the program (and
// for the native writer and reader) to use it, and short views of imported
// measures for the Guitar Pro tests.

#include "CTabDoc.h"
#include "GpImporter.h"
#include "ScoreCheck.h"
#include "ScoreJson.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

inline void expectUsableScore(const CTabDoc& doc)
{
    ASSERT_EQ(model::scoreProblem(doc), "");
    ASSERT_GE(doc.measureCount, 1);
    ASSERT_GE(doc.trackCount, 1);
    ASSERT_LE(doc.trackCount, model::kMaxTracks);
    ASSERT_EQ(doc.slotCount, doc.trackCount);
    ASSERT_GE(doc.scoreTempo, 1);
    for (int s = 0; s < doc.slotCount; ++s) {
        ASSERT_GE(doc.slotInstrument[static_cast<std::size_t>(s)], 0);
        ASSERT_LE(doc.slotInstrument[static_cast<std::size_t>(s)], model::kPiano);
    }
    const CArray<CMesure>& first = doc.tracks[0];
    for (int t = 0; t < doc.trackCount; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        const CArray<CMesure>& track = doc.tracks[ti];
        ASSERT_EQ(track.GetSize(), doc.measureCount);
        ASSERT_GE(doc.capo[ti], 0);
        ASSERT_LE(doc.capo[ti], 12);
        ASSERT_GE(doc.volume[ti], 0);
        ASSERT_LE(doc.volume[ti], 100);
        for (int v : doc.tuning[ti]) {
            ASSERT_GE(v, 0);
            ASSERT_LE(v, 255);
        }
        for (int m = 0; m < doc.measureCount; ++m) {
            const CMesure& measure = track[m];
            ASSERT_EQ(measure.index, m);
            ASSERT_EQ(measure.instrumentSlot, t);
            ASSERT_GE(measure.numerator, 1);
            ASSERT_TRUE(model::isValidDenominator(measure.denominator)) << measure.denominator;
            ASSERT_GE(measure.tempo, 1);
            ASSERT_EQ(measure.tempo, first[m].tempo);
            ASSERT_EQ(measure.numerator, first[m].numerator);
            ASSERT_EQ(measure.denominator, first[m].denominator);
            ASSERT_EQ(measure.flags & ~3, first[m].flags & ~3);
            ASSERT_GE(measure.beatCount, 1);
            ASSERT_LE(measure.beatCount, 255);
            ASSERT_EQ(measure.beatCount, measure.beats.GetSize());
            for (int b = 0; b < measure.beatCount; ++b) {
                const CAccord& beat = measure.beats[b];
                ASSERT_GE(beat.durationCode, 0);
                ASSERT_LE(beat.durationCode, 6);
                ASSERT_GE(beat.palmMute, 0);
                ASSERT_LE(beat.palmMute, 2);
                ASSERT_GE(beat.arpeggio, 0);
                ASSERT_LE(beat.arpeggio, 2);
                for (const CNote& n : beat.notes) {
                    ASSERT_GE(n.fret, 0);
                    ASSERT_LE(n.fret, 31);
                    ASSERT_GE(n.technique, 0);
                    ASSERT_LE(n.technique, 10);
                    ASSERT_GE(n.bend, 0);
                    ASSERT_GE(n.vibrato, 0);
                    ASSERT_LE(n.bend >> 4, 7);
                    ASSERT_LE(n.vibrato >> 3, 7);
                    if (beat.isRest) {
                        ASSERT_TRUE(n.isEmpty());
                    }
                }
            }
        }
    }
}

// A sample file of the test data: version-5 files have their own folder.
inline std::string dataFile(const std::string& name)
{
    const bool v5 = name.size() > 4 && name.compare(name.size() - 4, 4, ".gp5") == 0;
    return TempDir::read(std::string(v5 ? FRETLARK_GP5_DATA : FRETLARK_GP_DATA) + "/" + name);
}

inline const std::uint8_t* bytesOf(const std::string& s)
{
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

// Imports bytes into a fresh document and checks the result is usable.
inline std::unique_ptr<CTabDoc> imported(const std::string& bytes, gp::ImportInfo* info = nullptr)
{
    auto doc = std::make_unique<CTabDoc>();
    EXPECT_TRUE(doc->OnNewDocument());
    EXPECT_TRUE(gp::importScore(*doc, bytesOf(bytes), bytes.size(), info));
    expectUsableScore(*doc);
    return doc;
}

// Opens bytes saved under a file name through the document, as File > Open
// does; the open must succeed without a message. Returns the score as JSON.
inline std::string openedThroughDocument(CTabDoc& doc, const std::string& name, const std::string& bytes)
{
    ScriptedPrompter prompter;
    doc.setPrompter(&prompter);
    TempDir dir;
    const std::string path = dir.file(name);
    TempDir::write(path, bytes);
    EXPECT_TRUE(doc.OnOpenDocument(path));
    EXPECT_FALSE(doc.lastOpenFailed());
    EXPECT_TRUE(prompter.messages.empty());
    doc.setPrompter(nullptr);
    return scoreToJson(doc);
}

inline const CMesure& measure(const CTabDoc& doc, int m, int t = 0)
{
    return doc.tracks[static_cast<std::size_t>(t)][m];
}

// Rhythm of a measure, one word per beat: duration code, then '.' dotted,
// 't' triplet start, 'r' rest, '~' tied into the next beat.
inline std::string rhythm(const CMesure& m)
{
    std::string out;
    for (int b = 0; b < m.beatCount; ++b) {
        const CAccord& beat = m.beats[b];
        if (!out.empty())
            out += ' ';
        out += std::to_string(beat.durationCode);
        out += beat.isDotted ? "." : "";
        out += beat.isTriplet ? "t" : "";
        out += beat.isRest ? "r" : "";
        out += beat.isTied ? "~" : "";
    }
    return out;
}

// Frets of a beat, highest string first, '-' for EMPTY.
inline std::string frets(const CAccord& beat)
{
    std::string out;
    for (const CNote& n : beat.notes) {
        if (!out.empty())
            out += ' ';
        out += n.fret == model::kEmptyFret ? "-" : std::to_string(n.fret);
    }
    return out;
}

// One field of every beat of a measure.
template <typename F>
std::vector<int> perBeat(const CMesure& m, F field)
{
    std::vector<int> out;
    for (int b = 0; b < m.beatCount; ++b)
        out.push_back(field(m.beats[b]));
    return out;
}

inline std::vector<int> techniques(const CMesure& m, int k = 5)
{
    return perBeat(m, [k](const CAccord& b) { return b.notes[k].technique; });
}

inline std::vector<int> vibratos(const CMesure& m, int k = 5)
{
    return perBeat(m, [k](const CAccord& b) { return b.notes[k].vibrato; });
}
