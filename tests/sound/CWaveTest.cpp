#include "CWave.h"
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace soundtest;

namespace {

std::vector<std::uint8_t> bytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

CWave fromImage(const std::string& s)
{
    CWave w;
    w.OpenImage(bytes(s));
    return w;
}

const WaveFormat kMono16 = WaveFormat::pcm(22050, 1, 16);

} // namespace

TEST(CWave, ReadsFormatAndDataOfAPlainFile)
{
    TempDir dir;
    const std::vector<std::int16_t> samples{1, -2, 300, -32768, 32767};
    TempDir::write(dir.file("a.wav"), wav16(22050, 1, samples));
    CWave w;
    ASSERT_TRUE(w.Open(dir.file("a.wav")));
    WaveFormat f;
    ASSERT_TRUE(w.GetFormat(f));
    EXPECT_EQ(f, kMono16);
    EXPECT_EQ(w.GetDataSize(), 10u);
    EXPECT_EQ(w.ReadData(), bytes(pcm16(samples)));
}

TEST(CWave, FindsChunksInAnyOrderPastPaddedOddChunks)
{
    // data before fmt, with an odd-sized chunk in between whose pad byte
    // must be skipped to land on the next header.
    const std::string data = pcm16({7, 8, 9});
    const std::string image = riff("WAVE", {{"LIST", "abc"}, {"data", data}, {"junk", "x"}, {"fmt ", fmtBody(kMono16)}});
    CWave w = fromImage(image);
    WaveFormat f;
    ASSERT_TRUE(w.GetFormat(f));
    EXPECT_EQ(f, kMono16);
    EXPECT_EQ(w.ReadData(), bytes(data));
}

TEST(CWave, ReadDataZeroFillsAndCapsAtTheDestinationSize)
{
    CWave w = fromImage(wav16(22050, 1, {0x0101, 0x0202, 0x0303}));
    std::vector<std::uint8_t> small(4, 0xEE);
    EXPECT_EQ(w.ReadData(small.data(), 4), 4u);
    EXPECT_EQ(small, (std::vector<std::uint8_t>{1, 1, 2, 2}));

    std::vector<std::uint8_t> large(10, 0xEE);
    EXPECT_EQ(w.ReadData(large.data(), 10), 6u);
    EXPECT_EQ(large, (std::vector<std::uint8_t>{1, 1, 2, 2, 3, 3, 0, 0, 0, 0}));
}

TEST(CWave, DataChunkLongerThanTheFileIsCutToWhatIsThere)
{
    std::string image = wav16(22050, 1, {1, 2, 3, 4});
    // Declare 1000 data bytes (offset 40) and 2000 for the form: both lie.
    image.replace(40, 4, le32(1000));
    image.replace(4, 4, le32(2000));
    CWave w = fromImage(image);
    EXPECT_EQ(w.GetDataSize(), 8u);
    std::vector<std::uint8_t> out(100);
    EXPECT_EQ(w.ReadData(out.data(), 100), 8u);
}

TEST(CWave, FormSizeLeftAtZeroByAStreamingWriterStillReads)
{
    const std::string image = riff("WAVE", {{"fmt ", fmtBody(kMono16)}, {"data", pcm16({5, 6})}}, 0);
    CWave w = fromImage(image);
    WaveFormat f;
    EXPECT_TRUE(w.GetFormat(f));
    EXPECT_EQ(w.GetDataSize(), 4u);
}

TEST(CWave, MalformedFilesFailClearly)
{
    WaveFormat f;
    const std::string data = pcm16({1, 2});

    CWave noFmt = fromImage(riff("WAVE", {{"data", data}}));
    EXPECT_FALSE(noFmt.GetFormat(f));
    EXPECT_EQ(noFmt.GetDataSize(), 4u);

    CWave notWave = fromImage(riff("AVI ", {{"fmt ", fmtBody(kMono16)}, {"data", data}}));
    EXPECT_FALSE(notWave.GetFormat(f));
    EXPECT_EQ(notWave.GetDataSize(), 0u);
    EXPECT_TRUE(notWave.ReadData().empty());

    CWave shortFmt = fromImage(riff("WAVE", {{"fmt ", fmtBody(kMono16).substr(0, 10)}, {"data", data}}));
    EXPECT_FALSE(shortFmt.GetFormat(f));

    CWave noData = fromImage(riff("WAVE", {{"fmt ", fmtBody(kMono16)}}));
    EXPECT_EQ(noData.GetDataSize(), 0u);
    std::vector<std::uint8_t> out(4, 0xEE);
    EXPECT_EQ(noData.ReadData(out.data(), 4), 0u);
    EXPECT_EQ(out, std::vector<std::uint8_t>(4, 0));

    CWave garbage = fromImage("this is not a sound file at all");
    EXPECT_FALSE(garbage.GetFormat(f));
    EXPECT_EQ(garbage.GetDataSize(), 0u);
}

TEST(CWave, EmptyMissingAndUnopenedFilesAreRefused)
{
    TempDir dir;
    TempDir::write(dir.file("empty.wav"), "");
    CWave w;
    EXPECT_FALSE(w.Open(dir.file("empty.wav")));
    EXPECT_FALSE(w.Open(dir.file("missing.wav")));
    EXPECT_FALSE(w.OpenImage({}));
    WaveFormat f;
    EXPECT_FALSE(w.GetFormat(f));
    EXPECT_EQ(w.GetDataSize(), 0u);
    EXPECT_EQ(w.ReadData(nullptr, 10), 0u);
}

TEST(CWave, OpeningAnotherFileReplacesTheImage)
{
    TempDir dir;
    TempDir::write(dir.file("a.wav"), wav16(22050, 1, {1, 2, 3}));
    TempDir::write(dir.file("b.wav"), wav16(44100, 2, {1, 2}));
    CWave w;
    ASSERT_TRUE(w.Open(dir.file("a.wav")));
    ASSERT_TRUE(w.Open(dir.file("b.wav")));
    WaveFormat f;
    ASSERT_TRUE(w.GetFormat(f));
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(w.GetDataSize(), 4u);
    EXPECT_FALSE(w.Open(dir.file("missing.wav")));
    EXPECT_FALSE(w.isOpen());
}

// Every truncation and many random corruptions of a valid file: the walk
// must stay inside the image (the sanitizer build checks every read).
TEST(CWave, TruncatedAndCorruptedImagesNeverReadOutside)
{
    const std::string good = riff("WAVE", {{"LIST", "odd"}, {"fmt ", fmtBody(kMono16)}, {"data", pcm16({1, 2, 3, 4, 5})}});
    WaveFormat f;
    std::vector<std::uint8_t> out(64);
    for (std::size_t n = 1; n <= good.size(); ++n) {
        CWave w = fromImage(good.substr(0, n));
        w.GetFormat(f);
        EXPECT_LE(w.GetDataSize(), 10u);
        EXPECT_LE(w.ReadData(out.data(), 64), 10u);
    }
    std::mt19937 rng(42);
    for (int round = 0; round < 2000; ++round) {
        std::string bad = good;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < flips; ++k)
            bad[rng() % bad.size()] = static_cast<char>(rng());
        CWave w = fromImage(bad);
        w.GetFormat(f);
        EXPECT_LE(w.GetDataSize(), bad.size());
        w.ReadData(out.data(), 64);
        w.ReadData();
    }
}
