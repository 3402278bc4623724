#pragma once

#include "files/SaveArt.h"

#include <QByteArray>
#include <QString>

namespace torvo {

// The bytes of an exported text file: the text, the closing CR LF, as UTF-8 (the
// platform's code page and what the HTML page declares).
QByteArray encodeExport(const QString& text);

// exportBytes for every format but the picture, which needs QtGui: the `torvo` program
// converts the text formats with this alone, so that it starts without QtGui.
std::optional<Result<ArtBytes>> exportTextBytes(ExportFormat format, const RichText& art,
                                                const Palette& palette, const QString& path,
                                                const std::function<bool()>& cancelled = {});

} // namespace torvo
