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
    // SaveTyped: a name typed without an extension gets the chosen entry's, as the file's
    // type follows its name.
    enum class Mode { Open, Save, SaveTyped };
    // What shows the dialog; tests replace it. Gets the mode, the Qt filter list and the
    // path chosen last; returns the chosen path or an empty string for Cancel.
    using Chooser = std::function<QString(Mode, const QString& filter, const QString& last)>;

    explicit CommonDialog(QWidget* owner);

    // Filter as pairs of description and pattern separated by "|"; FilterIndex (from 1)
    // is the entry shown first.
    QString ShowOpen(const QString& Filter, int FilterIndex = 1);
    QString ShowSave(const QString& Filter, int FilterIndex = 1);
    // The same, adding the chosen entry's extension to a name without one ("arte1" with
    // "*.qcg" chosen is "arte1.qcg"; "*.*" adds nothing).
    QString ShowSaveTyped(const QString& Filter, int FilterIndex = 1);

    // The path chosen last, where the next dialog opens.
    QString lastPath() const { return fileName_; }
    void setLastPath(const QString& path) { fileName_ = path; }
    // The entry the user chose, from 1. A chooser that picks one says so here.
    int FilterIndex() const { return filterIndex_; }
    void setFilterIndex(int index) { filterIndex_ = index; }
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }

    // "Texto (*.txt)|*.txt|Todo (*.*)|*.*" as a Qt filter list.
    static QString qtFilter(const QString& Filter);
    // The extension a pattern or a Qt filter entry names: "qcg" for "*.qcg" and for
    // "Archivos Torvo (*.qcg)"; empty for "*.*".
    static QString extensionOf(const QString& entry);

private:
    QString show(Mode mode, const QString& Filter, int FilterIndex);

    QWidget* owner_;
    QString fileName_;
    int filterIndex_ = 1;
    Chooser chooser_;
};

} // namespace torvo
