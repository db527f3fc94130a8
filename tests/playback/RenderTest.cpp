// End-to-end checks on real sound: the playback pass and the mixer render a
// score into a WAV file, and the file is measured.
#include "CSoundEngine.h"
#include "CTabDoc.h"
#include "CWave.h"
#include "PlaybackController.h"
#include "RenderCommand.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <thread>

namespace {

struct Audio {
    int rate = 0;
    std::vector<float> left; // the mono sum would hide nothing here: scores are centred

    double seconds() const { return static_cast<double>(left.size()) / rate; }
};

Audio readWav(const std::string& path)
{
    CWave wave;
    Audio a;
    WaveFormat f;
    if (!wave.Open(path) || !wave.GetFormat(f) || f.bitsPerSample != 16)
        return a;
    a.rate = static_cast<int>(f.samplesPerSec);
    const std::vector<std::uint8_t> data = wave.ReadData();
    const std::size_t frame = 2u * f.channels;
    for (std::size_t i = 0; i + frame <= data.size(); i += frame)
        a.left.push_back(static_cast<std::int16_t>(data[i] | (data[i + 1] << 8)) / 32768.0f);
    return a;
}

// First time (ms) the signal rises above `threshold` at or after `fromMs`.
double onsetMs(const Audio& a, double fromMs, float threshold = 0.003f)
{
    for (auto i = static_cast<std::size_t>(fromMs * a.rate / 1000); i < a.left.size(); ++i)
        if (std::fabs(a.left[i]) > threshold)
            return i * 1000.0 / a.rate;
    return -1;
}

// Fundamental period (in samples) of a window, by autocorrelation.
double periodAt(const Audio& a, double atMs, double windowMs = 60)
{
    const auto start = static_cast<std::size_t>(atMs * a.rate / 1000);
    const auto n = static_cast<std::size_t>(windowMs * a.rate / 1000);
    double best = -1, bestLag = 0;
    for (std::size_t lag = 40; lag < 1000 && start + n + lag < a.left.size(); ++lag) {
        double sum = 0;
        for (std::size_t i = 0; i < n; ++i)
            sum += a.left[start + i] * a.left[start + i + lag];
        if (sum > best) {
            best = sum;
            bestLag = static_cast<double>(lag);
        }
    }
    return bestLag;
}

// A one-track score whose every beat is a rest but the one at `noteBeat`.
struct Score {
    CTabDoc doc;
    explicit Score(int tempo, int numerator = 4, int denominator = 4, int measures = 1)
    {
        doc.OnNewDocument();
        doc.measureCount = measures;
        for (int m = 0; m < measures; ++m) {
            CMesure& ms = doc.tracks[0][m];
            ms.tempo = tempo;
            ms.numerator = numerator;
            ms.denominator = denominator;
            ms.beats.SetSize(0);
            ms.beatCount = 0;
        }
    }
    CAccord& add(int measure, int code, bool rest)
    {
        CMesure& ms = doc.tracks[0][measure];
        CAccord b;
        b.durationCode = code;
        b.isRest = rest ? 1 : 0;
        ms.beats.Add(b);
        ms.beatCount = ms.beats.GetSize();
        return ms.beats[ms.beatCount - 1];
    }
};

Audio render(CTabDoc& doc, double tailMs = 0, int from = 0)
{
    TempDir dir;
    ScriptedPrompter prompter;
    const std::string wav = dir.file("out.wav");
    EXPECT_TRUE(renderScoreToWav(doc, from, wav, FRETLARK_BUILD_DIR, prompter, tailMs));
    EXPECT_TRUE(prompter.messages.empty()) << prompter.messages.front();
    return readWav(wav);
}

} // namespace

TEST(Render, OnsetsLandOnTheSchedule)
{
    // The sample's own lead-in, measured on a note that starts the performance.
    Score first(60);
    first.add(0, 4, false).notes[0].fret = 5;
    const double lead = onsetMs(render(first.doc), 0);
    ASSERT_GE(lead, 0);
    ASSERT_LT(lead, 20);

    struct Case {
        int tempo;
        std::vector<std::tuple<int, bool, bool>> rests; // code, dotted, triplet mark
        double expectedMs;
    };
    const std::vector<Case> cases = {
        {60, {{4, false, false}, {4, true, false}}, 2500},                        // quarter + dotted quarter
        {97, {{3, false, false}, {3, false, false}, {3, false, false}}, 3 * 48 * 60000.0 / (97 * 48) / 2},
        {133, {{4, false, true}, {4, false, false}, {4, false, false}}, 3 * 32 * 60000.0 / (133 * 48)},
        {71, {{2, false, false}, {5, false, false}}, (12 + 96) * 60000.0 / (71 * 48)},
    };
    for (const Case& c : cases) {
        Score s(c.tempo, 6, 4);
        for (auto [code, dotted, triplet] : c.rests) {
            CAccord& r = s.add(0, code, true);
            r.isDotted = dotted;
            r.isTriplet = triplet;
        }
        s.add(0, 4, false).notes[0].fret = 5;
        const Audio a = render(s.doc);
        EXPECT_NEAR(onsetMs(a, 0) - lead, c.expectedMs, 1.0) << "tempo " << c.tempo;
    }
}

