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

// Replaces the whole content of the document by the art.
void loadDocument(QTextDocument& document, const RichText& text, const QTextCharFormat& base);

// The character a document holds for `ch`: the object placeholder U+FFFC and Qt's frame
// markers, which a document would take for structure, lone halves of a surrogate pair and
// values beyond Unicode are U+FFFD there.
char32_t documentCharacter(char32_t ch);
// The art with its characters as a document holds them.
RichText documentCharacters(RichText art);

} // namespace torvo
