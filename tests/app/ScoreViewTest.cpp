// The score view inside the real window: zoom, backgrounds and their
// settings, the paint itself, scrolling, tracks, the document's changes and
// the play marker.
#include "CTabView.h"
#include "ScoreFactory.h"
#include "ScorePainter.h"
#include "Snapshot.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace {

// Records the regions the view's paints cover.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    std::vector<QRegion> regions;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
};

class ScoreViewTest : public WindowTest {
protected:
    CTabView& view() { return *frame().scoreView; }
    view::ViewState& state() { return view().state(); }

    // Lets Qt deliver the pending paints.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    // What the window really shows in the view, read back from its surface.
    QImage screen()
    {
        settle();
        QWidget* vp = view().viewport();
        const QPoint at = vp->mapTo(vp->window(), QPoint(0, 0));
        return vp->screen()
            ->grabWindow(vp->window()->winId(), at.x(), at.y(), vp->width(), vp->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // A full paint of the current score and state, as `--snapshot` paints it.
    QImage fullPaint()
    {
        QImage image(view().viewport()->size(), QImage::Format_RGB32);
        paintView(image, doc(), state());
        return image;
    }
    // A score of `measures` measures of eight eighths on `tracks` tracks.
    void longScore(int tracks = 1, int measures = 120)
    {
        factory::denseScore(doc(), tracks, measures, 8, 2);
        view().documentUpdated();
        settle();
    }
};

int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            n += (la[x] & 0xFFFFFF) != (lb[x] & 0xFFFFFF);
    }
    return n;
}

} // namespace

TEST_F(ScoreViewTest, ZoomStepsByTenWithAFloorOfThirty)
{
    ASSERT_TRUE(start());
    longScore();
    const int lines100 = view().layout().lastScoreLine();
    const int text100 = view().layout().units().smallTextFont.pixelSize;
    for (int i = 0; i < 6; ++i)
        frame().runCommand(32812);
    EXPECT_EQ(state().zoomPercent, 160);
    EXPECT_EQ(state().redrawLevel, view::kRedrawAll);
    // Fonts are made again 1.6 times larger; the same score needs more lines.
    EXPECT_NEAR(view().layout().units().smallTextFont.pixelSize, text100 * 1.6, 1.0);
    EXPECT_GT(view().layout().units().u, 1.5 * 12 - 1);
    EXPECT_GT(view().layout().lastScoreLine(), lines100);

    for (int i = 0; i < 20; ++i)
        frame().runCommand(32814);
    EXPECT_EQ(state().zoomPercent, 30);
    EXPECT_LT(view().layout().lastScoreLine(), lines100);
    frame().runCommand(32812);
    EXPECT_EQ(state().zoomPercent, 40);
}

TEST_F(ScoreViewTest, BackgroundsAreTickedAndKeptWithTheZoomForTheNextRun)
{
    ASSERT_TRUE(start());
    // A new view starts on "Fond Relief" at 100 %.
    EXPECT_EQ(state().backgroundIndex, 4);
    EXPECT_EQ(state().zoomPercent, 100);
    EXPECT_TRUE(frame().action(32888)->isChecked());

    frame().runCommand(32886);
    EXPECT_EQ(state().backgroundIndex, 2);
    for (int id = 32884; id <= 32888; ++id)
        EXPECT_EQ(frame().action(id)->isChecked(), id == 32886) << id;
    frame().runCommand(32812);
    frame().runCommand(32812);

    // Closing the window writes both values; the next window reads them back.
    app().ExitInstance();
    EXPECT_EQ(QSettings().value(QStringLiteral("Back")).toInt(), 2);
    EXPECT_EQ(QSettings().value(QStringLiteral("Zoom")).toInt(), 120);
    ASSERT_TRUE(start());
    EXPECT_EQ(state().backgroundIndex, 2);
    EXPECT_EQ(state().zoomPercent, 120);
    EXPECT_TRUE(frame().action(32886)->isChecked());
    EXPECT_FALSE(frame().action(32888)->isChecked());

    // Values this program never writes leave the defaults.
    app().ExitInstance();
    QSettings().setValue(QStringLiteral("Back"), 7);
    QSettings().setValue(QStringLiteral("Zoom"), QStringLiteral("grand"));
    ASSERT_TRUE(start());
    EXPECT_EQ(state().backgroundIndex, 4);
    EXPECT_EQ(state().zoomPercent, 100);
}

