// The recovery copy of a 10-track x 1000-measure score (8 beats of 3 notes).
// BM_AutosaveTick is what the user-interface thread spends when a copy is
// due (the score turned into bytes and handed to the writer): the delay a
// keystroke can meet. BM_RecoveryDiskWrite is the worker's part (atomic write
// of the copy and its side file, flushed to disk), which typing never waits for.
#include "Autosave.h"
#include "CTabDoc.h"
#include "RecoveryStore.h"
#include "ScoreFactory.h"
#include "TbfFormat.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

CTabDoc& bigScore()
{
    static CTabDoc doc = [] {
        CTabDoc d;
        factory::denseScore(d, 10, 1000, 8, 3);
        d.isSaved = 0;
        return d;
    }();
    return doc;
}

std::string scratchFolder()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "fretlark-bench-XXXXXX").string();
    return std::string(::mkdtemp(tmpl.data())) + "/recovery";
}

void BM_AutosaveTick(benchmark::State& state)
{
    CTabDoc& doc = bigScore();
    const std::string folder = scratchFolder();
    {
        recovery::Store store(folder);
        if (!store.claim().empty()) {
            state.SkipWithError("no recovery folder");
            return;
        }
        Autosave autosave(doc, store, 30000, "bench");
        std::int64_t now = 0;
        autosave.tick(now); // the first change
        int fret = 0;
        for (auto _ : state) {
            // A typed digit, then the timer finds a copy due.
            doc.tracks[5][500].beats[3].notes[0].fret = fret++ % 25;
            now += 30000;
            autosave.tick(now);
            state.PauseTiming();
            autosave.flush();
            state.ResumeTiming();
        }
        autosave.discard();
    }
    std::filesystem::remove_all(std::filesystem::path(folder).parent_path());
}
BENCHMARK(BM_AutosaveTick)->Unit(benchmark::kMillisecond);

void BM_RecoveryDiskWrite(benchmark::State& state)
{
    const std::string bytes = tbf::write(bigScore());
    const std::string folder = scratchFolder();
    {
        recovery::Store store(folder);
        if (!store.claim().empty()) {
            state.SkipWithError("no recovery folder");
            return;
        }
        for (auto _ : state)
            benchmark::DoNotOptimize(store.write(bytes, {"/home/ana/grand.tbf", 0, "bench"}));
        store.remove();
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    }
    std::filesystem::remove_all(std::filesystem::path(folder).parent_path());
}
BENCHMARK(BM_RecoveryDiskWrite)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
