#include "ViewTestScores.h"

#include <gtest/gtest.h>

using namespace view;
using vt::beat;

TEST(Units, ScreenUnitsComeFromTheSmallTextFont)
{
    vt::View v;
    const ViewUnits units = computeUnits(v.device, 100);
    EXPECT_EQ(units.smallTextFont.pixelSize, 11);
    EXPECT_EQ(units.musicFont.pixelSize, 21);
    EXPECT_EQ(units.largeMusicFont.pixelSize, 45);
    EXPECT_EQ(units.titleFont.pixelSize, 48);
    EXPECT_EQ(units.tinyFont.pixelSize, 8);
    EXPECT_DOUBLE_EQ(units.u, 12);
    EXPECT_NEAR(units.f, 1, 1e-6);
    EXPECT_EQ(truncToInt(11 * units.thirdU), 44); // not 43: the third is a hair above 1/3
    EXPECT_EQ(units.beatAdvance, (std::array<int, 7>{16, 22, 32, 34, 36, 40, 48}));
    EXPECT_EQ(units.drawRect, (Rect{10, 5, 990, 695}));
    EXPECT_EQ(units.pageRect, (Rect{0, 0, 1000, 700}));
    EXPECT_EQ(units.linesPerPage, 5);
    EXPECT_EQ(units.pen3, 3);
}

TEST(Units, ZoomScalesEveryScreenFont)
{
    vt::View v;
    const ViewUnits units = computeUnits(v.device, 160);
    EXPECT_EQ(units.smallTextFont.pixelSize, 17); // 128 tenths of a point at 96 dpi
    EXPECT_EQ(units.musicFont.pixelSize, 34);
    EXPECT_DOUBLE_EQ(units.u, 19);
    EXPECT_GT(units.beatAdvance[4], 36);
    EXPECT_EQ(units.linesPerPage, 690 / 209);
}

TEST(Units, PaperUnitsComeFromThePageSize)
{
    DeviceMetrics paper;
    paper.paper = true;
    paper.width = 4960;
    paper.height = 7016;
    paper.dpi = 600;
    const ViewUnits units = computeUnits(paper, 250); // zoom does not apply to paper
    EXPECT_DOUBLE_EQ(units.u, 77);                    // (7016 * 10 / 9) / 100
    EXPECT_EQ(units.musicFont.pixelSize, 100);        // 12 pt at 600 dpi
    EXPECT_DOUBLE_EQ(units.charWidth, 21);
    EXPECT_EQ(units.drawRect.top, truncToInt(50 * units.f));
    EXPECT_EQ(units.drawRect.bottom, 7016 - truncToInt(50 * units.f));
    EXPECT_EQ(units.beatAdvance[4], truncToInt(4 * units.twoThirdsU));
    EXPECT_EQ(units.beatAdvance[0], truncToInt(4 * units.twoThirdsU - 19 * units.f));
}

TEST(Zoom, FloorOfThirtyAndStepsOfTen)
{
    ViewState s;
    s.zoomPercent = 30;
    s.redrawLevel = kRedrawContents;
    s.zoomOut();
    EXPECT_EQ(s.zoomPercent, 30);
    EXPECT_EQ(s.redrawLevel, kRedrawAll);
    s.zoomPercent = 100;
    for (int i = 0; i < 6; ++i)
        s.zoomIn();
    EXPECT_EQ(s.zoomPercent, 160);
    s.zoomOut();
    EXPECT_EQ(s.zoomPercent, 150);
}

TEST(Zoom, SavedSettingsAreCheckedBeforeUse)
{
    ViewState s;
    s.restoreSettings(160, 2);
    EXPECT_EQ(s.zoomPercent, 160);
    EXPECT_EQ(s.backgroundIndex, 2);
    s.restoreSettings(0, 9); // damaged values keep what is there
    EXPECT_EQ(s.zoomPercent, 160);
    EXPECT_EQ(s.backgroundIndex, 2);
    s.restoreSettings(-40, -1);
    s.restoreSettings(1000000, 5);
    EXPECT_EQ(s.zoomPercent, 160);
    EXPECT_EQ(s.backgroundIndex, 2);
}

