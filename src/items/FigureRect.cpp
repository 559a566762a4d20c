#include "items/FigureRect.h"

#include "items/ImgUtils.h"
#include "items/PathUtils.h"
#include "util/SubUnit.h"

#include <QPainter>

namespace {

int roundi(long double v)
{
    return int(RoundHalfAway(v));
}

// A gradient is smooth: a buffer of at most this many pixels a side,
// stretched over the shape, shows the same as one of the shape's full size,
// however large the rectangle, the zoom or the printer's resolution.
constexpr int kMaxGradientSide = 1024;

QSize gradientBufferSize(QSize Size)
{
    if (Size.width() <= kMaxGradientSide && Size.height() <= kMaxGradientSide)
        return Size;
    const QSize scaled = Size.scaled(kMaxGradientSide, kMaxGradientSide, Qt::KeepAspectRatio);
    return scaled.expandedTo(QSize(1, 1));
}

} // namespace

void TFigureRect::Assign(const TDrawRect &Source)
{
    TDrawRect::Assign(Source);
    if (const auto *f = dynamic_cast<const TFigureRect *>(&Source)) {
        m_frame = f->m_frame;
        m_back = f->m_back;
        m_gradation = f->m_gradation;
        m_kind = f->m_kind;
        m_lineDirections = f->m_lineDirections;
        m_corner = f->m_corner;
        m_sectorDirection = f->m_sectorDirection;
        m_lineStyle = f->m_lineStyle;
        m_lineWidth = f->m_lineWidth;
        m_frameColor = f->m_frameColor;
        m_color1 = f->m_color1;
        m_color2 = f->m_color2;
        m_gradientAngle = f->m_gradientAngle;
    }
    m_contentValid = m_gradientValid = m_regionValid = false;
}

void TFigureRect::SetReferenceDpi(TDeviceDpi Dpi)
{
    if (Dpi != m_dpi) {
        m_dpi = Dpi;
        m_contentValid = false;
    }
}

void TFigureRect::fillChanged(bool Gradient, bool Region)
{
    if (!gradientFill())
        return;
    if (Gradient)
        m_gradientValid = false;
    if (Region)
        m_regionValid = false;
}

void TFigureRect::SetZoom(double Value)
{
    TDrawRect::SetZoom(Value);
    fillChanged(true, true);
}

void TFigureRect::SetRect(const TPageRect &R)
{
    TDrawRect::SetRect(R);
    m_contentValid = false;
    fillChanged(true, true);
}

void TFigureRect::SetDispRect(const TScreenRect &R)
{
    TDrawRect::SetDispRect(R);
    m_contentValid = false;
    fillChanged(true, true);
}

void TFigureRect::SetFigureKind(quint8 Value)
{
    if (Value > Diamond || Value == m_kind)
        return;
    m_kind = Value;
    // A line is nothing but its outline.
    if (Value == Line)
        m_frame = true;
    m_contentValid = false;
    m_regionValid = false;
}

void TFigureRect::SetLineDirections(quint8 Value)
{
    if (Value != m_lineDirections) {
        m_lineDirections = Value & 15;
        m_contentValid = false;
    }
}

void TFigureRect::SetCornerRadius(int Index, quint8 Code)
{
    Code = quint8(qMin<int>(Code, 2));
    if (Index < 0 || Index > 1 || m_corner[size_t(Index)] == Code)
        return;
    m_corner[size_t(Index)] = Code;
    m_contentValid = false;
    fillChanged(false, true);
}

void TFigureRect::SetSectorDirection(quint8 Value)
{
    Value = quint8(qMin<int>(Value, 3));
    if (Value == m_sectorDirection)
        return;
    m_sectorDirection = Value;
    m_contentValid = false;
    fillChanged(false, true);
}

void TFigureRect::SetFrame(bool Value)
{
    if (m_kind == Line || Value == m_frame)
        return;
    m_frame = Value;
    m_contentValid = false;
}

void TFigureRect::SetBack(bool Value)
{
    if (Value == m_back)
        return;
    m_back = Value;
    m_contentValid = false;
    if (m_gradation)
        m_gradientValid = m_regionValid = false;
}

