// Flood fill speed: one region covering a 1000x1000 grid, and a 40x20 rectangle of seeds
// over a 400x200 checkerboard of two characters.
#include "art/CharGrid.h"
#include "paint/Fill.h"

#include <benchmark/benchmark.h>

using namespace torvo;

namespace {

constexpr Colour Red{0x0000FF};
constexpr Colour Blue{0xFF0000};

CharGrid filled(int rows, int cols, char32_t ch) {
    CharGrid g(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            g.setChar(r, c, ch);
    return g;
}

CharGrid checkerboard(int rows, int cols) {
    CharGrid g(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            g.setChar(r, c, (r + c) % 2 ? U'b' : U'a');
    return g;
}

// Each run changes every cell: the colour alternates, so no run finds the work done.
void BM_FillWholeGrid(benchmark::State& state) {
    CharGrid g = filled(1000, 1000, U'#');
    bool odd = false;
    for (auto _ : state) {
        Fill(g, 500, 500, 500, 500, odd ? Blue : Red);
        odd = !odd;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1000 * 1000);
}

void BM_WFillWholeGrid(benchmark::State& state) {
    CharGrid g = filled(1000, 1000, U'a');
    bool odd = false;
    for (auto _ : state) {
        WFill(g, 500, 500, 500, 500, odd ? QStringLiteral("a") : QStringLiteral("b"));
        odd = !odd;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1000 * 1000);
}

// Diagonal contact joins the squares of each character, so the first two seeds colour the
// whole board and the other 798 find their cells done.
void BM_FillSeedRectangle(benchmark::State& state) {
    CharGrid g = checkerboard(200, 400);
    bool odd = false;
    for (auto _ : state) {
        Fill(g, 100, 50, 139, 69, odd ? Blue : Red);
        odd = !odd;
        benchmark::ClobberMemory();
    }
}

void BM_WFillSeedRectangle(benchmark::State& state) {
    const CharGrid board = checkerboard(200, 400);
    CharGrid g = board;
    for (auto _ : state) {
        state.PauseTiming();
        g = board;
        state.ResumeTiming();
        WFill(g, 139, 69, 100, 50, QStringLiteral("c"));
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_FillWholeGrid)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WFillWholeGrid)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FillSeedRectangle)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WFillSeedRectangle)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
