#include "items/DrawRect.h"

#include "util/SubUnit.h"

namespace {

qint32 scaled(qint32 v, double factor)
{
    return static_cast<qint32>(RoundHalfAway(static_cast<long double>(v) * factor));
}

qint32 divided(qint32 v, double divisor)
{
    return static_cast<qint32>(RoundHalfAway(static_cast<long double>(v) / divisor));
}

} // namespace

Qt::CursorShape toCursorShape(TItemCursor Cursor)
{
    switch (Cursor) {
    case TItemCursor::SizeNESW:
        return Qt::SizeBDiagCursor;
    case TItemCursor::SizeNS:
        return Qt::SizeVerCursor;
    case TItemCursor::SizeNWSE:
        return Qt::SizeFDiagCursor;
    case TItemCursor::SizeWE:
        return Qt::SizeHorCursor;
    case TItemCursor::Move:
        return Qt::SizeAllCursor;
    case TItemCursor::Default:
        break;
    }
    return Qt::ArrowCursor;
}

void TDrawRect::Assign(const TDrawRect &Source)
{
    SetRect(Source.m_rect);
    m_visible = Source.m_visible;
}

void TDrawRect::SetZoom(double Value)
{
    m_zoom = Value;
    if (Value != 0.0)
        m_dispRect = {scaled(m_rect.Left, Value), scaled(m_rect.Top, Value), scaled(m_rect.Right, Value),
                      scaled(m_rect.Bottom, Value)};
}

void TDrawRect::SetRect(const TPageRect &R)
{
    m_rect = R;
    m_dispRect = {scaled(R.Left, m_zoom), scaled(R.Top, m_zoom), scaled(R.Right, m_zoom), scaled(R.Bottom, m_zoom)};
}

void TDrawRect::SetDispRect(const TScreenRect &R)
{
    m_dispRect = R;
    // A zoom of 0 has no page position to go back to; the page rectangle stays.
    if (m_zoom != 0.0)
        m_rect = {divided(R.Left, m_zoom), divided(R.Top, m_zoom), divided(R.Right, m_zoom),
                  divided(R.Bottom, m_zoom)};
}

void TDrawRect::SetClipSide(TClipSide Side)
{
    m_clipSide = Side;
}

void TDrawRect::SetClipPos(qint32 Pos)
{
    m_clipPos = Pos;
}

void TDrawRect::CalcPrintRect(TTenthMmPoint Offset, const TPrinterGeometry &Printer, bool NoPhysicalOffset)
{
    const qint32 left = PageToDots(TPagePx(m_rect.Left), Printer.dpi.x) + TenthMmToDots(Offset.x, Printer.dpi.x);
    const qint32 top = PageToDots(TPagePx(m_rect.Top), Printer.dpi.y) + TenthMmToDots(Offset.y, Printer.dpi.y);
    const qint32 width = PageToDots(TPagePx(m_rect.width()), Printer.dpi.x);
    const qint32 height = PageToDots(TPagePx(m_rect.height()), Printer.dpi.y);
    m_printRect = {left, top, left + width, top + height};
    m_printDpi = Printer.dpi;
    if (!NoPhysicalOffset) {
        m_printRect.Left -= Printer.physicalOffsetX;
        m_printRect.Right -= Printer.physicalOffsetX;
        m_printRect.Top -= Printer.physicalOffsetY;
        m_printRect.Bottom -= Printer.physicalOffsetY;
    }
}

void TDrawRect::Rebuild(bool /*Force*/) {}

void TDrawRect::LoadFromStream(TItemReader &Stream)
{
    const TPageRect r = ReadItemRect(Stream);
    // Streams before 201 had no visibility: every item was shown.
    const bool visible = Stream.hasVersion(201) ? Stream.readFlag() : true;
    SetRect(r);
    m_visible = visible;
}

void TDrawRect::SaveToStream(TItemWriter &Stream) const
{
    Stream.writeInt32(m_rect.Left);
    Stream.writeInt32(m_rect.Top);
    Stream.writeInt32(m_rect.Right);
    Stream.writeInt32(m_rect.Bottom);
    Stream.writeFlag(m_visible);
}

