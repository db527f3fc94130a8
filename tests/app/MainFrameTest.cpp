// The main window as a user meets it: menus, shortcuts, toolbars, bars
// shown and hidden, the track list.
#include "CBlueToolBar.h"
#include "CMyToolbar.h"
#include "CTabView.h"
#include "WindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QShortcut>
#include <QToolButton>

#include <memory>
#include <set>

namespace {

using Items = std::vector<std::pair<int, std::string>>;

// The menu bar as the program's menu resource lists it.
const std::vector<std::pair<std::string, Items>> kMenus = {
    {"&Fichier",
     {{57600, "&Nouveau\tCtrl+N"}, {57601, "&Ouvrir...\tCtrl+O"}, {57603, "&Enregistrer\tCtrl+S"},
      {57604, "En&registrer sous..."}, {57607, "&Imprimer...\tCtrl+P"}, {57609, "Aperçu a&vant impression"},
      {57606, "C&onfiguration de l'impression..."}, {32920, "E&xporter en PDF..."}, {57616, "Fichier récent"}, {57665, "&Quitter"}}},
    {"&Edition",
     {{57643, "Impossible d'annuler\tCtrl+Z"}, {57644, "Impossible de rétablir\tCtrl+Y"},
      {32873, "&Propriétés de la partition\tF5"}, {32860, "&Insérer une mesure"}, {32848, "&Ajouter une piste"},
      {32869, "&Supprimer cette piste"}, {32846, "Coller\tCtrl+V"}, {32845, "Copier\tCtrl+C"},
      {32847, "Couper\tCtrl+X"}, {32820, "Insérer\tIns"}, {32821, "Supprimer\tSuppr"}, {32815, "Lecture"},
      {32818, "Retour rapide"}, {32817, "Avance Rapide"}}},
    {"Effe&ts",
     {{32782, "Note Etouffée\tX"}, {32783, "Silence\tS"}, {32799, "Liaison\tL"}, {32785, "Pull Off\tP"},
      {32784, "Hammer On\tH"}, {32786, "Slide Up\t/"}, {32787, "Slide Down\t*"}, {32858, "Arpéger l'accord\t$"},
      {32795, "Tapping\tT"}, {32796, "Tapping Main Gauche"}, {32797, "Harmonique Naturelle\tN"},
      {32798, "Harmonique Artificielle\tA"}, {32863, "Slap\tJ"}, {32865, "Pop\tK"}, {32788, "Bend\tB"},
      {32789, "Note tenue\tZ"}, {32790, "Release\tR"}, {32791, "Bend & Release\tE"}, {32792, "Vibrato\tV"},
      {32793, "Tremolo\tW"}, {32794, "Coup de Barre\tC"}, {32800, "Palm Mute\tM"}}},
    {"&Réglages",
     {{32859, "Défilement pendant la lecture"}, {32871, "Affichage &Multi-Partitions"}, {32810, "&Tempo"},
      {32808, "&Signature"}, {32834, "&Volumes"}, {32803, "&Capodastre"}, {32866, "&Accorder l'instrument"},
      {32874, "Ajuster les &effets"}, {32812, "Zoom &+"}, {32814, "Zoom &-"}}},
    {"&Affichage",
     {{32801, "Rythme"}, {32802, "Effets"}, {32809, "Réglages"}, {59392, "&Outils standards"},
      {59393, "Barre d'é&tat"}, {32884, "Fond Vert"}, {32885, "Fond Turquoise"}, {32886, "Fond Bleu"},
      {32887, "Fond Gris"}, {32888, "Fond Relief"}}},
    {"&Pistes", {{32835, "Guitare Folk"}}},
    {"&?", {{32889, "Aide Fretlark"}, {57664, "&A propos de Fretlark..."}}},
};

// The menu text as written in the resource: Qt needs "&&" where an '&' is shown.
std::string resourceText(const QAction* a)
{
    return a->text().replace(QLatin1String("&& "), QLatin1String("& ")).toStdString();
}

Items itemsOf(const QMenu* menu)
{
    Items items;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator() && a->isVisible())
            items.emplace_back(a->data().toInt(), resourceText(a));
    return items;
}

std::vector<int> buttonsOf(const QToolBar* bar)
{
    std::vector<int> ids;
    for (const QAction* a : bar->actions())
        ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
    return ids;
}

QStringList visibleTrackMenu(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* a : menu->actions())
        texts << a->text();
    return texts;
}

} // namespace

