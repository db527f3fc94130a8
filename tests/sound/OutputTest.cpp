#include "CSoundEngine.h"
#include "CWave.h"
#include "ModelConstants.h"
#include "ScriptedPrompter.h"
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

using namespace soundtest;

namespace {

// Time that passes only when the output asks to sleep.
class FakeClock : public sound::PacingClock {
public:
    double now() override
    {
        std::lock_guard guard(m_);
        return t_;
    }
    void sleepUntil(double seconds) override
    {
        std::lock_guard guard(m_);
        t_ = std::max(t_, seconds);
        ++sleeps_;
    }
    int sleeps()
    {
        std::lock_guard guard(m_);
        return sleeps_;
    }

private:
    std::mutex m_;
    double t_ = 1000.0;
    int sleeps_ = 0;
};

// Spins (yielding, never sleeping) until `done`; false after a generous
// bound so a broken output fails the test instead of hanging it.
template <typename Pred>
bool eventually(Pred done)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::yield();
    }
    return true;
}

std::vector<std::int16_t> tone(int)
{
    return sine(441, 22050, 42500);
}

} // namespace

TEST(NullOutput, PacesTheMixerWithItsClockAndSleepsWhenIdle)
{
    TestBank bank;
    bank.writeInstrument(model::kFolkGuitar, 52, tone);
    auto clock = std::make_shared<FakeClock>();
    CSoundEngine e(bank.root(), nullptr, {});
    e.setPacingClock(clock);
    e.Open(CSoundEngine::Output::Null);
    const std::array<int, 1> slots{model::kFolkGuitar};
    ASSERT_TRUE(e.LoadBank(slots, 1));
    ASSERT_TRUE(e.isReady());

    std::atomic<int> ticks{0};
    std::atomic<double> worstLag{0};
    const double start = clock->now();
    // Seen from the audio thread, where the clock only moves when the output
    // sleeps: paced time and rendered audio agree to one 10 ms pull.
    e.setTickCallback([&](double nowMs) {
        ++ticks;
        const double lag = std::fabs(clock->now() - start - nowMs / 1000.0);
        if (lag > worstLag.load())
            worstLag = lag;
    });
    e.StartOutput();
    ASSERT_TRUE(eventually([&] { return e.audioClockMs() >= 200; }));
    EXPECT_LE(worstLag.load(), 0.0101);
    EXPECT_GE(ticks.load(), 200);

    // Held by StartOutput it keeps going; released, it falls asleep once
    // it has been silent for the grace period.
    EXPECT_TRUE(e.isOutputRunning());
    e.StopOutput();
    const double released = e.audioClockMs();
    ASSERT_TRUE(eventually([&] { return !e.isOutputRunning(); }));
    // Nothing has sounded since the start: asleep as soon as it is released
    // and the silence has lasted long enough.
    EXPECT_GE(e.audioClockMs(), CSoundEngine::kIdleGraceMs);
    EXPECT_LE(e.audioClockMs(), std::max(released, double{CSoundEngine::kIdleGraceMs}) + 20.0);

    // Work from another thread wakes it, and the voice really plays.
    const double asleepAt = e.audioClockMs();
    std::atomic<int> furthest{-1};
    e.setTickCallback([&](double) { furthest = std::max(furthest.load(), e.bufferPosition(0, 0)); });
    e.PostStart(0, 0);
    EXPECT_TRUE(e.isOutputRunning());
    ASSERT_TRUE(eventually([&] { return furthest.load() > 4000; }));
    EXPECT_GT(e.audioClockMs(), asleepAt);
    e.Shutdown();
    EXPECT_FALSE(e.isReady());
}

TEST(OfflineOutput, RendersToAWavFileInTheOutputFormat)
{
    TestBank bank;
    bank.writeInstrument(model::kFolkGuitar, 52, tone);
    const std::array<int, 1> slots{model::kFolkGuitar};
    auto makeEngine = [&] {
        auto e = std::make_unique<CSoundEngine>(bank.root(), nullptr, std::vector<std::string>{});
        e->Open(CSoundEngine::Output::Offline);
        e->LoadBank(slots, 1);
        e->PostStart(0, 0);
        return e;
    };
    auto e = makeEngine();
    const std::string path = bank.path("out.wav");
    ASSERT_TRUE(e->renderToWav(path, 4410));

    CWave written;
    ASSERT_TRUE(written.Open(path));
    WaveFormat f;
    ASSERT_TRUE(written.GetFormat(f));
    EXPECT_EQ(f, WaveFormat::pcm(44100, 2, 16));
    ASSERT_EQ(written.GetDataSize(), 4410u * 4);

    // The file holds what the mixer renders, to 16 bits.
    const std::vector<float> expected = makeEngine()->renderOffline(4410);
    const std::vector<std::uint8_t> data = written.ReadData();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto v = static_cast<std::int16_t>(data[2 * i] | data[2 * i + 1] << 8);
        ASSERT_NEAR(v / 32767.0, expected[i], 1.0 / 32767) << i;
    }

    // Deterministic: the same score renders to the same bytes.
    const std::string again = bank.path("again.wav");
    ASSERT_TRUE(makeEngine()->renderToWav(again, 4410));
    EXPECT_EQ(TempDir::read(path), TempDir::read(again));

    // Stops when told, after whole pulls of 10 ms.
    int pulls = 0;
    ASSERT_TRUE(makeEngine()->renderToWav(again, 44100, [&] { return ++pulls == 3; }));
    CWave shorter;
    ASSERT_TRUE(shorter.Open(again));
    EXPECT_EQ(shorter.GetDataSize(), 3u * 441 * 4);

    EXPECT_FALSE(makeEngine()->renderToWav(bank.path("no/such/folder/x.wav"), 441));
}