bool TDrawRect::PtInRect(int X, int Y) const
{
    return X >= m_dispRect.Left && X < m_dispRect.Right && Y >= m_dispRect.Top && Y < m_dispRect.Bottom;
}

THitZone TDrawRect::HitZone(int X, int Y) const
{
    return HitZoneIn(m_dispRect, X, Y);
}

bool IsItemRectInBounds(const TPageRect &R)
{
    const auto inRange = [](qint32 V) { return V >= -MaxPaperPagePx && V <= MaxPaperPagePx; };
    return R.Right >= R.Left && R.Bottom >= R.Top && inRange(R.Left) && inRange(R.Top) && inRange(R.Right) &&
           inRange(R.Bottom);
}

TPageRect MovedIntoItemBounds(TPageRect R)
{
    const auto shift = [](qint32 Low, qint32 High) -> qint32 {
        if (High > MaxPaperPagePx)
            return MaxPaperPagePx - High;
        if (Low < -MaxPaperPagePx)
            return -MaxPaperPagePx - Low;
        return 0;
    };
    const qint32 dx = shift(R.Left, R.Right);
    const qint32 dy = shift(R.Top, R.Bottom);
    return {R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy};
}

TPageRect ReadItemRect(TItemReader &Stream)
{
    TPageRect r;
    r.Left = Stream.readInt32();
    r.Top = Stream.readInt32();
    r.Right = Stream.readInt32();
    r.Bottom = Stream.readInt32();
    // Every size drawn, printed or buffered is made from it.
    if (!IsItemRectInBounds(r))
        throw EItemFormatError("item rectangle out of bounds");
    return r;
}

THitZone HitZoneIn(const TScreenRect &r, int X, int Y)
{
    // Tested in the order near edge, middle, far edge, so that on a box
    // narrower than 7 pixels the near edge wins.
    const auto near = [](int v, int at) { return at - 3 <= v && v <= at + 3; };
    THitZone z;
    if (near(X, r.Left))
        z.x = THitZoneX::Left;
    else if (near(X, r.Left + (r.Right - r.Left) / 2))
        z.x = THitZoneX::Middle;
    else if (near(X, r.Right - 1))
        z.x = THitZoneX::Right;
    if (near(Y, r.Top))
        z.y = THitZoneY::Top;
    else if (near(Y, r.Top + (r.Bottom - r.Top) / 2))
        z.y = THitZoneY::Middle;
    else if (near(Y, r.Bottom - 1))
        z.y = THitZoneY::Bottom;
    return z;
}

TItemCursor TDrawRect::GetCursor(int X, int Y) const
{
    return CursorForZone(HitZone(X, Y), PtInRect(X, Y));
}

TItemCursor CursorForZone(THitZone z, bool Inside)
{
    switch (z.x) {
    case THitZoneX::Left:
        if (z.y == THitZoneY::Top)
            return TItemCursor::SizeNWSE;
        if (z.y == THitZoneY::Bottom)
            return TItemCursor::SizeNESW;
        if (z.y == THitZoneY::Middle)
            return TItemCursor::SizeWE;
        break;
    case THitZoneX::Right:
        if (z.y == THitZoneY::Top)
            return TItemCursor::SizeNESW;
        if (z.y == THitZoneY::Bottom)
            return TItemCursor::SizeNWSE;
        if (z.y == THitZoneY::Middle)
            return TItemCursor::SizeWE;
        break;
    case THitZoneX::Middle:
        if (z.y == THitZoneY::Top || z.y == THitZoneY::Bottom)
            return TItemCursor::SizeNS;
        break;
    case THitZoneX::None:
        break;
    }
    return Inside ? TItemCursor::Move : TItemCursor::Default;
}

QString NormalizeNameSpace(const QString &Name)
{
    if (Name.isEmpty())
        return {};
    QString s = Name;
    const qsizetype wide = s.indexOf(QChar(0x3000));
    if (wide >= 0)
        s[wide] = QLatin1Char(' ');
    const qsizetype p = s.indexOf(QLatin1Char(' '));
    if (p < 0)
        return QLatin1Char(' ') + s;
    qsizetype q = p + 1;
    while (q < s.size() && (s[q] == QLatin1Char(' ') || s[q] == QChar(0x3000)))
        ++q;
    return s.left(p) + QLatin1Char(' ') + s.mid(q);
}
