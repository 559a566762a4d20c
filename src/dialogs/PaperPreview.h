#pragma once

#include "dialogs/PaperFmt.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QWidget>

#include <functional>

class QPainter;

// The scaled picture of a paper the paper dialogs show: the sheet (or the
// single piece) fitted into a preview area, its cells and the frames of the
// first cell. Geometry is worked out here from a format and its grid, then
// painted onto any QPainter, so the tests check the same drawing a person sees.
struct TSheetPreview {
    QSize Size;           // the whole preview, preview pixels
    QList<QRect> Frames;  // first frame set, moved onto the first cell
    bool HasGrid = false;
    int Columns = 0;      // as drawn (a turned sheet has rows and columns exchanged)
    int Rows = 0;
    QSize Cell;
    QPoint Offset;        // first cell
    QPoint Gap;           // between cells
    int HiddenFrame = -1; // the barcode frame while the barcode cannot be printed
    double Scale = 0;     // preview pixels per 96-dpi pixel
};

namespace PaperPreview {

// The sheet of a label or card format as the sheet dialogs show it: a
// turned (direction not 0) sheet is shown turned. `fill` is the part of the
// area the sheet may take.
[[nodiscard]] TSheetPreview sheet(const TLayoutFormat &format, const TLabelGrid &grid, QSize area, double fill = 0.9);
// A postcard or envelope (or a sheet of postcards): never turned; cells one
// pixel larger so a picture drawn per cell leaves no seam.
[[nodiscard]] TSheetPreview paper(const TLayoutFormat &format, const TLabelGrid &grid, QSize area, double fill = 0.9);

// Top-left of cell (c, r) of a preview.
[[nodiscard]] QPoint cellAt(const TSheetPreview &p, int column, int row);

enum class Outline { Grey, Black };
// Outline of the whole preview, the cell outlines (grey) and the frames
// (blue) of `frames` (all when empty), leaving out the hidden frame.
void paint(QPainter &painter, const TSheetPreview &p, Outline outline, bool cellsFirst,
           const QList<int> &frames = {});

} // namespace PaperPreview

// The white panel a preview is painted on (pnlCard).
class TPreviewPanel : public QWidget
{
public:
    explicit TPreviewPanel(QWidget *parent = nullptr);
    std::function<void(QPainter &)> OnPaint;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Places the card centred in its area as the dialogs do:
// left = (W - w) div 2, top = (H - h) div 2 - 1.
void CenterPreviewCard(QWidget *card, QSize area, QSize size);
