#pragma once

#include "art/RichText.h"
#include "base/Result.h"
#include "files/ArtFile.h"
#include "palette/Palette.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

namespace torvo {

// The files the art is saved and exported as: the menu commands' and torvo --export's.
enum class ExportFormat { Ansi, AnsiUtf8, Html, Bmp, Txt, Qcg };

// A file's bytes, and what the status line notes about them (characters left out).
struct ArtBytes {
    QByteArray bytes;
    QString note;
};

// The file of a format for path (whose name is the title of code-page-437 ANSI art), made
// from the art as the walkers read it. The picture is as large as the grid the art fills;
// a picture too large fails. Nullopt when called off.
std::optional<Result<ArtBytes>> exportBytes(ExportFormat format, const RichText& art, const Palette& palette,
                                            const QString& path, const std::function<bool()>& cancelled = {});

// Writes the bytes to path atomically. The status line: "Guardado «x»." and the note.
Result<QString> saveFile(const QString& path, const QByteArray& bytes, const QString& note = {});

// "Guardar": the art's file (encodeArtFile) written as saveFile does. Text keeps no
// colours, and its status line says so.
Result<QString> saveArtFile(const QString& path, const QByteArray& bytes, SaveFormat format);

// exportBytes, then saveFile.
std::optional<Result<QString>> saveExport(ExportFormat format, const RichText& art, const Palette& palette,
                                          const QString& path, const std::function<bool()>& cancelled = {});

// Saves a picture already drawn as a Windows BMP file, as saveFile.
Result<QString> saveBitmap(const QImage& image, const QString& path);

} // namespace torvo
