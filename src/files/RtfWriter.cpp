#include "files/RtfWriter.h"

#include <unordered_map>
#include <vector>

namespace torvo {

namespace {

constexpr char kHex[] = "0123456789abcdef";

// Source lines longer than this get a line break between two tokens; readers ignore it.
constexpr qsizetype kSourceLine = 200;

class Out {
public:
    explicit Out(qsizetype reserve) { buf_.reserve(reserve); }

    void raw(const char* s, qsizetype n) { buf_.append(s, n); }
    void raw(const char* s) { buf_.append(s); }
    void ch(char c) { buf_.append(c); }
    void number(long n) {
        char tmp[24];
        int len = 0;
        const bool negative = n < 0;
        unsigned long u = negative ? 0ul - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
        do {
            tmp[len++] = char('0' + u % 10);
            u /= 10;
        } while (u);
        if (negative) buf_.append('-');
        while (len)
            buf_.append(tmp[--len]);
    }
    void newline() {
        buf_.append("\r\n", 2);
        lineStart_ = buf_.size();
    }
    // Called between tokens: breaks overly long source lines.
    void maybeBreak() {
        if (buf_.size() - lineStart_ >= kSourceLine) newline();
    }
    QByteArray take() { return std::move(buf_); }

private:
    QByteArray buf_;
    qsizetype lineStart_ = 0;
};

void writeUnicodeUnit(Out& out, char16_t unit) {
    out.raw("\\u", 2);
    out.number(static_cast<std::int16_t>(unit));
    out.ch('?');
}

// Returns true when the character was written as \u escapes.
bool writeChar(Out& out, char32_t ch, bool afterUnicode) {
    if (ch >= 0x20 && ch < 0x7F && ch != '\\' && ch != '{' && ch != '}' && ch != '"') {
        // Some readers (unrtf) take text glued to a \u escape's fallback as more
        // fallback; an empty group keeps them apart.
        if (afterUnicode) out.raw("{}", 2);
        out.ch(char(ch));
        return false;
    }
    if (ch >= 0x20 && ch < 0x7F) {
        switch (ch) {
        case '\\':
            out.raw("\\\\", 2);
            break;
        case '{':
            out.raw("\\{", 2);
            break;
        case '}':
            out.raw("\\}", 2);
            break;
        case '"':
            out.raw("\\'22", 4);
            break;
        }
        return false;
    }
    if (ch == '\t') {
        out.raw("\\tab ", 5);
        return false;
    }
    if (ch < 0x80) {
        // Control characters (NUL from a binary text file, DEL): the byte itself.
        const char esc[4] = {'\\', '\'', kHex[ch >> 4], kHex[ch & 0xF]};
        out.raw(esc, 4);
        return false;
    }
    if (ch >= 0x10000 && ch <= 0x10FFFF) {
        writeUnicodeUnit(out, QChar::highSurrogate(ch));
        writeUnicodeUnit(out, QChar::lowSurrogate(ch));
        return true;
    }
    if (ch > 0x10FFFF) {
        writeUnicodeUnit(out, 0xFFFD);
        return true;
    }
    writeUnicodeUnit(out, char16_t(ch));
    return true;
}

} // namespace

QByteArray writeRtf(const RichText& text) {
    const auto& positions = text.positions();

    // Colour table in order of first use; index 0 stays the automatic colour.
    std::vector<Colour> table;
    std::vector<int> changeIndex; // table index of each change of colour, in text order
    {
        std::unordered_map<std::uint32_t, int> indexOf;
        std::uint32_t current = 0xFFFFFFFFu;
        for (const auto& pos : positions) {
            if (pos.ch == RichText::CR || pos.ch == RichText::LF) continue;
            const std::uint32_t v = pos.colour.value();
            if (v == current) continue;
            current = v;
            auto [it, inserted] = indexOf.try_emplace(v, int(table.size()) + 1);
            if (inserted) table.push_back(pos.colour);
            changeIndex.push_back(it->second);
        }
    }

    Out out(qsizetype(positions.size()) * 3 + qsizetype(changeIndex.size()) * 6 +
            qsizetype(table.size()) * 32 + 256);
    out.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1");
    out.raw("{\\fonttbl{\\f0\\fmodern\\fcharset0 Lucida Console;}}");
    out.newline();
    out.raw("{\\colortbl ;");
    for (Colour c : table) {
        out.maybeBreak();
        out.raw("\\red", 4);
        out.number(c.red());
        out.raw("\\green", 6);
        out.number(c.green());
        out.raw("\\blue", 5);
        out.number(c.blue());
        out.ch(';');
    }
    out.ch('}');
    out.newline();
    out.raw("\\pard\\plain\\f0\\fs20 ");

    std::uint32_t current = 0xFFFFFFFFu;
    std::size_t change = 0;
    bool afterUnicode = false;
    const std::size_t n = positions.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto& pos = positions[i];
        if (pos.ch == RichText::CR || pos.ch == RichText::LF) {
            // A CR LF pair is one paragraph end; a lone half counts as one too.
            if (pos.ch == RichText::CR && i + 1 < n && positions[i + 1].ch == RichText::LF) ++i;
            out.raw("\\par", 4);
            out.newline();
            afterUnicode = false;
            continue;
        }
        if (pos.colour.value() != current) {
            current = pos.colour.value();
            out.maybeBreak();
            out.raw("\\cf", 3);
            out.number(changeIndex[change++]);
            out.ch(' ');
            afterUnicode = false;
        } else if ((i & 63) == 0) {
            out.maybeBreak();
        }
        afterUnicode = writeChar(out, pos.ch, afterUnicode);
    }
    out.ch('}');
    return out.take();
}

} // namespace torvo