void TFigureRect::SetGradation(bool Value)
{
    if (Value == m_gradation)
        return;
    m_gradation = Value;
    m_contentValid = false;
    if (m_back)
        m_gradientValid = m_regionValid = false;
}

void TFigureRect::SetLineStyle(quint8 Value)
{
    if (Value >= 5 || Value == m_lineStyle)
        return;
    m_lineStyle = Value;
    m_contentValid = false;
}

#define MURVEN_FIGURE_SETTER(Name, Field, Type, Fill)                                                                 \
    void TFigureRect::Name(Type Value)                                                                                 \
    {                                                                                                                  \
        if (Value == Field)                                                                                            \
            return;                                                                                                    \
        Field = Value;                                                                                                 \
        m_contentValid = false;                                                                                        \
        if (Fill)                                                                                                      \
            fillChanged(true, false);                                                                                  \
    }
MURVEN_FIGURE_SETTER(SetLineWidth, m_lineWidth, qint32, false)
MURVEN_FIGURE_SETTER(SetFrameColor, m_frameColor, TColor, false)
MURVEN_FIGURE_SETTER(SetColor1, m_color1, TColor, true)
MURVEN_FIGURE_SETTER(SetColor2, m_color2, TColor, true)
MURVEN_FIGURE_SETTER(SetGradientAngle, m_gradientAngle, qint32, true)
#undef MURVEN_FIGURE_SETTER

