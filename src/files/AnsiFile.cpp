#include "files/AnsiFile.h"

#include "files/AnsiExport.h"
#include "files/CodePage.h"
#include "files/Sauce.h"

#include <QFileInfo>
#include <QSettings>
#include <QSize>
#include <algorithm>

namespace torvo {
namespace {

const QString SettingsKey = QStringLiteral("ansi/kind");

// Columns of the longest line and the number of lines a viewer shows: a final line
// break opens no line of its own.
QSize measure(const RichText& art) {
    int cols = 0, col = 0, lines = 0;
    for (int p = 0; p < art.size(); ++p) {
        if (art.charAt(p) == RichText::LF) {
            ++lines;
            col = 0;
        } else if (!art.isLineBreak(p)) {
            cols = std::max(cols, ++col);
        }
    }
    if (!art.isEmpty() && !art.endsWithLineBreak()) ++lines;
    return QSize(cols, lines);
}

// The columns a line of the ANSI text takes on the screen: its characters (a surrogate
// pair is one, as code page 437 writes it), its escape sequences none.
int screenColumns(QStringView line) {
    int columns = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\x1b' && i + 1 < line.size() && line[i + 1] == u'[') {
            for (i += 2; i < line.size() && (line[i] < u'\x40' || line[i] > u'\x7e');)
                ++i;
            continue;
        }
        if (!(line[i].isLowSurrogate() && i > 0 && line[i - 1].isHighSurrogate())) ++columns;
    }
    return columns;
}

// ANSI art viewers go to the next row as soon as a row reaches the SAUCE width, so the
// line break after a full row would show as an empty row: it is left out. When the row
// after it is empty, a space stands in for it instead: it takes a viewer and a terminal,
// which wraps only at the next character, to the start of the row that follows. `text`
// ends with the closing line break, after which nothing is a row.
QString wrapAtWidth(const QString& text, int width) {
    if (width <= 0) return text;
    const QList<QStringView> lines = QStringView(text).split(u"\r\n");
    const qsizetype count = lines.size() - 1; // each ended by a line break
    QString out;
    out.reserve(text.size());
    bool spaced = false; // the line starts with the space put for it
    for (qsizetype i = 0; i < count; ++i) {
        out += lines[i];
        const bool full = screenColumns(lines[i]) + (spaced ? 1 : 0) == width;
        spaced = full && i + 2 < count && screenColumns(lines[i + 1]) == 0;
        if (spaced)
            out += u' ';
        else if (!full)
            out += QLatin1String("\r\n");
    }
    return out;
}

} // namespace

QString ansiSaveFilter() {
    return QStringLiteral("Archivos Ansi (*.ans)|*.ans|Archivos Ansi UTF-8 (*.ans)|*.ans");
}

AnsiKind ansiKindOfFilter(int filterIndex) {
    return filterIndex == 2 ? AnsiKind::Utf8 : AnsiKind::CodePage437;
}

int filterOfAnsiKind(AnsiKind kind) {
    return kind == AnsiKind::Utf8 ? 2 : 1;
}

AnsiKind lastAnsiKind() {
    return QSettings().value(SettingsKey).toString() == QLatin1String("utf8") ? AnsiKind::Utf8
                                                                              : AnsiKind::CodePage437;
}

void rememberAnsiKind(AnsiKind kind) {
    QSettings().setValue(SettingsKey,
                         kind == AnsiKind::Utf8 ? QStringLiteral("utf8") : QStringLiteral("cp437"));
}

std::optional<AnsiFile> encodeAnsiFile(const RichText& art, const Palette& palette, AnsiKind kind,
                                       const QString& path, QDate date,
                                       const std::function<bool()>& cancelled) {
    std::optional<QString> text = SalvarComoAnsi(art, palette, cancelled);
    if (!text) return std::nullopt;
    // The terminal goes back to its own colours after the art.
    text->append(QLatin1String("\x1b[0m"));
    AnsiFile file;
    if (kind == AnsiKind::Utf8) {
        file.bytes = encodeExport(*text);
        return file;
    }
    text->append(QLatin1String("\r\n"));
    const QSize size = measure(art);
    file.bytes = CodePage::ibm437().encode(wrapAtWidth(*text, size.width()), &file.missing);
    SauceRecord sauce;
    sauce.title = CodePage::ibm437().encode(path == QLatin1String("-") ? QString()
                                                                       : QFileInfo(path).completeBaseName());
    sauce.date = date;
    sauce.fileSize = quint32(file.bytes.size());
    sauce.tInfo1 = quint16(std::min(size.width(), 0xFFFF));
    sauce.tInfo2 = quint16(std::min(size.height(), 0xFFFF));
    sauce.tInfoS = "IBM VGA";
    file.bytes.append(char(0x1A));
    file.bytes.append(encodeSauce(sauce));
    return file;
}

QString missingCharactersNote(qsizetype missing) {
    if (missing == 0) return {};
    if (missing == 1) return QStringLiteral("1 carácter no existe en la página 437: se escribió como «?».");
    return QStringLiteral("%1 caracteres no existen en la página 437: se escribieron como «?».").arg(missing);
}

} // namespace torvo
