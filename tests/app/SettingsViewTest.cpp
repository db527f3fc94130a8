// The settings commands in the real window: their dialogs typed into, the
// messages for wrong values with the dialog staying up, the score changed on
// every track, and undo giving it back.
#include "CDialCapo.h"
#include "CDialColle.h"
#include "CDialCopie.h"
#include "CDialPiece.h"
#include "CDialRep.h"
#include "CDialTempo.h"
#include "CSign.h"
#include "CTabView.h"
#include "CommandIds.h"
#include "MeasureRangeBox.h"
#include "ScoreCheck.h"
#include "ScoreFactory.h"
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

class SettingsViewTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const std::string path = dir.file("six.tbf");
        writeScore(path, [](CTabDoc& d) { factory::denseScore(d, 2, 6, 4, 1); });
        ASSERT_TRUE(start({QString::fromStdString(path)}));
        ASSERT_EQ(doc().measureCount, 6);
    }

    CTabView& view() { return *frame().scoreView; }
    CMesure& measure(int t, int m) { return doc().tracks[static_cast<std::size_t>(t)][m]; }
    void cursorOn(int m) { view().state().cursorMeasure = {view().state().cursorTrack, m}; }

    // Runs the command; `act` drives the dialog it opens (of type D).
    template <typename D>
    void withDialog(int command, std::function<void(D&)> act)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = nullptr;
            if (!QTest::qWaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 3000))
                return;
            auto* dialog = qobject_cast<D*>(modal);
            seen = dialog != nullptr;
            if (dialog)
                act(*dialog);
            if (modal->isVisible())
                static_cast<QDialog*>(modal)->reject();
        });
        frame().runCommand(command);
        EXPECT_TRUE(seen) << "command " << command << " showed no dialog of the expected kind";
    }

    static void type(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    static void press(QDialog& dialog, const QString& text)
    {
        for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
            if (b->text() == text) {
                b->click();
                return;
            }
        ADD_FAILURE() << "no button " << text.toStdString();
    }
    // "OK" with a wrong value: the message, and the dialog still up with what was typed.
    void refused(QDialog& dialog, QLineEdit* field, const char* message)
    {
        const QString typed = field->text();
        const std::size_t before = prompter.messages.size();
        press(dialog, QStringLiteral("OK"));
        ASSERT_EQ(prompter.messages.size(), before + 1);
        EXPECT_EQ(prompter.messages.back(), message);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(field->text(), typed);
    }
    // Undo gives back the score as it was opened, unmodified.
    void undoneTo(const std::array<CArray<CMesure>, model::kMaxTracks>& tracks)
    {
        EXPECT_EQ(model::scoreProblem(doc()), "");
        EXPECT_EQ(doc().isSaved, 0);
        frame().runCommand(cmd::EditUndo);
        EXPECT_TRUE(doc().tracks == tracks);
        EXPECT_EQ(doc().isSaved, 1);
    }
};

} // namespace

