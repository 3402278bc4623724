#include "chat/IrcArt.h"

#include "base/CodePoints.h"
#include "chat/ChatColours.h"

namespace torvo::chat {
namespace {

void appendCode(QString& out, int mirc) {
    out.append(QChar(MircColour));
    out.append(QChar(u'0' + mirc / 10));
    out.append(QChar(u'0' + mirc % 10));
    out.append(u",01");
}

bool isDigit(QStringView s, qsizetype i) {
    return i < s.size() && s[i] >= u'0' && s[i] <= u'9';
}

// One or two digits at i, read and passed.
int readNumber(QStringView s, qsizetype& i) {
    int n = s[i++].unicode() - u'0';
    if (isDigit(s, i)) n = n * 10 + (s[i++].unicode() - u'0');
    return n;
}

} // namespace

QStringList ircLines(const RichText& art, const Palette& palette) {
    QStringList lines;
    const int count = art.lineCount() - (art.endsWithLineBreak() || art.isEmpty() ? 1 : 0);
    // The code of a colour, asked once per run of one colour.
    Colour lastColour;
    int lastCode = -1;
    auto codeOf = [&](Colour c) {
        if (lastCode < 0 || c != lastColour) {
            lastColour = c;
            lastCode = mircColourOf(c, palette);
        }
        return lastCode;
    };
    for (int l = 0; l < count; ++l) {
        const int start = art.lineStart(l);
        const int end = l + 1 < art.lineCount() ? art.lineStart(l + 1) - 2 : art.size();
        int first = start;
        while (first < end && art.charAt(first) == U' ')
            ++first;
        QString line;
        int written = first < end ? codeOf(art.colourAt(first)) : mircColourOf(palette[0], palette);
        appendCode(line, written);
        for (int p = start; p < end; ++p) {
            const char32_t ch = art.charAt(p);
            if (ch != U' ') {
                if (const int code = codeOf(art.colourAt(p)); code != written) {
                    appendCode(line, code);
                    written = code;
                }
            }
            appendCodePoint(line, ch);
        }
        if (start == end) line.append(u' ');
        lines.append(line);
    }
    return lines;
}

QByteArray ircFile(const RichText& art, const Palette& palette) {
    QByteArray file;
    for (const QString& line : ircLines(art, palette)) {
        file.append(line.toUtf8());
        file.append("\r\n", 2);
    }
    return file;
}

bool isIrcPath(const QString& path) {
    return path.endsWith(QLatin1String(".irc"), Qt::CaseInsensitive);
}

bool hasIrcCodes(QStringView text) {
    return text.contains(QChar(MircColour));
}

IrcArt readIrcArt(QStringView text, const Palette& palette) {
    IrcArt art;
    art.text = RichText(palette[0]);
    bool anyCharacter = false;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype end = i;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = text.sliced(i, end - i);
        // Each line is a message of its own: white on no background.
        Colour ink = palette[0];
        bool paper = false;
        RichText read;
        for (qsizetype k = 0; k < line.size();) {
            const char16_t c = line[k].unicode();
            if (c == MircColour) {
                ++k;
                const bool foreground = isDigit(line, k);
                if (foreground) ink = colourOfMirc(readNumber(line, k), palette);
                if (k < line.size() && line[k] == u',' && isDigit(line, k + 1)) {
                    ++k;
                    const int bg = readNumber(line, k);
                    paper = bg != 99 && colourOfMirc(bg, palette) != palette[8];
                } else if (!foreground) {
                    ink = palette[0];
                    paper = false;
                }
                continue;
            }
            if (c == 0x0F) {
                ink = palette[0];
                paper = false;
            } else if (c != 0x02 && c != 0x1D && c != 0x1F && c != 0x16) {
                const CodePoint cp = codePointAt(line, k);
                read.append(cp.ch, ink);
                art.backgroundCells += paper ? 1 : 0;
                k += cp.units;
                continue;
            }
            ++k;
        }
        const bool onlySpace = read.size() == 1 && read.charAt(0) == U' ';
        if (!onlySpace) art.text.replace(art.text.size(), 0, read);
        anyCharacter |= !read.isEmpty();
        art.text.appendLineBreak();
        // One line break: CR LF, or a lone CR or LF.
        i = end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n' ? end + 2 : end + 1;
    }
    if (!anyCharacter) art.text.clear();
    return art;
}

} // namespace torvo::chat
