#include "items/IllustRect.h"

#include "items/ImgUtils.h"
#include "items/MaskShapes.h"
#include "util/SubUnit.h"

#include <QPainter>

namespace {

qint32 roundi(long double v)
{
    return qint32(RoundHalfAway(v));
}

// RotateCode after a further turn by Code: both turns summed.
constexpr quint8 TurnSum[4][3] = {{2, 3, 1}, {3, 2, 0}, {1, 0, 3}, {0, 1, 2}};

} // namespace

TIllustRect::TIllustRect()
{
    m_frame.OnChange = [this](TRectFrame &) { invalidate(); };
    m_frame.OnBackChange = [this](TRectFrame &) { invalidate(); };
}

void TIllustRect::setExtension(const QString &Text)
{
    m_extension = Text.toLower();
    m_jpeg.clear();
}

void TIllustRect::SetPicture(const QImage &Image, const QByteArray &JpegBytes)
{
    if (Image.isNull()) {
        setExtension({});
        m_picture = QImage();
    } else {
        setExtension(JpegBytes.isEmpty() ? QStringLiteral("bmp") : QStringLiteral("jpg"));
        m_jpeg = JpegBytes;
        m_picture = Image.convertToFormat(QImage::Format_RGB888);
    }
    if (m_transparentColor != NoColor)
        m_transparentColor = NoColor;
    m_flipH = m_flipV = 0;
    m_rotateCode = 3;
    invalidate();
}

void TIllustRect::Mirror(bool Vertical)
{
    if (m_picture.isNull())
        return;
    m_picture = MirrorBitmap(m_picture, !Vertical);
    invalidate();
    if (m_jpeg.isEmpty())
        return;
    // A mirroring after the stored turn is the same mirroring before it with
    // the quarter turn reversed; both mirrorings together are a half turn.
    quint8 &flag = Vertical ? m_flipV : m_flipH;
    flag ^= 1;
    if (!(m_flipH && m_flipV)) {
        if (m_rotateCode <= 1)
            m_rotateCode ^= 1;
    } else {
        m_flipH = m_flipV = 0;
        if (m_rotateCode >= 2)
            m_rotateCode = m_rotateCode == 2 ? 3 : 2;
    }
}

void TIllustRect::Rotate(int Code)
{
    if (m_picture.isNull() || Code < 0 || Code > 2)
        return;
    m_picture = RotateBitmap(m_picture, Code);
    invalidate();
    if (!m_jpeg.isEmpty())
        m_rotateCode = TurnSum[m_rotateCode & 3][Code];
}

void TIllustRect::SetMask(qint32 Index)
{
    if (Index < -1)
        Index = -1;
    if (Index == m_maskIndex)
        return;
    m_maskIndex = Index;
    m_maskShape.reset();
    if (Index >= 0) {
        // An index the library does not hold leaves the picture uncut
        // (hasMaskOrColour) while the item keeps the index it was given.
        if (const QPainterPath *shape = MaskShapeAt(Index))
            m_maskShape = *shape;
        m_transparentColor = NoColor;
    }
    invalidate();
}

void TIllustRect::SetTransparentColor(TColor Value)
{
    if (Value == m_transparentColor)
        return;
    m_transparentColor = Value;
    if (Value != NoColor) {
        m_maskIndex = -1;
        m_maskShape.reset();
    }
    invalidate();
}

void TIllustRect::SetSmoothStretch(bool Value)
{
    if (Value == m_smoothStretch)
        return;
    m_smoothStretch = Value;
    invalidate();
}

void TIllustRect::updateMaskDispRect()
{
    m_maskDispRect = {roundi(m_maskRect.Left * static_cast<long double>(m_zoom)),
                      roundi(m_maskRect.Top * static_cast<long double>(m_zoom)),
                      roundi(m_maskRect.Right * static_cast<long double>(m_zoom)),
                      roundi(m_maskRect.Bottom * static_cast<long double>(m_zoom))};
}

void TIllustRect::SetMaskRect(const TScreenRect &DisplayRect)
{
    m_maskDispRect = DisplayRect;
    if (m_zoom != 0.0) {
        const long double z = m_zoom;
        m_maskRect = {roundi(DisplayRect.Left / z), roundi(DisplayRect.Top / z), roundi(DisplayRect.Right / z),
                      roundi(DisplayRect.Bottom / z)};
    }
    invalidate();
}

void TIllustRect::SetZoom(double Value)
{
    TDrawRect::SetZoom(Value);
    updateMaskDispRect();
    invalidate();
}

