#include "window/ArtLayout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace torvo {

void ArtLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    const QTextBlock block = document()->findBlock(from);
    if (block.isValid() && block.blockNumber() != cachedBlock_) {
        const QTextBlock previous = document()->findBlockByNumber(cachedBlock_);
        if (previous.isValid()) previous.layout()->setCacheEnabled(false);
        block.layout()->setCacheEnabled(true);
        cachedBlock_ = block.blockNumber();
    }
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
}

} // namespace torvo
