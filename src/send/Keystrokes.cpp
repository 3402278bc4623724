#include "send/Keystrokes.h"

#include "convert/CodeWalk.h"
#include "palette/Vocabulary.h"

#include <array>

namespace torvo {
namespace {

bool needsBraces(char32_t ch) {
    switch (ch) {
    case U'^':
    case U'~':
    case U'[':
    case U'+':
    case U'%':
    case U']':
    case U'{':
    case U'}':
    case U')':
    case U'(':
    case U'/':
    case U'|':
    case U'.':
    case U'\\':
        return true;
    default:
        return false;
    }
}

} // namespace

void appendEscaped(QString& out, char32_t ch) {
    if (needsBraces(ch)) {
        out.append(QLatin1Char('{'));
        out.append(QChar(char16_t(ch)));
        out.append(QLatin1Char('}'));
    } else if (ch == U'`') {
        out.append(QLatin1Char('\''));
    } else {
        appendCodePoint(out, ch);
    }
}

QString IntercambiarSK(const QString& Texto) {
    if (Texto.size() != 1) return Texto;
    QString out;
    appendEscaped(out, Texto.at(0).unicode());
    return out;
}

std::optional<QString> buildKeystrokes(const RichText& text, const Palette& palette,
                                       const std::function<bool()>& cancelled) {
    // The 16 send codes built once, not once per colour change.
    std::array<QString, Palette::Size> codes;
    for (int i = 0; i < Palette::Size; ++i)
        codes[std::size_t(i)] = vocabulary::sendCode(i);

    CodeWalkPolicy policy;
    policy.codeOf = [&palette, &codes](Colour c) -> std::optional<QString> {
        const std::optional<int> index = palette.lookup(c);
        if (!index) return std::nullopt;
        return codes[std::size_t(*index)];
    };
    policy.appendChar = [](QString& out, char32_t ch) { appendEscaped(out, ch); };
    policy.lineBreak = QStringLiteral("{ENTER}");
    return walkCodes(text, policy, cancelled);
}

} // namespace torvo