void TIllustRect::scaleMaskRect(QRect OldRect, QRect NewRect)
{
    // An empty mask rectangle, or one whose old item had no size to scale
    // from, takes the whole new rectangle.
    if (m_maskRect.isEmpty() || OldRect.isEmpty()) {
        m_maskRect = {m_rect.Left, m_rect.Top, m_rect.Right, m_rect.Bottom};
        return;
    }
    const long double sx = static_cast<long double>(NewRect.width()) / OldRect.width();
    const long double sy = static_cast<long double>(NewRect.height()) / OldRect.height();
    m_maskRect = {roundi((m_maskRect.Left - OldRect.left()) * sx) + NewRect.left(),
                  roundi((m_maskRect.Top - OldRect.top()) * sy) + NewRect.top(),
                  roundi((m_maskRect.Right - OldRect.left()) * sx) + NewRect.left(),
                  roundi((m_maskRect.Bottom - OldRect.top()) * sy) + NewRect.top()};
}

void TIllustRect::SetRect(const TPageRect &R)
{
    const QRect old = ToQRect(m_rect);
    TDrawRect::SetRect(R);
    scaleMaskRect(old, ToQRect(R));
    updateMaskDispRect();
    invalidate();
}

void TIllustRect::SetDispRect(const TScreenRect &R)
{
    const QRect oldDisp = ToQRect(m_dispRect);
    const QRect oldPage = ToQRect(m_rect);
    TDrawRect::SetDispRect(R);
    const QRect newDisp = ToQRect(R);
    if (m_maskRect.isEmpty() || oldDisp.isEmpty() || oldPage.isEmpty()) {
        m_maskRect = m_rect;
    } else {
        // The ratios of the display rectangles, the mask kept in page units.
        const long double sx = static_cast<long double>(newDisp.width()) / oldDisp.width();
        const long double sy = static_cast<long double>(newDisp.height()) / oldDisp.height();
        m_maskRect = {roundi((m_maskRect.Left - oldPage.left()) * sx) + m_rect.Left,
                      roundi((m_maskRect.Top - oldPage.top()) * sy) + m_rect.Top,
                      roundi((m_maskRect.Right - oldPage.left()) * sx) + m_rect.Left,
                      roundi((m_maskRect.Bottom - oldPage.top()) * sy) + m_rect.Top};
    }
    updateMaskDispRect();
    invalidate();
}

void TIllustRect::Assign(const TDrawRect &Source)
{
    TDrawRect::Assign(Source);
    if (const auto *s = dynamic_cast<const TIllustRect *>(&Source)) {
        setExtension(s->m_extension);
        m_picture = s->m_picture;
        m_jpeg = isJpegExtension() ? s->m_jpeg : QByteArray();
        m_flipH = s->m_flipH;
        m_flipV = s->m_flipV;
        m_rotateCode = s->m_rotateCode;
        m_resolution = s->m_resolution;
        m_maskIndex = s->m_maskIndex;
        m_maskRect = s->m_maskRect;
        m_maskDispRect = s->m_maskDispRect;
        m_maskShape = s->m_maskShape;
        m_transparentColor = s->m_transparentColor;
        m_frame.Assign(s->m_frame);
        m_limitedPrinter = s->m_limitedPrinter;
        m_maskRotate180 = s->m_maskRotate180;
    }
    invalidate();
}

QImage TIllustRect::maskImage(QSize Size, const QRect &ShapeRect) const
{
    QImage mask(Size, QImage::Format_Grayscale8);
    mask.fill(255);
    if (m_maskShape && !ShapeRect.isEmpty()) {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.translate(ShapeRect.topLeft());
        p.scale(ShapeRect.width(), ShapeRect.height());
        p.drawPath(*m_maskShape);
    }
    // Turned on paper exactly as on screen.
    if (m_maskRotate180)
        mask = RotateBitmap(mask, 2);
    return mask;
}

QImage TIllustRect::composed(const QImage &Source, QSize Size, const QRect &ShapeRect) const
{
    if (m_transparentColor != NoColor)
        return ComposeTransparent(m_picture, ColorToQColor(m_transparentColor).rgb(), Size);
    return ComposeMasked(Source, maskImage(Size, ShapeRect), QRect(QPoint(0, 0), Size), Size);
}

void TIllustRect::Draw(QPainter &Canvas, int X, int Y)
{
    if (m_picture.isNull() || m_dispRect.isEmpty())
        return;
    QRect r = ToQRect(m_dispRect).translated(X, Y);
    QRect inner;
    m_frame.Draw(Canvas, r, inner, m_zoom);
    r = inner;
    if (r.isEmpty())
        return;
    if (m_displayCache.isNull()) {
        if (hasMaskOrColour()) {
            const QImage source =
                m_smoothStretch ? StretchBitmapAll(m_picture, r.width(), r.height(), TStretchMode::AreaAverage)
                                : m_picture;
            m_displayCache =
                composed(source, r.size(), ToQRect(m_maskDispRect).translated(X - r.left(), Y - r.top()));
        } else if (m_smoothStretch) {
            m_displayCache = StretchBitmapAll(m_picture, r.width(), r.height(), TStretchMode::AreaAverage);
        }
    }
    Canvas.drawImage(r, m_displayCache.isNull() ? m_picture : m_displayCache);
}

