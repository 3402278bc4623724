// Export speed on 400 x 1000 art whose colour changes every 3 characters: the ANSI text,
// the HTML page (each with its UTF-8 bytes), and the picture drawn and encoded as BMP.
#include "export_art.h"
#include "files/AnsiExport.h"
#include "files/BitmapExport.h"
#include "files/HtmlExport.h"
#include "files/SaveArt.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace torvo;

namespace {

const RichText& art() {
    static const RichText a = exportSampleArt();
    return a;
}

void BM_AnsiExport(benchmark::State& state) {
    const Palette palette;
    for (auto _ : state) {
        QByteArray bytes = encodeExport(*SalvarComoAnsi(art(), palette));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * art().size());
}
BENCHMARK(BM_AnsiExport)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly();

void BM_HtmlExport(benchmark::State& state) {
    for (auto _ : state) {
        std::optional<QByteArray> bytes = htmlPageFile(art());
        benchmark::DoNotOptimize(bytes->data());
    }
    state.SetItemsProcessed(state.iterations() * art().size());
}
BENCHMARK(BM_HtmlExport)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly();

void BM_BitmapRender(benchmark::State& state) {
    const QFont font = textImageFont();
    for (auto _ : state) {
        const QImage image = *renderArt(art(), 400, 1000, font);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BitmapRender)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// Drawn and encoded as BMP in memory, as the ANSI and HTML figures are.
void BM_BitmapExport(benchmark::State& state) {
    const QFont font = textImageFont();
    for (auto _ : state) {
        const QImage image = *renderArt(art(), 400, 1000, font);
        QByteArray bytes;
        bytes.reserve(64 + qsizetype(image.height()) * ((qsizetype(image.width()) * 3 + 3) & ~qsizetype(3)));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "BMP").write(image);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_BitmapExport)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// The whole command: draw, encode as BMP and write the file (to a temporary folder).
void BM_BitmapSave(benchmark::State& state) {
    const QFont font = textImageFont();
    QTemporaryDir dir;
    const QString path = dir.filePath("art.bmp");
    for (auto _ : state) {
        const Result<QString> saved = saveBitmap(*renderArt(art(), 400, 1000, font), path);
        if (!saved) state.SkipWithError(qPrintable(saved.why()));
    }
}
BENCHMARK(BM_BitmapSave)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
