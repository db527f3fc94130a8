#include "Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace sound {

namespace {

thread_local bool tlRendering = false;

// Marks the current thread as the one rendering while the voice lock is held.
class RenderingScope {
public:
    RenderingScope() { tlRendering = true; }
    ~RenderingScope() { tlRendering = false; }
    RenderingScope(const RenderingScope&) = delete;
    RenderingScope& operator=(const RenderingScope&) = delete;
};

constexpr double kFixedOne = 4294967296.0; // 1.0 in 32.32 fixed point

float levelGain(int level)
{
    if (level <= Mixer::kSilentLevel)
        return 0.0f;
    return static_cast<float>(std::pow(10.0, std::min(level, 0) / 2000.0));
}

} // namespace

Mixer::Mixer(int rate, int channels) : rate_(rate), channels_(channels), limiter_(rate)
{
    for (auto& p : present_)
        p.store(false, std::memory_order_relaxed);
    for (auto& p : pending_)
        p.store(kPendingNone, std::memory_order_relaxed);
    for (auto& r : ring_)
        r.store(0, std::memory_order_relaxed);
    active_.reserve(kVoices);
    configure(rate, channels);
}

Mixer::~Mixer() = default;

void Mixer::configure(int rate, int channels)
{
    std::lock_guard guard(lock_);
    rate_ = std::clamp(rate, 1000, 384000);
    channels_ = std::clamp(channels, 1, 2);
    maxBlock_ = static_cast<int>(frameOfMs(1)) + 2;
    masterL_.assign(static_cast<std::size_t>(maxBlock_), 0.0f);
    masterR_.assign(static_cast<std::size_t>(maxBlock_), 0.0f);
    busL_.assign(static_cast<std::size_t>(maxBlock_) * kSlots, 0.0f);
    busR_.assign(static_cast<std::size_t>(maxBlock_) * kSlots, 0.0f);
    toneL_.assign(static_cast<std::size_t>(maxBlock_), 0.0f);
    toneR_.assign(static_cast<std::size_t>(maxBlock_), 0.0f);
    limiter_ = SoftLimiter(rate_);
    // The audio clock starts again with the new format.
    blockLen_ = blockPos_ = 0;
    blockMs_ = 0;
    framesRendered_.store(0);
    for (Voice& v : voices_)
        v.seenFrequency = v.seenTone = -1; // steps and filters depend on the output rate
}

// ---------------------------------------------------------------- the bank

void Mixer::install(int slot, int index, std::shared_ptr<const SampleData> sample)
{
    if (!valid(slot, index))
        return;
    const int id = voiceId(slot, index);
    {
        std::lock_guard guard(lock_);
        Voice& v = voices_[static_cast<std::size_t>(id)];
        std::swap(v.sample, sample);
        v.main = Playhead{};
        v.tail = Playhead{};
        v.seenFrequency = -1;
        v.seenLevel = 1;
        Control& c = controls_[static_cast<std::size_t>(id)];
        // A new buffer plays at its own rate, full level, centred.
        c.frequency.store(0, std::memory_order_relaxed);
        c.level.store(0, std::memory_order_relaxed);
        c.pan.store(0, std::memory_order_relaxed);
        c.tone.store(0, std::memory_order_relaxed);
        v.seenTone = -1;
        pending_[static_cast<std::size_t>(id)].store(kPendingNone, std::memory_order_relaxed);
        present_[static_cast<std::size_t>(id)].store(v.sample != nullptr, std::memory_order_release);
    }
    // `sample` now holds the old buffer: freed here, outside the lock.
}

void Mixer::clearSlot(int slot)
{
    if (slot < 0 || slot >= kSlots)
        return;
    std::vector<std::shared_ptr<const SampleData>> old;
    {
        std::lock_guard guard(lock_);
        for (int i = 0; i < kIndexes; ++i) {
            const auto id = static_cast<std::size_t>(voiceId(slot, i));
            Voice& v = voices_[id];
            present_[id].store(false, std::memory_order_release);
            pending_[id].store(kPendingNone, std::memory_order_relaxed);
            v.main = Playhead{};
            v.tail = Playhead{};
            if (v.sample)
                old.push_back(std::move(v.sample));
        }
    }
}

void Mixer::clearAll()
{
    for (int s = 0; s < kSlots; ++s)
        clearSlot(s);
}

bool Mixer::hasSample(int slot, int index) const
{
    return valid(slot, index) && present_[static_cast<std::size_t>(voiceId(slot, index))].load(std::memory_order_acquire);
}

// ---------------------------------------------------------------- commands

void Mixer::post(int slot, int index, int value)
{
    if (!valid(slot, index) || (value < 0 && value != kPendingStop))
        return;
    const int id = voiceId(slot, index);
    // Posts come from the playback tick and now and then from the
    // user-interface thread: one at a time, for the few stores below. The
    // consumer never takes this flag.
    while (posting_.test_and_set(std::memory_order_acquire))
        std::this_thread::yield();
    const std::int64_t w = writeIndex_.load(std::memory_order_relaxed) + 1;
    ring_[static_cast<std::size_t>(w & (kRingSize - 1))].store(slot + 16 * index, std::memory_order_relaxed);
    pending_[static_cast<std::size_t>(id)].store(value, std::memory_order_relaxed);
    // Publishes the entry and its pending value together.
    writeIndex_.store(w, std::memory_order_seq_cst);
    posting_.clear(std::memory_order_release);
}

template <typename F>
void Mixer::withVoices(F&& f)
{
    if (tlRendering) {
        f();
    } else {
        std::lock_guard guard(lock_);
        f();
    }
}

void Mixer::startNow(int slot, int index, int bytePosition)
{
    if (!valid(slot, index) || bytePosition < 0)
        return;
    withVoices([&] { start(voiceId(slot, index), bytePosition); });
}

void Mixer::stopNow(int slot, int index)
{
    if (!valid(slot, index))
        return;
    withVoices([&] { stop(voiceId(slot, index)); });
}