TEST(RedrawLevels, UnknownLevelsRedoEverythingAndMultiTrackRelaysOut)
{
    EXPECT_EQ(effectiveRedrawLevel(5, false), kRedrawAll);
    EXPECT_EQ(effectiveRedrawLevel(-1, false), kRedrawAll);
    EXPECT_EQ(effectiveRedrawLevel(kRedrawContents, false), kRedrawContents);
    EXPECT_EQ(effectiveRedrawLevel(kRedrawContents, true), kRedrawLayout);
    EXPECT_EQ(effectiveRedrawLevel(kRedrawPlayMarker, true), kRedrawPlayMarker);
    EXPECT_TRUE(redrawNeedsLayout(kRedrawScrollPlaying));
    EXPECT_FALSE(redrawNeedsLayout(kRedrawContents));
    EXPECT_TRUE(redrawNeedsMetrics(5));
}

TEST(Layout, HigherZoomNeedsMoreLines)
{
    vt::View v;
    vt::score(v.doc, 1, 30);
    for (int m = 0; m < 30; ++m)
        vt::setBeats(v.doc, 0, m, vt::fourQuarters());
    const int lines100 = v.layout().lastScoreLine();
    v.state.zoomPercent = 160;
    const int lines160 = v.layout().lastScoreLine();
    EXPECT_GT(lines160, lines100);
    v.state.zoomPercent = 30;
    EXPECT_LT(v.layout().lastScoreLine(), lines100);
}

TEST(Layout, FirstLineOfTheScoreSitsBelowTheTitleBlock)
{
    vt::View v;
    vt::score(v.doc, 1, 1);
    vt::setBeats(v.doc, 0, 0, vt::fourQuarters());
    ScoreLayout l = v.layout();
    ASSERT_TRUE(l.showsTitle());
    ASSERT_FALSE(l.lineRecords().empty());
    EXPECT_EQ(l.lineRecords()[0].line, 1);
    EXPECT_EQ(l.lineRecords()[0].top, 5 + 132);
    EXPECT_EQ(l.lineRecords()[1].top, 5 + 2 * 132);
    v.state.firstLine = 1;
    l = v.layout();
    EXPECT_FALSE(l.showsTitle());
    EXPECT_EQ(l.lineRecords()[0].line, 1);
    EXPECT_EQ(l.lineRecords()[0].top, 5);
    EXPECT_EQ(l.lastLine(), 1 + 5);
}

TEST(Layout, BeatsFollowTheAdvanceOfThePreviousBeat)
{
    vt::View v;
    vt::score(v.doc, 1, 2);
    vt::setBeats(v.doc, 0, 0, {beat(4, {{0, 1}}), beat(3, {{0, 1}}), beat(2, {{0, 1}}), beat(6, {{0, 1}})});
    vt::setBeats(v.doc, 0, 1, vt::fourQuarters());
    const ScoreLayout l = v.layout();
    const MeasureSlot* first = vt::View::slotOf(l, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->beatX, (std::vector<int>{78, 78 + 36, 78 + 36 + 34, 78 + 36 + 34 + 32}));
    EXPECT_EQ(first->barX, 180 + 12 + 32); // after the last beat: u + 32f
    const MeasureSlot* second = vt::View::slotOf(l, 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->firstBeatX, first->barX + 32);
    EXPECT_EQ(l.lineRecords()[0].stringY, (std::array<int, 6>{137, 149, 161, 173, 185, 197}));
}

namespace {
// Measures of four quarters take 32 + 3*36 + 12 + 32 = 184 and ask for
// 64 + 144 = 208 free units before they start.
void quarters(vt::View& v, int measures)
{
    vt::score(v.doc, 1, measures);
    for (int m = 0; m < measures; ++m)
        vt::setBeats(v.doc, 0, m, vt::fourQuarters());
}
} // namespace

