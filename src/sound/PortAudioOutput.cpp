#include "PortAudioOutput.h"

#include <portaudio.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace sound {

namespace {

// Starting PortAudio probes every sound system it knows (ALSA cards, JACK,
// OSS) and each one prints what it does not find to standard error. Those
// lines mean nothing to a guitarist; the engine says in its own words when
// there is no device, so they are silenced for the duration of the probe.
class QuietStandardError {
public:
    QuietStandardError()
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0)
            ::dup2(null, 2);
        if (null >= 0)
            ::close(null);
    }
    ~QuietStandardError()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, 2);
            ::close(saved_);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

} // namespace

std::unique_ptr<PortAudioOutput> PortAudioOutput::create(std::string* reason)
{
    QuietStandardError quiet;
    if (const PaError err = Pa_Initialize(); err != paNoError) {
        if (reason)
            *reason = Pa_GetErrorText(err);
        return nullptr;
    }
    std::unique_ptr<PortAudioOutput> output(new PortAudioOutput());
    output->device_ = Pa_GetDefaultOutputDevice();
    if (output->device_ == paNoDevice) {
        if (reason)
            *reason = Pa_GetErrorText(paDeviceUnavailable);
        return nullptr; // the destructor balances Pa_Initialize
    }
    return output;
}

PortAudioOutput::~PortAudioOutput()
{
    QuietStandardError quiet;
    if (stream_) {
        Pa_AbortStream(stream_);
        Pa_CloseStream(stream_);
    }
    Pa_Terminate();
}

int PortAudioOutput::callback(const void*, void* output, unsigned long frames, const void*, unsigned long, void* self)
{
    auto* me = static_cast<PortAudioOutput*>(self);
    me->mixer_->render(static_cast<float*>(output), static_cast<int>(frames));
    if (me->mayIdle_ && me->mayIdle_()) {
        // Check again once the flag is visible: a waker either sees the
        // stream asleep and restarts it, or we see its activity and go on.
        me->sleeping_ = true;
        if (me->mayIdle_())
            return paComplete;
        me->sleeping_ = false;
    }
    return paContinue;
}

bool PortAudioOutput::openStream(Mixer& mixer, IdlePolicy mayIdle)
{
    std::lock_guard guard(control_);
    if (stream_)
        return true;
    mixer_ = &mixer;
    mayIdle_ = std::move(mayIdle);
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device_);
    PaStreamParameters params{};
    params.device = device_;
    params.channelCount = mixer.channels();
    params.sampleFormat = paFloat32;
    params.suggestedLatency = info ? info->defaultLowOutputLatency : 0.02;
    auto trampoline = [](const void* in, void* out, unsigned long frames, const PaStreamCallbackTimeInfo* time,
                         PaStreamCallbackFlags flags, void* self) {
        return callback(in, out, frames, time, flags, self);
    };
    PaStream* stream = nullptr;
    QuietStandardError quiet;
    if (const PaError err = Pa_OpenStream(&stream, nullptr, &params, mixer.rate(), paFramesPerBufferUnspecified,
                                          paNoFlag, trampoline, this);
        err != paNoError) {
        lastError_ = Pa_GetErrorText(err);
        return false;
    }
    stream_ = stream;
    return true;
}

bool PortAudioOutput::start()
{
    if (!sleeping_.load() && stream_ && Pa_IsStreamActive(stream_) == 1)
        return true;
    std::lock_guard guard(control_);
    if (!stream_)
        return false;
    if (!sleeping_.load() && Pa_IsStreamActive(stream_) == 1)
        return true;
    // A stream whose callback finished must be stopped before it restarts.
    if (Pa_IsStreamStopped(stream_) == 0)
        Pa_StopStream(stream_);
    sleeping_ = false;
    return Pa_StartStream(stream_) == paNoError;
}

void PortAudioOutput::stop()
{
    std::lock_guard guard(control_);
    if (stream_ && Pa_IsStreamStopped(stream_) == 0)
        Pa_StopStream(stream_);
}

bool PortAudioOutput::running() const
{
    return stream_ && !sleeping_.load() && Pa_IsStreamActive(stream_) == 1;
}

} // namespace sound
