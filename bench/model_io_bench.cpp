// Native file speed on a large score: 10 tracks x 1000 measures, 8 beats of 3 notes.
#include "CTabDoc.h"
#include "ScoreFactory.h"
#include "TbfFormat.h"

#include <benchmark/benchmark.h>

namespace {

CTabDoc& bigScore()
{
    static CTabDoc doc = [] {
        CTabDoc d;
        factory::denseScore(d, 10, 1000, 8, 3);
        return d;
    }();
    return doc;
}

void BM_WriteTbf(benchmark::State& state)
{
    const CTabDoc& doc = bigScore();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string out = tbf::write(doc);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteTbf)->Unit(benchmark::kMillisecond);

void BM_ReadTbf(benchmark::State& state)
{
    const std::string file = tbf::write(bigScore());
    CTabDoc doc;
    for (auto _ : state) {
        tbf::read(doc, reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
        benchmark::DoNotOptimize(doc.tracks[9][999].beatCount);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_ReadTbf)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
