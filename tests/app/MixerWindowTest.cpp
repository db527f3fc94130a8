// The mixer windows in the real window while the score plays on the null device.
#include "CBlueToolBar.h"
#include "CDialFx.h"
#include "CDialVolTip.h"
#include "CDialVolume.h"
#include "CSoundEngine.h"
#include "CTabView.h"
#include "TransportController.h"
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

void onNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = nullptr;
        if (QTest::qWaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 2000))
            act(modal);
    });
}

void press(QWidget* dialog, const QString& text)
{
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->text() == text) {
            b->click();
            return;
        }
    ADD_FAILURE() << "no button " << text.toStdString();
}

class MixerWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const std::string path = dir.file("trio.tbf");
        // Three tracks of long notes at 60: playback lasts 16 s.
        writeScore(path, [](CTabDoc& d) {
            d.trackCount = 3;
            d.slotCount = 3;
            d.measureCount = 4;
            for (int t = 0; t < 3; ++t) {
                d.slotOrder[static_cast<std::size_t>(t)] = t;
                d.slotInstrument[static_cast<std::size_t>(t)] = t == 2 ? model::kBass : model::kFolkGuitar;
                d.trackNames[static_cast<std::size_t>(t)] = t == 1 ? "" : "Piste " + std::to_string(t + 1);
                d.tuning[static_cast<std::size_t>(t)] = d.tuning[0];
                d.tracks[static_cast<std::size_t>(t)].SetSize(4);
                for (int m = 0; m < 4; ++m) {
                    CMesure& ms = d.tracks[static_cast<std::size_t>(t)][m];
                    ms.tempo = 60;
                    ms.instrumentSlot = t;
                    ms.index = m;
                    resetMeasureBeats(ms, 1);
                    ms.beatCount = 1;
                    ms.beats[0].durationCode = 6;
                    ms.beats[0].notes[2].fret = m;
                }
            }
        });
        ASSERT_TRUE(start({QString::fromStdString(path)}));
        view().transport().ensureBank();
        ASSERT_TRUE(view().transport().engine().isReady()) << "the sample bank did not load";
        doc().isSaved = 1;
    }
    CTabView& view() { return *frame().scoreView; }
    CBlueToolBar& bar() { return *frame().tracksBar; }
    void play()
    {
        ASSERT_TRUE(frame().runCommand(32815));
        ASSERT_TRUE(view().isPlaying());
    }
};

} // namespace

TEST_F(MixerWindowTest, VolumeDialogShowsOneRowPerTrackAndOnlyOkChangesTheScore)
{
    view().switchToTrack(1);
    for (const bool ok : {false, true}) {
        play();
        bool checked = false;
        onNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<CDialVolume*>(modal);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Volume"));
            for (int r = 0; r < 10; ++r)
                EXPECT_EQ(dialog->row(r)->isVisible(), r < 3) << "row " << r;
            EXPECT_EQ(dialog->label(0)->text(), QStringLiteral(" Piste 1"));
            EXPECT_EQ(dialog->label(1)->text().trimmed(), QString()) << "a track without a name";
            EXPECT_TRUE(dialog->row(1)->autoFillBackground()) << "the cursor track's row is marked";
            EXPECT_FALSE(dialog->row(0)->autoFillBackground());
            dialog->slider(0)->setValue(0);
            dialog->slider(2)->setValue(35);
            checked = true;
            press(dialog, ok ? QStringLiteral("OK") : QStringLiteral("Annuler"));
        });
        ASSERT_TRUE(frame().runCommand(32834));
        EXPECT_TRUE(checked);
        EXPECT_FALSE(view().isPlaying()) << "the command stops the music";
        EXPECT_EQ(doc().volume[0], ok ? 0 : 100);
        EXPECT_EQ(doc().volume[2], ok ? 35 : 100);
        EXPECT_EQ(doc().isSaved, ok ? 0 : 1);
    }
}

