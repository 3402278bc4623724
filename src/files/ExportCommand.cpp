#include "files/ExportCommand.h"

#include "base/FileMessages.h"
#include "files/AtomicWrite.h"
#include "files/HtmlExport.h"
#include "files/OpenArt.h"
#include "files/PiecePipe.h"

#include <QFile>
#include <cstdio>
#include <cstring>

namespace torvo {
namespace {

struct FormatName {
    const char* name;
    ExportFormat format;
};
constexpr FormatName Formats[] = {
    {"ansi", ExportFormat::Ansi}, {"ansi-utf8", ExportFormat::AnsiUtf8},
    {"html", ExportFormat::Html}, {"bmp", ExportFormat::Bmp},
    {"txt", ExportFormat::Txt},   {"qcg", ExportFormat::Qcg},
    {"irc", ExportFormat::Irc},
};

QString formatList() {
    QStringList names;
    for (const FormatName& f : Formats)
        names << QLatin1String(f.name);
    return names.join(QStringLiteral(", "));
}

// OUT, a file replaced atomically or standard output, with what `write` puts into it.
Result<void> writeOut(const QString& out, const std::function<bool(QIODevice&)>& write) {
    if (out != QLatin1String("-")) return writeFileAtomically(out, write, Durability::InSystem);
    QFile standardOutput;
    if (!standardOutput.open(stdout, QIODevice::WriteOnly) || !write(standardOutput) ||
        !standardOutput.flush())
        return Failure{QStringLiteral("No se pudo escribir en la salida estándar.")};
    return {};
}

void printLine(std::FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
}

} // namespace

Result<ExportRequest> parseExportArguments(const QStringList& args) {
    QStringList positional;
    PictureChoices picture;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--width")) {
            bool number = false;
            const int columns = args.value(i + 1).toInt(&number);
            if (!number || columns < MinColumns || columns > MaxColumns)
                return Failure{QStringLiteral("--width necesita un número de columnas de %1 a %2.")
                                   .arg(MinColumns)
                                   .arg(MaxColumns)};
            picture.columns = columns;
            ++i;
        } else if (args[i] == QLatin1String("--symbols")) {
            const std::optional<SymbolSet> set = symbolSetNamed(args.value(i + 1));
            if (!set)
                return Failure{QStringLiteral("Símbolos desconocidos «%1»: los nombres son %2.")
                                   .arg(args.value(i + 1), symbolSetNames())};
            picture.symbols = *set;
            ++i;
        } else {
            positional << args[i];
        }
    }
    if (positional.size() != 3)
        return Failure{
            QStringLiteral("--export necesita tres argumentos: FORMATO ENTRADA SALIDA (torvo --help).")};
    std::optional<ExportFormat> format;
    for (const FormatName& f : Formats)
        if (positional[0] == QLatin1String(f.name)) format = f.format;
    if (!format)
        return Failure{QStringLiteral("Formato desconocido «%1»: los formatos son %2.")
                           .arg(positional[0], formatList())};
    if (*format == ExportFormat::Bmp && positional[2] == QLatin1String("-"))
        return Failure{QStringLiteral("bmp no se escribe en la salida estándar: hace falta un archivo.")};
    return ExportRequest{*format, positional[1], positional[2], picture};
}

namespace {

// The page written as the art is read, a piece at a time: neither is ever held whole.
Result<QString> exportHtml(const ExportRequest& request, const Palette& palette) {
    const Result<QByteArray> bytes = readWholeFile(request.in);
    if (!bytes) return bytes.failure();
    std::optional<Result<QString>> read; // nullopt: the output failed first
    const Result<void> written = writeOut(request.out, [&](QIODevice& out) {
        HtmlPageWriter page(out);
        // Nothing calls the page off, so a piece it did not take is a write that failed. The
        // page is written on another thread while the next rows are read.
        PiecePipe pipe([&page](const RichText& piece) { return page.add(piece).value_or(false); });
        read = streamArtFile(request.in, *bytes, palette,
                             [&pipe](const RichText& piece) { return pipe.give(piece); });
        if (!pipe.close()) read.reset();
        return read && read->ok() && page.finish();
    });
    if (read && !read->ok()) return read->failure();
    if (!written) return written.failure();
    return **read;
}

// Lines for standard error, one per note.
QString joinNotes(const QString& first, const QString& second) {
    return first.isEmpty() || second.isEmpty() ? first + second : first + u'\n' + second;
}

} // namespace