// The reference file may ask for another sample format; what is written
// decodes back to the level that was played.
TEST(OfflineOutput, WritesEverySampleFormatTheReferenceFileAsksFor)
{
    for (const WaveFormat& format : {WaveFormat::pcm(22050, 1, 8), WaveFormat::pcm(44100, 2, 24),
                                     WaveFormat::pcm(32000, 2, 32), [] {
                                         WaveFormat f = WaveFormat::pcm(44100, 1, 32);
                                         f.formatTag = WaveFormat::kFloat;
                                         return f;
                                     }()}) {
        TestBank bank;
        bank.writeFile("res/empty.wav", riff("WAVE", {{"fmt ", fmtBody(format)}, {"data", std::string(64, '\0')}}));
        bank.writeInstrument(model::kFolkGuitar, 52, [](int) { return constant(42500, 0.5); });
        CSoundEngine e(bank.root(), nullptr, {});
        e.Open(CSoundEngine::Output::Offline);
        const std::array<int, 1> slots{model::kFolkGuitar};
        ASSERT_TRUE(e.LoadBank(slots, 1));
        e.PostStart(0, 0);
        ASSERT_TRUE(e.renderToWav(bank.path("out.wav"), 1000));

        CWave written;
        ASSERT_TRUE(written.Open(bank.path("out.wav")));
        WaveFormat f;
        ASSERT_TRUE(written.GetFormat(f));
        EXPECT_EQ(f, format);
        const std::vector<std::uint8_t> data = written.ReadData();
        ASSERT_EQ(data.size(), 1000u * format.blockAlign);
        const auto decoded = sound::makeSample(f, data.data(), data.size(), data.size());
        ASSERT_TRUE(decoded);
        const double lsb = format.bitsPerSample == 8 ? 1.0 / 127 : 1e-4;
        EXPECT_NEAR(decoded->left[500], 0.5, lsb) << format.bitsPerSample;
        EXPECT_NEAR(decoded->rightBase()[500], 0.5, lsb);
    }
}

TEST(DeviceOutput, OpensOrReportsTheMissingDeviceOnce)
{
    TestBank bank;
    bank.writeInstrument(model::kFolkGuitar, 52, [](int) { return constant(16, 0); });
    ScriptedPrompter prompter;
    CSoundEngine e(bank.root(), &prompter, {});
    e.Open(CSoundEngine::Output::Device);
    const std::array<int, 1> slots{model::kFolkGuitar};
    const bool loaded = e.LoadBank(slots, 1);
    e.LoadBank(slots, 1);
    if (e.hasDevice()) {
        EXPECT_TRUE(loaded);
        EXPECT_TRUE(prompter.messages.empty());
    } else {
        EXPECT_FALSE(loaded);
        EXPECT_FALSE(e.isReady());
        ASSERT_EQ(prompter.messages.size(), 1u);
        // The library's reason follows on the next line.
        EXPECT_EQ(prompter.messages[0], std::string(CSoundEngine::kDeviceProblem) + "\n" + e.deviceError());
        EXPECT_FALSE(e.deviceError().empty());
    }
    e.Shutdown();
}

// The user-interface thread changes voices and reloads the bank while the
// audio thread plays and its tick posts: nothing may be read after it is
// freed (the sanitizer builds watch), and the engine ends up consistent.
TEST(NullOutput, TheBankCanChangeWhileTheAudioThreadPlays)
{
    TestBank bank;
    auto shortTone = [](int) { return sine(441, 22050, 2000); };
    bank.writeInstrument(model::kFolkGuitar, 52, shortTone);
    bank.writeInstrument(model::kBass, 44, shortTone);
    auto clock = std::make_shared<FakeClock>();
    CSoundEngine e(bank.root(), nullptr, {});
    e.setPacingClock(clock);
    e.Open(CSoundEngine::Output::Null);
    std::array<int, 2> slots{model::kFolkGuitar, model::kBass};
    ASSERT_TRUE(e.LoadBank(slots, 2));
    std::atomic<int> ticks{0};
    e.setTickCallback([&](double) {
        const int t = ++ticks;
        e.PostStartAt(t % 2, t % 40, (t * 100) % 80000);
        e.SetFrequency(t % 2, t % 40, 20000 + t % 5000);
        if (t % 7 == 0)
            e.PostStop(t % 2, (t + 3) % 40);
    });
    e.StartOutput();
    for (int round = 0; round < 12; ++round) {
        const int seen = ticks.load();
        ASSERT_TRUE(eventually([&] { return ticks.load() > seen + 5; }));
        slots[1] = round % 2 ? model::kBass : model::kFolkGuitar;
        ASSERT_TRUE(e.LoadBank(slots, 2));
        e.SetVolume(0, round, -round * 100);
        e.StartNow(1, round % 20, 0);
        e.StopAll();
    }
    e.StopOutput();
    e.Shutdown();
    EXPECT_FALSE(e.isOutputRunning());
}
