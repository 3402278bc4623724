#pragma once

#include "art/RichText.h"

#include <QFont>
#include <QString>
#include <memory>
#include <optional>

class QMimeData;

namespace torvo {

// Art on the clipboard, as the text view and the grid both copy and paste it: the
// characters as plain text, and with their colours as RTF and HTML for programs that take
// rich text.
std::unique_ptr<QMimeData> artMimeData(const RichText& piece, const QString& plainText, const QFont& font);

// Whether the data carries RTF (which the plain-text view would not take by itself).
bool hasRtf(const QMimeData& source);

// Pasted art: RTF read with our reader, else HTML as Qt reads it, else the plain text;
// characters without a colour of their own take `typing`. RTF that cannot be read gives
// its one-line reason in `problem` and the paste goes on with what else is there.
// Nullopt when the data carries no text at all.
struct PastedArt {
    std::optional<RichText> art;
    QString problem;
};
PastedArt readPastedArt(const QMimeData& source, Colour typing);

} // namespace torvo
