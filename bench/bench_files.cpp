// Save and open of the own art file for large art: 400 columns by 1000 lines with a
// change of colour every 3 characters (about 1.5 MB of RTF); and the benchmarks' art opened
// as the ANSI art "Guardar Ansi" writes of it.
#include "export_art.h"
#include "files/AnsiFile.h"
#include "files/AnsiReader.h"
#include "files/ArtFile.h"

#include <QDate>

#include <benchmark/benchmark.h>

using namespace torvo;

namespace {

RichText largeArt() {
    static const char32_t chars[] = {U'#', U'@', U'%', U'*', U'+', U'=', U'-', U':',
                                     U'.', U' ', U'█', U'▓', U'░', U'─', U'"', U'\\'};
    RichText t;
    t.reserve(1000 * 402);
    int n = 0;
    for (int line = 0; line < 1000; ++line) {
        for (int col = 0; col < 400; ++col, ++n)
            t.append(chars[(n * 7 + line) % std::size(chars)],
                     Colour(0x10204u * std::uint32_t((n / 3) % 16 + 1)));
        t.appendLineBreak();
    }
    return t;
}

void BM_SaveOwn(benchmark::State& state) {
    const RichText art = largeArt();
    qsizetype bytes = 0;
    for (auto _ : state) {
        QByteArray file = encodeArtFile(art, SaveFormat::Own);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = double(bytes);
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_OpenOwn(benchmark::State& state) {
    const QByteArray file = encodeArtFile(largeArt(), SaveFormat::Own);
    for (auto _ : state) {
        Result<LoadedArt> loaded = decodeArtFile(file);
        if (!loaded || loaded->text.size() != 1000 * 402) state.SkipWithError("the art did not load back");
        benchmark::DoNotOptimize(loaded);
    }
    state.counters["bytes"] = double(file.size());
    state.SetBytesProcessed(state.iterations() * file.size());
}

void BM_SaveText(benchmark::State& state) {
    const RichText art = largeArt();
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeArtFile(art, SaveFormat::Text));
}

void BM_OpenText(benchmark::State& state) {
    const QByteArray file = encodeArtFile(largeArt(), SaveFormat::Text);
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeArtFile(file));
}

// Played by the plain player (1) and, for comparison, on libvterm (0).
void BM_OpenAnsi(benchmark::State& state) {
    const QByteArray file = encodeAnsiFile(exportSampleArt(), Palette(), AnsiKind::CodePage437,
                                           QStringLiteral("art.ans"), QDate(2024, 1, 1))
                                ->bytes;
    for (auto _ : state)
        benchmark::DoNotOptimize(readAnsiArt(file, Palette(), kRtfMaxPositions, {}, state.range(0) != 0));
}

} // namespace

BENCHMARK(BM_OpenAnsi)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveOwn)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenOwn)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveText)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenText)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
