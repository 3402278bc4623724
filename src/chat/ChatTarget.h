#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"
#include "send/KeyInterpreter.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace torvo::chat {

// Where the art goes: what "Copy & Paste" shows, "Copiar" copies and "Enviar" types.
enum class Target { Own, Irc, Discord, Terminal };

struct TargetName {
    Target target;
    const char16_t* caption; // the menu's entry
    const char* setting;     // as the settings keep it
};
inline constexpr std::array<TargetName, 4> Targets{{
    {Target::Own, u"Códigos propios", "propios"},
    {Target::Irc, u"IRC (mIRC)", "irc"},
    {Target::Discord, u"Discord", "discord"},
    {Target::Terminal, u"Terminal (ANSI)", "terminal"},
}};
QString captionOf(Target target);
// The target a setting names; Own for anything else.
Target targetOfSetting(const QString& setting);

// The key a chat client types mIRC's colour character with.
enum class ColourKey { CtrlK, CtrlC };

// The ANSI text "Guardar Ansi" writes as UTF-8, for a terminal: a reset (ESC "[0m") at
// every line end, and LF line ends as terminals and their files have them.
QString terminalText(const RichText& art, const Palette& palette);

// The keys that type text lines into a chat client or a terminal, one list per line, each
// ending with Enter: mIRC's colour character as the client's colour key, the escape
// character as the Escape key.
std::vector<std::vector<KeyAction>> lineKeys(const QStringList& lines, ColourKey key = ColourKey::CtrlK);

// The lines "Enviar" types for a target that is typed line by line (IRC and the terminal);
// nullopt for the others.
std::optional<QStringList> typedLines(Target target, const RichText& art, const Palette& palette);

} // namespace torvo::chat