void Mixer::releaseNow(int slot, int index, int ms)
{
    if (!valid(slot, index))
        return;
    withVoices([&] { release(voiceId(slot, index), std::max(1, ms)); });
}

void Mixer::sustainNow(int slot, int index, int bytePosition)
{
    if (!valid(slot, index) || bytePosition < 0)
        return;
    withVoices([&] { sustain(voiceId(slot, index), bytePosition); });
}

void Mixer::stopAll()
{
    withVoices([&] {
        for (auto& p : pending_)
            p.store(kPendingNone, std::memory_order_relaxed);
        for (int id : active_)
            stop(id);
    });
}

void Mixer::setFrequency(int slot, int index, int hertz)
{
    if (!valid(slot, index))
        return;
    const int f = hertz == 0 ? 0 : std::clamp(hertz, kMinFrequency, kMaxFrequency);
    controls_[static_cast<std::size_t>(voiceId(slot, index))].frequency.store(f, std::memory_order_relaxed);
}

void Mixer::setLevel(int slot, int index, int level)
{
    if (!valid(slot, index))
        return;
    controls_[static_cast<std::size_t>(voiceId(slot, index))].level.store(std::min(level, 0), std::memory_order_relaxed);
}

void Mixer::setPan(int slot, int index, int pan)
{
    if (!valid(slot, index))
        return;
    controls_[static_cast<std::size_t>(voiceId(slot, index))].pan.store(std::clamp(pan, -10000, 10000),
                                                                         std::memory_order_relaxed);
}

void Mixer::setTone(int slot, int index, int hertz)
{
    if (!valid(slot, index))
        return;
    controls_[static_cast<std::size_t>(voiceId(slot, index))].tone.store(std::max(hertz, 0), std::memory_order_relaxed);
}

int Mixer::frequency(int slot, int index) const
{
    return valid(slot, index) ? controls_[static_cast<std::size_t>(voiceId(slot, index))].frequency.load() : 0;
}

int Mixer::level(int slot, int index) const
{
    return valid(slot, index) ? controls_[static_cast<std::size_t>(voiceId(slot, index))].level.load() : 0;
}

int Mixer::pan(int slot, int index) const
{
    return valid(slot, index) ? controls_[static_cast<std::size_t>(voiceId(slot, index))].pan.load() : 0;
}

int Mixer::position(int slot, int index) const
{
    if (!valid(slot, index))
        return -1;
    auto read = [&] {
        const Voice& v = voices_[static_cast<std::size_t>(voiceId(slot, index))];
        if (!v.main.active || !v.sample)
            return -1;
        return v.sample->byteOfFrame(static_cast<int>(v.main.pos >> 32));
    };
    if (tlRendering)
        return read();
    std::lock_guard guard(lock_);
    return read();
}

void Mixer::setTickCallback(TickCallback callback)
{
    {
        std::lock_guard guard(lock_);
        std::swap(tick_, callback);
    }
    // The old callback (and what it captured) is released outside the lock.
}

void Mixer::setBusProcessor(int slot, BusProcessor* processor)
{
    if (slot < 0 || slot >= kSlots)
        return;
    std::lock_guard guard(lock_);
    buses_[static_cast<std::size_t>(slot)] = processor;
}

bool Mixer::queueEmpty() const
{
    return writeIndex_.load(std::memory_order_seq_cst) < readIndex_;
}

bool Mixer::onAudioThread()
{
    return tlRendering;
}

double Mixer::clockMs() const
{
    return static_cast<double>(framesRendered_.load(std::memory_order_relaxed)) * 1000.0 / rate_;
}

// ---------------------------------------------------------------- audio thread

void Mixer::drainCommands()
{
    const std::int64_t w = writeIndex_.load(std::memory_order_acquire);
    if (w < readIndex_)
        return;
    if (w - readIndex_ + 1 > kRingSize) {
        // More was posted than the ring holds while nothing rendered; the
        // pending table still has the newest request of every voice.
        for (int id = 0; id < kVoices; ++id) {
            const int v = pending_[static_cast<std::size_t>(id)].exchange(kPendingNone, std::memory_order_acq_rel);
            if (v != kPendingNone)
                execute(id, v);
        }
    } else {
        for (std::int64_t i = readIndex_; i <= w; ++i) {
            const int entry = ring_[static_cast<std::size_t>(i & (kRingSize - 1))].load(std::memory_order_relaxed);
            const int slot = entry & 15;
            const int index = entry >> 4;
            if (!valid(slot, index))
                continue;
            const int id = voiceId(slot, index);
            // An earlier entry for the same voice already took its request.
            const int v = pending_[static_cast<std::size_t>(id)].exchange(kPendingNone, std::memory_order_acq_rel);
            if (v != kPendingNone)
                execute(id, v);
        }
    }
    readIndex_ = w + 1;
}

void Mixer::execute(int id, int value)
{
    if (value >= 0)
        start(id, value);
    else if (value == kPendingStop)
        stop(id);
}

void Mixer::refresh(Voice& v, int id)
{
    const Control& c = controls_[static_cast<std::size_t>(id)];
    const int level = c.level.load(std::memory_order_relaxed);
    const int pan = c.pan.load(std::memory_order_relaxed);
    if (level != v.seenLevel || pan != v.seenPan) {
        v.seenLevel = level;
        v.seenPan = pan;
        const float g = levelGain(level);
        // The pan attenuates the other side by pan/100 dB.
        v.wantL = pan > 0 ? g * levelGain(-pan) : g;
        v.wantR = pan < 0 ? g * levelGain(pan) : g;
    }
    const int frequency = c.frequency.load(std::memory_order_relaxed);
    if (frequency != v.seenFrequency && v.sample) {
        v.seenFrequency = frequency;
        const double hz = frequency == 0 ? static_cast<double>(v.sample->rate) : frequency;
        v.wantStep = hz * v.sample->oversample / rate_;
    }
    const int tone = c.tone.load(std::memory_order_relaxed);
    if (tone != v.seenTone) {
        v.seenTone = tone;
        // Two one-pole sections at the corner: 12 dB per octave above it.
        v.toneCoefficient =
            tone <= 0 || tone * 2 >= rate_ ? 1.0f : static_cast<float>(1.0 - std::exp(-2.0 * 3.14159265358979 * tone / rate_));
    }
}

