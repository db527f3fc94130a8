// The eight effects measured on audio rendered through a slot's chain.
#include "CSoundEngine.h"
#include "EffectChain.h"
#include "FxDialogModel.h"
#include "ModelConstants.h"
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

using sound::EffectKind;
using sound::SlotEffects;

namespace {

constexpr int kRate = 44100;
constexpr double kPi = std::numbers::pi;

struct Stereo {
    std::vector<float> l, r;
    explicit Stereo(int frames = 0) : l(static_cast<std::size_t>(frames)), r(static_cast<std::size_t>(frames)) {}
    int frames() const { return static_cast<int>(l.size()); }
};

// A chain with the given settings, past its fade-in, fed in mixer-sized blocks.
class Rig {
public:
    explicit Rig(const SlotEffects& s) : chain_(kRate)
    {
        chain_.publish(s);
        Stereo silence(kRate / 20);
        run(silence);
    }
    void set(const SlotEffects& s) { chain_.publish(s); }
    // Processes in place, in blocks of one millisecond (or `block`).
    void run(Stereo& x, int block = 44)
    {
        for (int at = 0; at < x.frames(); at += block) {
            const int n = std::min(block, x.frames() - at);
            chain_.process(x.l.data() + at, x.r.data() + at, n);
        }
    }
    sound::EffectChain& chain() { return chain_; }

private:
    sound::EffectChain chain_;
};

SlotEffects only(EffectKind k)
{
    SlotEffects s;
    s.setOn(k, true);
    return s;
}

Stereo sine(double hz, double amplitude, int frames)
{
    Stereo x(frames);
    for (int i = 0; i < frames; ++i)
        x.l[static_cast<std::size_t>(i)] = x.r[static_cast<std::size_t>(i)] =
            static_cast<float>(amplitude * std::sin(2 * kPi * hz * i / kRate));
    return x;
}

double rms(const std::vector<float>& x, int from, int to)
{
    double sum = 0;
    for (int i = from; i < to; ++i)
        sum += static_cast<double>(x[static_cast<std::size_t>(i)]) * x[static_cast<std::size_t>(i)];
    return std::sqrt(sum / std::max(1, to - from));
}

double db(double ratio)
{
    return 20 * std::log10(ratio);
}

// Amplitude of the component at `hz` over [from, from + n), n a whole number of its periods.
double amplitudeAt(const std::vector<float>& x, double hz, int from, int n)
{
    double re = 0, im = 0;
    for (int i = 0; i < n; ++i) {
        const double v = x[static_cast<std::size_t>(from + i)];
        re += v * std::cos(2 * kPi * hz * i / kRate);
        im += v * std::sin(2 * kPi * hz * i / kRate);
    }
    return 2 * std::hypot(re, im) / n;
}

bool finite(const Stereo& x)
{
    for (int i = 0; i < x.frames(); ++i)
        if (!std::isfinite(x.l[static_cast<std::size_t>(i)]) || !std::isfinite(x.r[static_cast<std::size_t>(i)]))
            return false;
    return true;
}

// Centre (in frames, fractional) of the energy of x in [from, to).
double centreOf(const std::vector<float>& x, int from, int to)
{
    double weight = 0, sum = 0;
    for (int i = from; i < to; ++i) {
        const double a = std::abs(x[static_cast<std::size_t>(i)]);
        weight += a;
        sum += a * i;
    }
    return weight > 0 ? sum / weight : -1;
}

} // namespace

TEST(Effects, EchoRepeatsAtTheDelaysWithTheFeedback)
{
    SlotEffects s = only(EffectKind::Echo);
    s.echo.fWetDryMix = 100;
    s.echo.fFeedback = 50;
    s.echo.fLeftDelay = 100;
    s.echo.fRightDelay = 150;
    Rig rig(s);
    Stereo x(kRate);
    x.l[0] = x.r[0] = 1;
    rig.run(x);
    for (int k = 1; k <= 4; ++k) {
        for (auto [line, ms] : {std::pair{&x.l, 100}, std::pair{&x.r, 150}}) {
            const int at = k * ms * kRate / 1000;
            if (at + 3 >= kRate)
                continue;
            // Each repeat sits at a multiple of the delay, half the one before.
            EXPECT_NEAR(centreOf(*line, at - 3, at + 4), at, 0.6) << ms << " ms, repeat " << k;
            double energy = 0;
            for (int i = at - 3; i < at + 4; ++i)
                energy += (*line)[static_cast<std::size_t>(i)];
            EXPECT_NEAR(energy, std::pow(0.5, k - 1), 0.02) << ms << " ms, repeat " << k;
        }
    }
    EXPECT_LT(rms(x.l, 1000, 4400 - 5), 1e-6) << "nothing before the first repeat";

    // Ping-pong: a left-only impulse comes back left, then right.
    s.echo.lPanDelay = 1;
    Rig pingPong(s);
    Stereo y(kRate);
    y.l[0] = 1;
    pingPong.run(y);
    const int first = 4410, second = 4410 + 6615;
    EXPECT_NEAR(y.l[first] + y.l[first + 1], 1.0, 0.02);
    EXPECT_NEAR(y.r[second] + y.r[second + 1], 0.5, 0.02);
    EXPECT_LT(std::abs(y.l[second]), 1e-6);
}

