// Tracks in the real window: the add, delete, instrument, tuning and
// multi-track dialogs driven as a user would, and the percussion palette.
#include "CDialBat.h"
#include "CTabView.h"
#include "CommandIds.h"
#include "InstrumentList.h"
#include "TrackCommands.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Acts on the next modal window other than `besides` once it shows.
void onNextModal(std::function<void(QWidget*)> act, QWidget* besides = nullptr)
{
    QTimer::singleShot(0, [act, besides] {
        QWidget* modal = nullptr;
        if (QTest::qWaitFor(
                [&] {
                    modal = QApplication::activeModalWidget();
                    return modal != nullptr && modal != besides;
                },
                3000))
            act(modal);
    });
}

void clickOk(QWidget* dialog)
{
    QAbstractButton* ok = buttonNamed(dialog, QStringLiteral("OK"));
    ASSERT_NE(ok, nullptr);
    ok->click();
}

class TrackWindowTest : public WindowTest {
protected:
    CTabView& view() { return *frame().scoreView; }
    view::ViewState& state() { return view().state(); }
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(start());
        frame().activateWindow();
        view().setFocus();
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    void command(int id)
    {
        frame().action(id)->trigger();
        settle();
    }
    // Adds a track through the add dialog.
    void addTrack(const QString& title, int row)
    {
        onNextModal([title, row](QWidget* d) {
            d->findChild<QLineEdit*>(QStringLiteral("title"))->setText(title);
            d->findChild<InstrumentList*>()->setCurrentRow(row);
            clickOk(d);
        });
        command(cmd::AddTrack);
    }
    int trackMenuEntries() { return static_cast<int>(frame().tracksMenu()->actions().size()); }
};

} // namespace

TEST_F(TrackWindowTest, AddDialogAddsABassAndTheTrackMenuFollowsUndoAndRedo)
{
    onNextModal([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Ajouter un instrument..."));
        auto* list = d->findChild<InstrumentList*>();
        EXPECT_EQ(list->count(), 6);
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_EQ(list->item(4)->text(), QStringLiteral("Basse"));
        d->findChild<QLineEdit*>(QStringLiteral("title"))->clear();
        list->setCurrentRow(4);
        clickOk(d);
    });
    command(cmd::AddTrack);
    EXPECT_EQ(doc().trackCount, 2);
    EXPECT_EQ(doc().trackNames[1], "Basse");
    EXPECT_EQ(state().cursorTrack, 1);
    EXPECT_EQ(trackMenuEntries(), 2);
    EXPECT_TRUE(frame().action(cmd::Track2)->isChecked());
    command(cmd::EditUndo);
    EXPECT_EQ(doc().trackCount, 1);
    EXPECT_EQ(state().cursorTrack, 0);
    EXPECT_EQ(trackMenuEntries(), 1);
    command(cmd::EditRedo);
    EXPECT_EQ(doc().trackCount, 2);
    EXPECT_EQ(trackMenuEntries(), 2);

    // "Annuler" leaves no step.
    onNextModal([](QWidget* d) { buttonNamed(d, QStringLiteral("Annuler"))->click(); });
    command(cmd::AddTrack);
    EXPECT_EQ(doc().trackCount, 2);
}

TEST_F(TrackWindowTest, DeleteAsksWithTheStopIcon)
{
    addTrack(QStringLiteral("Solo"), 2);
    ASSERT_EQ(doc().trackCount, 2);
    onNextModal([](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->text(), QStringLiteral("Voulez-vous vraiment supprimer cette piste ?"));
        buttonNamed(d, QStringLiteral("&Non"))->click();
    });
    command(cmd::DeleteTrack);
    EXPECT_EQ(doc().trackCount, 2);
    onNextModal([](QWidget* d) { buttonNamed(d, QStringLiteral("&Oui"))->click(); });
    command(cmd::DeleteTrack);
    EXPECT_EQ(doc().trackCount, 1);
    EXPECT_EQ(state().cursorTrack, 0);
    EXPECT_EQ(trackMenuEntries(), 1);
}

