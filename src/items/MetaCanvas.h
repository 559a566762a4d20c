#pragma once

#include "items/MetafileEx.h"
#include "items/TextMetrics.h"

#include <QRect>
#include <QStringView>

class TTextShaper;

// The canvas a text item lays its content out on: it measures through the
// metrics and writes every drawing call into a display list in the dots of
// the reference device. Text positions follow the layouts' convention: the
// point given is the top-left corner of the first character cell, and the
// base line turns by the font's escapement around it (2700: the text runs
// down the page, with the cells' tops to the right).
class TRecordingCanvas
{
public:
    // Shaper may be null: the text is then recorded and measured but has no
    // glyphs (tests that only check the layout).
    TRecordingCanvas(TMetafileEx &Target, const TTextMetrics &Metrics, const TTextShaper *Shaper);

    TCanvasFont Font;
    // Added to every point recorded: a layout made for a larger area than
    // the recording's own frame (its room, TMetaRect::SetRoom) keeps its
    // points relative to that frame.
    QPoint Offset;

    const TTextMetrics &Metrics() const { return m_metrics; }
    TDeviceDpi Dpi() const { return m_target.Dpi(); }

    int TextWidth(QStringView Text) const { return m_metrics.width(Font, Text); }
    // The height of a line in the current font: the height of "一".
    int TextHeight() const { return m_metrics.lineHeight(Font); }

    void TextOut(int X, int Y, QStringView Text);
    // Like TextOut with one advance per UTF-16 unit of Text taken from Dx
    // (missing advances count as 0).
    void ExtTextOut(int X, int Y, QStringView Text, const QList<int> &Dx);

    void PushClip(const QRect &Rect);
    void PopClip();
    void DrawPath(const QPainterPath &Path, const QPen &Pen, const QBrush &Brush);
    void DrawImage(const QRectF &Target, const QImage &Image);

private:
    void record(int X, int Y, QStringView Text, QList<int> Advances);

    TMetafileEx &m_target;
    const TTextMetrics &m_metrics;
    const TTextShaper *m_shaper;
    int m_clipDepth = 0;
};

// Wide text with per-character advances: Dx must hold one advance per
// UTF-16 unit. Returns false when the advances are too few.
bool WideExtTextOut(TRecordingCanvas &Canvas, int X, int Y, QStringView Text, const QList<int> &Dx);
