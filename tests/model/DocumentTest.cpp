#include "CTabDoc.h"
#include "ScriptedPrompter.h"
#include "TbfFormat.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>

namespace {

struct RecordingListener : DocumentListener {
    bool windowUp = true;
    int stops = 0, releases = 0, updates = 0, cursorIndex = 0;
    bool isWindowUp() const override { return windowUp; }
    void stopPlayback() override { ++stops; }
    void releaseSamples() override { ++releases; }
    void documentUpdated() override { ++updates; }
    int cursorMeasureIndex() const override { return cursorIndex; }
    void setCursorMeasureIndex(int i) override { cursorIndex = i; }
};

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc.setPrompter(&prompter);
        doc.setListener(&listener);
        ASSERT_TRUE(doc.OnNewDocument());
    }
    CTabDoc doc;
    ScriptedPrompter prompter;
    RecordingListener listener;
    TempDir dir;
};

} // namespace

TEST_F(DocumentTest, NewScoreDefaults)
{
    EXPECT_EQ(doc.trackCount, 1);
    EXPECT_EQ(doc.measureCount, 1);
    EXPECT_EQ(doc.title, "Sans Titre");
    EXPECT_EQ(doc.tracks[0].GetSize(), 300);
    EXPECT_EQ(doc.tracks[9][5].instrumentSlot, 9);
    EXPECT_EQ(doc.tracks[0][0].flags, 3);
    EXPECT_EQ(doc.tracks[0][1].flags, 8);
    EXPECT_EQ(doc.tracks[0][0].beatCount, 1);
    EXPECT_EQ(doc.slotInstrument[0], 0);
    EXPECT_EQ(doc.slotInstrument[1], 255);
    EXPECT_EQ(doc.isSaved, 1);
    EXPECT_EQ(doc.isFreshLoad, 1);
    EXPECT_EQ(listener.stops, 1);
    EXPECT_EQ(listener.releases, 1);
}

TEST_F(DocumentTest, UntouchedNewScoreSavesAsTheMinimalFile)
{
    const std::string path = dir.file("song");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const std::string bytes = TempDir::read(path + ".tbf");
    ASSERT_EQ(bytes.size(), 68u);
    EXPECT_EQ(bytes[65], 6); // whole-note beat without notes
    EXPECT_EQ(doc.pathName, path + ".tbf");
    EXPECT_EQ(doc.isSaved, 1);
}

TEST_F(DocumentTest, SaveAppendsExtensionOnlyWhenMissing)
{
    EXPECT_EQ(CTabDoc::savePathFor("a/song"), "a/song.tbf");
    EXPECT_EQ(CTabDoc::savePathFor("a/song.gp4"), "a/song.gp4.tbf");
    EXPECT_EQ(CTabDoc::savePathFor("a/song.TBF"), "a/song.TBF");
}

TEST_F(DocumentTest, LastMeasureIsCompletedWithRests)
{
    CMesure& m = doc.tracks[0][0];
    m.beats[0].notes[2].fret = 5;
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("q.tbf")));
    const CMesure& saved = doc.tracks[0][0];
    ASSERT_EQ(saved.beatCount, 3);
    EXPECT_EQ(saved.beats[0].notes[2].fret, 5);
    EXPECT_EQ(saved.beats[1].durationCode, 5);
    EXPECT_EQ(saved.beats[1].isRest, 1);
    EXPECT_EQ(saved.beats[2].durationCode, 4);
    EXPECT_EQ(saved.beats[2].isRest, 1);
    EXPECT_EQ(saved.flags & 2, 2);
}

TEST_F(DocumentTest, FullTripletMeasureGetsNoExtraRests)
{
    CMesure& m = doc.tracks[0][0];
    resetMeasureBeats(m, 6);
    m.beatCount = 6; // two triplet groups of quarters fill a 4/4
    for (int i = 0; i < 6; ++i) {
        m.beats[i].notes[0].fret = i;
        m.beats[i].isTriplet = i % 3 == 0;
    }
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("t.tbf")));
    EXPECT_EQ(doc.tracks[0][0].beatCount, 6);
}

TEST_F(DocumentTest, MultiTrackEndKeepsEveryNote)
{
    doc.trackCount = 2;
    doc.measureCount = 2;
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 2; ++m) {
            CMesure& measure = doc.tracks[t][m];
            resetMeasureBeats(measure, 4);
            measure.beatCount = 4;
        }
    doc.tracks[1][1].beats[0].notes[0].fret = 9; // only track 1 plays in the last measure
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("m.tbf")));
    EXPECT_EQ(doc.measureCount, 2);
    EXPECT_EQ(doc.tracks[1][1].beats[0].notes[0].fret, 9);
    const CMesure& rests = doc.tracks[0][1];
    ASSERT_EQ(rests.beatCount, 1);
    EXPECT_EQ(rests.beats[0].isRest, 1);
    EXPECT_EQ(rests.beats[0].durationCode, 6);

    // Now empty everywhere: the last measure goes in both tracks.
    doc.tracks[1][1].beats[0].notes[0].fret = 27;
    for (int t = 0; t < 2; ++t) {
        doc.tracks[t][1].beats.SetSize(1);
        doc.tracks[t][1].beats[0] = CAccord();
        doc.tracks[t][1].beatCount = 1;
    }
    listener.cursorIndex = 1;
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("m.tbf")));
    EXPECT_EQ(doc.measureCount, 1);
    EXPECT_EQ(doc.tracks[0].GetSize(), 1);
    EXPECT_EQ(doc.tracks[1].GetSize(), 1);
    EXPECT_EQ(listener.cursorIndex, 0);
}