TEST_F(MixerWindowTest, TrackPopUpOpensFromTheBarAndChangesPlayWithoutStoppingIt)
{
    bar().show();
    QTest::qWait(50);
    play();
    // The pointer comes over track 3's button, then into the bar's right third.
    QWidget* third = bar().button(2);
    ASSERT_NE(third, nullptr);
    QEnterEvent enter(QPointF(2, 5), QPointF(2, 5), third->mapToGlobal(QPointF(2, 5)));
    QApplication::sendEvent(third, &enter);
    EXPECT_EQ(bar().hotTrack(), 2);
    EXPECT_TRUE(bar().armed());
    EXPECT_EQ(bar().popup(), nullptr);
    QTest::mouseMove(third, QPoint(2, 5));
    EXPECT_EQ(bar().popup(), nullptr) << "still in the left part";
    const int right = bar().width() * 2 / 3 + 2 - third->mapTo(&bar(), QPoint(0, 0)).x();
    QMouseEvent move(QEvent::MouseMove, QPointF(right, 5), third->mapToGlobal(QPointF(right, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(third, &move);
    QPointer<CDialVolTip> popup = bar().popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->track(), 2);
    EXPECT_FALSE(bar().armed());
    EXPECT_EQ(popup->palette().color(QPalette::Window), QColor(250, 249, 242));
    // Beside the button: its right edge at the button's left, 7 pixels lower.
    EXPECT_EQ(popup->geometry().right() + 1, third->mapToGlobal(QPoint(0, 0)).x());
    EXPECT_EQ(popup->y(), third->mapToGlobal(QPoint(0, 0)).y() + 7);

    popup->volumeSlider()->setValue(40);
    popup->panSlider()->setValue(0);
    popup->soloButton()->click();
    EXPECT_EQ(doc().volume[2], 40);
    EXPECT_EQ(doc().pan[2], 0);
    EXPECT_EQ(doc().soloTrack, 3);
    EXPECT_EQ(doc().isSaved, 0) << "volume and pan are saved with the score";
    EXPECT_TRUE(view().isPlaying()) << "the pop-up does not stop the music";

    // A right click on another button replaces the pop-up at once.
    QTest::mouseMove(bar().button(0));
    QTest::mouseClick(bar().button(0), Qt::RightButton);
    QTest::qWait(20);
    EXPECT_TRUE(popup.isNull() || !popup->isVisible());
    CDialVolTip* first = bar().popup();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->track(), 0);
    EXPECT_FALSE(first->soloButton()->isChecked());
    first->muteButton()->click();
    EXPECT_EQ(doc().mute[0], 1);
    first->soloButton()->click();
    EXPECT_EQ(doc().soloTrack, 1) << "solo moves to this track";
    first->soloButton()->click();
    EXPECT_EQ(doc().soloTrack, 0);
    EXPECT_TRUE(view().isPlaying());

    // The pointer leaving closes it, once it has been inside.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(first, &leave);
    QTest::qWait(20);
    ASSERT_EQ(bar().popup(), first);
    QEnterEvent in(QPointF(5, 5), QPointF(5, 5), first->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(first, &in);
    QApplication::sendEvent(first, &leave);
    QTest::qWait(20);
    EXPECT_EQ(bar().popup(), nullptr);
    view().Stop();
}

TEST_F(MixerWindowTest, EffectsDialogShowsEachEffectAndInstallsTheCheckedChain)
{
    view().switchToTrack(2);
    bool checked = false;
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDialFx*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Paramètres des Effects"));
        EXPECT_EQ(dialog->parameterGroup()->title(), QStringLiteral("Paramètres du CHORUS"));
        EXPECT_TRUE(dialog->waveGroup()->isVisible());
        EXPECT_FALSE(dialog->waveButton(1)->isEnabled()) << "no square for the chorus";
        EXPECT_TRUE(dialog->waveButton(2)->isChecked());
        EXPECT_TRUE(dialog->phaseButton(3)->isChecked()) << "90 degrees";
        EXPECT_FALSE(dialog->slider(5)->isVisible()) << "five rows for the chorus";

        dialog->effectButton(1)->click();
        EXPECT_EQ(dialog->parameterGroup()->title(), QStringLiteral("Paramètres du COMPRESSEUR"));
        EXPECT_FALSE(dialog->waveGroup()->isVisible());
        EXPECT_TRUE(dialog->slider(5)->isVisible());
        dialog->slider(3)->setValue(50);
        EXPECT_EQ(dialog->valueText(3)->text(), QStringLiteral("-30.00"));

        dialog->effectButton(5)->click();
        EXPECT_EQ(dialog->labelText(0)->text(), QStringLiteral("Cycles (Hz)"));
        dialog->slider(0)->setValue(2);
        EXPECT_EQ(dialog->valueText(0)->text(), QStringLiteral("20.98"));
        dialog->waveButton(1)->click();

        dialog->enableBox(0)->setChecked(true);
        dialog->enableBox(3)->setChecked(true);
        dialog->enableBox(5)->setChecked(true);
        checked = true;
        press(dialog, QStringLiteral("OK"));
    });
    ASSERT_TRUE(frame().runCommand(32874));
    ASSERT_TRUE(checked);
    const sound::SlotEffects fx = view().transport().engine().ReadEffectParams(2);
    EXPECT_EQ(fx.enabledCount(), 3);
    EXPECT_EQ(fx.chainIndex(sound::EffectKind::Echo), 1);
    EXPECT_EQ(fx.gargle.dwRateHz, 20u);
    EXPECT_EQ(fx.gargle.dwWaveShape, 1u);
    EXPECT_FALSE(view().transport().engine().ReadEffectParams(0).anyOn()) << "only the cursor's slot";

    // Opened again, the dialog shows what the slot uses; "Annuler" changes nothing.
    play();
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDialFx*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->enableBox(3)->isChecked());
        EXPECT_FALSE(dialog->enableBox(1)->isChecked());
        dialog->effectButton(5)->click();
        EXPECT_EQ(dialog->valueText(0)->text(), QStringLiteral("20.00"));
        EXPECT_TRUE(dialog->waveButton(1)->isChecked());
        dialog->enableBox(3)->setChecked(false);
        press(dialog, QStringLiteral("Annuler"));
    });
    ASSERT_TRUE(frame().runCommand(32874));
    EXPECT_EQ(view().transport().engine().ReadEffectParams(2).enabledCount(), 3);
    view().Stop();
}
