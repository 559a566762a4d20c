#include "items/RectFrame.h"

#include "util/SubUnit.h"

#include "items/MetaCanvas.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

int roundHalfAway(double v)
{
    return static_cast<int>(RoundHalfAway(v));
}

QRect shrunk(const QRect &R, int By)
{
    return R.adjusted(By, By, -By, -By);
}

// An outline of pen width P inside the bounds of R (the pen never reaches
// outside R), with corner ellipses of Radius x Radius when rounded.
QPainterPath outline(const QRect &R, int P, bool Rounded, int Radius)
{
    const QRectF inside = QRectF(R).adjusted(P / 2.0, P / 2.0, -P / 2.0, -P / 2.0);
    QPainterPath path;
    if (Rounded)
        path.addRoundedRect(inside, Radius / 2.0, Radius / 2.0);
    else
        path.addRect(inside);
    return path;
}

} // namespace

void TRectFrame::changed()
{
    if (OnChange)
        OnChange(*this);
}

void TRectFrame::backChanged()
{
    if (OnBackChange)
        OnBackChange(*this);
}

void TRectFrame::Clear()
{
    m_frame = false;
    m_lineCount = 0;
    m_corner = 0;
    m_lineWidth = 0;
    m_frameColor = 0;
    m_back = false;
    m_backColor = 0;
}

void TRectFrame::Assign(const TRectFrame &Source)
{
    const bool outlineDiffers = m_frame != Source.m_frame || m_lineCount != Source.m_lineCount ||
                                m_corner != Source.m_corner || m_lineWidth != Source.m_lineWidth ||
                                m_frameColor != Source.m_frameColor;
    const bool backDiffers = m_back != Source.m_back || m_backColor != Source.m_backColor;
    m_frame = Source.m_frame;
    m_lineCount = Source.m_lineCount;
    m_corner = Source.m_corner;
    m_lineWidth = Source.m_lineWidth;
    m_frameColor = Source.m_frameColor;
    m_back = Source.m_back;
    m_backColor = Source.m_backColor;
    if (outlineDiffers)
        changed();
    if (backDiffers)
        backChanged();
}

#define MURVEN_FRAME_SETTER(Name, Field, Type, Notify)                                                                \
    void TRectFrame::Name(Type Value)                                                                                  \
    {                                                                                                                  \
        if (Field == Value)                                                                                            \
            return;                                                                                                    \
        Field = Value;                                                                                                 \
        Notify();                                                                                                      \
    }

MURVEN_FRAME_SETTER(SetFrame, m_frame, bool, changed)
MURVEN_FRAME_SETTER(SetLineCount, m_lineCount, quint8, changed)
MURVEN_FRAME_SETTER(SetCorner, m_corner, quint8, changed)
MURVEN_FRAME_SETTER(SetFrameColor, m_frameColor, TColor, changed)
MURVEN_FRAME_SETTER(SetBack, m_back, bool, backChanged)
MURVEN_FRAME_SETTER(SetBackColor, m_backColor, TColor, backChanged)
#undef MURVEN_FRAME_SETTER

void TRectFrame::SetLineWidth(quint8 Value)
{
    Value = quint8(qMin<int>(Value, int(Widths.size()) - 1));
    if (m_lineWidth == Value)
        return;
    m_lineWidth = Value;
    changed();
}

int TRectFrame::widthAt(double Scale) const
{
    return roundHalfAway(Widths[qMin<size_t>(m_lineWidth, Widths.size() - 1)] * Scale);
}

void TRectFrame::Draw(QPainter &Canvas, const QRect &R, QRect &Inner, double Scale) const
{
    drawPaths(
        [&Canvas](const QPainterPath &Path, const QPen &Pen, const QBrush &Brush) {
            Canvas.save();
            Canvas.setPen(Pen);
            Canvas.setBrush(Brush);
            Canvas.drawPath(Path);
            Canvas.restore();
        },
        R, Inner, Scale);
}

void TRectFrame::Draw(TRecordingCanvas &Canvas, const QRect &R, QRect &Inner, double Scale) const
{
    drawPaths([&Canvas](const QPainterPath &Path, const QPen &Pen, const QBrush &Brush) { Canvas.DrawPath(Path, Pen, Brush); },
              R, Inner, Scale);
}