TEST(Effects, EqualiserRaisesItsBandAndLeavesTwoOctavesAwayAlone)
{
    struct Case {
        float centre, gain, semitones;
    };
    for (const Case c : {Case{1000, 12, 12}, Case{1000, -12, 12}, Case{250, 15, 12}, Case{3000, -15, 12},
                         Case{500, 6, 12}, Case{2000, 9, 6}}) {
        SlotEffects s = only(EffectKind::ParamEq);
        s.paramEq.fCenter = c.centre;
        s.paramEq.fGain = c.gain;
        s.paramEq.fBandwidth = c.semitones;
        for (double factor : {1.0, 4.0, 0.25}) {
            const double hz = c.centre * factor;
            Rig rig(s);
            Stereo x = sine(hz, 0.25, kRate / 2);
            rig.run(x);
            const double change = db(rms(x.l, kRate / 4, kRate / 2) / (0.25 / std::sqrt(2.0)));
            if (factor == 1.0)
                EXPECT_NEAR(change, c.gain, 0.5) << c.centre << " Hz";
            else
                EXPECT_NEAR(change, 0.0, 1.0) << hz << " Hz, band at " << c.centre;
        }
    }
}

TEST(Effects, CompressorSettlesOnItsCurve)
{
    struct Case {
        double input, threshold, ratio, expected;
    };
    // -10 dB over -20 at 3:1 comes out at -20 + 10 / 3.
    for (const Case c : {Case{-10, -20, 3, -16.667}, Case{-6, -30, 2, -18}, Case{-30, -20, 3, -30},
                         Case{-3, -40, 100, -39.63}}) {
        SlotEffects s = only(EffectKind::Compressor);
        s.compressor.fThreshold = static_cast<float>(c.threshold);
        s.compressor.fRatio = static_cast<float>(c.ratio);
        Rig rig(s);
        Stereo x = sine(1000, std::pow(10.0, c.input / 20), kRate);
        rig.run(x);
        // Peak level once settled (the last half second).
        const double peak = amplitudeAt(x.l, 1000, kRate / 2, kRate / 2);
        EXPECT_NEAR(db(peak), c.expected, 0.3) << c.input << " dB into " << c.threshold << " at " << c.ratio;
    }
}

TEST(Effects, GargleModulatesTheLevelAtItsRate)
{
    for (std::uint32_t shape : {0u, 1u}) {
        for (std::uint32_t rate : {3u, 20u, 150u}) {
            SlotEffects s = only(EffectKind::Gargle);
            s.gargle.dwRateHz = rate;
            s.gargle.dwWaveShape = shape;
            Rig rig(s);
            Stereo x(kRate);
            std::fill(x.l.begin(), x.l.end(), 0.5f);
            std::fill(x.r.begin(), x.r.end(), 0.5f);
            rig.run(x);
            int rises = 0;
            float low = 1, high = 0;
            for (int i = 1; i < kRate; ++i) {
                rises += x.l[static_cast<std::size_t>(i - 1)] < 0.25f && x.l[static_cast<std::size_t>(i)] >= 0.25f;
                low = std::min(low, x.l[static_cast<std::size_t>(i)]);
                high = std::max(high, x.l[static_cast<std::size_t>(i)]);
            }
            EXPECT_NEAR(rises, static_cast<int>(rate), 1) << "rate " << rate << " shape " << shape;
            EXPECT_LT(low, 0.01f);
            EXPECT_GT(high, 0.49f);
            EXPECT_LE(high, 0.5f);
        }
    }
}

