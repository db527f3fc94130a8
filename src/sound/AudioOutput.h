#pragma once

#include <functional>

namespace sound {

// Asked on the audio thread after each buffer: may the output go to sleep
// now? (Nothing holds it open and the mixer has been silent for a while.)
using IdlePolicy = std::function<bool()>;

// Something that pulls audio from the mixer on a thread of its own.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts pulling again if stopped or asleep; cheap when already running.
    virtual bool start() = 0;
    // Stops pulling; returns once the audio thread has left the mixer.
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

} // namespace sound
