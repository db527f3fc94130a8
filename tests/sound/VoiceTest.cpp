#include "CSoundEngine.h"
#include "ModelConstants.h"
#include "ScriptedPrompter.h"
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

using namespace soundtest;

namespace {

constexpr int kRate = 44100;
constexpr float kHalf = 0.5f;                          // a 0.5 DC sample at the buffer's full level
constexpr float kHalfAtMinus4dB = 0.5f * 0.63095734f; // the same after SetVolume(0)

// Sample contents by index, for a folk-guitar slot 0.
std::vector<std::int16_t> content(int index)
{
    switch (index) {
    case 0:
        return sine(441, 22050, 42500);
    case 1:
        return constant(42500, 0.5);
    case 2:
        return constant(50000, 0.5); // longer than a buffer: cut at 85000 bytes
    case 3:
        return constant(1000, 0.5);
    case 4:
        return sine(100, 22050, 42500);
    case 6: { // a note that dies away: 220 Hz, -8.7 dB a second
        std::vector<std::int16_t> s = sine(220, 22050, 42500, 0.8);
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = static_cast<std::int16_t>(s[i] * std::exp(-static_cast<double>(i) / 22050));
        return s;
    }
    default:
        return constant(16, 0.25);
    }
}

class Voices : public ::testing::Test {
protected:
    Voices() { bank.writeInstrument(model::kFolkGuitar, 52, content); }

    std::unique_ptr<CSoundEngine> makeEngine()
    {
        auto e = std::make_unique<CSoundEngine>(bank.root(), &prompter, std::vector<std::string>{});
        e->Open(CSoundEngine::Output::Offline);
        const std::array<int, 1> slots{model::kFolkGuitar};
        EXPECT_TRUE(e->LoadBank(slots, 1));
        return e;
    }
    CSoundEngine& engine()
    {
        if (!main)
            main = makeEngine();
        return *main;
    }
    std::vector<float> render(int frames) { return engine().renderOffline(frames); }

    TestBank bank;
    ScriptedPrompter prompter;
    std::unique_ptr<CSoundEngine> main;
};

float maxStep(const std::vector<float>& x)
{
    float m = 0;
    for (std::size_t i = 1; i < x.size(); ++i)
        m = std::max(m, std::fabs(x[i] - x[i - 1]));
    return m;
}

} // namespace

// ---------------------------------------------------------------- the ring

TEST_F(Voices, TwoStartsInOnePassGiveOneStartAtTheLaterPosition)
{
    // Carried out in turn, the first start (at 0, so at full level at once)
    // would leave a fading tail under the second.
    engine().PostStart(0, 0);
    engine().PostStartAt(0, 0, 3000);
    const std::vector<float> both = render(441);

    auto reference = makeEngine();
    reference->PostStartAt(0, 0, 3000);
    EXPECT_EQ(both, reference->renderOffline(441)); // no trace of the first start

    // 441 output frames at half speed: 220.5 source frames, 2 bytes each.
    EXPECT_EQ(engine().bufferPosition(0, 0), 3000 + 440);
    render(441); // carried out once: the voice goes on, it does not restart
    EXPECT_EQ(engine().bufferPosition(0, 0), 3000 + 882);
}

TEST_F(Voices, AStartFollowedByAStopGivesOnlyTheStop)
{
    engine().PostStart(0, 1);
    engine().PostStop(0, 1);
    const std::vector<float> out = render(441);
    EXPECT_EQ(rms(out, 2, 0, 0, 441), 0.0);
    EXPECT_EQ(engine().bufferPosition(0, 1), -1);

    engine().PostStop(0, 1);
    engine().PostStart(0, 1);
    EXPECT_GT(rms(render(441), 2, 0, 0, 441), 0.3);
}

TEST_F(Voices, PostsBeyondTheRingKeepTheNewestRequestOfEachVoice)
{
    for (int k = 0; k < 600; ++k)
        engine().PostStartAt(0, 10 + k % 10, 2 * k);
    render(44); // one block: 44 frames at half speed = 22 source frames
    for (int v = 0; v < 10; ++v)
        EXPECT_EQ(engine().bufferPosition(0, 10 + v), 2 * (590 + v) + 44) << v;
}

