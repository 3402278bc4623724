#include "window/PictureDialog.h"

#include "art/DocumentBridge.h"
#include "image/PictureImport.h"
#include "window/MensajeEdit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace torvo {

PictureDialog::PictureDialog(const QImage& picture, const Palette& palette, const PictureChoices& choices,
                             QWidget* parent)
    : QDialog(parent), working_(picture), palette_(palette) {
    setObjectName(QStringLiteral("PictureDialog"));
    setWindowTitle(QStringLiteral("Importar imagen"));

    columns_ = new QSpinBox(this);
    columns_->setObjectName(QStringLiteral("spnColumns"));
    columns_->setRange(MinColumns, MaxColumns);
    columns_->setValue(choices.columns);
    size_ = new QLabel(this);
    size_->setObjectName(QStringLiteral("lblSize"));
    symbols_ = new QComboBox(this);
    symbols_->setObjectName(QStringLiteral("cboSymbols"));
    for (const SymbolSetName& s : symbolSets()) {
        symbols_->addItem(QString::fromUtf16(s.label), int(s.set));
        if (s.set == choices.symbols) symbols_->setCurrentIndex(symbols_->count() - 1);
    }
    dithering_ = new QComboBox(this);
    dithering_->setObjectName(QStringLiteral("cboDithering"));
    for (const DitheringName& d : ditherings()) {
        dithering_->addItem(QString::fromUtf16(d.label), int(d.dithering));
        if (d.dithering == choices.dithering) dithering_->setCurrentIndex(dithering_->count() - 1);
    }

    preview_ = new QPlainTextEdit(this);
    preview_->setObjectName(QStringLiteral("Preview"));
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    preview_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: black; }"));
    preview_->setFont(MensajeEdit::artFont());
    // 80 columns of a 4:3 picture (31 rows) without scrolling.
    preview_->setMinimumSize(660, 440);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("buttons"));
    QPushButton* accept = buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    accept->setObjectName(QStringLiteral("Aceptar"));
    accept->setDefault(true);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Ancho en columnas:"), columns_);
    form->addRow(QStringLiteral("Tamaño:"), size_);
    form->addRow(QStringLiteral("Símbolos:"), symbols_);
    form->addRow(QStringLiteral("Tramado:"), dithering_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(preview_, 1);
    layout->addWidget(buttons);

    convert();
    connect(columns_, &QSpinBox::valueChanged, this, &PictureDialog::convert);
    connect(symbols_, &QComboBox::currentIndexChanged, this, &PictureDialog::convert);
    connect(dithering_, &QComboBox::currentIndexChanged, this, &PictureDialog::convert);
}

PictureChoices PictureDialog::choices() const {
    return {columns_->value(), SymbolSet(symbols_->currentData().toInt()),
            Dithering(dithering_->currentData().toInt())};
}

void PictureDialog::convert() {
    art_ = convertPicture(working_, choices(), palette_);
    const CellSize size = cellSize();
    size_->setText(QStringLiteral("%1 × %2 caracteres").arg(size.columns).arg(size.rows));
    QTextCharFormat format;
    format.setFont(MensajeEdit::artFont());
    loadDocument(*preview_->document(), art_, format);
}

std::optional<Result<OpenedArt>> PictureDialog::ask(QWidget* parent, const QString& path,
                                                    const Palette& palette) {
    const Result<QImage> picture = readPictureFile(path);
    if (!picture) return picture.failure();
    PictureDialog dialog(*picture, palette, lastPictureChoices(), parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    rememberPictureChoices(dialog.choices());
    return OpenedArt{dialog.art(), pictureStatus(dialog.cellSize()), QString()};
}

} // namespace torvo
