// Writes the benchmarks' 400 x 1000 art as an ANSI art file, the input of the whole-process
// timings of "torvo --export" against other programs:
//   tool_export OUT.ans [utf8]
// The file is in code page 437 with its SAUCE record (the art is wider than 80 columns),
// or in UTF-8 with "utf8".
#include "export_art.h"
#include "files/AnsiFile.h"
#include "files/AtomicWrite.h"

#include <QDate>
#include <cstdio>
#include <cstring>

using namespace torvo;

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "utf8") != 0)) {
        std::fprintf(stderr, "usage: tool_export OUT.ans [utf8]\n");
        return 1;
    }
    const AnsiKind kind = argc == 3 ? AnsiKind::Utf8 : AnsiKind::CodePage437;
    const QString out = QString::fromLocal8Bit(argv[1]);
    const std::optional<AnsiFile> file =
        encodeAnsiFile(exportSampleArt(), Palette(), kind, out, QDate(2024, 1, 1));
    const Result<void> written = writeFileAtomically(out, file->bytes);
    if (!written) {
        std::fprintf(stderr, "tool_export: %s\n", qPrintable(written.why()));
        return 1;
    }
    return 0;
}