TEST_F(WindowTest, MenusMatchTheResourceTable)
{
    ASSERT_TRUE(start());
    EXPECT_EQ(frame().windowTitle(), QStringLiteral("Fretlark"));
    const QList<QAction*> menus = frame().menuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<int>(kMenus.size()));
    for (std::size_t i = 0; i < kMenus.size(); ++i) {
        const QAction* top = menus[static_cast<int>(i)];
        EXPECT_EQ(top->text().toStdString(), kMenus[i].first);
        ASSERT_NE(top->menu(), nullptr);
        EXPECT_EQ(itemsOf(top->menu()), kMenus[i].second) << kMenus[i].first;
    }
    // The '&' of "Bend & Release" is shown, not taken as a mnemonic.
    EXPECT_EQ(frame().action(32791)->text(), QStringLiteral("Bend && Release\tE"));
    // Groups are parted by separators (the file menu has four groups).
    int separators = 0;
    for (const QAction* a : menus[0]->menu()->actions())
        separators += a->isSeparator();
    EXPECT_EQ(separators, 3);
}

TEST_F(WindowTest, ToolbarsHoldTheirCommandsInOrder)
{
    ASSERT_TRUE(start());
    struct Expected {
        QToolBar* bar;
        const char* title;
        QSize images;
        std::vector<int> buttons;
    };
    const Expected bars[] = {
        {frame().standardBar, "Outils Standard", {16, 15}, {57643, 57644, 0, 57600, 57601, 57603, 0, 32847, 32845, 32846, 0, 57607, 32889}},
        {frame().rhythmBar, "Rythme", {20, 30}, {32772, 32773, 32774, 32775, 32776, 32777, 32778, 0, 32781, 32811}},
        {frame().attributesBar,
         "Attributs des notes",
         {28, 20},
         {32782, 32783, 0,     32799, 32785, 32784, 0,     32786, 32787, 32858, 0,     32795, 32796, 32797,
          32798, 32863, 32865, 0,     32788, 32789, 32790, 32791, 0,     32792, 32793, 32794, 32800}},
        {frame().settingsBar,
         "Réglages et lecture",
         {34, 28},
         {32815, 32833, 32816, 0,     32818, 32817, 32830, 0,     32857, 32808, 32810,
          32843, 32844, 0,     32834, 32803, 32866, 32874, 0,     32812, 32814, 32871}},
    };
    for (const Expected& e : bars) {
        ASSERT_NE(e.bar, nullptr);
        EXPECT_EQ(e.bar->windowTitle(), QString::fromUtf8(e.title));
        EXPECT_EQ(e.bar->iconSize(), e.images) << e.title;
        EXPECT_EQ(buttonsOf(e.bar), e.buttons) << e.title;
        for (const QAction* a : e.bar->actions()) {
            if (a->isSeparator())
                continue;
            // Our own drawing at the bar's grid size, a tip and a prompt.
            EXPECT_FALSE(a->icon().isNull()) << a->data().toInt();
            EXPECT_EQ(a->icon().actualSize(e.images), e.images) << a->data().toInt();
            EXPECT_FALSE(a->toolTip().isEmpty()) << a->data().toInt();
            EXPECT_FALSE(a->statusTip().isEmpty()) << a->data().toInt();
        }
    }
    EXPECT_EQ(buttonsOf(frame().tracksBar),
              (std::vector<int>{32835, 32836, 32837, 32838, 32839, 32840, 32841, 32842, 32861, 32862}));
    EXPECT_EQ(frame().tracksBar->windowTitle(), QStringLiteral("Pistes"));
    EXPECT_EQ(frame().action(32815)->toolTip(), QStringLiteral("Lecture à partir de la position courante"));
    EXPECT_EQ(frame().action(32815)->statusTip(), QStringLiteral("Lecture"));
    EXPECT_EQ(frame().action(32782)->toolTip(), QStringLiteral("Note Etoufée"));
}

