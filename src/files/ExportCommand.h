#pragma once

#include "base/Result.h"
#include "files/OpenArt.h"
#include "files/SaveArt.h"
#include "image/PictureChoices.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>

namespace torvo {

// torvo --export FORMAT IN OUT [--width N] [--symbols NAME]: one file converted as "Abrir"
// and a menu command would, without a window: the same core functions.

struct ExportRequest {
    ExportFormat format;
    QString in;
    QString out;            // "-" is standard output, for every format but bmp
    PictureChoices picture; // how a picture IN becomes art: the dialog's defaults, or the options'
};

// The request in the arguments that follow "--export"; the options may stand anywhere.
Result<ExportRequest> parseExportArguments(const QStringList& args);

// Only the picture needs fonts, and so a GUI application.
inline bool needsGuiApplication(ExportFormat format) {
    return format == ExportFormat::Bmp;
}
// The same, told from the whole command line, and a picture IN, which QtGui's readers read:
// `torvo` hands these to the editor's program.
bool needsGuiApplication(int argc, char** argv);

// What makes a format's bytes: exportBytes, or exportTextBytes where QtGui is not linked.
using ExportMaker = std::optional<Result<ArtBytes>> (*)(ExportFormat, const RichText&, const Palette&,
                                                        const QString&, const std::function<bool()>&);
// Makes the application a format needs before it is exported (the picture's, with fonts),
// and the one pictures are read in.
using ApplicationMaker = std::unique_ptr<QCoreApplication> (*)(int& argc, char** argv);

// What turns a picture into art: openPictureFile, where QtGui is linked.
using PictureOpener = Result<OpenedArt> (*)(const QString&, const Palette&, const PictureChoices&);

// Reads IN and writes OUT. What succeeded may come with a note (characters written as "?").
// A picture IN needs `openPicture`.
Result<QString> runExport(const ExportRequest& request, ExportMaker make,
                          PictureOpener openPicture = nullptr);

// What "torvo --help" prints.
QString commandLineHelp();

// The arguments that make the program a command-line tool rather than the editor.
bool isCommandLineTool(int argc, char** argv);

// Runs the tool: the help, or one export with its status (0, or 1 with one line on
// standard error). `application` is called only for a format or an IN that needs one.
int commandLineMain(int argc, char** argv, ExportMaker make, ApplicationMaker application,
                    PictureOpener openPicture = nullptr);

} // namespace torvo
