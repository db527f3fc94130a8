#include "CSoundEngine.h"
#include "ModelConstants.h"
#include "ScriptedPrompter.h"
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

using namespace soundtest;

namespace {

std::vector<std::int16_t> tiny(int)
{
    return sine(441, 22050, 64);
}

std::string openFailure(const std::string& path)
{
    return std::string(CSoundEngine::kCannotOpenSound) + path + CSoundEngine::kCheckInstallation;
}

int loadedCount(const CSoundEngine& e, int slot)
{
    int n = 0;
    for (int i = 0; i < 52; ++i)
        n += e.hasBuffer(slot, i) ? 1 : 0;
    return n;
}

class Bank : public ::testing::Test {
protected:
    Bank()
    {
        bank.writeInstrument(model::kFolkGuitar, 52, tiny);
        bank.writeInstrument(model::kPiano, 52, tiny);
        // Files past the bass's 44 must be left alone.
        bank.writeInstrument(model::kBass, 52, tiny);
        bank.writeInstrument(model::kDrums, 30, tiny);
    }
    CSoundEngine& open(CSoundEngine::Output kind = CSoundEngine::Output::Offline)
    {
        engine = std::make_unique<CSoundEngine>(bank.root(), &prompter, std::vector<std::string>{});
        engine->Open(kind);
        return *engine;
    }

    TestBank bank;
    ScriptedPrompter prompter;
    std::unique_ptr<CSoundEngine> engine;
};

} // namespace

TEST_F(Bank, LoadsEachSlotWithItsInstrumentsCount)
{
    CSoundEngine& e = open();
    const std::array<int, 5> slots{model::kFolkGuitar, model::kBass, model::kFreeSlot, model::kDrums, 7};
    ASSERT_TRUE(e.LoadBank(slots, 5));
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(e.isReady());
    EXPECT_EQ(loadedCount(e, 0), 52);
    EXPECT_EQ(loadedCount(e, 1), 44);
    EXPECT_FALSE(e.hasBuffer(1, 44));
    EXPECT_EQ(loadedCount(e, 2), 0); // code 255: nothing, and no error
    EXPECT_EQ(loadedCount(e, 3), 30);
    EXPECT_EQ(loadedCount(e, 4), 0); // code 7 has no samples
    EXPECT_EQ(e.instrumentOfSlot(1), model::kBass);
}

TEST_F(Bank, OnlySlotsBelowTheCountLoad)
{
    CSoundEngine& e = open();
    const std::array<int, 3> slots{model::kPiano, model::kBass, model::kDrums};
    ASSERT_TRUE(e.LoadBank(slots, 2));
    EXPECT_EQ(loadedCount(e, 1), 44);
    EXPECT_EQ(loadedCount(e, 2), 0);
}

TEST_F(Bank, AMissingFileStopsTheLoadWithItsFullPath)
{
    bank.remove("res/piano/12.wav");
    CSoundEngine& e = open();
    const std::array<int, 3> slots{model::kFolkGuitar, model::kPiano, model::kBass};
    EXPECT_FALSE(e.LoadBank(slots, 3));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], openFailure(bank.root() + "res/piano/12.wav"));
    EXPECT_EQ(prompter.messages[0], "Le fichier son suivant ne peut pas être ouvert : " + bank.root() +
                                        "res/piano/12.wav\nVérifiez votre installation de Fretlark");
    EXPECT_FALSE(e.isReady());
    // What was loaded before the failure stays and can still play.
    EXPECT_EQ(loadedCount(e, 0), 52);
    EXPECT_EQ(loadedCount(e, 1), 12);
    EXPECT_EQ(loadedCount(e, 2), 0);

    bank.writeFile("res/piano/12.wav", wav16(22050, 1, tiny(12)));
    EXPECT_TRUE(e.LoadBank(slots, 3));
    EXPECT_TRUE(e.isReady());
    EXPECT_EQ(loadedCount(e, 2), 44);
}

TEST_F(Bank, AnUnreadableSampleIsReportedLikeAMissingOne)
{
    bank.writeFile("res/guitare acoustique/05.wav", "RIFF....not a wave");
    bank.writeFile("res/basse electrique/03.wav",
                   riff("WAVE", {{"fmt ", fmtBody(WaveFormat::pcm(22050, 6, 16))}, {"data", "abcd"}}));
    CSoundEngine& e = open();
    const std::array<int, 2> guitar{model::kFolkGuitar, model::kBass};
    EXPECT_FALSE(e.LoadBank(guitar, 2));
    EXPECT_EQ(prompter.messages.back(), openFailure(bank.root() + "res/guitare acoustique/05.wav"));
    EXPECT_EQ(loadedCount(e, 0), 5);

    const std::array<int, 1> bass{model::kBass};
    EXPECT_FALSE(e.LoadBank(bass, 1));
    EXPECT_EQ(prompter.messages.back(), openFailure(bank.root() + "res/basse electrique/03.wav"));
}

