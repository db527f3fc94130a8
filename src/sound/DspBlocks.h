#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

// Small building blocks the effects share: parameter glides, biquads, delay
// lines and a cheap saturating curve. Everything runs on the audio thread
// without allocating; delay lines allocate once, when built.
namespace sound::dsp {

// Four samples in one register: the plain vector extension, so the loops
// over a block do four frames per instruction on every x86-64 processor.
using Four = float __attribute__((vector_size(16)));
using Ints = int __attribute__((vector_size(16)));

inline Four load4(const float* p)
{
    Four v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Four v)
{
    std::memcpy(p, &v, sizeof v);
}

inline Four splat4(float x)
{
    return Four{x, x, x, x};
}

// Lane by lane; one instruction where the processor has it.
inline Four min4(Four a, Four b)
{
#if defined(__SSE__)
    return _mm_min_ps(a, b);
#else
    return a < b ? a : b;
#endif
}

inline Four max4(Four a, Four b)
{
#if defined(__SSE__)
    return _mm_max_ps(a, b);
#else
    return a > b ? a : b;
#endif
}

// n samples from `from` to `to`, four at a time. Plain loops: a block is a
// few dozen samples, too short to pay for a library copy call.
inline void copy(const float* from, float* to, std::size_t n)
{
    std::size_t i = 0;
#pragma GCC unroll 4
    for (; i + 4 <= n; i += 4)
        store4(to + i, load4(from + i));
    for (; i < n; ++i)
        to[i] = from[i];
}

// A parameter that glides to its target instead of jumping, so that moving a
// slider while a note rings does not click.
struct Glide {
    float value = 0;
    float target = 0;

    void snap(float v) { value = target = v; }
    // Moves towards the target by the share `k` (0..1) of the distance left.
    bool step(float k)
    {
        if (value == target)
            return false;
        value += (target - value) * k;
        if (std::abs(target - value) <= 1e-6f * std::max(1.0f, std::abs(target)))
            value = target;
        return true;
    }
};

// The share of the distance a glide with time constant `seconds` covers in
// `frames` frames.
// `frames`. Asked every block with the same few values: remembered.
inline float glideShare(int frames, int rate, double seconds)
{
    struct Memo {
        int frames = -1;
        int rate = 0;
        double seconds = 0;
        float share = 0;
    };
    thread_local std::array<Memo, 8> memo;
    thread_local std::size_t next = 0;
    for (const Memo& m : memo)
        if (m.frames == frames && m.rate == rate && m.seconds == seconds)
            return m.share;
    Memo& m = memo[next];
    next = (next + 1) % memo.size();
    m = {frames, rate, seconds, static_cast<float>(1.0 - std::exp(-frames / (rate * seconds)))};
    return m.share;
}

// One second-order section (transposed direct form II), stereo.
class Biquad {
public:
    void clear() { zl1 = zl2 = zr1 = zr2 = 0; }
    // Nothing left ringing from earlier input.
    bool quiet() const { return zl1 == 0 && zl2 == 0 && zr1 == 0 && zr2 == 0; }

    // The well-known cookbook shapes; frequency in Hz, q > 0.
    void peaking(double rate, double hz, double octaves, double gainDb)
    {
        const double a = std::pow(10.0, gainDb / 40.0);
        const double w = 2 * std::numbers::pi * hz / rate;
        const double alpha = std::sin(w) * std::sinh(std::numbers::ln2 / 2 * octaves * w / std::sin(w));
        set(1 + alpha * a, -2 * std::cos(w), 1 - alpha * a, 1 + alpha / a, -2 * std::cos(w), 1 - alpha / a);
    }
    void lowPass(double rate, double hz, double q)
    {
        const double w = 2 * std::numbers::pi * hz / rate;
        const double alpha = std::sin(w) / (2 * q);
        const double c = std::cos(w);
        set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    }
    // Band-pass with 0 dB at its centre.
    void bandPass(double rate, double hz, double q)
    {
        const double w = 2 * std::numbers::pi * hz / rate;
        const double alpha = std::sin(w) / (2 * q);
        set(alpha, 0, -alpha, 1 + alpha, -2 * std::cos(w), 1 - alpha);
    }

    void set(double nb0, double nb1, double nb2, double na0, double na1, double na2)
    {
        const double c0 = nb0 / na0, c1 = nb1 / na0, c2 = nb2 / na0, d1 = na1 / na0, d2 = na2 / na0;
        b0 = static_cast<float>(c0);
        b1 = static_cast<float>(c1);
        b2 = static_cast<float>(c2);
        a1 = static_cast<float>(d1);
        a2 = static_cast<float>(d2);
        // Four outputs at once from the two state values and four inputs:
        // row k of the state's share is the first row of the state matrix
        // [[-a1, 1], [-a2, 0]] to the power k; the inputs' share is the
        // impulse response.
        double row0 = 1, row1 = 0;
        std::array<double, 4> impulse{c0, 0, 0, 0};
        const double u0 = c1 - d1 * c0, u1 = c2 - d2 * c0; // what an input adds to the state
        for (int k = 0; k < 4; ++k) {
            fromS1[k] = static_cast<float>(row0);
            fromS2[k] = static_cast<float>(row1);
            if (k < 3)
                impulse[static_cast<std::size_t>(k) + 1] = row0 * u0 + row1 * u1;
            const double next0 = -d1 * row0 - d2 * row1;
            row1 = row0;
            row0 = next0;
        }
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                fromX[j][k] = k >= j ? static_cast<float>(impulse[static_cast<std::size_t>(k - j)]) : 0.0f;
    }

