#include "Glyphs.h"
#include "ViewTestScores.h"

#include <gtest/gtest.h>

using namespace view;
using vt::beat;
using Kind = RecordingCanvas::Kind;

namespace {

// One 4/4 guitar measure on line 1 of a 1000 x 700 view: its top staff line
// is at y = 137, the first beat at x = 78; u = 12, f = 1.
constexpr double kTop = 137, kBottom = 197, kX0 = 78;
constexpr double kRhythmTop = 203, kStemEnd = 227;
constexpr double kThird = 12 * 0.33333334, kF = kThird / 4;

struct Painted {
    vt::View v;
    explicit Painted(const std::vector<CAccord>& beats, int instrument = model::kFolkGuitar, int measures = 2)
    {
        vt::score(v.doc, 1, measures, {instrument});
        vt::setBeats(v.doc, 0, 0, beats);
        for (int m = 1; m < measures; ++m)
            vt::setBeats(v.doc, 0, m, vt::fourQuarters());
        v.state.cursorMeasure = {0, measures - 1}; // keep the cursor out of measure 0
    }
    RecordingCanvas paint() { return v.paint(); }
};

std::vector<RecordingCanvas::Op> near(const std::vector<RecordingCanvas::Op>& ops, double x, double y, double tol = 0.01)
{
    std::vector<RecordingCanvas::Op> out;
    for (const auto& o : ops)
        if (std::abs(o.x() - x) < tol && std::abs(o.y() - y) < tol)
            out.push_back(o);
    return out;
}

} // namespace

TEST(Frets, OneAndTwoDigitsSitAroundTheBeat)
{
    Painted p({beat(4, {{0, 5}}), beat(4, {{0, 12}})});
    const RecordingCanvas rec = p.paint();
    const double x1 = kX0 + 36;
    EXPECT_EQ(near(rec.glyphs('5'), kX0 + kF, kTop).size(), 1u);
    EXPECT_EQ(near(rec.glyphs('1'), x1 - kThird + kF, kTop).size(), 1u);
    EXPECT_EQ(near(rec.glyphs('2'), x1 + kThird, kTop).size(), 1u);
    // The staff line is erased under each number, wider for two digits.
    int erased = 0;
    for (const auto& o : rec.all(Kind::Line))
        if (o.penIsBackground && o.y() == kTop && o.x() < x1 + 20) {
            ++erased;
            if (o.x() < x1 - 4 && o.x() > x1 - 8) {
                EXPECT_NEAR(o.x2(), x1 + 2 * kThird, 0.01);
            }
        }
    EXPECT_EQ(erased, 2);
    EXPECT_TRUE(rec.glyphs(glyphs::kDeadNote).empty());
}

TEST(Frets, DeadNoteIsACrossExceptOnDrumsWhereItReads25)
{
    const RecordingCanvas guitar = Painted({beat(4, {{1, model::kDeadFret}})}).paint();
    const auto crosses = guitar.glyphs(glyphs::kDeadNote);
    ASSERT_EQ(crosses.size(), 2u); // twice, offset, to read bold
    EXPECT_NEAR(crosses[0].x(), kX0, 1e-9);
    EXPECT_NEAR(crosses[1].x() - crosses[0].x(), 0.6 * kF, 1e-9);
    EXPECT_TRUE(near(guitar.glyphs('5'), kX0 + kThird, kTop + 12).empty());

    const RecordingCanvas drums = Painted({beat(4, {{1, model::kDeadFret}})}, model::kDrums).paint();
    EXPECT_TRUE(drums.glyphs(glyphs::kDeadNote).empty());
    EXPECT_EQ(near(drums.glyphs('2'), kX0 - kThird + kF, kTop + 12).size(), 1u);
    EXPECT_EQ(near(drums.glyphs('5'), kX0 + kThird, kTop + 12).size(), 1u);
}

TEST(Frets, TiedRepeatedFretIsDrawnOnce)
{
    CAccord tied = beat(4, {{1, 7}, {2, 9}});
    tied.isTied = 1;
    const RecordingCanvas rec = Painted({tied, beat(4, {{1, 7}, {2, 5}})}).paint();
    EXPECT_EQ(rec.glyphs('7').size(), 1u);
    EXPECT_EQ(near(rec.glyphs('5'), kX0 + 36 + kF, kTop + 24).size(), 1u); // another fret is drawn

    const RecordingCanvas untied = Painted({beat(4, {{1, 7}}), beat(4, {{1, 7}})}).paint();
    EXPECT_EQ(untied.glyphs('7').size(), 2u);
}