TEST_F(ScoreViewTest, TheWindowShowsWhatASnapshotPaints)
{
    ASSERT_TRUE(start({QStringLiteral(FRETLARK_EXAMPLES "/premier-riff.tbf")}));
    state().cursorMeasure = {0, 1};
    state().cursorBeat = 2;
    state().cursorString = 4;
    view().requestRedraw(view::kRedrawContents);
    const QImage shown = screen();
    EXPECT_EQ(differingPixels(shown, fullPaint()), 0);

    // The staff lines are where the layout puts them.
    const view::LineRecord& line = view().layout().lineRecords().front();
    const int y = line.stringY[2];
    const int x = view().layout().units().drawRect.right - 30;
    EXPECT_EQ(shown.pixel(x, y) & 0xFFFFFF, 0u);
    EXPECT_NE(shown.pixel(x, y + 3) & 0xFFFFFF, 0u);

    // Other background, zoom and scroll position: still the same picture.
    frame().runCommand(32884);
    frame().runCommand(32812);
    view().lineDown();
    EXPECT_EQ(differingPixels(screen(), fullPaint()), 0);
}

TEST_F(ScoreViewTest, CursorMovesInsideAMeasureRepaintOnlyItsCells)
{
    ASSERT_TRUE(start({QStringLiteral(FRETLARK_EXAMPLES "/premier-riff.tbf")}));
    screen();
    PaintSpy spy(view().viewport());
    const QRect whole = view().viewport()->rect();

    state().cursorBeat = 3;
    state().cursorString = 1;
    state().cursorMovedInMeasure = true;
    view().requestRedraw(view::kRedrawContents);
    const QImage shown = screen();
    ASSERT_FALSE(spy.regions.empty());
    const QRect painted = spy.regions.back().boundingRect();
    EXPECT_LT(painted.width() * painted.height(), whole.width() * whole.height() / 50);
    EXPECT_FALSE(state().cursorMovedInMeasure);
    EXPECT_EQ(differingPixels(shown, fullPaint()), 0);

    // Into the next measure: its colour changes, so its whole line is painted.
    state().cursorMeasure = {0, 1};
    state().cursorBeat = 0;
    state().cursorMovedInMeasure = true;
    view().requestRedraw(view::kRedrawContents);
    const QImage next = screen();
    const QRect line = spy.regions.back().boundingRect();
    EXPECT_EQ(line.width(), whole.width());
    EXPECT_LT(line.height(), whole.height() / 2);
    EXPECT_EQ(differingPixels(next, fullPaint()), 0);

    // A fret typed on the next line: that line and the one the cursor left.
    const view::ScoreLayout& l = view().layout();
    ASSERT_GT(l.lastScoreLine(), 1);
    state().cursorMeasure = {0, l.lineStart(2)};
    state().cursorMovedInMeasure = false;
    doc().tracks[0][l.lineStart(2)].beats[0].notes[1].fret = 9;
    view().requestRedraw(view::kRedrawContents);
    const QImage typed = screen();
    EXPECT_LT(spy.regions.back().boundingRect().height(), whole.height());
    EXPECT_EQ(differingPixels(typed, fullPaint()), 0);
}

TEST_F(ScoreViewTest, ScrollBarFollowsTheLayoutAndMovesTheCursor)
{
    ASSERT_TRUE(start());
    longScore();
    const view::ScoreLayout& l = view().layout();
    QScrollBar* bar = view().verticalScrollBar();
    ASSERT_GT(l.lastScoreLine(), 10);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), view::scrollMaximum(l));
    EXPECT_EQ(bar->pageStep(), l.linesPerPage());
    EXPECT_EQ(bar->value(), 0);

    // One step down: the cursor goes to the first measure of the new first line.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(state().firstLine, 1);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(state().cursorMeasure.measure, view().layout().lineStart(1));

    // Dragging the thumb.
    bar->setSliderPosition(6);
    EXPECT_EQ(state().firstLine, 6);
    EXPECT_EQ(state().scrollPosition, 6);
    EXPECT_EQ(state().cursorMeasure.measure, view().layout().lineStart(6));
    EXPECT_EQ(differingPixels(screen(), fullPaint()), 0);

    // Paging up from line 6 and to the end.
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_LT(state().firstLine, 6);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(state().firstLine, view::scrollMaximum(view().layout()));
    EXPECT_EQ(bar->value(), state().firstLine);
}

