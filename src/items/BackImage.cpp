#include "items/BackImage.h"

#include "items/ImgUtils.h"
#include "util/SubUnit.h"

#include <QPainter>

#include <array>
#include <cmath>

namespace {

constexpr TColor White = 0xFFFFFF;

int roundi(long double v)
{
    return int(RoundHalfAway(v));
}

// The mirrorings and turns of a picture as 2 x 2 matrices on its
// coordinates, so any sequence the user applies can be stored as the
// mirrorings followed by one turn.
using TMatrix = std::array<int, 4>;

TMatrix multiply(const TMatrix &A, const TMatrix &B)
{
    return {A[0] * B[0] + A[1] * B[2], A[0] * B[1] + A[1] * B[3], A[2] * B[0] + A[3] * B[2],
            A[2] * B[1] + A[3] * B[3]};
}

constexpr TMatrix Identity{1, 0, 0, 1};
constexpr TMatrix FlipHMatrix{-1, 0, 0, 1};
constexpr TMatrix FlipVMatrix{1, 0, 0, -1};

TMatrix turnMatrix(int Code)
{
    switch (Code) {
    case 0:
        return {0, 1, -1, 0};
    case 1:
        return {0, -1, 1, 0};
    case 2:
        return {-1, 0, 0, -1};
    default:
        return Identity;
    }
}

TMatrix composed(quint8 H, quint8 V, quint8 Turn)
{
    TMatrix m = Identity;
    if (H)
        m = multiply(FlipHMatrix, m);
    if (V)
        m = multiply(FlipVMatrix, m);
    return multiply(turnMatrix(Turn), m);
}

QImage applyStored(QImage Image, quint8 H, quint8 V, quint8 Turn)
{
    if (H)
        Image = MirrorBitmap(Image, true);
    if (V)
        Image = MirrorBitmap(Image, false);
    if (Turn <= 2)
        Image = RotateBitmap(Image, Turn);
    return Image;
}

} // namespace

void TBackImage::Clear()
{
    m_picture = QImage();
    m_jpeg.clear();
    m_bitmap = QImage();
    m_kind = None;
    invalidate();
}

void TBackImage::Assign(const TBackImage &Source)
{
    m_paperWidth = Source.m_paperWidth;
    m_paperHeight = Source.m_paperHeight;
    m_zoom = Source.m_zoom;
    m_pageRect = Source.m_pageRect;
    m_kind = Source.m_kind;
    if (m_kind == None || m_kind == Colour || m_kind == Gradient) {
        m_picture = QImage();
        m_jpeg.clear();
        m_color1 = Source.m_color1;
        if (m_kind == Gradient) {
            m_color2 = Source.m_color2;
            m_gradientAngle = Source.m_gradientAngle;
        }
    } else {
        m_extension = Source.m_extension;
        m_picture = Source.m_picture;
        m_jpeg = isJpegExtension() ? Source.m_jpeg : QByteArray();
        m_flipH = Source.m_flipH;
        m_flipV = Source.m_flipV;
        m_rotateCode = Source.m_rotateCode;
        m_resolution = Source.m_resolution;
    }
    m_rotate180 = Source.m_rotate180;
    invalidate();
}

void TBackImage::SetPaperSize(qint32 Width, qint32 Height)
{
    m_paperWidth = Width;
    m_paperHeight = Height;
    invalidate();
}

void TBackImage::SetPageRect(const QRect &Rect)
{
    m_pageRect = Rect;
    invalidate();
}

#define MURVEN_BACK_SETTER(Name, Field, Type)                                                                         \
    void TBackImage::Name(Type Value)                                                                                  \
    {                                                                                                                  \
        if (Field != Value) {                                                                                          \
            Field = Value;                                                                                             \
            invalidate();                                                                                              \
        }                                                                                                              \
    }
MURVEN_BACK_SETTER(SetZoom, m_zoom, double)
MURVEN_BACK_SETTER(SetColor1, m_color1, TColor)
MURVEN_BACK_SETTER(SetColor2, m_color2, TColor)
MURVEN_BACK_SETTER(SetGradientAngle, m_gradientAngle, qint32)
MURVEN_BACK_SETTER(SetRotate180, m_rotate180, bool)
#undef MURVEN_BACK_SETTER

