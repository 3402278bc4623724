#pragma once

#include "art/RichText.h"

#include <QTextCharFormat>

class QTextBlock;
class QTextCursor;
class QTextDocument;

namespace torvo {

// Reads a rich-text document into the art model: its characters and text colours only.
// A character without a colour of its own takes `typing`. Images and other objects are
// dropped. With terminateLastLine, a last line that has characters gets a line break.
// Appends the characters of one block; true when it had any.
bool appendBlock(RichText& text, const QTextBlock& block, Colour typing);

RichText snapshotDocument(const QTextDocument& document, Colour typing, bool terminateLastLine);

// Inserts the art at the cursor in the format `base` (its font), each run in its colour.
// The object placeholder U+FFFC and Qt's frame markers U+FDD0-U+FDEF, which a document
// would take for structure, are inserted as U+FFFD.
void insertRichText(QTextCursor& cursor, const RichText& text, const QTextCharFormat& base);

// Makes the edit being made in `block` reach the next block, by touching the line break
// after it (its format merged with nothing, which leaves it as it was); call it inside the
// edit block. The plain-text layout lays a block changed within itself out at once, shown
// or not, but only forgets the layout of a change that reaches the next block until its
// lines are shown.
void reachNextBlock(QTextCursor& cursor, const QTextBlock& block);

// Replaces the whole content of the document by the art.
void loadDocument(QTextDocument& document, const RichText& text, const QTextCharFormat& base);

// Whether a character other than CR or LF goes into a document and comes back as itself: not
// a Unicode separator (a line break there), an object or frame character, a lone surrogate
// half or beyond Unicode.
bool keptAsItself(char32_t ch);

// Whether a character needs the font's shaping to show as it should: a combining mark, a
// joiner or other format character, a flag or skin-tone half, or a script whose letters
// join or reorder. Latin, Greek, Cyrillic, CJK and the common symbols of character art
// show as they are without it, and a line of many colour runs lays out faster so.
bool needsShaping(char32_t ch);
bool needsShaping(const RichText& text);

// What snapshotDocument(document, typing, true) reads from a document that loadDocument
// has just filled with the art, worked out without the document.
RichText loadedArt(const RichText& art, Colour typing);

} // namespace torvo