void Mixer::toTail(Voice& v)
{
    if (!v.main.active)
        return;
    v.tail = v.main;
    v.tail.fading = true;
    v.tail.targetL = v.tail.targetR = 0;
    v.tail.gainRamp = kRampBlocks;
    v.main.active = false;
}

void Mixer::start(int id, int bytePosition)
{
    Voice& v = voices_[static_cast<std::size_t>(id)];
    if (!v.sample)
        return;
    refresh(v, id);
    toTail(v);
    const int frame = v.sample->frameOfByte(bytePosition);
    if (frame >= v.sample->frames)
        return; // past the end of the buffer: nothing to play
    Playhead& p = v.main;
    p = Playhead{};
    p.active = true;
    p.pos = static_cast<std::uint64_t>(frame) << 32;
    p.step = p.stepTarget = v.wantStep;
    p.tone = v.toneCoefficient;
    p.targetL = v.wantL;
    p.targetR = v.wantR;
    if (frame == 0) {
        // The recording's own attack starts from silence.
        p.gainL = p.targetL;
        p.gainR = p.targetR;
    } else {
        p.gainRamp = kFadeInBlocks;
    }
    if (!v.listed) {
        v.listed = true;
        active_.push_back(id);
    }
}

void Mixer::stop(int id)
{
    toTail(voices_[static_cast<std::size_t>(id)]);
}

void Mixer::release(int id, int ms)
{
    Voice& v = voices_[static_cast<std::size_t>(id)];
    if (!v.main.active)
        return;
    // Unlike a stop, the fade keeps following the voice's level.
    v.tail = v.main;
    const float blocks = static_cast<float>(std::max(1, ms));
    v.tail.envStep = -std::max(v.tail.env, 1e-3f) / blocks;
    v.main.active = false;
}

