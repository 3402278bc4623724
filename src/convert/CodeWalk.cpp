#include "convert/CodeWalk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <type_traits>
#include <unordered_map>

namespace torvo {
namespace {

// Written first into a plain buffer: a QString grows slowly a character at a time.
class Utf16Sink {
public:
    Utf16Sink(QString& out, std::size_t expected) : out_(out) { buf_.reserve(expected); }
    void put(const QString& s) {
        buf_.append(reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size()));
    }
    void put(QLatin1StringView s) { buf_.append(s.begin(), s.end()); }
    void put(char32_t ch) {
        char16_t units[2];
        buf_.append(units, std::size_t(toUtf16(ch, units)));
    }
    QString& flushed() {
        out_.append(reinterpret_cast<const QChar*>(buf_.data()), qsizetype(buf_.size()));
        buf_.clear();
        return out_;
    }

private:
    QString& out_;
    std::u16string buf_;
};

// UTF-8 straight into the array, grown by doubling. Text goes through its UTF-16 units so
// that the bytes are QString::toUtf8's: a surrogate half next to its other half is one
// character, a lone one is "?".
class Utf8Sink {
public:
    Utf8Sink(QByteArray& out, std::size_t expected) : out_(out) {
        const qsizetype used = out_.size();
        out_.resize(used + qsizetype(expected) + 16);
        w_ = out_.data() + used;
        end_ = out_.data() + out_.size();
    }
    ~Utf8Sink() { out_.resize(w_ - out_.data()); }
    // A code: a walk writes a few, many times each. Their bytes are kept, found by the string's
    // buffer (kept alive here, so that it is not another string's).
    void put(const QString& s) {
        const auto* units = reinterpret_cast<const char16_t*>(s.constData());
        if (high_ || s.isEmpty()) return put(units, s.size());
        // A few codes alternate: a slot by address finds them before the map does.
        Converted*& slot = recent_[(reinterpret_cast<std::uintptr_t>(units) >> 4) % recent_.size()];
        if (slot && slot->units == units && slot->text.size() == s.size()) return putBytes(slot->bytes);
        auto [it, added] = converted_.try_emplace(units);
        if (!added && it->second.text.size() == s.size()) {
            slot = &it->second;
            return putBytes(it->second.bytes);
        }
        slot = nullptr;
        const qsizetype at = w_ - out_.data(); // the array may move as it grows
        put(units, s.size());
        if (!high_)
            it->second = Converted{s, units, std::string(out_.data() + at, w_)};
        else
            converted_.erase(it);
    }
    void put(QLatin1StringView s) {
        room(s.size());
        std::memcpy(w_, s.data(), std::size_t(s.size())); // the escapes are ASCII
        w_ += s.size();
    }
    void put(char32_t ch) {
        if (ch < 0x80 && !high_ && w_ != end_) {
            *w_++ = char(ch);
            return;
        }
        char16_t units[2];
        put(units, toUtf16(ch, units));
    }
    QString& flushed() { return scratch_; }
    // What appendChar wrote into flushed().
    void takeScratch() {
        put(reinterpret_cast<const char16_t*>(scratch_.constData()), scratch_.size());
        scratch_.clear();
    }
    void finish() {
        if (high_) {
            room(1);
            *w_++ = '?';
        }
        high_ = 0;
    }

private:
    void room(qsizetype n) {
        if (end_ - w_ >= n) return;
        const qsizetype used = w_ - out_.data();
        out_.resize(std::max(out_.size() * 2, used + n + 16));
        w_ = out_.data() + used;
        end_ = out_.data() + out_.size();
    }
    void put(const char16_t* units, qsizetype n) {
        room(n * 3 + 1);
        if (!high_) {
            // ASCII, as codes usually are: one byte a unit, checked once the whole is copied.
            char16_t all = 0;
            for (qsizetype i = 0; i < n; ++i) {
                all |= units[i];
                w_[i] = char(units[i]);
            }
            if (all < 0x80) {
                w_ += n;
                return;
            }
        }
        // A local pointer: stores through char* could otherwise change the member.
        char* w = w_;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t u = units[i];
            if (u < 0x80 && !high_) {
                *w++ = char(u);
            } else {
                w_ = w;
                unit(u);
                w = w_;
            }
        }
        w_ = w;
    }
    void unit(char16_t u) {
        if (high_) {
            const char16_t high = high_;
            high_ = 0;
            if (QChar::isLowSurrogate(u)) {
                const char32_t ch = QChar::surrogateToUcs4(high, u);
                *w_++ = char(0xF0 | ch >> 18);
                *w_++ = char(0x80 | (ch >> 12 & 0x3F));
                *w_++ = char(0x80 | (ch >> 6 & 0x3F));
                *w_++ = char(0x80 | (ch & 0x3F));
                return;
            }
            *w_++ = '?';
        }
        if (u < 0x80) {
            *w_++ = char(u);
        } else if (u < 0x800) {
            *w_++ = char(0xC0 | u >> 6);
            *w_++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u)) {
            high_ = u;
        } else if (QChar::isLowSurrogate(u)) {
            *w_++ = '?';
        } else {
            *w_++ = char(0xE0 | u >> 12);
            *w_++ = char(0x80 | (u >> 6 & 0x3F));
            *w_++ = char(0x80 | (u & 0x3F));
        }
    }

    QByteArray& out_;
    char* w_;
    char* end_;
    char16_t high_ = 0; // a high surrogate waiting for its low half
    QString scratch_;
    struct Converted {
        QString text;
        const char16_t* units = nullptr;
        std::string bytes;
    };
    void putBytes(const std::string& bytes) {
        room(qsizetype(bytes.size()));
        std::memcpy(w_, bytes.data(), bytes.size());
        w_ += bytes.size();
    }
    std::array<Converted*, 64> recent_{};
    std::unordered_map<const char16_t*, Converted> converted_;
};

} // namespace

