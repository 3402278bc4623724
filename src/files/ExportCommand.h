#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace torvo {

// torvo --export FORMAT IN OUT: one file converted as "Abrir" and a menu command would,
// without a window.
enum class ExportFormat { Ansi, AnsiUtf8, Html, Bmp, Txt, Qcg };

struct ExportRequest {
    ExportFormat format;
    QString in;
    QString out; // "-" is standard output, for every format but bmp
};

// The request in the arguments that follow "--export", or nullopt with one Spanish line.
std::optional<ExportRequest> parseExportArguments(const QStringList& args, QString* error);

// Only the picture needs fonts, and so a GUI application.
inline bool needsGuiApplication(ExportFormat format) {
    return format == ExportFormat::Bmp;
}

// Reads IN and writes OUT. Returns an empty string on success, otherwise one Spanish line.
// A warning for a conversion that succeeded (characters written as "?") goes to note.
QString runExport(const ExportRequest& request, QString* note);

// What "torvo --help" prints.
QString commandLineHelp();

// The arguments that make the program a command-line tool rather than the editor.
bool isCommandLineTool(int argc, char** argv);

// Runs the tool: the help, or one export with its status (0, or 1 with one line on
// standard error). A GUI application is made only for the picture, on no display.
int commandLineMain(int argc, char** argv);

} // namespace torvo