void TIllustRect::CalcPrintRect(TTenthMmPoint Offset, const TPrinterGeometry &Printer, bool NoPhysicalOffset)
{
    TDrawRect::CalcPrintRect(Offset, Printer, NoPhysicalOffset);
    m_printDpi = Printer.dpi;
    const long double dx = Printer.dpi.x, dy = Printer.dpi.y;
    m_maskPrintRect = QRect(roundi((m_maskRect.Left - m_rect.Left) * dx / 96),
                            roundi((m_maskRect.Top - m_rect.Top) * dy / 96), roundi(m_maskRect.width() * dx / 96),
                            roundi(m_maskRect.height() * dy / 96));
    QRect inner = ToQRect(m_printRect);
    if (m_frame.HasFrame())
        m_frame.InnerRect(ToQRect(m_printRect), inner, Printer.dpi.y / 96.0);
    m_printCache = QImage();
    if (!inner.isEmpty() && m_transparentColor == NoColor && m_picture.width() > inner.width() &&
        m_picture.height() > inner.height())
        m_printCache = StretchBitmapAll(m_picture, inner.width(), inner.height(), TStretchMode::AreaAverage);
}

void TIllustRect::Print(QPainter &Canvas, int X, int Y)
{
    if (m_picture.isNull() || m_printRect.isEmpty())
        return;
    const QRect r = ToQRect(m_printRect).translated(X, Y);
    QRect inner;
    m_frame.Draw(Canvas, r, inner, m_printDpi.y / 96.0);
    if (inner.isEmpty())
        return;
    const QImage &source = m_printCache.isNull() ? m_picture : m_printCache;
    if (!hasMaskOrColour()) {
        Canvas.drawImage(inner, source);
        return;
    }
    const QRect m = m_maskPrintRect.translated(r.left() - inner.left(), r.top() - inner.top());
    const QImage image = composed(source, inner.size(), m);
    if (!m_limitedPrinter) {
        Canvas.drawImage(inner.topLeft(), image);
        return;
    }
    // A printer that cannot blend gets the opaque picture through a clip of
    // the shown pixels.
    QImage shown(image.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y) {
        const auto *px = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *out = shown.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            out[x] = qAlpha(px[x]) ? 0 : 255;
    }
    Canvas.save();
    Canvas.setClipRegion(RegionFromBitmap(shown).translated(inner.topLeft()), Qt::IntersectClip);
    Canvas.drawImage(inner, source);
    Canvas.restore();
}

void TIllustRect::ReleasePrint()
{
    m_printCache = QImage();
}

void TIllustRect::LoadFromStream(TItemReader &Stream)
{
    TDrawRect::LoadFromStream(Stream);
    setExtension(Stream.readXorString());
    m_picture = QImage();
    m_flipH = m_flipV = 0;
    m_rotateCode = 3;
    if (!m_extension.isEmpty()) {
        const TStoredPicture stored = ReadStoredPicture(Stream, isJpegExtension());
        m_picture = stored.Image;
        if (isJpegExtension()) {
            m_jpeg = stored.Jpeg;
            // Replayed through the tracking operations, which restore the flags.
            if (stored.FlipH)
                Mirror(false);
            if (stored.FlipV)
                Mirror(true);
            if (stored.Turn <= 2)
                Rotate(stored.Turn);
        }
    }
    m_resolution = Stream.readInt32();
    qint32 mask = Stream.readInt32();
    if (!Stream.hasVersion(300) && mask >= 1)
        ++mask;
    if (Stream.hasVersion(201)) {
        m_maskRect = ReadItemRect(Stream);
    } else {
        m_maskRect = m_rect;
    }
    const TColor colour = Stream.readInt32();
    m_frame.LoadFromStream(Stream);
    m_maskRotate180 = Stream.hasVersion(301) ? Stream.readFlag() : false;
    // Through the setters, so a colour in the file wins over a mask.
    SetMask(-1);
    SetTransparentColor(NoColor);
    SetMask(mask);
    SetTransparentColor(colour);
    updateMaskDispRect();
    invalidate();
}

void TIllustRect::SaveToStream(TItemWriter &Stream) const
{
    TDrawRect::SaveToStream(Stream);
    WriteStoredPicture(Stream, m_extension, m_picture, m_jpeg, m_flipH, m_flipV, m_rotateCode);
    Stream.writeInt32(m_resolution);
    Stream.writeInt32(m_maskIndex);
    Stream.writeInt32(m_maskRect.Left);
    Stream.writeInt32(m_maskRect.Top);
    Stream.writeInt32(m_maskRect.Right);
    Stream.writeInt32(m_maskRect.Bottom);
    Stream.writeInt32(m_transparentColor);
    m_frame.SaveToStream(Stream);
    Stream.writeFlag(m_maskRotate180);
}