TEST_F(ScoreViewTest, TheWheelScrollsByLinesWithoutMovingTheCursor)
{
    ASSERT_TRUE(start());
    longScore();
    const view::MeasureRef cursor = state().cursorMeasure;
    QWidget* vp = view().viewport();
    auto turn = [&](QWidget* target, int delta) {
        QWheelEvent e(QPointF(50, 50), target->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
    };
    turn(vp, -360); // three notches towards the user: three lines down
    EXPECT_EQ(state().firstLine, 3);
    EXPECT_EQ(state().cursorMeasure, cursor);
    EXPECT_EQ(view().verticalScrollBar()->value(), 3);
    turn(vp, 120);
    EXPECT_EQ(state().firstLine, 2);
    // A touchpad's small steps add up to a notch.
    turn(vp, 60);
    EXPECT_EQ(state().firstLine, 2);
    turn(vp, 60);
    EXPECT_EQ(state().firstLine, 1);
    // Over the scroll bar the wheel does the same, cursor included.
    turn(view().verticalScrollBar(), -120);
    EXPECT_EQ(state().firstLine, 2);
    EXPECT_EQ(state().cursorMeasure, cursor);
    // Past the top nothing moves.
    turn(vp, 1200);
    EXPECT_EQ(state().firstLine, 2);
    EXPECT_EQ(differingPixels(screen(), fullPaint()), 0);
}

TEST_F(ScoreViewTest, PageAndLineScrollsForTheKeys)
{
    ASSERT_TRUE(start());
    longScore();
    const int page = view().layout().linesPerPage();
    ASSERT_GT(page, 2);
    EXPECT_TRUE(view().pageDown());
    EXPECT_EQ(state().firstLine, page - 1);
    EXPECT_EQ(state().cursorMeasure.measure, view().layout().lineStart(page - 1));
    EXPECT_TRUE(view().lineDown());
    EXPECT_EQ(state().firstLine, page);
    // Scrolling up puts the cursor on the last line shown.
    EXPECT_TRUE(view().lineUp());
    EXPECT_EQ(state().cursorMeasure.measure, view().layout().lineStart(page - 1 + page));
    // Without following, the cursor stays where it was put.
    state().cursorMeasure = {0, 40};
    EXPECT_TRUE(view().scroll(view::ScrollRequest::PageUp, false));
    EXPECT_EQ(state().cursorMeasure.measure, 40);
    EXPECT_TRUE(state().scrollMovesCursor);
    EXPECT_EQ(view().verticalScrollBar()->value(), state().firstLine);
}

TEST_F(ScoreViewTest, ResizingLaysOutAgain)
{
    ASSERT_TRUE(start());
    frame().showNormal();
    frame().resize(780, 480);
    longScore();
    settle();
    const int wide = view().layout().lastScoreLine();
    const int page = view().layout().linesPerPage();
    frame().resize(600, 780);
    settle();
    EXPECT_EQ(view().layout().units().drawRect.right, view().viewport()->width() - 10);
    EXPECT_GT(view().layout().lastScoreLine(), wide);
    EXPECT_GT(view().layout().linesPerPage(), page);
    EXPECT_EQ(view().verticalScrollBar()->maximum(), view::scrollMaximum(view().layout()));
    EXPECT_EQ(differingPixels(screen(), fullPaint()), 0);
}

TEST_F(ScoreViewTest, SwitchingTracksRepaintsAllAndBringsTheMeasureIntoView)
{
    ASSERT_TRUE(start());
    factory::denseScore(doc(), 2, 120, 8, 2);
    // The second track has sixteen beats a measure: its lines hold fewer measures.
    for (int m = 0; m < 120; ++m) {
        CMesure& measure = doc().tracks[1][m];
        measure.beats.SetSize(16);
        measure.beatCount = 16;
        for (int b = 0; b < 16; ++b)
            measure.beats[b].durationCode = 2;
    }
    view().documentUpdated();
    settle();
    view().verticalScrollBar()->setSliderPosition(8);
    const int measure = state().cursorMeasure.measure;
    state().cursorBeat = 3;
    state().cursorString = 0;
    PaintSpy spy(view().viewport());

    frame().runCommand(32836);
    EXPECT_EQ(state().cursorTrack, 1);
    EXPECT_EQ(state().cursorMeasure, (view::MeasureRef{1, measure}));
    EXPECT_EQ(state().cursorBeat, 0);
    EXPECT_EQ(state().cursorString, 3);
    const view::ScoreLayout& l = view().layout();
    const int line = l.lineOfMeasure(measure, 1);
    EXPECT_GE(line, state().firstLine);
    EXPECT_LE(line, l.lastLine());
    EXPECT_GT(state().firstLine, 8);
    EXPECT_EQ(view().verticalScrollBar()->value(), state().firstLine);
    const QImage shown = screen();
    ASSERT_FALSE(spy.regions.empty());
    EXPECT_EQ(spy.regions.back().boundingRect(), view().viewport()->rect());
    EXPECT_EQ(differingPixels(shown, fullPaint()), 0);
}

TEST_F(ScoreViewTest, NewAndOpenedScoresStartOverAndSaveKeepsTheCursorInTheScore)
{
    int64_t now = 5000;
    ASSERT_TRUE(start());
    view().setClock([&] { return now; });
    longScore(3, 30);
    state().multiTrackView = true;
    state().shownTracks = {true, true, true};
    state().cursorTrack = 2;
    view().lineDown();
    ASSERT_GT(state().firstLine, 0);

    now = 9000;
    frame().runCommand(57600);
    EXPECT_FALSE(state().multiTrackView);
    EXPECT_EQ(state().cursorTrack, 0);
    EXPECT_EQ(state().firstLine, 0);
    EXPECT_EQ(state().cursorMeasure, (view::MeasureRef{0, 0}));
    EXPECT_EQ(view().loadTime(), 9000);
    EXPECT_TRUE(view().justLoaded());
    now = 9199;
    EXPECT_TRUE(view().justLoaded());
    now = 9200;
    EXPECT_FALSE(view().justLoaded());

    // Saving drops an empty last measure: the cursor moves back with it.
    doc().tracks[0][0].beats[0].notes[0].fret = 3;
    doc().measureCount = 2;
    doc().tracks[0].SetSize(2);
    state().cursorMeasure = {0, 1};
    now = 12000;
    ASSERT_TRUE(doc().OnSaveDocument(dir.file("deux.tbf")));
    EXPECT_EQ(doc().measureCount, 1);
    EXPECT_EQ(state().cursorMeasure, (view::MeasureRef{0, 0}));
    EXPECT_EQ(view().loadTime(), 9000); // saving is not loading
    EXPECT_EQ(differingPixels(screen(), fullPaint()), 0);
}

TEST_F(ScoreViewTest, ThePlayMarkerFollowsThePlayPosition)
{
    ASSERT_TRUE(start());
    longScore();
    view().setPlaying(true);
    const QImage playing = screen();
    // White while playing, and the full paint agrees.
    EXPECT_EQ(playing.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    PaintSpy spy(view().viewport());

    view().showPlayPosition(2, 5);
    EXPECT_EQ(state().redrawLevel, view::kRedrawPlayMarker);
    EXPECT_EQ(state().cursorMeasureIndex, 2);
    EXPECT_EQ(state().cursorBeat, 5);
    const QImage marked = screen();
    ASSERT_FALSE(spy.regions.empty());
    ASSERT_TRUE(view().paintedPlayMarkerArea().has_value());
    EXPECT_TRUE(spy.regions.back().boundingRect().contains(*view().paintedPlayMarkerArea()));
    for (const QRect& r : spy.regions.back())
        EXPECT_LT(r.height(), 3 * view().layout().units().u);
    EXPECT_EQ(differingPixels(marked, fullPaint()), 0);
    // The marker moves: the old place is painted over.
    view().showPlayPosition(3, 0);
    EXPECT_EQ(differingPixels(screen(), fullPaint()), 0);
    // The same position polled again paints nothing.
    const std::size_t paints = spy.regions.size();
    view().showPlayPosition(3, 0);
    settle();
    EXPECT_EQ(spy.regions.size(), paints);

    // A measure below the window: the view scrolls and repaints everything.
    const int far = view().layout().lineStart(view().layout().lastLine() + 3);
    view().showPlayPosition(far, 1);
    EXPECT_EQ(state().redrawLevel, view::kRedrawScrollPlaying);
    EXPECT_GT(state().firstLine, 0);
    EXPECT_EQ(view().verticalScrollBar()->value(), state().firstLine);
    EXPECT_EQ(differingPixels(screen(), fullPaint()), 0);

    // Without scrolling during playback the view stays put.
    frame().runCommand(32859);
    EXPECT_FALSE(state().scrollDuringPlayback);
    const int first = state().firstLine;
    view().showPlayPosition(far + 40, 0);
    EXPECT_EQ(state().firstLine, first);
    EXPECT_EQ(state().redrawLevel, view::kRedrawPlayMarker);

    view().Stop();
    EXPECT_FALSE(state().isPlaying);
    EXPECT_NE(screen().pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
}
