// The score view's measure selection: Shift+arrows, Shift+click and its highlight.
#include "CTabView.h"

#include "CTabDoc.h"
#include "MeasureSelection.h"
#include "TransportController.h"

#include <QPainter>

void CTabView::stepSelection(int direction)
{
    state_.selection.step(state_.cursorMeasure.measure, direction, doc_.measureCount);
    selectionChanged(state_.selection.movingEnd());
}

void CTabView::clearSelection()
{
    if (state_.selection.empty())
        return;
    state_.selection.clear();
    selectionChanged(-1);
}

bool CTabView::selectByClick(QPoint at)
{
    const int measure = view::measureAtPoint(layout(), at.x(), at.y());
    if (measure < 0)
        return false;
    state_.selection.extendTo(state_.cursorMeasure.measure, measure, doc_.measureCount);
    selectionChanged(measure);
    return true;
}

void CTabView::selectionChanged(int measureShown)
{
    if (measureShown >= 0 && !state_.isPlaying) {
        // The cursor goes with the moving end, so the keys go on from there.
        state_.cursorMeasure = {state_.cursorTrack, measureShown};
        state_.cursorMeasureIndex = measureShown;
        state_.cursorBeat = 0;
        hasCursorMeasure_ = true;
        if (view::scrollLinesToShowMeasure(state_, layout(), measureShown))
            afterScroll();
    }
    transport_->selectionChanged();
    requestRedraw(view::kRedrawLayout);
    emit stateChanged();
}

void CTabView::paintSelection(QPainter& painter, const view::ScoreLayout& layout)
{
    // A light wash over the selected measures, the notes still readable through it.
    static const QColor kWash(60, 120, 230, 56);
    for (const view::Rect& r : view::selectionRects(layout, state_.selection))
        painter.fillRect(QRect(r.left, r.top, r.width(), r.height()), kWash);
}
