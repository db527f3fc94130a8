#pragma once

#include "TrackMixer.h"

#include <QWidget>

#include <functional>

class QPushButton;
class QSlider;

// The small window beside a track's button on the "Pistes" bar: the track's
// volume and pan, "S" (solo) and "M" (mute). Every change goes to the score
// at once, heard while the music plays; it closes when the pointer leaves.
class CDialVolTip : public QWidget {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(int)> volume;
        std::function<void(int)> pan;
        std::function<void(bool)> solo;
        std::function<void(bool)> mute;
    };

    CDialVolTip(int track, const edit::TrackMixer::Strip& strip, Handlers handlers, QWidget* parent = nullptr);

    static constexpr QRgb kBackground = 0xFAF9F2; // RGB(250, 249, 242)

    int track() const { return track_; }
    QSlider* volumeSlider() const { return volume_; }
    QSlider* panSlider() const { return pan_; }
    QPushButton* soloButton() const { return solo_; }
    QPushButton* muteButton() const { return mute_; }

    // Places the window with its right edge at the button's left edge and
    // its top 7 pixels below the button's top.
    void placeBeside(const QWidget& button);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void closeIfPointerOutside();

    int track_;
    Handlers handlers_;
    QSlider* volume_ = nullptr;
    QSlider* pan_ = nullptr;
    QPushButton* solo_ = nullptr;
    QPushButton* mute_ = nullptr;
    // It opens beside the pointer: only leaving after having come in closes it.
    bool entered_ = false;
};
