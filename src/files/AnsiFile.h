#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace torvo {

// The two kinds of ANSI file. The escape sequences are the same in both.
enum class AnsiKind {
    CodePage437, // what ANSI art viewers, editors and archives read, with a SAUCE record
    Utf8,        // what terminals read
};

// The save dialog's list, one entry per kind in the order above (entry 1 first).
QString ansiSaveFilter();
AnsiKind ansiKindOfFilter(int filterIndex);
int filterOfAnsiKind(AnsiKind kind);

// The kind chosen last, kept in the user's settings.
AnsiKind lastAnsiKind();
void rememberAnsiKind(AnsiKind kind);

struct AnsiFile {
    QByteArray bytes;
    qsizetype missing = 0; // characters code page 437 lacks, written as "?"
};

// The file "Guardar Ansi" writes: the ANSI text, a reset (ESC "[0m") and a closing CR LF,
// either in UTF-8, or in code page 437 followed by an end-of-file byte and a SAUCE record
// whose title is the name of path and whose width and height are the art's. Nullopt when
// cancelled.
std::optional<AnsiFile> encodeAnsiFile(const RichText& art, const Palette& palette, AnsiKind kind,
                                       const QString& path, QDate date,
                                       const std::function<bool()>& cancelled = {});

// The status line's note on characters written as "?"; empty when there are none.
QString missingCharactersNote(qsizetype missing);

} // namespace torvo
