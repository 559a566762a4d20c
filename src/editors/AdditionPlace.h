#pragma once

#include "items/Units.h"

#include <QString>

#include <vector>

class TLayoutDocument;

// Where the additional lines of a label or card (書式 → 付加情報) print: in
// the room the layout leaves, clear of every item the piece prints (2 mm
// clear of the customer barcode's bars) and 1 mm inside the piece's edges,
// at the size their size step gives them and never below a readable size:
// 6 points (2.1 mm) of character height, the smallest print in which kanji
// and digits stay legible, or the step's own size where a small paper makes
// that smaller, though never below the least height of every text (1.8 mm).
// Each line has a box of its own, one row (horizontal writing) or column
// (vertical writing) thick. On a label written across the lines read last,
// after the name, as a person and a PDF reader read the label: at the far
// end of the name's frame, on its foot row side by side, or one under
// another from there down (up the frame where the label has no room below
// it), in the room a name of four characters leaves there. Elsewhere, and
// where the name's frame has no such room, where the free room cannot hold
// a line at the readable size, a line takes the far end of a text frame's
// length (the name's unless another gives it a size a tenth larger),
// leaving the frame at least half of it, or a third where half does not do.
// The frames keep their size: the addressee prints as it would without the
// lines, and a line whose box the record's own text reaches is left out of
// that piece (LeftOutAdditionLines).

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
};

// Plans the boxes of Lines on Document's piece. The items listed in Leave
// (the lines to be placed, and lines about to be hidden) are not in the way.
[[nodiscard]] TAdditionPlan PlanAdditionLines(const TLayoutDocument &Document, const std::vector<TAdditionLine> &Lines,
                                              const std::vector<int> &Leave);

// Places every shown additional line of Document anew (after its frames
// changed: another frame set or paper).
void ReplaceAdditionLines(TLayoutDocument &Document);

// The character height (page pixels) the additional lines of Document
// print at when their box allows: their size step on this paper.
[[nodiscard]] double AdditionLineHeight(const TLayoutDocument &Document);
// The least character height (page pixels) a line is placed for.
[[nodiscard]] double ReadableAdditionHeight(const TLayoutDocument &Document);

// The shown additional lines (item indexes) that the merged record leaves no
// room for on its piece: a line whose box meets the text another item
// prints for the record (or another item, or the bars' blank), or whose
// text would print below the least height (LeastTextMm). The piece prints
// without them. Lays the text items out for the record first.
[[nodiscard]] std::vector<int> LeftOutAdditionLines(TLayoutDocument &Document);
