#pragma once

#include "CDialVolTip.h"
#include "CMyToolbar.h"

#include <QPointer>
#include <QStringList>

#include <functional>

class QAction;
class QActionGroup;

// The "Pistes" bar: one flat text button per track, all as wide as the
// widest, exactly one of them pressed. It opens the track pop-up: the
// pointer coming over a button makes its track the hot one and arms the bar,
// the armed pointer moving into the right third opens it; a right click on a
// button opens it at once. One pop-up at a time.
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

    // Makes the pop-up of a track (the window wires it to the score).
    using PopupFactory = std::function<CDialVolTip*(int track, QWidget* parent)>;
    void setPopupFactory(PopupFactory factory) { factory_ = std::move(factory); }
    void openPopup(int track);
    void closePopup();
    CDialVolTip* popup() const { return popup_; }
    int hotTrack() const { return hot_; }
    bool armed() const { return armed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void equaliseWidths();
    int trackOfButton(QObject* widget) const;

    QList<QAction*> actions_;
    QActionGroup* group_ = nullptr;
    PopupFactory factory_;
    QPointer<CDialVolTip> popup_;
    int hot_ = -1;
    bool armed_ = false;
};
