#include "items/Units.h"

#include "util/SubUnit.h"

qint32 PageToDots(TPagePx v, int dpi)
{
    // Exact in integers, halves away from zero: every item of every piece
    // printed asks, several times.
    const qint64 n = qint64(v.value) * dpi;
    const qint64 whole = (2 * (n < 0 ? -n : n) + 96) / 192;
    return static_cast<qint32>(n < 0 ? -whole : whole);
}

qint32 TenthMmToDots(TTenthMm v, int dpi)
{
    return static_cast<qint32>(RoundHalfAway(static_cast<long double>(v.value) / 254.0L * dpi));
}
