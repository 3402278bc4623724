#pragma once

#include <QString>
#include <array>

namespace torvo {

// The characters F1 ... F10 type: a set of ten, chosen from a list. The built-in sets hold
// only characters of code page 437, so that "Guardar Ansi" keeps them.
using KeyCharacters = std::array<char32_t, 10>;

struct CharacterSet {
    const char16_t* name;
    KeyCharacters characters;
};

inline constexpr std::array<CharacterSet, 3> BuiltInSets{{
    {u"Sombras y bloques", {U'░', U'▒', U'▓', U'█', U'▀', U'▄', U'▌', U'▐', U'■', U'·'}},
    {u"Marco simple", {U'┌', U'┐', U'└', U'┘', U'─', U'│', U'├', U'┤', U'┬', U'┴'}},
    {u"Marco doble", {U'╔', U'╗', U'╚', U'╝', U'═', U'║', U'╠', U'╣', U'╦', U'╩'}},
}};
// The user's own set comes after the built-in ones; it starts as the first of them.
inline constexpr int OwnSet = int(BuiltInSets.size());
inline constexpr char16_t OwnSetName[] = u"Propio";

// The own set as the settings keep it (ten characters), and read back: what is missing or
// not a character keeps the starting set's character.
QString ownSetSetting(const KeyCharacters& characters);
KeyCharacters ownSetOfSetting(const QString& setting);

} // namespace torvo