TEST(Effects, ChorusAndFlangerSweepTheirDelay)
{
    struct Case {
        EffectKind kind;
        float delayMs, depth, hz;
        std::int32_t waveform, phase;
    };
    for (const Case c : {Case{EffectKind::Chorus, 10, 50, 2, 0, 2}, Case{EffectKind::Chorus, 16, 20, 1, 1, 3},
                         Case{EffectKind::Flanger, 3, 50, 2, 0, 0}}) {
        SlotEffects s = only(c.kind);
        auto set = [&](auto& p) {
            p.fWetDryMix = 100;
            p.fFeedback = 0;
            p.fDelay = c.delayMs;
            p.fDepth = c.depth;
            p.fFrequency = c.hz;
            p.lWaveform = c.waveform;
            p.lPhase = c.phase;
        };
        if (c.kind == EffectKind::Chorus)
            set(s.chorus);
        else
            set(s.flanger);
        Rig rig(s);
        // A click every 20 ms; each comes out after the delay of its moment.
        const int spacing = kRate / 50, seconds = 2;
        Stereo x(kRate * seconds);
        for (int at = 0; at < x.frames(); at += spacing)
            x.l[static_cast<std::size_t>(at)] = x.r[static_cast<std::size_t>(at)] = 1;
        rig.run(x);
        double lowL = 1e9, highL = 0, lowSum = 1e9, highSum = 0;
        std::vector<double> delays;
        for (int at = 0; at + spacing < x.frames(); at += spacing) {
            const double dl = (centreOf(x.l, at, at + spacing) - at) * 1000 / kRate;
            const double dr = (centreOf(x.r, at, at + spacing) - at) * 1000 / kRate;
            delays.push_back(dl);
            lowL = std::min(lowL, dl);
            highL = std::max(highL, dl);
            lowSum = std::min(lowSum, dl + dr);
            highSum = std::max(highSum, dl + dr);
        }
        const double swing = c.delayMs * c.depth / 100;
        EXPECT_NEAR(lowL, c.delayMs - swing, 0.1 + swing * 0.05);
        EXPECT_NEAR(highL, c.delayMs + swing, 0.1 + swing * 0.05);
        // The sweep's period: the delay passes its centre upwards once per cycle.
        int ups = 0;
        for (std::size_t i = 1; i < delays.size(); ++i)
            ups += delays[i - 1] < c.delayMs && delays[i] >= c.delayMs;
        EXPECT_NEAR(ups, c.hz * seconds, 1);
        if (c.phase == 0 || c.phase == 4) // +-180 degrees: the sides mirror each other
            EXPECT_NEAR(highSum - lowSum, 0.0, 0.1);
        else
            EXPECT_GT(highSum - lowSum, swing);
    }
}

TEST(Effects, DistortionHarmonicsGrowWithTheEdge)
{
    double previous = -1;
    for (float edge : {0.0f, 20.0f, 40.0f, 60.0f, 80.0f, 100.0f}) {
        SlotEffects s = only(EffectKind::Distortion);
        s.distortion.fEdge = edge;
        s.distortion.fGain = 0;
        s.distortion.fPostEQCenterFrequency = 2000;
        s.distortion.fPostEQBandwidth = 8000;
        s.distortion.fPreLowpassCutoff = 8000;
        Rig rig(s);
        const double hz = 220.5; // a whole number of periods in 0.2 s
        Stereo x = sine(hz, 0.5, kRate / 2);
        rig.run(x);
        const int from = kRate / 4, n = kRate / 5;
        const double fundamental = amplitudeAt(x.l, hz, from, n);
        double harmonics = 0;
        for (int h = 2; h <= 15; ++h)
            harmonics += std::pow(amplitudeAt(x.l, hz * h, from, n), 2);
        const double ratio = std::sqrt(harmonics) / fundamental;
        EXPECT_GT(ratio, previous + 0.01) << "edge " << edge;
        previous = ratio;
    }
    EXPECT_GT(previous, 0.3) << "full edge is plainly distorted";
}

