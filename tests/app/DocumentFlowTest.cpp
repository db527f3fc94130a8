// Start-up, files in and out, closing, help and the about box, through the
// real window.
#include "AppPaths.h"
#include "CTabView.h"
#include "WindowFixture.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include <filesystem>

namespace {

QStringList recentMenu(CMainFrame& f)
{
    QStringList texts;
    for (const QAction* a : f.fileMenu()->actions()) {
        const int id = a->data().toInt();
        if (id >= 57616 && id <= 57619)
            texts << a->text();
    }
    return texts;
}

// Runs the current directory elsewhere for one test.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir) : previous_(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(dir));
    }
    ~CurrentDirectory() { QDir::setCurrent(previous_); }

private:
    QString previous_;
};

} // namespace

TEST_F(WindowTest, FileNamedOnTheCommandLineOpens)
{
    const std::string path = dir.file("riff.tbf");
    writeScore(path, [](CTabDoc& d) {
        d.title = "Riff du lundi";
        d.tracks[0][0].beats[0].notes[1].fret = 7;
    });
    ASSERT_TRUE(start({QStringLiteral("-style=fusion"), QString::fromStdString(path)}));
    EXPECT_TRUE(app().started());
    EXPECT_TRUE(frame().isVisible());
    EXPECT_EQ(doc().title, "Riff du lundi");
    EXPECT_EQ(doc().pathName, path);
    EXPECT_EQ(doc().tracks[0][0].beats[0].notes[1].fret, 7);
    EXPECT_EQ(doc().isSaved, 1);
    // With a file named, samples and help are looked up beside the program.
    EXPECT_EQ(app().baseDirectory(),
              AppPaths::withSlash(QCoreApplication::applicationDirPath().toStdString()));
    EXPECT_EQ(app().recentFiles().entries(), std::vector<std::string>{path});
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(WindowTest, UnrelatedExtensionFallsBackToANewScore)
{
    const std::string path = dir.file("courses.txt");
    TempDir::write(path, "pain, lait, cordes de guitare\n");
    ASSERT_TRUE(start({QString::fromStdString(path)}));
    EXPECT_TRUE(frame().isVisible());
    EXPECT_EQ(doc().title, "Sans Titre");
    EXPECT_EQ(doc().trackCount, 1);
    EXPECT_EQ(doc().measureCount, 1);
    EXPECT_TRUE(doc().pathName.empty());
    EXPECT_TRUE(app().recentFiles().entries().empty());
}

TEST_F(WindowTest, WithoutAFileTheBaseDirectoryIsTheCurrentOne)
{
    CurrentDirectory here(dir.path().string());
    ASSERT_TRUE(start());
    EXPECT_EQ(app().baseDirectory(), AppPaths::withSlash(QDir::currentPath().toStdString()));
    EXPECT_EQ(doc().title, "Sans Titre");

    // Help comes from beneath it when the page is there...
    std::filesystem::create_directories(dir.path() / "aide");
    TempDir::write(dir.file("aide/Fretlark.htm"), "<html></html>");
    frame().runCommand(32889);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("aide/Fretlark.htm"))));
    // ...and the view's variant from the current directory too.
    frame().runCommand(32831);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], opened[0]);
}

TEST_F(WindowTest, HelpFallsBackToThePageBesideTheProgram)
{
    CurrentDirectory here(dir.path().string());
    ASSERT_TRUE(start());
    frame().runCommand(32889);
    ASSERT_EQ(opened.size(), 1u);
    const QString page = opened[0].toLocalFile();
    EXPECT_TRUE(page.endsWith(QLatin1String("/aide/Fretlark.htm")));
    EXPECT_TRUE(QFileInfo::exists(page)) << page.toStdString();
}

TEST_F(WindowTest, ClosingAsksAboutChangesAndCanBeRefused)
{
    ASSERT_TRUE(start());
    doc().isSaved = 0;
    // Yes, then the Save As dialog cancelled: nothing is lost, the window stays.
    prompter.yesNoAnswers = {true};
    frame().runCommand(57665);
    EXPECT_TRUE(frame().isVisible());
    EXPECT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.saveDialogs, 1);
    EXPECT_EQ(doc().measureCount, 1);
    EXPECT_EQ(doc().tracks[0].GetSize(), 300);

    // Yes and a file: saved, then closed.
    prompter.yesNoAnswers = {true};
    prompter.savePaths = {dir.file("avant-de-partir")};
    EXPECT_TRUE(frame().close());
    EXPECT_TRUE(std::filesystem::exists(dir.file("avant-de-partir.tbf")));
}

TEST_F(WindowTest, NoToTheQuestionClosesWithoutSaving)
{
    ASSERT_TRUE(start());
    doc().isSaved = 0;
    prompter.yesNoAnswers = {false};
    EXPECT_TRUE(frame().close());
    EXPECT_FALSE(frame().isVisible());
    EXPECT_EQ(prompter.questions,
              std::vector<std::string>{"La partition n'a pas été sauvée depuis la dernière modification\n\n"
                                       "Voulez-vous la sauver maintenant ?"});
    EXPECT_EQ(prompter.saveDialogs, 0);
}

