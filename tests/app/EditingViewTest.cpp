// Editing in the real window: keys typed into the score view, clicks on the
// drawn score, the right-click menu, and the toolbars following the cursor.
#include "CTabView.h"
#include "CSoundEngine.h"
#include "Snapshot.h"
#include "TbfFormat.h"
#include "TransportController.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <deque>

namespace {

struct ScriptedAnswers : edit::AmountDialog, edit::ArpeggioDialog {
    std::deque<int> answers;
    int asked = 0;
    int next()
    {
        ++asked;
        if (answers.empty())
            return -1;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    int askAmount() override { return next(); }
    int askDirection() override { return next(); }
};

class EditingViewTest : public WindowTest {
protected:
    CTabView& view() { return *frame().scoreView; }
    view::ViewState& state() { return view().state(); }
    CMesure& measure(int m) { return doc().tracks[0][m]; }

    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(start());
        view().editor().setAmountDialog(&answers);
        view().editor().setArpeggioDialog(&answers);
        frame().activateWindow();
        view().setFocus();
        settle();
    }
    void TearDown() override
    {
        view().editor().setAmountDialog(nullptr);
        view().editor().setArpeggioDialog(nullptr);
        WindowTest::TearDown();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(&view(), k, mods); }
    bool ticked(int id) { return frame().action(id)->isChecked(); }
    // Pixels where the window differs from a full paint of the current state.
    int staleCount()
    {
        settle();
        QWidget* vp = view().viewport();
        const QPoint at = vp->mapTo(vp->window(), QPoint(0, 0));
        const QImage shown = vp->screen()
                                 ->grabWindow(vp->window()->winId(), at.x(), at.y(), vp->width(), vp->height())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        QImage full(vp->size(), QImage::Format_RGB32);
        paintView(full, doc(), state());
        if (shown.size() != full.size())
            return -1;
        int n = 0;
        for (int y = 0; y < full.height(); ++y)
            for (int x = 0; x < full.width(); ++x)
                n += (shown.pixel(x, y) & 0xFFFFFF) != (full.pixel(x, y) & 0xFFFFFF);
        return n;
    }

    ScriptedAnswers answers;
};

} // namespace

