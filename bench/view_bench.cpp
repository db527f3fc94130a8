// Score view speed on a 10-track x 1000-measure score (8 eighths of three
// notes per measure): laying the whole score out, and painting a full
// 1920 x 1080 window into a QImage as the screen would be painted.
#include "CTabDoc.h"
#include "QPainterCanvas.h"
#include "ScoreFactory.h"
#include "ScoreLayout.h"
#include "ScorePainter.h"
#include "QtBenchMain.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

const CTabDoc& bigScore()
{
    return factory::benchmarkScore();
}

view::ViewState singleTrack()
{
    view::ViewState s;
    s.resetForNewScore();
    return s;
}

view::ViewState allTracks()
{
    view::ViewState s = singleTrack();
    s.multiTrackView = true;
    s.shownTracks.fill(true);
    return s;
}

struct Screen {
    QImage image{1920, 1080, QImage::Format_RGB32};
    QPainter painter{&image};
    QPainterCanvas canvas{painter};
    view::DeviceMetrics device;
    Screen()
    {
        device.width = image.width();
        device.height = image.height();
        device.fonts = &canvas;
    }
};

void layout(benchmark::State& state, const view::ViewState& view)
{
    const CTabDoc& doc = bigScore();
    Screen screen;
    for (auto _ : state) {
        view::ScoreLayout l = view::ScoreLayout::compute(doc, view, screen.device);
        benchmark::DoNotOptimize(l.lastScoreLine());
    }
}

void BM_LayoutSingleTrack(benchmark::State& state)
{
    layout(state, singleTrack());
}
BENCHMARK(BM_LayoutSingleTrack)->Unit(benchmark::kMillisecond);

void BM_LayoutTenTracks(benchmark::State& state)
{
    layout(state, allTracks());
}
BENCHMARK(BM_LayoutTenTracks)->Unit(benchmark::kMillisecond);

void paint(benchmark::State& state, view::ViewState view)
{
    const CTabDoc& doc = bigScore();
    Screen screen;
    view.firstLine = view.scrollPosition = static_cast<int>(state.range(0));
    const view::ScoreLayout l = view::ScoreLayout::compute(doc, view, screen.device);
    view::ScorePainter(screen.canvas, doc, view, l).paint(); // warm the glyph and background caches
    for (auto _ : state) {
        view::ScorePainter(screen.canvas, doc, view, l).paint();
        benchmark::DoNotOptimize(screen.image.constBits());
    }
}

void BM_PaintSingleTrack(benchmark::State& state)
{
    paint(state, singleTrack());
}
BENCHMARK(BM_PaintSingleTrack)->Arg(0)->Arg(40)->Unit(benchmark::kMillisecond);

void BM_PaintTenTracks(benchmark::State& state)
{
    paint(state, allTracks());
}
BENCHMARK(BM_PaintTenTracks)->Arg(0)->Arg(40)->Unit(benchmark::kMillisecond);

// What a keystroke costs: lay the score out again and paint the window.
void BM_LayoutAndPaint(benchmark::State& state)
{
    const CTabDoc& doc = bigScore();
    Screen screen;
    const view::ViewState view = singleTrack();
    for (auto _ : state) {
        const view::ScoreLayout l = view::ScoreLayout::compute(doc, view, screen.device);
        view::ScorePainter(screen.canvas, doc, view, l).paint();
        benchmark::DoNotOptimize(screen.image.constBits());
    }
}
BENCHMARK(BM_LayoutAndPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarksWithQt(argc, argv);
}