TEST_F(TrackWindowTest, InstrumentDialogRefusesAWrongRangeAndChangesTheRest)
{
    doc().measureCount = 1;
    // Five measures to choose from.
    for (int i = 0; i < 4; ++i)
        view().editor().insertMeasure();
    settle();
    ASSERT_EQ(doc().measureCount, 5);
    state().cursorMeasure = {0, 2};
    onNextModal([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Modifier l'instrument..."));
        auto* first = d->findChild<QLineEdit*>(QStringLiteral("first"));
        auto* last = d->findChild<QLineEdit*>(QStringLiteral("last"));
        EXPECT_EQ(first->text(), QStringLiteral("1"));
        EXPECT_EQ(last->text(), QStringLiteral("5"));
        buttonNamed(d, QStringLiteral("Appliquer depuis le début"))->click();
        buttonNamed(d, QStringLiteral("Appliquer jusqu'à la fin"))->click();
        EXPECT_EQ(first->text(), QStringLiteral("3"));
        EXPECT_EQ(last->text(), QStringLiteral("3"));
        d->findChild<InstrumentList*>()->selectCode(model::kPiano);
        last->setText(QStringLiteral("9"));
        bool warned = false;
        onNextModal(
            [&warned, last](QWidget* box) {
                warned = qobject_cast<QMessageBox*>(box) &&
                         static_cast<QMessageBox*>(box)->text() ==
                             QString::fromUtf8(edit::TrackCommands::kBadRange);
                qobject_cast<QMessageBox*>(box)->accept();
                last->setText(QStringLiteral("4"));
            },
            d);
        clickOk(d); // refused: the message, then the dialog again
        EXPECT_TRUE(warned);
        EXPECT_TRUE(d->isVisible());
        clickOk(d);
    });
    command(cmd::ChangeInstrument);
    for (int m = 0; m < 5; ++m)
        EXPECT_EQ(doc().instrumentOfSlot(doc().tracks[0][m].instrumentSlot),
                  m == 2 || m == 3 ? model::kPiano : model::kFolkGuitar);
    EXPECT_EQ(doc().arpeggioLatency[0], 0);
}

TEST_F(TrackWindowTest, TuningDialogLinksTheStrings)
{
    onNextModal([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Accordage..."));
        auto* low = d->findChild<QComboBox*>(QStringLiteral("string0"));
        EXPECT_EQ(low->currentText(), QStringLiteral("E"));
        low->setCurrentIndex(0); // E to D, "Lier" pressed
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(d->findChild<QComboBox*>(QStringLiteral("string%1").arg(k))->currentIndex(), 0);
        // Released: the top string goes back up alone.
        buttonNamed(d, QStringLiteral("Lier"))->click();
        d->findChild<QComboBox*>(QStringLiteral("string5"))->setCurrentIndex(2);
        clickOk(d);
    });
    command(cmd::Tuning);
    EXPECT_EQ(doc().tuning[0], (std::array<int, 6>{0, 5, 10, 15, 19, 26}));
    EXPECT_EQ(doc().tuning[1], (std::array<int, 6>{2, 7, 12, 17, 21, 26}));
    command(cmd::EditUndo);
    EXPECT_EQ(doc().tuning[0], (std::array<int, 6>{2, 7, 12, 17, 21, 26}));
}

TEST_F(TrackWindowTest, MultiTrackDialogShowsEmptyPlacesAndTurnsTheViewOn)
{
    addTrack(QStringLiteral("Basse"), 4);
    addTrack(QString(), 5);
    ASSERT_EQ(doc().trackCount, 3);
    onNextModal([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Pistes à afficher"));
        auto labels = d->findChildren<QLabel*>();
        int empty = 0;
        for (QLabel* l : labels)
            if (l->text() == QStringLiteral("****** VIDE ******")) {
                ++empty;
                EXPECT_FALSE(l->isEnabled());
            }
        EXPECT_EQ(empty, 7);
        auto boxes = d->findChildren<QCheckBox*>();
        ASSERT_EQ(boxes.size(), 10);
        boxes[1]->setChecked(true);
        boxes[2]->setChecked(true);
        clickOk(d);
    });
    command(cmd::MultiTrackView);
    EXPECT_TRUE(state().multiTrackView);
    EXPECT_TRUE(frame().action(cmd::MultiTrackView)->isChecked());
    EXPECT_EQ(view().layout().shownTrackList().size(), 3u);
    command(cmd::MultiTrackView); // off, no dialog
    EXPECT_FALSE(state().multiTrackView);
}

