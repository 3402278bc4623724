#pragma once

#include "art/RichText.h"
#include "base/Result.h"
#include "files/OpenArt.h"
#include "image/PictureChoices.h"
#include "palette/Palette.h"

#include <QDialog>
#include <QImage>
#include <optional>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;

namespace torvo {

// "Importar imagen": the width in columns, the symbols and the dithering for one picture,
// with a preview of the art that follows each change. The picture comes read at its
// working size (readPicture), and each change converts it again.
class PictureDialog : public QDialog {
    Q_OBJECT
public:
    PictureDialog(const QImage& picture, const Palette& palette, const PictureChoices& choices,
                  QWidget* parent = nullptr);

    PictureChoices choices() const;
    // The art the preview shows, and its size in characters.
    const RichText& art() const { return art_; }
    CellSize cellSize() const { return cellSizeFor(working_.size(), choices().columns); }

    // The dialog for the picture in `path`, opened with the choices made last: the art and
    // its status line when accepted (the choices are kept for next time), nullopt when
    // cancelled, or why the picture cannot be read.
    static std::optional<Result<OpenedArt>> ask(QWidget* parent, const QString& path, const Palette& palette);

private:
    // Converts the working picture with the dialog's choices and shows it.
    void convert();

    QImage working_;
    Palette palette_;
    RichText art_;
    QSpinBox* columns_ = nullptr;
    QComboBox* symbols_ = nullptr;
    QComboBox* dithering_ = nullptr;
    QLabel* size_ = nullptr;
    QPlainTextEdit* preview_ = nullptr;
};

} // namespace torvo
