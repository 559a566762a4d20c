#pragma once

#include "items/Units.h"

#include <QString>

#include <utility>
#include <vector>

class TAdditionRect;
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
// The lines read in the order set: where their best places read otherwise,
// they are placed in that order in the same room, smaller where they must
// but never below the readable size; only where the room has no such
// places do they stand out of order.
// The frames keep their size: the addressee prints as it would without the
// lines, and a line whose box the record's own text reaches takes, for
// that piece, the room the record leaves, or is left out of it
// (TRecordAdditionLines).

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
// changed: another frame set or paper), each line, shown or hidden, written
// the way the paper is.
void ReplaceAdditionLines(TLayoutDocument &Document);

// The character height (page pixels) the additional lines of Document
// print at when their box allows: their size step on this paper.
[[nodiscard]] double AdditionLineHeight(const TLayoutDocument &Document);
// The least character height (page pixels) a line is placed for.
[[nodiscard]] double ReadableAdditionHeight(const TLayoutDocument &Document);

// The additional lines as the record merged into Document prints them (its
// text items laid out for it first), placed in the order asked, the first
// first: where the piece cannot hold them all, the last are left out. A
// line keeps its box where its text prints there at the least height
// (LeastTextMm) or larger, clear of the text the other items print for the
// record, of every other item (the bars with their blank) and of the lines
// placed before it. Else, for this record only, it stands in the free room
// the record leaves: clear of what the addressee's frames print (not of the
// frames' blank parts: a private person's company frames are free room) and
// of the rest of the piece's items whole, 3 mm along its line from any text,
// at its size step where the room allows and never below the least height;
// it keeps off the own boxes of the lines after it where it has other room.
// On a label written across and read as an address, a moved line looks
// first below the addressee, after the lines before it, then anywhere else
// (beside the postcode or a short address line, above the name). A line
// with no such room is left out of the piece. A line moves into room read
// after the line placed before it, and a line read before it where it
// stands moves too, where the piece has that room clear of the lines'
// whole boxes; where keeping the order would leave more lines out, or print
// more out of order, than placing each where it has room, they are placed
// so. The lines moved go back to
// their own boxes when this ends: the layout keeps them where the user has
// them.
class TRecordAdditionLines
{
public:
    explicit TRecordAdditionLines(TLayoutDocument &Document);
    ~TRecordAdditionLines();
    TRecordAdditionLines(const TRecordAdditionLines &) = delete;
    TRecordAdditionLines &operator=(const TRecordAdditionLines &) = delete;

    // The shown lines (item indexes) the piece prints without.
    [[nodiscard]] const std::vector<int> &LeftOut() const { return m_leftOut; }
    // The lines standing elsewhere for the record (item indexes).
    [[nodiscard]] std::vector<int> Moved() const;

private:
    TLayoutDocument &m_document;
    std::vector<std::pair<int, TPageRect>> m_moved; // a line and its own box
    std::vector<int> m_leftOut;
};

// The shown additional lines (item indexes) the merged record leaves no room
// for on its piece (TRecordAdditionLines), the lines left where they stand.
[[nodiscard]] std::vector<int> LeftOutAdditionLines(TLayoutDocument &Document);

// The name a user knows an additional line by: its field's name as the
// additional information dialog lists it, or its own text in 「」.
[[nodiscard]] QString AdditionLineName(const TAdditionRect &Line);