TEST(Layout, MeasuresBreakIntoLinesByTheExactRule)
{
    vt::View v;
    quarters(v, 12);
    ScoreLayout l = v.layout();
    // Line 1 starts at 46 (room for the time signature): before its fifth
    // measure 980 - 782 = 198 < 208. Later lines start at 12 and take five.
    EXPECT_EQ(l.lineStart(1), 0);
    EXPECT_EQ(l.lineStart(2), 4);
    EXPECT_EQ(l.lineStart(3), 9);
    EXPECT_EQ(l.lastScoreLine(), 3);
    EXPECT_EQ(l.lineStart(4), 12);
    EXPECT_EQ(l.lineStart(5), kNotLaidOut);
    EXPECT_EQ(l.lineStart(0), 0);
    EXPECT_EQ(l.lineOfMeasure(0), 1);
    EXPECT_EQ(l.lineOfMeasure(8), 2);
    EXPECT_EQ(l.lineOfMeasure(11), 3);
    EXPECT_EQ(l.lineOfMeasure(12), -1);

    // Exactly the room asked for is enough; one unit less is not.
    v.device.width = 1010;
    EXPECT_EQ(v.layout().lineStart(2), 5);
    v.device.width = 1009;
    EXPECT_EQ(v.layout().lineStart(2), 4);
}

TEST(Layout, AMeasureWiderThanALineGetsOneOfItsOwn)
{
    vt::View v;
    vt::score(v.doc, 1, 3);
    std::vector<CAccord> wholes(30, beat(6, {{2, 5}}));
    vt::setBeats(v.doc, 0, 0, wholes);
    vt::setBeats(v.doc, 0, 1, vt::fourQuarters());
    vt::setBeats(v.doc, 0, 2, wholes);
    const ScoreLayout l = v.layout();
    EXPECT_EQ(l.lineStart(1), 0); // the first measure stays on line 1
    EXPECT_EQ(l.lineStart(2), 1);
    EXPECT_EQ(l.lineStart(3), 2);
    const MeasureSlot* wide = vt::View::slotOf(l, 2);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->firstBeatX, 44);
    EXPECT_GT(wide->barX, l.units().drawRect.right); // drawn past the right edge
}

TEST(Layout, BassStaffHasFourLinesForTheLastFourNotes)
{
    vt::View v;
    vt::score(v.doc, 1, 1, {model::kBass});
    vt::setBeats(v.doc, 0, 0, vt::fourQuarters());
    const ScoreLayout l = v.layout();
    EXPECT_EQ(l.stringCount(), 4);
    const LineRecord& r = l.lineRecords()[0];
    EXPECT_EQ(r.stringCount, 4);
    EXPECT_EQ(r.stringY, (std::array<int, 6>{137, 149, 161, 173, -1, -1}));
    EXPECT_EQ(r.bottom(), 173);
}

TEST(Layout, OneTickedTrackKeepsTheSingleTrackView)
{
    vt::View v;
    vt::score(v.doc, 2, 1);
    v.state.multiTrackView = true;
    v.state.shownTracks = {false, true};
    v.state.cursorTrack = 0;
    const ScoreLayout l = v.layout();
    EXPECT_FALSE(l.multiTrack());
    EXPECT_EQ(l.lineRecords()[0].track, 0);
}

TEST(Layout, MultiTrackMergesQuarterAgainstEighths)
{
    vt::View v;
    vt::score(v.doc, 2, 1);
    vt::setBeats(v.doc, 0, 0, {beat(4), beat(4), beat(4), beat(4)});
    vt::setBeats(v.doc, 1, 0, {beat(3), beat(3), beat(4), beat(4), beat(4)});
    v.state.multiTrackView = true;
    v.state.shownTracks = {true, true};
    const ScoreLayout l = v.layout();
    ASSERT_TRUE(l.multiTrack());
    const MeasureSlot* quarter = vt::View::slotOf(l, 0, 0);
    const MeasureSlot* eighths = vt::View::slotOf(l, 0, 1);
    ASSERT_NE(quarter, nullptr);
    ASSERT_NE(eighths, nullptr);
    const int x0 = 78;
    // The second eighth one eighth's advance on; the tie at the end of the
    // quarter goes to the first track, so the next beats are a quarter's
    // advance further.
    EXPECT_EQ(eighths->beatX[0], x0);
    EXPECT_EQ(eighths->beatX[1], x0 + 34);
    EXPECT_EQ(eighths->beatX[2], x0 + 34 + 36);
    EXPECT_EQ(quarter->beatX[1], x0 + 34 + 36);
    EXPECT_EQ(quarter->beatX[3], eighths->beatX[4]);
    EXPECT_EQ(quarter->barX, eighths->barX);
}