TEST_F(SettingsViewTest, SignatureTypedWithItsRangeAndCancelLeavingNothing)
{
    const auto opened = doc().tracks;
    cursorOn(1);
    withDialog<CSign>(cmd::Signature, [&](CSign& d) { press(d, QStringLiteral("Annuler")); });
    EXPECT_FALSE(view().editor().history().canUndo());
    EXPECT_EQ(doc().isSaved, 1);

    withDialog<CSign>(cmd::Signature, [&](CSign& d) {
        EXPECT_EQ(d.windowTitle(), "Entrez la signature");
        EXPECT_EQ(d.numeratorField()->text(), "4");
        EXPECT_EQ(d.rangeBox()->firstField()->text(), "2");
        EXPECT_EQ(d.rangeBox()->lastField()->text(), "6") << "up to the end when the dialog opens";
        EXPECT_TRUE(d.rangeBox()->toEndBox()->isChecked());
        type(d.numeratorField(), QStringLiteral("-17"));
        EXPECT_EQ(d.numeratorField()->text(), "17") << "digits only";
        refused(d, d.numeratorField(), "Vous devez entrer un nombre de temps par mesure compris entre 1 et 16");
        type(d.numeratorField(), QStringLiteral("3"));
        type(d.denominatorField(), QStringLiteral("3"));
        refused(d, d.denominatorField(), "Vous devez entrer une des valeurs suivantes : 1, 2, 4, 8, 16, 32, 64");
        type(d.denominatorField(), QStringLiteral("4"));
        d.rangeBox()->toEndBox()->click();
        EXPECT_EQ(d.rangeBox()->lastField()->text(), "2") << "the cursor's measure comes back";
        d.rangeBox()->fromStartBox()->click();
        EXPECT_EQ(d.rangeBox()->firstField()->text(), "1");
        d.rangeBox()->fromStartBox()->click();
        type(d.rangeBox()->lastField(), QStringLiteral("1"));
        refused(d, d.rangeBox()->lastField(), "Le numéro de la mesure de fin est incorrect");
        type(d.rangeBox()->lastField(), QStringLiteral("3"));
        press(d, QStringLiteral("OK"));
        EXPECT_FALSE(d.isVisible());
    });
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 6; ++m)
            EXPECT_EQ(measure(t, m).numerator, m == 1 || m == 2 ? 3 : 4) << t << " " << m;
    EXPECT_EQ(doc().scoreNumerator, 4) << "the cursor was not on the first measure";
    undoneTo(opened);
}

TEST_F(SettingsViewTest, TempoOverTheWholeScoreReachesTheScoresTempo)
{
    const auto opened = doc().tracks;
    withDialog<CDialTempo>(cmd::Tempo, [&](CDialTempo& d) {
        EXPECT_EQ(d.tempoField()->text(), "60");
        EXPECT_EQ(d.rangeBox()->firstField()->text(), "1");
        EXPECT_EQ(d.rangeBox()->lastField()->text(), "6");
        type(d.tempoField(), QStringLiteral("0"));
        refused(d, d.tempoField(), "Vous devez entrer une valeur comprise entre  1 et 500");
        type(d.tempoField(), QStringLiteral("5000"));
        EXPECT_EQ(d.tempoField()->text(), "500") << "three digits at most";
        type(d.tempoField(), QStringLiteral("90"));
        press(d, QStringLiteral("OK"));
    });
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 6; ++m)
            EXPECT_EQ(measure(t, m).tempo, 90);
    EXPECT_EQ(doc().scoreTempo, 90);
    undoneTo(opened);
    EXPECT_EQ(doc().scoreTempo, 60);
}

TEST_F(SettingsViewTest, CapoTwelveButNotThirteen)
{
    withDialog<CDialCapo>(cmd::Capo, [&](CDialCapo& d) {
        EXPECT_EQ(d.field()->text(), "0");
        type(d.field(), QStringLiteral("13"));
        refused(d, d.field(), "Vous devez entrer une valeur comprise entre 0 et 12");
        type(d.field(), QStringLiteral("12"));
        press(d, QStringLiteral("OK"));
    });
    EXPECT_EQ(doc().capo[0], 12);
    frame().runCommand(cmd::EditUndo);
    EXPECT_EQ(doc().capo[0], 0);
    EXPECT_EQ(doc().isSaved, 1);
}

TEST_F(SettingsViewTest, RepeatMarksFromTheToolbarCommands)
{
    const auto opened = doc().tracks;
    cursorOn(1);
    withDialog<CDialRep>(cmd::RepeatEnd, [&](CDialRep& d) {
        EXPECT_EQ(d.field()->text(), "1");
        type(d.field(), QStringLiteral("2"));
        press(d, QStringLiteral("Annuler"));
    });
    EXPECT_EQ(measure(0, 1).flags & model::kFlagRepeatEnd, 0) << "Annuler leaves the measure as it was";
    withDialog<CDialRep>(cmd::RepeatEnd, [&](CDialRep& d) {
        type(d.field(), QStringLiteral("0"));
        refused(d, d.field(), "Vous devez entrer une valeur supérieure ou égale à 1");
        type(d.field(), QStringLiteral("2"));
        press(d, QStringLiteral("OK"));
    });
    EXPECT_EQ(measure(0, 1).flags & ~15, 2 * 32 + 16);
    EXPECT_EQ(measure(1, 1).flags & ~15, 2 * 32 + 16);
    frame().runCommand(cmd::RepeatStart);
    EXPECT_NE(measure(1, 1).flags & model::kFlagRepeatStart, 0);
    // The end toggled off again needs no dialog.
    frame().runCommand(cmd::RepeatEnd);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(measure(1, 1).flags & ~15, 0);
    frame().runCommand(cmd::EditUndo);
    frame().runCommand(cmd::EditUndo);
    undoneTo(opened);
}

