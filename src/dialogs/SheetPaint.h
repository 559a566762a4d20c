#pragma once

#include "dialogs/PaperFmt.h"

class QPainter;

// Draws the cells of a sheet onto a painter whose unit is 0.1 mm with the
// origin at the upright sheet's top-left corner: the one drawing used for a
// sheet's test print and alignment check, on screen, printer or PDF alike.
// A format without a grid is one piece at the origin.
void PaintSheetCells(QPainter &painter, const TLayoutFormat &format, const TLabelGrid &grid);