    void process(float* l, float* r, int n)
    {
        // Everything in locals: the stores to the samples could otherwise
        // touch the members, which would then be read again every frame.
        float l1 = zl1, l2 = zl2, r1 = zr1, r2 = zr2;
        const float c0 = b0, c1 = b1, c2 = b2, d1 = a1, d2 = a2;
        const Four s1Share = fromS1, s2Share = fromS2;
        const Four x0Share = fromX[0], x1Share = fromX[1], x2Share = fromX[2], x3Share = fromX[3];
        // Four frames of one channel in place: the outputs depend on each
        // other only through the state, so they come out together instead of
        // each waiting for the one before.
        auto fourFrames = [&](float* x, float& s1, float& s2) {
            const Four in = load4(x);
            const Four y = s1Share * s1 + s2Share * s2 + ((x0Share * in[0] + x1Share * in[1]) + (x2Share * in[2] + x3Share * in[3]));
            store4(x, y);
            // The state after the fourth frame, as the frame-by-frame form
            // leaves it.
            s1 = c1 * in[3] - d1 * y[3] + (c2 * in[2] - d2 * y[2]);
            s2 = c2 * in[3] - d2 * y[3];
        };
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            fourFrames(l + i, l1, l2);
            fourFrames(r + i, r1, r2);
        }
        for (; i < n; ++i) {
            const float xl = l[i], xr = r[i];
            const float yl = c0 * xl + l1;
            const float yr = c0 * xr + r1;
            l1 = c1 * xl - d1 * yl + l2;
            r1 = c1 * xr - d1 * yr + r2;
            l2 = c2 * xl - d2 * yl;
            r2 = c2 * xr - d2 * yr;
            l[i] = yl;
            r[i] = yr;
        }
        zl1 = l1;
        zl2 = l2;
        zr1 = r1;
        zr2 = r2;
    }

private:
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    float zl1 = 0, zl2 = 0, zr1 = 0, zr2 = 0;
    Four fromS1{1, 0, 0, 0}, fromS2{0, 1, 0, 0};
    std::array<Four, 4> fromX{Four{1, 0, 0, 0}, Four{0, 1, 0, 0}, Four{0, 0, 1, 0}, Four{0, 0, 0, 1}};
};

// A ring of samples whose length is a power of two, at least `minLength`.
class DelayLine {
public:
    DelayLine() = default;
    explicit DelayLine(std::size_t minLength) { resize(minLength); }

    void resize(std::size_t minLength)
    {
        std::size_t n = 1;
        while (n < minLength)
            n <<= 1;
        data_.assign(n, 0.0f);
        mask_ = n - 1;
        write_ = 0;
    }
    void clear()
    {
        std::fill(data_.begin(), data_.end(), 0.0f);
        write_ = 0;
    }
    std::size_t length() const { return data_.size(); }

    void push(float x)
    {
        data_[write_] = x;
        write_ = (write_ + 1) & mask_;
    }
    // The sample written `delay` pushes ago (1 = the last one).
    float at(std::size_t delay) const { return data_[(write_ - delay) & mask_]; }
    // n samples at once, oldest first.
    void write(const float* in, int n)
    {
        const auto count = static_cast<std::size_t>(n);
        const std::size_t first = std::min(count, data_.size() - write_);
        dsp::copy(in, data_.data() + write_, first);
        dsp::copy(in + first, data_.data(), count - first);
        write_ = (write_ + count) & mask_;
    }
    // The n samples that start `delay` pushes ago (delay >= n), oldest first.
    void read(std::size_t delay, float* out, int n) const
    {
        const auto count = static_cast<std::size_t>(n);
        const std::size_t from = (write_ - delay) & mask_;
        const std::size_t first = std::min(count, data_.size() - from);
        dsp::copy(data_.data() + from, out, first);
        dsp::copy(data_.data(), out + first, count - first);
    }
    // Between whole delays, linearly: its gain never exceeds one, which keeps
    // feedback loops stable.
    float read(float delay) const
    {
        const auto whole = static_cast<std::size_t>(delay);
        const float frac = delay - static_cast<float>(whole);
        const float a = at(whole);
        const float b = at(whole + 1);
        return a + (b - a) * frac;
    }