TEST(Frets, BassStaffShowsTheLastFourNotes)
{
    const RecordingCanvas rec = Painted({beat(4, {{0, 1}, {2, 3}, {5, 8}})}, model::kBass).paint();
    EXPECT_TRUE(rec.glyphs('1').empty());
    EXPECT_EQ(near(rec.glyphs('3'), kX0 + kF, kTop).size(), 1u);
    EXPECT_EQ(near(rec.glyphs('8'), kX0 + kF, kTop + 36).size(), 1u);
    // Four staff lines, and the quarter's stem starts below the lowest note.
    EXPECT_EQ(rec.horizontalLinesAt(kTop + 48).size(), 0u);
    bool stem = false;
    for (const auto& o : rec.all(Kind::Line))
        if (o.x() == kX0 && o.x2() == kX0 && std::abs(o.y() - (kTop + 36 + 2 * kThird)) < 0.01)
            stem = true;
    EXPECT_TRUE(stem);
}

TEST(Vibrato, ConsecutiveBeatsMakeOneUnbrokenLine)
{
    CAccord a = beat(4, {{0, 5}}), b = beat(4, {{0, 7}});
    a.notes[0].vibrato = b.notes[0].vibrato = model::kVibratoLeftHand;
    const RecordingCanvas rec = Painted({a, b}).paint();
    const auto waves = rec.glyphs(glyphs::kVibratoWave);
    ASSERT_GE(waves.size(), 5u);
    const double gw = glyphs::advance(glyphs::kWaveWidth) * 21;
    EXPECT_NEAR(waves.front().x(), kX0, 1e-9);
    EXPECT_NEAR(waves.front().y(), kTop - 2 * kThird, 1e-9);
    for (std::size_t i = 1; i < waves.size(); ++i)
        EXPECT_NEAR(waves[i].x() - waves[i - 1].x(), gw, 1e-6);
    EXPECT_GT(waves.back().x(), kX0 + 36); // reaches past the second beat
}

TEST(Vibrato, AGapStartsANewLine)
{
    CAccord a = beat(4, {{0, 5}}), b = beat(4, {{0, 7}});
    a.notes[0].vibrato = b.notes[0].vibrato = model::kVibratoLeftHand;
    const RecordingCanvas rec = Painted({a, beat(6, {{0, 3}}), b}).paint();
    const auto waves = rec.glyphs(glyphs::kVibratoWave);
    const double second = kX0 + 36 + 48;
    int restarts = 0;
    for (const auto& w : waves)
        restarts += std::abs(w.x() - second) < 1e-9;
    EXPECT_EQ(restarts, 1);
    for (const auto& w : waves)
        EXPECT_TRUE(w.x() < kX0 + 20 || w.x() >= second);
}

TEST(Bends, AmountsReadFullOrAStackedFraction)
{
    CAccord full = beat(4, {{2, 7}}), oneAndHalf = beat(4, {{2, 7}});
    full.notes[2].bend = 2 * 16 + model::kBendBend;
    oneAndHalf.notes[2].bend = 3 * 16 + model::kBendBend;
    const RecordingCanvas rec = Painted({full, oneAndHalf}).paint();
    const double y = kTop + 24;
    const auto fullText = rec.texts("Full");
    ASSERT_EQ(fullText.size(), 1u);
    EXPECT_NEAR(fullText[0].y(), y - 24, 1e-9);
    EXPECT_LT(fullText[0].x(), kX0 + 27); // beside the arrow head at x + 3A/4 - f
    // "1" and a one-over-two fraction: 1, the bar (character 150) and 2.
    std::vector<RecordingCanvas::Op> ones;
    for (const auto& o : rec.texts("1"))
        if (o.font.pixelSize == 8) // the tiny font, not the measure number
            ones.push_back(o);
    ASSERT_EQ(ones.size(), 2u);
    const auto bar = rec.texts("\u2013");
    ASSERT_EQ(bar.size(), 1u);
    std::vector<RecordingCanvas::Op> two;
    for (const auto& o : rec.texts("2"))
        if (o.font.pixelSize == 8)
            two.push_back(o);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_NEAR(bar[0].y(), y - 24, 1e-9);
    EXPECT_NEAR(two[0].y(), y - 24 + kF + kThird, 1e-9);
    EXPECT_NEAR(two[0].x(), bar[0].x(), 1e-9);
    bool stackedOne = false;
    for (const auto& o : ones)
        stackedOne = stackedOne || (std::abs(o.y() - (y - 24 - kThird)) < 1e-9 && std::abs(o.x() - bar[0].x()) < 1e-9);
    EXPECT_TRUE(stackedOne);
    EXPECT_EQ(rec.all(Kind::Arc).size(), 2u);
}

