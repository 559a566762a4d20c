#include "dialogs/SheetPaint.h"

#include <QPainter>

void PaintSheetCells(QPainter &painter, const TLayoutFormat &format, const TLabelGrid &grid)
{
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(1.0); // 0.1 mm: thin enough to show where a cut lies
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (grid.Columns < 1 || grid.Rows < 1) {
        painter.drawRect(PaperFmt::cellRect(format, {}, 0, 0));
    } else {
        for (int r = 0; r < grid.Rows; ++r)
            for (int c = 0; c < grid.Columns; ++c) {
                const QRect cell = PaperFmt::cellRect(format, grid, c, r);
                painter.drawRect(QRectF(cell));
            }
    }
    painter.restore();
}
