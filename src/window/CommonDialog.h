#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace torvo {

// The one file dialog shared by every file command. It keeps the path chosen last, and
// each dialog opens with it. Cancel gives an empty path: the command then ends with
// nothing written and nothing changed.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    enum class Mode { Open, Save };
    // What shows the dialog; tests replace it. Gets the mode, the Qt filter list and the
    // path chosen last; returns the chosen path or an empty string for Cancel.
    using Chooser = std::function<QString(Mode, const QString& filter, const QString& last)>;

    explicit CommonDialog(QWidget* owner);

    // Filter as pairs of description and pattern separated by "|"; FilterIndex (from 1)
    // is the entry shown first.
    QString ShowOpen(const QString& Filter, int FilterIndex = 1);
    QString ShowSave(const QString& Filter, int FilterIndex = 1);

    // The path chosen last, where the next dialog opens.
    QString lastPath() const { return fileName_; }
    void setLastPath(const QString& path) { fileName_ = path; }
    // The entry the user chose, from 1. A chooser that picks one says so here.
    int FilterIndex() const { return filterIndex_; }
    void setFilterIndex(int index) { filterIndex_ = index; }
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }

    // "Texto (*.txt)|*.txt|Todo (*.*)|*.*" as a Qt filter list.
    static QString qtFilter(const QString& Filter);

private:
    QString show(Mode mode, const QString& Filter, int FilterIndex);

    QWidget* owner_;
    QString fileName_;
    int filterIndex_ = 1;
    Chooser chooser_;
};

} // namespace torvo