TEST_F(Voices, RequestsForMissingBuffersAreIgnored)
{
    CSoundEngine& e = engine();
    e.PostStart(0, 52);
    e.PostStart(0, -1);
    e.PostStart(1, 0); // slot without instrument
    e.PostStart(16, 0);
    e.StartNow(5, 0, 0);
    e.PostStartAt(0, 1, -5);
    e.SetVolume(0, 60, 0);
    EXPECT_EQ(rms(render(441), 2, 0, 0, 441), 0.0);
}

TEST_F(Voices, StopAllSilencesVoicesAndForgetsQueuedStarts)
{
    engine().PostStart(0, 1);
    render(441);
    engine().PostStart(0, 4);
    engine().StopAll();
    const std::vector<float> out = render(441);
    EXPECT_EQ(engine().bufferPosition(0, 1), -1);
    EXPECT_EQ(engine().bufferPosition(0, 4), -1);
    // Faded out within a few milliseconds, not cut.
    EXPECT_GT(std::fabs(out[2 * 10]), 0.1f);
    EXPECT_EQ(rms(out, 2, 0, 300, 441), 0.0);
}

// ---------------------------------------------------------------- the clock

TEST_F(Voices, TheTickRunsBeforeEveryMillisecondWithTheAudioClock)
{
    std::vector<double> ticks;
    engine().setTickCallback([&](double now) {
        ticks.push_back(now);
        if (ticks.size() == 6)
            engine().PostStart(0, 1); // the block of the sixth tick starts at frame 220
    });
    const std::vector<float> out = render(kRate / 100);
    ASSERT_EQ(ticks.size(), 10u);
    for (std::size_t k = 0; k < ticks.size(); ++k)
        EXPECT_DOUBLE_EQ(ticks[k], std::floor(k * 44.1) * 1000.0 / kRate);
    EXPECT_EQ(out[2 * 219], 0.0f);
    EXPECT_FLOAT_EQ(out[2 * 220], kHalf);
    EXPECT_DOUBLE_EQ(engine().audioClockMs(), 10.0);
}

TEST_F(Voices, StartNowInsideTheTickIsImmediateToo)
{
    int tick = 0;
    engine().setTickCallback([&](double) {
        if (tick++ == 2)
            engine().StartNow(0, 1, 0); // the third block starts at frame 88
    });
    const std::vector<float> out = render(441);
    EXPECT_EQ(out[2 * 87], 0.0f);
    EXPECT_FLOAT_EQ(out[2 * 88], kHalf);
}

// ---------------------------------------------------------------- parameters

TEST_F(Voices, SetVolumeFloorsCapsAndLowersByFourDecibels)
{
    CSoundEngine& e = engine();
    const std::pair<int, int> cases[] = {{-1000, -1400}, {0, -400}, {50, -800}, {-10000, -10400}, {-20000, -10400}};
    for (auto [asked, stored] : cases) {
        e.SetVolume(0, 1, asked);
        EXPECT_EQ(e.bufferVolume(0, 1), stored) << asked;
    }
    e.PostStart(0, 1);
    EXPECT_EQ(rms(render(441), 2, 0, 0, 441), 0.0); // -10400 is silence
}

TEST_F(Voices, ALevelOfMinus600IsSixDecibelsQuieter)
{
    engine().SetVolume(0, 0, 0);
    engine().PostStart(0, 0);
    const double full = rms(render(22050), 2, 0, 0, 22050);

    auto quiet = makeEngine();
    quiet->SetVolume(0, 0, -600);
    quiet->PostStart(0, 0);
    const double lower = rms(quiet->renderOffline(22050), 2, 0, 0, 22050);
    EXPECT_NEAR(20 * std::log10(lower / full), -6.0, 0.05);
    EXPECT_NEAR(full, 0.5 / std::sqrt(2.0) * 0.63095734, 0.002);
}