TEST(Effects, ReverbDecaysInItsTime)
{
    for (float ms : {300.0f, 1000.0f, 2500.0f}) {
        SlotEffects s = only(EffectKind::Reverb);
        s.reverb.fReverbTime = ms;
        s.reverb.fHighFreqRTRatio = 0.999f;
        Rig rig(s);
        const int frames = static_cast<int>(ms / 1000 * 1.5 * kRate);
        Stereo x(frames);
        x.l[0] = x.r[0] = 1;
        rig.run(x);
        // Energy left after each moment (backward integration), in dB.
        std::vector<double> left(static_cast<std::size_t>(frames) + 1, 0);
        for (int i = frames - 1; i > 0; --i)
            left[static_cast<std::size_t>(i)] = left[static_cast<std::size_t>(i + 1)] +
                                                x.l[static_cast<std::size_t>(i)] * x.l[static_cast<std::size_t>(i)] +
                                                x.r[static_cast<std::size_t>(i)] * x.r[static_cast<std::size_t>(i)];
        const double total = left[1];
        auto when = [&](double dropDb) {
            for (int i = 1; i < frames; ++i)
                if (10 * std::log10(left[static_cast<std::size_t>(i)] / total) <= dropDb)
                    return static_cast<double>(i) / kRate;
            return 1e9;
        };
        // Slope between -5 and -25 dB, carried on to 60 dB.
        const double t60 = (when(-25) - when(-5)) * 3.0 * 1000;
        EXPECT_NEAR(t60, ms, ms * 0.2) << ms << " ms";
    }
}

TEST(Effects, EveryEffectStaysFiniteAtExtremeSettings)
{
    std::mt19937 random(14);
    auto pick = [&](float lo, float hi) {
        return std::uniform_int_distribution<int>(0, 2)(random) == 0
                   ? lo
                   : (std::uniform_int_distribution<int>(0, 1)(random) ? hi
                                                                        : std::uniform_real_distribution<float>(lo, hi)(random));
    };
    for (int round = 0; round < 40; ++round) {
        SlotEffects s;
        for (int k = 0; k < sound::kEffectCount; ++k)
            s.enabled[static_cast<std::size_t>(k)] = round < 8 ? k == round : std::bernoulli_distribution(0.6)(random);
        auto modulation = [&](auto& p) {
            p.fWetDryMix = pick(0, 100);
            p.fDepth = pick(0, 100);
            p.fFeedback = pick(-99, 99);
            p.fFrequency = pick(0, 10);
            p.fDelay = pick(0, 20);
            p.lWaveform = std::uniform_int_distribution<int>(0, 1)(random);
            p.lPhase = std::uniform_int_distribution<int>(-1, 6)(random);
        };
        modulation(s.chorus);
        modulation(s.flanger);
        s.compressor = {pick(-60, 60), pick(0.01f, 500), pick(50, 3000), pick(-60, 0), pick(1, 100), pick(0, 4)};
        s.distortion = {pick(-60, 0), pick(0, 100), pick(100, 8000), pick(100, 8000), pick(100, 8000)};
        s.echo = {pick(0, 100), pick(0, 100), pick(1, 2000), pick(1, 2000), std::uniform_int_distribution<int>(0, 1)(random)};
        s.gargle = {static_cast<std::uint32_t>(pick(1, 1000)), std::uniform_int_distribution<std::uint32_t>(0, 1)(random)};
        s.paramEq = {pick(80, 16000), pick(1, 36), pick(-15, 15)};
        s.reverb = {pick(-96, 0), pick(-96, 0), pick(0.001f, 3000), pick(0.001f, 0.999f)};
        if (round % 10 == 9) { // damaged records: out of range or not numbers at all
            s.chorus.fFeedback = 1e9f;
            s.echo.fFeedback = std::numeric_limits<float>::quiet_NaN();
            s.reverb.fReverbTime = -5;
            s.compressor.fRatio = std::numeric_limits<float>::infinity();
        }
        Rig rig(s);
        Stereo x(kRate);
        std::uniform_real_distribution<float> noise(-1, 1);
        for (int i = 0; i < kRate / 2; ++i)
            x.l[static_cast<std::size_t>(i)] = x.r[static_cast<std::size_t>(i)] = noise(random);
        rig.run(x, std::uniform_int_distribution<int>(1, 200)(random));
        ASSERT_TRUE(finite(x)) << "round " << round;
        float peak = 0;
        for (float v : x.l)
            peak = std::max(peak, std::abs(v));
        // Loud (make-up gain, full feedback piling up noise), but bounded.
        EXPECT_LT(peak, 1e6f) << "round " << round;
    }
}

