#pragma once

#include "CMyToolbar.h"

#include <QStringList>

class QAction;
class QActionGroup;

// The "Pistes" bar: one flat text button per track, all as wide as the
// widest, exactly one of them pressed.
class CBlueToolBar : public CMyToolbar {
    Q_OBJECT
public:
    explicit CBlueToolBar(const QString& title, QWidget* parent = nullptr);

    // actions: the ten track commands, in order.
    void setTrackActions(const QList<QAction*>& actions);
    // Labels of the tracks in use; the buttons of the other tracks are hidden.
    void setTrackLabels(const QStringList& labels);
    void setPressedTrack(int track);

    int buttonCount() const { return static_cast<int>(actions_.size()); }
    QWidget* button(int track) const;

private:
    void equaliseWidths();

    QList<QAction*> actions_;
    QActionGroup* group_ = nullptr;
};
