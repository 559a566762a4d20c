#pragma once

#include <QRect>
#include <QtGlobal>

// Lengths of the printable items, each in its own type so that a page pixel
// is never passed where a tenth of a millimetre or a printer dot is meant:
// - page pixels: 96 per inch with the page at zoom 1 (item rectangles);
// - tenths of a millimetre: 254 per inch (paper sizes, print offsets);
// - device dots: pixels of a device at its own resolution (printer pages,
//   recordings, screen rectangles at a zoom).
// Conversions round halves away from zero, with the integer product formed
// before the division, as the stored layouts were computed.

struct TPagePx {
    qint32 value = 0;
    constexpr TPagePx() = default;
    constexpr explicit TPagePx(qint32 v) : value(v) {}
    constexpr bool operator==(const TPagePx &) const = default;
};

// The room a text item leaves between its frame and its text on each side,
// on every paper and at every size of its text.
inline constexpr TPagePx TextItemMargin{4};

struct TTenthMm {
    qint32 value = 0;
    constexpr TTenthMm() = default;
    constexpr explicit TTenthMm(qint32 v) : value(v) {}
    constexpr bool operator==(const TTenthMm &) const = default;
};

// Resolution of a device in dots per inch, across and down.
struct TDeviceDpi {
    int x = 96;
    int y = 96;
    constexpr bool operator==(const TDeviceDpi &) const = default;
};

// Page pixels to device dots: Round(v * dpi / 96).
[[nodiscard]] qint32 PageToDots(TPagePx v, int dpi);
// Tenths of a millimetre to device dots: Round(v / 254 * dpi).
[[nodiscard]] qint32 TenthMmToDots(TTenthMm v, int dpi);

// The longest side of any paper the program prints (594 mm, the paper
// dialogs' limit), and that length in page pixels (rounded up). Lengths and
// positions read from files are held within them before any geometry, image
// or page is made from them.
inline constexpr qint32 MaxPaperTenthMm = 5940;
inline constexpr qint32 MaxPaperPagePx = 2245;

// A rectangle as the layouts store it: left and top inside, right and bottom
// just outside (width = Right - Left). The unit is named by the alias.
template<class Unit>
struct TLtrbRect {
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Right = 0;
    qint32 Bottom = 0;

    constexpr qint32 width() const { return Right - Left; }
    constexpr qint32 height() const { return Bottom - Top; }
    constexpr bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool operator==(const TLtrbRect &) const = default;
};

struct TPageUnit;
struct TScreenUnit;
struct TDotUnit;
using TPageRect = TLtrbRect<TPageUnit>;     // 96-dpi page pixels
using TScreenRect = TLtrbRect<TScreenUnit>; // screen pixels at the editor's zoom
using TDotRect = TLtrbRect<TDotUnit>;       // printer (or recording) dots

// The same pixels as Qt holds a rectangle, and a page rectangle back.
template<class Unit>
[[nodiscard]] inline QRect ToQRect(const TLtrbRect<Unit> &R)
{
    return QRect(R.Left, R.Top, R.width(), R.height());
}
[[nodiscard]] inline TPageRect PageRectOf(const QRect &R)
{
    return {R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
}

// An offset on paper in tenths of a millimetre.
struct TTenthMmPoint {
    TTenthMm x;
    TTenthMm y;
};