TEST_F(SettingsViewTest, PropertiesTypedAndTicked)
{
    withDialog<CDialPiece>(cmd::ScoreProperties, [&](CDialPiece& d) {
        EXPECT_EQ(d.windowTitle(), "Propriétés du morceau");
        EXPECT_TRUE(d.showAuthorBox()->isChecked());
        d.titleField()->setText(QStringLiteral("Valse à trois temps")); // keyClicks types ASCII only
        type(d.authorField(), QStringLiteral("Moi"));
        QTest::keyClicks(d.notesField(), QStringLiteral("doucement"));
        d.tripletFeelBox()->click();
        d.showTabberBox()->click();
        press(d, QStringLiteral("OK"));
    });
    EXPECT_EQ(doc().title, "Valse à trois temps");
    EXPECT_EQ(doc().author, "Moi");
    EXPECT_EQ(doc().notes, "doucement");
    EXPECT_EQ(doc().tripletFeel, 1);
    EXPECT_EQ(doc().showTabber, 0);
    frame().runCommand(cmd::EditUndo);
    EXPECT_EQ(doc().tripletFeel, 0);
    EXPECT_EQ(doc().isSaved, 1);
}

TEST_F(SettingsViewTest, MeasuresCopiedPastedAndCutThroughTheirDialogs)
{
    const auto opened = doc().tracks;
    // Nothing copied yet: paste asks nothing and changes nothing.
    frame().runCommand(cmd::Paste);
    EXPECT_FALSE(view().editor().history().canUndo());

    cursorOn(3);
    withDialog<CDialCopie>(cmd::Copy, [&](CDialCopie& d) {
        EXPECT_EQ(d.windowTitle(), "Sélection des mesures...");
        EXPECT_EQ(d.rangeBox()->firstField()->text(), "4");
        type(d.rangeBox()->firstField(), QStringLiteral("0"));
        refused(d, d.rangeBox()->firstField(), "Le numéro de la mesure de début est incorrect");
        type(d.rangeBox()->firstField(), QStringLiteral("1"));
        type(d.rangeBox()->lastField(), QStringLiteral("2"));
        d.allTracksBox()->click();
        press(d, QStringLiteral("OK"));
    });
    EXPECT_EQ(doc().isSaved, 1) << "a copy changes nothing";
    withDialog<CDialColle>(cmd::Paste, [&](CDialColle& d) {
        EXPECT_TRUE(d.insertButton()->isChecked());
        press(d, QStringLiteral("OK"));
    });
    ASSERT_EQ(doc().measureCount, 8);
    EXPECT_EQ(model::scoreProblem(doc()), "");
    for (int t = 0; t < 2; ++t)
        EXPECT_TRUE(measure(t, 4).beats == opened[static_cast<std::size_t>(t)][0].beats);
    EXPECT_EQ(view().state().cursorMeasure.measure, 3);
    undoneTo(opened);

    withDialog<CDialCopie>(cmd::Cut, [&](CDialCopie& d) {
        EXPECT_FALSE(d.allTracksBox()->isVisible());
        d.rangeBox()->fromStartBox()->click();
        d.rangeBox()->toEndBox()->click();
        press(d, QStringLiteral("OK"));
    });
    EXPECT_EQ(doc().measureCount, 1);
    EXPECT_EQ(model::scoreProblem(doc()), "");
    undoneTo(opened);
}
