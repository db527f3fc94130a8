// The score view's vertical scrolling: whole lines, by the scroll bar, the
// wheel and the functions the keys call.
#include "CTabView.h"

#include "CDialBat.h"

#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

void CTabView::updateScrollBar(const view::ScoreLayout& layout)
{
    QScrollBar* bar = verticalScrollBar();
    syncingScrollBar_ = true;
    // A line-down step may go one line past the largest thumb position.
    bar->setRange(0, std::max(view::scrollMaximum(layout), state_.scrollPosition));
    bar->setSingleStep(1);
    bar->setPageStep(std::max(layout.linesPerPage(), 1));
    bar->setValue(state_.scrollPosition);
    syncingScrollBar_ = false;
}

void CTabView::scrollContentsBy(int, int)
{
    // Nothing to shift: every scroll repaints the lines it brings in.
}

void CTabView::afterScroll()
{
    requestRedraw(state_.redrawLevel);
    updateScrollBar(layout());
    if (palette_ && palette_->isVisible())
        syncDrumPalette();
    emit stateChanged();
}

bool CTabView::scroll(view::ScrollRequest request, bool cursorFollows)
{
    const bool follow = state_.scrollMovesCursor;
    state_.scrollMovesCursor = follow && cursorFollows;
    const bool moved = view::scrollBy(state_, layout(), request);
    state_.scrollMovesCursor = follow;
    if (moved)
        afterScroll();
    return moved;
}

void CTabView::onScrollBarAction(int action)
{
    if (syncingScrollBar_)
        return;
    QScrollBar* bar = verticalScrollBar();
    const view::ScoreLayout& l = layout();
    bool moved = false;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        moved = view::scrollBy(state_, l, view::ScrollRequest::LineDown);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        moved = view::scrollBy(state_, l, view::ScrollRequest::LineUp);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        moved = view::scrollBy(state_, l, view::ScrollRequest::PageDown);
        break;
    case QAbstractSlider::SliderPageStepSub:
        moved = view::scrollBy(state_, l, view::ScrollRequest::PageUp);
        break;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
        moved = view::scrollToThumb(state_, l, bar->sliderPosition());
        break;
    default:
        break;
    }
    // The scrolling rules decide where the thumb really goes.
    bar->setSliderPosition(state_.scrollPosition);
    if (moved)
        afterScroll();
}

void CTabView::wheel(int angleDelta)
{
    // Whole notches of 120 scroll; finer wheels and touchpads add up to one.
    wheelRemainder_ += angleDelta;
    const int notches = wheelRemainder_ / 120;
    if (notches == 0)
        return;
    wheelRemainder_ -= notches * 120;
    if (view::scrollByWheel(state_, layout(), notches * 120))
        afterScroll();
    else
        wheelRemainder_ = 0;
}

void CTabView::wheelEvent(QWheelEvent* event)
{
    wheel(event->angleDelta().y());
    event->accept();
}

bool CTabView::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over the scroll bar scrolls as over the score.
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}
