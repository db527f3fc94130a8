// The practice and export commands in the real window, on the null audio device.
#include "CSoundEngine.h"
#include "CTabView.h"
#include "CommandIds.h"
#include "MeasureSelection.h"
#include "MidiReader.h"
#include "PracticeCommands.h"
#include "TransportController.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QImage>
#include <QProgressDialog>
#include <QTest>

#include <filesystem>
#include <set>

namespace {

class PracticeTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const std::string path = dir.file("practice.tbf");
        writeEighths(path, 6); // a measure lasts one second
        ASSERT_TRUE(start({QString::fromStdString(path)}));
        view().transport().ensureBank();
        ASSERT_TRUE(view().transport().engine().isReady()) << "the sample bank did not load";
    }
    CTabView& view() { return *frame().scoreView; }
    bool ticked(int id) { return frame().action(id)->isChecked(); }
    QComboBox* combo() { return frame().findChild<QComboBox*>(QStringLiteral("speedCombo")); }
};

} // namespace

TEST_F(PracticeTest, MenuItemsAndTheSpeedComboTickAndAct)
{
    const PlaybackPass::Practice& p = view().transport().practice();
    struct Toggle {
        int id;
        std::function<bool()> state;
    };
    const std::vector<Toggle> toggles = {
        {cmd::CountIn, [&] { return p.countIn; }},
        {cmd::Metronome, [&] { return p.metronome; }},
        {cmd::SpeedTrainer, [&] { return p.speedTrainer; }},
        {cmd::LoopSelection, [&] { return view().transport().loopSelection(); }},
    };
    for (const Toggle& t : toggles) {
        EXPECT_FALSE(ticked(t.id));
        ASSERT_TRUE(frame().runCommand(t.id));
        EXPECT_TRUE(ticked(t.id)) << t.id;
        EXPECT_TRUE(t.state()) << t.id;
        ASSERT_TRUE(frame().runCommand(t.id));
        EXPECT_FALSE(ticked(t.id)) << t.id;
        EXPECT_FALSE(t.state()) << t.id;
    }

    ASSERT_NE(combo(), nullptr);
    EXPECT_EQ(combo()->count(), 10);
    EXPECT_EQ(combo()->currentText(), QStringLiteral("100 %"));
    EXPECT_TRUE(ticked(cmd::Speed100));
    // The menu moves the combo; the combo moves the menu.
    ASSERT_TRUE(frame().runCommand(cmd::Speed60));
    EXPECT_EQ(p.speedPercent, 60);
    EXPECT_EQ(combo()->currentText(), QStringLiteral("60 %"));
    EXPECT_TRUE(ticked(cmd::Speed60));
    EXPECT_FALSE(ticked(cmd::Speed100));
    const int i125 = combo()->findText(QStringLiteral("125 %"));
    ASSERT_GE(i125, 0);
    emit combo()->activated(i125);
    EXPECT_EQ(p.speedPercent, 125);
    EXPECT_TRUE(ticked(cmd::Speed125));
    EXPECT_FALSE(ticked(cmd::Speed60));
    EXPECT_EQ(frame().action(cmd::Speed125)->text(), QStringLiteral("125 %"));
}

