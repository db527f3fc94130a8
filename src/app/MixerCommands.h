#pragma once

#include "TrackMixer.h"

class CDialVolTip;
class CTabDoc;
class CTabView;
class QWidget;
class TransportController;

// The window's side of the mixer: the "Volume des pistes" and "Ajuster les
// effets" commands with their dialogs, and the track pop-up's wiring to the
// score (under the score lock: the music may be playing).
class MixerCommands : public edit::VolumeDialog {
public:
    MixerCommands(CTabDoc& doc, CTabView& view, TransportController& transport);

    void volumes();
    void effects();
    CDialVolTip* makePopup(int track, QWidget* parent);

    std::optional<edit::TrackVolumes> askVolumes(const edit::VolumeRows& rows) override;
    edit::TrackMixer& mixer() { return mixer_; }

private:
    template <typename F>
    void locked(F&& change);

    CTabDoc& doc_;
    CTabView& view_;
    TransportController& transport_;
    edit::TrackMixer mixer_;
};