void TRectFrame::drawPaths(const TPathSink &Sink, const QRect &R, QRect &Inner, double Scale) const
{
    Inner = R;
    if (!m_frame) {
        if (m_back) {
            QPainterPath path;
            path.addRect(QRectF(R));
            Sink(path, Qt::NoPen, QBrush(ColorToQColor(m_backColor)));
        }
        return;
    }
    QBrush brush = m_back ? QBrush(ColorToQColor(m_backColor)) : QBrush(Qt::NoBrush);
    int p = qMax(1, widthAt(Scale));
    QPen pen(ColorToQColor(m_frameColor));
    pen.setWidth(p);
    pen.setJoinStyle(Qt::MiterJoin);
    const bool rounded = m_corner == 1;
    int r = rounded ? roundHalfAway(qMin(R.width(), R.height()) / 5.0) : 0;
    Sink(outline(R, p, rounded, r), pen, brush);
    if (m_lineCount == 1) {
        const int q = qMax(1, p / 2);
        pen.setWidth(q);
        Inner = shrunk(Inner, m_lineWidth != 0 ? q + p : 2 * p);
        if (Inner.width() >= 1 && Inner.height() >= 1) {
            if (rounded)
                r = roundHalfAway(qMin(Inner.width(), Inner.height()) / (m_lineWidth != 0 ? 6.0 : 5.0));
            Sink(outline(Inner, q, rounded, r), pen, Qt::NoBrush);
        }
        p = q;
    }
    const int s = rounded ? roundHalfAway(std::abs(r / 2.0 - p) / 2.0) : 0;
    Inner = shrunk(Inner, s + p);
}

void TRectFrame::InnerRect(const QRect &R, QRect &Inner, double Scale) const
{
    const int p = widthAt(Scale);
    const int w = R.width(), h = R.height();
    int inset;
    double e;
    if (m_lineCount != 1) {
        inset = p;
        e = (qMin(w, h) / 10.0 - p) / 2.0;
    } else if (m_lineWidth != 0) {
        inset = 2 * p;
        e = (qMin(w - 3 * (p / 2), h - 3 * (p / 2)) / 12.0 - p) / 2.0;
    } else {
        inset = 5 * (p / 2);
        e = (qMin(w - 2 * p, h - 2 * p) / 10.0 - p) / 2.0;
    }
    const int extra = m_corner == 1 ? qMax(0, roundHalfAway(e)) : 0;
    Inner = shrunk(R, inset + extra);
}

void TRectFrame::OuterRect(const QRect &R, QRect &Outer) const
{
    const int W = Widths[qMin<size_t>(m_lineWidth, Widths.size() - 1)];
    const int m = qMin(R.width(), R.height());
    int g;
    double e;
    if (m_lineCount != 1) {
        g = W;
        e = (m + W) / 16.0 - W / 2.0;
    } else if (m_lineWidth != 0) {
        g = 2 * W;
        e = (m + W) / 20.0 - W / 2.0;
    } else {
        g = 5 * (W / 2);
        e = (m + W) / 16.0 - W / 2.0;
    }
    const int extra = m_corner == 1 ? roundHalfAway(e) : 0;
    Outer = shrunk(R, -(g + extra));
}

void TRectFrame::LoadFromStream(TItemReader &Stream)
{
    m_frame = Stream.readFlag();
    m_back = Stream.readFlag();
    m_lineCount = Stream.readByte();
    m_corner = Stream.readByte();
    const quint8 width = Stream.readByte();
    if (width >= Widths.size())
        throw EItemFormatError(QStringLiteral("枠の線の太さ %1 は範囲外です。").arg(width));
    m_lineWidth = width;
    m_frameColor = Stream.readInt32();
    m_backColor = Stream.readInt32();
}

void TRectFrame::SaveToStream(TItemWriter &Stream) const
{
    Stream.writeFlag(m_frame);
    Stream.writeFlag(m_back);
    Stream.writeByte(m_lineCount);
    Stream.writeByte(m_corner);
    Stream.writeByte(m_lineWidth);
    Stream.writeInt32(m_frameColor);
    Stream.writeInt32(m_backColor);
}