TEST_F(PracticeTest, SelectionByKeysAndShiftClickIsHighlighted)
{
    view().resize(1200, 800);
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    view().setFocus();
    const QImage before = view().viewport()->grab().toImage();
    QTest::keyClick(&view(), Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(frame().runCommand(cmd::SelectNextMeasure));
    const view::MeasureSelection& s = view().state().selection;
    ASSERT_FALSE(s.empty()) << "Shift+Right selects";
    EXPECT_EQ(s.first(), 0);
    EXPECT_EQ(s.last(), 1);
    EXPECT_EQ(view().state().cursorMeasure.measure, 1) << "the cursor goes with the moving end";

    // Drawn: a blue wash over the selected measures, nothing else changed.
    const std::vector<view::Rect> rects = view::selectionRects(view().layout(), s);
    ASSERT_FALSE(rects.empty());
    const QImage after = view().viewport()->grab().toImage();
    const view::Rect r = rects.front();
    int tinted = 0, bluer = 0;
    for (int y = r.top + 1; y < r.bottom - 1; y += 3)
        for (int x = r.left + 1; x < r.right - 1; x += 3) {
            const QColor a = after.pixelColor(x, y), b = before.pixelColor(x, y);
            tinted += a != b;
            bluer += a.blue() - a.red() > b.blue() - b.red();
        }
    // (The cursor moved too: a few pixels changed for that.)
    EXPECT_GT(tinted, 0);
    EXPECT_GT(bluer, tinted * 9 / 10);
    const QPoint outside(rects.back().right + 40, (rects.back().top + rects.back().bottom) / 2);
    if (outside.x() < after.width()) {
        EXPECT_EQ(after.pixelColor(outside), before.pixelColor(outside));
    }

    // Shift+click on a later measure moves the same end there; a plain click clears.
    const int target = 3;
    const auto areas = view::selectionRects(view().layout(), [&] {
        view::MeasureSelection only;
        only.extendTo(target, target, 6);
        return only;
    }());
    ASSERT_FALSE(areas.empty());
    const QPoint in((areas[0].left + areas[0].right) / 2, areas[0].top + 3);
    QTest::mouseClick(view().viewport(), Qt::LeftButton, Qt::ShiftModifier, in);
    EXPECT_EQ(s.first(), 0);
    EXPECT_EQ(s.last(), target);
    QTest::mouseClick(view().viewport(), Qt::LeftButton, Qt::NoModifier, in);
    EXPECT_TRUE(s.empty());
}

TEST_F(PracticeTest, LoopOnTheSelectionStaysInsideIt)
{
    frame().runCommand(cmd::SelectNextMeasure);
    frame().runCommand(cmd::SelectNextMeasure);
    ASSERT_EQ(view().state().selection.first(), 0);
    ASSERT_EQ(view().state().selection.last(), 1);
    ASSERT_TRUE(frame().runCommand(cmd::LoopSelection));
    view().state().cursorMeasure = {0, 4};
    ASSERT_TRUE(frame().runCommand(cmd::Play));
    std::set<int> seen;
    for (int i = 0; i < 60; ++i) {
        QTest::qWait(50);
        ASSERT_TRUE(view().isPlaying()) << "stopped after " << i * 50 << " ms";
        seen.insert(view().state().cursorMeasureIndex);
    }
    frame().runCommand(cmd::Stop);
    EXPECT_EQ(seen, (std::set<int>{0, 1})) << "three seconds played measures 0 and 1 only";
}

TEST_F(PracticeTest, ExportDialogsWriteFilesAndCancelLeavesNothing)
{
    // MIDI: the suffix is added, the file reads back with one note per eighth.
    chooser.answers.push_back(dir.file("morceau"));
    ASSERT_TRUE(frame().runCommand(cmd::ExportMidi));
    const MidiFile midi = MidiFile::read(dir.file("morceau.mid"));
    ASSERT_TRUE(midi.ok);
    EXPECT_EQ(midi.notes(1).size(), 48u);
    EXPECT_EQ(chooser.suggestions.back(), dir.file("practice.mid"));

    // WAV of the selection (two measures at 50 %: four seconds, then the last
    // notes ring out until inaudible, four seconds at most).
    view().state().selection.extendTo(2, 3, 6);
    frame().runCommand(cmd::Speed50);
    chooser.answers.push_back(dir.file("boucle.wav"));
    std::vector<double> seen;
    frame().practice().setProgressObserver([&](QProgressDialog&, double done) { seen.push_back(done); });
    ASSERT_TRUE(frame().runCommand(cmd::ExportWav));
    const std::string wav = TempDir::read(dir.file("boucle.wav"));
    ASSERT_GT(wav.size(), 44u);
    const double seconds = static_cast<double>(wav.size() - 44) / (44100 * 4);
    EXPECT_GE(seconds, 4.0);
    EXPECT_LE(seconds, 8.01);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen.back(), 0.95);

    // The slots' effects are heard in the file as in the window.
    sound::SlotEffects gargle;
    gargle.setOn(sound::EffectKind::Gargle, true);
    view().transport().engine().ApplyEffects(0, gargle);
    chooser.answers.push_back(dir.file("effet.wav"));
    ASSERT_TRUE(frame().runCommand(cmd::ExportWav));
    view().transport().engine().ApplyEffects(0, sound::SlotEffects{});
    const std::string withEffect = TempDir::read(dir.file("effet.wav"));
    ASSERT_GT(withEffect.size(), 44u);
    EXPECT_TRUE(withEffect != wav) << "the effect is not in the file";

    // Cancelled half-way: no file, and no half-written one beside it.
    chooser.answers.push_back(dir.file("annule.wav"));
    frame().practice().setProgressObserver([](QProgressDialog& d, double done) {
        if (done > 0.5)
            d.cancel();
    });
    ASSERT_TRUE(frame().runCommand(cmd::ExportWav));
    EXPECT_FALSE(std::filesystem::exists(dir.file("annule.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("annule.wav.part")));
    EXPECT_TRUE(prompter.messages.empty());

    // Declined dialog: nothing at all.
    chooser.answers.push_back(std::nullopt);
    ASSERT_TRUE(frame().runCommand(cmd::ExportWav));
}
