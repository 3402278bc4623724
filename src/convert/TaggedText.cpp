#include "convert/TaggedText.h"

#include "convert/CodeWalk.h"
#include "palette/Vocabulary.h"

#include <array>

namespace torvo {

CodeWalkPolicy taggedPolicy(const Palette& palette, bool useTags) {
    CodeWalkPolicy policy;
    // The codes are made once; the walk asks for one at every change of colour.
    std::array<QString, Palette::Size> codes;
    for (int i = 0; i < Palette::Size; ++i)
        codes[std::size_t(i)] = useTags ? vocabulary::tagWord(i) : vocabulary::letterCode(i);
    policy.codeOf = [&palette, codes](Colour c) -> std::optional<QString> {
        const std::optional<int> index = palette.lookup(c);
        if (!index) return std::nullopt;
        return codes[std::size_t(*index)];
    };
    policy.lineBreak = QStringLiteral("\r\n");
    return policy;
}

std::optional<QString> taggedText(const RichText& text, const Palette& palette, bool useTags,
                                  const std::function<bool()>& cancelled) {
    return walkCodes(text, taggedPolicy(palette, useTags), cancelled);
}

} // namespace torvo