void TBackImage::SetResolution(qint32 Value)
{
    // A resolution of 0 or less from a damaged file would divide by zero.
    if (Value <= 0)
        Value = 72;
    if (Value != m_resolution) {
        m_resolution = Value;
        invalidate();
    }
}

void TBackImage::SetKind(quint8 Value)
{
    if (Value > Gradient || Value == m_kind)
        return;
    m_kind = Value;
    invalidate();
}

void TBackImage::SetExtension(const QString &Text)
{
    m_extension = Text.toLower();
    m_jpeg.clear();
    invalidate();
}

void TBackImage::SetPicture(const QImage &Image, const QByteArray &JpegBytes)
{
    m_extension = JpegBytes.isEmpty() ? QStringLiteral("bmp") : QStringLiteral("jpg");
    m_jpeg = JpegBytes;
    m_picture = Image.convertToFormat(QImage::Format_RGB888);
    m_resolution = 72;
    if (m_kind < Fitted || m_kind > Tiled)
        m_kind = Fitted;
    m_flipH = m_flipV = 0;
    m_rotateCode = 3;
    m_bitmap = QImage();
    invalidate();
}

void TBackImage::Mirror(bool Vertical)
{
    if (m_picture.isNull())
        return;
    m_picture = MirrorBitmap(m_picture, !Vertical);
    const TMatrix m = multiply(Vertical ? FlipVMatrix : FlipHMatrix, composed(m_flipH, m_flipV, m_rotateCode));
    for (quint8 turn : {quint8(3), quint8(0), quint8(1), quint8(2)})
        for (quint8 h : {0, 1})
            for (quint8 v : {0, 1})
                if (composed(h, v, turn) == m) {
                    m_flipH = h;
                    m_flipV = v;
                    m_rotateCode = turn;
                    invalidate();
                    return;
                }
}

void TBackImage::Rotate(int Code)
{
    if (m_picture.isNull() || Code < 0 || Code > 2)
        return;
    m_picture = RotateBitmap(m_picture, Code);
    const TMatrix m = multiply(turnMatrix(Code), composed(m_flipH, m_flipV, m_rotateCode));
    for (quint8 turn : {quint8(3), quint8(0), quint8(1), quint8(2)})
        for (quint8 h : {0, 1})
            for (quint8 v : {0, 1})
                if (composed(h, v, turn) == m) {
                    m_flipH = h;
                    m_flipV = v;
                    m_rotateCode = turn;
                    invalidate();
                    return;
                }
}

QImage TBackImage::shownPicture() const
{
    return m_rotate180 ? RotateBitmap(m_picture, 2) : m_picture;
}

void TBackImage::Rebuild(bool Force)
{
    if (m_valid && !Force)
        return;
    m_valid = true;
    m_bitmap = QImage();
    const int pw = std::max(0, roundi(roundi(m_paperWidth / 254.0L * 96) * static_cast<long double>(m_zoom)));
    const int ph = std::max(0, roundi(roundi(m_paperHeight / 254.0L * 96) * static_cast<long double>(m_zoom)));
    QRect v(QPoint(int(std::ceil(m_pageRect.left() * m_zoom)), int(std::ceil(m_pageRect.top() * m_zoom))),
            QPoint(int(std::trunc((m_pageRect.left() + m_pageRect.width()) * m_zoom)) - 1,
                   int(std::trunc((m_pageRect.top() + m_pageRect.height()) * m_zoom)) - 1));
    if (v.isEmpty())
        v = QRect();
    int left = std::max(v.left(), 0), top = std::max(v.top(), 0);
    int right = std::min(v.left() + v.width(), left + pw), bottom = std::min(v.top() + v.height(), top + ph);
    m_bitmapOrigin = QPoint(left, top);
    const QSize size(std::max(0, right - left), std::max(0, bottom - top));
    if (size.isEmpty() || m_kind == None)
        return;
    const bool picture = m_kind >= Fitted && m_kind <= Tiled;
    if (picture && m_picture.isNull())
        return;
    if (m_kind == Colour && m_color1 == White)
        return;
    if (m_kind == Gradient && m_color1 == White && m_color2 == White)
        return;
    m_bitmap = QImage(size, QImage::Format_RGB888);
    m_bitmap.fill(Qt::white);
    if (m_kind == Gradient) {
        GradientFill(m_bitmap, m_gradientAngle, ColorToQColor(m_color1), ColorToQColor(m_color2));
        return;
    }
    if (m_kind == Colour) {
        m_bitmap.fill(ColorToQColor(m_color1));
        return;
    }
    const QImage shown = shownPicture();
    QPainter p(&m_bitmap);
    if (m_kind == Fitted) {
        const double s = std::min(double(size.width()) / shown.width(), double(size.height()) / shown.height());
        const QSize fit(roundi(shown.width() * static_cast<long double>(s)),
                        roundi(shown.height() * static_cast<long double>(s)));
        p.drawImage(QRect(QPoint((size.width() - fit.width()) / 2, (size.height() - fit.height()) / 2), fit), shown);
    } else if (m_kind == Centred) {
        DrawPictureCentred(p, shown, m_resolution, size, m_zoom);
    } else {
        TilePicture(p, shown, m_resolution, size, m_rotate180, m_zoom);
    }
}

