#pragma once

#include "ModelConstants.h"

#include <array>
#include <optional>
#include <string>

class CTabDoc;

namespace edit {

using TrackVolumes = std::array<int, model::kMaxTracks>;

// What the "Volume" dialog shows: one row per track.
struct VolumeRows {
    int count = 0;  // rows shown (the number of tracks); the others are hidden
    int marked = 0; // the cursor track's row, drawn on a dark band
    std::array<std::string, model::kMaxTracks> labels; // " " and the track's name
    TrackVolumes volumes{};
};

// The "Volume" dialog: the volumes on OK, nothing on "Annuler".
class VolumeDialog {
public:
    virtual ~VolumeDialog() = default;
    virtual std::optional<TrackVolumes> askVolumes(const VolumeRows& rows) = 0;
};

// Each track's volume, pan, mute and the score's solo track, as the two
// mixer windows change them. Playback reads these fields as it plays, so
// callers hold the score lock around the setters while music may play.
class TrackMixer {
public:
    explicit TrackMixer(CTabDoc& doc) : doc_(doc) {}

    VolumeRows volumeRows(int cursorTrack) const;
    // The "Volume des pistes" command (playback already stopped): asks the
    // dialog and applies its answer; true when the score changed.
    bool runVolumeDialog(VolumeDialog& dialog, int cursorTrack);
    // The dialog's answer: every track's volume in one change. True when
    // anything differed.
    bool applyVolumes(const TrackVolumes& volumes);

    // The track pop-up: each change takes effect at once and marks the score
    // modified (volume and pan are saved with it).
    struct Strip {
        int volume = 100;
        int pan = 50;
        bool solo = false;
        bool mute = false;
    };
    Strip strip(int track) const;
    void setVolume(int track, int volume);
    void setPan(int track, int pan);
    // On: this track is the only one heard. Off: no solo, if it was this one.
    void setSolo(int track, bool on);
    void setMute(int track, bool on);

private:
    bool valid(int track) const;
    void changed();

    CTabDoc& doc_;
};

} // namespace edit
