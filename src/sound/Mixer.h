#pragma once

#include "BusProcessor.h"
#include "SampleData.h"
#include "SoftLimiter.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace sound {

// The software mixer behind CSoundEngine: one voice per (slot, sample index)
// holding a sample buffer, a play position, a rate, a level and a pan. It
// renders in blocks of one millisecond; before each block it calls the tick
// callback (the playback pass) with the audio clock, then carries out the
// commands queued in the ring, so a start lands on the exact sample.
//
// Threads: render() runs on the audio thread. Posting, parameter setters and
// the queries are safe from any thread; the bank (install, clear) and the
// immediate commands take the voice lock, which the audio thread only
// try-locks so it never waits for the user-interface thread.
class Mixer {
public:
    static constexpr int kSlots = 16;   // the ring's 4-bit slot field
    static constexpr int kIndexes = 52; // sample indexes per slot
    static constexpr int kVoices = kSlots * kIndexes;
    static constexpr int kRingSize = 256;
    static constexpr int kPendingNone = -1;
    static constexpr int kPendingStop = -2;
    // Parameter changes and stops glide over this many blocks (4 ms); a start
    // inside a sample fades in over kFadeInBlocks so it does not click.
    static constexpr int kRampBlocks = 4;
    static constexpr int kFadeInBlocks = 2;
    static constexpr int kSilentLevel = -10000;
    // A sustained voice that jumps back in its sample cross-fades over this
    // many blocks (20 ms).
    static constexpr int kSustainFadeBlocks = 20;

    using TickCallback = std::function<void(double nowMs)>;

    Mixer(int rate, int channels);
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Output format; only while nothing renders. Restarts the audio clock.
    void configure(int rate, int channels);
    int rate() const { return rate_; }
    int channels() const { return channels_; }

    // ---- the bank ----
    void install(int slot, int index, std::shared_ptr<const SampleData> sample);
    void clearSlot(int slot);
    void clearAll();
    bool hasSample(int slot, int index) const;

    // ---- commands ----
    // Queues a start at a byte position (>= 0) or a stop (kPendingStop). Only
    // the newest request per voice is carried out, once, at the next block.
    void post(int slot, int index, int value);
    // Carried out at once when called from the tick callback, otherwise under
    // the voice lock before the next block.
    void startNow(int slot, int index, int bytePosition);
    void stopNow(int slot, int index);
    // Stops every voice and forgets every queued request.
    void stopAll();
    // Immediate like startNow: fades the voice out over `ms` (a hand damping a string).
    void releaseNow(int slot, int index, int ms);
    // Immediate like startNow: a sounding voice goes on from another point of
    // its sample without a new attack. The jump is moved to where the
    // waveform matches, cross-faded, and the new point's level is matched to
    // the old one's; a silent voice simply starts there.
    void sustainNow(int slot, int index, int bytePosition);

    // Device values: hertz (0 = the sample's own rate), hundredths of a
    // decibel (0 full, -10000 silent), pan -10000 (left) .. 10000 (right).
    void setFrequency(int slot, int index, int hertz);
    void setLevel(int slot, int index, int level);
    void setPan(int slot, int index, int pan);
    // Low-pass corner in hertz (0 = open) for the voice's next starts: a duller tone.
    void setTone(int slot, int index, int hertz);
    int frequency(int slot, int index) const;
    int level(int slot, int index) const;
    int pan(int slot, int index) const;

    // Byte position the voice plays at, or -1 when it is silent.
    int position(int slot, int index) const;

    void setTickCallback(TickCallback callback);
    void setBusProcessor(int slot, BusProcessor* processor);

    // ---- audio thread ----
    // Fills `frames` interleaved frames in the output format.
    void render(float* out, int frames);
    // Milliseconds of audio rendered so far (frames * 1000 / rate).
    double clockMs() const;
    // How long nothing has sounded or waited in the ring, in frames.
    std::int64_t silentFrames() const { return silentFrames_.load(std::memory_order_seq_cst); }
    // Another thread is about to give the mixer work: restarts the silence
    // count, so an output deciding to go idle sees it (or is woken again).
    void noteActivity() { silentFrames_.store(0, std::memory_order_seq_cst); }
    bool queueEmpty() const;

    // True on the thread inside render(), where the immediate commands need no lock.
    static bool onAudioThread();

