#include "window/CommonDialog.h"

#include <QFileDialog>
#include <QWidget>

namespace torvo {

CommonDialog::CommonDialog(QWidget* owner) : QObject(owner), owner_(owner) {
    chooser_ = [this](Mode mode, const QString& filter, const QString& last) {
        const QStringList entries = filter.split(QStringLiteral(";;"));
        QString selected = entries.value(filterIndex_ - 1);
        // The dialog asks before it replaces an existing file.
        const QString path = mode == Mode::Open
                                 ? QFileDialog::getOpenFileName(owner_, QString(), last, filter, &selected)
                                 : QFileDialog::getSaveFileName(owner_, QString(), last, filter, &selected);
        filterIndex_ = int(entries.indexOf(selected)) + 1;
        return path;
    };
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

QString CommonDialog::show(Mode mode, const QString& Filter, int FilterIndex) {
    filterIndex_ = FilterIndex;
    const QString chosen = chooser_(mode, qtFilter(Filter), fileName_);
    if (!chosen.isEmpty()) fileName_ = chosen;
    return chosen;
}

} // namespace torvo
