// Offline rendering speed: a dense 10-track, 100-measure score through the
// playback pass and the mixer, reported as a multiple of real time.
#include "CSoundEngine.h"
#include "CTabDoc.h"
#include "MidiExport.h"
#include "PlaybackController.h"
#include "RenderCommand.h"
#include "TempDir.h"
#include "ScoreFactory.h"
#include "ScriptedPrompter.h"

#include <benchmark/benchmark.h>

#include <mutex>

namespace {

void BM_RenderDenseScore(benchmark::State& state)
{
    CTabDoc doc;
    factory::denseScore(doc, 10, 100, 8, 3);
    for (int t = 0; t < 10; ++t)
        for (int m = 0; m < 100; ++m)
            doc.tracks[static_cast<std::size_t>(t)][m].tempo = 120;
    ScriptedPrompter prompter;
    CSoundEngine engine(FRETLARK_BUILD_DIR, &prompter);
    engine.Open(CSoundEngine::Output::Offline);
    if (!engine.LoadBank(std::span<const int>(doc.slotInstrument.data(), doc.slotInstrument.size()), doc.slotCount)) {
        state.SkipWithError("the sample bank did not load");
        return;
    }
    std::recursive_mutex lock;
    PlaybackController controller(doc, engine, lock);
    double audioSeconds = 0;
    for (auto _ : state) {
        controller.play({}, 0);
        const double before = engine.audioClockMs();
        while (controller.isPlaying())
            benchmark::DoNotOptimize(engine.renderOffline(441).data());
        audioSeconds += (engine.audioClockMs() - before) / 1000.0;
    }
    state.counters["x_real_time"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate); // seconds of sound per second of CPU
}
BENCHMARK(BM_RenderDenseScore)->Unit(benchmark::kMillisecond)->Iterations(2);

// "Exporter en WAV": the same score written to a file at 80 % speed, with the
// progress callback the window uses.
void BM_ExportDenseScoreToWav(benchmark::State& state)
{
    CTabDoc doc;
    factory::denseScore(doc, 10, 100, 8, 3);
    ScriptedPrompter prompter;
    TempDir dir;
    RenderRequest request;
    request.practice.speedPercent = 80;
    int calls = 0;
    request.progress = [&](double) { return ++calls > 0; };
    const double audioMs = playedLengthMs(doc, request) + request.tailMs;
    double audioSeconds = 0;
    for (auto _ : state) {
        if (!renderScoreToWav(doc, request, dir.file("dense.wav"), FRETLARK_BUILD_DIR, prompter)) {
            state.SkipWithError("the render failed");
            return;
        }
        audioSeconds += audioMs / 1000.0;
    }
    state.counters["x_real_time"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportDenseScoreToWav)->Unit(benchmark::kMillisecond)->Iterations(2);

// "Exporter en MIDI" of a 10-track x 1000-measure score.
void BM_ExportMidi(benchmark::State& state)
{
    CTabDoc doc;
    factory::denseScore(doc, 10, 1000, 8, 3);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> file = MidiExport::build(doc);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportMidi)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
