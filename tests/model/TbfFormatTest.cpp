#include "ByteReader.h"
#include "CTabDoc.h"
#include "ScoreFactory.h"
#include "TbfFormat.h"

#include <gtest/gtest.h>

namespace {

std::string bytesOf(std::initializer_list<int> v)
{
    std::string s;
    for (int b : v)
        s.push_back(static_cast<char>(b));
    return s;
}

// A score as saved from an untouched new score: one whole-note beat, no notes.
void minimalScore(CTabDoc& doc)
{
    doc.OnNewDocument();
    CMesure& m = doc.tracks[0][0];
    m.beats[0].durationCode = 6;
    compactMeasure(m);
    m.flags = 3;
}

void readBytes(CTabDoc& doc, const std::string& bytes)
{
    tbf::read(doc, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The measure block of track 0, measure 0 starts after the fixed header of a
// one-track file whose texts are "Sans Titre" and empty.
constexpr std::size_t kFirstBeatOffset = 65;

} // namespace

TEST(TbfWrite, MinimalScoreIsSixtyEightBytes)
{
    CTabDoc doc;
    minimalScore(doc);
    const std::string expected =
        bytesOf({3, 'T', 'B', 'F', 10}) + "Sans Titre" +
        bytesOf({1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 60, 0, 0, 0, 4, 4, 0, 50, 0, 100,
                 2, 7, 12, 17, 21, 26, 3, 0, 0, 0, 60, 0, 0, 0, 4, 4, 1, 0, 6, 0, 0});
    const std::string written = tbf::write(doc);
    EXPECT_EQ(written.size(), 68u);
    EXPECT_EQ(written, expected);
}

TEST(TbfWrite, BeatAndNoteEncodings)
{
    CTabDoc doc;
    minimalScore(doc);
    CAccord& beat = doc.tracks[0][0].beats[0];

    beat.isRest = 1;
    beat.durationCode = 5;
    beat.palmMute = 1;
    beat.notes[0].fret = 3; // a rest never stores notes
    std::string w = tbf::write(doc);
    EXPECT_EQ(w.substr(kFirstBeatOffset), bytesOf({8 + 5, 8}));

    beat = CAccord();
    beat.notes[2].fret = 27;
    beat.notes[2].technique = 1; // hammer-on on an empty string still stored
    w = tbf::write(doc);
    EXPECT_EQ(w.substr(kFirstBeatOffset), bytesOf({4, 0, 1 << 2, 0x3B, 0x00}));

    beat.notes[2] = CNote();
    beat.notes[5].fret = 12;
    beat.notes[5].technique = 9; // bit 3 of the technique goes to byte 2
    beat.notes[5].bend = 1;      // bend kind 1, amount 0: third byte 00
    beat.notes[5].vibrato = 3 * 8 + 4;
    w = tbf::write(doc);
    EXPECT_EQ(w.substr(kFirstBeatOffset), bytesOf({4, 0, 1 << 5, 32 + 12, ((4 * 16 + 1) * 2 + 1) & 0xFF, 0, 3}));

    CTabDoc back;
    readBytes(back, w);
    EXPECT_EQ(back.tracks[0][0].beats[0].notes[5], beat.notes[5]);
}

TEST(TbfWrite, HeaderWordAndLongTitle)
{
    CTabDoc doc;
    minimalScore(doc);
    doc.soloTrack = 3;
    doc.tripletFeel = 1;
    doc.title = std::string(300, 'T');
    const std::string w = tbf::write(doc);
    EXPECT_EQ(w.substr(4, 3), bytesOf({0xFF, 0x2C, 0x01}));
    const std::size_t headerWord = 4 + 3 + 300 + 4 + 2;
    EXPECT_EQ(w.substr(headerWord, 4), bytesOf({7, 0, 0, 0}));
    CTabDoc back;
    readBytes(back, w);
    EXPECT_EQ(back.soloTrack, 3);
    EXPECT_EQ(back.tripletFeel, 1);
    EXPECT_EQ(back.title.size(), 300u);
}

TEST(TbfRead, OneTrackPanForcedArpeggioDroppedLatencyByInstrument)
{
    CTabDoc doc;
    minimalScore(doc);
    doc.pan[0] = 20;
    doc.tracks[0][0].beats[0].arpeggio = 2;
    CTabDoc back;
    readBytes(back, tbf::write(doc));
    EXPECT_EQ(back.pan[0], 50);
    EXPECT_EQ(back.tracks[0][0].beats[0].arpeggio, 0);
    EXPECT_EQ(back.arpeggioLatency[0], 6);
    EXPECT_EQ(back.tracks[0][0].isCompacted, 1);

    doc.slotInstrument[0] = model::kPiano;
    readBytes(back, tbf::write(doc));
    EXPECT_EQ(back.arpeggioLatency[0], 1);
}

TEST(TbfRead, RejectsCountsBeyondTheModel)
{
    CTabDoc doc;
    minimalScore(doc);
    const std::string good = tbf::write(doc);
    const std::size_t trackCountAt = 4 + 11 + 4;
    auto with = [&](std::size_t at, int value) {
        std::string s = good;
        s[at] = static_cast<char>(value);
        return s;
    };
    CTabDoc back;
    EXPECT_THROW(readBytes(back, with(trackCountAt, 11)), DamagedFile);
    EXPECT_THROW(readBytes(back, with(trackCountAt, 0)), DamagedFile);
    EXPECT_THROW(readBytes(back, with(trackCountAt + 1, 101)), DamagedFile);
    EXPECT_THROW(readBytes(back, with(kFirstBeatOffset, 7)), DamagedFile); // duration code 7
    EXPECT_THROW(readBytes(back, with(kFirstBeatOffset - 1, 1)), DamagedFile); // slot 1 of 1
    EXPECT_THROW(readBytes(back, with(kFirstBeatOffset - 3, 3)), DamagedFile); // denominator 3
    EXPECT_THROW(readBytes(back, with(kFirstBeatOffset - 3, 0)), DamagedFile); // denominator 0
    // A measure count the file cannot hold is an early end, without allocating for it.
    std::string huge = good;
    huge[trackCountAt - 1] = 0x7F;
    EXPECT_THROW(readBytes(back, huge), EndOfData);
    EXPECT_THROW(readBytes(back, with(trackCountAt - 4, 0)), DamagedFile); // no measures
}

TEST(TbfRoundTrip, RandomScoresSurviveFieldByFieldAndByteForByte)
{
    std::mt19937 rng(20261207);
    for (int iteration = 0; iteration < 300; ++iteration) {
        CTabDoc doc;
        factory::randomScore(doc, rng);
        const std::string first = tbf::write(doc);
        CTabDoc back;
        back.OnNewDocument();
        readBytes(back, first);

        ASSERT_EQ(back.title, doc.title);
        ASSERT_EQ(back.author, doc.author);
        ASSERT_EQ(back.tabber, doc.tabber);
        ASSERT_EQ(back.notes, doc.notes);
        ASSERT_EQ(back.measureCount, doc.measureCount);
        ASSERT_EQ(back.trackCount, doc.trackCount);
        ASSERT_EQ(back.slotCount, doc.slotCount);
        ASSERT_EQ(back.soloTrack, doc.soloTrack);
        ASSERT_EQ(back.tripletFeel, doc.tripletFeel);
        ASSERT_EQ(back.showAuthor, doc.showAuthor);
        ASSERT_EQ(back.showTabber, doc.showTabber);
        ASSERT_EQ(back.scoreTempo, doc.scoreTempo);
        ASSERT_EQ(back.scoreNumerator, doc.scoreNumerator);
        ASSERT_EQ(back.scoreDenominator, doc.scoreDenominator);
        for (int i = 0; i < doc.slotCount; ++i)
            ASSERT_EQ(back.slotInstrument[i], doc.slotInstrument[i]);
        for (int t = 0; t < doc.trackCount; ++t) {
            ASSERT_EQ(back.trackNames[t], doc.trackNames[t]);
            ASSERT_EQ(back.pan[t], doc.pan[t]);
            ASSERT_EQ(back.mute[t], doc.mute[t]);
            ASSERT_EQ(back.capo[t], doc.capo[t]);
            ASSERT_EQ(back.volume[t], doc.volume[t]);
            ASSERT_EQ(back.tuning[t], doc.tuning[t]);
            for (int m = 0; m < doc.measureCount; ++m) {
                const CMesure& a = doc.tracks[t][m];
                const CMesure& b = back.tracks[t][m];
                ASSERT_EQ(b.index, m);
                ASSERT_EQ(b.flags, a.flags);
                ASSERT_EQ(b.tempo, a.tempo);
                ASSERT_EQ(b.numerator, a.numerator);
                ASSERT_EQ(b.denominator, a.denominator);
                ASSERT_EQ(b.instrumentSlot, a.instrumentSlot);
                ASSERT_EQ(b.beatCount, a.beatCount);
                for (int k = 0; k < a.beatCount; ++k) {
                    CAccord expected = a.beats[k];
                    if (expected.isRest)
                        for (CNote& n : expected.notes)
                            n = CNote();
                    ASSERT_EQ(b.beats[k], expected) << "track " << t << " measure " << m << " beat " << k;
                }
            }
        }
        ASSERT_EQ(tbf::write(back), first);
    }
}

TEST(TbfRead, EveryTruncationIsAnEarlyEnd)
{
    std::mt19937 rng(7);
    CTabDoc doc;
    factory::randomScore(doc, rng, 3, 3);
    const std::string full = tbf::write(doc);
    for (std::size_t n = 0; n < full.size(); ++n) {
        CTabDoc back;
        EXPECT_THROW(readBytes(back, full.substr(0, n)), EndOfData) << "prefix of " << n << " bytes";
    }
}