// The effects work four frames at a time and in stretches bounded by their
// delays; how the mixer cuts the sound into blocks must not change it.
TEST(Effects, TheSoundDoesNotDependOnTheBlockSizes)
{
    std::mt19937 random(7);
    SlotEffects s;
    s.enabled.fill(true);
    s.paramEq.fGain = 6;         // a band that filters
    s.flanger.fDelay = 0.3f;     // delays below a block, down to one frame
    s.chorus.fDepth = 0;         // its sweep is followed in straight lines between blocks
    s.echo.fLeftDelay = 1;       // one millisecond: stretches shorter than a block
    s.echo.lPanDelay = 1;
    s.reverb.fReverbTime = 300;  // the tail still rings at the end
    s.compressor.fThreshold = 0; // quiet input: the gain stays at one
    s.distortion.fGain = 0;
    Stereo input(kRate / 4);
    std::uniform_real_distribution<float> noise(-0.1f, 0.1f);
    for (int i = 0; i < input.frames() / 2; ++i) {
        input.l[static_cast<std::size_t>(i)] = noise(random);
        input.r[static_cast<std::size_t>(i)] = noise(random);
    }
    Rig steady(s);
    Stereo expected = input;
    steady.run(expected, 44);
    float peak = 0;
    for (float v : expected.l)
        peak = std::max(peak, std::abs(v));
    ASSERT_GT(peak, 1e-3f);
    for (int round = 0; round < 4; ++round) {
        Rig rig(s);
        Stereo x = input;
        std::uniform_int_distribution<int> size(1, round < 2 ? 7 : 64);
        for (int at = 0; at < x.frames();) {
            const int n = std::min(size(random), x.frames() - at);
            rig.chain().process(x.l.data() + at, x.r.data() + at, n);
            at += n;
        }
        float worst = 0;
        for (std::size_t i = 0; i < x.l.size(); ++i)
            worst = std::max({worst, std::abs(x.l[i] - expected.l[i]), std::abs(x.r[i] - expected.r[i])});
        EXPECT_LT(worst, 2e-5f * peak) << "round " << round;
    }
}

// Largest jump of the slope: a click is a sudden corner in the waveform.
double roughness(const Stereo& x, int from)
{
    double worst = 0;
    for (int i = from + 2; i < x.frames(); ++i)
        for (const auto* c : {&x.l, &x.r})
            worst = std::max(worst, std::abs(static_cast<double>((*c)[static_cast<std::size_t>(i)]) -
                                             2.0 * (*c)[static_cast<std::size_t>(i - 1)] + (*c)[static_cast<std::size_t>(i - 2)]));
    return worst;
}

TEST(Effects, SweepingAParameterOrSwitchingAnEffectDoesNotClick)
{
    struct Sweep {
        EffectKind kind;
        std::function<void(SlotEffects&, float)> set; // t from 0 to 1
    };
    const std::vector<Sweep> sweeps{
        {EffectKind::Chorus, [](SlotEffects& s, float t) { s.chorus.fDepth = 100 * t; }},
        {EffectKind::Compressor, [](SlotEffects& s, float t) { s.compressor.fThreshold = -60 * t; }},
        {EffectKind::Distortion, [](SlotEffects& s, float t) { s.distortion.fEdge = 100 * t; }},
        {EffectKind::Echo, [](SlotEffects& s, float t) { s.echo.fWetDryMix = 100 * t; }},
        {EffectKind::Flanger, [](SlotEffects& s, float t) { s.flanger.fFeedback = -99 + 198 * t; }},
        {EffectKind::Gargle, [](SlotEffects& s, float t) { s.gargle.dwRateHz = static_cast<std::uint32_t>(1 + 40 * t); }},
        {EffectKind::ParamEq, [](SlotEffects& s, float t) { s.paramEq.fGain = -15 + 30 * t; }},
        {EffectKind::Reverb, [](SlotEffects& s, float t) { s.reverb.fReverbMix = -40 * (1 - t); }},
    };
    for (const Sweep& sw : sweeps) {
        auto runWith = [&](const std::function<void(Rig&, int ms)>& each) {
            SlotEffects s = only(sw.kind);
            sw.set(s, 0);
            Rig rig(s);
            Stereo x = sine(330, 0.3, 44000);
            for (int ms = 0; ms < 1000; ++ms) {
                each(rig, ms);
                Stereo block(44);
                std::copy_n(x.l.begin() + ms * 44, 44, block.l.begin());
                std::copy_n(x.r.begin() + ms * 44, 44, block.r.begin());
                rig.run(block);
                std::copy_n(block.l.begin(), 44, x.l.begin() + ms * 44);
                std::copy_n(block.r.begin(), 44, x.r.begin() + ms * 44);
            }
            return roughness(x, 0);
        };
        auto held = [&](float t) {
            return runWith([&](Rig& rig, int ms) {
                if (ms == 0) {
                    SlotEffects s = only(sw.kind);
                    sw.set(s, t);
                    rig.set(s);
                }
            });
        };
        const double steady = std::max(held(0), held(1));
        const double swept = runWith([&](Rig& rig, int ms) {
            SlotEffects s = only(sw.kind);
            sw.set(s, static_cast<float>(ms) / 1000.0f);
            rig.set(s);
        });
        const double switched = runWith([&](Rig& rig, int ms) {
            if (ms % 100 == 0) {
                SlotEffects s = only(sw.kind);
                sw.set(s, 0.5f);
                s.setOn(sw.kind, ms % 200 != 0);
                rig.set(s);
            }
        });
        const double dry = roughness(sine(330, 0.3, 44000), 0);
        EXPECT_LT(swept, 1.5 * std::max(steady, dry)) << "sweep of effect " << static_cast<int>(sw.kind);
        EXPECT_LT(switched, 1.5 * std::max(steady, dry)) << "switching effect " << static_cast<int>(sw.kind);
    }
}