TEST_F(Bank, LoadSlotAddsOneSlotAndReleaseEmptiesTheBank)
{
    CSoundEngine& e = open();
    std::array<int, 2> slots{model::kFolkGuitar, model::kFreeSlot};
    ASSERT_TRUE(e.LoadBank(slots, 1));
    slots[1] = model::kBass;
    e.LoadSlot(1, slots);
    EXPECT_TRUE(e.isReady());
    EXPECT_EQ(loadedCount(e, 0), 52);
    EXPECT_EQ(loadedCount(e, 1), 44);
    EXPECT_EQ(e.instrumentOfSlot(1), model::kBass);

    e.ReleaseBank();
    EXPECT_EQ(loadedCount(e, 0), 0);
    EXPECT_EQ(loadedCount(e, 1), 0);
    EXPECT_FALSE(e.isReady());
}

TEST_F(Bank, LoadSlotFailureShowsThePathAndLeavesTheEngineNotReady)
{
    bank.remove("res/batterie/29.wav");
    CSoundEngine& e = open();
    std::array<int, 2> slots{model::kFolkGuitar, model::kDrums};
    ASSERT_TRUE(e.LoadBank(slots, 1));
    e.LoadSlot(1, slots);
    EXPECT_FALSE(e.isReady());
    EXPECT_EQ(prompter.messages.back(), openFailure(bank.root() + "res/batterie/29.wav"));
    EXPECT_EQ(loadedCount(e, 1), 29);
}

TEST_F(Bank, WithoutADeviceTheMessageShowsOnceAndNothingLoads)
{
    CSoundEngine& e = open(CSoundEngine::Output::None);
    const std::array<int, 1> slots{model::kFolkGuitar};
    EXPECT_FALSE(e.LoadBank(slots, 1));
    EXPECT_FALSE(e.LoadBank(slots, 1));
    e.LoadSlot(0, slots);
    ASSERT_EQ(prompter.messages.size(), 1u);
    // The first line says what went wrong, the second why (no device was asked for).
    EXPECT_EQ(prompter.messages[0], "Un problème est survenu au cours de l'initialisation de la sortie audio.\n"
                                    "FRETLARK_AUDIO=none");
    EXPECT_EQ(loadedCount(e, 0), 0);
    EXPECT_FALSE(e.isReady());
    // Playing then does nothing, quietly.
    e.PostStart(0, 3);
    e.StartNow(0, 3, 0);
    e.SetVolume(0, 3, -100);
    e.StartOutput();
    e.StopAll();
    e.StopOutput();
    EXPECT_TRUE(e.renderOffline(100).empty());
}

TEST_F(Bank, WithoutTheReferenceFileTheBankLoadsButCannotPlay)
{
    bank.remove("res/empty.wav");
    CSoundEngine& e = open();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], openFailure(bank.root() + "res/empty.wav"));
    EXPECT_TRUE(e.hasDevice());
    EXPECT_FALSE(e.isOpen());
    const std::array<int, 1> slots{model::kFolkGuitar};
    EXPECT_TRUE(e.LoadBank(slots, 1));
    EXPECT_EQ(loadedCount(e, 0), 52);
    EXPECT_FALSE(e.isReady());
    EXPECT_TRUE(e.renderOffline(100).empty());
}

TEST_F(Bank, OutputFormatComesFromTheReferenceFile)
{
    bank.writeFile("res/empty.wav", wav16(48000, 1, {0, 0}));
    CSoundEngine& e = open();
    EXPECT_EQ(e.outputFormat(), WaveFormat::pcm(48000, 1, 16));
    EXPECT_EQ(e.renderOffline(480).size(), 480u);

    bank.writeFile("res/empty.wav", wav16(44100, 2, {0, 0}));
    e.Open(CSoundEngine::Output::Offline);
    EXPECT_EQ(e.outputFormat(), WaveFormat::pcm(44100, 2, 16));
    EXPECT_EQ(e.renderOffline(441).size(), 882u);

    // A format no output can take is reported like a missing file.
    bank.writeFile("res/empty.wav", riff("WAVE", {{"fmt ", fmtBody(WaveFormat::pcm(44100, 8, 16))}}));
    e.Open(CSoundEngine::Output::Offline);
    EXPECT_FALSE(e.isOpen());
    EXPECT_EQ(prompter.messages.back(), openFailure(bank.root() + "res/empty.wav"));
}

TEST(BankLookup, FallsBackToTheFirstFolderHoldingABank)
{
    TestBank installed;
    installed.writeInstrument(model::kFolkGuitar, 1, tiny);
    TempDir empty;
    TempDir iconsOnly; // a res/ without samples, as in a source tree
    std::filesystem::create_directories(iconsOnly.path() / "res");

    CSoundEngine fromFallback(empty.path().string(), nullptr, {iconsOnly.path().string(), installed.root()});
    EXPECT_EQ(fromFallback.resourceRoot(), installed.root());
    EXPECT_EQ(fromFallback.folder(model::kPiano), installed.root() + "res/piano/");
    EXPECT_EQ(fromFallback.samplePath(model::kDrums, 7), installed.root() + "res/batterie/07.wav");
    EXPECT_EQ(fromFallback.folder(7), "");

    CSoundEngine fromBase(installed.root(), nullptr, {empty.path().string()});
    EXPECT_EQ(fromBase.resourceRoot(), installed.root());

    // Nowhere: messages name the place under the base directory.
    CSoundEngine nowhere(empty.path().string(), nullptr, {iconsOnly.path().string()});
    EXPECT_EQ(nowhere.resourceRoot(), empty.path().string() + "/");
}
