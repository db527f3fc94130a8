#include "CMainFrame.h"
#include "CTabApp.h"
#include "CTabView.h"

#include <QElapsedTimer>
#include <QWindow>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

// InitInstance, then events until the window is exposed and its view painted.
void startWindow(CTabApp& app)
{
    app.InitInstance({});
    CMainFrame* frame = app.mainFrame();
    while (!frame->windowHandle() || !frame->windowHandle()->isExposed())
        QCoreApplication::processEvents();
    frame->scoreView->viewport()->repaint();
}

void BM_EditorWindowStart(benchmark::State& state)
{
    CTabApp& app = *CTabApp::instance();
    for (auto _ : state) {
        startWindow(app);
        state.PauseTiming();
        app.ExitInstance();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditorWindowStart)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a sound card the engine's message box would wait for a click;
    // FRETLARK_AUDIO=default measures the start with the real device.
    if (qEnvironmentVariableIsEmpty("FRETLARK_AUDIO"))
        qputenv("FRETLARK_AUDIO", "null");
    QElapsedTimer sinceStart;
    sinceStart.start();
    CTabApp app(argc, argv);
    const qint64 appMs = sinceStart.elapsed();
    startWindow(app);
    // The first window of a run pays for fonts, plugins and images.
    std::printf("first window: application object %lld ms, window shown and painted %lld ms\n",
                static_cast<long long>(appMs), static_cast<long long>(sinceStart.elapsed()));
    app.ExitInstance();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