TEST(Bends, HeldLineContinuesFromTheBend)
{
    CAccord bend = beat(4, {{2, 7}}), held = beat(4, {{2, 7}});
    bend.notes[2].bend = 2 * 16 + model::kBendBend;
    held.notes[2].bend = model::kBendHeld;
    const RecordingCanvas rec = Painted({bend, held}).paint();
    const auto dashes = rec.horizontalLinesAt(kTop + 24 - 24 - kF);
    ASSERT_FALSE(dashes.empty());
    const double arrowX = kX0 + 3 * 36 / 4.0 - kF;
    EXPECT_NEAR(dashes.front().x(), arrowX + 2 * kF, 1e-6);
    // Dashes a third long every two thirds, up to x + 5A/8 of the held note.
    const double to = kX0 + 36 + 5 * 36 / 8.0;
    EXPECT_LE(dashes.back().x2(), to);
    EXPECT_GT(dashes.back().x2(), to - 2 * kThird);
    for (std::size_t i = 1; i < dashes.size(); ++i)
        EXPECT_NEAR(dashes[i].x() - dashes[i - 1].x(), 2 * kThird, 1e-6);
}

TEST(CursorMeasure, DarkBlueOnScreenBlackOnPaperAndWhilePlaying)
{
    vt::View v;
    vt::score(v.doc, 1, 2);
    vt::setBeats(v.doc, 0, 0, {beat(4, {{0, 5}})});
    vt::setBeats(v.doc, 0, 1, {beat(4, {{0, 6}})});
    v.state.cursorMeasure = {0, 0};
    v.state.cursorString = 0;
    RecordingCanvas screen = v.paint();
    ASSERT_EQ(screen.glyphs('5').size(), 1u);
    EXPECT_EQ(screen.glyphs('5')[0].textColor, colors::kCursorMeasure);
    EXPECT_EQ(screen.glyphs('6')[0].textColor, colors::kBlack);
    bool blueStem = false, cursor = false;
    for (const auto& o : screen.ops) {
        blueStem = blueStem || (o.kind == Kind::Line && o.x() == kX0 && o.penColor == colors::kCursorMeasure);
        cursor = cursor || (o.kind == Kind::Ellipse && o.brushColor == colors::kYellow);
    }
    EXPECT_TRUE(blueStem);
    EXPECT_TRUE(cursor);
    EXPECT_TRUE(screen.backgroundIsImage);

    v.state.isPlaying = true;
    RecordingCanvas playing = v.paint();
    EXPECT_EQ(playing.glyphs('5')[0].textColor, colors::kBlack);
    EXPECT_FALSE(playing.backgroundIsImage);
    EXPECT_EQ(playing.backgroundPlain, colors::kWhite);
    v.state.isPlaying = false;

    v.device.paper = true;
    v.device.width = 2000;
    v.device.height = 2800;
    v.device.dpi = 300;
    RecordingCanvas paper = v.paint();
    ASSERT_EQ(paper.glyphs('5').size(), 1u);
    EXPECT_EQ(paper.glyphs('5')[0].textColor, colors::kBlack);
    for (const auto& o : paper.ops) {
        EXPECT_FALSE(o.kind == Kind::Ellipse && o.brushColor == colors::kYellow);
        EXPECT_NE(o.penColor, colors::kCursorMeasure);
    }
    EXPECT_FALSE(paper.backgroundIsImage);
}

namespace {
std::vector<RecordingCanvas::Op> beamLines(const RecordingCanvas& rec)
{
    std::vector<RecordingCanvas::Op> out;
    for (const auto& o : rec.all(Kind::Line))
        if (o.penWidth == 3 && o.y() == o.y2())
            out.push_back(o);
    return out;
}
} // namespace

