// Building the keystroke string for large art.
#include "send/KeyInterpreter.h"
#include "send/Keystrokes.h"

#include <benchmark/benchmark.h>

using namespace torvo;

namespace {

// Art of `rows` lines of `columns` characters, coloured in runs of varying length with
// palette, black and off-palette colours, including characters that need escaping.
RichText bigArt(int columns, int rows) {
    const Palette palette;
    const QString pool = QStringLiteral("  ..::##@@%%^^{}()░▒▓█─│abcXYZ`\\");
    quint32 x = 12345;
    auto next = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    RichText art;
    art.reserve(std::size_t(columns + 2) * std::size_t(rows));
    Colour colour = palette[0];
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (next() % 6 == 0) {
                const quint32 k = next() % 18;
                colour = k < 16 ? palette[int(k)] : (k == 16 ? colours::Black : Colour{0x123456});
            }
            art.append(pool.at(qsizetype(next() % quint32(pool.size()))).unicode(), colour);
        }
        art.appendLineBreak();
    }
    return art;
}

void BM_BuildKeystrokes(benchmark::State& state) {
    const RichText art = bigArt(int(state.range(0)), int(state.range(1)));
    const Palette palette;
    qsizetype size = 0;
    for (auto _ : state) {
        const std::optional<QString> keys = buildKeystrokes(art, palette);
        size = keys->size();
        benchmark::DoNotOptimize(keys->constData());
    }
    state.counters["chars"] = double(art.size());
    state.counters["keystroke_chars"] = double(size);
}
BENCHMARK(BM_BuildKeystrokes)->Args({400, 1000})->Unit(benchmark::kMillisecond);

void BM_ParseKeystrokes(benchmark::State& state) {
    const QString keys = *buildKeystrokes(bigArt(400, 1000), Palette{});
    for (auto _ : state) {
        const auto actions = parseKeys(keys);
        benchmark::DoNotOptimize(actions->data());
    }
}
BENCHMARK(BM_ParseKeystrokes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
