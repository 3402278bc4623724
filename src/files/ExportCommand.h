#pragma once

#include "base/Result.h"
#include "files/SaveArt.h"

#include <QString>
#include <QStringList>

namespace torvo {

// torvo --export FORMAT IN OUT: one file converted as "Abrir" and a menu command would,
// without a window: the same core functions.

struct ExportRequest {
    ExportFormat format;
    QString in;
    QString out; // "-" is standard output, for every format but bmp
};

// The request in the arguments that follow "--export".
Result<ExportRequest> parseExportArguments(const QStringList& args);

// Only the picture needs fonts, and so a GUI application.
inline bool needsGuiApplication(ExportFormat format) {
    return format == ExportFormat::Bmp;
}

// Reads IN and writes OUT. What succeeded may come with a note (characters written as "?").
Result<QString> runExport(const ExportRequest& request);

// What "torvo --help" prints.
QString commandLineHelp();

// The arguments that make the program a command-line tool rather than the editor.
bool isCommandLineTool(int argc, char** argv);

// Runs the tool: the help, or one export with its status (0, or 1 with one line on
// standard error). A GUI application is made only for the picture, on no display.
int commandLineMain(int argc, char** argv);

} // namespace torvo
