#pragma once

#include <QObject>

class QMainWindow;

namespace torvo {

class Grid1Model;
class GridView;
class MensajeEdit;

// The zoom of the text view and the grid together: the art's font from 6 to 48 points,
// the grid's cells following the font (at 8 points, 100 %, its columns are 200 twips wide
// and its rows 215 high). Ctrl+wheel, Ctrl++, Ctrl+- and Ctrl+0; kept in the settings.
class ArtZoom : public QObject {
    Q_OBJECT
public:
    static constexpr int Normal = 8, Smallest = 6, Largest = 48;

    ArtZoom(QMainWindow* form, MensajeEdit* text, GridView* grid, Grid1Model* cells);

    int points() const { return points_; }
    void setPoints(int points);
    // One step larger (1) or smaller (-1).
    void step(int direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MensajeEdit* text_;
    GridView* grid_;
    Grid1Model* cells_;
    int points_ = Normal;
};

} // namespace torvo
