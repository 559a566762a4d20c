#include "items/MetaRect.h"

#include "items/TextShaper.h"
#include "util/SubUnit.h"

#include <QPainter>

#include <cmath>

TReferenceDevice TReferenceDevice::screen()
{
    static const TDesignTextMetrics metrics;
    static const THarfBuzzShaper shaper;
    return {&metrics, &shaper, {96, 96}, false};
}

TReferenceDevice TReferenceDevice::printer(TDeviceDpi Dpi)
{
    TReferenceDevice d = screen();
    d.Dpi = Dpi;
    d.HasPrinter = true;
    return d;
}

void SetFontWidthRatio(TRecordingCanvas &Canvas, double Ratio)
{
    Canvas.Font.WidthRatio = Ratio > 0 && Ratio != 1.0 ? Ratio : 1.0;
}

void SetCanvasFontVertical(TCanvasFont &Font)
{
    if (!Font.isVertical())
        Font.Face.prepend(QLatin1Char('@'));
    Font.Escapement = 2700;
}

void SetCanvasFontHorizontal(TCanvasFont &Font)
{
    if (Font.isVertical())
        Font.Face.remove(0, 1);
    Font.Escapement = 0;
}

void RotateCanvasFont180(TCanvasFont &Font)
{
    Font.Escapement = Font.Escapement < 1800 ? Font.Escapement + 1800 : Font.Escapement - 1800;
}

QPoint TextItemMargins(const TRecordingCanvas &Canvas)
{
    const TDeviceDpi dpi = Canvas.Dpi();
    return {PageToDots(TextItemMargin, dpi.x), PageToDots(TextItemMargin, dpi.y)};
}

TMetaRect::TMetaRect() : m_device(TReferenceDevice::screen()) {}

void TMetaRect::Assign(const TDrawRect &Source)
{
    TDrawRect::Assign(Source);
    if (const auto *m = dynamic_cast<const TMetaRect *>(&Source)) {
        m_font = m->m_font;
        m_fontColor = m->m_fontColor;
        m_baseHeight = m->m_baseHeight;
        m_height = m->m_height;
        m_horizontal = m->m_horizontal;
        m_rotate180 = m->m_rotate180;
    }
    invalidate();
}

void TMetaRect::SetRect(const TPageRect &R)
{
    TDrawRect::SetRect(R);
    invalidate();
}

void TMetaRect::SetDispRect(const TScreenRect &R)
{
    const TPageRect before = m_rect;
    TDrawRect::SetDispRect(R);
    // A move keeps the recording; only a new size needs a new layout.
    if (m_rect.width() != before.width() || m_rect.height() != before.height())
        invalidate();
}

void TMetaRect::SetClipSide(TClipSide Side)
{
    TDrawRect::SetClipSide(Side);
    invalidate();
}

void TMetaRect::SetClipPos(qint32 Pos)
{
    TDrawRect::SetClipPos(Pos);
    if (m_clipSide != TClipSide::None)
        invalidate();
}

void TMetaRect::SetFont(const TFont &Font)
{
    m_font = Font;
    m_fontColor = QColorToColor(Font.Color);
    invalidate();
}

void TMetaRect::SetFontColor(TColor Color)
{
    m_fontColor = Color;
    m_font.Color = ColorToQColor(Color);
    invalidate();
}

void TMetaRect::SetHorizontal(bool Value)
{
    if (m_horizontal == Value)
        return;
    m_horizontal = Value;
    invalidate();
}

void TMetaRect::ScaleFont(TTenthMm LongSide)
{
    // Formed as an integer and truncated towards zero, so a negative height
    // never grows in magnitude by rounding.
    m_height = static_cast<qint32>(qint64(m_baseHeight) * LongSide.value / BasePaperLongSide);
    invalidate();
}

void TMetaRect::RescaleFont(TTenthMm PaperLongSide)
{
    ScaleFont(PaperLongSide);
}

void TMetaRect::ClearContent()
{
    m_metafile.Clear();
    invalidate();
}

void TMetaRect::SetFontSizeIndex(qint32 Value)
{
    if (m_fontSizeIndex == Value)
        return;
    m_fontSizeIndex = Value;
    invalidate();
}

void TMetaRect::SetRotate180(bool Value)
{
    if (m_rotate180 == Value)
        return;
    m_rotate180 = Value;
    invalidate();
}

void TMetaRect::SetReferenceDevice(const TReferenceDevice &Device)
{
    m_device = Device;
    invalidate();
}

void TMetaRect::Rebuild(bool Force)
{
    if (Force || !m_valid)
        BuildMetafile();
}

void TMetaRect::Draw(QPainter &Canvas, int X, int Y)
{
    Rebuild(false);
    const int side = qMax(m_dispRect.width(), m_dispRect.height());
    const int left = m_dispRect.Left + X;
    const int top = m_dispRect.Top + Y;
    m_metafile.Draw(Canvas, TScreenRect{left, top, left + side, top + side});
}

