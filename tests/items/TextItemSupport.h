#pragma once

#include "items/MetaRect.h"

#include <QList>

// Text items laid out with the fixed test metrics (full-width one em,
// half-width half an em, a line one em), so the layouts' arithmetic gives
// exact positions.
inline const TFixedTextMetrics &fixedMetrics()
{
    static const TFixedTextMetrics m;
    return m;
}

// Without a printer the recording is made at 96 dpi: page pixels are dots
// and the margins are 4.
inline TReferenceDevice screenFixed()
{
    return {&fixedMetrics(), nullptr, {96, 96}, false};
}

inline TReferenceDevice printerFixed(int Dpi)
{
    return {&fixedMetrics(), nullptr, {Dpi, Dpi}, true};
}

// Lays the item out at the postcard's size on the fixed metrics.
template<class Item>
void layOut(Item &I, const TPageRect &R, TReferenceDevice Device = screenFixed())
{
    I.SetReferenceDevice(Device);
    I.SetRect(R);
    I.RescaleFont(TTenthMm(BasePaperLongSide));
    I.Rebuild(true);
}

inline QList<const TTextOp *> textOps(const TMetaRect &I)
{
    return I.GetMetafile().TextOps();
}

// The text item's stream fields as the tests' fixtures write them: the base
// record (10, 20, 110, 200), the font (charset 128, "ＭＳ 明朝", 12 pt, bold,
// red), then the gated fields of each version.
inline const char *kItemRect = "0A000000 14000000 6E000000 C8000000";
inline const char *kItemFont = "80000000 09000000 7D937D8D DF 69416D56 0C000000 01000000 FF000000";