TEST_F(TrackWindowTest, PaletteFollowsDrumMeasuresEditsBeatsAndPassesKeysOn)
{
    addTrack(QString(), 5);
    ASSERT_EQ(doc().instrumentOfTrack(1), model::kDrums);
    CDialBat* palette = view().drumPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_TRUE(palette->isVisible());
    EXPECT_EQ(palette->windowTitle(), QStringLiteral("  ***  Percussions  ***"));
    const CAccord& beat = doc().tracks[1][0].beats[0];

    palette->drumButton(20)->click(); // Snare
    settle();
    EXPECT_EQ(beat.notes[0].fret, 20);
    EXPECT_EQ(beat.isRest, 0);
    EXPECT_TRUE(palette->drumButton(20)->isChecked());
    palette->drumButton(11)->click(); // Crash 1 goes to the next empty slot
    settle();
    EXPECT_EQ(beat.notes[1].fret, 11);
    palette->drumButton(20)->click();
    palette->drumButton(11)->click();
    settle();
    EXPECT_EQ(beat.notes[0].fret, model::kEmptyFret);
    EXPECT_EQ(beat.isRest, 1);
    EXPECT_FALSE(palette->drumButton(20)->isChecked());

    // Six drums: a seventh click is ignored.
    for (int n : {0, 2, 3, 4, 5, 6})
        palette->drumButton(n)->click();
    palette->drumButton(7)->click();
    settle();
    EXPECT_EQ(palette->state().selectedCount, 6);
    EXPECT_FALSE(palette->drumButton(7)->isChecked());
    for (int s = 0; s < 6; ++s)
        EXPECT_NE(beat.notes[s].fret, 7);

    // Keys typed into the palette edit the score.
    command(cmd::EditUndo);
    command(cmd::EditUndo);
    command(cmd::EditUndo);
    command(cmd::EditUndo);
    command(cmd::EditUndo);
    command(cmd::EditUndo);
    const int string = state().cursorString;
    palette->activateWindow();
    palette->setFocus();
    QTest::keyClick(palette, Qt::Key_1);
    QTest::keyClick(palette, Qt::Key_9);
    settle();
    EXPECT_EQ(doc().tracks[1][0].beats[0].notes[string].fret, 19);
    EXPECT_TRUE(palette->drumButton(19)->isChecked());
    // The window's shortcuts work from the palette as from the score.
    QTest::keyClick(palette, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_NE(doc().tracks[1][0].beats[0].notes[string].fret, 19);
    QTest::keyClick(palette, Qt::Key_Y, Qt::ControlModifier);
    settle();
    EXPECT_EQ(doc().tracks[1][0].beats[0].notes[string].fret, 19);
    // After an Alt key the score hands the keys back to the palette.
    view().setFocus();
    QTest::keyRelease(&view(), Qt::Key_Alt);
    settle();
    EXPECT_TRUE(palette->hasFocus());

    // Back on the guitar the palette hides.
    command(cmd::Track1);
    EXPECT_FALSE(palette->isVisible());
    command(cmd::Track2);
    EXPECT_TRUE(palette->isVisible());
}

TEST_F(TrackWindowTest, PinnedPaletteStaysPut)
{
    addTrack(QString(), 5);
    view().editor().insertMeasure();
    settle();
    CDialBat* palette = view().drumPalette();
    ASSERT_NE(palette, nullptr);
    const QPoint first = palette->pos();
    QTest::keyClick(&view(), Qt::Key_Right);
    QTest::keyClick(&view(), Qt::Key_Right);
    settle();
    EXPECT_NE(palette->pos(), first) << "follows the cursor beat";
    palette->pinButton()->click();
    const QPoint pinned = palette->pos();
    QTest::keyClick(&view(), Qt::Key_Left);
    settle();
    EXPECT_EQ(palette->pos(), pinned);
}