void TMetaRect::Print(QPainter &Canvas, int X, int Y)
{
    m_metafile.Play(Canvas, QPointF(m_printRect.Left + X, m_printRect.Top + Y), m_printDpi);
}

TCanvasFont TMetaRect::canvasFont(const TFont &Font, TColor Color, qint32 Height)
{
    TCanvasFont f;
    f.Face = Font.Name;
    f.Height = Height;
    f.Escapement = Font.Escapement;
    f.Style = Font.Style;
    f.Color = ColorToQColor(Color);
    return f;
}

qint32 TMetaRect::pointsToHeight(int Points, const TRecordingCanvas &Canvas)
{
    // A size in points is a character height of Points / 72 inch.
    return -static_cast<qint32>(RoundHalfAway(double(Points) * Canvas.Dpi().y / 72.0));
}

void TMetaRect::drawTurned(TRecordingCanvas &Canvas, QSize Size, int X, int Y, QStringView Text,
                           const QList<int> *Advances) const
{
    if (m_rotate180) {
        RotateCanvasFont180(Canvas.Font);
        X = Size.width() - X;
        Y = Size.height() - Y;
    }
    if (Advances)
        (void)WideExtTextOut(Canvas, X, Y, Text, *Advances);
    else
        Canvas.TextOut(X, Y, Text);
    if (m_rotate180)
        RotateCanvasFont180(Canvas.Font);
}

TCanvasFont TMetaRect::contentFont() const
{
    const qint32 h = m_device.HasPrinter ? static_cast<qint32>(qint64(m_device.Dpi.y) * m_height / 96) : m_height;
    return canvasFont(m_font, m_fontColor, h);
}

void TMetaRect::SetRoom(const TPageRect &Room)
{
    if (m_room == Room)
        return;
    m_room = Room;
    invalidate();
}

namespace {

// The room's share Share of the way from the frame out to the room's edges.
TPageRect grownToward(const TPageRect &Frame, const TPageRect &Room, double Share)
{
    auto at = [Share](qint32 From, qint32 To) { return From + qint32(std::lround((To - From) * Share)); };
    return {at(Frame.Left, Room.Left), at(Frame.Top, Room.Top), at(Frame.Right, Room.Right),
            at(Frame.Bottom, Room.Bottom)};
}

// The steps a text takes into its room: a quarter of it at a time, so that
// it leaves what it does not need blank.
constexpr int kRoomSteps = 4;

} // namespace

void TMetaRect::BuildMetafile()
{
    buildIn(m_rect);
    m_laidIn = m_rect;
    if (m_rect.isEmpty())
        return;
    m_valid = true;
    const bool roomAround = !m_room.isEmpty() && m_room != m_rect && m_room.Left <= m_rect.Left &&
                            m_room.Top <= m_rect.Top && m_room.Right >= m_rect.Right &&
                            m_room.Bottom >= m_rect.Bottom;
    if (!m_room.isEmpty() && !roomAround && m_room != m_rect && m_clipSide == TClipSide::None) {
        // A room apart from the frame: the text prints there instead.
        buildIn(m_room);
        m_laidIn = m_room;
        return;
    }
    if (!roomAround || m_clipSide != TClipSide::None || m_rect.isEmpty())
        return;
    double best = fitShare();
    if (best >= 1.0)
        return;
    // A text its frame leaves narrowed or small takes the room it needs.
    TPageRect bestArea = m_rect, last = m_rect;
    for (int step = 1; step <= kRoomSteps; ++step) {
        last = grownToward(m_rect, m_room, double(step) / kRoomSteps);
        buildIn(last);
        const double share = fitShare();
        if (share > best + 1e-3) {
            best = share;
            bestArea = last;
        }
        if (share >= 1.0)
            break;
    }
    if (last != bestArea)
        buildIn(bestArea);
    m_laidIn = bestArea;
}

void TMetaRect::buildIn(const TPageRect &Area)
{
    m_metafile.Clear();
    m_narrowest = 1.0;
    if (m_rect.isEmpty())
        return;
    const TDeviceDpi dpi = m_device.HasPrinter ? m_device.Dpi : TDeviceDpi{96, 96};
    const int w = PageToDots(TPagePx(m_rect.width()), dpi.x);
    const int h = PageToDots(TPagePx(m_rect.height()), dpi.y);
    // Square, so vertical and turned text share one recording and the
    // content keeps its proportions when it is stretched onto the screen.
    const int side = qMax(w, h);
    m_metafile.SetSize(QSize(side, side));
    m_metafile.SetDpi(dpi);
    QRect clip;
    const int x = PageToDots(TPagePx(m_clipPos - m_rect.Left), dpi.x);
    const int y = PageToDots(TPagePx(m_clipPos - m_rect.Top), dpi.y);
    switch (m_clipSide) {
    case TClipSide::Left:
        clip = QRect(QPoint(0, 0), QPoint(x, side));
        break;
    case TClipSide::Above:
        clip = QRect(QPoint(0, 0), QPoint(side, y));
        break;
    case TClipSide::Right:
        clip = QRect(QPoint(x, 0), QPoint(side, side));
        break;
    case TClipSide::Below:
        clip = QRect(QPoint(0, y), QPoint(side, side));
        break;
    case TClipSide::None:
        break;
    }
    TFixedTextMetrics fallback;
    TRecordingCanvas canvas(m_metafile, m_device.Metrics ? *m_device.Metrics : fallback, m_device.Shaper);
    canvas.Font = contentFont();
    if (!clip.isNull())
        canvas.PushClip(clip.adjusted(0, 0, -1, -1));
    struct PopClip {
        TRecordingCanvas &c;
        bool on;
        ~PopClip()
        {
            if (on)
                c.PopClip();
        }
    } pop{canvas, !clip.isNull()};
    canvas.Offset = QPoint(PageToDots(TPagePx(Area.Left - m_rect.Left), dpi.x),
                           PageToDots(TPagePx(Area.Top - m_rect.Top), dpi.y));
    BuildContent(canvas, QSize(PageToDots(TPagePx(Area.width()), dpi.x), PageToDots(TPagePx(Area.height()), dpi.y)));
}

