// The real score view widget, 1920 x 1080, on a 10-track x 1000-measure
// score: what one repaint costs at each redraw level, layout included where
// the level asks for it.
#include "CTabApp.h"
#include "CTabDoc.h"
#include "CTabView.h"
#include "ScoreFactory.h"

#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Fixture {
    CTabDoc doc;
    std::unique_ptr<CTabView> view;

    Fixture()
    {
        factory::denseScore(doc, 10, 1000, 8, 3);
        for (int t = 0; t < 10; ++t)
            for (int m = 0; m < 1000; ++m) {
                CMesure& measure = doc.tracks[static_cast<std::size_t>(t)][m];
                measure.beats[1].notes[1].vibrato = model::kVibratoLeftHand;
                measure.beats[5].notes[2].bend = 2 * 16 + model::kBendBend;
                measure.beats[2].palmMute = 1;
            }
        view = std::make_unique<CTabView>(*CTabApp::instance(), doc);
        view->resize(1920 + view->verticalScrollBar()->sizeHint().width(), 1080);
        view->show();
        doc.isFreshLoad = 1;
        view->documentUpdated();
        view->viewport()->repaint();
        QCoreApplication::processEvents();
    }
    ~Fixture() { doc.setListener(nullptr); }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// A redraw level asked for, then the window painted at once.
void repaintAt(benchmark::State& state, int level)
{
    Fixture& f = fixture();
    f.view->state().isPlaying = false;
    f.view->state().firstLine = f.view->state().scrollPosition = 2;
    for (auto _ : state) {
        f.view->requestRedraw(level);
        f.view->viewport()->repaint();
    }
    state.counters["width"] = f.view->viewport()->width();
    state.counters["height"] = f.view->viewport()->height();
}

void BM_WidgetRepaintLevel0(benchmark::State& state)
{
    repaintAt(state, 0);
}
BENCHMARK(BM_WidgetRepaintLevel0)->Unit(benchmark::kMillisecond);

void BM_WidgetRepaintLevel1(benchmark::State& state)
{
    repaintAt(state, 1);
}
BENCHMARK(BM_WidgetRepaintLevel1)->Unit(benchmark::kMillisecond);

void BM_WidgetRepaintLevel2(benchmark::State& state)
{
    repaintAt(state, 2);
}
BENCHMARK(BM_WidgetRepaintLevel2)->Unit(benchmark::kMillisecond);

// The cursor stepping through the beats of its measure: only its cells.
void BM_WidgetCursorMoveInMeasure(benchmark::State& state)
{
    Fixture& f = fixture();
    view::ViewState& s = f.view->state();
    s.isPlaying = false;
    s.cursorMeasure = {s.cursorTrack, f.view->layout().lineStart(s.firstLine + 1)};
    f.view->requestRedraw(1);
    QCoreApplication::processEvents();
    int beat = 0;
    for (auto _ : state) {
        beat = (beat + 1) % 8;
        s.cursorBeat = beat;
        s.cursorMovedInMeasure = true;
        f.view->requestRedraw(2);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_WidgetCursorMoveInMeasure)->Unit(benchmark::kMillisecond);

// The play marker moving from beat to beat during playback.
void BM_WidgetPlayMarkerStep(benchmark::State& state)
{
    Fixture& f = fixture();
    f.view->setPlaying(true);
    QCoreApplication::processEvents();
    const int measure = f.view->layout().lineStart(f.view->state().firstLine + 1);
    int beat = 0;
    for (auto _ : state) {
        beat = (beat + 1) % 8;
        f.view->showPlayPosition(measure, beat);
        QCoreApplication::processEvents();
    }
    f.view->setPlaying(false);
}
BENCHMARK(BM_WidgetPlayMarkerStep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The view keeps its zoom and background in the settings: not the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    CTabApp app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
