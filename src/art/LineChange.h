#pragma once

#include "art/RichText.h"

#include <vector>

namespace torvo {

// Lines of an art replaced by others: from line `first` on, the whole lines of `before`
// gave way to those of `after`. Each line of both ends with its line break, so a change
// never splits a line; the art's last line, empty after its last line break, is never
// part of one. In a list of changes, each `first` counts in the art as the changes before
// it left it.
struct LineChange {
    int first = 0;
    RichText before;
    RichText after;
};

// The lines of a piece of whole lines: its line breaks.
int linesIn(const RichText& lines);

// Lines [first, first + count) of `art`, each with its line break.
RichText linesOf(const RichText& art, int first, int count);

// Whether two lines hold the same characters in the same colours (a line break's colour is
// derived, and no difference).
bool sameLines(const RichText& a, const RichText& b);

// The changes that turn `before` into `after`, two arts whose lines all end with a line
// break. With as many lines on both sides each run of differing lines is a change of its
// own, so a few edited lines of a long art cost only those lines; otherwise one change runs
// from the first differing line to the last.
std::vector<LineChange> diffLines(const RichText& before, const RichText& after);

// Makes the changes in `art`, or takes them back (the last first, `after` giving way to
// `before`).
void applyLineChanges(RichText& art, const std::vector<LineChange>& changes, bool undo);

// The changes that take `changes` back, in the order they are to be made.
std::vector<LineChange> inverted(const std::vector<LineChange>& changes);

} // namespace torvo
