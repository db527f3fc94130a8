// The shell's plain parts, without a window.
#include "AppPaths.h"
#include "CTabDoc.h"
#include "CommandIds.h"
#include "CommandRouter.h"
#include "CommandTable.h"
#include "DocumentCommands.h"
#include "FileFilter.h"
#include "RecentFileList.h"
#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "TrackLabels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

TEST(CommandTable, EveryOfferedCommandHasOneEntryAndATip)
{
    std::set<int> known(CommandTable::allCommands().begin(), CommandTable::allCommands().end());
    EXPECT_EQ(known.size(), CommandTable::allCommands().size()) << "an id is listed twice";
    std::vector<int> offered;
    for (const MenuDef& m : CommandTable::menuBar())
        for (const MenuItemDef& i : m.items)
            offered.push_back(i.id);
    for (const ToolbarDef& b : CommandTable::toolbars())
        offered.insert(offered.end(), b.buttons.begin(), b.buttons.end());
    for (const AcceleratorDef& a : CommandTable::accelerators())
        offered.push_back(a.id);
    for (int id : offered) {
        if (id == cmd::Separator)
            continue;
        EXPECT_TRUE(known.count(id)) << id;
        EXPECT_FALSE(CommandTable::toolTip(id).empty()) << id;
        EXPECT_FALSE(CommandTable::statusPrompt(id).empty()) << id;
    }
}

TEST(CommandTable, PromptAndTipSplitAtTheNewline)
{
    EXPECT_EQ(CommandTable::statusPrompt(cmd::Play), "Lecture");
    EXPECT_EQ(CommandTable::toolTip(cmd::Play), "Lecture à partir de la position courante");
    EXPECT_EQ(CommandTable::toolTip(cmd::PlayFromStart), "Lecture à partir du début");
    EXPECT_EQ(CommandTable::toolTip(cmd::Arpeggio), "Arpège");
    EXPECT_EQ(CommandTable::statusPrompt(cmd::Arpeggio), "Arpéger l'accord");
    // Without a newline the one text serves both.
    EXPECT_EQ(CommandTable::toolTip(cmd::DeadNote), "Note Etoufée");
    EXPECT_EQ(CommandTable::statusPrompt(cmd::Whole), "Ronde");
    EXPECT_EQ(CommandTable::toolTip(cmd::FileNew), "Nouveau");
    EXPECT_EQ(CommandTable::statusPrompt(cmd::FileNew), "Crée un nouveau document");
    EXPECT_EQ(CommandTable::stringOf(12345), "");
}

TEST(CommandTable, TrackCommandsMapBothWays)
{
    const int expected[] = {32835, 32836, 32837, 32838, 32839, 32840, 32841, 32842, 32861, 32862};
    for (int t = 0; t < 10; ++t) {
        EXPECT_EQ(CommandTable::commandOfTrack(t), expected[t]);
        EXPECT_EQ(CommandTable::trackOfCommand(expected[t]), t);
    }
    EXPECT_EQ(CommandTable::trackOfCommand(32843), -1);
    EXPECT_EQ(CommandTable::commandOfTrack(10), cmd::Separator);
}

namespace {

// A link of the route that records what reaches it.
class Recorder : public CommandTarget {
public:
    Recorder(std::vector<std::string>& log, std::string name, std::set<int> handles, std::set<int> ticks = {})
        : log_(log), name_(std::move(name)), handles_(std::move(handles)), ticks_(std::move(ticks))
    {
    }
    bool onCommand(int id) override
    {
        log_.push_back(name_);
        return handles_.count(id) > 0;
    }
    bool onUpdateCommand(int id, CommandState& state) override
    {
        if (!ticks_.count(id))
            return false;
        state.checked = name_ == "frame";
        return true;
    }

private:
    std::vector<std::string>& log_;
    std::string name_;
    std::set<int> handles_;
    std::set<int> ticks_;
};

} // namespace

TEST(CommandRouter, FirstTargetThatHandlesWinsInRouteOrder)
{
    std::vector<std::string> log;
    Recorder view(log, "view", {1}), doc(log, "doc", {2}), frame(log, "frame", {2, 3}, {5}), app(log, "app", {3, 4}, {5});
    CommandRouter router;
    router.setChain({&view, &doc, &frame, &app});

    EXPECT_TRUE(router.dispatch(2));
    EXPECT_EQ(log, (std::vector<std::string>{"view", "doc"}));
    log.clear();
    EXPECT_TRUE(router.dispatch(4));
    EXPECT_EQ(log.size(), 4u);
    log.clear();
    EXPECT_FALSE(router.dispatch(9)); // a command of a later feature: nothing happens
    EXPECT_EQ(log.size(), 4u);

    EXPECT_TRUE(router.update(5).checked); // the frame answers before the application
    EXPECT_FALSE(router.update(6).checked);
}

