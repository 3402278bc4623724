// Writes one export of a piece of art, for timing whole processes against other programs:
//   tool_export <in.ans | generated> --html out.html | --bmp out.bmp | --ans out.ans
// An output of "-" is standard output (HTML and ANSI only).
// "generated" is the benchmarks' 400 x 1000 art. An .ans file is read with its colour
// sequences mapped back onto the palette (bold 30-37 and normal 30-37).
#include "export_art.h"
#include "files/AnsiExport.h"
#include "files/AtomicWrite.h"
#include "files/BitmapExport.h"
#include "files/HtmlExport.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace torvo;

namespace {

// Palette entries of the SGR colours 30-37, normal then bold.
constexpr int NormalEntry[8] = {8, 10, 12, 11, 14, 15, 13, 9};
constexpr int BoldEntry[8] = {1, 2, 4, 3, 6, 7, 5, 0};

RichText readAnsi(QString text) {
    // The file's closing CR LF is not part of the art.
    if (text.endsWith(QLatin1String("\r\n"))) text.chop(2);
    const Palette palette;
    RichText art;
    art.reserve(std::size_t(text.size()));
    bool bold = false;
    int colour = 7;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QChar(0x1B) && i + 1 < n && text[i + 1] == u'[') {
            qsizetype end = i + 2;
            while (end < n && !text[end].isLetter())
                ++end;
            if (end < n && text[end] == u'm') {
                // Parameters without building strings: this runs once per colour change.
                int v = 0;
                for (qsizetype k = i + 2; k <= end; ++k) {
                    const char16_t d = text[k].unicode();
                    if (d >= u'0' && d <= u'9') {
                        v = std::min(v * 10 + (d - u'0'), 1000);
                        continue;
                    }
                    if (v == 0) {
                        bold = false;
                        colour = 7;
                    } else if (v == 1) {
                        bold = true;
                    } else if (v >= 30 && v <= 37) {
                        colour = v - 30;
                    }
                    v = 0;
                }
            }
            i = end;
            continue;
        }
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') continue; // the LF makes the break
        art.append(c.unicode(), palette[(bold ? BoldEntry : NormalEntry)[colour]]);
    }
    return art;
}

int fail(const QString& message) {
    std::fprintf(stderr, "tool_export: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return fail("usage: tool_export <in.ans|generated> --html out.html | --bmp out.bmp | --ans out.ans");
    RichText art;
    if (args[1] == QLatin1String("generated")) {
        art = exportSampleArt();
    } else {
        QByteArray bytes;
        if (const QString error = readWholeFile(args[1], bytes); !error.isEmpty()) return fail(error);
        art = readAnsi(QString::fromUtf8(bytes));
    }
    const QString& mode = args[2];
    const QString& out = args[3];
    // "-" writes to standard output, as aha does, for a like-for-like timing.
    const auto write = [&out](const QByteArray& bytes) -> QString {
        if (out != QLatin1String("-")) return writeFileAtomically(out, bytes);
        return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) ==
                       std::size_t(bytes.size())
                   ? QString()
                   : QStringLiteral("no se pudo escribir la salida");
    };
    QString error;
    if (mode == QLatin1String("--html")) {
        error = write(encodeExport(*SalvarComoHTML(art)));
    } else if (mode == QLatin1String("--ans")) {
        error = write(encodeExport(*SalvarComoAnsi(art, Palette())));
    } else if (mode == QLatin1String("--bmp")) {
        // The grid's size: the longest line and the number of lines.
        int cols = 0, rows = 1, col = 0;
        for (int p = 0; p < art.size(); ++p) {
            if (art.charAt(p) == RichText::LF) {
                ++rows;
                col = 0;
            } else if (!art.isLineBreak(p)) {
                cols = std::max(cols, ++col);
            }
        }
        error = saveBitmap(renderArt(art, cols, rows, textImageFont()), out);
    } else {
        return fail("unknown mode " + mode);
    }
    return error.isEmpty() ? 0 : fail(error);
}
