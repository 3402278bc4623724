#include "chat/ChatTarget.h"

#include "base/CodePoints.h"
#include "chat/IrcArt.h"
#include "files/AnsiExport.h"

namespace torvo::chat {

QString captionOf(Target target) {
    for (const TargetName& t : Targets)
        if (t.target == target) return QString::fromUtf16(t.caption);
    return {};
}

Target targetOfSetting(const QString& setting) {
    for (const TargetName& t : Targets)
        if (setting == QLatin1String(t.setting)) return t.target;
    return Target::Own;
}

QString terminalText(const RichText& art, const Palette& palette) {
    if (art.isEmpty()) return {};
    QStringList lines = SalvarComoAnsi(art, palette)->split(QStringLiteral("\r\n"));
    // After a final line break the walk writes the code in force, and no line.
    if (art.endsWithLineBreak()) lines.removeLast();
    return lines.join(QStringLiteral("\x1b[0m\n")) + QStringLiteral("\x1b[0m\n");
}

std::vector<std::vector<KeyAction>> lineKeys(const QStringList& lines, ColourKey key) {
    std::vector<std::vector<KeyAction>> out;
    out.reserve(std::size_t(lines.size()));
    for (const QString& line : lines) {
        std::vector<KeyAction>& keys = out.emplace_back();
        for (char32_t ch : CodePoints(line)) {
            if (ch == MircColour)
                keys.push_back({KeyAction::Type, key == ColourKey::CtrlK ? U'k' : U'c', {}, KeyAction::Ctrl});
            else
                keys.push_back({KeyAction::Type, ch, {}, 0}); // ESC is typed as the Escape key
        }
        keys.push_back({KeyAction::Press, 0, QStringLiteral("ENTER"), 0});
    }
    return out;
}

std::optional<QStringList> typedLines(Target target, const RichText& art, const Palette& palette) {
    if (target == Target::Irc) return ircLines(art, palette);
    if (target == Target::Terminal) {
        QStringList lines = terminalText(art, palette).split(u'\n');
        lines.removeLast(); // after the last line's LF
        return lines;
    }
    return std::nullopt;
}

} // namespace torvo::chat