TEST(TrackLabels, NameTrimmedOrInstrumentName)
{
    CTabDoc doc;
    doc.OnNewDocument();
    doc.trackCount = 4;
    doc.slotCount = 4;
    doc.slotInstrument[1] = model::kBass;
    doc.slotInstrument[2] = model::kPiano;
    doc.slotInstrument[3] = model::kDrums;
    doc.trackNames[1] = "  Solo ";
    doc.trackNames[2] = " \t ";
    doc.trackNames[3] = "\tBatt & co\n";
    EXPECT_EQ(TrackLabels::of(doc), (std::vector<std::string>{"Guitare Folk", "Solo", "Piano", "Batt & co"}));
    EXPECT_EQ(TrackLabels::labelOf(doc, 10), "");
    EXPECT_EQ(TrackLabels::labelOf(doc, -1), "");
    doc.tracks[3].RemoveAll(); // a track without measures has no instrument to show
    doc.trackNames[3].clear();
    EXPECT_EQ(TrackLabels::labelOf(doc, 3), "");
    doc.trackCount = 12;
    EXPECT_EQ(TrackLabels::of(doc).size(), 10u);
}

TEST(RecentFileList, NewestFirstWithoutRepeatsCutToFour)
{
    RecentFileList list;
    for (const char* p : {"/a.tbf", "/b.tbf", "/c.tbf", "/d.tbf", "/e.tbf"})
        list.add(p);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/e.tbf", "/d.tbf", "/c.tbf", "/b.tbf"}));
    list.add("/c.tbf");
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/c.tbf", "/e.tbf", "/d.tbf", "/b.tbf"}));
    list.remove(1);
    list.remove(7);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/c.tbf", "/d.tbf", "/b.tbf"}));
    list.add("");
    EXPECT_EQ(list.entries().size(), 3u);

    list.setEntries({"/x", "", "/y", "/x", "/z", "/w", "/v"});
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/x", "/y", "/z", "/w"}));
}

TEST(RecentFileList, MenuTextNumbersShortensAndEscapes)
{
    EXPECT_EQ(RecentFileList::menuText(0, "/home/ana/riffs/blues.tbf", "/home/ana"), "&1 ~/riffs/blues.tbf");
    EXPECT_EQ(RecentFileList::menuText(3, "/home/anatole/x.tbf", "/home/ana"), "&4 /home/anatole/x.tbf");
    EXPECT_EQ(RecentFileList::menuText(1, "/srv/Rock & Roll.tbf", ""), "&2 /srv/Rock && Roll.tbf");
    const std::string longPath = "/home/ana/" + std::string(70, 'd') + "/concerts/live.tbf";
    EXPECT_EQ(RecentFileList::menuText(0, longPath, "/home/ana"), "&1 ~/…/concerts/live.tbf");
}

TEST(AppPaths, BaseDirectoryAndHelpPage)
{
    EXPECT_EQ(AppPaths::baseDirectory(true, "/opt/fretlark/bin", "/home/ana/scores"), "/opt/fretlark/bin/");
    EXPECT_EQ(AppPaths::baseDirectory(false, "/opt/fretlark/bin/", "/home/ana/scores"), "/home/ana/scores/");
    EXPECT_EQ(AppPaths::withSlash("/"), "/");
    EXPECT_EQ(AppPaths::withSlash("/a//"), "/a/");
    EXPECT_EQ(AppPaths::withSlash(""), "");

    TempDir first, second;
    std::filesystem::create_directories(second.path() / "aide");
    TempDir::write(second.file("aide/Fretlark.htm"), "<html></html>");
    const std::string a = first.path().string(), b = second.path().string();
    EXPECT_EQ(AppPaths::findHelpPage({a, b}), b + "/aide/Fretlark.htm");
    EXPECT_EQ(AppPaths::findHelpPage({a}), a + "/aide/Fretlark.htm"); // none there: the first, to fail quietly
    EXPECT_EQ(AppPaths::findHelpPage({"", b}), b + "/aide/Fretlark.htm");
}