namespace {

// Frame of a mono buffer near `to` where the waveform best continues the
// one at `from` (normalised correlation over a few periods).
int matchingFrame(const SampleData& s, int from, int to)
{
    // On the recording's own frames: an oversampled buffer's others add nothing.
    const int o = s.oversample;
    constexpr int kWindow = 256, kReach = 256;
    const float* x = s.leftBase() + SampleData::kPadBefore;
    const int last = s.frames - kWindow * o;
    if (from < 0 || from > last)
        return to;
    int best = to;
    double bestScore = -2;
    for (int k = std::max(0, to - kReach * o); k <= std::min(last, to + kReach * o); k += o) {
        double cross = 0, ea = 0, eb = 0;
        for (int i = 0; i < kWindow; ++i) {
            const double a = x[from + i * o], b = x[k + i * o];
            cross += a * b;
            ea += a * a;
            eb += b * b;
        }
        const double score = ea > 0 && eb > 0 ? cross / std::sqrt(ea * eb) : -1;
        if (score > bestScore) {
            bestScore = score;
            best = k;
        }
    }
    return best;
}

double rmsAround(const SampleData& s, int frame, int length)
{
    const float* x = s.leftBase() + SampleData::kPadBefore;
    const int from = std::clamp(frame, 0, s.frames);
    const int to = std::min(s.frames, from + length);
    double sum = 0;
    for (int i = from; i < to; ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return to > from ? std::sqrt(sum / (to - from)) : 0;
}

} // namespace

void Mixer::sustain(int id, int bytePosition)
{
    Voice& v = voices_[static_cast<std::size_t>(id)];
    if (!v.sample)
        return;
    if (!v.main.active || v.sample->channels != 1) {
        start(id, bytePosition);
        return;
    }
    const SampleData& s = *v.sample;
    const int from = static_cast<int>(v.main.pos >> 32);
    int to = s.frameOfByte(bytePosition);
    if (to >= s.frames)
        return;
    to = matchingFrame(s, from, to);
    const int window = static_cast<int>(s.storedRate() / 16); // 60 ms: longer than any beating between partials
    const double here = rmsAround(s, from, window), there = rmsAround(s, to, window);
    const double match = here > 0 && there > 0 ? std::clamp(here / there, 0.05, 1.5) : 1.0;

    v.tail = v.main;
    v.tail.envStep = -std::max(v.tail.env, 1e-3f) / kSustainFadeBlocks;
    Playhead& p = v.main;
    p.pos = (static_cast<std::uint64_t>(to) << 32) | (p.pos & 0xFFFFFFFFu);
    p.trim = static_cast<float>(p.trim * match);
    p.env = 0;
    p.envStep = 1.0f / kSustainFadeBlocks;
}

float Mixer::cubic(float s0, float s1, float s2, float s3, float f)
{
    // Catmull-Rom: passes through s1 at f = 0 and s2 at f = 1.
    return s1 + 0.5f * f * (s2 - s0 + f * (2.0f * s0 - 5.0f * s1 + 4.0f * s2 - s3 + f * (3.0f * (s1 - s2) + s3 - s0)));
}

namespace {

// 24 bits of the position's fraction: as exact as a float holds, and
// convertible as a signed integer by every SIMD flavour below.
constexpr float kFraction24 = 1.0f / 16777216.0f;

inline float fractionOf(std::uint64_t pos)
{
    return static_cast<float>(static_cast<std::int32_t>(static_cast<std::uint32_t>(pos) >> 8)) * kFraction24;
}

// The plain loop, also the tail of the vector ones. Gains are computed from
// the frame number so no frame waits for the previous one's addition.
std::uint64_t mixMonoScalar(const float* base, std::uint64_t pos, std::uint64_t step, float gainL, float gainR,
                            float deltaL, float deltaR, float* left, float* right, int from, int n)
{
    for (int i = from; i < n; ++i) {
        const float* s = base + (pos >> 32);
        const float y = Mixer::cubic(s[0], s[1], s[2], s[3], fractionOf(pos));
        const auto k = static_cast<float>(i);
        left[i] += y * (gainL + k * deltaL);
        right[i] += y * (gainR + k * deltaR);
        pos += step;
    }
    return pos;
}

#if defined(__x86_64__) || defined(__i386__)

// Four frames at a time: each frame's four neighbours come from one
// unaligned load, a transpose turns them into four vectors of taps.
std::uint64_t mixMonoSse(const float* base, std::uint64_t pos, std::uint64_t step, float gainL, float gainR,
                         float deltaL, float deltaR, float* left, float* right, int n)
{
    const __m128 ramp = _mm_set_ps(3, 2, 1, 0);
    __m128 gl = _mm_add_ps(_mm_set1_ps(gainL), _mm_mul_ps(ramp, _mm_set1_ps(deltaL)));
    __m128 gr = _mm_add_ps(_mm_set1_ps(gainR), _mm_mul_ps(ramp, _mm_set1_ps(deltaR)));
    const __m128 gl4 = _mm_set1_ps(4 * deltaL);
    const __m128 gr4 = _mm_set1_ps(4 * deltaR);
    const __m128 half = _mm_set1_ps(0.5f), two = _mm_set1_ps(2.0f), three = _mm_set1_ps(3.0f);
    const __m128 four = _mm_set1_ps(4.0f), five = _mm_set1_ps(5.0f), scale = _mm_set1_ps(kFraction24);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const std::uint64_t p0 = pos, p1 = p0 + step, p2 = p1 + step, p3 = p2 + step;
        pos = p3 + step;
        __m128 s0 = _mm_loadu_ps(base + (p0 >> 32));
        __m128 s1 = _mm_loadu_ps(base + (p1 >> 32));
        __m128 s2 = _mm_loadu_ps(base + (p2 >> 32));
        __m128 s3 = _mm_loadu_ps(base + (p3 >> 32));
        _MM_TRANSPOSE4_PS(s0, s1, s2, s3);
        const __m128i bits = _mm_set_epi32(static_cast<int>(static_cast<std::uint32_t>(p3) >> 8),
                                           static_cast<int>(static_cast<std::uint32_t>(p2) >> 8),
                                           static_cast<int>(static_cast<std::uint32_t>(p1) >> 8),
                                           static_cast<int>(static_cast<std::uint32_t>(p0) >> 8));
        const __m128 f = _mm_mul_ps(_mm_cvtepi32_ps(bits), scale);
        const __m128 a = _mm_sub_ps(_mm_add_ps(_mm_mul_ps(three, _mm_sub_ps(s1, s2)), s3), s0);
        const __m128 b = _mm_sub_ps(_mm_add_ps(_mm_sub_ps(_mm_mul_ps(two, s0), _mm_mul_ps(five, s1)), _mm_mul_ps(four, s2)), s3);
        const __m128 c = _mm_sub_ps(s2, s0);
        const __m128 t = _mm_add_ps(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(a, f), b), f), c), _mm_mul_ps(half, f)), s1);
        _mm_storeu_ps(left + i, _mm_add_ps(_mm_loadu_ps(left + i), _mm_mul_ps(t, gl)));
        _mm_storeu_ps(right + i, _mm_add_ps(_mm_loadu_ps(right + i), _mm_mul_ps(t, gr)));
        gl = _mm_add_ps(gl, gl4);
        gr = _mm_add_ps(gr, gr4);
    }
    return mixMonoScalar(base, pos, step, gainL, gainR, deltaL, deltaR, left, right, i, n);
}

// The interpolated value of eight frames at the given positions.
__attribute__((target("avx2,fma"), always_inline)) inline __m256 cubic8(const float* base, __m256i laneSteps,
                                                                       std::uint64_t p0, std::uint64_t p1,
                                                                       std::uint64_t p2, std::uint64_t p3,
                                                                       std::uint64_t p4, std::uint64_t p5,
                                                                       std::uint64_t p6, std::uint64_t p7)
{
    const __m256 half = _mm256_set1_ps(0.5f), two = _mm256_set1_ps(2.0f), three = _mm256_set1_ps(3.0f);
    const __m256 four = _mm256_set1_ps(4.0f), five = _mm256_set1_ps(5.0f), scale = _mm256_set1_ps(kFraction24);
    // Register half k holds frame k low and frame k + 4 high.
    const __m256 t0 = _mm256_loadu2_m128(base + (p4 >> 32), base + (p0 >> 32));
    const __m256 t1 = _mm256_loadu2_m128(base + (p5 >> 32), base + (p1 >> 32));
    const __m256 t2 = _mm256_loadu2_m128(base + (p6 >> 32), base + (p2 >> 32));
    const __m256 t3 = _mm256_loadu2_m128(base + (p7 >> 32), base + (p3 >> 32));
    const __m256 u0 = _mm256_unpacklo_ps(t0, t1), u1 = _mm256_unpackhi_ps(t0, t1);
    const __m256 u2 = _mm256_unpacklo_ps(t2, t3), u3 = _mm256_unpackhi_ps(t2, t3);
    const __m256 s0 = _mm256_shuffle_ps(u0, u2, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s1 = _mm256_shuffle_ps(u0, u2, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 s2 = _mm256_shuffle_ps(u1, u3, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 s3 = _mm256_shuffle_ps(u1, u3, _MM_SHUFFLE(3, 2, 3, 2));
    // The fractions are the low 32 bits of the positions: lane k adds k
    // steps there, wrapping exactly as the full positions do.
    const __m256i low = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(p0))), laneSteps);
    const __m256 f = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_srli_epi32(low, 8)), scale);
    const __m256 a = _mm256_sub_ps(_mm256_fmadd_ps(three, _mm256_sub_ps(s1, s2), s3), s0);
    const __m256 b = _mm256_sub_ps(_mm256_fmadd_ps(four, s2, _mm256_fnmadd_ps(five, s1, _mm256_mul_ps(two, s0))), s3);
    const __m256 c = _mm256_sub_ps(s2, s0);
    const __m256 h = _mm256_fmadd_ps(_mm256_fmadd_ps(a, f, b), f, c);
    return _mm256_fmadd_ps(h, _mm256_mul_ps(half, f), s1);
}

