// The picture import on a 4000 x 3000 photo: reading it at its working size, chafa's
// conversion at 80 and 400 columns, and the import dialog's preview following a change of
// width (conversion and preview together, what the user waits for).
#include "TestPictures.h"
#include "image/PictureImport.h"
#include "window/PictureDialog.h"

#include <QApplication>
#include <QSpinBox>
#include <benchmark/benchmark.h>

using namespace torvo;

namespace {

const QByteArray& photoJpeg() {
    static const QByteArray bytes = picture_test::encoded(picture_test::photoLike({4000, 3000}), "jpeg", 90);
    return bytes;
}

Result<QImage> readPhoto() {
    QBuffer file;
    file.setData(photoJpeg());
    file.open(QIODevice::ReadOnly);
    return readPicture(file);
}

void ReadPhoto(benchmark::State& state) {
    photoJpeg();
    for (auto _ : state)
        benchmark::DoNotOptimize(readPhoto()->width());
}

void ConvertPhoto(benchmark::State& state) {
    const QImage working = *readPhoto();
    for (auto _ : state)
        benchmark::DoNotOptimize(convertPicture(working, {int(state.range(0))}, Palette()).size());
}

// Every other iteration one column narrower, so that each one converts and shows anew.
void PreviewUpdate(benchmark::State& state) {
    PictureDialog dialog(*readPhoto(), Palette(), {});
    dialog.show();
    auto* columns = dialog.findChild<QSpinBox*>(QStringLiteral("spnColumns"));
    const int width = int(state.range(0));
    int k = 0;
    for (auto _ : state)
        columns->setValue(width - (k++ & 1));
}

BENCHMARK(ReadPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertPhoto)->Arg(80)->Arg(400)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewUpdate)->Arg(80)->Arg(400)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
