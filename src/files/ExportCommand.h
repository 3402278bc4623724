#pragma once

#include "base/Result.h"
#include "files/SaveArt.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>

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
// The same, told from the whole command line: `torvo` hands these to the editor's program.
bool needsGuiApplication(int argc, char** argv);

// What makes a format's bytes: exportBytes, or exportTextBytes where QtGui is not linked.
using ExportMaker = std::optional<Result<ArtBytes>> (*)(ExportFormat, const RichText&, const Palette&,
                                                        const QString&, const std::function<bool()>&);
// Makes the application a format needs before it is exported (the picture's, with fonts).
using ApplicationMaker = std::unique_ptr<QCoreApplication> (*)(int& argc, char** argv);

// Reads IN and writes OUT. What succeeded may come with a note (characters written as "?").
Result<QString> runExport(const ExportRequest& request, ExportMaker make);

// What "torvo --help" prints.
QString commandLineHelp();

// The arguments that make the program a command-line tool rather than the editor.
bool isCommandLineTool(int argc, char** argv);

// Runs the tool: the help, or one export with its status (0, or 1 with one line on
// standard error). `application` is called only for a format that needs one.
int commandLineMain(int argc, char** argv, ExportMaker make, ApplicationMaker application);

} // namespace torvo
