#pragma once

#include "items/DrawRect.h"
#include "platform/Colors.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

// The background of a design page: nothing, a picture (fitted to the paper,
// centred at its natural size, or tiled), one colour, or a two-colour
// gradient. Drawn under every item; on screen it keeps one image of the
// visible page at the current zoom, for printing it prepares its page once.
// The picture is kept as the user turned it; an upside-down page turns it
// only where it is drawn, so saving and loading never turn it again.
class TBackImage : public TStreamObject
{
public:
    enum Kind : quint8 { None = 0, Fitted = 1, Centred = 2, Tiled = 3, Colour = 4, Gradient = 5 };

    void Clear();
    void Assign(const TBackImage &Source);

    void SetPaperSize(qint32 Width, qint32 Height);
    void SetPageRect(const QRect &Rect);
    void SetZoom(double Value);
    quint8 GetKind() const { return m_kind; }
    void SetKind(quint8 Value);
    qint32 GetResolution() const { return m_resolution; }
    void SetResolution(qint32 Value);
    TColor GetColor1() const { return m_color1; }
    void SetColor1(TColor Value);
    TColor GetColor2() const { return m_color2; }
    void SetColor2(TColor Value);
    qint32 GetGradientAngle() const { return m_gradientAngle; }
    void SetGradientAngle(qint32 Value);
    bool IsRotate180() const { return m_rotate180; }
    void SetRotate180(bool Value);
    const QString &GetExtension() const { return m_extension; }
    void SetExtension(const QString &Text);

    // A picture as loaded: JPEG bytes are kept for saving as they came.
    void SetPicture(const QImage &Image, const QByteArray &JpegBytes = {});
    const QImage &Picture() const { return m_picture; }
    const QByteArray &Jpeg() const { return m_jpeg; }
    void Mirror(bool Vertical);
    void Rotate(int Code);
    quint8 FlipH() const { return m_flipH; }
    quint8 FlipV() const { return m_flipV; }
    quint8 RotateCode() const { return m_rotateCode; }

    void Rebuild(bool Force);
    void Draw(QPainter &Canvas, int X, int Y);
    bool IsEmpty() const { return m_bitmap.isNull(); }
    const QImage &Bitmap() const { return m_bitmap; }
    QPoint BitmapOrigin() const { return m_bitmapOrigin; }

    // Half: 0 the whole page, 1 left, 2 top, 3 right, 4 bottom half.
    void PreparePrint(TTenthMmPoint Offset, bool FullPaper, int Half, const TPrinterGeometry &Printer,
                      QSize PageDots);
    void Print(QPainter &Canvas, int X, int Y);
    void ReleasePrint();
    QRect PrintPageRect() const { return m_printPageRect; }
    QSize PrintPictureSize() const { return m_printPictureSize; }
    QSize TileCount() const { return m_tileCount; }

    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

private:
    bool isJpegExtension() const { return m_extension == u"jpg" || m_extension == u"jpeg"; }
    QImage shownPicture() const;
    void invalidate() { m_valid = false; }

    QImage m_bitmap;
    qint32 m_paperWidth = 0;
    qint32 m_paperHeight = 0;
    QRect m_pageRect;
    double m_zoom = 0;
    quint8 m_kind = None;
    QImage m_picture;
    qint32 m_resolution = 72;
    TColor m_color1 = 0;
    TColor m_color2 = 0;
    qint32 m_gradientAngle = 0;
    QByteArray m_jpeg;
    quint8 m_flipH = 0, m_flipV = 0, m_rotateCode = 3;
    QString m_extension;
    bool m_valid = false;
    QPoint m_bitmapOrigin;
    QRect m_printPageRect;
    QSize m_printPictureSize;
    QSize m_tileCount;
    QImage m_printGradient;
    TDeviceDpi m_printDpi{600, 600};
    bool m_rotate180 = false;
};
