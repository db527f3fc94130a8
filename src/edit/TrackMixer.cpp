#include "TrackMixer.h"

#include "CTabDoc.h"

#include <algorithm>

namespace edit {

bool TrackMixer::valid(int track) const
{
    return track >= 0 && track < std::clamp(doc_.trackCount, 0, model::kMaxTracks);
}

void TrackMixer::changed()
{
    doc_.isSaved = 0;
}

VolumeRows TrackMixer::volumeRows(int cursorTrack) const
{
    VolumeRows rows;
    rows.count = std::clamp(doc_.trackCount, 0, model::kMaxTracks);
    rows.marked = cursorTrack;
    for (std::size_t t = 0; t < rows.labels.size(); ++t) {
        rows.labels[t] = " " + doc_.trackNames[t];
        rows.volumes[t] = doc_.volume[t];
    }
    return rows;
}

bool TrackMixer::runVolumeDialog(VolumeDialog& dialog, int cursorTrack)
{
    const std::optional<TrackVolumes> answer = dialog.askVolumes(volumeRows(cursorTrack));
    return answer && applyVolumes(*answer);
}

bool TrackMixer::applyVolumes(const TrackVolumes& volumes)
{
    TrackVolumes wanted{};
    for (std::size_t t = 0; t < wanted.size(); ++t)
        wanted[t] = std::clamp(volumes[t], 0, 100);
    // OK always counts as a change of the score, even with nothing moved.
    changed();
    if (std::equal(wanted.begin(), wanted.end(), doc_.volume.begin()))
        return false;
    std::copy(wanted.begin(), wanted.end(), doc_.volume.begin());
    return true;
}

TrackMixer::Strip TrackMixer::strip(int track) const
{
    if (!valid(track))
        return {};
    const auto t = static_cast<std::size_t>(track);
    return {doc_.volume[t], doc_.pan[t], doc_.soloTrack == track + 1, doc_.mute[t] != 0};
}

void TrackMixer::setVolume(int track, int volume)
{
    if (!valid(track))
        return;
    doc_.volume[static_cast<std::size_t>(track)] = std::clamp(volume, 0, 100);
    changed();
}

void TrackMixer::setPan(int track, int pan)
{
    if (!valid(track))
        return;
    doc_.pan[static_cast<std::size_t>(track)] = std::clamp(pan, 0, 100);
    changed();
}

void TrackMixer::setSolo(int track, bool on)
{
    if (!valid(track))
        return;
    if (on)
        doc_.soloTrack = track + 1;
    else if (doc_.soloTrack == track + 1)
        doc_.soloTrack = 0;
    changed();
}

void TrackMixer::setMute(int track, bool on)
{
    if (!valid(track))
        return;
    doc_.mute[static_cast<std::size_t>(track)] = on ? 1 : 0;
    changed();
}

} // namespace edit
