#pragma once

#include "items/DrawRect.h"
#include "items/RectFrame.h"
#include "platform/Colors.h"

#include <QByteArray>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QString>

#include <optional>

// The picture item: a bitmap or a JPEG (whose compressed bytes stay with the
// item, so it is saved exactly as it was loaded) stretched into its box,
// mirrored and turned, cut out by a mask shape or made transparent in one
// colour, inside a decorative frame. Masked and transparent pictures are
// drawn as one composed ARGB image whose alpha is the mask, on screen and on
// paper alike; a printer that cannot blend gets the same cut through a
// clipping region instead.
class TIllustRect : public TDrawRect
{
public:
    static constexpr TColor NoColor = 0x1FFFFFFF;

    TIllustRect();

    [[nodiscard]] TDrawRectKind GetKind() const override { return TDrawRectKind::Illust; }
    void Assign(const TDrawRect &Source) override;
    void SetZoom(double Value) override;
    void SetRect(const TPageRect &R) override;
    void SetDispRect(const TScreenRect &R) override;
    void Draw(QPainter &Canvas, int X, int Y) override;
    void Print(QPainter &Canvas, int X, int Y) override;
    void CalcPrintRect(TTenthMmPoint Offset, const TPrinterGeometry &Printer, bool NoPhysicalOffset) override;
    void ReleasePrint();

    // A picture as loaded: with JpegBytes the item is a JPEG ("jpg") and keeps
    // them; otherwise a bitmap ("bmp"). A null image removes the picture.
    void SetPicture(const QImage &Image, const QByteArray &JpegBytes = {});
    const QImage &GetBitmap() const { return m_picture; }
    const QByteArray &Jpeg() const { return m_jpeg; }
    const QString &Extension() const { return m_extension; }
    quint8 FlipH() const { return m_flipH; }
    quint8 FlipV() const { return m_flipV; }
    quint8 RotateCode() const { return m_rotateCode; }
    void Mirror(bool Vertical);
    // 0 a quarter turn anticlockwise, 1 clockwise, 2 a half turn.
    void Rotate(int Code);

    qint32 GetResolution() const { return m_resolution; }
    void SetResolution(qint32 Value) { m_resolution = Value; }

    // An index into the mask library (MaskShapeAt), -1 none. A mask and a
    // transparent colour exclude each other.
    qint32 GetMaskIndex() const { return m_maskIndex; }
    void SetMask(qint32 Index);
    bool HasMaskShape() const { return m_maskShape.has_value(); }
    TColor GetTransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(TColor Value);
    TPageRect GetMaskRect() const { return m_maskRect; }
    TScreenRect GetMaskDispRect() const { return m_maskDispRect; }
    // While the user drags the mask frame on screen.
    void SetMaskRect(const TScreenRect &DisplayRect);
    // The edge zones and the cursor of the mask frame on screen.
    [[nodiscard]] THitZone MaskHitZone(int X, int Y) const { return HitZoneIn(m_maskDispRect, X, Y); }
    [[nodiscard]] TItemCursor GetMaskCursor(int X, int Y) const
    {
        return CursorForZone(MaskHitZone(X, Y), X >= m_maskDispRect.Left && X < m_maskDispRect.Right &&
                                                    Y >= m_maskDispRect.Top && Y < m_maskDispRect.Bottom);
    }
    // Relative to the item's print rectangle, in printer dots.
    QRect GetMaskPrintRect() const { return m_maskPrintRect; }
    bool IsMaskRotate180() const { return m_maskRotate180; }
    bool IsLimitedPrinter() const { return m_limitedPrinter; }
    void SetLimitedPrinter(bool Value) { m_limitedPrinter = Value; }
    bool IsSmoothStretch() const { return m_smoothStretch; }
    void SetSmoothStretch(bool Value);

    TRectFrame &Frame() { return m_frame; }
    const TRectFrame &Frame() const { return m_frame; }

    const QImage &DisplayCache() const { return m_displayCache; }
    const QImage &PrintCache() const { return m_printCache; }

    // After the base record: extension, picture, resolution, mask index,
    // mask rectangle (from version 201), transparent colour, frame, mask
    // half turn (from version 301). Damage raises EItemFormatError.
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

private:
    bool isJpegExtension() const { return m_extension == u"jpg" || m_extension == u"jpeg"; }
    // A mask index whose shape the library could not supply cuts nothing:
    // the picture shows whole instead of vanishing behind an empty mask.
    bool hasMaskOrColour() const { return (m_maskIndex >= 0 && m_maskShape) || m_transparentColor != NoColor; }
    void setExtension(const QString &Text);
    void scaleMaskRect(QRect OldRect, QRect NewRect);
    void updateMaskDispRect();
    void invalidate() { m_displayCache = QImage(); }
    // The mask of an area of Size: black where the picture shows, the shape
    // filling ShapeRect, turned by a half turn when the item says so.
    QImage maskImage(QSize Size, const QRect &ShapeRect) const;
    QImage composed(const QImage &Source, QSize Size, const QRect &ShapeRect) const;

    QImage m_picture;
    qint32 m_resolution = 0;
    qint32 m_maskIndex = -1;
    std::optional<QPainterPath> m_maskShape;
    TPageRect m_maskRect;
    TColor m_transparentColor = NoColor;
    bool m_limitedPrinter = false;
    QImage m_printCache;
    QRect m_maskPrintRect;
    TDeviceDpi m_printDpi{600, 600};
    QImage m_displayCache;
    TScreenRect m_maskDispRect;
    bool m_smoothStretch = false;
    TRectFrame m_frame;
    QByteArray m_jpeg;
    quint8 m_flipH = 0, m_flipV = 0, m_rotateCode = 3;
    QString m_extension;
    bool m_maskRotate180 = false;
};