// Four frames with the same instructions: the last few frames of a block
// are cheaper this way than through a half-empty eight-frame pass.
__attribute__((target("avx2,fma"), always_inline)) inline __m128 cubic4(const float* base, std::uint64_t p0,
                                                                       std::uint64_t p1, std::uint64_t p2,
                                                                       std::uint64_t p3)
{
    __m128 s0 = _mm_loadu_ps(base + (p0 >> 32));
    __m128 s1 = _mm_loadu_ps(base + (p1 >> 32));
    __m128 s2 = _mm_loadu_ps(base + (p2 >> 32));
    __m128 s3 = _mm_loadu_ps(base + (p3 >> 32));
    _MM_TRANSPOSE4_PS(s0, s1, s2, s3);
    const __m128i bits = _mm_set_epi32(static_cast<int>(static_cast<std::uint32_t>(p3) >> 8),
                                       static_cast<int>(static_cast<std::uint32_t>(p2) >> 8),
                                       static_cast<int>(static_cast<std::uint32_t>(p1) >> 8),
                                       static_cast<int>(static_cast<std::uint32_t>(p0) >> 8));
    const __m128 f = _mm_mul_ps(_mm_cvtepi32_ps(bits), _mm_set1_ps(kFraction24));
    const __m128 a = _mm_sub_ps(_mm_fmadd_ps(_mm_set1_ps(3.0f), _mm_sub_ps(s1, s2), s3), s0);
    const __m128 b = _mm_sub_ps(
        _mm_fmadd_ps(_mm_set1_ps(4.0f), s2, _mm_fnmadd_ps(_mm_set1_ps(5.0f), s1, _mm_mul_ps(_mm_set1_ps(2.0f), s0))), s3);
    const __m128 c = _mm_sub_ps(s2, s0);
    const __m128 h = _mm_fmadd_ps(_mm_fmadd_ps(a, f, b), f, c);
    return _mm_fmadd_ps(h, _mm_mul_ps(_mm_set1_ps(0.5f), f), s1);
}

// Eight frames at a time with fused multiply-adds, where the processor has
// them; the last few frames of a block go through the same code with the
// extra lanes masked off.
__attribute__((target("avx2,fma"))) std::uint64_t mixMonoAvx2(const float* base, std::uint64_t pos,
                                                              std::uint64_t step, float gainL, float gainR,
                                                              float deltaL, float deltaR, float* left, float* right,
                                                              int n)
{
    const __m256 ramp = _mm256_set_ps(7, 6, 5, 4, 3, 2, 1, 0);
    __m256 gl = _mm256_fmadd_ps(ramp, _mm256_set1_ps(deltaL), _mm256_set1_ps(gainL));
    __m256 gr = _mm256_fmadd_ps(ramp, _mm256_set1_ps(deltaR), _mm256_set1_ps(gainR));
    const __m256 gl8 = _mm256_set1_ps(8 * deltaL);
    const __m256 gr8 = _mm256_set1_ps(8 * deltaR);
    const __m256i lane = _mm256_set_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    const __m256i laneSteps =
        _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(step))));

    // Each lane's position from the first, not from its neighbour: one
    // addition per eight frames on the critical path instead of eight.
    const std::uint64_t step2 = 2 * step, step3 = 3 * step, step4 = 4 * step, step5 = 5 * step;
    const std::uint64_t step6 = 6 * step, step7 = 7 * step, step8 = 8 * step;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256 y = cubic8(base, laneSteps, pos, pos + step, pos + step2, pos + step3, pos + step4, pos + step5,
                                pos + step6, pos + step7);
        _mm256_storeu_ps(left + i, _mm256_fmadd_ps(y, gl, _mm256_loadu_ps(left + i)));
        _mm256_storeu_ps(right + i, _mm256_fmadd_ps(y, gr, _mm256_loadu_ps(right + i)));
        gl = _mm256_add_ps(gl, gl8);
        gr = _mm256_add_ps(gr, gr8);
        pos += step8;
    }
    if (n - i >= 4) {
        const __m128 y = cubic4(base, pos, pos + step, pos + step2, pos + step3);
        _mm_storeu_ps(left + i, _mm_fmadd_ps(y, _mm256_castps256_ps128(gl), _mm_loadu_ps(left + i)));
        _mm_storeu_ps(right + i, _mm_fmadd_ps(y, _mm256_castps256_ps128(gr), _mm_loadu_ps(right + i)));
        pos += step4;
        i += 4;
        gl = _mm256_permute2f128_ps(gl, gl, 0x01); // the upper four gains move down
        gr = _mm256_permute2f128_ps(gr, gr, 0x01);
    }
    // One to three frames left: one at a time, with the gains the lanes hold.
    alignas(32) float gainsL[8], gainsR[8];
    _mm256_store_ps(gainsL, gl);
    _mm256_store_ps(gainsR, gr);
    for (int k = 0; i < n; ++i, ++k) {
        const float* s = base + (pos >> 32);
        const float y = Mixer::cubic(s[0], s[1], s[2], s[3], fractionOf(pos));
        left[i] += y * gainsL[k];
        right[i] += y * gainsR[k];
        pos += step;
    }
    return pos;
}