QList<qreal> TFigureRect::DashPattern(quint8 Style)
{
    switch (Style) {
    case 1:
        return {18, 6};
    case 2:
        return {3, 3};
    case 3:
        return {9, 6, 3, 6};
    case 4:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

QPainterPath TFigureRect::ShapePath(double Left, double Top, double W, double H) const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    switch (m_kind) {
    case RoundRect: {
        const double m = std::min(W, H);
        const double cw = roundi(m * CornerFactors[m_corner[0]]), ch = roundi(m * CornerFactors[m_corner[1]]);
        path.addRoundedRect(QRectF(Left, Top, W, H), cw / 2, ch / 2);
        break;
    }
    case Ellipse:
        path.addEllipse(QRectF(Left, Top, W, H));
        break;
    case Sector: {
        // A quarter of the ellipse centred on the chosen corner.
        const bool right = m_sectorDirection == 0 || m_sectorDirection == 2;
        const bool bottom = m_sectorDirection == 0 || m_sectorDirection == 1;
        const QPointF centre(right ? Left + W : Left, bottom ? Top + H : Top);
        const QRectF box(centre.x() - W, centre.y() - H, 2 * W, 2 * H);
        const double start = right ? (bottom ? 90 : 180) : (bottom ? 0 : 270);
        path.moveTo(centre);
        path.arcTo(box, start, 90);
        path.closeSubpath();
        break;
    }
    case Diamond:
        path.moveTo(Left + W / 2, Top);
        path.lineTo(Left + W, Top + H / 2);
        path.lineTo(Left + W / 2, Top + H);
        path.lineTo(Left, Top + H / 2);
        path.closeSubpath();
        break;
    default:
        path.addRect(QRectF(Left, Top, W, H));
        break;
    }
    return path;
}

void TFigureRect::buildContent()
{
    m_metafile.Clear();
    m_contentValid = true;
    if (m_rect.isEmpty())
        return;
    const int w = PageToDots(TPagePx(m_rect.width()), m_dpi.x);
    const int h = PageToDots(TPagePx(m_rect.height()), m_dpi.y);
    m_metafile.SetSize(QSize(std::max(w, h), std::max(w, h)));
    m_metafile.SetDpi(m_dpi);
    const bool solidFill = m_back && !m_gradation;
    const QBrush fill = solidFill ? QBrush(ColorToQColor(m_color1)) : QBrush(Qt::NoBrush);
    QPen pen(ColorToQColor(m_frameColor), std::max(1, roundi(m_lineWidth * static_cast<long double>(m_dpi.y) / 96)));
    pen.setJoinStyle(Qt::MiterJoin);
    if (m_lineStyle != 0) {
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(DashPattern(m_lineStyle));
    }
    const QPen outline = m_frame ? pen : QPen(Qt::NoPen);

    if (m_kind == Line) {
        if (solidFill) {
            QPainterPath box;
            box.addRect(QRectF(0, 0, w, h));
            m_metafile.Append(TPathOp{box, Qt::NoPen, fill});
        }
        QPainterPath lines;
        if (m_lineDirections & 1) {
            lines.moveTo(0, h / 2);
            lines.lineTo(w, h / 2);
        }
        if (m_lineDirections & 2) {
            lines.moveTo(w / 2, 0);
            lines.lineTo(w / 2, h);
        }
        if (m_lineDirections & 4) {
            lines.moveTo(0, 0);
            lines.lineTo(w, h);
        }
        if (m_lineDirections & 8) {
            lines.moveTo(w, 0);
            lines.lineTo(0, h);
        }
        m_metafile.Append(TPathOp{lines, pen, Qt::NoBrush});
        return;
    }
    QPainterPath shape;
    TPath outlinePath;
    switch (m_kind) {
    case Rectangle:
        RectanglePath(outlinePath, 0, 0, w, h);
        break;
    case RoundRect: {
        const int m = std::min(w, h);
        RoundRectPath(outlinePath, 0, 0, w, h, roundi(m * static_cast<long double>(CornerFactors[m_corner[0]])),
                      roundi(m * static_cast<long double>(CornerFactors[m_corner[1]])));
        break;
    }
    case Ellipse:
        EllipsePath(outlinePath, 0, 0, w, h);
        break;
    case Sector:
        switch (m_sectorDirection) {
        case 0:
            SectorPath(outlinePath, 0, 0, 2 * w, 2 * h, w - 1, 0, 0, h - 1);
            break;
        case 1:
            SectorPath(outlinePath, -w, 0, w, 2 * h, w, h - 1, 0, 0);
            break;
        case 2:
            SectorPath(outlinePath, 0, -h, 2 * w, h, 0, 0, w - 1, h);
            break;
        default:
            SectorPath(outlinePath, -w, -h, w, h, 0, h, w, 0);
            break;
        }
        break;
    default: // diamond
        outlinePath.AddMoveTo({w / 2, 0});
        outlinePath.AddLineTo({w, h / 2});
        outlinePath.AddLineTo({w / 2, h});
        outlinePath.AddLineTo({0, h / 2});
        outlinePath.CloseFigure();
        break;
    }
    shape = outlinePath.ToPainterPath();
    shape.setFillRule(Qt::WindingFill);
    m_metafile.Append(TPathOp{shape, outline, fill});
}

void TFigureRect::Rebuild(bool Force)
{
    if (Force || !m_contentValid)
        buildContent();
    if (!m_gradientValid) {
        m_gradient = QImage();
        if (gradientFill() && !m_dispRect.isEmpty()) {
            m_gradient = QImage(gradientBufferSize(QSize(m_dispRect.width(), m_dispRect.height())),
                                QImage::Format_RGB888);
            GradientFill(m_gradient, m_gradientAngle, ColorToQColor(m_color1), ColorToQColor(m_color2));
        }
        m_gradientValid = true;
    }
    if (!m_regionValid) {
        m_region = QPainterPath();
        // Lines and rectangles fill their whole box.
        if (gradientFill() && m_kind >= RoundRect)
            m_region = ShapePath(m_dispRect.Left, m_dispRect.Top, m_dispRect.width(), m_dispRect.height());
        m_regionValid = true;
    }
}

void TFigureRect::Draw(QPainter &Canvas, int X, int Y)
{
    Rebuild(false);
    if (gradientFill() && !m_gradient.isNull()) {
        Canvas.save();
        if (!m_region.isEmpty())
            Canvas.setClipPath(m_region.translated(X, Y), Qt::IntersectClip);
        Canvas.drawImage(QRect(m_dispRect.Left + X, m_dispRect.Top + Y, m_dispRect.width(), m_dispRect.height()),
                         m_gradient);
        Canvas.restore();
    }
    const int side = std::max(m_dispRect.width(), m_dispRect.height());
    const int left = m_dispRect.Left + X, top = m_dispRect.Top + Y;
    m_metafile.Draw(Canvas, TScreenRect{left, top, left + side, top + side});
}

void TFigureRect::CalcPrintRect(TTenthMmPoint Offset, const TPrinterGeometry &Printer, bool NoPhysicalOffset)
{
    TDrawRect::CalcPrintRect(Offset, Printer, NoPhysicalOffset);
    if (!gradientFill())
        return;
    const int w = m_printRect.width(), h = m_printRect.height();
    QSize size;
    // The gradient needs no printer resolution: above 200 dpi about half of it.
    if (Printer.dpi.y <= 200)
        size = QSize(roundi(96.0L / std::max(1, Printer.dpi.x) * w), roundi(96.0L / std::max(1, Printer.dpi.y) * h));
    else
        size = QSize(roundi(w * 0.48L), roundi(h * 0.48L));
    m_printGradient = QImage();
    if (!size.isEmpty()) {
        m_printGradient = QImage(gradientBufferSize(size), QImage::Format_RGB888);
        GradientFill(m_printGradient, m_gradientAngle, ColorToQColor(m_color1), ColorToQColor(m_color2));
    }
    m_printRegion = m_kind >= RoundRect ? ShapePath(m_printRect.Left, m_printRect.Top, w, h) : QPainterPath();
}

void TFigureRect::Print(QPainter &Canvas, int X, int Y)
{
    if (gradientFill() && !m_printGradient.isNull()) {
        Canvas.save();
        if (!m_printRegion.isEmpty())
            Canvas.setClipPath(m_printRegion.translated(X, Y), Qt::IntersectClip);
        Canvas.drawImage(QRect(m_printRect.Left + X, m_printRect.Top + Y, m_printRect.width(), m_printRect.height()),
                         m_printGradient);
        Canvas.restore();
    }
    if (!m_contentValid)
        buildContent();
    m_metafile.Play(Canvas, QPointF(m_printRect.Left + X, m_printRect.Top + Y), m_printDpi);
}

void TFigureRect::ReleasePrint()
{
    if (gradientFill()) {
        m_printGradient = QImage();
        m_printRegion = QPainterPath();
    }
}

void TFigureRect::LoadFromStream(TItemReader &Stream)
{
    TDrawRect::LoadFromStream(Stream);
    m_frame = Stream.readFlag();
    m_back = Stream.readFlag();
    m_gradation = Stream.readFlag();
    // Kinds and styles beyond the known ones are damage; keep the item usable.
    m_kind = quint8(qMin<int>(Stream.readByte(), Diamond));
    m_lineDirections = Stream.readByte() & 15;
    for (auto &c : m_corner)
        c = Stream.readByte();
    m_corner[0] = quint8(qMin<int>(m_corner[0], 2));
    m_corner[1] = quint8(qMin<int>(m_corner[1], 2));
    if (Stream.hasVersion(300))
        m_sectorDirection = quint8(qMin<int>(Stream.readByte(), 3));
    const quint8 style = Stream.readByte();
    m_lineStyle = style < 5 ? style : 0;
    m_lineWidth = Stream.readInt32();
    m_frameColor = Stream.readInt32();
    m_color1 = Stream.readInt32();
    m_color2 = Stream.readInt32();
    m_gradientAngle = Stream.readInt32();
    if (m_kind == Line)
        m_frame = true;
    m_contentValid = m_gradientValid = m_regionValid = false;
}

void TFigureRect::SaveToStream(TItemWriter &Stream) const
{
    TDrawRect::SaveToStream(Stream);
    Stream.writeFlag(m_frame);
    Stream.writeFlag(m_back);
    Stream.writeFlag(m_gradation);
    Stream.writeByte(m_kind);
    Stream.writeByte(m_lineDirections);
    for (quint8 c : m_corner)
        Stream.writeByte(c);
    Stream.writeByte(m_sectorDirection);
    Stream.writeByte(m_lineStyle);
    Stream.writeInt32(m_lineWidth);
    Stream.writeInt32(m_frameColor);
    Stream.writeInt32(m_color1);
    Stream.writeInt32(m_color2);
    Stream.writeInt32(m_gradientAngle);
}
