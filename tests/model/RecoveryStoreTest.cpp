// The recovery folder: copies and side files, what a later start finds,
// and when copies are due.

#include "RecoveryStore.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

namespace {

namespace fs = std::filesystem;
using recovery::Entry;
using recovery::Info;
using recovery::Store;

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path)
{
    return fs::exists(path);
}

TEST(RecoveryInfo, RandomRecordsReadBackAndOnlyTheWritersSpellingReads)
{
    std::mt19937 rng(17);
    const std::string alphabet = "ab/\\\n =\xc3\xa9.%\t\r";
    auto randomText = [&](int max) {
        std::string s;
        for (int n = std::uniform_int_distribution<int>(0, max)(rng); n > 0; --n)
            s += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        return s;
    };
    for (int i = 0; i < 2000; ++i) {
        Info info{randomText(30), std::uniform_int_distribution<std::int64_t>(INT64_MIN, INT64_MAX)(rng),
                  randomText(8)};
        const std::string text = recovery::formatInfo(info);
        const auto back = recovery::parseInfo(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(*back, info);
        // Any one-byte change either still reads as exactly its own text or is refused.
        std::string changed = text;
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, changed.size() - 1)(rng);
        changed[at] = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
        if (const auto other = recovery::parseInfo(changed)) {
            EXPECT_EQ(recovery::formatInfo(*other), changed);
        }
    }
}

TEST(RecoveryInfo, DamagedSideFilesAreRefused)
{
    const std::string good = "Fretlark recovery 1\npath=/a/b.tbf\ntime=12\nversion=0.1.0\n";
    ASSERT_TRUE(recovery::parseInfo(good));
    for (const std::string& bad : {
             std::string(),
             good.substr(0, good.size() - 1),                                          // cut short
             good + "x",                                                               // trailing bytes
             std::string("Fretlark recovery 2\npath=\ntime=1\nversion=v\n"),           // other layout
             std::string("Fretlark recovery 1\ntime=1\npath=\nversion=v\n"),           // order
             std::string("Fretlark recovery 1\npath=\ntime=+1\nversion=v\n"),          // not our number
             std::string("Fretlark recovery 1\npath=\ntime=007\nversion=v\n"),
             std::string("Fretlark recovery 1\npath=\ntime=99999999999999999999\nversion=v\n"),
             std::string("Fretlark recovery 1\npath=a\\tb\ntime=1\nversion=v\n"),      // unknown escape
             std::string("Fretlark recovery 1\npath=a\\\ntime=1\nversion=v\n"),
             std::string("Fretlark recovery 1\npath=a\0b\ntime=1\nversion=v\n", 45), // NUL in a path
         })
        EXPECT_FALSE(recovery::parseInfo(bad)) << bad;
}

TEST(RecoveryStore, WritesListsAdoptsAndRemoves)
{
    TempDir dir;
    const std::string folder = dir.file("deep/recovery");
    Info info{"/home/ana/riff.tbf", 1796711400, "0.1.0"};
    std::string leftId;
    {
        Store gone(folder);
        ASSERT_EQ(gone.claim(), "");
        EXPECT_FALSE(gone.hasCopy());
        ASSERT_EQ(gone.write("score bytes", info), "");
        EXPECT_EQ(TempDir::read(gone.copyPath()), "score bytes");
        EXPECT_EQ(recovery::parseInfo(TempDir::read(gone.infoPath())), info);
        // Rewriting replaces both files.
        info.savedAt += 30;
        ASSERT_EQ(gone.write("newer bytes", info), "");
        EXPECT_EQ(TempDir::read(gone.copyPath()), "newer bytes");
        leftId = gone.id();
        // Leaving without removing: what a crash leaves.
    }

    Store next(folder);
    ASSERT_EQ(next.claim(), "");
    EXPECT_NE(next.id(), leftId);
    std::vector<Entry> left = next.leftOver();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].id, leftId);
    EXPECT_TRUE(left[0].hasCopy);
    EXPECT_EQ(left[0].info, info);

    ASSERT_TRUE(next.adopt(left[0]));
    EXPECT_TRUE(next.hasCopy());
    EXPECT_EQ(TempDir::read(next.copyPath()), "newer bytes");
    EXPECT_TRUE(next.leftOver().empty());
    EXPECT_FALSE(next.adopt(left[0])) << "a copy is taken over once";

    next.remove();
    EXPECT_FALSE(next.hasCopy());
    EXPECT_FALSE(exists(next.infoPath()));
}