TEST(Render, RepeatsPlayTheRightNumberOfTimes)
{
    // Three measures of 4/4 at 120 (2 s each); the last two repeat twice more.
    Score s(120, 4, 4, 3);
    for (int m = 0; m < 3; ++m)
        s.add(m, 6, false).notes[5].fret = m;
    s.doc.tracks[0][1].flags |= model::kFlagRepeatStart;
    s.doc.tracks[0][2].flags |= 2 * 32 + model::kFlagRepeatEnd;
    const Audio a = render(s.doc);
    EXPECT_NEAR(a.seconds(), 2.0 * 7, 0.02);
}

TEST(Render, BendReachesItsTarget)
{
    // A half note at 60 bent a full tone: the bend ends 1.5 s in.
    Score bent(60);
    CNote& n = bent.add(0, 5, false).notes[2];
    n.fret = 7;
    n.bend = 2 * 16 + model::kBendBend;
    Score plain(60);
    plain.add(0, 5, false).notes[2].fret = 7;
    const double p0 = periodAt(render(plain.doc), 1700);
    const double p1 = periodAt(render(bent.doc), 1700);
    ASSERT_GT(p0, 0);
    ASSERT_GT(p1, 0);
    EXPECT_NEAR(p0 / p1, std::pow(2.0, 2 / 12.0), 0.02);
    EXPECT_NEAR(periodAt(render(bent.doc), 100) / p0, 1.0, 0.02); // not bent before its delay
}

namespace {

// Forwards to the real engine and notes the audio clock of every start.
class TapEngine : public ISoundEngine {
public:
    explicit TapEngine(CSoundEngine& e) : e_(e) {}
    std::vector<double> starts() const
    {
        std::lock_guard<std::mutex> l(m_);
        return starts_;
    }
    bool isReady() const override { return e_.isReady(); }
    void PostStart(int s, int i) override
    {
        note();
        e_.PostStart(s, i);
    }
    void PostStartAt(int s, int i, int p) override
    {
        note();
        e_.PostStartAt(s, i, p);
    }
    void PostStop(int s, int i) override { e_.PostStop(s, i); }
    void StartNow(int s, int i, int p) override { e_.StartNow(s, i, p); }
    void StopNow(int s, int i) override { e_.StopNow(s, i); }
    void StopAll() override { e_.StopAll(); }
    void SetFrequency(int s, int i, int hz) override { e_.SetFrequency(s, i, hz); }
    void SetVolume(int s, int i, int l) override { e_.SetVolume(s, i, l); }
    void SetPan(int s, int i, int p) override { e_.SetPan(s, i, p); }
    void setTickCallback(TickCallback cb) override { e_.setTickCallback(std::move(cb)); }
    void StartOutput() override { e_.StartOutput(); }
    void StopOutput() override { e_.StopOutput(); }

private:
    void note()
    {
        std::lock_guard<std::mutex> l(m_);
        starts_.push_back(e_.audioClockMs());
    }
    CSoundEngine& e_;
    mutable std::mutex m_;
    std::vector<double> starts_;
};

} // namespace