TEST_F(Voices, PanAttenuatesTheOtherSide)
{
    engine().SetPan(0, 0, -10000);
    engine().PostStart(0, 0);
    const std::vector<float> hardLeft = render(4410);
    EXPECT_GT(rms(hardLeft, 2, 0, 0, 4410), 0.1);
    EXPECT_EQ(rms(hardLeft, 2, 1, 0, 4410), 0.0);

    auto right = makeEngine();
    right->SetPan(0, 0, 600);
    right->PostStart(0, 0);
    const std::vector<float> out = right->renderOffline(4410);
    EXPECT_NEAR(20 * std::log10(rms(out, 2, 0, 0, 4410) / rms(out, 2, 1, 0, 4410)), -6.0, 0.05);
}

TEST_F(Voices, RateInHertzSetsThePitch)
{
    engine().PostStart(0, 0);
    EXPECT_NEAR(pitch(channel(render(8192), 2, 0), kRate, 300, 600), 441.0, 1.0);

    auto faster = makeEngine();
    faster->SetFrequency(0, 0, 44100);
    faster->PostStart(0, 0);
    EXPECT_NEAR(pitch(channel(faster->renderOffline(8192), 2, 0), kRate, 600, 1200), 882.0, 2.0);
    EXPECT_EQ(faster->bufferFrequency(0, 0), 44100);

    // A bend of a whole tone glides there within a few milliseconds.
    faster->SetFrequency(0, 0, static_cast<int>(std::lround(22050 * std::pow(2.0, 2.0 / 12))));
    faster->renderOffline(441);
    EXPECT_NEAR(pitch(channel(faster->renderOffline(8192), 2, 0), kRate, 300, 600), 441.0 * std::pow(2.0, 2.0 / 12),
                1.0);
}

// ---------------------------------------------------------------- buffer length

TEST_F(Voices, AVoicePlaysItsEightyFiveThousandBytesAndStops)
{
    engine().PostStart(0, 2); // the file holds 100000 bytes
    const std::vector<float> out = render(86000);
    // 42500 source frames at half speed: 85000 output frames.
    EXPECT_FLOAT_EQ(out[2 * 84990], kHalf);
    EXPECT_EQ(rms(out, 2, 0, 85000, 86000), 0.0);
    EXPECT_EQ(engine().bufferPosition(0, 2), -1);

    engine().PostStart(0, 3); // 2000 bytes of sound, then the buffer's silence
    const std::vector<float> shortOne = render(50000);
    EXPECT_EQ(rms(shortOne, 2, 0, 2100, 50000), 0.0);
    EXPECT_GE(engine().bufferPosition(0, 3), 0); // still playing its silent rest
    render(36000);
    EXPECT_EQ(engine().bufferPosition(0, 3), -1);
}

TEST_F(Voices, AStartPastTheBufferPlaysNothing)
{
    engine().PostStartAt(0, 1, 85000);
    EXPECT_EQ(rms(render(441), 2, 0, 0, 441), 0.0);
    EXPECT_EQ(engine().bufferPosition(0, 1), -1);
}

// ---------------------------------------------------------------- no clicks

TEST_F(Voices, ChangesStopsRestartsAndMidSampleStartsDoNotClick)
{
    CSoundEngine& e = engine();
    // A 100 Hz sine moves at most about 0.005 per frame at this level; a
    // hard switch anywhere would jump by up to 0.3.
    const float natural = 0.006f;
    e.PostStartAt(0, 4, 110); // starts on a crest: fades in
    std::vector<float> out = render(4410);
    e.SetVolume(0, 4, -2000);
    auto more = render(4410);
    out.insert(out.end(), more.begin(), more.end());
    e.SetVolume(0, 4, 0);
    e.PostStartAt(0, 4, 20000 + 110); // restart of a sounding voice: crossfade
    more = render(4410);
    out.insert(out.end(), more.begin(), more.end());
    e.StopNow(0, 4);
    more = render(4410);
    out.insert(out.end(), more.begin(), more.end());
    EXPECT_LT(maxStep(channel(out, 2, 0)), 2 * natural);
    EXPECT_EQ(rms(more, 2, 0, 400, 4410), 0.0);
}

// ---------------------------------------------------------------- mixing

