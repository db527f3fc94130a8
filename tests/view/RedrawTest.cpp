// What a window must repaint: the merged redraw requests, and the areas that
// cover every difference the cursor and the play marker make to a paint.
#include "RedrawPlan.h"
#include "ScoreFactory.h"
#include "ViewScroll.h"
#include "ViewTestScores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace view;
using Area = RedrawPlan::Area;
using Op = RecordingCanvas::Op;

TEST(RedrawPlan, RequestsMergeIntoTheMostAnyAskedFor)
{
    RedrawPlan p;
    EXPECT_TRUE(p.needsMetrics()); // nothing laid out yet
    p.laidOut();
    p.painted();
    EXPECT_EQ(p.area(), Area::None);

    p.request(kRedrawPlayMarker, false);
    EXPECT_EQ(p.area(), Area::PlayMarker);
    EXPECT_FALSE(p.needsLayout());
    p.request(kRedrawScrollPlaying, false);
    EXPECT_EQ(p.area(), Area::Whole);
    EXPECT_TRUE(p.needsLayout());
    EXPECT_FALSE(p.needsMetrics());
    p.request(kRedrawPlayMarker, false); // a later marker move does not shrink it
    EXPECT_EQ(p.area(), Area::Whole);
    p.laidOut();
    p.painted();

    p.request(kRedrawContents, false, true);
    EXPECT_EQ(p.area(), Area::Cursor);
    p.request(kRedrawContents, false, true);
    EXPECT_EQ(p.area(), Area::Cursor);
    p.request(kRedrawContents, false); // a change at the cursor: its lines hold the cursor cells too
    EXPECT_EQ(p.area(), Area::CursorLines);
    p.request(kRedrawContents, false, true);
    EXPECT_EQ(p.area(), Area::CursorLines);
    p.request(kRedrawPlayMarker, false); // cursor and marker together: all of it
    EXPECT_EQ(p.area(), Area::Whole);
    EXPECT_FALSE(p.needsLayout());
    p.painted();

    // Contents in the multi-track view lay out again; unknown levels redo all.
    p.request(kRedrawContents, true, true);
    EXPECT_TRUE(p.needsLayout());
    EXPECT_EQ(p.area(), Area::Whole);
    p.laidOut();
    p.request(7, false);
    EXPECT_TRUE(p.needsMetrics());
    p.laidOut();
    p.painted();
    p.requestLayout();
    EXPECT_TRUE(p.needsLayout());
    EXPECT_EQ(p.area(), Area::Whole);
}

