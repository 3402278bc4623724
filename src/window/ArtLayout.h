#pragma once

#include <QPlainTextDocumentLayout>

namespace torvo {

// The text view's plain-text layout, which keeps the shaped glyphs of the line last
// edited: Qt shapes a line to lay it out and again to place the caret in it, and each
// typed key does both. Only that line keeps them, so the memory stays one line's.
class ArtLayout : public QPlainTextDocumentLayout {
public:
    explicit ArtLayout(QTextDocument* document) : QPlainTextDocumentLayout(document) {}

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    int cachedBlock_ = -1; // by number: a block object outlives its block
};

} // namespace torvo
