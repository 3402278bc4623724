// Writes the benchmarks' 400 x 1000 art as an ANSI art file, the input of the whole-process
// timings of "torvo --export" against other programs:
//   tool_export OUT.ans [utf8 | varied | tiny]
// The file is in code page 437 with its SAUCE record (the art is wider than 80 columns),
// or in UTF-8 with "utf8"; "varied" writes the varied art, "tiny" one character (the
// programs' start-up alone).
#include "export_art.h"
#include "files/AnsiFile.h"
#include "files/AtomicWrite.h"

#include <QDate>
#include <cstdio>
#include <cstring>

using namespace torvo;

int main(int argc, char** argv) {
    const char* which = argc == 3 ? argv[2] : "";
    if (argc < 2 || argc > 3 ||
        (argc == 3 && std::strcmp(which, "utf8") != 0 && std::strcmp(which, "varied") != 0 &&
         std::strcmp(which, "tiny") != 0)) {
        std::fprintf(stderr, "usage: tool_export OUT.ans [utf8 | varied | tiny]\n");
        return 1;
    }
    const AnsiKind kind = std::strcmp(which, "utf8") == 0 ? AnsiKind::Utf8 : AnsiKind::CodePage437;
    const QString out = QString::fromLocal8Bit(argv[1]);
    RichText tiny;
    tiny.append(U'x', Palette()[0]);
    const RichText art = std::strcmp(which, "varied") == 0 ? variedSampleArt()
                         : std::strcmp(which, "tiny") == 0 ? tiny
                                                           : exportSampleArt();
    const std::optional<AnsiFile> file = encodeAnsiFile(art, Palette(), kind, out, QDate(2024, 1, 1));
    const Result<void> written = writeFileAtomically(out, file->bytes);
    if (!written) {
        std::fprintf(stderr, "tool_export: %s\n", qPrintable(written.why()));
        return 1;
    }
    return 0;
}
