// The palette suggestion for every one of the 16,777,216 colours, and the colour list
// and recolouring of a 400x1000 art.
#include "convert/ColourChange.h"
#include "palette/Palette.h"

#include <benchmark/benchmark.h>

using namespace torvo;

namespace {

void BM_GetColorAllColours(benchmark::State& state) {
    const Palette palette;
    for (auto _ : state) {
        std::uint32_t mix = 0;
        for (std::uint32_t v = 0; v < 0x1000000u; ++v)
            mix += GetColor(Colour{v}, palette).value();
        benchmark::DoNotOptimize(mix);
    }
    state.SetItemsProcessed(state.iterations() * 0x1000000);
}

// 1000 lines of 400 characters, the colour changing every 7 characters among 20 colours.
RichText art() {
    RichText t;
    t.reserve(1000 * 402);
    for (int line = 0; line < 1000; ++line) {
        for (int i = 0; i < 400; ++i)
            t.append(U'a' + char32_t(i % 26), Colour{std::uint32_t((line * 400 + i) / 7 % 20) * 0x0A0B0Cu});
        t.appendLineBreak();
    }
    return t;
}

void BM_DistinctColours(benchmark::State& state) {
    const RichText t = art();
    for (auto _ : state)
        benchmark::DoNotOptimize(distinctColours(t));
}

void BM_ApplyColourChanges(benchmark::State& state) {
    const RichText t = art();
    const Palette palette;
    std::vector<ColourReplacement> rows;
    const auto list = distinctColours(t);
    for (Colour c : *list)
        rows.push_back({c, GetColor(c, palette)});
    RichText work = t;
    for (auto _ : state) {
        state.PauseTiming();
        work = t;
        state.ResumeTiming();
        benchmark::DoNotOptimize(applyColourChanges(work, rows));
    }
}

} // namespace

BENCHMARK(BM_GetColorAllColours)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK(BM_DistinctColours)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ApplyColourChanges)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
