#include "items/Units.h"

#include "util/SubUnit.h"

qint32 PageToDots(TPagePx v, int dpi)
{
    return static_cast<qint32>(RoundHalfAway(static_cast<long double>(qint64(v.value) * dpi) / 96.0L));
}

qint32 TenthMmToDots(TTenthMm v, int dpi)
{
    return static_cast<qint32>(RoundHalfAway(static_cast<long double>(v.value) / 254.0L * dpi));
}
