#include "CMesure.h"
#include "CTabDoc.h"

#include <gtest/gtest.h>

TEST(Beat, TicksFollowDurationDotAndTriplet)
{
    CAccord b;
    EXPECT_EQ(b.beatTicks(), 16);
    b.isDotted = 1;
    EXPECT_EQ(b.beatTicks(), 24);
    b.durationCode = 0;
    EXPECT_EQ(b.beatTicks(), 1); // dotted 64th: 1 + 1/2 truncated
    b.durationCode = 6;
    EXPECT_EQ(b.beatTicks(), 96);
    b.isTriplet = 1;
    EXPECT_EQ(b.beatTicks(), 0);
}

TEST(Beat, ResetKeepsArpeggioAndRest)
{
    CAccord b;
    b.arpeggio = 2;
    b.isRest = 1;
    b.durationCode = 1;
    b.isTied = b.isDotted = b.isTriplet = 1;
    b.palmMute = 2;
    b.notes[3].fret = 5;
    b.resetBeat();
    EXPECT_EQ(b.arpeggio, 2);
    EXPECT_EQ(b.isRest, 1);
    EXPECT_EQ(b.durationCode, 4);
    EXPECT_EQ(b.isTied + b.isDotted + b.isTriplet + b.palmMute, 0);
    EXPECT_TRUE(b.notes[3].isEmpty());
}

TEST(Note, EmptyNeedsEveryFieldAtDefault)
{
    CNote n;
    EXPECT_TRUE(n.isEmpty());
    n.technique = 1;
    EXPECT_FALSE(n.isEmpty());
}

TEST(Measure, LengthAndFullness)
{
    EXPECT_EQ(measureLengthTicks(4, 4), 64);
    EXPECT_EQ(measureLengthTicks(3, 4), 48);
    EXPECT_EQ(measureLengthTicks(6, 16), 24);
    EXPECT_EQ(measureLengthTicks(16, 1), 1024);

    CMesure m;
    m.beatCount = 3;
    EXPECT_FALSE(isMeasureFull(m)); // three quarters of a 4/4
    m.beatCount = 4;
    EXPECT_TRUE(isMeasureFull(m));

    CMesure triplets;
    triplets.beatCount = 40;
    for (int i = 0; i < 40; ++i)
        triplets.beats[i].isTriplet = 1;
    EXPECT_FALSE(isMeasureFull(triplets));
}

TEST(Measure, ConstructionCompactionAndCopies)
{
    CMesure m;
    EXPECT_EQ(m.beats.GetSize(), 64);
    EXPECT_EQ(m.aux, 0x4492D);
    m.beatCount = 3;
    m.beats[1].notes[0].fret = 7;
    compactMeasure(m);
    EXPECT_EQ(m.beats.GetSize(), 3);
    EXPECT_EQ(m.beatCount, 3);
    EXPECT_EQ(m.isCompacted, 1);

    CMesure d;
    d.index = 9;
    m.tempo = 90;
    m.flags = 112;
    copyMeasure(d, m);
    EXPECT_EQ(d.index, 9); // index is never copied
    EXPECT_EQ(d.beats.GetSize(), 3);
    EXPECT_EQ(d.beats[1].notes[0].fret, 7);
    EXPECT_EQ(d.tempo, 90);
    EXPECT_EQ(d.flags, 112);

    CMesure inPlace;
    copyMeasureInPlace(inPlace, m);
    EXPECT_EQ(inPlace.beats.GetSize(), 64);
    EXPECT_EQ(inPlace.beats[1].notes[0].fret, 7);
    EXPECT_EQ(inPlace.beatCount, 3);

    resetMeasureBeats(m, 5);
    EXPECT_EQ(m.beats.GetSize(), 5);
    EXPECT_TRUE(m.beats[1].notes[0].isEmpty());
}

TEST(Array, GrowsKeepsAndThrowsOutOfRange)
{
    CArray<CMesure> a;
    a.SetSize(2);
    a[1].tempo = 99;
    a.SetSize(5);
    EXPECT_EQ(a[1].tempo, 99);
    EXPECT_EQ(a[4].tempo, 60);
    EXPECT_EQ(a[4].beats[0].isRest, 0);
    a.RemoveAt(0);
    EXPECT_EQ(a[0].tempo, 99);
    EXPECT_THROW(a[4], std::invalid_argument);
    EXPECT_THROW(a[-1], std::invalid_argument);
    EXPECT_THROW(a.RemoveAt(3, 2), std::invalid_argument);
}

TEST(Document, ConstructionDefaults)
{
    CTabDoc doc;
    EXPECT_EQ(doc.trackNames[0], "Guitare Folk");
    EXPECT_EQ(doc.instrumentNames[4], "Guitare Electrique Saturée");
    EXPECT_EQ(doc.signature, "TBF");
    EXPECT_EQ(doc.isFreshLoad, 0);
    for (const auto& t : doc.tracks)
        EXPECT_EQ(t.GetSize(), 0);
}
