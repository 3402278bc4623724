// The text view's change handling and the grid write-back, in-process on the offscreen
// platform, on art of three sizes with a colour change every 3 characters.
#include "art/DocumentBridge.h"
#include "export_art.h"
#include "window/Form1.h"
#include "window/MensajeEdit.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace torvo;

namespace {

std::unique_ptr<Form1> windowWith(int cols, int rows) {
    auto form = std::make_unique<Form1>();
    form->show();
    auto* view = form->findChild<QPlainTextEdit*>(QStringLiteral("Mensaje"));
    loadDocument(*view->document(), exportSampleArt(cols, rows), MensajeEdit::artFormat());
    return form;
}

void MensajeChangeAfterOneCharacter(benchmark::State& state) {
    auto form = windowWith(int(state.range(0)), int(state.range(1)));
    auto* view = form->findChild<QPlainTextEdit*>(QStringLiteral("Mensaje"));
    for (auto _ : state) {
        // One typed character: the document reports the change and Mensaje_Change runs.
        QTextCursor cursor(view->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("x"));
        benchmark::DoNotOptimize(form->BackBox().size());
    }
    state.counters["positions"] = form->BackBox().size();
}

void RestaurarMensaje(benchmark::State& state) {
    auto form = windowWith(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        form->RestaurarMensaje();
        benchmark::DoNotOptimize(form->BackBox().size());
    }
}

void PeakMemory(benchmark::State& state) {
    auto form = windowWith(400, 1000);
    for (auto _ : state) {
        form->RestaurarMensaje();
        form->Mensaje_Change();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

BENCHMARK(MensajeChangeAfterOneCharacter)
    ->Args({80, 25})
    ->Args({160, 60})
    ->Args({400, 1000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RestaurarMensaje)->Args({400, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(PeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
