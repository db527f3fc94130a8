// The score view's layout, redraw levels and painting.
#include "CTabView.h"

#include "CTabDoc.h"
#include "ScorePainter.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

QRect toQRect(const view::Rect& r)
{
    return QRect(r.left, r.top, r.width(), r.height());
}

} // namespace

view::DeviceMetrics CTabView::deviceMetrics() const
{
    view::DeviceMetrics device;
    device.width = viewport()->width();
    device.height = viewport()->height();
    device.dpi = viewport()->logicalDpiY();
    device.fonts = &fonts_;
    return device;
}

CTabView::LayoutInputs CTabView::layoutInputs() const
{
    LayoutInputs in;
    in.width = viewport()->width();
    in.height = viewport()->height();
    in.dpi = viewport()->logicalDpiY();
    in.zoom = state_.zoomPercent;
    in.firstLine = state_.firstLine;
    in.cursorTrack = state_.cursorTrack;
    in.measureCount = doc_.measureCount;
    in.trackCount = doc_.trackCount;
    if (state_.showsMultiTrack(doc_.trackCount)) {
        in.shownTracks = state_.shownTrackList(doc_.trackCount);
    } else {
        // The single-track staff has the lines of the cursor measure's instrument.
        const CMesure* m = view::measureAt(doc_, state_.cursorMeasure.track, state_.cursorMeasure.measure);
        in.stringCount = m ? view::stringCountOfInstrument(view::instrumentOfMeasure(doc_, *m)) : 6;
    }
    return in;
}

const view::ScoreLayout& CTabView::layout()
{
    const LayoutInputs in = layoutInputs();
    const bool metrics = !layout_ || plan_.needsMetrics() || state_.fontsDirty || !in.sameDevice(inputs_);
    if (metrics || plan_.needsLayout() || !(in == inputs_)) {
        if (metrics) {
            units_ = view::computeUnits(deviceMetrics(), state_.zoomPercent);
            state_.fontsDirty = false;
        }
        layout_ = view::ScoreLayout::compute(doc_, state_, units_);
        if (!plan_.needsLayout()) {
            // The state changed under a request that did not say so: what is
            // on screen no longer matches anywhere, so all of it is painted.
            plan_.requestLayout();
            viewport()->update();
        }
        inputs_ = in;
        plan_.laidOut();
        updateScrollBar(*layout_);
    }
    return *layout_;
}

void CTabView::requestRedraw(int level)
{
    state_.redrawLevel = level;
    const bool multiTrack = state_.showsMultiTrack(doc_.trackCount);
    bool cursorOnly = false;
    if (level == view::kRedrawContents && state_.cursorMovedInMeasure && paintedCursor_.area && !paintedCursor_.square) {
        const view::ScoreLayout& l = layout();
        const auto spot = view::ScorePainter::locateCursor(doc_, state_, l);
        cursorOnly = spot && spot->slot && spot->line->line == paintedCursor_.line &&
                     paintedCursor_.measure == view::MeasureRef{spot->slot->track, spot->slot->measure};
    }
    plan_.request(level, multiTrack, cursorOnly);
    scheduleUpdate();
}

void CTabView::scheduleUpdate()
{
    const view::ScoreLayout& l = layout();
    switch (plan_.area()) {
    case view::RedrawPlan::Area::None:
        return;
    case view::RedrawPlan::Area::Whole:
        viewport()->update();
        return;
    case view::RedrawPlan::Area::Cursor: {
        QRegion region(*paintedCursor_.area);
        if (const auto spot = view::ScorePainter::locateCursor(doc_, state_, l))
            region += toQRect(view::ScorePainter::cursorBounds(*spot, state_.cursorString, l.units()));
        viewport()->update(region);
        return;
    }
    case view::RedrawPlan::Area::CursorLines: {
        // The line the cursor was painted on and the one it is on now.
        const auto spot = view::ScorePainter::locateCursor(doc_, state_, l);
        const view::LineRecord* before = l.recordOfLine(paintedCursor_.line);
        if (!spot || !before) {
            viewport()->update();
            return;
        }
        QRegion region(toQRect(view::ScorePainter::lineBand(*before, l.units())));
        region += toQRect(view::ScorePainter::lineBand(*spot->line, l.units()));
        viewport()->update(region);
        return;
    }
    case view::RedrawPlan::Area::PlayMarker: {
        QRegion region;
        if (paintedMarker_)
            region += *paintedMarker_;
        if (state_.isPlaying)
            if (const auto spot = view::ScorePainter::locatePlayMarker(state_, l))
                region += toQRect(view::ScorePainter::playMarkerBounds(*spot, l.units()));
        if (!region.isEmpty())
            viewport()->update(region);
        return;
    }
    }
}

void CTabView::rememberPainted(const view::ScoreLayout& layout)
{
    paintedCursor_ = {};
    if (const auto spot = view::ScorePainter::locateCursor(doc_, state_, layout)) {
        paintedCursor_.area = toQRect(view::ScorePainter::cursorBounds(*spot, state_.cursorString, layout.units()));
        paintedCursor_.square = spot->square;
        paintedCursor_.line = spot->line->line;
        if (spot->slot)
            paintedCursor_.measure = {spot->slot->track, spot->slot->measure};
    }
    paintedMarker_.reset();
    if (state_.isPlaying)
        if (const auto spot = view::ScorePainter::locatePlayMarker(state_, layout))
            paintedMarker_ = toQRect(view::ScorePainter::playMarkerBounds(*spot, layout.units()));
}

void CTabView::paintEvent(QPaintEvent* event)
{
    if (viewport()->width() <= 0 || viewport()->height() <= 0)
        return;
    const view::ScoreLayout& l = layout();
    {
        QPainter painter(viewport());
        QPainterCanvas canvas(painter);
        view::ScorePainter score(canvas, doc_, state_, l);
        // Qt clips to the repainted band; lines that cannot reach it are skipped.
        const QRect band = event->rect();
        score.limitToRows(band.top(), band.bottom());
        score.paint();
        paintSelection(painter, l);
    }
    rememberPainted(l);
    plan_.painted();
    if (view::redrawNeedsMetrics(state_.redrawLevel))
        state_.redrawLevel = view::kRedrawLayout;
    state_.cursorMovedInMeasure = false;
}

void CTabView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    requestRedraw(view::kRedrawAll);
}

void CTabView::setPlaying(bool playing)
{
    if (state_.isPlaying == playing)
        return;
    state_.isPlaying = playing;
    state_.cursorMovedInMeasure = false;
    // The background and the cursor change everywhere.
    requestRedraw(view::kRedrawLayout);
}

void CTabView::showPlayPosition(int measure, int beat)
{
    const bool moved = measure != state_.cursorMeasureIndex || beat != state_.cursorBeat;
    state_.cursorMeasureIndex = measure;
    state_.cursorBeat = beat;
    if (state_.scrollDuringPlayback && view::scrollToShowMeasure(state_, layout(), measure)) {
        afterScroll();
        return;
    }
    // Polled positions repeat themselves between beats: nothing to paint
    // then. Outside playback the same fields place the editing cursor.
    if (moved)
        requestRedraw(state_.isPlaying ? view::kRedrawPlayMarker : view::kRedrawContents);
}