TEST(RecoveryStore, TwoRunningEditorsKeepTheirOwnCopiesAndNeverOfferTheOthers)
{
    TempDir dir;
    Store a(dir.path().string());
    auto b = std::make_unique<Store>(dir.path().string());
    ASSERT_EQ(a.claim(), "");
    ASSERT_EQ(b->claim(), "");
    EXPECT_NE(a.copyPath(), b->copyPath());
    ASSERT_EQ(a.write("A", {"/a.tbf", 1, "v"}), "");
    ASSERT_EQ(b->write("B", {"/b.tbf", 2, "v"}), "");
    EXPECT_TRUE(a.leftOver().empty());
    EXPECT_TRUE(b->leftOver().empty());
    a.remove();
    EXPECT_EQ(TempDir::read(b->copyPath()), "B");

    // A third editor started now sees nothing either; once b is gone, its copy.
    Store c(dir.path().string());
    ASSERT_EQ(c.claim(), "");
    EXPECT_TRUE(c.leftOver().empty());
    const std::string bCopy = b->copyPath();
    b.reset();
    const auto left = c.leftOver();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].copyPath, bCopy);
}

TEST(RecoveryStore, DamagedAndHalfWrittenEntriesAreListedDiscardedOrSetAside)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    writeFile(dir.file("1-old.tbf"), "copy without side file");
    writeFile(dir.file("2-bad.tbf"), "copy");
    writeFile(dir.file("2-bad.info"), "not a side file");
    writeFile(dir.file("3-lone.info"), recovery::formatInfo({"/x.tbf", 5, "v"}));
    writeFile(dir.file("4-stale.lock"), ""); // an editor that left nothing
    writeFile(dir.file("notes.txt"), "not ours");

    Store store(folder);
    ASSERT_EQ(store.claim(), "");
    std::vector<Entry> left = store.leftOver();
    ASSERT_EQ(left.size(), 3u);
    EXPECT_FALSE(exists(dir.file("4-stale.lock")));
    EXPECT_TRUE(exists(dir.file("notes.txt")));
    for (const Entry& e : left) {
        if (e.id == "1-old" || e.id == "2-bad") {
            EXPECT_TRUE(e.hasCopy);
            EXPECT_FALSE(e.info);
        } else {
            EXPECT_EQ(e.id, "3-lone");
            EXPECT_FALSE(e.hasCopy);
            ASSERT_TRUE(e.info);
            EXPECT_EQ(e.info->originalPath, "/x.tbf");
        }
    }

    const auto bad = std::find_if(left.begin(), left.end(), [](const Entry& e) { return e.id == "2-bad"; });
    const std::string aside = store.setAside(*bad);
    ASSERT_EQ(aside, folder + "/damaged");
    EXPECT_EQ(TempDir::read(aside + "/2-bad.tbf"), "copy");
    EXPECT_EQ(TempDir::read(aside + "/2-bad.info"), "not a side file");

    const auto old = std::find_if(left.begin(), left.end(), [](const Entry& e) { return e.id == "1-old"; });
    Store::discard(*old);
    EXPECT_FALSE(exists(dir.file("1-old.tbf")));
    ASSERT_EQ(store.leftOver().size(), 1u);
}

TEST(RecoveryStore, AFolderThatCannotBeMadeIsReported)
{
    TempDir dir;
    writeFile(dir.file("file"), "");
    Store store(dir.file("file/recovery"));
    EXPECT_NE(store.claim(), "");
    EXPECT_FALSE(store.claimed());
    EXPECT_NE(store.write("x", {}), "");
}

TEST(RecoveryWriter, TheNewestRequestWinsAndFlushWaits)
{
    TempDir dir;
    Store store(dir.path().string());
    ASSERT_EQ(store.claim(), "");
    {
        recovery::BackgroundWriter writer(store);
        for (int i = 0; i < 50; ++i)
            writer.write("copy " + std::to_string(i), {"/p", i, "v"});
        writer.flush();
        EXPECT_EQ(TempDir::read(store.copyPath()), "copy 49");
        EXPECT_EQ(recovery::parseInfo(TempDir::read(store.infoPath()))->savedAt, 49);

        writer.write("late", {});
        writer.remove();
        writer.flush();
        EXPECT_FALSE(store.hasCopy());
        writer.write("last", {});
    } // the destructor finishes the last request
    EXPECT_EQ(TempDir::read(store.copyPath()), "last");
}

TEST(RecoverySchedule, FirstCopyAnIntervalAfterTheFirstChangeThenAtMostOncePerInterval)
{
    recovery::Schedule s(30000);
    struct Step {
        std::int64_t now;
        bool modified;
        bool due;
    };
    const Step steps[] = {
        {0, false, false},     {1000, true, false},   {30999, true, false}, {31000, true, true},
        {40000, true, true},   // not written yet: still due
        {70000, true, true},   // written at 40000 below, due again 30 s later
        {80000, false, false}, // saved
        {90000, true, false},  {119999, true, false}, {120000, true, true},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(s.due(step.modified, step.now), step.due) << step.now;
        if (step.now == 40000) {
            s.written(40000);
            EXPECT_FALSE(s.due(true, 69999));
        }
    }
    s.reset();
    EXPECT_FALSE(s.due(true, 200000));
    EXPECT_TRUE(s.due(true, 230000));
}

} // namespace
