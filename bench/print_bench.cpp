// Printing speed on the 10-track x 1000-measure benchmark score, on A4 at
// the printer resolution: cutting it into pages, and writing the whole PDF,
// in the single-track view and with all ten tracks shown.
#include "CTabDoc.h"
#include "Pagination.h"
#include "PrintJob.h"
#include "ScoreFactory.h"
#include "StderrPrompter.h"
#include "QtBenchMain.h"

#include <QDir>
#include <QRect>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

const CTabDoc& bigScore()
{
    return factory::benchmarkScore();
}

view::ViewState viewOf(bool allTracks)
{
    view::ViewState s;
    s.resetForNewScore();
    if (allTracks) {
        s.multiTrackView = true;
        s.shownTracks.fill(true);
    }
    return s;
}

void BM_Paginate(benchmark::State& state)
{
    const view::ViewState screen = viewOf(state.range(0) != 0);
    constexpr int kDpi = 1200;
    const QRect page = printing::pdfPageLayout(QPageSize::A4).paintRectPixels(kDpi);
    const view::DeviceMetrics paper{true, page.width(), page.height(), kDpi, nullptr};
    for (auto _ : state) {
        const view::Pagination pages(bigScore(), screen, paper);
        benchmark::DoNotOptimize(pages.pageCount());
        state.counters["pages"] = pages.pageCount();
    }
}
BENCHMARK(BM_Paginate)->ArgName("allTracks")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WritePdf(benchmark::State& state)
{
    const view::ViewState screen = viewOf(state.range(0) != 0);
    const std::string path = QDir::tempPath().toStdString() + "/fretlark-bench-print.pdf";
    StderrPrompter prompter;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            printing::writePdf(bigScore(), screen, path, printing::pdfPageLayout(QPageSize::A4), prompter));
    std::error_code ec;
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path, ec)) / 1e6;
    std::filesystem::remove(path, ec);
}
BENCHMARK(BM_WritePdf)->ArgName("allTracks")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarksWithQt(argc, argv);
}
