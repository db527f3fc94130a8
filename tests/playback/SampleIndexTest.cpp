#include "CTabDoc.h"
#include "SampleChoice.h"

#include <gtest/gtest.h>

namespace {

constexpr std::array<int, 6> kStandard{2, 7, 12, 17, 21, 26};

CNote fret(int f)
{
    CNote n;
    n.fret = f;
    return n;
}

int indexFor(int instrument, int f, int string, int capo = 0, std::array<int, 6> tuning = kStandard)
{
    return voicing::SampleIndexFor(instrument, fret(f), tuning, capo, string);
}

} // namespace

TEST(SampleIndex, OpenStringsOfStandardTuning)
{
    for (int s = 0; s < 6; ++s)
        EXPECT_EQ(indexFor(model::kFolkGuitar, 0, s), kStandard[static_cast<std::size_t>(5 - s)]);
    EXPECT_EQ(indexFor(model::kFolkGuitar, 3, 0, 2), 26 + 3 + 2);
}

TEST(SampleIndex, NotesAboveTheRangeFoldDownByOctaves)
{
    // 26 + 24 + 5 = 55 is past the last pitched sample (50): one octave lower.
    EXPECT_EQ(indexFor(model::kFolkGuitar, 24, 0, 5), 43);
    // 50 is the highest pitched index; 51 already folds.
    EXPECT_EQ(indexFor(model::kPiano, 24, 0), 50);
    EXPECT_EQ(indexFor(model::kPiano, 24, 0, 1), 39);
    // The bass folds at its own dead-note index 43.
    EXPECT_EQ(indexFor(model::kBass, 24, 0, 0, {0, 0, 0, 0, 0, 18}), 42);
    EXPECT_EQ(indexFor(model::kBass, 24, 0, 0, {0, 0, 0, 0, 0, 19}), 31);
    // Absurd tunings from a damaged file still end in range at once.
    const int high = indexFor(model::kFolkGuitar, 1, 0, 0, {0, 0, 0, 0, 0, 2000000000});
    EXPECT_GE(high, 0);
    EXPECT_LT(high, 51);
    EXPECT_EQ(indexFor(model::kFolkGuitar, 0, 0, 0, {0, 0, 0, 0, 0, -5}), voicing::kNoSample);
}

TEST(SampleIndex, CapoCountsOnlyForFretsUpToTwentyFour)
{
    EXPECT_EQ(indexFor(model::kCleanGuitar, 24, 5, 3), 2 + 24 + 3);
    EXPECT_EQ(indexFor(model::kCleanGuitar, 26, 5, 3), 2 + 26);
}

TEST(SampleIndex, DeadNotePlaysTheLastSampleWhateverTheTuning)
{
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(indexFor(model::kFolkGuitar, model::kDeadFret, s, 7, {40, 1, 2, 3, 4, 5}), 51);
        EXPECT_EQ(indexFor(model::kDistortedGuitar, model::kDeadFret, s, 0), 51);
    }
    EXPECT_EQ(indexFor(model::kBass, model::kDeadFret, 2, 4), 43);
    EXPECT_EQ(indexFor(model::kPiano, model::kDeadFret, 0), 51);
}

TEST(SampleIndex, DrumsPlayTheirFretAsTheSoundNumber)
{
    EXPECT_EQ(indexFor(model::kDrums, 20, 0, 5, {9, 9, 9, 9, 9, 9}), 20);
    // 25 is "Tom Med 2" on a drum track, not a dead note.
    EXPECT_EQ(indexFor(model::kDrums, model::kDeadFret, 3), 25);
    EXPECT_EQ(indexFor(model::kDrums, 29, 5), 29);
    EXPECT_EQ(indexFor(model::kDrums, 31, 5), voicing::kNoSample);
}

TEST(SampleIndex, SilentCases)
{
    EXPECT_EQ(indexFor(model::kFolkGuitar, model::kEmptyFret, 0), voicing::kNoSample);
    EXPECT_EQ(indexFor(model::kDrums, model::kEmptyFret, 0), voicing::kNoSample);
    EXPECT_EQ(indexFor(model::kFreeSlot, 3, 0), voicing::kNoSample);
    EXPECT_EQ(indexFor(7, 3, 0), voicing::kNoSample);
    EXPECT_EQ(indexFor(model::kFolkGuitar, 3, 6), voicing::kNoSample);
}

TEST(SampleIndex, TheInstrumentIsThatOfTheMeasureHoldingTheBeat)
{
    CTabDoc doc;
    doc.slotCount = 2;
    doc.slotInstrument[0] = model::kFolkGuitar;
    doc.slotInstrument[1] = model::kBass;
    doc.tracks[0].SetSize(2);
    doc.tracks[0][1].instrumentSlot = 1;
    doc.capo[0] = 2;

    const CMesure& folk = doc.tracks[0][0];
    const CMesure& bass = doc.tracks[0][1];
    CAccord& first = doc.tracks[0][0].beats[0];
    CAccord& second = doc.tracks[0][1].beats[3];
    first.notes[1].fret = model::kDeadFret;
    second.notes[1].fret = model::kDeadFret;
    second.notes[0].fret = 1;
    EXPECT_EQ(voicing::SampleIndex(doc, folk, first, 1, 0), 51);
    EXPECT_EQ(voicing::SampleIndex(doc, bass, second, 1, 0), 43);
    EXPECT_EQ(voicing::SampleIndex(doc, bass, second, 0, 0), 26 + 1 + 2);
    // The measure decides, wherever the beat is kept.
    const CAccord copy = second;
    EXPECT_EQ(voicing::SampleIndex(doc, folk, copy, 1, 0), 51);
    EXPECT_EQ(voicing::SampleIndex(doc, folk, copy, 1, 10), voicing::kNoSample);
    EXPECT_EQ(voicing::SampleIndex(doc, folk, copy, 6, 0), voicing::kNoSample);
}
