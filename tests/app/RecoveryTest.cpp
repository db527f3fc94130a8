// Recovery copies in the window: written while the score has unsaved changes,
// gone after save, New, Open or an answered close, left by a crash and offered
// at the next start.

#include "Autosave.h"
#include "CTabView.h"
#include "CommandIds.h"
#include "RecoveryStore.h"
#include "TbfFormat.h"
#include "WindowFixture.h"

#include <QTest>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class RecoveryWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        fs::remove_all(folder());
        app().setAutosaveInterval(30000);
        app().setAutosaveClock([this] { return now; });
        app().setRecoveryChooser([this](const std::vector<recovery::Entry>& entries) {
            offered.push_back(entries);
            if (answers.empty())
                return RecoveryChoice{};
            const RecoveryChoice a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        app().setRecoveryChooser(nullptr);
        app().setAutosaveClock(nullptr);
        app().setAutosaveInterval(0);
        fs::remove_all(folder());
    }

    static std::string folder() { return CTabApp::recoveryFolder().toStdString(); }
    // Lets time pass and the timer look at the document; waits for the disk.
    void after(std::int64_t ms)
    {
        now += ms;
        app().checkRecovery();
        app().autosave()->flush();
    }
    bool hasCopy() const { return app().recoveryStore()->hasCopy(); }
    void type(Qt::Key key) { QTest::keyClick(frame().scoreView, key); }
    std::vector<fs::path> filesIn(const std::string& path) const
    {
        std::vector<fs::path> files;
        if (fs::exists(path))
            for (const auto& e : fs::directory_iterator(path))
                if (e.is_regular_file() && e.path().extension() != ".lock")
                    files.push_back(e.path());
        return files;
    }

    std::int64_t now = 1000;
    std::vector<RecoveryChoice> answers;
    std::vector<std::vector<recovery::Entry>> offered;
};

RecoveryChoice choose(RecoveryChoice::Action action, std::size_t index = 0)
{
    return RecoveryChoice{action, index};
}

TEST_F(RecoveryWindowTest, TypedScoreSurvivesACrashAndComesBackModifiedUnderItsOwnPath)
{
    const std::string riff = dir.file("riff.tbf");
    writeScore(riff, [](CTabDoc& d) { d.title = "Riff"; });
    ASSERT_TRUE(start({QString::fromStdString(riff)}));
    EXPECT_TRUE(offered.empty());

    type(Qt::Key_7);
    ASSERT_EQ(doc().isSaved, 0) << "typing marks the score modified";
    after(0); // the timer sees the change
    after(29999);
    EXPECT_FALSE(hasCopy()) << "no copy before 30 s of unsaved changes";
    after(1);
    ASSERT_TRUE(hasCopy());
    type(Qt::Key_Right);
    type(Qt::Key_5);
    after(30000);
    const std::string typed = tbf::write(doc());
    EXPECT_EQ(TempDir::read(app().recoveryStore()->copyPath()), typed);
    const auto info = recovery::parseInfo(TempDir::read(app().recoveryStore()->infoPath()));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->originalPath, riff);

    // The editor dies without closing: the copy stays for the next start.
    const std::string before = TempDir::read(riff);
    app().ExitInstance();
    ASSERT_EQ(filesIn(folder()).size(), 2u);

    answers = {choose(RecoveryChoice::Action::Recover)};
    ASSERT_TRUE(start());
    ASSERT_EQ(offered.size(), 1u);
    ASSERT_EQ(offered[0].size(), 1u);
    EXPECT_EQ(recoveryEntryName(offered[0][0]), "riff.tbf");
    EXPECT_EQ(tbf::write(doc()), typed);
    EXPECT_EQ(doc().isSaved, 0);
    EXPECT_EQ(doc().pathName, riff);
    EXPECT_EQ(TempDir::read(riff), before) << "recovering does not touch the original";
    EXPECT_TRUE(hasCopy()) << "the recovered copy stays until the score is saved";

    frame().runCommand(cmd::FileSave);
    app().autosave()->flush();
    EXPECT_EQ(doc().isSaved, 1);
    CTabDoc saved;
    ASSERT_TRUE(saved.readScore(riff, TempDir::read(riff)));
    const CAccord& first = saved.tracks[0][0].beats[0];
    EXPECT_TRUE(std::any_of(std::begin(first.notes), std::end(first.notes), [](const CNote& n) { return n.fret == 7; }));
    EXPECT_FALSE(hasCopy());
    EXPECT_TRUE(filesIn(folder()).empty());
}

