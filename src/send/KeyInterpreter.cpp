#include "send/KeyInterpreter.h"

#include "base/CodePoints.h"
#include "send/Keysyms.h"

namespace torvo {
namespace {

constexpr int MaxGroupDepth = 64;

// A name as quoted in a one-line error: control characters (a line break inside the
// braces) shown as "?", long names cut short.
QString shown(QStringView name) {
    QString out = name.first(qMin<qsizetype>(name.size(), 24)).toString();
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char('?');
    if (name.size() > 24) out += QStringLiteral("…");
    return out;
}

class Parser {
public:
    explicit Parser(QStringView s) : s_(s) {}

    bool run(std::vector<KeyAction>& out) { return sequence(out, 0, false); }
    const QString& error() const { return error_; }

private:
    QStringView s_;
    qsizetype i_ = 0;
    int depth_ = 0;
    QString error_;

    bool fail(const QString& reason, qsizetype at) {
        error_ = reason + QStringLiteral(" (posición %1).").arg(at + 1);
        return false;
    }

    bool atEnd() const { return i_ >= s_.size(); }

    // Reads one code point at i_ into ch; false on a broken surrogate pair.
    bool codePoint(char32_t& ch) {
        const CodePoint cp = codePointAt(s_, i_);
        if (isSurrogate(cp.ch)) return fail(QStringLiteral("Carácter incompleto"), i_);
        ch = cp.ch;
        i_ += cp.units;
        return true;
    }

    // Items until the end, or until the ")" closing a group opened at depth > 0.
    bool sequence(std::vector<KeyAction>& out, int mods, bool inGroup) {
        const qsizetype groupStart = i_ - 1;
        while (!atEnd()) {
            if (s_[i_] == u')') {
                if (!inGroup) return fail(QStringLiteral("Paréntesis de cierre sin abrir"), i_);
                ++i_;
                return true;
            }
            if (!item(out, mods)) return false;
        }
        if (inGroup) return fail(QStringLiteral("Paréntesis sin cerrar"), groupStart);
        return true;
    }

    // One key or group, with the modifiers written in front of it.
    bool item(std::vector<KeyAction>& out, int outerMods) {
        int mods = 0;
        const qsizetype start = i_;
        for (; !atEnd(); ++i_) {
            const QChar q = s_[i_];
            if (q == u'^')
                mods |= KeyAction::Ctrl;
            else if (q == u'+')
                mods |= KeyAction::Shift;
            else if (q == u'%')
                mods |= KeyAction::Alt;
            else
                break;
        }
        if (mods && (atEnd() || s_[i_] == u')'))
            return fail(QStringLiteral("Modificador sin tecla detrás"), start);
        mods |= outerMods;

        const QChar q = s_[i_];
        if (q == u'(') {
            // Deep nesting means nothing useful and would only eat the stack.
            if (depth_ >= MaxGroupDepth) return fail(QStringLiteral("Demasiados paréntesis anidados"), i_);
            ++i_;
            ++depth_;
            const bool ok = sequence(out, mods, true);
            --depth_;
            return ok;
        }
        if (q == u'{') return braces(out, mods);
        if (q == u'}') return fail(QStringLiteral("Llave de cierre sin abrir"), i_);
        if (q == u'[' || q == u']')
            return fail(QStringLiteral("Corchete reservado: escríbase entre llaves"), i_);
        if (q == u'~') {
            ++i_;
            out.push_back({KeyAction::Press, 0, QStringLiteral("ENTER"), mods});
            return true;
        }
        char32_t ch = 0;
        if (!codePoint(ch)) return false;
        out.push_back({KeyAction::Type, ch, QString(), mods});
        return true;
    }

    // "{" one code point, then anything up to the next "}".
    bool braces(std::vector<KeyAction>& out, int mods) {
        const qsizetype open = i_++;
        if (atEnd()) return fail(QStringLiteral("Llave sin cerrar"), open);
        const qsizetype nameStart = i_;
        char32_t first = 0;
        if (!codePoint(first)) return false;
        const qsizetype firstLen = i_ - nameStart;
        const qsizetype close = s_.indexOf(u'}', i_);
        if (close < 0) return fail(QStringLiteral("Llave sin cerrar"), open);
        const QStringView content = s_.sliced(nameStart, close - nameStart);
        i_ = close + 1;

        // The name runs to the first space after its first character; a count may follow.
        const qsizetype space = content.indexOf(u' ', firstLen);
        const QStringView name = space < 0 ? content : content.first(space);
        int count = 1;
        if (space >= 0) {
            const QStringView digits = content.sliced(space + 1);
            if (digits.isEmpty() || digits.size() > 4)
                return fail(QStringLiteral("Número de repeticiones no válido"), open);
            count = 0;
            for (QChar d : digits) {
                if (d < u'0' || d > u'9')
                    return fail(QStringLiteral("Número de repeticiones no válido"), open);
                count = count * 10 + (d.unicode() - u'0');
            }
            if (count > MaxKeyRepeat)
                return fail(QStringLiteral("Demasiadas repeticiones (máximo %1)").arg(MaxKeyRepeat), open);
        }

        KeyAction action{KeyAction::Type, first, QString(), mods};
        if (name.size() > firstLen) {
            const NamedKey* found = findNamedKey(name);
            if (!found) return fail(QStringLiteral("Tecla desconocida «%1»").arg(shown(name)), open);
            action = {KeyAction::Press, 0, QString::fromLatin1(found->name), mods};
        }
        for (int n = 0; n < count; ++n)
            out.push_back(action);
        return true;
    }
};

} // namespace

Result<std::vector<KeyAction>> parseKeys(QStringView keys) {
    std::vector<KeyAction> out;
    Parser parser(keys);
    if (!parser.run(out)) return Failure{parser.error()};
    return out;
}

} // namespace torvo