TEST(Beams, TwoEighthsInABeatShareOneBeam)
{
    const RecordingCanvas rec = Painted({beat(3, {{0, 1}}), beat(3, {{0, 2}}), beat(5, {{0, 3}})}).paint();
    const auto beams = beamLines(rec);
    ASSERT_EQ(beams.size(), 2u); // two halves meeting in the middle
    EXPECT_NEAR(beams[0].y(), kStemEnd, 1e-9);
    EXPECT_NEAR(beams[0].x(), kX0 + kF, 1e-9);
    EXPECT_NEAR(beams[0].x2(), kX0 + 17 + kF, 1e-9);
    EXPECT_NEAR(beams[1].x(), kX0 + 34 - 17 + kF, 1e-9);
    EXPECT_NEAR(beams[1].x2(), kX0 + 34 - kF, 1e-9);
    EXPECT_TRUE(rec.glyphs(glyphs::kFlag).empty());
}

TEST(Beams, AnEighthBeforeAQuarterHasAFlag)
{
    const RecordingCanvas rec = Painted({beat(3, {{0, 1}}), beat(4, {{0, 2}})}).paint();
    EXPECT_TRUE(beamLines(rec).empty());
    const auto flags = rec.glyphs(glyphs::kFlag);
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_NEAR(flags[0].x(), kX0 + 4, 1e-9);
    EXPECT_NEAR(flags[0].y(), kRhythmTop + kThird, 1e-9);
}

TEST(Beams, SixteenthsThenAnEighthShareOnlyTheEighthBeam)
{
    const RecordingCanvas rec = Painted({beat(2, {{0, 1}}), beat(2, {{0, 2}}), beat(3, {{0, 3}}), beat(3, {{0, 4}})}).paint();
    const double x1 = kX0 + 32, x2 = x1 + 32;
    double eighthFrom = 1e9, eighthTo = -1e9, sixteenthFrom = 1e9, sixteenthTo = -1e9;
    for (const auto& b : beamLines(rec)) {
        if (std::abs(b.y() - kStemEnd) < 1e-9) {
            eighthFrom = std::min(eighthFrom, b.x());
            eighthTo = std::max(eighthTo, b.x2());
        } else {
            EXPECT_NEAR(b.y(), kStemEnd - kThird, 1e-9);
            sixteenthFrom = std::min(sixteenthFrom, b.x());
            sixteenthTo = std::max(sixteenthTo, b.x2());
        }
    }
    EXPECT_NEAR(eighthFrom, kX0 + kF, 1e-9);
    EXPECT_NEAR(eighthTo, x2 - kF, 1e-9);
    EXPECT_NEAR(sixteenthFrom, kX0 + kF, 1e-9);
    EXPECT_NEAR(sixteenthTo, x1 - kF, 1e-9);
    // The fourth beat starts a new beat unit: it has a flag of its own.
    EXPECT_EQ(rec.glyphs(glyphs::kFlag).size(), 1u);
}

TEST(Rests, HalfRestHangsLowerThanWholeRest)
{
    const RecordingCanvas rec = Painted({vt::rest(6), vt::rest(5), vt::rest(4)}).paint();
    std::vector<RecordingCanvas::Op> blocks;
    for (const auto& o : rec.all(Kind::FillRect))
        if (o.x2() - o.x() < 9 && o.y() > kTop && o.y2() < kBottom)
            blocks.push_back(o);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_NEAR(blocks[0].y(), kTop + 24, 1e-9);
    EXPECT_NEAR(blocks[0].y2(), kTop + 30, 1e-9);
    EXPECT_NEAR(blocks[1].y(), kTop + 24 + 2 * kThird - kF / 2, 1e-9);
    EXPECT_NEAR(blocks[1].y2() - blocks[0].y2(), 2 * kThird - kThird / 2, 1e-9);
    const auto quarter = rec.glyphs(glyphs::kRestQuarter);
    ASSERT_EQ(quarter.size(), 1u);
    EXPECT_NEAR(quarter[0].y(), kTop + 24 + kThird, 1e-9);
    // No stems for rests.
    for (const auto& o : rec.all(Kind::Line))
        EXPECT_FALSE(o.x() == kX0 && o.x2() == kX0 && o.y() > kBottom);
}

