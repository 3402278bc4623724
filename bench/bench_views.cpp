// The text view's change handling, the undo history, the side tabs, opening a file and the
// grid write-back, in-process on the offscreen platform, on art of several sizes with a
// colour change every 3 characters.
#include "art/DocumentBridge.h"
#include "export_art.h"
#include "files/ArtFile.h"
#include "window/Form1.h"
#include "window/GridView.h"
#include "window/MensajeEdit.h"
#include "window/TabStrip.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QUndoStack>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sys/resource.h>

using namespace torvo;

namespace {

enum Tab { TextBox = 0, GridTab = 1 };

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Window {
    std::unique_ptr<Form1> form = std::make_unique<Form1>();
    MensajeEdit* view = form->findChild<MensajeEdit*>(QStringLiteral("Mensaje"));
    GridView* grid = form->findChild<GridView*>(QStringLiteral("Grid1"));
    TabStrip* tabs = form->findChild<TabStrip*>(QStringLiteral("SSTab1"));

    Window(int cols, int rows) {
        form->show();
        loadDocument(*view->document(), exportSampleArt(cols, rows), QTextCharFormat());
        form->textHistory().clear();
    }
    // A key typed into the text view, where its caret is.
    void type(char ch) { press(Qt::Key_X, QString(QLatin1Char(ch))); }
    void press(int key, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(view, &event);
    }
    // Ten cells of the grid coloured from the palette, far apart.
    void paintTenCells(int round) {
        const int rows = form->BackBox().lineCount() - 1;
        for (int k = 0; k < 10; ++k) {
            grid->setCurrentCell((round * 37 + k * rows / 10) % rows, (round * 13 + k * 29) % 300);
            form->Color_MouseDown(3 + (round + k) % 4, 1);
        }
    }
};

// Each character is taken away again, untimed, so that the art keeps its size however many
// iterations run (a line growing with them would make a character dearer the longer it runs).
void MensajeChangeAfterOneCharacter(benchmark::State& state) {
    Window w(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        // One character put into the document: the view reports the change and Mensaje_Change runs.
        QTextCursor cursor(w.view->document());
        cursor.movePosition(QTextCursor::End);
        const auto start = std::chrono::steady_clock::now();
        cursor.insertText(QStringLiteral("x"));
        benchmark::DoNotOptimize(w.form->BackBox().size());
        state.SetIterationTime(seconds(start));
        cursor.deletePreviousChar();
    }
    state.counters["positions"] = w.form->BackBox().size();
}

// A key typed where the view's caret is, timed; Backspace takes it away again, untimed.
void timeTypedKeys(benchmark::State& state, Window& w) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        w.type('x');
        state.SetIterationTime(seconds(start));
        w.press(Qt::Key_Backspace, QString());
    }
}

// A key typed into the view: its step recorded in the history, and every view brought up
// to date. With range(2) = 0 the window does not record it (its change handler is
// replaced by Mensaje_Change alone).
void TypedCharacter(benchmark::State& state) {
    Window w(int(state.range(0)), int(state.range(1)));
    if (state.range(2) == 0) {
        QObject::disconnect(&w.form->art(), &ArtModel::changed, w.form.get(), nullptr);
        QObject::connect(&w.form->art(), &ArtModel::changed, w.form.get(),
                         [&w] { w.form->Mensaje_Change(); });
    }
    timeTypedKeys(state, w);
    state.counters["history_bytes"] = double(w.form->textHistory().bytes());
    state.counters["positions"] = w.form->BackBox().size();
}

// The same key typed at the start of the first line, where everything after it moves.
void TypedCharacterOnTheFirstLine(benchmark::State& state) {
    Window w(int(state.range(0)), int(state.range(1)));
    w.view->moveCursor(QTextCursor::Start);
    timeTypedKeys(state, w);
}

void UndoRedoOfTypedCharacter(benchmark::State& state) {
    Window w(400, 1000);
    w.type('x');
    QUndoStack* stack = w.form->textHistory().stack();
    for (auto _ : state) {
        stack->undo();
        stack->redo();
    }
}

void HistoryAfterTypedCharacters(benchmark::State& state) {
    for (auto _ : state) {
        Window w(400, 1000);
        for (int i = 0; i < 1000; ++i)
            w.type(char('a' + i % 26));
        state.counters["history_KB"] = double(w.form->textHistory().bytes()) / 1024.0;
    }
}