void TBackImage::Draw(QPainter &Canvas, int X, int Y)
{
    if (m_kind == None)
        return;
    Rebuild(false);
    if (!m_bitmap.isNull())
        Canvas.drawImage(m_bitmapOrigin + QPoint(X, Y), m_bitmap);
}

void TBackImage::PreparePrint(TTenthMmPoint Offset, bool FullPaper, int Half, const TPrinterGeometry &Printer,
                              QSize PageDots)
{
    ReleasePrint();
    m_printDpi = Printer.dpi;
    const int dx = std::max(1, Printer.dpi.x), dy = std::max(1, Printer.dpi.y);
    const int PW = roundi(m_paperWidth / 254.0L * dx), PH = roundi(m_paperHeight / 254.0L * dy);
    const int ox = Printer.physicalOffsetX, oy = Printer.physicalOffsetY;
    int l = 0, t = 0, r = FullPaper ? PW : std::min(PW - ox, PageDots.width()),
        b = FullPaper ? PH : std::min(PH - oy, PageDots.height());
    switch (Half) {
    case 1:
        r = std::min(PW / 2 - 2 * ox, r);
        break;
    case 2:
        b = std::min(PH / 2 - 2 * oy, b);
        break;
    case 3:
        l = PW / 2;
        break;
    case 4:
        t = PH / 2;
        break;
    default:
        break;
    }
    if (r <= l || b <= t) {
        m_printPageRect = QRect();
        return;
    }
    const int w = r - l, h = b - t;
    m_printPageRect = QRect(l, t, w, h).translated(roundi(Offset.x.value / 254.0L * dx), roundi(Offset.y.value / 254.0L * dy));
    const long double res = m_resolution > 0 ? m_resolution : 72;
    if (m_kind == Fitted && !m_picture.isNull()) {
        const double s = std::min(double(w) / m_picture.width(), double(h) / m_picture.height());
        m_printPictureSize = QSize(roundi(m_picture.width() * static_cast<long double>(s)),
                                   roundi(m_picture.height() * static_cast<long double>(s)));
    } else if ((m_kind == Centred || m_kind == Tiled) && !m_picture.isNull()) {
        m_printPictureSize = QSize(roundi(m_picture.width() / res * dx), roundi(m_picture.height() / res * dy));
        if (m_kind == Tiled && !m_printPictureSize.isEmpty())
            m_tileCount = QSize((w + m_printPictureSize.width() - 1) / m_printPictureSize.width(),
                                (h + m_printPictureSize.height() - 1) / m_printPictureSize.height());
    } else if (m_kind == Gradient && !(m_color1 == White && m_color2 == White)) {
        // The gradient needs no printer resolution: it is made at 96 dpi and stretched.
        m_printGradient = QImage(roundi(96.0L / dx * w), roundi(96.0L / dy * h), QImage::Format_RGB888);
        if (!m_printGradient.isNull())
            GradientFill(m_printGradient, m_gradientAngle, ColorToQColor(m_color1), ColorToQColor(m_color2));
    }
}