TEST_F(Voices, ReleaseAndSustainShapeAVoiceWithoutClicks)
{
    struct Case {
        const char* what;
        int index;
        int renderFirstMs;
        std::function<void(CSoundEngine&)> act;
        double afterDb; // level 40 to 60 ms after the act, against the 20 ms before it
    };
    const std::vector<Case> cases = {
        {"release over 30 ms", 1, 100, [](CSoundEngine& e) { e.Release(0, 1, 30); }, -200},
        {"sustain from 1 s into a dying note", 6, 1500, [](CSoundEngine& e) { e.SustainFrom(0, 6, 44100); }, 0},
    };
    for (const Case& c : cases) {
        auto e = makeEngine();
        e->SetVolume(0, c.index, 0);
        e->PostStart(0, c.index);
        const std::vector<float> before = e->renderOffline(c.renderFirstMs * kRate / 1000);
        c.act(*e);
        const std::vector<float> after = e->renderOffline(60 * kRate / 1000);
        const double was = rms(before, 2, 0, static_cast<int>(before.size() / 2) - kRate / 50,
                               static_cast<int>(before.size() / 2));
        const double now = rms(after, 2, 0, 40 * kRate / 1000, 60 * kRate / 1000);
        const double db = now > 0 ? 20 * std::log10(now / was) : -200;
        EXPECT_NEAR(std::max(db, -200.0), c.afterDb, c.afterDb == -200 ? 0.1 : 1.5) << c.what;
        // Smooth: no sample jumps further than the sine itself moves.
        EXPECT_LT(maxStep(channel(after, 2, 0)), 0.05f) << c.what;
    }
}

TEST_F(Voices, ToneDullsTheNextStartsOfAVoice)
{
    auto level = [&](int hertz) {
        auto e = makeEngine();
        e->SetVolume(0, 0, 0);
        e->SetTone(0, 0, hertz);
        e->PostStart(0, 0); // 441 Hz
        const std::vector<float> out = e->renderOffline(kRate / 10);
        return 20 * std::log10(rms(out, 2, 0, kRate / 20, kRate / 10));
    };
    // Two one-pole sections at 200 Hz: 7.7 dB each at 441 Hz.
    EXPECT_NEAR(level(200) - level(0), -15.4, 1.0);
    EXPECT_NEAR(level(30000) - level(0), 0.0, 0.01); // above the output's Nyquist: open
}

TEST_F(Voices, ManyLoudVoicesNeverClipAndQuietOnesPassUntouched)
{
    TestBank loud;
    loud.writeInstrument(model::kDrums, 30, [](int i) {
        std::vector<std::int16_t> s(20000);
        for (std::size_t k = 0; k < s.size(); ++k)
            s[k] = ((k / static_cast<std::size_t>(40 + i)) % 2) ? 32767 : -32767;
        return s;
    });
    CSoundEngine e(loud.root(), nullptr, {});
    e.Open(CSoundEngine::Output::Offline);
    const std::array<int, 3> slots{model::kDrums, model::kDrums, model::kDrums};
    ASSERT_TRUE(e.LoadBank(slots, 3));
    for (int slot = 0; slot < 3; ++slot)
        for (int i = 0; i < 30; ++i) {
            e.SetVolume(slot, i, 0);
            e.PostStart(slot, i);
        }
    const std::vector<float> out = e.renderOffline(22050);
    float peak = 0;
    for (float v : out)
        peak = std::max(peak, std::fabs(v));
    EXPECT_LE(peak, 1.0f);
    EXPECT_GT(peak, 0.8f);
    EXPECT_GT(rms(out, 2, 0, 0, 22050), 0.25);

    // One quiet voice: exactly the sample times its gain.
    engine().SetVolume(0, 1, 0);
    engine().PostStart(0, 1);
    EXPECT_FLOAT_EQ(render(441)[2 * 300], kHalfAtMinus4dB);
}

