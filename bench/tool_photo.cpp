// Writes the picture benchmarks' 4000 x 3000 photo-like picture as a JPEG, the input of the
// whole-process timings of "torvo --export" against chafa:
//   tool_photo OUT.jpg
#include "TestPictures.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tool_photo OUT.jpg\n");
        return 1;
    }
    QCoreApplication app(argc, argv); // where Qt finds its JPEG writer
    if (!picture_test::photoLike({4000, 3000}).save(QString::fromLocal8Bit(argv[1]), "jpeg", 90)) {
        std::fprintf(stderr, "tool_photo: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