// Leaving "Grid" for "Text Box" after colouring ten cells: the write-back and the views
// brought up to date, timed alone. range(0) = 0 counts 500 visits and the history's memory.
void LeaveGridAfterTenCells(benchmark::State& state) {
    Window w(400, 1000);
    int round = 0;
    for (auto _ : state) {
        w.tabs->setTab(GridTab);
        w.paintTenCells(round++);
        const auto start = std::chrono::steady_clock::now();
        w.tabs->setTab(TextBox);
        state.SetIterationTime(seconds(start));
    }
    state.counters["history_MB"] = double(w.form->textHistory().bytes()) / (1024.0 * 1024.0);
    state.counters["history_steps"] = w.form->textHistory().stack()->count();
}

// Leaving "Grid" after a colour fill over the whole grid, timed alone.
void LeaveGridAfterWholeFill(benchmark::State& state) {
    Window w(400, 1000);
    w.form->findChild<QRadioButton*>(QStringLiteral("chkFill"))->setChecked(true);
    int round = 0;
    for (auto _ : state) {
        w.tabs->setTab(GridTab);
        w.form->Color_MouseDown(3 + round++ % 4, 1);
        w.grid->setCurrentCell(0, 0);
        w.grid->setSelectionCorner(999, 399);
        w.form->Grid1_MouseUp(1);
        const auto start = std::chrono::steady_clock::now();
        w.tabs->setTab(TextBox);
        state.SetIterationTime(seconds(start));
    }
}

// A side tab shown on 400 x 1000 art and "Text Box" shown again: range(0) is the tab
// ("Grid", "Cambio Color", "Copy & Paste"). A character typed first, untimed, so that the
// tab has a change of the art to catch up with.
void ShowTabAndBack(benchmark::State& state) {
    Window w(400, 1000);
    for (auto _ : state) {
        w.type('x');
        w.press(Qt::Key_Backspace, QString());
        const auto start = std::chrono::steady_clock::now();
        w.tabs->setTab(int(state.range(0)));
        w.tabs->setTab(TextBox);
        state.SetIterationTime(seconds(start));
    }
}

// A 400 x 1000 .qcg opened over other art, as "Abrir" opens it.
void OpenOwnFile(benchmark::State& state) {
    Window w(80, 25);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("art.qcg"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(encodeArtFile(exportSampleArt(400, 1000), SaveFormat::Own));
    file.close();
    for (auto _ : state) {
        if (!w.form->openPath(path)) state.SkipWithError("the file did not open");
        state.PauseTiming();
        w.form->textHistory().stack()->undo();
        state.ResumeTiming();
    }
}

// The platform's own floor: the same text put into a plain-text editor on show.
void SetPlainText(benchmark::State& state) {
    QPlainTextEdit edit;
    edit.resize(800, 600);
    edit.show();
    const QString text = exportSampleArt(int(state.range(0)), int(state.range(1))).plainText();
    for (auto _ : state) {
        edit.setPlainText(text);
        benchmark::DoNotOptimize(edit.document()->blockCount());
    }
}

void PeakMemory(benchmark::State& state) {
    Window w(400, 1000);
    for (auto _ : state) {
        w.tabs->setTab(GridTab);
        w.tabs->setTab(TextBox);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

BENCHMARK(MensajeChangeAfterOneCharacter)
    ->UseManualTime()
    ->Args({80, 25})
    ->Args({160, 60})
    ->Args({400, 1000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TypedCharacter)
    ->UseManualTime()
    ->ArgNames({"cols", "rows", "recorded"})
    ->Args({80, 25, 1})
    ->Args({80, 1000, 1})
    ->Args({400, 1000, 1})
    ->Args({400, 1000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TypedCharacterOnTheFirstLine)
    ->UseManualTime()
    ->ArgNames({"cols", "rows"})
    ->Args({80, 25})
    ->Args({400, 1000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(UndoRedoOfTypedCharacter)->Unit(benchmark::kMillisecond);
BENCHMARK(HistoryAfterTypedCharacters)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(LeaveGridAfterTenCells)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LeaveGridAfterTenCells)->Name("HistoryAfterWriteBacks")->Iterations(500)->UseManualTime();
BENCHMARK(LeaveGridAfterWholeFill)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ShowTabAndBack)
    ->UseManualTime()
    ->ArgName("tab")
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(OpenOwnFile)->Unit(benchmark::kMillisecond);
BENCHMARK(SetPlainText)->Args({400, 1000})->Unit(benchmark::kMillisecond);
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
