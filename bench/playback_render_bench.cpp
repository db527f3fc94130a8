// Offline rendering speed: a dense 10-track, 100-measure score through the
// playback pass and the mixer, reported as a multiple of real time.
#include "CSoundEngine.h"
#include "CTabDoc.h"
#include "PlaybackController.h"
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

} // namespace

BENCHMARK_MAIN();
