// The score view's editing: keys, the mouse, and the play command Enter asks for.
#include "CTabView.h"

#include "EditKeyMapping.h"
#include "TransportController.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <mutex>

void CTabView::applyEdit(const edit::EditOutcome& outcome)
{
    if (!outcome.repaint && !outcome.scoreChanged && !outcome.cursorMoved)
        return;
    // The percussion palette, once it exists, follows the cursor here.
    requestRedraw(state_.redrawLevel);
    if (outcome.showCursor && view::scrollLinesToShowMeasure(state_, layout(), state_.cursorMeasure.measure))
        afterScroll();
    if (outcome.change && outcome.change->settings)
        emit trackListChanged();
    emit stateChanged();
}

void CTabView::keyPressEvent(QKeyEvent* event)
{
    const std::optional<edit::KeyPress> key = EditKeyMapping::map(*event);
    if (!key) {
        // Not an editing key; the scroll area's own arrow and page handling
        // never gets the keys above.
        event->ignore();
        return;
    }
    event->accept();
    edit::EditOutcome outcome;
    {
        // Keypad + and - change the score while the music plays.
        std::lock_guard<std::recursive_mutex> lock(transport_->scoreLock());
        outcome = edit_.keyDown(*key, layout());
    }
    applyEdit(outcome);
}

void CTabView::mouseReleaseEvent(QMouseEvent* event)
{
    const Qt::MouseButton button = event->button();
    if (button != Qt::LeftButton && button != Qt::RightButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (button == Qt::LeftButton) {
        if ((event->modifiers() & Qt::ShiftModifier) && selectByClick(at)) {
            event->accept();
            return;
        }
        clearSelection();
    }
    edit_.scoreLoaded(loadTime());
    applyEdit(edit_.mouseRelease(at.x(), at.y(), layout(), nowMs()));
    if (button == Qt::RightButton) {
        // The Effe&ts menu at the pointer, its ticks those of the beat just clicked.
        if (auto* menu = window()->findChild<QMenu*>(QStringLiteral("Effets"))) {
            emit stateChanged();
            menu->exec(event->globalPosition().toPoint());
        }
        requestRedraw(view::kRedrawAll);
    }
    event->accept();
}

void CTabView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        transport_->audition();
    event->accept();
}

void CTabView::play()
{
    transport_->play();
}
