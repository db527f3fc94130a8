#include "Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

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
constexpr float kFractionScale = 1.0f / 4294967296.0f;

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
    limiter_ = SoftLimiter(rate_);
    // The audio clock starts again with the new format.
    blockLen_ = blockPos_ = 0;
    blockMs_ = 0;
    framesRendered_.store(0);
    for (Voice& v : voices_)
        v.seenFrequency = -1; // steps depend on the output rate
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
    // One poster at a time; the audio thread never takes this flag.
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
        return static_cast<int>(v.main.pos >> 32) * v.sample->blockAlign;
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
        v.wantStep = hz / rate_;
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
    const int frame = bytePosition / v.sample->blockAlign;
    if (frame >= v.sample->frames)
        return; // past the end of the buffer: nothing to play
    Playhead& p = v.main;
    p = Playhead{};
    p.active = true;
    p.pos = static_cast<std::uint64_t>(frame) << 32;
    p.step = p.stepTarget = v.wantStep;
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

float Mixer::cubic(float s0, float s1, float s2, float s3, float f)
{
    // Catmull-Rom: passes through s1 at f = 0 and s2 at f = 1.
    return s1 + 0.5f * f * (s2 - s0 + f * (2.0f * s0 - 5.0f * s1 + 4.0f * s2 - s3 + f * (3.0f * (s1 - s2) + s3 - s0)));
}

std::uint64_t Mixer::mixMono(const float* base, std::uint64_t pos, std::uint64_t step, float gainL, float gainR,
                             float deltaL, float deltaR, float* left, float* right, int n)
{
    for (int i = 0; i < n; ++i) {
        const float* s = base + (pos >> 32);
        const float f = static_cast<float>(static_cast<std::uint32_t>(pos)) * kFractionScale;
        const float y = cubic(s[0], s[1], s[2], s[3], f);
        left[i] += y * gainL;
        right[i] += y * gainR;
        gainL += deltaL;
        gainR += deltaR;
        pos += step;
    }
    return pos;
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
    int todo = 0;
    if (p.pos < end && step > 0)
        todo = static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(frames), (end - p.pos + step - 1) / step));

    const float dL = (endL - p.gainL) / static_cast<float>(frames);
    const float dR = (endR - p.gainR) / static_cast<float>(frames);
    if (p.gainL == 0 && p.gainR == 0 && endL == 0 && endR == 0) {
        p.pos += step * static_cast<std::uint64_t>(todo); // silent, but still moving through its sample
    } else if (s.channels == 1) {
        p.pos = mixMono(s.leftBase(), p.pos, step, p.gainL, p.gainR, dL, dR, left, right, todo);
    } else {
        const float* l = s.leftBase();
        const float* r = s.rightBase();
        float gl = p.gainL, gr = p.gainR;
        for (int i = 0; i < todo; ++i) {
            const std::size_t at = static_cast<std::size_t>(p.pos >> 32);
            const float f = static_cast<float>(static_cast<std::uint32_t>(p.pos)) * kFractionScale;
            left[i] += cubic(l[at], l[at + 1], l[at + 2], l[at + 3], f) * gl;
            right[i] += cubic(r[at], r[at + 1], r[at + 2], r[at + 3], f) * gr;
            gl += dL;
            gr += dR;
            p.pos += step;
        }
    }
    p.gainL = endL;
    p.gainR = endR;
    if (todo < frames || (p.fading && p.gainRamp == 0))
        p.active = false;
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

    for (int id : active_) {
        Voice& v = voices_[static_cast<std::size_t>(id)];
        if (!v.sample)
            continue;
        const int slot = id / kIndexes;
        float* l = masterL_.data();
        float* r = masterR_.data();
        if (buses_[static_cast<std::size_t>(slot)])
            busOf(slot, l, r);
        refresh(v, id);
        if (v.main.active)
            mixPlayhead(v, v.main, l, r, frames);
        if (v.tail.active)
            mixPlayhead(v, v.tail, l, r, frames);
    }

    // ---- slot buses: the effects chain of each slot runs here ----
    for (int slot = 0; slot < kSlots; ++slot) {
        BusProcessor* fx = buses_[static_cast<std::size_t>(slot)];
        if (!fx)
            continue;
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

void Mixer::render(float* out, int frames)
{
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