namespace {

// Box of what an operation can touch, pens included.
Rect reach(const Op& o)
{
    double x1 = 1e9, y1 = 1e9, x2 = -1e9, y2 = -1e9;
    for (const PointF& p : o.points) {
        x1 = std::min(x1, p.x);
        y1 = std::min(y1, p.y);
        x2 = std::max(x2, p.x);
        y2 = std::max(y2, p.y);
    }
    const double w = o.pen ? o.penWidth / 2.0 + 1 : 0;
    return {static_cast<int>(std::floor(x1 - w)), static_cast<int>(std::floor(y1 - w)),
            static_cast<int>(std::ceil(x2 + w)), static_cast<int>(std::ceil(y2 + w))};
}

bool inside(const Rect& r, const Rect& area)
{
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

// What an operation draws: the state in force that it uses, nothing else.
auto key(const Op& o)
{
    using K = RecordingCanvas::Kind;
    std::vector<double> k{static_cast<double>(o.kind)};
    for (const PointF& p : o.points) {
        k.push_back(p.x);
        k.push_back(p.y);
    }
    const bool pen = o.kind == K::Line || o.kind == K::Polyline || o.kind == K::Arc || o.kind == K::Rect ||
                     o.kind == K::Ellipse || o.kind == K::Polygon;
    const bool brush = o.kind == K::Rect || o.kind == K::FillRect || o.kind == K::Ellipse || o.kind == K::Polygon ||
                       o.kind == K::Path;
    const bool text = o.kind == K::Text || o.kind == K::Glyph;
    if (pen)
        k.insert(k.end(), {double(o.pen), double(o.penIsBackground), double(o.penColor.r), double(o.penColor.g),
                           double(o.penColor.b), double(o.penWidth), o.startDeg, o.spanDeg});
    if (brush)
        k.insert(k.end(), {double(o.brush), double(o.brushIsBackground), double(o.brushColor.r),
                           double(o.brushColor.g), double(o.brushColor.b)});
    if (text)
        k.insert(k.end(), {double(o.code), double(o.font.pixelSize), double(o.font.face), double(o.textColor.r),
                           double(o.textColor.g), double(o.textColor.b)});
    return std::make_pair(k, text ? o.text : std::string());
}

// Operations of one paint that the other does not have (as multisets).
std::vector<Op> missingFrom(const RecordingCanvas& a, const RecordingCanvas& b)
{
    using Key = decltype(key(a.ops[0]));
    auto sortedKeys = [](const RecordingCanvas& c) {
        std::vector<std::pair<Key, std::size_t>> keys;
        keys.reserve(c.ops.size());
        for (std::size_t i = 0; i < c.ops.size(); ++i)
            keys.emplace_back(key(c.ops[i]), i);
        std::sort(keys.begin(), keys.end());
        return keys;
    };
    const auto ka = sortedKeys(a), kb = sortedKeys(b);
    std::vector<Op> out;
    std::size_t j = 0;
    for (const auto& [k, i] : ka) {
        while (j < kb.size() && kb[j].first < k)
            ++j;
        if (j < kb.size() && kb[j].first == k)
            ++j;
        else
            out.push_back(a.ops[i]);
    }
    return out;
}

} // namespace

// Random scores, views and cursor moves inside a measure: every drawing
// operation one paint has and the other lacks lies in the old or the new
// cursor area, so repainting those two areas gives the full paint.
TEST(RedrawAreas, CursorAreasHoldEverythingACursorMoveChanges)
{
    std::mt19937 rng(77);
    int checked = 0;
    int differing = 0;
    for (int round = 0; round < 50; ++round) {
        vt::View v;
        factory::randomScore(v.doc, rng, 4, 10);
        v.state.cursorTrack = round % v.doc.trackCount;
        v.state.multiTrackView = round % 3 == 0;
        v.state.shownTracks.fill(true);
        v.state.zoomPercent = round % 2 ? 30 + 10 * (round % 20) : 100;
        const int measure = round % v.doc.measureCount;
        v.state.cursorMeasure = {v.state.cursorTrack, measure};
        std::uniform_int_distribution<int> beat(0, 8), string(0, 5);
        v.state.cursorBeat = beat(rng);
        v.state.cursorString = string(rng);

        const ScoreLayout before = v.layout();
        const auto from = ScorePainter::locateCursor(v.doc, v.state, before);
        const RecordingCanvas a = v.paint();
        const ViewState old = v.state;
        v.state.cursorBeat = beat(rng);
        v.state.cursorString = string(rng);
        const ScoreLayout after = v.layout();
        const auto to = ScorePainter::locateCursor(v.doc, v.state, after);
        const RecordingCanvas b = v.paint();
        ASSERT_EQ(from.has_value(), to.has_value());
        if (!from)
            continue;
        ++checked;
        const Rect areaFrom = ScorePainter::cursorBounds(*from, old.cursorString, before.units());
        const Rect areaTo = ScorePainter::cursorBounds(*to, v.state.cursorString, after.units());
        const std::vector<Op> onlyInA = missingFrom(a, b);
        for (const auto& diff : {onlyInA, missingFrom(b, a)})
            for (const Op& o : diff)
                EXPECT_TRUE(inside(reach(o), areaFrom) || inside(reach(o), areaTo))
                    << "round " << round << " op " << static_cast<int>(o.kind) << " at " << o.x() << "," << o.y();
        differing += !onlyInA.empty();
    }
    EXPECT_GT(checked, 25);
    EXPECT_GT(differing, 20); // most moves really changed something
}

TEST(RedrawAreas, PlayMarkerAreaHoldsTheMarker)
{
    vt::View v;
    vt::score(v.doc, 2, 12);
    for (int m = 0; m < 12; ++m) {
        vt::setBeats(v.doc, 0, m, vt::fourQuarters());
        vt::setBeats(v.doc, 1, m, {vt::beat(5), vt::beat(5)});
    }
    v.state.isPlaying = true;
    v.state.cursorTrack = 1;
    v.state.cursorMeasureIndex = 5;
    v.state.cursorBeat = 9; // past the last beat: drawn on the last one
    const ScoreLayout l = v.layout();
    const auto spot = ScorePainter::locatePlayMarker(v.state, l);
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->slot->measure, 5);
    EXPECT_EQ(spot->line->track, 1);
    EXPECT_EQ(spot->x, spot->slot->beatX.back());
    const RecordingCanvas rec = v.paint();
    const auto polygons = rec.all(RecordingCanvas::Kind::Polygon);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_TRUE(inside(reach(polygons[0]), ScorePainter::playMarkerBounds(*spot, l.units())));
    // A measure not on screen has no marker.
    v.state.cursorMeasureIndex = 11;
    v.device.height = 150; // the title and line 1 only
    EXPECT_FALSE(ScorePainter::locatePlayMarker(v.state, v.layout()));
}

TEST(Scroll, LineByLineBringsAMeasureIntoView)
{
    vt::View v;
    vt::score(v.doc, 1, 60);
    for (int m = 0; m < 60; ++m)
        vt::setBeats(v.doc, 0, m, vt::fourQuarters());
    const ScoreLayout l = v.layout(); // 5 measures a line after the first, 5 lines a page
    v.state.cursorMeasure = {0, 2};
    ASSERT_FALSE(scrollLinesToShowMeasure(v.state, l, 20)); // line 5 is on screen
    ASSERT_TRUE(scrollLinesToShowMeasure(v.state, l, 40));  // line 9: four lines down
    EXPECT_EQ(v.state.firstLine, 4);
    EXPECT_EQ(v.state.cursorMeasure, (MeasureRef{0, 2})); // the cursor stays
    EXPECT_TRUE(v.state.scrollMovesCursor);
    ASSERT_TRUE(scrollLinesToShowMeasure(v.state, l, 5)); // line 2: one above the first
    EXPECT_EQ(v.state.firstLine, 2);
    EXPECT_EQ(v.state.scrollPosition, 2);
    EXPECT_FALSE(scrollLinesToShowMeasure(v.state, l, 99)); // no such measure
}