double TMetaRect::fitShare() const
{
    const TDeviceDpi dpi = m_metafile.Dpi();
    const double least = std::min(std::ceil(LeastTextMm / 25.4 * dpi.y), std::abs(double(contentFont().Height)));
    double share = m_narrowest;
    for (const TTextOp *op : m_metafile.TextOps())
        if (least > 0 && !op->Text.trimmed().isEmpty())
            share = std::min(share, std::abs(double(op->Font.Height)) / least);
    return std::min(share, 1.0);
}

bool TMetaRect::FitFont(TRecordingCanvas &Canvas, int Available, int Needed, bool AllowGrow)
{
    const double r = double(Available) / double(Needed);
    if (r < 0)
        return true;
    if (!AllowGrow && r >= 1)
        return true;
    const double scaled = std::trunc(Canvas.Font.Height * r);
    if (!(scaled < 0)) // 0, positive, or not a number: the font would vanish
        return false;
    Canvas.Font.Height = static_cast<qint32>(qMax(scaled, -1e9));
    return true;
}

int TMetaRect::leastHeight(const TRecordingCanvas &Canvas)
{
    return int(std::ceil(LeastTextMm / 25.4 * Canvas.Dpi().y));
}

bool TMetaRect::fitAlong(TRecordingCanvas &Canvas, int Available, const std::function<int()> &Measure)
{
    const int Needed = Measure();
    if (Needed <= Available || Needed <= 0)
        return true;
    const qint32 before = Canvas.Font.Height;
    const int least = std::min(leastHeight(Canvas), std::abs(before));
    if (!FitFont(Canvas, Available, Needed))
        return false;
    if (std::abs(Canvas.Font.Height) >= least)
        return true;
    // At the least height the line is Needed scaled by it: its characters
    // are narrowed by what is still too long, a hair more for the rounding
    // of each advance.
    const double atLeast = double(Needed) * least / std::abs(double(before));
    Canvas.Font.Height = before < 0 ? -least : least;
    SetFontWidthRatio(Canvas, Canvas.Font.WidthRatio * std::min(1.0, Available / atLeast * 0.98));
    for (int round = 0; round < MaxFitRounds; ++round) {
        const int now = Measure();
        if (now <= Available || now <= 0)
            break;
        SetFontWidthRatio(Canvas, Canvas.Font.WidthRatio * Available / now * 0.98);
    }
    noteNarrowed(Canvas.Font.WidthRatio);
    return true;
}

void TMetaRect::LoadFromStream(TItemReader &Stream)
{
    TDrawRect::LoadFromStream(Stream);
    const qint32 charset = Stream.readInt32();
    const QString face = Stream.readXorString();
    const qint32 size = Stream.readInt32();
    const qint32 style = Stream.readInt32();
    const TColor color = Stream.readInt32();
    const qint32 sizeIndex = Stream.hasVersion(600) ? Stream.readInt32() : 0;
    const bool horizontal = Stream.readFlag();
    const bool rotate = Stream.hasVersion(200) ? Stream.readFlag() : false;
    (void)SetFontAttributes(&m_font, charset, face, size, style);
    m_fontColor = color;
    m_font.Color = ColorToQColor(color);
    // A stored size index is trusted only inside the table.
    m_fontSizeIndex = sizeIndex >= 0 && sizeIndex < qint32(FontSizeTable.size()) ? sizeIndex : 0;
    m_horizontal = horizontal;
    m_rotate180 = rotate;
    invalidate();
}

void TMetaRect::SaveToStream(TItemWriter &Stream) const
{
    TDrawRect::SaveToStream(Stream);
    Stream.writeInt32(m_font.Charset);
    Stream.writeXorString(m_font.Name);
    Stream.writeInt32(m_font.Size);
    Stream.writeInt32(FontStyleToBits(m_font));
    Stream.writeInt32(m_fontColor);
    Stream.writeInt32(m_fontSizeIndex);
    Stream.writeFlag(m_horizontal);
    Stream.writeFlag(m_rotate180);
}