    // The interpolation kernel (public so tests can compare it with the
    // plain formula): adds n frames of a mono source read at a 32.32 fixed
    // point position into left/right with gains ramping linearly. `base`
    // points at the padding frame before frame 0 of a SampleData channel.
    static std::uint64_t mixMono(const float* base, std::uint64_t pos, std::uint64_t step, float gainL, float gainR,
                                 float deltaL, float deltaR, float* left, float* right, int n);
    // The same with a chosen instruction set, and the sets this processor has.
    enum class Kernel { Scalar, Sse, Avx2, Avx512 };
    static std::vector<Kernel> availableKernels();
    // Makes every mixer use `kernel` (to compare them); false if unavailable.
    static bool useKernel(Kernel kernel);
    static std::uint64_t mixMonoWith(Kernel kernel, const float* base, std::uint64_t pos, std::uint64_t step,
                                     float gainL, float gainR, float deltaL, float deltaR, float* left, float* right,
                                     int n);
    static float cubic(float s0, float s1, float s2, float s3, float f);

private:
    struct Playhead {
        bool active = false;
        bool fading = false; // stopping: glides to silence, then ends
        std::uint64_t pos = 0;
        double step = 0;
        double stepTarget = 0;
        int stepRamp = 0;
        float gainL = 0, gainR = 0;
        float targetL = 0, targetR = 0;
        int gainRamp = 0;
        // A cross-fade or release on top of the level: a factor moving by
        // envStep each block; the playhead ends when it falls to 0.
        float env = 1, envStep = 0;
        float trim = 1; // level match of a sustain jump
        float tone = 1;           // low-pass coefficient taken at the start, 1 = open
        float low1 = 0, low2 = 0; // its state
    };
    struct Voice {
        std::shared_ptr<const SampleData> sample;
        Playhead main;
        Playhead tail; // the previous sound of a restarted or stopped voice, fading out
        int seenLevel = 1, seenPan = 0, seenFrequency = -1, seenTone = 0;
        float toneCoefficient = 1; // 1 = open
        float wantL = 1, wantR = 1;
        double wantStep = 1;
        bool listed = false;
    };
    struct Control {
        std::atomic<int> frequency{0};
        std::atomic<int> level{0};
        std::atomic<int> pan{0};
        std::atomic<int> tone{0};
    };

    static bool valid(int slot, int index) { return slot >= 0 && slot < kSlots && index >= 0 && index < kIndexes; }
    static int voiceId(int slot, int index) { return slot * kIndexes + index; }

    void nextBlock();
    void mixBlock(int frames);
    void drainCommands();
    void execute(int id, int value);
    void start(int id, int bytePosition);
    void stop(int id);
    void refresh(Voice& v, int id);
    void mixPlayhead(Voice& v, Playhead& p, float* left, float* right, int frames);
    void mixFiltered(const Voice& v, Playhead& p, std::uint64_t step, float gainL, float gainR, float dL, float dR,
                     float* left, float* right, int todo);
    void release(int id, int blocks);
    void sustain(int id, int bytePosition);
    void toTail(Voice& v);
    template <typename F>
    void withVoices(F&& f);
    bool lockForBlock();
    std::int64_t frameOfMs(std::int64_t ms) const { return ms * rate_ / 1000; }

    int rate_;
    int channels_;
    int maxBlock_ = 0;

    std::array<Voice, kVoices> voices_;
    std::array<Control, kVoices> controls_;
    std::array<std::atomic<bool>, kVoices> present_;
    std::array<std::atomic<int>, kVoices> pending_;
    std::array<std::atomic<int>, kRingSize> ring_;
    std::atomic<std::int64_t> writeIndex_{-1};
    std::int64_t readIndex_ = 0;
    std::atomic_flag posting_ = ATOMIC_FLAG_INIT;

    mutable std::mutex lock_;
    TickCallback tick_;
    std::array<BusProcessor*, kSlots> buses_{};
    std::vector<int> active_;

    std::vector<float> masterL_, masterR_;
    std::vector<float> busL_, busR_; // kSlots blocks each
    std::vector<float> toneL_, toneR_; // one block: a filtered voice before its gains
    int blockLen_ = 0;
    int blockPos_ = 0;
    std::int64_t blockMs_ = 0;
    std::atomic<std::int64_t> framesRendered_{0};
    std::atomic<std::int64_t> silentFrames_{0};
    SoftLimiter limiter_;
};

} // namespace sound
