#include "convert/CodeWalk.h"

namespace torvo {

CodeWalker::CodeWalker(const CodeWalkPolicy& policy) : policy_(policy) {}

bool CodeWalker::walk(const RichText& text, int from, int to, CodeWalkState& state, QString& out,
                      const std::function<bool()>& cancelled) {
    for (int p = from; p < to; ++p) {
        if (cancelled && cancelled()) return false;
        const Colour c = text.colourAt(p);
        if (!haveLast_ || !(c == lastColour_)) {
            lastCode_ = policy_.codeOf(c);
            lastColour_ = c;
            haveLast_ = true;
        }
        if (lastCode_) state.current = lastCode_;

        const bool isBreak = text.isLineBreak(p);
        const char32_t ch = text.charAt(p);
        if ((isBreak || ch != U' ') && state.current != state.lastWritten) {
            if (state.current) out += *state.current;
            state.lastWritten = state.current;
        }
        if (!isBreak) {
            policy_.appendChar(out, ch);
        } else if (!state.toggleSet) {
            out += policy_.lineBreak;
            if (state.current) out += *state.current;
            state.toggleSet = true;
        } else {
            state.toggleSet = false;
        }
    }
    return true;
}

std::optional<QString> walkCodes(const RichText& text, const CodeWalkPolicy& policy,
                                 const std::function<bool()>& cancelled) {
    QString out;
    out.reserve(qsizetype(text.size()) + qsizetype(text.size()) / 2);
    CodeWalkState state = CodeWalker::start(policy);
    if (!CodeWalker(policy).walk(text, 0, text.size(), state, out, cancelled)) return std::nullopt;
    return out;
}

} // namespace torvo
