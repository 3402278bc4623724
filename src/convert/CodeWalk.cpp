#include "convert/CodeWalk.h"

#include <string>

namespace torvo {

CodeWalker::CodeWalker(const CodeWalkPolicy& policy) : policy_(policy) {}

bool CodeWalker::walk(const RichText& text, int from, int to, CodeWalkState& state, QString& out,
                      const std::function<bool()>& cancelled) {
    // Written first into a plain buffer: a QString grows slowly a character at a time.
    std::u16string buf;
    buf.reserve(std::size_t(to - from) * 2);
    auto put = [&buf](const QString& s) {
        buf.append(reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size()));
    };
    auto flush = [&] {
        out.append(reinterpret_cast<const QChar*>(buf.data()), qsizetype(buf.size()));
        buf.clear();
    };
    // Whether the code in force differs from the last one written, kept as they change.
    bool differs = state.current != state.lastWritten;
    auto takeCode = [&] {
        if (lastCode_ && state.current != lastCode_) {
            state.current = lastCode_;
            differs = state.current != state.lastWritten;
        }
    };
    for (int p = from; p < to; ++p) {
        if (cancelled && cancelled()) {
            flush();
            return false;
        }
        const Colour c = text.colourAt(p);
        if (!haveLast_ || !(c == lastColour_)) {
            lastCode_ = policy_.codeOf(c);
            lastColour_ = c;
            haveLast_ = true;
            takeCode();
        } else if (p == from) {
            takeCode(); // the code is known, but the state comes from elsewhere
        }

        const bool isBreak = text.isLineBreak(p);
        const char32_t ch = text.charAt(p);
        if ((isBreak || ch != U' ') && differs) {
            if (state.current) put(*state.current);
            state.lastWritten = state.current;
            differs = false;
        }
        if (isBreak) {
            if (!state.toggleSet) {
                put(policy_.lineBreak);
                if (state.current) put(*state.current);
            }
            state.toggleSet = !state.toggleSet;
        } else if (policy_.appendChar) {
            flush();
            policy_.appendChar(out, ch);
        } else {
            char16_t units[2];
            buf.append(units, std::size_t(toUtf16(ch, units)));
        }
    }
    flush();
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
