#pragma once

#include "art/ArtChange.h"
#include "art/RichText.h"

#include <QObject>

namespace torvo {

// The art and its one owner. Every change, whoever makes it, goes through apply(), and the
// model tells everyone what it changed: the text view draws it, the history keeps it, the
// other views know they are behind. Whatever reads the art (the walkers, the exports, the
// sender, the recovery file, saving) reads it here.
//
// The art is held with every line ended by its line break, as the walkers read it. The text
// view holds the same lines, except that the last line of characters has no line break
// there unless the view shows an empty line after it (`trailingLine`).
class ArtModel : public QObject {
    Q_OBJECT
public:
    explicit ArtModel(QObject* parent = nullptr) : QObject(parent) {}

    const RichText& art() const { return art_; }
    Colour typingColour() const { return art_.typingColour(); }
    bool trailingLine() const { return trailing_; }
    // The art as the text view holds it, its last line as it is there.
    RichText viewArt() const;
    // The lines the text view holds.
    int viewLines() const;
    // Counts the changes made: whatever was built from the art knows whether it still shows it.
    quint64 revision() const { return revision_; }

    // Makes the change. Line breaks take the colour of what comes before them (the typing
    // colour when nothing does), and an empty line after the last line of characters is kept
    // only where that line has characters.
    void apply(ArtChange change);

signals:
    // After every change, with the trailing line as it now is.
    void changed(const torvo::ArtChange& change);

private:
    // Whether the last line of characters has no line break in the view.
    bool endsOpen() const;
    // Line breaks in [from, to), and those of empty lines just after, take their colour again.
    void deriveBreaks(int from, int to);

    RichText art_;
    bool trailing_ = false;
    quint64 revision_ = 0;
};

} // namespace torvo
