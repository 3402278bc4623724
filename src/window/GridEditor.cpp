#include "window/GridEditor.h"

#include "convert/TextGrid.h"
#include "history/GridStep.h"
#include "window/Grid1Model.h"
#include "window/GridView.h"

namespace torvo {

GridEditor::GridEditor(GridView& view, Grid1Model& model, History& history, QObject* parent)
    : QObject(parent), view_(view), model_(model), history_(history) {}

const CharGrid& GridEditor::grid() const {
    return model_.grid();
}

bool GridEditor::build(const RichText& art, quint64 revision, const std::function<bool()>& cancelled) {
    std::optional<CharGrid> fresh = RestaurarGrid(art, cancelled);
    if (!fresh) return false;
    const int row = std::max(view_.Row(), 0);
    const int col = std::max(view_.Col(), 0);
    model_.setGrid(std::move(*fresh));
    const CharGrid& g = model_.grid();
    if (g.rows() > 0 && g.cols() > 0)
        view_.setCurrentCell(std::min(row, g.rows() - 1), std::min(col, g.cols() - 1));
    built_ = revision;
    editedRows_.clear();
    return true;
}

std::optional<std::vector<LineChange>> GridEditor::writeBack(const RichText& art, quint64 revision,
                                                             Colour typing,
                                                             const std::function<bool()>& cancelled) const {
    const CharGrid& g = grid();
    // Row r shows line r of the art, unless edited; the whole grid writes every row with a
    // line break, which an art that ends with one already has.
    if (revision == built_ && !art.isEmpty() && art.endsWithLineBreak() && art.lineCount() == g.rows() + 1 &&
        int(editedRows_.size()) * 2 <= g.rows()) {
        std::vector<LineChange> rows;
        for (const int r : editedRows_) {
            RichText row(typing);
            appendGridRow(row, g, r);
            rows.push_back({r, linesOf(art, r, 1), std::move(row)});
        }
        return rows;
    }
    const std::optional<RichText> text = RestaurarMensaje(g, typing, cancelled);
    if (!text) return std::nullopt;
    return diffLines(art, *text);
}

void GridEditor::type(char32_t ch) {
    const int r = view_.Row(), c = view_.Col();
    if (!grid().contains(r, c)) return;
    Cell cell = grid().at(r, c);
    cell.ch = ch;
    cell.hasChar = true;
    setCell(r, c, cell);
}

void GridEditor::empty() {
    const int r = view_.Row(), c = view_.Col();
    if (!grid().contains(r, c)) return;
    Cell cell = grid().at(r, c);
    cell.ch = 0;
    cell.hasChar = false;
    setCell(r, c, cell);
}

void GridEditor::paint(int r, int c, Colour colour) {
    const quint64 key = quint64(quint32(r)) << 32 | quint32(c);
    painting_.try_emplace(key, grid().at(r, c));
    model_.editGrid().setColour(r, c, colour);
    editedRows_.insert(r);
    model_.changedCell(r, c);
}

void GridEditor::finishPaint() {
    if (painting_.empty()) return;
    std::vector<CellChange> cells;
    const CharGrid& g = grid();
    for (const auto& [key, before] : painting_) {
        const int r = int(key >> 32), c = int(key & 0xFFFFFFFFu);
        if (g.contains(r, c) && !(g.at(r, c) == before)) cells.push_back({r, c, before, g.at(r, c)});
    }
    painting_.clear();
    if (cells.empty()) return;
    history_.record(std::make_shared<GridStep>(std::move(cells)));
    emit edited();
}

void GridEditor::use(Tool tool, Colour colour, const QString& character) {
    CharGrid after = grid();
    useTool(after, tool, view_.Col(), view_.Row(), view_.ColSel(), view_.RowSel(), colour, character);
    editCells(diffGrids(grid(), after));
}

void GridEditor::undo(const History::Step& step, bool undone) {
    const auto& cells = static_cast<const GridStep&>(step);
    cells.applyTo(model_.editGrid(), undone);
    for (const int r : rowsOf(cells.cells()))
        editedRows_.insert(r);
    model_.changed();
    emit edited();
}

void GridEditor::editCells(const std::vector<CellChange>& cells) {
    finishPaint();
    if (cells.empty()) return;
    CharGrid& g = model_.editGrid();
    for (const CellChange& change : cells) {
        g.at(change.row, change.col) = change.after;
        editedRows_.insert(change.row);
    }
    if (cells.size() == 1)
        model_.changedCell(cells.front().row, cells.front().col);
    else
        model_.changed();
    history_.record(std::make_shared<GridStep>(cells));
    emit edited();
}

void GridEditor::setCell(int r, int c, const Cell& after) {
    if (!grid().contains(r, c) || grid().at(r, c) == after) return;
    editCells({{r, c, grid().at(r, c), after}});
}

} // namespace torvo
