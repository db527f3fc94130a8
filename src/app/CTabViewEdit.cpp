// The score view's editing: keys, the mouse, and the play command Enter asks for.
#include "CTabView.h"

#include "CDialBat.h"
#include "CTabDoc.h"
#include "DrumPalette.h"
#include "EditKeyMapping.h"
#include "TransportController.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <mutex>

void CTabView::applyEdit(const edit::EditOutcome& outcome)
{
    if (!outcome.repaint && !outcome.scoreChanged && !outcome.cursorMoved)
        return;
    requestRedraw(state_.redrawLevel);
    if (outcome.showCursor && view::scrollLinesToShowMeasure(state_, layout(), state_.cursorMeasure.measure))
        afterScroll();
    if (outcome.change && outcome.change->settings) {
        // Tracks or instruments may have come or gone (a command, its undo or
        // redo): the bank follows before the next note plays.
        clampCursor();
        transport_->ensureBank();
        emit trackListChanged();
    }
    syncDrumPalette();
    emit stateChanged();
}

void CTabView::syncDrumPalette()
{
    const CMesure* measure = view::measureAt(doc_, state_.cursorTrack, state_.cursorMeasure.measure);
    const bool drums = measure && view::instrumentOfMeasure(doc_, *measure) == model::kDrums && isVisible();
    if (!drums) {
        if (palette_)
            palette_->hide();
        return;
    }
    if (!palette_) {
        palette_ = new CDialBat(this);
        palette_->setAttribute(Qt::WA_ShowWithoutActivating);
        connect(palette_, &CDialBat::drumRequest, this, &CTabView::drumRequest);
    }
    const int beats = std::min(measure->beatCount, measure->beats.GetSize());
    palette_->synchronise(beats > 0 ? measure->beats[std::clamp(state_.cursorBeat, 0, beats - 1)] : CAccord());
    if (!palette_->pinned()) {
        if (const auto spot = edit::paletteSpot(layout(), state_, palette_->height(), viewport()->height())) {
            QPoint at = viewport()->mapToGlobal(QPoint(spot->x, spot->y));
            at.setX(std::max(at.x(), 0));
            palette_->move(at);
        }
    }
    palette_->show();
}

void CTabView::drumRequest(int drum, bool added)
{
    const int t = state_.cursorTrack;
    const int m = state_.cursorMeasure.measure;
    const edit::EditOutcome outcome =
        edit_.applyChange(edit::StepKind::Drum, edit::ScoreRegion::measure(t, m), false, [&] {
            auto& track = doc_.tracks[static_cast<std::size_t>(t)];
            if (m < 0 || m >= track.GetSize())
                return;
            CMesure* measure = &track[m];
            const int beats = std::min(measure->beatCount, measure->beats.GetSize());
            if (state_.cursorBeat >= beats)
                state_.cursorBeat = 0;
            if (beats > 0)
                edit::applyDrum(measure->beats[state_.cursorBeat], drum, added);
        });
    applyEdit(outcome);
    if (added)
        transport_->auditionDrum(drum);
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

void CTabView::keyReleaseEvent(QKeyEvent* event)
{
    QAbstractScrollArea::keyReleaseEvent(event);
    // The end of an Alt key (a menu or a window key) on a drum measure hands
    // the keys back to the palette, which sends them on here.
    const bool systemKey = event->key() == Qt::Key_Alt || (event->modifiers() & Qt::AltModifier);
    if (systemKey && palette_ && palette_->isVisible()) {
        palette_->activateWindow();
        palette_->setFocus(Qt::OtherFocusReason);
    }
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