TEST_F(WindowTest, OpenOffersTheFileTypesAndRemembersTheFile)
{
    const std::string a = dir.file("a.tbf"), b = dir.file("b.tbf");
    writeScore(a, [](CTabDoc& d) { d.title = "A"; });
    writeScore(b, [](CTabDoc& d) { d.title = "B"; });
    ASSERT_TRUE(start());
    EXPECT_EQ(recentMenu(frame()), QStringList{QStringLiteral("Fichier récent")});

    chooser.answers = {a};
    frame().runCommand(57601);
    ASSERT_EQ(chooser.offeredFilters.size(), 1u);
    EXPECT_EQ(chooser.offeredFilters[0], (std::vector<std::string>{"Tablatures (*.tbf;*.gp3;*.gp4;*.gp5)",
                                                                   "Fichier Fretlark(*.tbf)", "Fichier Gp3(*.gp3)",
                                                                   "Fichier Gp4(*.gp4)", "Guitar Pro 5 (*.gp5)"}));
    EXPECT_EQ(doc().title, "A");
    chooser.answers = {b};
    frame().runCommand(57601);
    EXPECT_EQ(doc().title, "B");
    EXPECT_EQ(recentMenu(frame()).size(), 2);
    EXPECT_TRUE(recentMenu(frame())[0].startsWith(QLatin1String("&1 ")));
    EXPECT_TRUE(recentMenu(frame())[0].endsWith(QLatin1String("b.tbf")));

    // The second entry reopens the first file.
    frame().runCommand(57617);
    EXPECT_EQ(doc().title, "A");
    EXPECT_TRUE(recentMenu(frame())[0].endsWith(QLatin1String("a.tbf")));

    // Cancelling the dialog changes nothing.
    frame().runCommand(57601);
    EXPECT_EQ(doc().title, "A");

    // The list outlives the window.
    app().ExitInstance();
    ASSERT_TRUE(start());
    EXPECT_EQ(app().recentFiles().entries(), (std::vector<std::string>{a, b}));

    // A remembered file that has gone is dropped from the list when chosen.
    std::filesystem::remove(a);
    frame().runCommand(57616);
    EXPECT_EQ(doc().title, "Sans Titre");
    EXPECT_EQ(app().recentFiles().entries(), std::vector<std::string>{b});
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(WindowTest, SaveAsRemembersTheWrittenFile)
{
    ASSERT_TRUE(start());
    doc().title = "Ballade";
    chooser.answers = {dir.file("ballade")};
    frame().runCommand(57604);
    EXPECT_EQ(chooser.suggestions, std::vector<std::string>{"Ballade.tbf"});
    EXPECT_EQ(doc().pathName, dir.file("ballade.tbf"));
    EXPECT_EQ(app().recentFiles().entries(), std::vector<std::string>{dir.file("ballade.tbf")});
    EXPECT_TRUE(std::filesystem::exists(dir.file("ballade.tbf")));
}

TEST_F(WindowTest, DroppedFilesOpen)
{
    const std::string path = dir.file("depose.tbf");
    writeScore(path, [](CTabDoc& d) { d.title = "Déposé"; });
    ASSERT_TRUE(start());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path)), QUrl(QStringLiteral("https://exemple.org/x.tbf"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame(), &drop);
    EXPECT_EQ(doc().title, "Déposé");
    EXPECT_EQ(doc().pathName, path);
}

TEST_F(WindowTest, GuitarPro5FilesComeInByEveryPath)
{
    const std::string gp5 = TempDir::read(std::string(FRETLARK_GP5_DATA) + "/Demo-v5.gp5");
    const std::string cli = dir.file("demo.gp5"), chosen = dir.file("choisi.GP5"), dropped = dir.file("depose.gp5");
    for (const std::string& p : {cli, chosen, dropped})
        TempDir::write(p, gp5);

    ASSERT_TRUE(start({QString::fromStdString(cli)}));
    EXPECT_EQ(doc().title, "Demo for Guitar Pro 5");
    EXPECT_EQ(doc().trackCount, 5);
    EXPECT_EQ(doc().pathName, cli);

    chooser.answers = {chosen};
    frame().runCommand(57601);
    EXPECT_EQ(doc().pathName, chosen);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame(), &drop);
    EXPECT_EQ(doc().pathName, dropped);
    EXPECT_EQ(app().recentFiles().entries(), (std::vector<std::string>{dropped, chosen, cli}));
    EXPECT_TRUE(prompter.messages.empty());

    // Saving writes a native file beside it, the Guitar Pro file untouched.
    chooser.answers = {dir.file("depose.tbf")};
    frame().runCommand(57604);
    EXPECT_EQ(chooser.suggestions, std::vector<std::string>{dir.file("depose.tbf")});
    EXPECT_EQ(doc().pathName, dir.file("depose.tbf"));
    EXPECT_EQ(TempDir::read(dropped), gp5);
}

TEST_F(WindowTest, AboutBoxAndPrintSetupOpenAndClose)
{
    ASSERT_TRUE(start());
    QString title;
    QTimer::singleShot(0, [&title] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            title = box->windowTitle();
            static_cast<QDialog*>(box)->accept();
        }
    });
    frame().runCommand(57664);
    EXPECT_EQ(title, QStringLiteral("A propos de Fretlark"));

    // The print set-up dialog opens on the program's printer and closes.
    bool setupShown = false;
    QTimer::singleShot(0, [&setupShown] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            setupShown = true;
            static_cast<QDialog*>(box)->reject();
        }
    });
    frame().runCommand(57606);
    EXPECT_TRUE(setupShown);
}
