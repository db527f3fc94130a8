#include "CBlueToolBar.h"

#include "CDialVolTip.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>

CBlueToolBar::CBlueToolBar(const QString& title, QWidget* parent) : CMyToolbar(title, parent)
{
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setStyleSheet(QStringLiteral(
        "QToolButton { color: rgb(20, 40, 140); border: 1px solid transparent; border-radius: 3px;"
        " padding: 3px 6px; background: transparent; }"
        "QToolButton:hover { border-color: rgb(120, 150, 210); background: rgba(177, 204, 247, 120); }"
        "QToolButton:checked { color: white; border-color: rgb(30, 60, 150); background: rgb(60, 100, 190); }"));
    group_ = new QActionGroup(this);
    group_->setExclusive(true);
}

void CBlueToolBar::setTrackActions(const QList<QAction*>& actions)
{
    actions_ = actions;
    for (QAction* a : actions_) {
        a->setCheckable(true);
        group_->addAction(a);
        addAction(a);
        if (QWidget* w = widgetForAction(a)) {
            w->setMouseTracking(true); // moves without a button held arm the pop-up
            w->installEventFilter(this);
        }
    }
}

int CBlueToolBar::trackOfButton(QObject* widget) const
{
    for (int t = 0; t < actions_.size(); ++t)
        if (widgetForAction(actions_[t]) == widget)
            return t;
    return -1;
}

void CBlueToolBar::openPopup(int track)
{
    closePopup();
    QWidget* b = button(track);
    if (!factory_ || !b || !b->isVisible())
        return;
    popup_ = factory_(track, this);
    if (!popup_)
        return;
    popup_->placeBeside(*b);
    popup_->show();
}

void CBlueToolBar::closePopup()
{
    if (popup_)
        popup_->close();
    popup_ = nullptr;
}

bool CBlueToolBar::eventFilter(QObject* watched, QEvent* event)
{
    const int track = trackOfButton(watched);
    if (track < 0)
        return CMyToolbar::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        // Qt repeats the enter when a window opens or closes under the
        // pointer: the pop-up of this very button stays.
        if (popup_ && popup_->track() == track)
            break;
        hot_ = track;
        closePopup();
        armed_ = true;
        break;
    case QEvent::MouseMove: {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QPoint inBar = static_cast<QWidget*>(watched)->mapTo(this, move->position().toPoint());
        if (armed_ && hot_ >= 0 && inBar.x() > width() * 2 / 3) {
            armed_ = false;
            openPopup(hot_);
        }
        break;
    }
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            hot_ = track;
            armed_ = false;
            openPopup(track);
            return true;
        }
        break;
    case QEvent::ContextMenu:
        return true; // the right click opened the pop-up, not the bars' menu
    default:
        break;
    }
    return CMyToolbar::eventFilter(watched, event);
}

QWidget* CBlueToolBar::button(int track) const
{
    if (track < 0 || track >= actions_.size())
        return nullptr;
    return widgetForAction(actions_[track]);
}

void CBlueToolBar::setTrackLabels(const QStringList& labels)
{
    for (int t = 0; t < actions_.size(); ++t) {
        QAction* a = actions_[t];
        const bool used = t < labels.size();
        // A track's name is shown as typed: a '&' is not a mnemonic here, and
        // the button takes the text whole (the plain text would lose "...").
        const QString text = used ? QString(labels[t]).replace(QLatin1Char('&'), QLatin1String("&&")) : QString::number(t + 1);
        a->setText(text);
        a->setIconText(text);
        a->setVisible(used);
    }
    equaliseWidths();
}

void CBlueToolBar::setPressedTrack(int track)
{
    for (int t = 0; t < actions_.size(); ++t)
        actions_[t]->setChecked(t == track);
}

void CBlueToolBar::equaliseWidths()
{
    int widest = 0;
    for (QAction* a : actions_) {
        if (QWidget* w = widgetForAction(a)) {
            w->setMinimumWidth(0);
            widest = std::max(widest, w->sizeHint().width());
        }
    }
    for (QAction* a : actions_)
        if (QWidget* w = widgetForAction(a))
            w->setMinimumWidth(widest);
}