TEST_F(EditingViewTest, KeysTypedIntoTheViewEditTheScore)
{
    // Second string from the top, first beat of the new score.
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    ASSERT_EQ(state().cursorString, 1);
    key(Qt::Key_1);
    key(Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(measure(0).beats[0].notes[1].fret, 12);
    EXPECT_EQ(doc().isSaved, 0);

    // Keypad minus halves the beat; Right appends one of the same length.
    key(Qt::Key_Minus, Qt::KeypadModifier);
    key(Qt::Key_Right);
    EXPECT_EQ(measure(0).beatCount, 2);
    EXPECT_EQ(measure(0).beats[1].durationCode, 3);
    key(Qt::Key_1);
    key(Qt::Key_4);
    key(Qt::Key_H, Qt::ShiftModifier);
    EXPECT_EQ(measure(0).beats[1].notes[1].technique, model::kHammerOn);
    // The toolbars show the attributes of the beat under the cursor.
    EXPECT_TRUE(ticked(32784));
    EXPECT_TRUE(ticked(32775));
    key(Qt::Key_Left);
    EXPECT_FALSE(ticked(32784));

    // Bend with the dialog's answer, then Release carries it on the next beat.
    key(Qt::Key_Right);
    answers.answers = {3};
    key(Qt::Key_B);
    EXPECT_EQ(measure(0).beats[1].notes[1].bend, 3 * 16 + 1);
    key(Qt::Key_Right);
    key(Qt::Key_1);
    key(Qt::Key_4);
    key(Qt::Key_R);
    EXPECT_EQ(measure(0).beats[2].notes[1].bend, 3 * 16 + 4);
    EXPECT_EQ(answers.asked, 1);

    // Shift+Home arpeggiates; plain Home is "Retour au début" and edits nothing.
    answers.answers = {1};
    key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(measure(0).beats[2].arpeggio, 2);
    EXPECT_TRUE(ticked(32858));
    key(Qt::Key_Home);
    EXPECT_EQ(measure(0).beats[2].arpeggio, 2);
    EXPECT_EQ(state().cursorBeat, 0);

    // Space clears the string, Insert and Delete add and take beats.
    key(Qt::Key_Space);
    EXPECT_EQ(measure(0).beats[0].notes[1].fret, model::kEmptyFret);
    EXPECT_EQ(measure(0).beats[2].notes[1].fret, 14);
    key(Qt::Key_Insert);
    EXPECT_EQ(measure(0).beatCount, 4);
    key(Qt::Key_Delete);
    key(Qt::Key_Delete);
    EXPECT_EQ(measure(0).beatCount, 2);
}

TEST_F(EditingViewTest, TheMenuCommandsActOnTheCursorToo)
{
    frame().runCommand(32773); // "Blanche"
    EXPECT_EQ(measure(0).beats[0].durationCode, 5);
    EXPECT_TRUE(ticked(32773));
    EXPECT_FALSE(ticked(32774));
    frame().runCommand(32860); // "&Insérer une mesure"
    EXPECT_EQ(doc().measureCount, 2);
    EXPECT_EQ(measure(0).beats[0].isRest, 1);
    EXPECT_EQ(measure(1).beats[0].durationCode, 5);
    EXPECT_TRUE(ticked(32783)) << "the cursor is on the new rest measure";
}

TEST_F(EditingViewTest, AClickOnADrawnBeatMovesTheCursorThere)
{
    for (int m = 0; m < 8; ++m) {
        CMesure& x = doc().tracks[0][m];
        x.beats.SetSize(4);
        x.beatCount = 4;
        for (int b = 0; b < 4; ++b)
            x.beats[b].notes[0].fret = b;
    }
    doc().measureCount = 8;
    view().documentUpdated();
    settle();
    std::int64_t now = view().loadTime() + 50;
    view().setClock([&] { return now; });

    const view::ScoreLayout& l = view().layout();
    ASSERT_GE(l.lineRecords().size(), 2u);
    const view::LineRecord& line = l.lineRecords()[1];
    ASSERT_GE(line.measureSlots.size(), 2u);
    const view::MeasureSlot& slot = line.measureSlots[1];
    const QPoint at(slot.beatX[2] + 1, line.stringY[4] + 1);
    const view::MeasureRef target{0, slot.measure};

    // Right after the score was shown the click is ignored.
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(state().cursorMeasure, (view::MeasureRef{0, 0}));

    now += 200;
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(state().cursorMeasure, target);
    EXPECT_EQ(state().cursorBeat, 2);
    EXPECT_EQ(state().cursorString, 4);
    EXPECT_EQ(doc().isSaved, 1);
    // Typing goes where the click put the cursor.
    key(Qt::Key_7);
    EXPECT_EQ(doc().tracks[0][slot.measure].beats[2].notes[4].fret, 7);
}

TEST_F(EditingViewTest, ARightClickOpensTheEffectsMenuWithTheClickedBeatsTicks)
{
    doc().tracks[0][0].beats[0].notes[0].fret = 3;
    doc().tracks[0][0].beats[0].notes[0].technique = model::kSlideUp;
    doc().tracks[0][0].beats[0].palmMute = 1;
    view().documentUpdated();
    settle();
    std::int64_t now = view().loadTime() + 1000;
    view().setClock([&] { return now; });
    state().cursorString = 3;

    const view::ScoreLayout& l = view().layout();
    const view::LineRecord& line = l.lineRecords().front();
    const QPoint at(line.measureSlots.front().beatX[0], line.stringY[0]);

    QString shown;
    bool slideTicked = false, palmTicked = false, hammerTicked = true;
    QTimer::singleShot(0, [&] {
        if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000))
            return;
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        shown = menu ? menu->title() : QString();
        slideTicked = frame().action(32786)->isChecked();
        palmTicked = frame().action(32800)->isChecked();
        hammerTicked = frame().action(32784)->isChecked();
        if (menu)
            menu->close();
    });
    QTest::mouseClick(view().viewport(), Qt::RightButton, {}, at);
    EXPECT_EQ(shown, QStringLiteral("Effe&ts"));
    EXPECT_EQ(state().cursorString, 0);
    EXPECT_TRUE(slideTicked);
    EXPECT_TRUE(palmTicked);
    EXPECT_FALSE(hammerTicked);
}

TEST_F(EditingViewTest, WhatTheKeysRepaintMatchesAFullPaint)
{
    CMesure& m = measure(0);
    m.beats.SetSize(4);
    m.beatCount = 4;
    const int techniques[] = {model::kHammerOn, model::kSlideUp, model::kPullOff, model::kTapping};
    for (int b = 0; b < 4; ++b) {
        m.beats[b].notes[0] = CNote{5 + b, techniques[b], b == 2 ? 33 : 0, b == 3 ? 1 : 0};
        m.beats[b].durationCode = 3;
    }
    view().documentUpdated();
    state().cursorString = 0;
    settle();
    ASSERT_EQ(staleCount(), 0);

    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Right, {}}, {Qt::Key_1, {}},    {Qt::Key_2, {}},     {Qt::Key_Space, {}},
        {Qt::Key_Right, {}}, {Qt::Key_Space, {}}, {Qt::Key_9, {}},    {Qt::Key_Down, {}},
        {Qt::Key_Left, {}},  {Qt::Key_X, {}},     {Qt::Key_Up, {}},   {Qt::Key_Plus, Qt::KeypadModifier},
        {Qt::Key_P, {}},     {Qt::Key_Right, {}}, {Qt::Key_Right, {}}, {Qt::Key_Right, {}}};
    for (const auto& [k, mods] : keys) {
        key(k, mods);
        EXPECT_EQ(staleCount(), 0) << "after key " << k;
    }
}