TEST(Mixer, CubicInterpolationFollowsTheSignalBetweenSamples)
{
    // A 2 kHz sine at 44100 Hz read at an awkward step: linear interpolation
    // would be off by about 0.01 between samples.
    const double w = 2 * std::numbers::pi * 2000.0 / 44100.0;
    const auto samples = sine(2000, 44100, 3000, 1.0);
    const auto sample = sound::makeSample(WaveFormat::pcm(44100, 1, 16),
                                          reinterpret_cast<const std::uint8_t*>(pcm16(samples).data()), 6000, 6000);
    ASSERT_EQ(sample->oversample, 1);
    const auto fixedStep = static_cast<std::uint64_t>(0.7316 * 4294967296.0);
    for (sound::Mixer::Kernel kernel : sound::Mixer::availableKernels()) {
        std::vector<float> left(2000, 0.0f), right(2000, 0.0f);
        sound::Mixer::mixMonoWith(kernel, sample->leftBase(), std::uint64_t{10} << 32, fixedStep, 1.0f, 0.5f, 0.0f,
                                  0.0f, left.data(), right.data(), 2000);
        double worst = 0;
        for (int i = 0; i < 2000; ++i) {
            const double pos = 10 + static_cast<double>(fixedStep) * i / 4294967296.0;
            worst = std::max(worst, std::fabs(left[static_cast<std::size_t>(i)] - std::sin(w * pos)));
            ASSERT_FLOAT_EQ(right[static_cast<std::size_t>(i)], 0.5f * left[static_cast<std::size_t>(i)]);
        }
        EXPECT_LT(worst, 0.002) << static_cast<int>(kernel);
    }
    EXPECT_FLOAT_EQ(sound::Mixer::cubic(1, 2, 3, 4, 0), 2.0f);
    EXPECT_FLOAT_EQ(sound::Mixer::cubic(1, 2, 3, 4, 1), 3.0f);
}

TEST(Mixer, LowRateRecordingsAreStoredAtTwiceTheirRateWithoutImages)
{
    // Level of frequency hz in a stored buffer (one DFT bin over whole periods of 44100 Hz).
    auto levelDb = [](const sound::SampleData& s, double hz) {
        const float* x = s.leftBase() + sound::SampleData::kPadBefore;
        double re = 0, im = 0;
        const int from = 2000, n = 4410 * 4;
        for (int i = 0; i < n; ++i) {
            re += x[from + i] * std::cos(2 * std::numbers::pi * hz * i / 44100.0);
            im += x[from + i] * std::sin(2 * std::numbers::pi * hz * i / 44100.0);
        }
        return 20 * std::log10(std::hypot(re, im) * 2 / n + 1e-12);
    };
    for (double hz : {440.0, 5000.0, 9000.0}) {
        SCOPED_TRACE(hz);
        const auto samples = sine(hz, 22050, 20000, 0.5);
        const auto sample = sound::makeSample(WaveFormat::pcm(22050, 1, 16),
                                              reinterpret_cast<const std::uint8_t*>(pcm16(samples).data()), 40000,
                                              40000);
        ASSERT_EQ(sample->oversample, 2);
        ASSERT_EQ(sample->frames, 40000);
        // The recording's own frames stay as they are, and byte positions still count them.
        const float* x = sample->leftBase() + sound::SampleData::kPadBefore;
        for (int i : {0, 1, 777, 19999})
            EXPECT_FLOAT_EQ(x[2 * i], samples[static_cast<std::size_t>(i)] / 32768.0f);
        EXPECT_EQ(sample->frameOfByte(1554), 1554);
        EXPECT_EQ(sample->byteOfFrame(1555), 1554);
        // The tone keeps its level; its mirror image about 11025 Hz is gone.
        EXPECT_NEAR(levelDb(*sample, hz), 20 * std::log10(0.5), 0.1);
        EXPECT_LT(levelDb(*sample, 22050 - hz) - levelDb(*sample, hz), -65);
    }
}