__attribute__((target("avx512f"), always_inline)) inline __m512 cubic16(__m512 s0, __m512 s1, __m512 s2, __m512 s3,
                                                                       __m512 f)
{
    const __m512 half = _mm512_set1_ps(0.5f), two = _mm512_set1_ps(2.0f), three = _mm512_set1_ps(3.0f);
    const __m512 four = _mm512_set1_ps(4.0f), five = _mm512_set1_ps(5.0f);
    const __m512 a = _mm512_sub_ps(_mm512_fmadd_ps(three, _mm512_sub_ps(s1, s2), s3), s0);
    const __m512 b = _mm512_sub_ps(_mm512_fmadd_ps(four, s2, _mm512_fnmadd_ps(five, s1, _mm512_mul_ps(two, s0))), s3);
    const __m512 c = _mm512_sub_ps(s2, s0);
    const __m512 h = _mm512_fmadd_ps(_mm512_fmadd_ps(a, f, b), f, c);
    return _mm512_fmadd_ps(h, _mm512_mul_ps(half, f), s1);
}

constexpr std::uint64_t kWindowStepLimit = (std::uint64_t{28} << 32) / 15;

__attribute__((target("avx512f,avx2,fma"))) std::uint64_t mixMonoAvx512(const float* base, std::uint64_t pos,
                                                                        std::uint64_t step, float gainL, float gainR,
                                                                        float deltaL, float deltaR, float* left,
                                                                        float* right, int n)
{
    if (step >= kWindowStepLimit)
        return mixMonoAvx2(base, pos, step, gainL, gainR, deltaL, deltaR, left, right, n);
    const __m512 ramp = _mm512_set_ps(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    __m512 gl = _mm512_fmadd_ps(ramp, _mm512_set1_ps(deltaL), _mm512_set1_ps(gainL));
    __m512 gr = _mm512_fmadd_ps(ramp, _mm512_set1_ps(deltaR), _mm512_set1_ps(gainR));
    const __m512 gl16 = _mm512_set1_ps(16 * deltaL);
    const __m512 gr16 = _mm512_set1_ps(16 * deltaR);
    const __m512i lane = _mm512_set_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    // Positions relative to the window start in 8.24 fixed point: the
    // fraction keeps the same 24 bits as the other kernels.
    const __m512i laneSteps = _mm512_mullo_epi32(lane, _mm512_set1_epi32(static_cast<int>(step >> 8)));
    const __m512i fractionMask = _mm512_set1_epi32(0xFFFFFF);
    const __m512 scale = _mm512_set1_ps(kFraction24);
    const __m512i one = _mm512_set1_epi32(1);
    const std::uint64_t step16 = 16 * step;
    for (int i = 0; i < n; i += 16) {
        const float* window = base + (pos >> 32);
        const __m512 lo = _mm512_loadu_ps(window);
        const __m512 hi = _mm512_loadu_ps(window + 16);
        const __m512i rel = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(pos) >> 8)), laneSteps);
        // (The zero-masked forms: the plain ones start from an undefined
        // register that this compiler warns about.)
        __m512i t = _mm512_maskz_srli_epi32(0xFFFF, rel, 24);
        const __m512 f = _mm512_mul_ps(_mm512_maskz_cvtepi32_ps(0xFFFF, _mm512_and_si512(rel, fractionMask)), scale);
        const __m512 s0 = _mm512_permutex2var_ps(lo, t, hi);
        t = _mm512_add_epi32(t, one);
        const __m512 s1 = _mm512_permutex2var_ps(lo, t, hi);
        t = _mm512_add_epi32(t, one);
        const __m512 s2 = _mm512_permutex2var_ps(lo, t, hi);
        t = _mm512_add_epi32(t, one);
        const __m512 s3 = _mm512_permutex2var_ps(lo, t, hi);
        const __m512 y = cubic16(s0, s1, s2, s3, f);
        if (i + 16 <= n) {
            _mm512_storeu_ps(left + i, _mm512_fmadd_ps(y, gl, _mm512_loadu_ps(left + i)));
            _mm512_storeu_ps(right + i, _mm512_fmadd_ps(y, gr, _mm512_loadu_ps(right + i)));
            pos += step16;
        } else {
            const int count = n - i;
            const auto mask = static_cast<__mmask16>((1u << count) - 1u);
            _mm512_mask_storeu_ps(left + i, mask, _mm512_fmadd_ps(y, gl, _mm512_maskz_loadu_ps(mask, left + i)));
            _mm512_mask_storeu_ps(right + i, mask, _mm512_fmadd_ps(y, gr, _mm512_maskz_loadu_ps(mask, right + i)));
            pos += static_cast<std::uint64_t>(count) * step;
        }
        gl = _mm512_add_ps(gl, gl16);
        gr = _mm512_add_ps(gr, gr16);
    }
    return pos;
}

using MonoKernel = std::uint64_t (*)(const float*, std::uint64_t, std::uint64_t, float, float, float, float, float*,
                                     float*, int);

MonoKernel kernelFor(Mixer::Kernel kind)
{
    switch (kind) {
    case Mixer::Kernel::Avx512:
        return mixMonoAvx512;
    case Mixer::Kernel::Avx2:
        return mixMonoAvx2;
    case Mixer::Kernel::Sse:
        return mixMonoSse;
    default:
        return nullptr;
    }
}

Mixer::Kernel chooseKernel()
{
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    if (avx2 && __builtin_cpu_supports("avx512f"))
        return Mixer::Kernel::Avx512;
    return avx2 ? Mixer::Kernel::Avx2 : Mixer::Kernel::Sse;
}

const Mixer::Kernel kBestKernel = chooseKernel();
std::atomic<MonoKernel> gMonoKernel{kernelFor(kBestKernel)};

#endif

} // namespace

std::uint64_t Mixer::mixMono(const float* base, std::uint64_t pos, std::uint64_t step, float gainL, float gainR,
                             float deltaL, float deltaR, float* left, float* right, int n)
{
#if defined(__x86_64__) || defined(__i386__)
    return gMonoKernel.load(std::memory_order_relaxed)(base, pos, step, gainL, gainR, deltaL, deltaR, left, right, n);
#else
    return mixMonoScalar(base, pos, step, gainL, gainR, deltaL, deltaR, left, right, 0, n);
#endif
}

