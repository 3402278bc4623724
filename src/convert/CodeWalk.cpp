#include "convert/CodeWalk.h"

namespace torvo {

std::optional<QString> walkCodes(const RichText& text, const CodeWalkPolicy& policy,
                                 const std::function<bool()>& cancelled) {
    QString out;
    out.reserve(qsizetype(text.size()) + qsizetype(text.size()) / 2);
    std::optional<QString> current = policy.initialCode;
    std::optional<QString> lastWritten = policy.initialCode;
    bool toggleSet = false;
    // The code of the previous position's colour is usually the same; keep it.
    bool haveLast = false;
    Colour lastColour;
    std::optional<QString> lastCode;

    const int n = text.size();
    for (int p = 0; p < n; ++p) {
        if (cancelled && cancelled()) return std::nullopt;
        const Colour c = text.colourAt(p);
        if (!haveLast || !(c == lastColour)) {
            lastCode = policy.codeOf(c);
            lastColour = c;
            haveLast = true;
        }
        if (lastCode) current = lastCode;

        const bool isBreak = text.isLineBreak(p);
        const char32_t ch = text.charAt(p);
        if ((isBreak || ch != U' ') && current != lastWritten) {
            if (current) out += *current;
            lastWritten = current;
        }
        if (!isBreak) {
            policy.appendChar(out, ch);
        } else if (!toggleSet) {
            out += policy.lineBreak;
            if (current) out += *current;
            toggleSet = true;
        } else {
            toggleSet = false;
        }
    }
    return out;
}

} // namespace torvo
