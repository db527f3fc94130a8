// Guitar Pro import speed: every sample file imported into one document, as
// the open command does (the document's old score is emptied each time).
#include "CTabDoc.h"
#include "FileIo.h"
#include "GpImporter.h"

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> load(const char* dir, std::initializer_list<const char*> names)
{
    std::vector<std::string> out;
    for (const char* name : names) {
        std::optional<std::string> bytes = fileio::readAll(std::string(dir) + "/" + name);
        if (!bytes)
            throw std::runtime_error(std::string("missing sample ") + name);
        out.push_back(std::move(*bytes));
    }
    return out;
}

void importAll(benchmark::State& state, const std::vector<std::string>& files)
{
    CTabDoc doc;
    std::size_t total = 0;
    for (const std::string& f : files)
        total += f.size();
    for (auto _ : state) {
        for (const std::string& f : files) {
            const bool ok = gp::importScore(doc, reinterpret_cast<const std::uint8_t*>(f.data()), f.size());
            benchmark::DoNotOptimize(ok);
        }
        benchmark::DoNotOptimize(doc.tracks[0][0].beatCount);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(total));
}

void BM_ImportGpSamples(benchmark::State& state)
{
    static const std::vector<std::string> files =
        load(FRETLARK_GP_DATA, {"Chords.gp3", "Chords.gp4", "Duration.gp3", "Effects.gp3", "Effects.gp4",
                                "Harmonics.gp3", "Harmonics.gp4", "Key.gp4", "Measure-Header.gp3",
                                "Measure-Header.gp4", "Repeat.gp4", "Slides.gp4", "Strokes.gp4", "Vibrato.gp4"});
    importAll(state, files);
}
BENCHMARK(BM_ImportGpSamples);

void BM_ImportGp5Samples(benchmark::State& state)
{
    static const std::vector<std::string> files =
        load(FRETLARK_GP5_DATA, {"Chords.gp5", "Demo-v5.gp5", "Directions.gp5", "Effects.gp5", "Harmonics.gp5",
                                 "Key.gp5", "Measure-Header.gp5", "No-Wah.gp5", "RSE.gp5", "Repeat.gp5",
                                 "Slides.gp5", "Strokes.gp5", "Tie.gp5", "Voices.gp5", "Wah.gp5"});
    importAll(state, files);
}
BENCHMARK(BM_ImportGp5Samples);

// The five-track song alone: the size of a real tab.
void BM_ImportGp5Song(benchmark::State& state)
{
    static const std::vector<std::string> files = load(FRETLARK_GP5_DATA, {"Demo-v5.gp5"});
    importAll(state, files);
}
BENCHMARK(BM_ImportGp5Song);

} // namespace

BENCHMARK_MAIN();