TEST(Effects, AChainWithNothingOnIsIdleAndAFadedOutEffectStops)
{
    sound::EffectChain chain(kRate);
    EXPECT_FALSE(chain.active());
    SlotEffects s = only(EffectKind::Echo);
    chain.publish(s);
    EXPECT_TRUE(chain.active());
    Stereo x = sine(440, 0.5, 4410);
    chain.process(x.l.data(), x.r.data(), x.frames());
    EXPECT_TRUE(chain.active());
    s.setOn(EffectKind::Echo, false);
    chain.publish(s);
    chain.process(x.l.data(), x.r.data(), x.frames());
    chain.process(x.l.data(), x.r.data(), 64);
    EXPECT_FALSE(chain.active()) << "off once faded out";
    Stereo y = sine(440, 0.5, 441);
    Stereo before = y;
    chain.process(y.l.data(), y.r.data(), y.frames());
    EXPECT_EQ(y.l, before.l);
}

TEST(EffectsDialog, SliderArithmeticAndTheChainItBuilds)
{
    sound::FxDialogModel m;
    sound::FxDescriptor& compressor = m.effects[1];
    compressor.moveSlider(3, 50);
    EXPECT_EQ(sound::FxDialogModel::formatValue(compressor.params[3].value), "-30.00");
    sound::FxDescriptor& phaser = m.effects[5];
    phaser.moveSlider(0, 2);
    EXPECT_EQ(sound::FxDialogModel::formatValue(phaser.params[0].value), "20.98");
    m.enabled[5] = true;
    EXPECT_EQ(m.toEngine({}).gargle.dwRateHz, 20u);

    sound::FxDialogModel two;
    two.enabled[0] = two.enabled[3] = true;
    const SlotEffects chain = two.toEngine({});
    EXPECT_EQ(chain.enabledCount(), 2);
    EXPECT_EQ(chain.chainIndex(EffectKind::Chorus), 0);
    EXPECT_EQ(chain.chainIndex(EffectKind::Echo), 1);
    EXPECT_EQ(chain.chainIndex(EffectKind::Flanger), -1);
    sound::FxDialogModel echo;
    echo.enabled[3] = true;
    EXPECT_EQ(echo.toEngine({}).chainIndex(EffectKind::Echo), 0);

    // Slider positions of the defaults, and every row's bounds printed whole.
    EXPECT_EQ(m.effects[0].sliderPosition(3), 11); // 1.1 Hz of 0..10
    EXPECT_EQ(m.effects[2].sliderPosition(0), 70); // -18 dB of -60..0
    EXPECT_EQ(sound::FxDialogModel::formatBound(-99), "-99");
}

