#include "items/MetaCanvas.h"

#include "items/TextShaper.h"

TRecordingCanvas::TRecordingCanvas(TMetafileEx &Target, const TTextMetrics &Metrics, const TTextShaper *Shaper)
    : m_target(Target), m_metrics(Metrics), m_shaper(Shaper)
{
}

void TRecordingCanvas::TextOut(int X, int Y, QStringView Text)
{
    if (Text.isEmpty())
        return;
    record(X, Y, Text, m_metrics.advances(Font, Text));
}

void TRecordingCanvas::ExtTextOut(int X, int Y, QStringView Text, const QList<int> &Dx)
{
    if (Text.isEmpty())
        return;
    // Advances that fit the text are shared as they are, not copied.
    QList<int> adv = Dx.size() > Text.size() ? Dx.mid(0, Text.size()) : Dx;
    if (adv.size() < Text.size())
        adv.resize(Text.size(), 0);
    record(X, Y, Text, std::move(adv));
}

void TRecordingCanvas::record(int X, int Y, QStringView Text, QList<int> Advances)
{
    X += Offset.x();
    Y += Offset.y();
    TTextOp &op = m_target.AppendText();
    // Into the string the operation already holds where it has the room.
    if (op.Text.isDetached() && op.Text.capacity() >= Text.size()) {
        op.Text.resize(0);
        op.Text.append(Text);
    } else {
        op.Text = Text.toString();
    }
    op.Origin = QPoint(X, Y);
    op.Font = Font;
    op.CellHeight = m_metrics.lineHeight(Font);
    op.Advances = std::move(Advances);
    if (m_shaper) {
        // Escapement is counter-clockwise on the page, whose y runs down.
        const QTransform frame = QTransform().rotate(-Font.Escapement / 10.0) * QTransform::fromTranslate(X, Y);
        m_shaper->shapeInto(Font, Text, op.Advances, op.CellHeight, m_metrics.emSize(Font), frame, op.Runs);
    } else {
        op.Runs.clear();
    }
}

void TRecordingCanvas::PushClip(const QRect &Rect)
{
    m_target.Append(TClipPushOp{QRectF(Rect.translated(Offset))});
    ++m_clipDepth;
}

void TRecordingCanvas::PopClip()
{
    if (m_clipDepth == 0)
        return;
    m_target.Append(TClipPopOp{});
    --m_clipDepth;
}

void TRecordingCanvas::DrawPath(const QPainterPath &Path, const QPen &Pen, const QBrush &Brush)
{
    m_target.Append(TPathOp{Path.translated(Offset), Pen, Brush});
}

void TRecordingCanvas::DrawImage(const QRectF &Target, const QImage &Image)
{
    m_target.Append(TImageOp{Image, Target.translated(Offset)});
}

bool WideExtTextOut(TRecordingCanvas &Canvas, int X, int Y, QStringView Text, const QList<int> &Dx)
{
    if (Dx.size() < Text.size())
        return false;
    Canvas.ExtTextOut(X, Y, Text, Dx);
    return true;
}