TEST(FileFilter, LinesInOrderAndEveryPatternFilters)
{
    const auto& filters = FileFilter::documentFilters();
    ASSERT_EQ(filters.size(), 5u);
    EXPECT_EQ(filters[0].text, "Tablatures (*.tbf;*.gp3;*.gp4;*.gp5)");
    EXPECT_EQ(filters[1].text, "Fichier Fretlark(*.tbf)");
    EXPECT_EQ(filters[2].text, "Fichier Gp3(*.gp3)");
    EXPECT_EQ(filters[3].text, "Fichier Gp4(*.gp4)");
    EXPECT_EQ(filters[4].text, "Guitar Pro 5 (*.gp5)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.tbf", "*.gp3", "*.gp4", "*.gp5"}));
    for (const char* name : {"a.tbf", "B.GP3", "c.gp4", "x.y.Tbf", "d.GP5"})
        EXPECT_TRUE(filters[0].matches(name)) << name;
    for (const char* name : {"a.tbf.bak", "gp3", "a.gp6", ""})
        EXPECT_FALSE(filters[0].matches(name)) << name;
    EXPECT_FALSE(filters[2].matches("a.tbf"));
    EXPECT_EQ(FileFilter::patternsOf("Tout (*.a *.b;*.c)"), (std::vector<std::string>{"*.a", "*.b", "*.c"}));
    EXPECT_TRUE(FileFilter::patternsOf("pas de motif").empty());
    const FileFilter wild{"", {"a?c*"}};
    EXPECT_TRUE(wild.matches("abcdef"));
    EXPECT_FALSE(wild.matches("ac"));
}

class DocumentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc.setPrompter(&prompter);
        doc.OnNewDocument();
        commands.setFileChooser(&chooser);
        commands.setSavedHandler([this](const std::string& p) { saved.push_back(p); });
    }
    TempDir dir;
    CTabDoc doc;
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    DocumentCommands commands{doc};
    std::vector<std::string> saved;
};

TEST_F(DocumentCommandsTest, SaveWithoutPathAsksAndCancelWritesNothing)
{
    doc.isSaved = 0;
    EXPECT_TRUE(commands.onCommand(cmd::FileSave));
    EXPECT_EQ(chooser.offeredFilters.size(), 1u);
    EXPECT_EQ(chooser.suggestions.back(), "Sans Titre.tbf");
    EXPECT_EQ(doc.isSaved, 0);
    EXPECT_TRUE(saved.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    chooser.answers.push_back(dir.file("riff"));
    EXPECT_TRUE(commands.save());
    EXPECT_EQ(saved, (std::vector<std::string>{dir.file("riff.tbf")}));
    EXPECT_TRUE(std::filesystem::exists(dir.file("riff.tbf")));

    // Now it has a path: Save asks nothing.
    doc.isSaved = 0;
    EXPECT_TRUE(commands.save());
    EXPECT_EQ(chooser.offeredFilters.size(), 2u);
    EXPECT_EQ(doc.isSaved, 1);
    EXPECT_FALSE(commands.onCommand(cmd::FileOpen));
}

TEST_F(DocumentCommandsTest, FailedSaveIsNotRemembered)
{
    chooser.answers.push_back(dir.file("missing/folder/x"));
    EXPECT_FALSE(commands.saveAs());
    EXPECT_TRUE(saved.empty());
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(DocumentCommandsTest, SuggestedNameComesFromPathOrTitle)
{
    doc.title = " Blues en /mi\x01 ";
    EXPECT_EQ(DocumentCommands::suggestedName(doc), "Blues en _mi_.tbf");
    doc.title = "..";
    EXPECT_EQ(DocumentCommands::suggestedName(doc), "Sans Titre.tbf");
    doc.title = std::string(119, 'a') + "é"; // cut before a split character
    EXPECT_EQ(DocumentCommands::suggestedName(doc), std::string(119, 'a') + ".tbf");
    doc.pathName = "/x/song.GP4";
    EXPECT_EQ(DocumentCommands::suggestedName(doc), "/x/song.tbf");
    doc.pathName = "/x/song.gp5";
    EXPECT_EQ(DocumentCommands::suggestedName(doc), "/x/song.tbf");
    doc.pathName = "/x/song.tbf";
    EXPECT_EQ(DocumentCommands::suggestedName(doc), "/x/song.tbf");
}