TEST(Triplets, SignOnlyWithTwoBeatsAfterIt)
{
    CAccord t = beat(3, {{0, 1}});
    t.isTriplet = 1;
    const RecordingCanvas full = Painted({t, beat(3, {{0, 2}}), beat(3, {{0, 3}}), beat(4, {{0, 4}})}).paint();
    const auto signs = full.glyphs(glyphs::kTriplet);
    ASSERT_EQ(signs.size(), 1u);
    EXPECT_NEAR(signs[0].x(), kX0 + 34, 1e-9); // under the middle beat
    EXPECT_NEAR(signs[0].y(), kBottom + 24 + 4 * kThird, 1e-9);

    const RecordingCanvas late = Painted({beat(4, {{0, 1}}), beat(4, {{0, 1}}), t, beat(3, {{0, 2}})}).paint();
    EXPECT_TRUE(late.glyphs(glyphs::kTriplet).empty());
}

TEST(Bars, EndRepeatWithCountAndFinalDoubleBar)
{
    vt::View v;
    vt::score(v.doc, 1, 2);
    vt::setBeats(v.doc, 0, 0, vt::fourQuarters());
    vt::setBeats(v.doc, 0, 1, vt::fourQuarters()).flags = model::kFlagRepeatEnd | 3 * 32;
    const ScoreLayout l = v.layout();
    const double bar = vt::View::slotOf(l, 1)->barX;
    const RecordingCanvas rec = v.paint();
    const double y = kBottom + 12;
    EXPECT_EQ(near(rec.texts("X"), bar - 12, y).size(), 1u);
    EXPECT_EQ(near(rec.texts("3"), bar - 3 * kThird / 2, y).size(), 1u);
    EXPECT_EQ(near(rec.texts("3"), bar - 5 * kF, y).size(), 1u); // again, to read bold
    EXPECT_EQ(rec.texts("3")[0].textColor, colors::kRepeatCount);
    bool thin = false, thick = false, finalThin = false, finalThick = false;
    const int right = l.units().drawRect.right;
    for (const auto& o : rec.ops) {
        thin = thin || (o.kind == Kind::Rect && std::abs(o.x() - (bar - kThird)) < 1e-6 && o.x2() == bar);
        thick = thick || (o.kind == Kind::FillRect && o.x() == bar && std::abs(o.x2() - (bar + 2 * kF)) < 1e-6);
        finalThin = finalThin || (o.kind == Kind::Rect && std::abs(o.x() - (right - 5 * kF)) < 1e-6);
        finalThick = finalThick || (o.kind == Kind::FillRect && std::abs(o.x() - (right - kF)) < 1e-6 &&
                                    std::abs(o.x2() - (right + kF)) < 1e-6);
    }
    EXPECT_TRUE(thin);
    EXPECT_TRUE(thick);
    EXPECT_TRUE(finalThin);
    EXPECT_TRUE(finalThick);
    EXPECT_EQ(rec.all(Kind::Ellipse).size(), 2u + 1u); // the two dots and the cursor
}

TEST(Bars, RepeatStartAtALineBreakOpensTheNextLine)
{
    vt::View v;
    vt::score(v.doc, 1, 6);
    for (int m = 0; m < 6; ++m)
        vt::setBeats(v.doc, 0, m, vt::fourQuarters());
    v.doc.tracks[0][4].flags = model::kFlagRepeatStart; // first measure of line 2
    v.doc.tracks[0][2].flags = model::kFlagRepeatStart; // mid-line on line 1
    v.state.cursorMeasure = {0, 5};
    const ScoreLayout l = v.layout();
    ASSERT_EQ(l.lineStart(2), 4);
    const RecordingCanvas rec = v.paint();
    const double lineBreakBar = vt::View::slotOf(l, 3)->barX;
    const double midBar = vt::View::slotOf(l, 1)->barX;
    const double left = l.units().drawRect.left;
    bool atMid = false, atLineEnd = false, atLineStart = false;
    for (const auto& o : rec.all(Kind::FillRect)) {
        atMid = atMid || (o.x() == midBar && o.y() == kTop);
        atLineEnd = atLineEnd || (o.x() == lineBreakBar && o.y() == kTop);
    }
    // The thin bar of the sign, right of the line's own left bar.
    for (const auto& o : rec.all(Kind::Rect))
        atLineStart = atLineStart || (std::abs(o.x() - (left + kThird / 2)) < 1e-6 && o.y() == kTop + 132);
    EXPECT_TRUE(atMid);
    EXPECT_FALSE(atLineEnd);
    EXPECT_TRUE(atLineStart);
}

