#pragma once

#include "items/Units.h"

#include <QString>

#include <utility>
#include <vector>

class TLayoutDocument;

// Where the additional lines of a label or card (書式 → 付加情報) print: in
// the room the layout leaves, clear of every item the piece prints (2 mm
// clear of the customer barcode's bars) and 1 mm inside the piece's edges,
// at the size their size step gives them and never below a readable size:
// 6 points (2.1 mm) of character height, the smallest print in which kanji
// and digits stay legible, or the step's own size where a small paper makes
// that smaller (1.6 mm on the 44-sheet labels, whose names print at 3.4 mm).
// Each line has a box of its own, one row (horizontal writing) or column
// (vertical writing) thick. On a label written across the lines read last,
// after the name, as a person and a PDF reader read the label: at the far
// end of the name's frame, on its foot row side by side, or one under
// another from there down (up the frame where the label has no room below
// it), the name's frame giving up the length they take. Elsewhere, and
// where the name's frame cannot give that much up, where the free room
// cannot hold a line at the readable size, a text frame of the layout gives
// up the far end of its length (the name's unless another gives the line a
// size a tenth larger), keeping at least half of it, or a third where half
// does not do, and the line takes that place.

// What a line shows: a field of the record (its id in the additional
// information dialog) or, with Id 0, its own text; the length it is given
// room for follows from it.
struct TAdditionLine {
    int Id = 0;
    QString Text;
};

struct TAdditionPlan {
    // One box per line asked for, in the order asked.
    std::vector<TPageRect> Lines;
    // Frames of the layout shortened to make room: item index, new box.
    std::vector<std::pair<int, TPageRect>> Shortened;
};

// Plans the boxes of Lines on Document's piece. The items listed in Leave
// (the lines to be placed, and lines about to be hidden) are not in the way.
[[nodiscard]] TAdditionPlan PlanAdditionLines(const TLayoutDocument &Document, const std::vector<TAdditionLine> &Lines,
                                              const std::vector<int> &Leave);

// Places every shown additional line of Document anew (after its frames
// changed: another frame set or paper), shortening frames as planned.
void ReplaceAdditionLines(TLayoutDocument &Document);

// The character height (page pixels) the additional lines of Document
// print at when their box allows: their size step on this paper.
[[nodiscard]] double AdditionLineHeight(const TLayoutDocument &Document);
// The least character height (page pixels) a line is placed for.
[[nodiscard]] double ReadableAdditionHeight(const TLayoutDocument &Document);
