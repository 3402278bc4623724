#include "files/ArtFile.h"

#include "files/CodePage.h"
#include "files/RtfReader.h"
#include "files/RtfWriter.h"

#include <QStringDecoder>
#include <algorithm>

namespace torvo {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The quoted shape: the payload lies between the quote that opens the file and the last
// quote, so quotes inside the art stay. Files that went through other editors or mail
// programs can have any line ends and spaces after the last quote, and a byte order mark
// before the first. Other text after the last quote is kept whole, as plain text, unless
// the payload is an RTF document, which carries all of the art.
std::optional<QByteArrayView> quotedPayload(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    if (bytes.isEmpty() || bytes.front() != '"') return std::nullopt;
    const qsizetype last = bytes.lastIndexOf('"');
    if (last == 0) return std::nullopt;
    const QByteArrayView payload = bytes.sliced(1, last - 1);
    const QByteArrayView after = bytes.sliced(last + 1);
    if (payload.startsWith("{\\rtf1\\") || std::all_of(after.begin(), after.end(), isBlank)) return payload;
    return std::nullopt;
}

// Bytes no text file holds, as binary files are full of them. Tabs, line ends, form feeds,
// escapes (colour sequences) and DOS's end-of-file mark are text.
bool holdsControlBytes(QByteArrayView bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = uchar(c);
        return (b < 0x20 && b != '\t' && b != '\n' && b != '\v' && b != '\f' && b != '\r' && b != 0x1A &&
                b != 0x1B) ||
               b == 0x7F;
    });
}

QString decodePlain(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString s = utf8.decode(bytes);
    if (!utf8.hasError()) return s;
    // Every byte is a character, so a file that is not UTF-8 still loses nothing.
    return CodePage::windows1252().decode(bytes);
}

} // namespace

SaveFormat formatForPath(const QString& path) {
    const QString tail = path.size() > 3 ? path.right(3) : path;
    return tail.toUpper() == QLatin1String("QCG") ? SaveFormat::Own : SaveFormat::Text;
}

QByteArray encodeArtFile(const RichText& text, SaveFormat format) {
    const QByteArray payload = format == SaveFormat::Own ? writeRtf(text) : text.plainText().toUtf8();
    QByteArray file;
    file.reserve(payload.size() + 4);
    file.append('"');
    file.append(payload);
    file.append("\"\r\n", 3);
    return file;
}

Result<LoadedArt> decodeArtFile(QByteArrayView bytes) {
    const std::optional<QByteArrayView> quoted = quotedPayload(bytes);
    const QByteArrayView payload = quoted.value_or(bytes);

    LoadedArt loaded;
    if (payload.startsWith("{\\rtf1\\")) {
        Result<RichText> rich = readRtf(payload);
        if (!rich) return rich.failure();
        loaded.text = std::move(*rich);
        loaded.text.setTypingColour(colours::White);
        loaded.rich = true;
        return loaded;
    }

    {
        const QString plain = decodePlain(payload);
        if (plain.size() > kRtfMaxPositions)
            return Failure{QStringLiteral("El archivo es demasiado grande para abrirlo.")};
        loaded.text = RichText(colours::White);
        // A lone CR or LF grows into two positions; reserving for that avoids a
        // reallocation that would double the peak memory of a huge file.
        loaded.text.reserve(std::size_t(plain.size() + plain.count(u'\n') + plain.count(u'\r')) + 2);
        loaded.text.appendText(plain, colours::White);
        loaded.recognised = quoted || !holdsControlBytes(payload);
    }
    if (!loaded.text.isEmpty() && !loaded.text.endsWithLineBreak()) loaded.text.appendLineBreak();
    // Moved, not copied (a returned local is): the art of a huge file takes hundreds of
    // megabytes.
    return loaded;
}

bool reopensAs(QByteArrayView bytes, const RichText& art) {
    Result<LoadedArt> loaded = decodeArtFile(bytes);
    if (!loaded) return false;
    RichText& text = loaded->text;
    if (!text.isEmpty() && !text.endsWithLineBreak()) text.appendLineBreak();
    return text == art;
}

} // namespace torvo
