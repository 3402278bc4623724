#include "files/ExportCommand.h"

#include "convert/TextGrid.h"
#include "files/AnsiFile.h"
#include "files/ArtFile.h"
#include "files/AtomicWrite.h"
#include "files/BitmapExport.h"
#include "files/HtmlExport.h"
#include "files/OpenArt.h"

#include <QDate>
#include <QGuiApplication>
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
};

QString formatList() {
    QStringList names;
    for (const FormatName& f : Formats)
        names << QLatin1String(f.name);
    return names.join(QStringLiteral(", "));
}

QString writeOut(const QString& out, const QByteArray& bytes) {
    if (out != QLatin1String("-")) return writeFileAtomically(out, bytes);
    if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) != std::size_t(bytes.size()) ||
        std::fflush(stdout) != 0)
        return QStringLiteral("No se pudo escribir en la salida estándar.");
    return {};
}

void printLine(std::FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
}

} // namespace

std::optional<ExportRequest> parseExportArguments(const QStringList& args, QString* error) {
    if (args.size() != 3) {
        *error = QStringLiteral("--export necesita tres argumentos: FORMATO ENTRADA SALIDA (torvo --help).");
        return std::nullopt;
    }
    std::optional<ExportFormat> format;
    for (const FormatName& f : Formats)
        if (args[0] == QLatin1String(f.name)) format = f.format;
    if (!format) {
        *error = QStringLiteral("Formato desconocido «%1»: los formatos son %2.").arg(args[0], formatList());
        return std::nullopt;
    }
    if (*format == ExportFormat::Bmp && args[2] == QLatin1String("-")) {
        *error = QStringLiteral("bmp no se escribe en la salida estándar: hace falta un archivo.");
        return std::nullopt;
    }
    return ExportRequest{*format, args[1], args[2]};
}

QString runExport(const ExportRequest& request, QString* note) {
    QByteArray bytes;
    QString error = readWholeFile(request.in, bytes);
    if (!error.isEmpty()) return error;
    const Palette palette;
    std::optional<OpenedArt> opened = openArtFile(request.in, bytes, palette, &error);
    if (!opened) return QStringLiteral("No se pudo abrir «%1»: %2").arg(request.in, error);
    const RichText& art = opened->text;
    switch (request.format) {
    case ExportFormat::Ansi:
    case ExportFormat::AnsiUtf8: {
        const AnsiKind kind = request.format == ExportFormat::Ansi ? AnsiKind::CodePage437 : AnsiKind::Utf8;
        const std::optional<AnsiFile> file =
            encodeAnsiFile(art, palette, kind, request.out, QDate::currentDate());
        if (note) *note = missingCharactersNote(file->missing);
        return writeOut(request.out, file->bytes);
    }
    case ExportFormat::Html:
        return writeOut(request.out, encodeExport(*SalvarComoHTML(art)));
    case ExportFormat::Txt:
        return writeOut(request.out, encodeArtFile(art, SaveFormat::Text));
    case ExportFormat::Qcg:
        return writeOut(request.out, encodeArtFile(art, SaveFormat::Own));
    case ExportFormat::Bmp: {
        // The picture is as large as the grid the art would fill.
        const std::optional<CharGrid> grid = RestaurarGrid(art);
        const QImage image = renderArt(art, grid->cols(), grid->rows(), textImageFont());
        if (image.isNull()) return QStringLiteral("La imagen sería demasiado grande para guardarla.");
        return saveBitmap(image, request.out);
    }
    }
    return {};
}

QString commandLineHelp() {
    return QStringLiteral(
        "Uso: torvo [ARCHIVO]\n"
        "     torvo --export FORMATO ENTRADA SALIDA\n"
        "\n"
        "Sin --export abre el editor, con ARCHIVO si se da.\n"
        "\n"
        "--export convierte ENTRADA, cualquier archivo que abre «Abrir» (.qcg, .txt, .rtf,\n"
        "arte ANSI .ans), sin ventana ni pantalla, y escribe SALIDA igual que el menú.\n"
        "SALIDA «-» es la salida estándar (no para bmp). FORMATO es uno de:\n"
        "  ansi       arte ANSI en la página de códigos 437 con registro SAUCE, como\n"
        "             «Archivos Ansi» de «Guardar Ansi» (para ansilove y los editores de ANSI)\n"
        "  ansi-utf8  arte ANSI en UTF-8, como «Archivos Ansi UTF-8» (para terminales)\n"
        "  html       página HTML, como «Guardar Html»\n"
        "  bmp        imagen BMP, como «Guardar Bitmap»\n"
        "  txt        texto sin colores, como «Guardar» con un nombre que no acaba en .qcg\n"
        "  qcg        archivo de Torvo con los colores, como «Guardar» con un nombre .qcg\n"
        "\n"
        "Termina con 0, o con 1 y una línea en la salida de errores.\n");
}

bool isCommandLineTool(int argc, char** argv) {
    return argc >= 2 && (std::strcmp(argv[1], "--export") == 0 || std::strcmp(argv[1], "--help") == 0 ||
                         std::strcmp(argv[1], "-h") == 0);
}

int commandLineMain(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.front() != QLatin1String("--export")) {
        std::fputs(commandLineHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    QString error;
    const std::optional<ExportRequest> request = parseExportArguments(args.mid(1), &error);
    if (!request) {
        printLine(stderr, QStringLiteral("torvo: ") + error);
        return 1;
    }
    std::optional<QGuiApplication> app;
    if (needsGuiApplication(request->format)) {
        // The picture is drawn off screen: no display is needed, and none is used. Qt's
        // remarks about the desktop session would break the one-line contract of stderr.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                printLine(stderr, QStringLiteral("torvo: ") + message);
        });
        app.emplace(argc, argv);
    }
    QString note;
    error = runExport(*request, &note);
    if (!error.isEmpty()) {
        printLine(stderr, QStringLiteral("torvo: ") + error);
        return 1;
    }
    if (!note.isEmpty()) printLine(stderr, QStringLiteral("torvo: ") + note);
    return 0;
}

} // namespace torvo
