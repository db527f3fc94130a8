// The play commands in the real window, on the null audio device.
#include "CSoundEngine.h"
#include "CTabView.h"
#include "TransportController.h"
#include "WindowFixture.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

class TransportTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const std::string path = dir.file("quick.tbf");
        // Four measures of eighths at 240: an eighth lasts 125 ms.
        writeScore(path, [](CTabDoc& d) {
            d.measureCount = 4;
            for (int m = 0; m < 4; ++m) {
                CMesure& ms = d.tracks[0][m];
                ms.tempo = 240;
                resetMeasureBeats(ms, 8);
                ms.beatCount = 8;
                for (int b = 0; b < 8; ++b) {
                    ms.beats[b].durationCode = 3;
                    ms.beats[b].notes[0].fret = b;
                }
            }
        });
        ASSERT_TRUE(start({QString::fromStdString(path)}));
        view().transport().ensureBank();
        ASSERT_TRUE(view().transport().engine().isReady()) << "the sample bank did not load";
    }
    CTabView& view() { return *frame().scoreView; }
    bool playing() { return view().isPlaying(); }
};

} // namespace

TEST_F(TransportTest, PlayMovesTheMarkerAndStopPutsTheCursorBack)
{
    view().state().cursorMeasure = {0, 1};
    ASSERT_TRUE(frame().runCommand(32815));
    EXPECT_TRUE(playing());
    QTest::qWait(600);
    EXPECT_TRUE(playing());
    EXPECT_GE(view().state().cursorMeasureIndex, 1);
    EXPECT_TRUE(view().state().cursorBeat > 0 || view().state().cursorMeasureIndex > 1);
    ASSERT_TRUE(frame().runCommand(32816));
    EXPECT_FALSE(playing());
    EXPECT_EQ(view().state().cursorBeat, 0);
    EXPECT_GE(view().state().cursorMeasure.measure, 1);
}

TEST_F(TransportTest, EndOfScoreReturnsToTheFirstMeasure)
{
    view().state().cursorMeasure = {0, 3};
    ASSERT_TRUE(frame().runCommand(32815));
    // The last note (fret 7 on the top string: sample 33) rings out past the
    // end of the performance: seen as soon as the performance is over.
    CSoundEngine& engine = view().transport().engine();
    QElapsedTimer clock;
    clock.start();
    while (view().transport().isPlaying() && clock.elapsed() < 5000)
        QTest::qWait(2);
    EXPECT_GE(engine.bufferPosition(0, 33), 0);
    for (int i = 0; i < 300 && playing(); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(playing());
    EXPECT_EQ(view().state().cursorMeasure.measure, 0);
    EXPECT_EQ(view().state().cursorBeat, 0);
    // Stop silences it.
    ASSERT_TRUE(frame().runCommand(32816));
    EXPECT_EQ(engine.bufferPosition(0, 33), -1);
}

TEST_F(TransportTest, ClosingOrOpeningAMenuWhilePlayingOnlyStops)
{
    ASSERT_TRUE(frame().runCommand(32833));
    ASSERT_TRUE(playing());
    QCloseEvent close;
    QApplication::sendEvent(&frame(), &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_FALSE(playing());

    ASSERT_TRUE(frame().runCommand(32815));
    ASSERT_TRUE(playing());
    QMenu* menu = frame().menuBar()->actions().front()->menu();
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    EXPECT_FALSE(playing());
}

TEST_F(TransportTest, LoopGoToEndAndStart)
{
    EXPECT_FALSE(frame().action(32830)->isChecked());
    ASSERT_TRUE(frame().runCommand(32830));
    EXPECT_TRUE(frame().action(32830)->isChecked());

    ASSERT_TRUE(frame().runCommand(32817));
    EXPECT_EQ(view().state().cursorMeasure.measure, 3);
    EXPECT_EQ(view().state().cursorBeat, 7);
    ASSERT_TRUE(frame().runCommand(32818));
    EXPECT_EQ(view().state().cursorMeasure.measure, 0);
    EXPECT_EQ(view().state().cursorBeat, 0);

    // Looping: the fourth measure is followed by the first again.
    view().state().cursorMeasure = {0, 3};
    ASSERT_TRUE(frame().runCommand(32815));
    bool wrapped = false;
    for (int i = 0; i < 200 && !wrapped; ++i) {
        QTest::qWait(10);
        wrapped = playing() && view().state().cursorMeasureIndex == 0;
    }
    EXPECT_TRUE(wrapped);
    frame().runCommand(32816);
}

TEST_F(TransportTest, AuditionSoundsTheBeatForHalfASecond)
{
    view().state().cursorMeasure = {0, 0};
    view().state().cursorBeat = 2; // fret 2 on the top string: sample 28
    view().transport().audition();
    CSoundEngine& engine = view().transport().engine();
    // Polled rather than timed: a busy machine may start the audio thread late.
    QElapsedTimer clock;
    clock.start();
    while (engine.bufferPosition(0, 28) < 0 && clock.elapsed() < 3000)
        QTest::qWait(5);
    EXPECT_GE(engine.bufferPosition(0, 28), 0);
    EXPECT_EQ(engine.bufferVolume(0, 28), -800);
    const qint64 started = clock.elapsed();
    while (engine.bufferPosition(0, 28) >= 0 && clock.elapsed() < started + 5000)
        QTest::qWait(5);
    EXPECT_EQ(engine.bufferPosition(0, 28), -1);
    EXPECT_GE(clock.elapsed() - started, 300);
}
