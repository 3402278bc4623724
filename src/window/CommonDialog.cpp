#include "window/CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

namespace torvo {

CommonDialog::CommonDialog(QWidget* owner) : QObject(owner), owner_(owner) {
    chooser_ = [this](Mode mode, const QString& filter, const QString& last) {
        const QStringList entries = filter.split(QStringLiteral(";;"));
        QString selected = entries.value(filterIndex_ - 1);
        QString path;
        if (mode == Mode::SaveTyped) {
            // The extension is the dialog's own, so that it asks before it replaces the
            // file of the whole name.
            QFileDialog dialog(owner_, QString(), last, filter);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.selectNameFilter(selected);
            const auto follow = [&dialog](const QString& entry) {
                dialog.setDefaultSuffix(extensionOf(entry));
            };
            follow(selected);
            connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
            if (dialog.exec() == QDialog::Accepted) {
                path = dialog.selectedFiles().value(0);
                selected = dialog.selectedNameFilter();
            }
        } else {
            // The dialog asks before it replaces an existing file.
            path = mode == Mode::Open
                       ? QFileDialog::getOpenFileName(owner_, QString(), last, filter, &selected)
                       : QFileDialog::getSaveFileName(owner_, QString(), last, filter, &selected);
        }
        filterIndex_ = int(entries.indexOf(selected)) + 1;
        return path;
    };
}

QString CommonDialog::extensionOf(const QString& entry) {
    const qsizetype star = entry.lastIndexOf(QLatin1String("*."));
    if (star < 0) return {};
    QString extension;
    for (qsizetype i = star + 2; i < entry.size() && entry[i].isLetterOrNumber(); ++i)
        extension += entry[i];
    return extension;
}

QString CommonDialog::qtFilter(const QString& Filter) {
    const QStringList parts = Filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString pattern = parts[i + 1];
        // Qt reads the patterns from the last parentheses of each entry.
        entries << (description.endsWith(u')') ? description : description + " (" + pattern + ")");
    }
    return entries.join(QStringLiteral(";;"));
}

QString CommonDialog::ShowOpen(const QString& Filter, int FilterIndex) {
    return show(Mode::Open, Filter, FilterIndex);
}
QString CommonDialog::ShowSave(const QString& Filter, int FilterIndex) {
    return show(Mode::Save, Filter, FilterIndex);
}

QString CommonDialog::ShowSaveTyped(const QString& Filter, int FilterIndex) {
    return show(Mode::SaveTyped, Filter, FilterIndex);
}

QString CommonDialog::show(Mode mode, const QString& Filter, int FilterIndex) {
    filterIndex_ = FilterIndex;
    QString chosen = chooser_(mode, qtFilter(Filter), fileName_);
    // A dialog that does not add it itself (another desktop's) leaves the name as typed.
    if (mode == Mode::SaveTyped && !chosen.isEmpty() && !QFileInfo(chosen).fileName().contains(u'.')) {
        const QString extension = extensionOf(Filter.split(u'|').value(2 * (filterIndex_ - 1) + 1));
        if (!extension.isEmpty()) chosen += u'.' + extension;
    }
    if (!chosen.isEmpty()) fileName_ = chosen;
    return chosen;
}

} // namespace torvo