TEST_F(WindowTest, FirstStartShowsOnlyTheThreeEditingBars)
{
    ASSERT_TRUE(start());
    CMainFrame& f = frame();
    EXPECT_TRUE(f.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(f.rhythmBar->isVisible());
    EXPECT_TRUE(f.attributesBar->isVisible());
    EXPECT_TRUE(f.settingsBar->isVisible());
    EXPECT_FALSE(f.standardBar->isVisible());
    EXPECT_FALSE(f.tracksBar->isVisible());
    EXPECT_FALSE(f.statusBar()->isVisible());
    for (QToolBar* bar : {static_cast<QToolBar*>(f.standardBar), static_cast<QToolBar*>(f.rhythmBar),
                          static_cast<QToolBar*>(f.attributesBar), static_cast<QToolBar*>(f.settingsBar)})
        EXPECT_EQ(f.toolBarArea(bar), Qt::TopToolBarArea);
    EXPECT_EQ(f.toolBarArea(f.tracksBar), Qt::RightToolBarArea);

    // The ticks of the "Affichage" and "Réglages" items follow.
    emit f.findChild<QMenu*>(QStringLiteral("Affichage"))->aboutToShow();
    EXPECT_TRUE(f.action(32801)->isChecked());
    EXPECT_TRUE(f.action(32802)->isChecked());
    EXPECT_TRUE(f.action(32809)->isChecked());
    EXPECT_FALSE(f.action(59392)->isChecked());
    EXPECT_FALSE(f.action(59393)->isChecked());
    EXPECT_TRUE(f.action(32859)->isChecked());

    // The status bar: idle prompt and the three lock panes.
    f.runCommand(59393);
    EXPECT_TRUE(f.statusBar()->isVisible());
    EXPECT_TRUE(f.action(59393)->isChecked());
    EXPECT_EQ(f.statusBar()->currentMessage(), QStringLiteral("Pour l'aide, appuyez sur F1"));
    EXPECT_EQ(f.lockIndicator(0)->objectName(), QStringLiteral("MAJ"));
    EXPECT_EQ(f.lockIndicator(1)->objectName(), QStringLiteral("NUM"));
    EXPECT_EQ(f.lockIndicator(2)->objectName(), QStringLiteral("DEF"));
}

TEST_F(WindowTest, ToggledBarsComeBackDockedAtTheirEdge)
{
    ASSERT_TRUE(start());
    CMainFrame& f = frame();
    // Float the attributes bar the way dragging it out does.
    f.attributesBar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    f.attributesBar->show();
    ASSERT_TRUE(f.attributesBar->isFloating());

    f.runCommand(32802);
    EXPECT_FALSE(f.attributesBar->isVisible());
    EXPECT_FALSE(f.showAttributes);
    EXPECT_FALSE(f.action(32802)->isChecked());
    f.runCommand(32802);
    EXPECT_TRUE(f.attributesBar->isVisible());
    EXPECT_FALSE(f.attributesBar->isFloating());
    EXPECT_EQ(f.toolBarArea(f.attributesBar), Qt::LeftToolBarArea);
    EXPECT_TRUE(f.action(32802)->isChecked());

    f.runCommand(32801);
    f.runCommand(32801);
    EXPECT_EQ(f.toolBarArea(f.rhythmBar), Qt::RightToolBarArea);
    EXPECT_TRUE(f.rhythmBar->isVisible());

    f.runCommand(32809);
    EXPECT_FALSE(f.settingsBar->isVisible());
    f.runCommand(32809);
    EXPECT_EQ(f.toolBarArea(f.settingsBar), Qt::TopToolBarArea);

    f.runCommand(59392);
    EXPECT_TRUE(f.standardBar->isVisible());
    EXPECT_TRUE(f.showStandard);

    // A wanted bar hidden by other means is shown again.
    f.settingsBar->hide();
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.settingsBar->isVisible());

    // Right click on the bars: the same switches, and the "Pistes" bar.
    std::unique_ptr<QMenu> popup(f.createPopupMenu());
    QStringList texts;
    for (QAction* a : popup->actions())
        if (!a->isSeparator())
            texts << a->text();
    EXPECT_EQ(texts, (QStringList{"Rythme", "Effets", "Réglages", "&Outils standards", "Barre d'é&tat", "Pistes"}));
    popup->actions().last()->trigger();
    EXPECT_TRUE(f.tracksBar->isVisible());
}