    // What read(float) would give for the frames `first` .. first + n - 1 of
    // a per-sample loop whose delay at frame i is from + step * i, when every
    // one of those reads lies before the n frames that follow (the delay stays
    // above n): the caller writes the n frames afterwards.
    void readSwept(float from, float step, int first, float* out, int n) const
    {
        const float* data = data_.data();
        int i = 0;
        // A delay moves far less than a sample per sample: four frames in a
        // row mostly share their whole delay, and then read two runs of
        // neighbouring samples.
        for (; i + 4 <= n; i += 4) {
            const Four delay = from + step * (static_cast<float>(first + i) + Four{0, 1, 2, 3});
            const int whole = static_cast<int>(delay[0]);
            const std::size_t at = (write_ + static_cast<std::size_t>(static_cast<std::ptrdiff_t>(i - whole))) & mask_;
            if (whole != static_cast<int>(delay[3]) || at < 1 || at + 3 > mask_) {
                readSweptOne(from, step, first, out, i, 4);
                continue;
            }
            const Four a = load4(data + at);
            const Four b = load4(data + at - 1);
            store4(out + i, a + (b - a) * (delay - static_cast<float>(whole)));
        }
        readSweptOne(from, step, first, out, i, n - i);
    }

private:
    // readSwept() frame by frame, for the frames `at` .. at + n - 1.
    void readSweptOne(float from, float step, int first, float* out, int at, int n) const
    {
        for (int i = at; i < at + n; ++i) {
            const float delay = from + step * static_cast<float>(first + i);
            // Delays are never negative: the plain integer conversion is
            // exact, and far cheaper than the unsigned one.
            const int whole = static_cast<int>(delay);
            const float frac = delay - static_cast<float>(whole);
            const std::size_t pos = (write_ + static_cast<std::size_t>(static_cast<std::ptrdiff_t>(i - whole))) & mask_;
            const float a = data_[pos];
            const float b = data_[(pos - 1) & mask_];
            out[i] = a + (b - a) * frac;
        }
    }

    std::vector<float> data_;
    std::size_t mask_ = 0;
    std::size_t write_ = 0;
};

// What the echo, chorus and flanger share: two delay lines whose delays move
// in a straight line over a block, each fed its side's input plus the share
// `own` of its own output and `other` of the other side's; out comes the
// input and the delayed copies, mixed.
struct SweptDelays {
    float fromL = 1, stepL = 0, fromR = 1, stepR = 0; // delays in samples at frame 0, change per frame
    float own = 0, other = 0;
    float dry = 1, wet = 0;

    void run(DelayLine& lineL, DelayLine& lineR, float* left, float* right, int frames) const
    {
        // Without crossed feedback (chorus, flanger) the loops are simpler.
        if (other == 0)
            runAs<false>(lineL, lineR, left, right, frames);
        else
            runAs<true>(lineL, lineR, left, right, frames);
    }

private:
    template <bool Crossed>
    void runAs(DelayLine& lineL, DelayLine& lineR, float* left, float* right, int frames) const
    {
        constexpr int kStretch = 64;
        auto feed = [this](float x, float mine, float theirs) {
            return Crossed ? x + own * mine + other * theirs : x + own * mine;
        };
        // Stretches no longer than the shortest delay: what they read was
        // written before them, so each is read, mixed and written in one go.
        // Below a few frames, frame by frame costs less.
        const float last = static_cast<float>(frames - 1);
        const float shortest = std::min({fromL, fromL + stepL * last, fromR, fromR + stepR * last});
        const int chunk = std::clamp(static_cast<int>(shortest - 0.01f), 1, std::min(frames, kStretch));
        if (chunk < 8 && chunk < frames) {
            for (int i = 0; i < frames; ++i) {
                const auto at = static_cast<float>(i);
                const float el = lineL.read(fromL + stepL * at);
                const float er = lineR.read(fromR + stepR * at);
                const float xl = left[i], xr = right[i];
                lineL.push(feed(xl, el, er));
                lineR.push(feed(xr, er, el));
                left[i] = xl * dry + el * wet;
                right[i] = xr * dry + er * wet;
            }
            return;
        }
        float el[kStretch], er[kStretch], inL[kStretch], inR[kStretch];
        for (int from = 0; from < frames; from += chunk) {
            const int n = std::min(chunk, frames - from);
            lineL.readSwept(fromL, stepL, from, el, n);
            lineR.readSwept(fromR, stepR, from, er, n);
            float* l = left + from;
            float* r = right + from;
            for (int i = 0; i < n; ++i) {
                const float xl = l[i], xr = r[i];
                inL[i] = feed(xl, el[i], er[i]);
                inR[i] = feed(xr, er[i], el[i]);
                l[i] = xl * dry + el[i] * wet;
                r[i] = xr * dry + er[i] * wet;
            }
            lineL.write(inL, n);
            lineR.write(inR, n);
        }
    }
};

// A smooth clip, close to tanh: a cubic up to +-1.5, flat at +-1 beyond
// (no division, so a loop of them is cheap).
inline float softSaturate(float x)
{
    const float c = std::clamp(x, -1.5f, 1.5f);
    return c - c * c * c * (1.0f / 6.75f);
}

// Zero when the effect state decayed into noise far below hearing, or was
// damaged by a value that is not a number: keeps loops finite.
inline float sane(float x)
{
    return std::isfinite(x) ? x : 0.0f;
}

} // namespace sound::dsp
