#include "paint/CharacterSets.h"

#include "base/CodePoints.h"
#include "paint/Fill.h"

namespace torvo {

QString ownSetSetting(const KeyCharacters& characters) {
    QString s;
    for (const char32_t ch : characters)
        appendCodePoint(s, ch);
    return s;
}

KeyCharacters ownSetOfSetting(const QString& setting) {
    KeyCharacters out = BuiltInSets.front().characters;
    std::size_t k = 0;
    for (qsizetype i = 0; i < setting.size() && k < out.size(); ++k) {
        const CodePoint cp = codePointAt(setting, i);
        if (isTypableCell(cp.ch)) out[k] = cp.ch;
        i += cp.units;
    }
    return out;
}

} // namespace torvo