std::vector<Mixer::Kernel> Mixer::availableKernels()
{
    std::vector<Kernel> kernels{Kernel::Scalar};
#if defined(__x86_64__) || defined(__i386__)
    kernels.push_back(Kernel::Sse);
    if (kBestKernel == Kernel::Avx2 || kBestKernel == Kernel::Avx512)
        kernels.push_back(Kernel::Avx2);
    if (kBestKernel == Kernel::Avx512)
        kernels.push_back(Kernel::Avx512);
#endif
    return kernels;
}

bool Mixer::useKernel(Kernel kernel)
{
    const std::vector<Kernel> available = availableKernels();
    if (std::find(available.begin(), available.end(), kernel) == available.end())
        return false;
#if defined(__x86_64__) || defined(__i386__)
    gMonoKernel = kernelFor(kernel) ? kernelFor(kernel) : mixMonoSse;
#endif
    return kernel != Kernel::Scalar;
}

std::uint64_t Mixer::mixMonoWith(Kernel kernel, const float* base, std::uint64_t pos, std::uint64_t step, float gainL,
                                 float gainR, float deltaL, float deltaR, float* left, float* right, int n)
{
#if defined(__x86_64__) || defined(__i386__)
    if (MonoKernel k = kernelFor(kernel))
        return k(base, pos, step, gainL, gainR, deltaL, deltaR, left, right, n);
#endif
    return mixMonoScalar(base, pos, step, gainL, gainR, deltaL, deltaR, left, right, 0, n);
}

void Mixer::mixPlayhead(Voice& v, Playhead& p, float* left, float* right, int frames)
{
    const SampleData& s = *v.sample;
    const float wantL = p.fading ? 0.0f : v.wantL;
    const float wantR = p.fading ? 0.0f : v.wantR;
    if (wantL != p.targetL || wantR != p.targetR) {
        p.targetL = wantL;
        p.targetR = wantR;
        p.gainRamp = kRampBlocks;
    }
    float endL = p.targetL, endR = p.targetR;
    if (p.gainRamp > 0) {
        endL = p.gainL + (p.targetL - p.gainL) / static_cast<float>(p.gainRamp);
        endR = p.gainR + (p.targetR - p.gainR) / static_cast<float>(p.gainRamp);
        if (--p.gainRamp == 0) {
            endL = p.targetL;
            endR = p.targetR;
        }
    }
    if (!p.fading && v.wantStep != p.stepTarget) {
        p.stepTarget = v.wantStep;
        p.stepRamp = kRampBlocks;
    }
    if (p.stepRamp > 0) {
        p.step += (p.stepTarget - p.step) / p.stepRamp;
        if (--p.stepRamp == 0)
            p.step = p.stepTarget;
    }
    const auto step = static_cast<std::uint64_t>(p.step * kFixedOne + 0.5);
    const std::uint64_t end = static_cast<std::uint64_t>(s.frames) << 32;
    int todo = frames;
    const std::uint64_t advance = step * static_cast<std::uint64_t>(frames);
    if (p.pos >= end || step == 0)
        todo = 0;
    else if (end - p.pos < advance) // the sample ends inside this block
        todo = static_cast<int>((end - p.pos + step - 1) / step);

    // Many voices each read a little of their own buffer every block: fetch
    // what the next block will read now, so it is in cache by then.
    const std::size_t next = static_cast<std::size_t>(std::min<std::uint64_t>((p.pos + advance) >> 32, static_cast<std::uint64_t>(s.frames)));
    const std::size_t last = std::min(next + static_cast<std::size_t>(advance >> 32) + 4, static_cast<std::size_t>(s.frames));
    for (std::size_t at = next; at < last; at += 16) {
        __builtin_prefetch(s.leftBase() + at);
        if (s.channels == 2)
            __builtin_prefetch(s.rightBase() + at);
    }
    // The cross-fade or release envelope and the level match scale both ends of the block.
    const float envStart = p.env * p.trim;
    if (p.envStep != 0) {
        p.env = std::clamp(p.env + p.envStep, 0.0f, 1.0f);
        if (p.env >= 1.0f)
            p.envStep = 0;
    }
    const float envEnd = p.env * p.trim;
    const float startL = p.gainL * envStart, startR = p.gainR * envStart;
    const float perFrame = 1.0f / static_cast<float>(frames);
    const float dL = (endL * envEnd - startL) * perFrame;
    const float dR = (endR * envEnd - startR) * perFrame;
    if (startL == 0 && startR == 0 && endL * envEnd == 0 && endR * envEnd == 0) {
        p.pos += step * static_cast<std::uint64_t>(todo); // silent, but still moving through its sample
    } else if (s.channels == 1 && p.tone < 1.0f) {
        mixFiltered(v, p, step, startL, startR, dL, dR, left, right, todo);
    } else if (s.channels == 1) {
        p.pos = mixMono(s.leftBase(), p.pos, step, startL, startR, dL, dR, left, right, todo);
    } else {
        const float* l = s.leftBase();
        const float* r = s.rightBase();
        float gl = startL, gr = startR;
        for (int i = 0; i < todo; ++i) {
            const std::size_t at = static_cast<std::size_t>(p.pos >> 32);
            const float f = fractionOf(p.pos);
            left[i] += cubic(l[at], l[at + 1], l[at + 2], l[at + 3], f) * gl;
            right[i] += cubic(r[at], r[at + 1], r[at + 2], r[at + 3], f) * gr;
            gl += dL;
            gr += dR;
            p.pos += step;
        }
    }
    p.gainL = endL;
    p.gainR = endR;
    if (todo < frames || (p.fading && p.gainRamp == 0) || (p.envStep < 0 && p.env <= 0))
        p.active = false;
}