TEST(Layout, MultiTrackTripletsShortenTheirAdvance)
{
    vt::View v;
    vt::score(v.doc, 2, 1);
    CAccord t = beat(3);
    t.isTriplet = 1;
    vt::setBeats(v.doc, 0, 0, {t, beat(3), beat(3), beat(4), beat(5)});
    vt::setBeats(v.doc, 1, 0, {beat(4), beat(4), beat(5)});
    v.state.multiTrackView = true;
    v.state.shownTracks = {true, true};
    const ScoreLayout l = v.layout();
    const MeasureSlot* triplets = vt::View::slotOf(l, 0, 0);
    const MeasureSlot* quarters = vt::View::slotOf(l, 0, 1);
    ASSERT_NE(triplets, nullptr);
    // The first two beats of the group lose a third of their advance
    // (34 - 11); the third beat's counter is back to 0.
    EXPECT_EQ(triplets->beatX[1] - triplets->beatX[0], 23);
    EXPECT_EQ(triplets->beatX[2] - triplets->beatX[1], 23);
    EXPECT_EQ(triplets->beatX[3] - triplets->beatX[2], 34);
    // The three triplet eighths last exactly the other track's quarter.
    EXPECT_EQ(quarters->beatX[1], triplets->beatX[3]);
}

TEST(Layout, MultiTrackGroupsOfStavesShowTheSameMeasures)
{
    vt::View v;
    vt::score(v.doc, 3, 12, {model::kFolkGuitar, model::kDrums, model::kBass});
    for (int t = 0; t < 3; ++t)
        for (int m = 0; m < 12; ++m)
            vt::setBeats(v.doc, t, m, vt::fourQuarters());
    v.state.multiTrackView = true;
    v.state.shownTracks = {true, false, true};
    v.state.firstLine = 1;
    const ScoreLayout l = v.layout();
    ASSERT_TRUE(l.multiTrack());
    const auto& r = l.lineRecords();
    ASSERT_GE(r.size(), 4u);
    EXPECT_EQ(r[0].track, 0);
    EXPECT_EQ(r[1].track, 2);
    EXPECT_EQ(r[2].track, 0);
    EXPECT_EQ(r[1].stringCount, 4);
    EXPECT_TRUE(r[0].firstOfGroup);
    EXPECT_FALSE(r[1].firstOfGroup);
    // The group bars reach 3u below the top of the last staff, a bass.
    EXPECT_EQ(r[0].groupBottom, r[1].top + 36);
    EXPECT_EQ(l.lineStart(1), l.lineStart(2));
    EXPECT_EQ(l.lineStart(3), 4);
    EXPECT_EQ(l.lineStart(3), l.lineStart(4));
    ASSERT_EQ(r[0].measureSlots.size(), r[1].measureSlots.size());
    EXPECT_EQ(r[0].measureSlots[1].beatX, r[1].measureSlots[1].beatX);
    EXPECT_EQ(r[1].measureSlots[0].track, 2);
    EXPECT_EQ(l.lastScoreLine(), 6); // three groups of two staves
    EXPECT_EQ(l.lineOfMeasure(5), 3);
    EXPECT_EQ(l.lineOfMeasure(5, 2), 4);
    EXPECT_EQ(l.lineOfMeasure(5, 1), -1);
}

TEST(Layout, DamagedValuesNeverReachOutsideTheArrays)
{
    vt::View v;
    vt::score(v.doc, 1, 3);
    CMesure& m = vt::setBeats(v.doc, 0, 0, {beat(9, {{0, 3}}), beat(-2, {{5, 31}})});
    m.beatCount = 40; // more than the array holds
    m.instrumentSlot = 150;
    vt::setBeats(v.doc, 0, 1, {});
    v.doc.tracks[0].SetSize(2); // fewer measures than measureCount
    v.state.cursorMeasure = {0, 7};
    const ScoreLayout l = v.layout();
    const MeasureSlot* first = vt::View::slotOf(l, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->beatCount, 2);
    EXPECT_EQ(l.stringCount(), 6);
    const RecordingCanvas drawn = v.paint();
    EXPECT_FALSE(drawn.ops.empty());

    v.doc.measureCount = 0;
    const ScoreLayout empty = v.layout();
    EXPECT_EQ(empty.lastScoreLine(), 0);
    EXPECT_EQ(empty.lineOfMeasure(0), -1);
    EXPECT_FALSE(v.paint().ops.empty());
}