Result<QString> runExport(const ExportRequest& request, ExportMaker make, PictureOpener openPicture) {
    const Palette palette;
    const bool picture = isPictureFile(request.in);
    if (request.format == ExportFormat::Html && !picture) return exportHtml(request, palette);
    // Nothing here is ever called off.
    const Result<OpenedArt> opened =
        !picture      ? *openArtFile(request.in, palette)
        : openPicture ? openPicture(request.in, palette, request.picture)
                      : Result<OpenedArt>(Failure{QStringLiteral("Este programa no convierte imágenes.")});
    if (!opened) return opened.failure();
    const Result<ArtBytes> file = *make(request.format, opened->text, palette, request.out, {});
    if (!file) return file.failure();
    const Result<void> written = writeOut(
        request.out, [&file](QIODevice& out) { return out.write(file->bytes) == file->bytes.size(); });
    if (!written) return written.failure();
    return joinNotes(opened->warning, file->note);
}

QString commandLineHelp() {
    return QStringLiteral(
               "Uso: torvo [ARCHIVO]\n"
               "     torvo --export FORMATO ENTRADA SALIDA [--width N] [--symbols NOMBRE]\n"
               "\n"
               "Sin --export abre el editor, con ARCHIVO si se da.\n"
               "\n"
               "--export convierte ENTRADA, cualquier archivo que abre «Abrir» (.qcg, .txt, .rtf,\n"
               "arte ANSI .ans, arte IRC .irc, imágenes PNG, JPEG, GIF, BMP y WebP), sin ventana\n"
               "ni pantalla, y escribe SALIDA igual que el menú.\n"
               "SALIDA «-» es la salida estándar (no para bmp). FORMATO es uno de:\n"
               "  ansi       arte ANSI en la página de códigos 437 con registro SAUCE, como\n"
               "             «Archivos Ansi» de «Guardar Ansi» (para ansilove y los editores de ANSI)\n"
               "  ansi-utf8  arte ANSI en UTF-8, como «Archivos Ansi UTF-8» (para terminales)\n"
               "  html       página HTML, como «Guardar Html»\n"
               "  bmp        imagen BMP, como «Guardar Bitmap»\n"
               "  txt        texto sin colores, como «Guardar» con un nombre que no acaba en .qcg\n"
               "  qcg        archivo de Torvo con los colores, como «Guardar» con un nombre .qcg\n"
               "  irc        arte IRC con los códigos de color de mIRC, en UTF-8, como «Guardar» con\n"
               "             un nombre .irc (para canales de IRC y sus archivos de arte)\n"
               "\n"
               "Una imagen se convierte en caracteres de los 16 colores sobre negro, como\n"
               "«Importar imagen…» con sus valores de partida:\n"
               "  --width N          ancho en columnas, de %1 a %2 (80 si no se da); el alto sigue\n"
               "                     la forma de la imagen\n"
               "  --symbols NOMBRE   los caracteres: %3 (bloques si no se da)\n"
               "\n"
               "SALIDA se reemplaza entera o no se toca. Como otros conversores, no espera a que\n"
               "llegue al disco: tras una tanda, «sync» lo asegura. Un dispositivo, una FIFO o un\n"
               "socket (/dev/stdout, /dev/null, >(orden)) se escriben tal cual; un archivo de solo\n"
               "lectura o una carpeta no se tocan.\n"
               "Termina con 0, o con 1 y una línea en la salida de errores.\n")
        .arg(MinColumns)
        .arg(MaxColumns)
        .arg(symbolSetNames());
}

bool needsGuiApplication(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--export") != 0) return false;
    QStringList args;
    for (int i = 2; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const Result<ExportRequest> request = parseExportArguments(args);
    return request && (needsGuiApplication(request->format) || isPictureFile(request->in));
}

bool isCommandLineTool(int argc, char** argv) {
    return argc >= 2 && (std::strcmp(argv[1], "--export") == 0 || std::strcmp(argv[1], "--help") == 0 ||
                         std::strcmp(argv[1], "-h") == 0);
}

int commandLineMain(int argc, char** argv, ExportMaker make, ApplicationMaker application,
                    PictureOpener openPicture) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.front() != QLatin1String("--export")) {
        std::fputs(commandLineHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    // A script that converts many files must know which one failed.
    setPathNaming(PathNaming::AsGiven);
    const Result<ExportRequest> request = parseExportArguments(args.mid(1));
    if (!request) {
        printLine(stderr, QStringLiteral("torvo: ") + request.why());
        return 1;
    }
    std::unique_ptr<QCoreApplication> app;
    // A picture IN is read by Qt's picture readers, whose remarks the application keeps off
    // standard error.
    if (needsGuiApplication(request->format) || (openPicture && isPictureFile(request->in)))
        app = application(argc, argv);
    const Result<QString> done = runExport(*request, make, openPicture);
    if (!done) {
        printLine(stderr, QStringLiteral("torvo: ") + done.why());
        return 1;
    }
    for (const QString& note : done->split(u'\n', Qt::SkipEmptyParts))
        printLine(stderr, QStringLiteral("torvo: ") + note);
    return 0;
}

} // namespace torvo
