// Mixer speed: 64 voices whose rates and levels change every millisecond,
// rendered at 44100 Hz stereo. "x_realtime" is seconds of audio per second
// of CPU time on one core.
#include "EffectChain.h"
#include "Mixer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kVoices = 64;

std::shared_ptr<const sound::SampleData> tone(int index)
{
    auto s = std::make_shared<sound::SampleData>();
    s->channels = 1;
    s->blockAlign = 2;
    s->rate = 22050;
    s->frames = 42500;
    s->left.assign(static_cast<std::size_t>(s->frames) + sound::SampleData::kPadBefore + sound::SampleData::kPadAfter, 0);
    const double hz = 82.4 * std::pow(2.0, index / 12.0);
    for (int i = 0; i < s->frames; ++i) {
        const double t = i / 22050.0;
        s->left[static_cast<std::size_t>(i + 1)] =
            static_cast<float>(0.5 * std::exp(-t) * (std::sin(2 * std::numbers::pi * hz * t) +
                                                     0.3 * std::sin(6 * std::numbers::pi * hz * t)));
    }
    return s;
}

// Forty decaying tones a semitone apart, made once.
const std::vector<std::shared_ptr<const sound::SampleData>>& toneSet()
{
    static const auto tones = [] {
        std::vector<std::shared_ptr<const sound::SampleData>> t;
        for (int i = 0; i < 40; ++i)
            t.push_back(tone(i));
        return t;
    }();
    return tones;
}

// One second of audio per iteration, counted as seconds per second of CPU.
void renderSeconds(benchmark::State& state, sound::Mixer& mixer)
{
    std::vector<float> out(static_cast<std::size_t>(kRate) * 2);
    for (auto _ : state) {
        mixer.render(out.data(), kRate);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// `kernel`: the instruction set to mix with; the default run uses the best
// one this processor has, the others show what older processors get.
void BM_Mix64Voices(benchmark::State& state, sound::Mixer::Kernel kernel)
{
    if (!sound::Mixer::useKernel(kernel)) {
        state.SkipWithError("kernel not available on this processor");
        return;
    }
    const auto& tones = toneSet();
    sound::Mixer mixer(kRate, 2);
    for (int v = 0; v < kVoices; ++v)
        mixer.install(v / 16, v % 16, tones[static_cast<std::size_t>(v % 40)]);
    // Vibrato factors per millisecond of a 180 ms period, as playback keeps them.
    static const auto wobble = [] {
        std::vector<double> w(180);
        for (std::size_t i = 0; i < w.size(); ++i)
            w[i] = 1.0 + 0.03 * std::sin(static_cast<double>(i) * std::numbers::pi / 90.0);
        return w;
    }();
    int tick = 0;
    // Like the playback pass: vibrato and bends on every voice every
    // millisecond, level fades every 20 ms, restarts when a voice runs out.
    mixer.setTickCallback([&](double) {
        ++tick;
        for (int v = 0; v < kVoices; ++v) {
            const int slot = v / 16, index = v % 16;
            const double factor = wobble[static_cast<std::size_t>((tick + 7 * v) % 180)];
            mixer.setFrequency(slot, index, static_cast<int>(22050 * factor * (1.0 + (v % 5) * 0.05)));
            if (tick % 20 == v % 20)
                mixer.setLevel(slot, index, -400 - (tick / 20 + v) % 1200);
            if (mixer.position(slot, index) < 0)
                mixer.post(slot, index, (v * 1000) % 40000);
        }
    });
    renderSeconds(state, mixer);
    sound::Mixer::useKernel(sound::Mixer::availableKernels().back());
}
// The same 64 voices spread over ten slots, each slot running all eight
// effects at their default settings.
void BM_Mix64VoicesAllEffectsTenSlots(benchmark::State& state)
{
    const auto& tones = toneSet();
    constexpr int kSlotsUsed = 10;
    sound::Mixer mixer(kRate, 2);
    std::vector<std::unique_ptr<sound::EffectChain>> chains;
    sound::SlotEffects all;
    all.enabled.fill(true);
    for (int s = 0; s < kSlotsUsed; ++s) {
        chains.push_back(std::make_unique<sound::EffectChain>(kRate));
        chains.back()->publish(all);
        mixer.setBusProcessor(s, chains.back().get());
    }
    for (int v = 0; v < kVoices; ++v)
        mixer.install(v % kSlotsUsed, v / kSlotsUsed, tones[static_cast<std::size_t>(v % 40)]);
    int tick = 0;
    mixer.setTickCallback([&](double) {
        ++tick;
        for (int v = 0; v < kVoices; ++v) {
            const int slot = v % kSlotsUsed, index = v / kSlotsUsed;
            if (tick % 20 == v % 20)
                mixer.setLevel(slot, index, -400 - (tick / 20 + v) % 1200);
            if (mixer.position(slot, index) < 0)
                mixer.post(slot, index, (v * 1000) % 40000);
        }
    });
    renderSeconds(state, mixer);
}
BENCHMARK(BM_Mix64VoicesAllEffectsTenSlots)->Unit(benchmark::kMillisecond)->MinTime(3.0);

BENCHMARK_CAPTURE(BM_Mix64Voices, best, sound::Mixer::availableKernels().back())
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);
BENCHMARK_CAPTURE(BM_Mix64Voices, avx2, sound::Mixer::Kernel::Avx2)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK_CAPTURE(BM_Mix64Voices, sse, sound::Mixer::Kernel::Sse)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
