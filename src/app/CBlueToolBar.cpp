#include "CBlueToolBar.h"

#include <QAction>
#include <QActionGroup>
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
    }
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