TEST_F(WindowTest, ThreeTrackScoreRelabelsMenuAndBar)
{
    const std::string path = dir.file("trio.tbf");
    writeScore(path, [](CTabDoc& d) {
        d.trackCount = 3;
        d.slotCount = 3;
        d.slotInstrument[1] = model::kBass;
        d.slotInstrument[2] = model::kPiano;
        d.trackNames[1] = "  Solo ";
        for (int t = 0; t < 3; ++t)
            d.tracks[static_cast<std::size_t>(t)][0].beats[0].notes[2].fret = 3;
    });
    ASSERT_TRUE(start({QString::fromStdString(path)}));
    CMainFrame& f = frame();
    EXPECT_EQ(visibleTrackMenu(f.tracksMenu()), (QStringList{"Guitare Folk", "Solo", "Piano"}));

    CBlueToolBar* bar = f.tracksBar;
    bar->show();
    QCoreApplication::processEvents();
    for (int t = 0; t < 10; ++t)
        EXPECT_EQ(bar->button(t)->isVisible(), t < 3) << "button " << t + 1;
    EXPECT_EQ(static_cast<QToolButton*>(bar->button(1))->text(), QStringLiteral("Solo"));
    const int width = bar->button(0)->width();
    EXPECT_EQ(bar->button(1)->width(), width);
    EXPECT_EQ(bar->button(2)->width(), width);

    auto pressed = [&] {
        std::vector<int> down;
        for (int t = 0; t < 10; ++t)
            if (static_cast<QToolButton*>(bar->button(t))->isChecked())
                down.push_back(t);
        return down;
    };
    EXPECT_EQ(pressed(), std::vector<int>{0});

    // Alt+2 switches to the second track, releasing the first button.
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(&f, Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(f.scoreView->state().cursorTrack, 1);
    EXPECT_EQ(pressed(), std::vector<int>{1});

    QTest::mouseClick(bar->button(2), Qt::LeftButton);
    EXPECT_EQ(f.scoreView->state().cursorTrack, 2);
    EXPECT_EQ(pressed(), std::vector<int>{2});
    EXPECT_TRUE(f.action(32837)->isChecked());

    // No fifth track: Alt+5 and pressing the pressed button change nothing.
    QTest::keyClick(&f, Qt::Key_5, Qt::AltModifier);
    QTest::mouseClick(bar->button(2), Qt::LeftButton);
    EXPECT_EQ(f.scoreView->state().cursorTrack, 2);
    EXPECT_EQ(pressed(), std::vector<int>{2});

    // A new score has one track again.
    f.runCommand(57600);
    EXPECT_EQ(visibleTrackMenu(f.tracksMenu()), QStringList{"Guitare Folk"});
    EXPECT_EQ(f.scoreView->state().cursorTrack, 0);
    EXPECT_EQ(pressed(), std::vector<int>{0});
}

TEST_F(WindowTest, UsingAMenuStopsPlayback)
{
    ASSERT_TRUE(start());
    QSignalSpy stops(frame().scoreView, &CTabView::stopRequested);
    for (QAction* top : frame().menuBar()->actions())
        emit top->menu()->aboutToShow();
    EXPECT_EQ(stops.count(), frame().menuBar()->actions().size());
    emit frame().fileMenu()->hovered(frame().action(57600));
    EXPECT_EQ(stops.count(), frame().menuBar()->actions().size() + 1);
}

TEST_F(WindowTest, AcceleratorTableIsComplete)
{
    ASSERT_TRUE(start());
    // The pane keys are left out: they have no command behind them.
    const std::multiset<std::pair<std::string, int>> expected = {
        {"Ctrl+Z", 57643},    {"Alt+Backspace", 57643}, {"Ctrl+Y", 57644}, {"Ctrl+Shift+Z", 57644},
        {"F1", 32889},        {"End", 32817},       {"Home", 32818},      {"Ctrl+N", 57600},    {"Ctrl+O", 57601},
        {"Ctrl+P", 57607},    {"Ctrl+S", 57603},    {"Ctrl+V", 32846},    {"Shift+Ins", 32846}, {"Ctrl+C", 32845},
        {"Ctrl+Ins", 32845},  {"Shift+Del", 32847}, {"Ctrl+X", 32847},    {"Alt+1", 32835},     {"Alt+2", 32836},
        {"Alt+3", 32837},     {"Alt+4", 32838},     {"Alt+5", 32839},     {"Alt+6", 32840},     {"Alt+7", 32841},
        {"Alt+8", 32842},     {"Alt+9", 32861},     {"Alt+0", 32862},     {"F5", 32873}};
    std::multiset<std::pair<std::string, int>> bound;
    for (const QShortcut* s : frame().findChildren<QShortcut*>())
        bound.emplace(s->key().toString().toStdString(), s->property("command").toInt());
    EXPECT_EQ(bound, expected);
}

TEST_F(WindowTest, AcceleratorsReachTheirCommands)
{
    ASSERT_TRUE(start());
    CMainFrame& f = frame();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

    QTest::keyClick(&f, Qt::Key_F1);
    ASSERT_EQ(opened.size(), 1u);

    chooser.answers.push_back(std::nullopt);
    QTest::keyClick(&f, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(chooser.offeredFilters.size(), 1u);

    doc().isSaved = 0;
    chooser.answers.push_back(dir.file("raccourci"));
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(doc().pathName, dir.file("raccourci.tbf"));

    doc().isSaved = 0;
    prompter.yesNoAnswers.push_back(false);
    QTest::keyClick(&f, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(prompter.questions.size(), 1u);
    EXPECT_TRUE(doc().pathName.empty());
}