TEST(TitleBlock, TitleTempoAndCredits)
{
    vt::View v;
    vt::score(v.doc, 1, 1);
    vt::setBeats(v.doc, 0, 0, vt::fourQuarters());
    v.doc.title = "Chanson";
    v.doc.author = "Anne";
    v.doc.tabber = "Luc";
    v.doc.trackNames[0] = "Guitare";
    v.doc.showAuthor = 0;
    v.doc.showTabber = 1;
    v.doc.scoreTempo = 120;
    RecordingCanvas rec = v.paint();
    const auto title = rec.texts("Chanson");
    ASSERT_EQ(title.size(), 3u); // shadow, highlight, title
    EXPECT_EQ(title[2].textColor, colors::kTitleScreen);
    EXPECT_NEAR(title[2].y(), 5 + 66 - 12, 1e-9);
    EXPECT_TRUE(rec.texts("Auteur : Anne").empty());
    const auto tabber = rec.texts("Tableur : Luc");
    ASSERT_EQ(tabber.size(), 1u);
    EXPECT_EQ(tabber[0].align, TextAlign::Right);
    EXPECT_EQ(rec.texts("Guitare").size(), 1u);
    EXPECT_EQ(rec.glyphs(glyphs::kTempoNote).size(), 1u);
    // 120 in music digits beside the note, besides the frets 1 to 4.
    EXPECT_EQ(rec.glyphs('1').size() + rec.glyphs('2').size() + rec.glyphs('0').size(), 5u);

    v.state.isPlaying = true;
    rec = v.paint();
    EXPECT_TRUE(rec.texts("Chanson").empty());
}

TEST(PlayMarker, RedTriangleUnderThePlayingBeat)
{
    vt::View v;
    vt::score(v.doc, 1, 2);
    vt::setBeats(v.doc, 0, 0, vt::fourQuarters());
    vt::setBeats(v.doc, 0, 1, vt::fourQuarters());
    v.state.isPlaying = true;
    v.state.cursorMeasureIndex = 1;
    v.state.cursorBeat = 2;
    const ScoreLayout l = v.layout();
    const double x = vt::View::slotOf(l, 1)->beatX[2];
    const RecordingCanvas rec = v.paint();
    const auto marks = rec.all(Kind::Polygon);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].brushColor, colors::kRed);
    EXPECT_TRUE(marks[0].penIsBackground);
    EXPECT_NEAR(marks[0].points[0].x, x, 1e-9);
    EXPECT_NEAR(marks[0].points[0].y, kBottom + 36, 1e-9);
    EXPECT_NEAR(marks[0].points[1].y, kBottom + 48, 1e-9);
    // No editing cursor while playing.
    for (const auto& o : rec.all(Kind::Ellipse))
        EXPECT_NE(o.brushColor, colors::kYellow);
}

TEST(MultiTrack, StaffNamesAndGroupBars)
{
    vt::View v;
    vt::score(v.doc, 2, 1, {model::kFolkGuitar, model::kBass});
    vt::setBeats(v.doc, 0, 0, vt::fourQuarters());
    vt::setBeats(v.doc, 1, 0, vt::fourQuarters());
    v.doc.trackNames = {"Lead", "Basse"};
    v.state.multiTrackView = true;
    v.state.shownTracks = {true, true};
    const RecordingCanvas rec = v.paint();
    const auto lead = rec.texts("Lead");
    ASSERT_EQ(lead.size(), 3u); // lines 1 and 3 show it, and line 5
    EXPECT_EQ(lead[0].align, TextAlign::Right);
    EXPECT_NEAR(lead[0].y(), kTop - 4 * kThird / 2, 1e-9);
    EXPECT_TRUE(rec.texts("Guitare").empty()); // no track name in the title block
    bool groupBar = false;
    for (const auto& o : rec.all(Kind::FillRect))
        groupBar = groupBar || (o.y() == kTop && o.y2() == kTop + 132 + 36 && o.x2() == 990);
    EXPECT_TRUE(groupBar);
}
