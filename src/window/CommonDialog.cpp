#include "window/CommonDialog.h"

#include <QFileDialog>
#include <QWidget>

namespace torvo {

CommonDialog::CommonDialog(QWidget* owner) : QObject(owner), owner_(owner) {
    chooser_ = [this](Mode mode, const QString& filter, const QString& last) {
        if (mode == Mode::Open) return QFileDialog::getOpenFileName(owner_, QString(), last, filter);
        // The dialog asks before it replaces an existing file.
        return QFileDialog::getSaveFileName(owner_, QString(), last, filter);
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

QString CommonDialog::ShowOpen(const QString& Filter) {
    return show(Mode::Open, Filter);
}
QString CommonDialog::ShowSave(const QString& Filter) {
    return show(Mode::Save, Filter);
}

QString CommonDialog::show(Mode mode, const QString& Filter) {
    const QString chosen = chooser_(mode, qtFilter(Filter), fileName_);
    if (!chosen.isEmpty()) fileName_ = chosen;
    return chosen;
}

} // namespace torvo
