#pragma once

#include "art/RichText.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <unordered_map>

namespace torvo {

// The walk shared by the tagged text, the keystroke string and the ANSI and HTML
// exports. A code is written only before a character that is not a space and whose
// code differs from the last one written; the two halves of a line break write the
// break text followed by the code in force once (the toggle runs over the whole text
// and is never reset), without changing the last written code.
struct CodeWalkPolicy {
    // The code of a colour, or nullopt when the colour has none (the code in force stays).
    std::function<std::optional<QString>(Colour)> codeOf;
    // Appends the text written for one character (never a line-break half); when empty,
    // the character itself is written.
    std::function<void(QString& out, char32_t ch)> appendChar;
    // Or, cheaper, a fixed text for some characters (empty: the character itself). Only
    // one of the two is set.
    QLatin1StringView (*escape)(char32_t ch) = nullptr;
    QString lineBreak;
    // Code in force and last written code at the start; nullopt is "no code".
    std::optional<QString> initialCode;
};

// Where the walk stands between two positions: the code in force, the last code written
// and the line-break toggle.
struct CodeWalkState {
    std::optional<QString> current;
    std::optional<QString> lastWritten;
    bool toggleSet = false;
    friend bool operator==(const CodeWalkState&, const CodeWalkState&) = default;
};

// The walk taken a stretch of positions at a time: stretches walked one after the other
// write what one walk over all of them writes.
class CodeWalker {
public:
    explicit CodeWalker(const CodeWalkPolicy& policy);

    // The state the walk starts from.
    static CodeWalkState start(const CodeWalkPolicy& policy) {
        return {policy.initialCode, policy.initialCode};
    }

    // Walks the positions [from, to) of the text from `state`, which is left as the walk
    // leaves it. False when `cancelled` turned true before a position.
    bool walk(const RichText& text, int from, int to, CodeWalkState& state, QString& out,
              const std::function<bool()>& cancelled = {});
    // The same walk appended to `out` as UTF-8: the bytes QString::toUtf8 gives for what
    // the walk above writes. For long exports, which would otherwise hold both forms.
    bool walk(const RichText& text, int from, int to, CodeWalkState& state, QByteArray& out,
              const std::function<bool()>& cancelled = {});

private:
    template <class Sink>
    bool walkInto(const RichText& text, int from, int to, CodeWalkState& state, Sink& sink,
                  const std::function<bool()>& cancelled);

    using Code = std::optional<QString>;
    // Every code the walk meets is kept once, so that codes are compared by where they are:
    // the same code is the same pointer.
    const Code* kept(const Code& code);
    // The code of a colour, asked of the policy once per colour (art has few colours and
    // changes colour often).
    const Code* codeOf(Colour c);

    const CodeWalkPolicy& policy_;
    std::deque<Code> codes_; // never moves what it holds
    QHash<QString, const Code*> byText_;
    std::unordered_map<std::uint32_t, const Code*> byColour_;
    std::array<std::pair<Colour, const Code*>, 64> recent_{};
    // The escape of every ASCII character, asked of the policy once.
    std::array<QLatin1StringView, 128> escapes_{};
    // The code of the previous position's colour is usually the same; keep it.
    bool haveLast_ = false;
    Colour lastColour_;
    const Code* lastCode_ = nullptr;
};

// Returns nullopt when `cancelled` turns true before a position (the window is closing).
std::optional<QString> walkCodes(const RichText& text, const CodeWalkPolicy& policy,
                                 const std::function<bool()>& cancelled = {});

} // namespace torvo