TEST(EffectsDialog, EngineSettingsGoThroughTheDialogAndBack)
{
    std::mt19937 random(6);
    for (int round = 0; round < 50; ++round) {
        SlotEffects engine;
        for (auto& on : engine.enabled)
            on = std::bernoulli_distribution(0.5)(random);
        engine.chorus.lWaveform = std::uniform_int_distribution<int>(0, 1)(random);
        engine.chorus.lPhase = std::uniform_int_distribution<int>(0, 4)(random);
        engine.flanger.fDelay = std::uniform_real_distribution<float>(0, 4)(random);
        engine.gargle.dwWaveShape = std::uniform_int_distribution<std::uint32_t>(0, 1)(random);
        engine.gargle.dwRateHz = std::uniform_int_distribution<std::uint32_t>(1, 1000)(random);
        engine.echo.lPanDelay = std::uniform_int_distribution<int>(0, 1)(random);
        engine.reverb.fReverbTime = std::uniform_real_distribution<float>(1, 3000)(random);
        const sound::FxDialogModel shown = sound::FxDialogModel::fromEngine(engine);
        const SlotEffects back = shown.toEngine(engine);
        EXPECT_EQ(back.enabled, engine.enabled);
        EXPECT_EQ(back.chorus.lWaveform, engine.chorus.lWaveform);
        EXPECT_EQ(back.chorus.lPhase, engine.chorus.lPhase);
        EXPECT_EQ(back.gargle.dwWaveShape, engine.gargle.dwWaveShape);
        EXPECT_EQ(back.gargle.dwRateHz, engine.gargle.dwRateHz);
        EXPECT_EQ(back.echo.lPanDelay, engine.echo.lPanDelay);
        EXPECT_FLOAT_EQ(back.flanger.fDelay, engine.flanger.fDelay);
        EXPECT_FLOAT_EQ(back.reverb.fReverbTime, engine.reverb.fReverbTime);
        // Effects that are off show their defaults.
        const sound::FxDialogModel defaults;
        for (std::size_t k = 0; k < shown.effects.size(); ++k) {
            if (engine.enabled[k])
                continue;
            for (std::size_t r = 0; r < shown.effects[k].params.size(); ++r)
                EXPECT_EQ(shown.effects[k].params[r].value, defaults.effects[k].params[r].value);
        }
    }
}

TEST(EngineEffects, ASlotsChainPlaysItsVoicesAndAFullReloadTakesItOff)
{
    soundtest::TestBank bank;
    bank.writeInstrument(model::kFolkGuitar, 52, [](int) {
        auto click = soundtest::constant(4000, 0);
        click[10] = 16000;
        return click;
    });
    CSoundEngine e(bank.root(), nullptr, {});
    e.Open(CSoundEngine::Output::Offline);
    const std::array<int, 2> slots{model::kFolkGuitar, model::kFolkGuitar};
    ASSERT_TRUE(e.LoadBank(slots, 2));
    SlotEffects s = only(EffectKind::Echo);
    s.echo = {100, 500, 50, 50, 0}; // wet only; the feedback is held to its range
    e.ApplyEffects(1, s);
    EXPECT_TRUE(e.ReadEffectParams(1).isOn(EffectKind::Echo));
    EXPECT_EQ(e.ReadEffectParams(1).echo.fFeedback, 100);
    EXPECT_FALSE(e.ReadEffectParams(0).anyOn());
    e.renderOffline(kRate / 20); // past the fade-in

    auto energy = [](const std::vector<float>& out, int fromMs, int toMs) {
        double sum = 0;
        for (int i = fromMs * kRate / 1000 * 2; i < toMs * kRate / 1000 * 2; ++i)
            sum += out[static_cast<std::size_t>(i)] * out[static_cast<std::size_t>(i)];
        return sum;
    };
    e.PostStart(1, 1);
    std::vector<float> out = e.renderOffline(kRate / 5);
    EXPECT_LT(energy(out, 0, 40), 1e-9) << "only the echo is heard";
    EXPECT_GT(energy(out, 45, 60), 1e-3);
    EXPECT_GT(energy(out, 95, 110), 1e-3) << "full feedback repeats";
    // The other slot plays dry.
    e.PostStart(0, 1);
    out = e.renderOffline(kRate / 10);
    EXPECT_GT(energy(out, 0, 5), 1e-3);

    ASSERT_TRUE(e.LoadBank(slots, 2));
    EXPECT_FALSE(e.ReadEffectParams(1).anyOn());
    e.renderOffline(kRate / 5); // the old chain fades out
    e.PostStart(1, 1);
    out = e.renderOffline(kRate / 10);
    EXPECT_GT(energy(out, 0, 5), 1e-3) << "dry again after the reload";
    EXPECT_LT(energy(out, 45, 60), 1e-9);
}
