#pragma once

#include "art/CharGrid.h"
#include "art/LineChange.h"
#include "history/History.h"
#include "paint/Tools.h"

#include <QObject>
#include <functional>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

namespace torvo {

class GridView;
class Grid1Model;
struct CellChange;

// The grid's editing, for one visit of "Grid": the grid built from the art when shown,
// typing, painting and the tools as steps of the grid's own history, and the edited rows
// written back into the art when the visit ends.
class GridEditor : public QObject {
    Q_OBJECT
public:
    GridEditor(GridView& view, Grid1Model& model, History& history, QObject* parent = nullptr);

    const CharGrid& grid() const;
    // Builds the grid of the art again (RestaurarGrid), keeping the current cell where it can.
    // False when called off.
    bool build(const RichText& art, quint64 revision, const std::function<bool()>& cancelled);
    // What leaving the grid writes into the art: the rows edited since it was built, or the
    // whole grid (RestaurarMensaje) when the art changed meanwhile or most rows were edited.
    // Nullopt when called off.
    std::optional<std::vector<LineChange>> writeBack(const RichText& art, quint64 revision, Colour typing,
                                                     const std::function<bool()>& cancelled) const;

    // The current cell takes the character, or loses it (its colour stays).
    void type(char32_t ch);
    void empty();
    // A right-button gesture paints cell after cell; it is one step once finished.
    void paint(int r, int c, Colour colour);
    void finishPaint();
    // A left click with the tool, as one step.
    void use(Tool tool, Colour colour, const QString& character);
    // Any other edit of the grid as one step: the grid as the edit leaves it, perhaps grown.
    void change(CharGrid after);
    // The grid history's steps done again or taken back.
    void undo(const History::Step& step, bool undone);

signals:
    // The grid changed: the work to keep has.
    void edited();

private:
    void editCells(const std::vector<CellChange>& cells);
    void setCell(int r, int c, const Cell& after);

    GridView& view_;
    Grid1Model& model_;
    History& history_;
    quint64 built_ = 0; // the art's revision the grid was built from
    std::set<int> editedRows_;
    // The cells a paint gesture has changed so far, with what they held.
    std::unordered_map<quint64, Cell> painting_;
};

} // namespace torvo
