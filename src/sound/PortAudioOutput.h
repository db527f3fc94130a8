#pragma once

#include "AudioOutput.h"
#include "Mixer.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace sound {

// The default audio device through PortAudio. The stream pulls float frames
// in the mixer's format; it sleeps when the mixer has long been silent and
// nothing holds it, and wakes when work arrives.
class PortAudioOutput : public AudioOutput {
public:
    // Null when PortAudio cannot start or knows no default output device;
    // `reason` then says why in the library's words.
    static std::unique_ptr<PortAudioOutput> create(std::string* reason = nullptr);
    // Why the last openStream failed.
    const std::string& lastError() const { return lastError_; }
    ~PortAudioOutput() override;
    PortAudioOutput(const PortAudioOutput&) = delete;
    PortAudioOutput& operator=(const PortAudioOutput&) = delete;

    // Opens the stream in the mixer's format; false when the device refuses it.
    bool openStream(Mixer& mixer, IdlePolicy mayIdle);

    bool start() override;
    void stop() override;
    bool running() const override;

private:
    PortAudioOutput() = default;
    static int callback(const void* input, void* output, unsigned long frames, const void* timeInfo,
                        unsigned long statusFlags, void* self);

    Mixer* mixer_ = nullptr;
    IdlePolicy mayIdle_;
    void* stream_ = nullptr;
    int device_ = -1;
    std::mutex control_;
    std::atomic<bool> sleeping_{false};
    std::string lastError_;
};

} // namespace sound
