#include "image/PictureChoices.h"

#include <QFile>
#include <QSettings>
#include <algorithm>
#include <array>
#include <cmath>

namespace torvo {
namespace {

// Wide characters are left out of every set: the art gives each character one cell. A
// cell of one colour is filled with the full block, or with letters in ASCII.
constexpr std::array<SymbolSetName, 4> SymbolSets{{
    {SymbolSet::Blocks, u"Bloques", "bloques", "block+space-wide", "solid"},
    {SymbolSet::Ascii, u"ASCII", "ascii", "ascii+space-wide", "ascii-space"},
    {SymbolSet::BlocksAndBorders, u"Bloques y bordes", "bloques+bordes", "block+border+space-wide", "solid"},
    {SymbolSet::All, u"Todos", "todos", "all-wide", "solid"},
}};

constexpr std::array<DitheringName, 3> Ditherings{{
    {Dithering::None, u"Ninguno", "ninguno"},
    {Dithering::Ordered, u"Ordenado", "ordenado"},
    {Dithering::Diffusion, u"Difusión", "difusion"},
}};

const QString ColumnsKey = QStringLiteral("imagen/columnas");
const QString SymbolsKey = QStringLiteral("imagen/simbolos");
const QString DitheringKey = QStringLiteral("imagen/tramado");

constexpr const char* PictureSuffixes[] = {".png", ".jpg", ".jpeg", ".gif", ".bmp", ".webp"};

} // namespace

std::span<const SymbolSetName> symbolSets() {
    return SymbolSets;
}

const SymbolSetName& symbolSetName(SymbolSet set) {
    return *std::find_if(SymbolSets.begin(), SymbolSets.end(), [set](const auto& s) { return s.set == set; });
}

std::optional<SymbolSet> symbolSetNamed(const QString& name) {
    for (const SymbolSetName& s : SymbolSets)
        if (name == QLatin1String(s.name)) return s.set;
    return std::nullopt;
}

QString symbolSetNames() {
    QStringList names;
    for (const SymbolSetName& s : SymbolSets)
        names << QLatin1String(s.name);
    return names.join(QStringLiteral(", "));
}

std::span<const DitheringName> ditherings() {
    return Ditherings;
}

CellSize cellSizeFor(QSize picture, int columns) {
    columns = std::clamp(columns, 1, MaxColumns);
    if (picture.width() <= 0 || picture.height() <= 0) return {columns, 1};
    const double shape = double(picture.height()) / picture.width() * ArtCellAspect;
    auto rowsFor = [shape](int cols) { return std::max(1.0, std::round(cols * shape)); };
    if (rowsFor(columns) > MaxPictureRows) columns = std::max(1, int(std::floor(MaxPictureRows / shape)));
    return {columns, int(std::min<double>(rowsFor(columns), MaxPictureRows))};
}

PictureChoices lastPictureChoices() {
    const QSettings settings;
    PictureChoices choices;
    bool number = false;
    const int columns = settings.value(ColumnsKey).toInt(&number);
    if (number) choices.columns = std::clamp(columns, MinColumns, MaxColumns);
    if (const auto set = symbolSetNamed(settings.value(SymbolsKey).toString())) choices.symbols = *set;
    const QString dithering = settings.value(DitheringKey).toString();
    for (const DitheringName& d : Ditherings)
        if (dithering == QLatin1String(d.key)) choices.dithering = d.dithering;
    return choices;
}

void rememberPictureChoices(const PictureChoices& choices) {
    QSettings settings;
    settings.setValue(ColumnsKey, choices.columns);
    settings.setValue(SymbolsKey, QLatin1String(symbolSetName(choices.symbols).name));
    for (const DitheringName& d : Ditherings)
        if (d.dithering == choices.dithering) settings.setValue(DitheringKey, QLatin1String(d.key));
}

bool isPictureName(const QString& path) {
    return std::any_of(std::begin(PictureSuffixes), std::end(PictureSuffixes),
                       [&](const char* s) { return path.endsWith(QLatin1String(s), Qt::CaseInsensitive); });
}

bool hasPictureSignature(QByteArrayView start) {
    return start.startsWith(PngSignature) || start.startsWith("\xFF\xD8\xFF") || start.startsWith("GIF87a") ||
           start.startsWith("GIF89a") ||
           (start.startsWith("RIFF") && start.size() >= 12 && start.sliced(8, 4) == "WEBP");
}

bool isPictureFile(const QString& path) {
    if (isPictureName(path)) return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && hasPictureSignature(file.read(12));
}

QString pictureFilter() {
    return QStringLiteral(
        "Imágenes (*.png *.jpg *.jpeg *.gif *.bmp *.webp)|*.png;*.jpg;*.jpeg;*.gif;*.bmp;*.webp");
}

} // namespace torvo