void TBackImage::Print(QPainter &Canvas, int X, int Y)
{
    if (m_kind == None || m_printPageRect.isEmpty())
        return;
    const QRect page = m_printPageRect.translated(X, Y);
    Canvas.save();
    Canvas.setClipRect(page, Qt::IntersectClip);
    const QImage shown = (m_kind >= Fitted && m_kind <= Tiled) ? shownPicture() : QImage();
    const QSize s = m_printPictureSize;
    if ((m_kind == Fitted || m_kind == Centred) && !shown.isNull()) {
        Canvas.drawImage(QRect(QPoint(page.left() + (page.width() - s.width()) / 2,
                                      page.top() + (page.height() - s.height()) / 2),
                               s),
                         shown);
    } else if (m_kind == Tiled && !shown.isNull() && !s.isEmpty()) {
        const QImage tile = shown.scaled(s, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (int r = 0; r < m_tileCount.height(); ++r)
            for (int c = 0; c < m_tileCount.width(); ++c) {
                // Upside down, the pattern starts at the lower right corner.
                const QPoint at = m_rotate180
                                      ? QPoint(page.left() + page.width() - s.width() * (c + 1),
                                               page.top() + page.height() - s.height() * (r + 1))
                                      : QPoint(page.left() + s.width() * c, page.top() + s.height() * r);
                Canvas.drawImage(at, tile);
            }
    } else if (m_kind == Colour && m_color1 != White) {
        Canvas.fillRect(page, ColorToQColor(m_color1));
    } else if (m_kind == Gradient && !m_printGradient.isNull()) {
        Canvas.drawImage(page, m_printGradient);
    }
    Canvas.restore();
}

void TBackImage::ReleasePrint()
{
    m_printGradient = QImage();
    m_printPictureSize = QSize();
    m_tileCount = QSize();
}

void TBackImage::LoadFromStream(TItemReader &Stream)
{
    const quint8 kind = Stream.readByte();
    if (kind > Gradient)
        throw EItemFormatError(QStringLiteral("背景の種類 %1 は範囲外です。").arg(kind));
    m_kind = kind;
    m_picture = QImage();
    m_jpeg.clear();
    if (kind >= Fitted && kind <= Tiled) {
        SetExtension(Stream.readXorString());
        if (!m_extension.isEmpty()) {
            const TStoredPicture stored = ReadStoredPicture(Stream, isJpegExtension());
            m_picture = stored.Image;
            if (isJpegExtension()) {
                m_jpeg = stored.Jpeg;
                m_flipH = stored.FlipH & 1;
                m_flipV = stored.FlipV & 1;
                m_rotateCode = stored.Turn <= 2 ? stored.Turn : 3;
                m_picture = applyStored(m_picture, m_flipH, m_flipV, m_rotateCode);
            } else {
                m_flipH = m_flipV = 0;
                m_rotateCode = 3;
            }
        } else {
            m_kind = None;
        }
        SetResolution(Stream.readInt32());
    }
    if (kind == Colour || kind == Gradient)
        m_color1 = Stream.readInt32();
    if (kind == Gradient) {
        m_color2 = Stream.readInt32();
        m_gradientAngle = Stream.readInt32();
    }
    m_rotate180 = Stream.hasVersion(301) ? Stream.readFlag() : false;
    invalidate();
}

void TBackImage::SaveToStream(TItemWriter &Stream) const
{
    const bool picture = m_kind >= Fitted && m_kind <= Tiled;
    Stream.writeByte(m_kind);
    if (picture) {
        WriteStoredPicture(Stream, m_extension, m_picture, m_jpeg, m_flipH, m_flipV, m_rotateCode);
        Stream.writeInt32(m_resolution);
    }
    if (m_kind == Colour || m_kind == Gradient)
        Stream.writeInt32(m_color1);
    if (m_kind == Gradient) {
        Stream.writeInt32(m_color2);
        Stream.writeInt32(m_gradientAngle);
    }
    Stream.writeFlag(m_rotate180);
}
