#include "convert/TaggedText.h"

#include "convert/CodeWalk.h"
#include "palette/Vocabulary.h"

namespace torvo {

CodeWalkPolicy taggedPolicy(const Palette& palette, bool useTags) {
    CodeWalkPolicy policy;
    policy.codeOf = [&palette, useTags](Colour c) -> std::optional<QString> {
        const std::optional<int> index = palette.lookup(c);
        if (!index) return std::nullopt;
        return useTags ? vocabulary::tagWord(*index) : vocabulary::letterCode(*index);
    };
    policy.appendChar = [](QString& out, char32_t ch) { appendCodePoint(out, ch); };
    policy.lineBreak = QStringLiteral("\r\n");
    return policy;
}

std::optional<QString> taggedText(const RichText& text, const Palette& palette, bool useTags,
                                  const std::function<bool()>& cancelled) {
    return walkCodes(text, taggedPolicy(palette, useTags), cancelled);
}

} // namespace torvo