void Mixer::mixFiltered(const Voice& v, Playhead& p, std::uint64_t step, float gainL, float gainR, float dL, float dR,
                        float* left, float* right, int todo)
{
    float* mono = toneL_.data();
    std::fill_n(mono, todo, 0.0f);
    std::fill_n(toneR_.data(), todo, 0.0f);
    p.pos = mixMono(v.sample->leftBase(), p.pos, step, 1.0f, 0.0f, 0.0f, 0.0f, mono, toneR_.data(), todo);
    const float a = p.tone;
    float y1 = p.low1, y2 = p.low2;
    for (int i = 0; i < todo; ++i) {
        y1 += a * (mono[i] - y1);
        y2 += a * (y1 - y2);
        const auto k = static_cast<float>(i);
        left[i] += y2 * (gainL + k * dL);
        right[i] += y2 * (gainR + k * dR);
    }
    p.low1 = y1;
    p.low2 = y2;
}

void Mixer::mixBlock(int frames)
{
    std::fill_n(masterL_.begin(), frames, 0.0f);
    std::fill_n(masterR_.begin(), frames, 0.0f);
    unsigned busUsed = 0;
    auto busOf = [&](int slot, float*& l, float*& r) {
        const auto offset = static_cast<std::size_t>(slot) * static_cast<std::size_t>(maxBlock_);
        l = busL_.data() + offset;
        r = busR_.data() + offset;
        if (!(busUsed & (1u << slot))) {
            busUsed |= 1u << slot;
            std::fill_n(l, frames, 0.0f);
            std::fill_n(r, frames, 0.0f);
        }
    };

    // Slots whose effects run this block; an idle chain costs nothing.
    unsigned busOn = 0;
    for (int slot = 0; slot < kSlots; ++slot)
        if (BusProcessor* fx = buses_[static_cast<std::size_t>(slot)]; fx && fx->active())
            busOn |= 1u << slot;

    for (int id : active_) {
        Voice& v = voices_[static_cast<std::size_t>(id)];
        if (!v.sample)
            continue;
        const int slot = id / kIndexes;
        float* l = masterL_.data();
        float* r = masterR_.data();
        if (busOn & (1u << slot))
            busOf(slot, l, r);
        refresh(v, id);
        if (v.main.active)
            mixPlayhead(v, v.main, l, r, frames);
        if (v.tail.active)
            mixPlayhead(v, v.tail, l, r, frames);
    }

    // ---- slot buses: the effects chain of each slot runs here ----
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!(busOn & (1u << slot)))
            continue;
        BusProcessor* fx = buses_[static_cast<std::size_t>(slot)];
        float* l;
        float* r;
        busOf(slot, l, r); // a chain keeps ringing after its voices stop
        fx->process(l, r, frames);
        for (int i = 0; i < frames; ++i) {
            masterL_[static_cast<std::size_t>(i)] += l[i];
            masterR_[static_cast<std::size_t>(i)] += r[i];
        }
    }

    std::erase_if(active_, [&](int id) {
        Voice& v = voices_[static_cast<std::size_t>(id)];
        if (v.sample && (v.main.active || v.tail.active))
            return false;
        v.listed = false;
        return true;
    });
}

bool Mixer::lockForBlock()
{
    // The user-interface thread holds the lock only for a few assignments;
    // wait a moment for it rather than drop a block.
    for (int i = 0; i < 64; ++i) {
        if (lock_.try_lock())
            return true;
        std::this_thread::yield();
    }
    return false;
}

void Mixer::nextBlock()
{
    const std::int64_t first = frameOfMs(blockMs_);
    blockLen_ = static_cast<int>(frameOfMs(blockMs_ + 1) - first);
    blockPos_ = 0;
    bool sounding = false;
    if (lockForBlock()) {
        {
            RenderingScope scope;
            if (tick_) {
                try {
                    tick_(static_cast<double>(first) * 1000.0 / rate_);
                } catch (...) {
                    // A failing pass must not take the audio thread down; the
                    // next block calls it again.
                }
            }
            drainCommands();
            mixBlock(blockLen_);
            sounding = !active_.empty();
        }
        lock_.unlock();
    } else {
        std::fill_n(masterL_.begin(), blockLen_, 0.0f);
        std::fill_n(masterR_.begin(), blockLen_, 0.0f);
        sounding = true;
    }
    limiter_.process(masterL_.data(), masterR_.data(), blockLen_);
    ++blockMs_;
    framesRendered_.store(first + blockLen_, std::memory_order_relaxed);
    if (sounding || !queueEmpty())
        silentFrames_.store(0, std::memory_order_relaxed);
    else
        silentFrames_.fetch_add(blockLen_, std::memory_order_relaxed);
}

namespace {

// Decaying tails (fades, effects) end in denormal numbers, which x86
// processors compute a hundred times slower; the audio thread treats them
// as zero while it renders, and leaves the caller's settings as they were.
class FlushDenormals {
public:
#if defined(__x86_64__) || defined(__i386__)
    FlushDenormals() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040); }
    ~FlushDenormals() { _mm_setcsr(saved_); }

private:
    unsigned saved_;
#else
    FlushDenormals() {}
#endif
};

} // namespace

void Mixer::render(float* out, int frames)
{
    const FlushDenormals flush;
    while (frames > 0) {
        if (blockPos_ >= blockLen_)
            nextBlock();
        const int n = std::min(frames, blockLen_ - blockPos_);
        const float* l = masterL_.data() + blockPos_;
        const float* r = masterR_.data() + blockPos_;
        if (channels_ == 2) {
            for (int i = 0; i < n; ++i) {
                out[2 * i] = l[i];
                out[2 * i + 1] = r[i];
            }
            out += 2 * n;
        } else {
            for (int i = 0; i < n; ++i)
                out[i] = 0.5f * (l[i] + r[i]);
            out += n;
        }
        blockPos_ += n;
        frames -= n;
    }
}

} // namespace sound