CodeWalker::CodeWalker(const CodeWalkPolicy& policy) : policy_(policy) {
    if (policy.escape)
        for (char32_t ch = 0; ch < escapes_.size(); ++ch)
            escapes_[ch] = policy.escape(ch);
}

const CodeWalker::Code* CodeWalker::kept(const Code& code) {
    if (codes_.empty()) codes_.emplace_back(); // "no code" first
    if (!code) return &codes_.front();
    if (const Code* found = byText_.value(*code)) return found;
    codes_.push_back(code);
    return byText_.insert(*code, &codes_.back()).value();
}

const CodeWalker::Code* CodeWalker::codeOf(Colour c) {
    // A slot by colour finds the usual few colours before the map does.
    auto& [colour, code] = recent_[(c.value() * 0x9E3779B1u) >> 26];
    if (code && colour == c) return code;
    auto it = byColour_.find(c.value());
    if (it == byColour_.end()) it = byColour_.emplace(c.value(), kept(policy_.codeOf(c))).first;
    colour = c;
    code = it->second;
    return code;
}

template <class Sink>
bool CodeWalker::walkInto(const RichText& text, int from, int to, CodeWalkState& state, Sink& sink,
                          const std::function<bool()>& cancelled) {
    // The code in force and the last one written, and whether they differ, kept as they change.
    const Code* current = kept(state.current);
    const Code* lastWritten = kept(state.lastWritten);
    bool differs = current != lastWritten;
    auto takeCode = [&] {
        if (lastCode_->has_value() && lastCode_ != current) {
            current = lastCode_;
            differs = current != lastWritten;
        }
    };
    auto leave = [&](bool done) {
        state.current = *current;
        state.lastWritten = *lastWritten;
        return done;
    };
    const RichText::Position* positions = text.positions().data();
    for (int p = from; p < to; ++p) {
        // Asked now and then: the question costs more than a position.
        if ((p - from) % 1024 == 0 && cancelled && cancelled()) return leave(false);
        const Colour c = positions[p].colour;
        if (!haveLast_ || !(c == lastColour_)) {
            lastCode_ = codeOf(c);
            lastColour_ = c;
            haveLast_ = true;
            takeCode();
        } else if (p == from) {
            takeCode(); // the code is known, but the state comes from elsewhere
        }

        const char32_t ch = positions[p].ch;
        const bool isBreak = ch == RichText::CR || ch == RichText::LF;
        if ((isBreak || ch != U' ') && differs) {
            if (*current) sink.put(**current);
            lastWritten = current;
            differs = false;
        }
        if (isBreak) {
            if (!state.toggleSet) {
                sink.put(policy_.lineBreak);
                if (*current) sink.put(**current);
            }
            state.toggleSet = !state.toggleSet;
        } else if (policy_.escape) {
            const QLatin1StringView escaped = ch < escapes_.size() ? escapes_[ch] : policy_.escape(ch);
            if (escaped.isEmpty())
                sink.put(ch);
            else
                sink.put(escaped);
        } else if (policy_.appendChar) {
            policy_.appendChar(sink.flushed(), ch);
            if constexpr (std::is_same_v<Sink, Utf8Sink>) sink.takeScratch();
        } else {
            sink.put(ch);
        }
    }
    return leave(true);
}

bool CodeWalker::walk(const RichText& text, int from, int to, CodeWalkState& state, QString& out,
                      const std::function<bool()>& cancelled) {
    Utf16Sink sink(out, std::size_t(to - from) * 2);
    const bool done = walkInto(text, from, to, state, sink, cancelled);
    sink.flushed();
    return done;
}

bool CodeWalker::walk(const RichText& text, int from, int to, CodeWalkState& state, QByteArray& out,
                      const std::function<bool()>& cancelled) {
    Utf8Sink sink(out, std::size_t(to - from) * 2);
    const bool done = walkInto(text, from, to, state, sink, cancelled);
    sink.finish();
    return done;
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
