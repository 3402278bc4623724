#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>

// What a picture is turned into art with, and how pictures are told from other files.
// QtCore alone: `torvo` reads the command line's choices and routes pictures with it.
namespace torvo {

// The characters the art may be drawn with, each one of chafa's selections of its symbol
// classes. Characters two cells wide are never taken: a cell holds one character.
enum class SymbolSet { Blocks, Ascii, BlocksAndBorders, All };
enum class Dithering { None, Ordered, Diffusion };

struct SymbolSetName {
    SymbolSet set;
    const char16_t* label; // the dialog's
    const char* name;      // torvo --symbols NAME
    const char* selectors; // chafa's symbol classes
    // chafa's fill symbols, for the cells it would paint with a background colour alone:
    // the art has none, so they are drawn in that colour with these instead of left blank.
    const char* fill;
};
// One table of the symbol sets, in the dialog's order.
std::span<const SymbolSetName> symbolSets();
const SymbolSetName& symbolSetName(SymbolSet set);
std::optional<SymbolSet> symbolSetNamed(const QString& name);
// "bloques, ascii, …" for the help and the messages.
QString symbolSetNames();

struct DitheringName {
    Dithering dithering;
    const char16_t* label;
    const char* key; // in the settings
};
std::span<const DitheringName> ditherings();

inline constexpr int MinColumns = 8;
inline constexpr int MaxColumns = 400;
// A tall picture is narrowed until its rows fit.
inline constexpr int MaxPictureRows = 2000;

struct PictureChoices {
    int columns = 80;
    SymbolSet symbols = SymbolSet::Blocks;
    Dithering dithering = Dithering::None;
    friend bool operator==(const PictureChoices&, const PictureChoices&) = default;
};

// The cell of the art's font, DejaVu Sans Mono (the text view's face where Lucida Console
// is missing): its advance by its line spacing, 1233 by 2384 font units.
inline constexpr double ArtCellAspect = 1233.0 / 2384.0;

struct CellSize {
    int columns = 0;
    int rows = 0;
    friend bool operator==(const CellSize&, const CellSize&) = default;
};

// The height rule: the art keeps the picture's shape as the art's font shows it. A cell is
// ArtCellAspect as wide as it is tall, so `columns` cells across cover the picture's width
// and rows = columns × (height / width) × ArtCellAspect, rounded, at least 1. A picture
// whose rows would pass MaxPictureRows is given fewer columns instead.
CellSize cellSizeFor(QSize picture, int columns);

// The choices the import dialog made last, kept in the user's settings (the defaults before
// any); "Abrir" converts pictures with them.
PictureChoices lastPictureChoices();
void rememberPictureChoices(const PictureChoices& choices);

// A picture is told by its name (.png, .jpg, .jpeg, .gif, .bmp, .webp in any letter case)
// or by the signature its bytes start with (PNG, JPEG, GIF, WebP). A file named as a
// picture that is none is still taken for one, and fails to read as one.
bool isPictureName(const QString& path);
inline constexpr char PngSignature[] = "\x89PNG\r\n\x1a\n";
bool hasPictureSignature(QByteArrayView start);
bool isPictureFile(const QString& path);

// The file dialogs' entry for pictures.
QString pictureFilter();

} // namespace torvo
