#include "dialogs/PaperPreview.h"

#include "util/SubUnit.h"

#include <QPainter>

#include <algorithm>

namespace {

int rounded(double v) { return static_cast<int>(RoundHalfAway(static_cast<long double>(v))); }

double fitScale(QSize area, QSize sheetPx, double fill)
{
    if (sheetPx.width() <= 0 || sheetPx.height() <= 0)
        return 0;
    const double sy = rounded(fill * area.height()) / static_cast<double>(sheetPx.height());
    const double sx = rounded(fill * area.width()) / static_cast<double>(sheetPx.width());
    return std::min(sx, sy);
}

QList<QRect> scaledFrames(const TLayoutFormat &f, double scale, QPoint offset)
{
    QList<QRect> out;
    for (int i = 0; i < std::clamp(f.Simple.Count, 0, kMaxFrames); ++i) {
        const TFrameRect &r = f.Simple.Rects[static_cast<size_t>(i)];
        const QPoint tl(rounded(r.Left * scale), rounded(r.Top * scale));
        const QPoint br(rounded(r.Right * scale), rounded(r.Bottom * scale));
        out.append(QRect(tl + offset, br + offset - QPoint(1, 1)));
    }
    return out;
}

} // namespace

namespace PaperPreview {

TSheetPreview sheet(const TLayoutFormat &f, const TLabelGrid &g, QSize area, double fill)
{
    TSheetPreview p;
    const bool turned = f.Direction != 0;
    p.HasGrid = f.GridIndex > 0 && g.Columns > 0 && g.Rows > 0;
    QSize sheetPx;
    if (p.HasGrid) {
        sheetPx = QSize(PaperFmt::tenthsToPixels(g.SheetWidth), PaperFmt::tenthsToPixels(g.SheetHeight));
        if (turned)
            sheetPx.transpose();
    } else {
        sheetPx = QSize(PaperFmt::tenthsToPixels(f.Width), PaperFmt::tenthsToPixels(f.Height));
    }
    p.Scale = fitScale(area, sheetPx, fill);
    p.Size = QSize(rounded(sheetPx.width() * p.Scale), rounded(sheetPx.height() * p.Scale));
    QPoint offset;
    if (p.HasGrid) {
        const auto s = [&](double tenths) { return rounded(PaperFmt::tenthsToPixels(tenths) * p.Scale); };
        p.Cell = QSize(rounded(PaperFmt::tenthsToPixels(f.Width) * p.Scale),
                       rounded(PaperFmt::tenthsToPixels(f.Height) * p.Scale));
        if (!turned) {
            offset = QPoint(s(g.LeftMargin), s(g.TopMargin));
            p.Gap = QPoint(s(g.GapX), s(g.GapY));
            p.Columns = g.Columns;
            p.Rows = g.Rows;
        } else {
            // The sheet turned a quarter: its far side margin becomes the top.
            const double top = g.SheetWidth - static_cast<double>(f.Height) * g.Columns -
                               static_cast<double>(g.GapX) * (g.Columns - 1) - g.LeftMargin;
            offset = QPoint(s(g.TopMargin), s(top));
            p.Gap = QPoint(s(g.GapY), s(g.GapX));
            p.Columns = g.Rows;
            p.Rows = g.Columns;
        }
    }
    p.Offset = offset;
    p.Frames = scaledFrames(f, p.Scale, offset);
    return p;
}

TSheetPreview paper(const TLayoutFormat &f, const TLabelGrid &g, QSize area, double fill)
{
    TSheetPreview p;
    p.HasGrid = f.GridIndex > 0 && g.SheetWidth > 0 && g.Columns > 0 && g.Rows > 0;
    const QSize sheetPx = p.HasGrid
                              ? QSize(PaperFmt::tenthsToPixels(g.SheetWidth), PaperFmt::tenthsToPixels(g.SheetHeight))
                              : QSize(PaperFmt::tenthsToPixels(f.Width), PaperFmt::tenthsToPixels(f.Height));
    p.Scale = fitScale(area, sheetPx, fill);
    p.Size = QSize(rounded(sheetPx.width() * p.Scale), rounded(sheetPx.height() * p.Scale));
    if (p.HasGrid) {
        p.Cell = QSize(static_cast<int>(PaperFmt::tenthsToPixels(f.Width) * p.Scale) + 1,
                       static_cast<int>(PaperFmt::tenthsToPixels(f.Height) * p.Scale) + 1);
        const auto s = [&](double tenths) { return rounded(PaperFmt::tenthsToPixels(tenths) * p.Scale); };
        p.Offset = QPoint(s(g.LeftMargin), s(g.TopMargin));
        p.Gap = QPoint(s(g.GapX), s(g.GapY));
        p.Columns = g.Columns;
        p.Rows = g.Rows;
    }
    p.Frames = scaledFrames(f, p.Scale, p.Offset);
    return p;
}

QPoint cellAt(const TSheetPreview &p, int column, int row)
{
    return p.Offset + QPoint(column * (p.Cell.width() + p.Gap.x()), row * (p.Cell.height() + p.Gap.y()));
}

void paint(QPainter &painter, const TSheetPreview &p, Outline outline, bool cellsFirst, const QList<int> &frames)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(outline == Outline::Grey ? QColor(0x80, 0x80, 0x80) : QColor(Qt::black));
    painter.drawRect(QRect(QPoint(0, 0), p.Size - QSize(1, 1)));
    const auto cells = [&] {
        if (!p.HasGrid)
            return;
        painter.setPen(QColor(0x80, 0x80, 0x80));
        for (int r = 0; r < p.Rows; ++r)
            for (int c = 0; c < p.Columns; ++c)
                painter.drawRect(QRect(cellAt(p, c, r), p.Cell - QSize(1, 1)));
    };
    if (cellsFirst)
        cells();
    painter.setPen(QColor(Qt::blue));
    for (int i = 0; i < p.Frames.size(); ++i) {
        if (i == p.HiddenFrame || (!frames.isEmpty() && !frames.contains(i)))
            continue;
        painter.drawRect(p.Frames.at(i));
    }
    if (!cellsFirst)
        cells();
    painter.restore();
}

} // namespace PaperPreview

TPreviewPanel::TPreviewPanel(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void TPreviewPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (OnPaint)
        OnPaint(painter);
}

void CenterPreviewCard(QWidget *card, QSize area, QSize size)
{
    card->setGeometry((area.width() - size.width()) / 2, (area.height() - size.height()) / 2 - 1, size.width(),
                      size.height());
}
