// Guitar Pro import speed: every sample file imported into one document, as
// the open command does (the document's old score is emptied each time).
#include "CTabDoc.h"
#include "FileIo.h"
#include "GpImporter.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::vector<std::string>& samples()
{
    static const std::vector<std::string> files = [] {
        std::vector<std::string> out;
        for (const char* name : {"Chords.gp3", "Chords.gp4", "Duration.gp3", "Effects.gp3", "Effects.gp4",
                                 "Harmonics.gp3", "Harmonics.gp4", "Key.gp4", "Measure-Header.gp3",
                                 "Measure-Header.gp4", "Repeat.gp4", "Slides.gp4", "Strokes.gp4", "Vibrato.gp4"}) {
            std::optional<std::string> bytes = fileio::readAll(std::string(FRETLARK_GP_DATA) + "/" + name);
            if (!bytes)
                throw std::runtime_error(std::string("missing sample ") + name);
            out.push_back(std::move(*bytes));
        }
        return out;
    }();
    return files;
}

void BM_ImportGpSamples(benchmark::State& state)
{
    CTabDoc doc;
    std::size_t total = 0;
    for (const std::string& f : samples())
        total += f.size();
    for (auto _ : state) {
        for (const std::string& f : samples()) {
            const bool ok = gp::importScore(doc, reinterpret_cast<const std::uint8_t*>(f.data()), f.size());
            benchmark::DoNotOptimize(ok);
        }
        benchmark::DoNotOptimize(doc.tracks[0][0].beatCount);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(total));
}
BENCHMARK(BM_ImportGpSamples);

} // namespace

BENCHMARK_MAIN();
