#pragma once

#include "items/ItemStream.h"
#include "items/Units.h"

#include <QString>
#include <Qt>

class QPainter;

// Kind codes of the printable items, the byte the layouts store with undo
// steps and by which the editors keep one item list per kind. The postcode,
// address and name items (and company lines, which share the name's codes)
// report the sender codes while they hold the sender's data.
enum class TDrawRectKind : quint8 {
    RecipientPostcode = 0,
    RecipientAddress = 1,
    RecipientName = 2,
    SenderPostcode = 4,
    SenderAddress = 5,
    SenderName = 6,
    Addition = 8,
    Barcode = 9,
    Illust = 10,
    Word = 11,
    Figure = 12,
    QRCode = 13,
    SenderBlock = 14,
};

// The frames of the sender's postcode, address and name (the sender block is
// an item of its own).
[[nodiscard]] constexpr bool IsSenderFrameKind(TDrawRectKind Kind)
{
    return Kind == TDrawRectKind::SenderPostcode || Kind == TDrawRectKind::SenderAddress ||
           Kind == TDrawRectKind::SenderName;
}

// The side of the clip line whose content is kept.
enum class TClipSide : quint8 { None = 0, Left = 1, Above = 2, Right = 3, Below = 4 };

// Zones of HitZone: where a point lies against the item's screen rectangle,
// with a tolerance of 3 pixels around each edge and the middle.
enum class THitZoneX : quint8 { Left = 0, Right = 1, Middle = 4, None = 5 };
enum class THitZoneY : quint8 { Top = 2, Bottom = 3, Middle = 4, None = 5 };

struct THitZone {
    THitZoneX x = THitZoneX::None;
    THitZoneY y = THitZoneY::None;
    // The zone pair as one word: low byte the horizontal zone, high byte the vertical one.
    quint16 code() const { return quint16(quint8(x) | (quint8(y) << 8)); }
    bool operator==(const THitZone &) const = default;
};

// The cursor an item asks for at a point of the editing canvas.
enum class TItemCursor : qint16 {
    Default = 0,
    SizeNESW = -6,
    SizeNS = -7,
    SizeNWSE = -8,
    SizeWE = -9,
    Move = -22,
};
Qt::CursorShape toCursorShape(TItemCursor Cursor);

// What CalcPrintRect needs of the selected printer: its logical resolution
// and the offset of its printable area from the paper's edge, in dots.
struct TPrinterGeometry {
    TDeviceDpi dpi{600, 600};
    qint32 physicalOffsetX = 0;
    qint32 physicalOffsetY = 0;
};

// The base of every printable item: its rectangle on the page (96-dpi page
// pixels), on screen at the editor's zoom and on the printer page, hit
// testing for on-screen editing, the kind code, and the base record of the
// item streams. A new item kind derives from it (text items from TMetaRect),
// reports its code from GetKind, draws through Draw and Print onto any
// QPainter, and appends its own stream fields after the base record.
class TDrawRect : public TStreamObject
{
public:
    TDrawRect() = default;
    ~TDrawRect() override = default;
    TDrawRect(const TDrawRect &) = delete;
    TDrawRect &operator=(const TDrawRect &) = delete;

    // Takes the rectangle (through this item's own SetRect) and visibility.
    virtual void Assign(const TDrawRect &Source);
    virtual void SetZoom(double Value);
    double GetZoom() const { return m_zoom; }
    virtual TPageRect GetRect() const { return m_rect; }
    virtual void SetRect(const TPageRect &R);
    virtual TScreenRect GetDispRect() const { return m_dispRect; }
    virtual void SetDispRect(const TScreenRect &R);
    TDotRect GetPrintRect() const { return m_printRect; }
    // The resolution PrintRect was computed for (the printer's).
    TDeviceDpi GetPrintDpi() const { return m_printDpi; }
    TClipSide GetClipSide() const { return m_clipSide; }
    virtual void SetClipSide(TClipSide Side);
    qint32 GetClipPos() const { return m_clipPos; }
    // A page coordinate: an x for the sides left and right, a y for above and below.
    virtual void SetClipPos(qint32 Pos);
    bool IsVisible() const { return m_visible; }
    void SetVisible(bool Value) { m_visible = Value; }

    [[nodiscard]] virtual TDrawRectKind GetKind() const = 0;
    // Draws on a screen canvas, the screen rectangle shifted by (X, Y).
    virtual void Draw(QPainter &Canvas, int X, int Y) = 0;
    // Draws on a printer canvas, the printer rectangle shifted by (X, Y).
    virtual void Print(QPainter &Canvas, int X, int Y) = 0;
    // Offset: the user's print position correction. Without NoPhysicalOffset
    // the rectangle counts from the paper's edge, not the printable area's.
    virtual void CalcPrintRect(TTenthMmPoint Offset, const TPrinterGeometry &Printer, bool NoPhysicalOffset);
    virtual void Rebuild(bool Force);

    // The base record: the rectangle as four int32 (left, top, right,
    // bottom), then from version 201 on the visibility byte.
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    // A sender block in child mode also selects the child hit.
    virtual bool PtInRect(int X, int Y) const;
    virtual THitZone HitZone(int X, int Y) const;
    // Items that cannot be resized ask for the default cursor everywhere.
    virtual TItemCursor GetCursor(int X, int Y) const;

protected:
    TPageRect m_rect;
    TScreenRect m_dispRect;
    TDotRect m_printRect;
    TDeviceDpi m_printDpi{96, 96};
    double m_zoom = 1.0;
    qint32 m_clipPos = 0;
    TClipSide m_clipSide = TClipSide::None;
    bool m_visible = true;
};

// A rectangle an item may hold and a file may store: right not left of
// left, bottom not above top, every side within one largest paper
// (MaxPaperPagePx) of the piece's origin either way.
[[nodiscard]] bool IsItemRectInBounds(const TPageRect &R);
// R moved, its size kept, as far as it takes to stand within those bounds
// (an item that sizes itself, as a QR code to its modules, grows from its
// place and may pass them).
[[nodiscard]] TPageRect MovedIntoItemBounds(TPageRect R);
// The one reader of a stored item rectangle (left, top, right, bottom as
// int32): a rectangle out of bounds is damage and throws EItemFormatError.
[[nodiscard]] TPageRect ReadItemRect(TItemReader &Stream);

// The edge zones of a screen rectangle (3 pixels around each edge and the
// middle), and the cursor a zone asks for; Inside: the point lies in the
// rectangle. Items with a second rectangle to drag (the picture's mask) use
// them on that rectangle.
[[nodiscard]] THitZone HitZoneIn(const TScreenRect &R, int X, int Y);
[[nodiscard]] TItemCursor CursorForZone(THitZone Zone, bool Inside);

// Makes the separator between family and given name one half-width space:
// the first full-width space becomes one, and the spaces of either width that
// follow it are dropped. A name without any space comes back with one
// half-width space in front (all given name).
QString NormalizeNameSpace(const QString &Name);
