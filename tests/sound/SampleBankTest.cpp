// Checks the bank the build rendered: every file is where the engine looks,
// in the recordings' format, and sounds the pitch its index stands for.
#include "CSoundEngine.h"
#include "CWave.h"
#include "ModelConstants.h"
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace soundtest;

namespace {

const std::string kRoot = std::string(FRETLARK_BUILD_DIR) + "/";
constexpr int kRate = 22050;

std::string path(int code, int index)
{
    char name[16];
    std::snprintf(name, sizeof name, "/%.2d.wav", index);
    return kRoot + "res/" + CSoundEngine::kInstrumentFolders[static_cast<std::size_t>(code)] + name;
}

std::vector<float> load(int code, int index)
{
    CWave w;
    if (!w.Open(path(code, index)))
        return {};
    const std::vector<std::uint8_t> bytes = w.ReadData();
    std::vector<float> out(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8) / 32768.0f;
    return out;
}

double rmsOf(const std::vector<float>& x, double fromSeconds, double toSeconds)
{
    return rms(x, 1, 0, static_cast<int>(fromSeconds * kRate), static_cast<int>(toSeconds * kRate));
}

bool pitched(int code)
{
    return code != model::kDrums;
}

double expectedHz(int code, int index)
{
    const int midi = (code == model::kBass ? 26 : 38) + index;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

} // namespace

TEST(SampleBank, EveryFileIsThereInTheRecordingsFormat)
{
    for (int code = 0; code < 7; ++code) {
        for (int i = 0; i < CSoundEngine::sampleCount[static_cast<std::size_t>(code)]; ++i) {
            CWave w;
            ASSERT_TRUE(w.Open(path(code, i))) << path(code, i);
            WaveFormat f;
            ASSERT_TRUE(w.GetFormat(f));
            EXPECT_EQ(f, WaveFormat::pcm(22050, 1, 16)) << path(code, i);
            EXPECT_GT(w.GetDataSize(), 20000u);
            EXPECT_LE(w.GetDataSize(), 85000u);
        }
    }
    CWave empty;
    ASSERT_TRUE(empty.Open(kRoot + "res/empty.wav"));
    WaveFormat f;
    ASSERT_TRUE(empty.GetFormat(f));
    EXPECT_EQ(f, WaveFormat::pcm(44100, 2, 16));
    EXPECT_GT(empty.GetDataSize(), 0u);

    // And the engine loads all of it.
    CSoundEngine engine(kRoot, nullptr, {});
    engine.Open(CSoundEngine::Output::Offline);
    const std::array<int, 7> all{0, 1, 2, 3, 4, 5, 6};
    EXPECT_TRUE(engine.LoadBank(all, 7));
    EXPECT_TRUE(engine.isReady());
}

TEST(SampleBank, PitchedSamplesSoundTheNoteOfTheirIndex)
{
    for (int code = 0; code < 7; ++code) {
        if (!pitched(code))
            continue;
        const int deadNote = CSoundEngine::sampleCount[static_cast<std::size_t>(code)] - 1;
        for (int i = 0; i < deadNote; ++i) {
            const std::vector<float> x = load(code, i);
            ASSERT_GT(x.size(), static_cast<std::size_t>(kRate));
            const double want = expectedHz(code, i);
            // Past the pick attack, well inside the note.
            const std::vector<float> segment(x.begin() + kRate / 4, x.begin() + kRate / 4 + 8192);
            const double got = pitch(segment, kRate, want / 1.4, want * 1.4);
            EXPECT_NEAR(1200 * std::log2(got / want), 0.0, 30.0)
                << path(code, i) << ": " << got << " Hz for " << want << " Hz";
        }
    }
    const std::vector<float> e3 = load(model::kFolkGuitar, 14);
    const std::vector<float> segment(e3.begin() + kRate / 4, e3.begin() + kRate / 4 + 8192);
    EXPECT_NEAR(pitch(segment, kRate, 120, 230), 164.8, 1.0);
}

// Playback restarts long notes 1.25 s into their sample: the note must still
// be sounding there, not faded to nothing.
TEST(SampleBank, NotesStillRingAtTheLatestStartPoint)
{
    for (int code = 0; code < 7; ++code) {
        if (!pitched(code))
            continue;
        const int deadNote = CSoundEngine::sampleCount[static_cast<std::size_t>(code)] - 1;
        for (int i = 0; i < deadNote; ++i) {
            const std::vector<float> x = load(code, i);
            const double attack = rmsOf(x, 0.05, 0.15);
            const double late = rmsOf(x, 1.25, 1.35);
            EXPECT_GT(late, attack / 100) << path(code, i); // within 40 dB of the attack
            EXPECT_GT(late, 0.0005) << path(code, i);
        }
    }
}

TEST(SampleBank, DeadNotesAndDrumsAreShortStrikes)
{
    for (int code = 0; code < 7; ++code) {
        const int count = CSoundEngine::sampleCount[static_cast<std::size_t>(code)];
        for (int i = pitched(code) ? count - 1 : 0; i < count; ++i) {
            const std::vector<float> x = load(code, i);
            float peak = 0;
            std::size_t peakAt = 0;
            for (std::size_t k = 0; k < x.size(); ++k)
                if (std::fabs(x[k]) > peak) {
                    peak = std::fabs(x[k]);
                    peakAt = k;
                }
            EXPECT_GT(peak, 0.1f) << path(code, i);
            EXPECT_LT(peakAt, static_cast<std::size_t>(kRate * 3 / 20)) << path(code, i); // struck at once
            if (pitched(code)) { // a dead note is over within a third of a second
                EXPECT_LT(rmsOf(x, 0.3, 0.6), rmsOf(x, 0.0, 0.1) / 100) << path(code, i);
            }
        }
    }
}
