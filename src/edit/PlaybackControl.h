#pragma once

namespace edit {

// The playback commands editing needs. Whether playback runs is read from
// the view state's isPlaying, which playback keeps up to date.
class PlaybackControl {
public:
    virtual ~PlaybackControl() = default;
    // The stop command: silence, cursor back on the measure being played.
    virtual void stopPlayback() = 0;
    // The play command: plays from the cursor measure, starting again from
    // there when playback already runs.
    virtual void play() = 0;
};

} // namespace edit