TEST_F(DocumentTest, OpenChoosesReaderByLowerCasedExtensionOrSniff)
{
    doc.tracks[0][0].beats[0].notes[1].fret = 3;
    doc.notes = "kept";
    const std::string saved = dir.file("song.TBF");
    ASSERT_TRUE(doc.OnSaveDocument(saved));
    const std::string bytes = TempDir::read(saved);

    const std::string dat = dir.file("song.dat");
    TempDir::write(dat, bytes);
    ASSERT_TRUE(doc.OnOpenDocument(dat));
    EXPECT_FALSE(doc.lastOpenFailed());
    EXPECT_EQ(doc.tracks[0][0].beats[0].notes[1].fret, 3);

    ASSERT_TRUE(doc.OnOpenDocument(saved));
    EXPECT_FALSE(doc.lastOpenFailed());
    EXPECT_EQ(doc.notes, "kept");

    // The same bytes named .gp3 go to the Guitar Pro reader, which cannot read them.
    const std::string gp3 = dir.file("song.gp3");
    TempDir::write(gp3, bytes);
    prompter.messages.clear();
    EXPECT_TRUE(doc.OnOpenDocument(gp3));
    EXPECT_TRUE(doc.lastOpenFailed());
    EXPECT_EQ(doc.title, "Sans Titre");
    EXPECT_EQ(doc.tracks[0][0].beats[0].notes[1].fret, 27);
}

TEST_F(DocumentTest, NotesSurviveNewButNotOpen)
{
    doc.notes = "to keep";
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.notes, "to keep");

    CTabDoc other;
    other.OnNewDocument();
    other.notes = "";
    const std::string path = dir.file("other.tbf");
    ASSERT_TRUE(other.OnSaveDocument(path));
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.notes, "");
}

TEST_F(DocumentTest, TruncatedFileReportsEarlyEndAndGivesNewScore)
{
    doc.tracks[0][0].beats[0].notes[1].fret = 3;
    const std::string path = dir.file("cut.tbf");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    std::string bytes = TempDir::read(path);
    TempDir::write(path, bytes.substr(0, bytes.size() - 3));
    EXPECT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(doc.lastOpenFailed());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "Tentative d'accès à " + path + " après sa fin.");
    EXPECT_EQ(doc.measureCount, 1);
    EXPECT_EQ(doc.tracks[0][0].beats[0].notes[1].fret, 27);
}

TEST_F(DocumentTest, ModifiedPromptSavesAsOrAbandons)
{
    doc.isSaved = 0;
    doc.tracks[0][0].beats[0].notes[0].fret = 1;

    // No: the new score replaces the work.
    prompter.yesNoAnswers = {false};
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0],
              "La partition n'a pas été sauvée depuis la dernière modification\n\nVoulez-vous la sauver maintenant ?");
    EXPECT_EQ(doc.tracks[0][0].beats[0].notes[0].fret, 27);

    // Yes on an untitled score, then cancel the chooser: nothing happens.
    doc.isSaved = 0;
    doc.tracks[0][0].beats[0].notes[0].fret = 1;
    prompter.yesNoAnswers = {true};
    EXPECT_FALSE(doc.OnNewDocument());
    EXPECT_EQ(prompter.saveDialogs, 1);
    EXPECT_EQ(doc.tracks[0][0].beats[0].notes[0].fret, 1);
    EXPECT_EQ(doc.isSaved, 0);
    prompter.yesNoAnswers = {true};
    EXPECT_FALSE(doc.OnCloseDocument());
    EXPECT_EQ(doc.tracks[0][0].beats[0].notes[0].fret, 1);

    // Yes, and a path: saved there, then the new score.
    const std::string target = dir.file("kept");
    prompter.yesNoAnswers = {true};
    prompter.savePaths = {target};
    ASSERT_TRUE(doc.OnNewDocument());
    CTabDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(target + ".tbf"));
    EXPECT_EQ(reread.tracks[0][0].beats[0].notes[0].fret, 1);

    // A titled score that was saved before is saved to its own path without a chooser.
    doc.title = "Riff";
    ASSERT_TRUE(doc.OnSaveDocument(target));
    doc.isSaved = 0;
    prompter.saveDialogs = 0;
    prompter.yesNoAnswers = {true};
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(prompter.saveDialogs, 0);
}

TEST_F(DocumentTest, FailedSaveKeepsPreviousFile)
{
    const std::string path = dir.file("keep.tbf");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const std::string before = TempDir::read(path);

    // A file-size limit makes the write fail half-way, whoever runs the test.
    doc.title = std::string(5000, 'x');
    doc.isSaved = 0;
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = doc.OnSaveDocument(path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(doc.isSaved, 0);
    EXPECT_EQ(TempDir::read(path), before);
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_NE(prompter.messages.back().find("Impossible d'enregistrer le fichier " + path), std::string::npos);
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(DocumentTest, SaveIntoMissingFolderFailsCleanly)
{
    EXPECT_FALSE(doc.OnSaveDocument(dir.file("no/such/folder/x.tbf")));
    EXPECT_EQ(doc.isSaved, 0);
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(DocumentTest, TooManyBeatsIsRefusedNotCorrupted)
{
    CMesure& m = doc.tracks[0][0];
    m.beats.SetSize(300);
    m.beatCount = 300;
    for (int i = 0; i < 300; ++i) {
        m.beats[i].isTriplet = 1;
        m.beats[i].notes[0].fret = 1;
    }
    const std::string path = dir.file("big.tbf");
    EXPECT_FALSE(doc.OnSaveDocument(path));
    EXPECT_FALSE(std::filesystem::exists(path));
}