// The vector kernels against the one-frame-at-a-time loop: every length of
// a block's tail, steps on both sides of the widest kernel's limit, ramps,
// and reads up to the very end of a buffer.
TEST(Mixer, EveryKernelMatchesThePlainLoop)
{
    std::vector<std::int16_t> noise(500);
    std::uint32_t seed = 1;
    for (auto& v : noise) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<std::int16_t>(seed >> 16);
    }
    const auto sample = sound::makeSample(WaveFormat::pcm(22050, 1, 16),
                                          reinterpret_cast<const std::uint8_t*>(pcm16(noise).data()), 1000, 1000);
    const double steps[] = {0.25, 0.5, 0.5317, 1.0, 1.5, 1.86, 1.9, 3.7};
    for (sound::Mixer::Kernel kernel : sound::Mixer::availableKernels()) {
        for (double st : steps) {
            const auto step = static_cast<std::uint64_t>(st * 4294967296.0);
            for (int n : {1, 4, 7, 8, 9, 15, 16, 17, 44, 45}) {
                // Start so that the last frame read is the buffer's last one.
                const std::uint64_t span = step * static_cast<std::uint64_t>(n - 1);
                for (std::uint64_t start : {std::uint64_t{0x1234567}, (std::uint64_t{499} << 32) - span}) {
                    std::vector<float> l1(static_cast<std::size_t>(n), 0.1f), r1(l1), l2(l1), r2(l1);
                    const auto end1 = sound::Mixer::mixMonoWith(kernel, sample->leftBase(), start, step, 0.9f, 0.3f,
                                                                -0.01f, 0.002f, l1.data(), r1.data(), n);
                    const auto end2 = sound::Mixer::mixMonoWith(sound::Mixer::Kernel::Scalar, sample->leftBase(),
                                                                start, step, 0.9f, 0.3f, -0.01f, 0.002f, l2.data(),
                                                                r2.data(), n);
                    ASSERT_EQ(end1, end2);
                    for (std::size_t i = 0; i < l1.size(); ++i) {
                        ASSERT_NEAR(l1[i], l2[i], 2e-6) << static_cast<int>(kernel) << " step " << st << " n " << n;
                        ASSERT_NEAR(r1[i], r2[i], 2e-6);
                    }
                }
            }
        }
    }
}

namespace {

struct Gate : sound::BusProcessor {
    int calls = 0;
    float gain = 0;
    void process(float* l, float* r, int frames) override
    {
        ++calls;
        for (int i = 0; i < frames; ++i) {
            l[i] *= gain;
            r[i] *= gain;
        }
    }
};

} // namespace

TEST_F(Voices, SlotBusesRunTheirProcessorEveryBlock)
{
    TestBank two;
    two.writeInstrument(model::kFolkGuitar, 52, content);
    two.writeInstrument(model::kPiano, 52, content);
    CSoundEngine e(two.root(), nullptr, {});
    e.Open(CSoundEngine::Output::Offline);
    const std::array<int, 2> slots{model::kFolkGuitar, model::kPiano};
    ASSERT_TRUE(e.LoadBank(slots, 2));
    Gate gate;
    e.setBusProcessor(1, &gate);
    e.renderOffline(441);
    EXPECT_EQ(gate.calls, 10); // even with nothing playing: effects ring on
    e.PostStart(1, 1);
    EXPECT_EQ(rms(e.renderOffline(441), 2, 0, 0, 441), 0.0);
    e.PostStart(0, 1);
    EXPECT_FLOAT_EQ(e.renderOffline(441)[2 * 200], kHalf);
    // A full reload takes the effects off.
    ASSERT_TRUE(e.LoadBank(slots, 2));
    const int before = gate.calls;
    e.renderOffline(441);
    EXPECT_EQ(gate.calls, before);
}

TEST(MonoOutput, BothSidesMeetInTheOneChannel)
{
    TestBank bank(22050, 1);
    bank.writeInstrument(model::kFolkGuitar, 52, content);
    CSoundEngine e(bank.root(), nullptr, {});
    e.Open(CSoundEngine::Output::Offline);
    const std::array<int, 1> slots{model::kFolkGuitar};
    ASSERT_TRUE(e.LoadBank(slots, 1));
    e.PostStart(0, 1);
    const std::vector<float> out = e.renderOffline(220);
    ASSERT_EQ(out.size(), 220u);
    EXPECT_FLOAT_EQ(out[100], kHalf);
}