TEST_F(RecoveryWindowTest, SaveNewOpenAndAnsweredCloseRemoveTheCopy)
{
    const std::string other = dir.file("autre.tbf");
    writeScore(other, [](CTabDoc& d) { d.title = "Autre"; });
    ASSERT_TRUE(start());

    // Each time another digit: typing the fret a note already holds changes
    // nothing, and an unchanged score gets no copy.
    int digit = Qt::Key_3;
    const auto writeACopy = [&] {
        type(static_cast<Qt::Key>(digit++));
        after(0);
        after(30000);
        ASSERT_TRUE(hasCopy());
    };
    writeACopy();
    prompter.yesNoAnswers = {false};
    frame().runCommand(cmd::FileNew);
    app().autosave()->flush();
    EXPECT_FALSE(hasCopy()) << "New";

    writeACopy();
    prompter.yesNoAnswers = {false};
    chooser.answers = {other};
    frame().runCommand(cmd::FileOpen);
    app().autosave()->flush();
    EXPECT_EQ(doc().title, "Autre");
    EXPECT_FALSE(hasCopy()) << "Open";

    writeACopy();
    chooser.answers = {dir.file("nouveau")};
    frame().runCommand(cmd::FileSave);
    app().autosave()->flush();
    EXPECT_FALSE(hasCopy()) << "Save";

    writeACopy();
    prompter.yesNoAnswers = {false};
    EXPECT_TRUE(frame().close());
    EXPECT_FALSE(hasCopy()) << "close, answered No";
    app().ExitInstance();
    EXPECT_TRUE(filesIn(folder()).empty());
}

TEST_F(RecoveryWindowTest, IgnoreKeepsDiscardRemovesAndADamagedCopyIsSetAside)
{
    {
        recovery::Store crashed(folder());
        ASSERT_EQ(crashed.claim(), "");
        CTabDoc score;
        score.OnNewDocument();
        score.title = "Perdu";
        ASSERT_EQ(crashed.write(tbf::write(score), {"", 1796711400, "0.1.0"}), "");
        recovery::Store broken(folder());
        ASSERT_EQ(broken.claim(), "");
        ASSERT_EQ(broken.write("\x03TBF garbage", {"/home/ana/casse.tbf", 1796711460, "0.1.0"}), "");
    }

    answers = {choose(RecoveryChoice::Action::Ignore)};
    ASSERT_TRUE(start());
    ASSERT_EQ(offered.size(), 1u);
    ASSERT_EQ(offered[0].size(), 2u);
    EXPECT_EQ(recoveryEntryName(offered[0][0]), "Sans Titre") << "oldest first";
    EXPECT_EQ(recoveryEntryName(offered[0][1]), "casse.tbf");
    EXPECT_EQ(doc().isSaved, 1);
    app().ExitInstance();
    EXPECT_EQ(filesIn(folder()).size(), 4u) << "Ignorer keeps both for later";

    // The damaged one: said so, set aside; then the other one is offered again.
    answers = {choose(RecoveryChoice::Action::Recover, 1), choose(RecoveryChoice::Action::Discard, 0)};
    offered.clear();
    ASSERT_TRUE(start());
    ASSERT_EQ(offered.size(), 2u);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "La copie de récupération de « casse.tbf » est endommagée et ne peut pas être "
                                    "ouverte.\nElle est conservée dans " + folder() + "/damaged.");
    EXPECT_EQ(offered[1].size(), 1u);
    EXPECT_EQ(doc().title, "Sans Titre");
    EXPECT_EQ(doc().isSaved, 1) << "nothing was recovered";
    EXPECT_TRUE(filesIn(folder()).empty()) << "Supprimer removed the other";
    EXPECT_EQ(filesIn(folder() + "/damaged").size(), 2u);
    app().ExitInstance();

    offered.clear();
    ASSERT_TRUE(start());
    EXPECT_TRUE(offered.empty()) << "set-aside copies are not offered again";
}

} // namespace