TEST_F(EditingViewTest, EnterPlaysFromTheCursorAndRestartsFromTheRememberedMeasure)
{
    doc().measureCount = 3;
    for (int m = 0; m < 3; ++m) {
        CMesure& x = doc().tracks[0][m];
        resetMeasureBeats(x, 4);
        x.beatCount = 4;
        for (int b = 0; b < 4; ++b)
            x.beats[b].notes[0].fret = m + b;
    }
    view().documentUpdated();
    view().transport().ensureBank();
    ASSERT_TRUE(view().transport().engine().isReady());

    state().cursorMeasure = {0, 1};
    key(Qt::Key_Return);
    ASSERT_TRUE(view().isPlaying());
    EXPECT_EQ(view().editor().replayMeasure(), (view::MeasureRef{0, 1}));

    // Keypad + goes on with the music; Enter again starts over at the measure.
    key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(view().isPlaying());
    state().cursorMeasure = {0, 2};
    state().cursorMeasureIndex = 2;
    key(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(view().isPlaying());
    EXPECT_EQ(state().cursorMeasure, (view::MeasureRef{0, 1}));
    EXPECT_EQ(state().cursorString, 2);

    // Space only stops.
    const CMesure before = doc().tracks[0][1];
    key(Qt::Key_Space);
    EXPECT_FALSE(view().isPlaying());
    EXPECT_EQ(doc().tracks[0][1], before);
}

TEST_F(EditingViewTest, UndoAndRedoTakeTheRiffBackAndForth)
{
    const std::string path = dir.file("riff.tbf");
    writeScore(path, [](CTabDoc& d) { d.tracks[0][0].beats[0].notes[2].fret = 5; });
    ASSERT_TRUE(doc().OnOpenDocument(path));
    settle();
    const std::string opened = tbf::write(doc());
    QAction* undo = frame().action(57643);
    QAction* redo = frame().action(57644);
    EXPECT_EQ(undo->text(), QStringLiteral("Impossible d'annuler\tCtrl+Z"));

    // A riff: frets on three beats of the measure (filled with rests when
    // saved), a hammer-on, an inserted measure.
    for (Qt::Key k : {Qt::Key_3, Qt::Key_Right, Qt::Key_5, Qt::Key_H, Qt::Key_Right, Qt::Key_1, Qt::Key_2})
        key(k);
    frame().runCommand(32860);
    EXPECT_EQ(undo->text(), QStringLiteral("Annuler l'insertion de mesure\tCtrl+Z"));
    const std::string typed = tbf::write(doc());
    ASSERT_NE(typed, opened);

    int undone = 0;
    while (undo->text() != QStringLiteral("Impossible d'annuler\tCtrl+Z") && undone < 50) {
        key(undone % 2 ? Qt::Key_Backspace : Qt::Key_Z, undone % 2 ? Qt::AltModifier : Qt::ControlModifier);
        ++undone;
    }
    EXPECT_EQ(undone, 5) << "three frets (two digits in a row are one), the hammer-on and the measure";
    EXPECT_EQ(tbf::write(doc()), opened);
    EXPECT_EQ(redo->text(), QStringLiteral("Rétablir la saisie\tCtrl+Y"));
    EXPECT_EQ(doc().isSaved, 1);

    for (int i = 0; i < undone; ++i)
        key(i % 2 ? Qt::Key_Z : Qt::Key_Y, i % 2 ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
    EXPECT_EQ(tbf::write(doc()), typed);
    EXPECT_EQ(doc().isSaved, 0);
    EXPECT_EQ(staleCount(), 0);

    // Back to the file as opened: closing asks nothing.
    while (frame().action(57643)->text() != QStringLiteral("Impossible d'annuler\tCtrl+Z"))
        frame().runCommand(57643);
    prompter.questions.clear();
    EXPECT_TRUE(doc().OnCloseDocument());
    EXPECT_TRUE(prompter.questions.empty());
}