TEST(LivePlayback, ABusyInterfaceThreadMovesNoOnset)
{
    // Eight eighths at 240: a note every 125 ms on the null device, in real time.
    Score s(240);
    for (int b = 0; b < 8; ++b)
        s.add(0, 3, false).notes[0].fret = b;
    ScriptedPrompter prompter;
    CSoundEngine engine(FRETLARK_BUILD_DIR, &prompter);
    engine.Open(CSoundEngine::Output::Null);
    ASSERT_TRUE(engine.LoadBank(std::span<const int>(s.doc.slotInstrument.data(), 100), s.doc.slotCount));
    TapEngine tap(engine);
    std::recursive_mutex scoreLock;
    PlaybackController controller(s.doc, tap, scoreLock);
    ASSERT_TRUE(controller.play({}, 0));

    // The interface thread is stuck for 200 ms in the middle of the measure.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto busyUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    volatile double sink = 0;
    while (std::chrono::steady_clock::now() < busyUntil)
        sink = sink + 1;
    for (int i = 0; i < 300 && controller.isPlaying(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    controller.stop();

    const auto starts = tap.starts();
    ASSERT_EQ(starts.size(), 8u);
    for (std::size_t i = 1; i < starts.size(); ++i)
        EXPECT_NEAR(starts[i] - starts[0], 125.0 * static_cast<double>(i), 1.0) << "note " << i;
}

TEST(Render, TrackVolumeZeroPlaysFiftyDecibelsBelowFull)
{
    auto level = [](int volume) {
        Score score(60);
        score.add(0, 4, false).notes[2].fret = 3;
        score.doc.volume[0] = volume;
        const Audio a = render(score.doc);
        double sum = 0;
        const auto n = std::min<std::size_t>(a.left.size(), static_cast<std::size_t>(a.rate / 2));
        for (std::size_t i = 0; i < n; ++i)
            sum += a.left[i] * a.left[i];
        return 10 * std::log10(sum / static_cast<double>(n));
    };
    const double full = level(100);
    // 16-bit output: the quiet note still stands well above the last bit.
    EXPECT_NEAR(level(0) - full, -50.0, 1.0);
    EXPECT_NEAR(level(50) - full, -25.0, 0.5);
}

namespace {

Audio renderWith(CTabDoc& doc, RenderRequest request)
{
    TempDir dir;
    ScriptedPrompter prompter;
    const std::string wav = dir.file("out.wav");
    request.tailMs = 0;
    EXPECT_TRUE(renderScoreToWav(doc, request, wav, FRETLARK_BUILD_DIR, prompter));
    EXPECT_TRUE(prompter.messages.empty());
    return readWav(wav);
}

// Onsets of short sounds expected near `times`: each looked for from 200 ms before.
std::vector<double> onsetsNear(const Audio& a, const std::vector<double>& times)
{
    std::vector<double> out;
    for (double t : times)
        out.push_back(onsetMs(a, std::max(0.0, t - 200)));
    return out;
}

} // namespace

TEST(Render, CountInClicksThenTheMusicOneMeasureLater)
{
    Score s(120);
    s.add(0, 4, false).notes[0].fret = 5;
    RenderRequest request;
    request.practice.countIn = true;
    const Audio a = renderWith(s.doc, request);
    const std::vector<double> clicks = onsetsNear(a, {0, 500, 1000, 1500});
    ASSERT_GE(clicks[0], 0);
    ASSERT_LT(clicks[0], 20);
    for (std::size_t i = 1; i < clicks.size(); ++i)
        EXPECT_NEAR(clicks[i] - clicks[0], 500.0 * static_cast<double>(i), 1.0) << "click " << i;

    Score plain(120);
    plain.add(0, 4, false).notes[0].fret = 5;
    const double lead = onsetMs(render(plain.doc), 0);
    EXPECT_NEAR(onsetMs(a, 1800) - lead, 2000, 1.0);
}

TEST(Render, HalfSpeedDoublesTheBeatAndKeepsThePitch)
{
    // Dead notes die within a quarter at 120, so each onset stands alone.
    Score s(120);
    for (int b = 0; b < 2; ++b)
        s.add(0, 4, false).notes[0].fret = model::kDeadFret;
    Score pitched(120);
    pitched.add(0, 4, false).notes[2].fret = 9;

    RenderRequest half;
    half.practice.speedPercent = 50;
    const Audio slow = renderWith(s.doc, half);
    const std::vector<double> onsets = onsetsNear(slow, {0, 1000});
    EXPECT_NEAR(onsets[1] - onsets[0], 1000, 1.0);

    const double normal = periodAt(render(pitched.doc), 150);
    const double halved = periodAt(renderWith(pitched.doc, half), 150);
    ASSERT_GT(normal, 0);
    EXPECT_NEAR(halved / normal, 1.0, 0.01);
}

TEST(Render, ALoopPlayedThreeTimesKeepsEveryOnsetOnTheSchedule)
{
    // Measures 1 and 2 of three, looped: a dead note on every quarter at 120.
    Score s(120, 4, 4, 3);
    for (int m = 0; m < 3; ++m)
        for (int b = 0; b < 4; ++b)
            s.add(m, 4, false).notes[0].fret = model::kDeadFret;
    ScriptedPrompter prompter;
    CSoundEngine engine(FRETLARK_BUILD_DIR, &prompter);
    engine.Open(CSoundEngine::Output::Offline);
    ASSERT_TRUE(engine.LoadBank(std::span<const int>(s.doc.slotInstrument.data(), 100), s.doc.slotCount));
    std::recursive_mutex scoreLock;
    PlaybackController controller(s.doc, engine, scoreLock);
    PlaybackPass::Start start;
    start.loopPlay = true;
    start.practice.loopFirst = 1;
    start.practice.loopLast = 2;
    ASSERT_TRUE(controller.play(start, 0));
    Audio a;
    a.rate = static_cast<int>(engine.outputFormat().samplesPerSec);
    const std::size_t channels = engine.outputFormat().channels;
    const std::vector<float> frames = engine.renderOffline(a.rate * 13);
    for (std::size_t i = 0; i < frames.size(); i += channels)
        a.left.push_back(frames[i]);
    controller.stop();

    std::vector<double> schedule;
    for (int k = 0; k < 24; ++k)
        schedule.push_back(500.0 * k);
    const std::vector<double> onsets = onsetsNear(a, schedule);
    ASSERT_GE(onsets[0], 0);
    for (std::size_t k = 1; k < onsets.size(); ++k)
        EXPECT_NEAR(onsets[k] - onsets[0], schedule[k], 1.0) << "onset " << k;
}
