#include "StreamBytes.h"
#include "TestItems.h"
#include "support/RowName.h"
#include "items/Units.h"

#include <gtest/gtest.h>

namespace {

// ---- Rectangles and zoom ---------------------------------------------------

TEST(DrawRectTest, zoomRoundsScreenCoordinatesHalfAwayFromZero)
{
    TPlainItem item;
    item.SetZoom(1.5);
    item.SetRect({-3, 1, 21, 21});
    EXPECT_EQ(item.GetDispRect(), (TScreenRect{-5, 2, 32, 32})); // -4.5 -> -5, 1.5 -> 2, 31.5 -> 32
}

TEST(DrawRectTest, zoomOfTwoDoublesAndDispRectDividesBack)
{
    TPlainItem item;
    item.SetRect({10, 10, 21, 21});
    item.SetZoom(2);
    EXPECT_EQ(item.GetDispRect(), (TScreenRect{20, 20, 42, 42}));
    item.SetDispRect({21, 21, 43, 43});
    EXPECT_EQ(item.GetRect(), (TPageRect{11, 11, 22, 22})); // 10.5 and 21.5 round away from zero
}

TEST(DrawRectTest, zoomOfZeroKeepsTheScreenRectangle)
{
    TPlainItem item;
    item.SetRect({10, 10, 20, 20});
    item.SetZoom(0);
    EXPECT_EQ(item.GetDispRect(), (TScreenRect{10, 10, 20, 20}));
    item.SetDispRect({1, 1, 2, 2});
    EXPECT_EQ(item.GetRect(), (TPageRect{10, 10, 20, 20}));
}

TEST(DrawRectTest, assignTakesRectangleAndVisibility)
{
    TPlainItem a, b;
    a.SetRect({1, 2, 3, 4});
    a.SetVisible(false);
    b.SetZoom(2);
    b.Assign(a);
    EXPECT_EQ(b.GetRect(), a.GetRect());
    EXPECT_EQ(b.GetDispRect(), (TScreenRect{2, 4, 6, 8}));
    EXPECT_FALSE(b.IsVisible());
}

// ---- Printer rectangle -------------------------------------------------------

TEST(DrawRectTest, printRectScalesToPrinterDotsAndAddsTheCorrection)
{
    TPlainItem item;
    item.SetRect({96, 48, 192, 144});
    TPrinterGeometry printer{{600, 300}, 50, 40};
    item.CalcPrintRect({TTenthMm(254), TTenthMm(-127)}, printer, true);
    // left 600 + 600, top 150 - 150 (-0.5 inch rounds to -150), 600 x 300 dots.
    EXPECT_EQ(item.GetPrintRect(), (TDotRect{1200, 0, 1800, 300}));
}

TEST(DrawRectTest, printRectCountsFromThePaperEdgeUnlessAskedNot)
{
    TPlainItem item;
    item.SetRect({96, 96, 192, 192});
    TPrinterGeometry printer{{600, 600}, 50, 40};
    item.CalcPrintRect({}, printer, false);
    EXPECT_EQ(item.GetPrintRect(), (TDotRect{550, 560, 1150, 1160}));
}

TEST(DrawRectTest, printRectWidthIsRoundedOnItsOwn)
{
    TPlainItem item;
    item.SetRect({1, 0, 2, 1}); // one page pixel at 100 dpi: 1.04 dots each
    item.CalcPrintRect({}, {{100, 100}, 0, 0}, true);
    EXPECT_EQ(item.GetPrintRect(), (TDotRect{1, 0, 2, 1}));
}

// ---- Hit zones and cursors ---------------------------------------------------

struct HitCase {
    const char *name;
    TScreenRect rect;
    int x, y;
    THitZoneX zx;
    THitZoneY zy;
    TItemCursor cursor;
};

class HitTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(HitTest, givesZoneAndCursor)
{
    const HitCase &c = GetParam();
    TPlainItem item;
    item.SetRect({c.rect.Left, c.rect.Top, c.rect.Right, c.rect.Bottom});
    EXPECT_EQ(item.HitZone(c.x, c.y), (THitZone{c.zx, c.zy}));
    EXPECT_EQ(item.GetCursor(c.x, c.y), c.cursor);
}

const TScreenRect kBox{100, 100, 200, 160};

INSTANTIATE_TEST_SUITE_P(
    Cases, HitTest,
    ::testing::Values(
        HitCase{"centreMoves", kBox, 150, 130, THitZoneX::Middle, THitZoneY::Middle, TItemCursor::Move},
        HitCase{"topLeftCorner", kBox, 97, 103, THitZoneX::Left, THitZoneY::Top, TItemCursor::SizeNWSE},
        HitCase{"bottomLeftCorner", kBox, 100, 159, THitZoneX::Left, THitZoneY::Bottom, TItemCursor::SizeNESW},
        HitCase{"topRightCorner", kBox, 199, 100, THitZoneX::Right, THitZoneY::Top, TItemCursor::SizeNESW},
        HitCase{"bottomRightCorner", kBox, 202, 162, THitZoneX::Right, THitZoneY::Bottom, TItemCursor::SizeNWSE},
        HitCase{"outsideLeftAtMidHeight", kBox, 97, 130, THitZoneX::Left, THitZoneY::Middle, TItemCursor::SizeWE},
        HitCase{"bottomMiddle", kBox, 150, 158, THitZoneX::Middle, THitZoneY::Bottom, TItemCursor::SizeNS},
        // On the right edge itself: the right-edge zone, but outside the item.
        HitCase{"onRightEdge", kBox, 200, 120, THitZoneX::Right, THitZoneY::None, TItemCursor::Default},
        HitCase{"insideNoHandle", kBox, 120, 120, THitZoneX::None, THitZoneY::None, TItemCursor::Move},
        HitCase{"farOutside", kBox, 10, 10, THitZoneX::None, THitZoneY::None, TItemCursor::Default},
        // Narrower than 7 pixels: the left edge is tested first and wins.
        HitCase{"narrowLeftWins", TScreenRect{100, 100, 105, 160}, 102, 130, THitZoneX::Left, THitZoneY::Middle,
                TItemCursor::SizeWE}),
    rowName);

TEST(DrawRectTest, zoneCodeHasXInLowByteAndYInHighByte)
{
    EXPECT_EQ((THitZone{THitZoneX::Right, THitZoneY::Bottom}.code()), 0x0301);
}

// ---- Base record -------------------------------------------------------------

struct BaseRecordCase {
    const char *name;
    qint32 version;
    const char *hex;
    TPageRect rect;
    bool visible;
};

class BaseRecordTest : public ::testing::TestWithParam<BaseRecordCase> {};

TEST_P(BaseRecordTest, readsTheRecordAndStopsWhereItEnds)
{
    const BaseRecordCase &c = GetParam();
    const QByteArray bytes = hexBytes(c.hex) + QByteArray("\x55", 1); // the next field of the item
    TItemReader r(bytes, {c.version});
    TPlainItem item;
    item.LoadFromStream(r);
    EXPECT_EQ(item.GetRect(), c.rect);
    EXPECT_EQ(item.IsVisible(), c.visible);
    EXPECT_EQ(r.readByte(), 0x55);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, BaseRecordTest,
    ::testing::Values(
        // Version 200 has no visibility byte: the item is shown.
        BaseRecordCase{"v200", 200, "0A000000 14000000 6E000000 C8000000", {10, 20, 110, 200}, true},
        BaseRecordCase{"v201Hidden", 201, "0A000000 14000000 6E000000 C8000000 00", {10, 20, 110, 200}, false},
        BaseRecordCase{"v201Shown", 201, "F6FFFFFF 00000000 01000000 02000000 01", {-10, 0, 1, 2}, true},
        BaseRecordCase{"v600", 600, "00000000 00000000 00000000 00000000 01", {}, true}),
    rowName);

TEST(DrawRectTest, writesTheCurrentBaseRecord)
{
    TPlainItem item;
    item.SetRect({-10, 0, 1, 2});
    item.SetVisible(false);
    TItemWriter w;
    item.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), hexBytes("F6FFFFFF 00000000 01000000 02000000 00")));
}

TEST(DrawRectTest, oldRecordWrittenAgainGainsTheVisibilityByte)
{
    const QByteArray old = hexBytes("0A000000 14000000 6E000000 C8000000");
    TItemReader r(old, {200});
    TPlainItem item;
    item.LoadFromStream(r);
    TItemWriter w;
    item.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), old + QByteArray("\x01", 1)));
}

TEST(DrawRectTest, currentRecordRoundTripsByteForByte)
{
    const QByteArray bytes = hexBytes("0A000000 14000000 6E000000 C8000000 00");
    TItemReader r(bytes, {});
    TPlainItem item;
    item.LoadFromStream(r);
    TItemWriter w;
    item.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), bytes));
}

TEST(DrawRectTest, truncatedRecordIsAFormatErrorAndLeavesTheItem)
{
    const QByteArray bytes = hexBytes("0A000000 14000000 6E000000 C8000000");
    TItemReader r(bytes, {600}); // the visibility byte is missing
    TPlainItem item;
    item.SetRect({1, 1, 2, 2});
    EXPECT_THROW(item.LoadFromStream(r), EItemFormatError);
    EXPECT_EQ(item.GetRect(), (TPageRect{1, 1, 2, 2}));
}

// A stored rectangle is held within one largest paper of the origin and
// never turned inside out; the limit is tested on both sides.
struct StoredRectCase {
    const char *name;
    TPageRect rect;
    bool taken;
};

class StoredRectTest : public ::testing::TestWithParam<StoredRectCase> {};

TEST_P(StoredRectTest, takesOnlyARectangleWithinTheLargestPaper)
{
    const StoredRectCase &c = GetParam();
    TItemWriter w;
    TPlainItem written;
    written.SetRect(c.rect);
    written.SaveToStream(w);
    TItemReader r(w.bytes(), {});
    TPlainItem item;
    item.SetRect({1, 1, 2, 2});
    if (c.taken) {
        item.LoadFromStream(r);
        EXPECT_EQ(item.GetRect(), c.rect);
    } else {
        EXPECT_THROW(item.LoadFromStream(r), EItemFormatError);
        EXPECT_EQ(item.GetRect(), (TPageRect{1, 1, 2, 2}));
    }
}

constexpr qint32 kMax = MaxPaperPagePx;

INSTANTIATE_TEST_SUITE_P(
    Bounds, StoredRectTest,
    ::testing::Values(StoredRectCase{"largestPaper", {0, 0, kMax, kMax}, true},
                      StoredRectCase{"beyondTheRight", {0, 0, kMax + 1, 10}, false},
                      StoredRectCase{"beyondTheBottom", {0, 0, 10, kMax + 1}, false},
                      StoredRectCase{"farthestLeftAndTop", {-kMax, -kMax, 0, 0}, true},
                      StoredRectCase{"beyondTheLeft", {-kMax - 1, 0, 0, 10}, false},
                      StoredRectCase{"beyondTheTop", {0, -kMax - 1, 10, 0}, false},
                      StoredRectCase{"noWidth", {5, 5, 5, 9}, true},
                      StoredRectCase{"rightLeftOfLeft", {5, 5, 4, 9}, false},
                      StoredRectCase{"bottomAboveTop", {5, 5, 9, 4}, false},
                      StoredRectCase{"hugeFromAFuzzedFile", {0, 0, 0x7FFF0000, 0x7FFF0000}, false}),
    rowName);

// ---- Name separator ----------------------------------------------------------

struct NameCase {
    const char *name;
    const char16_t *in;
    const char16_t *out;
};

class NormalizeNameSpaceTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(NormalizeNameSpaceTest, leavesOneHalfWidthSpace)
{
    EXPECT_EQ(NormalizeNameSpace(QString::fromUtf16(GetParam().in)), QString::fromUtf16(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(Cases, NormalizeNameSpaceTest,
                         ::testing::Values(NameCase{"oneWideSpace", u"山田　太郎", u"山田 太郎"},
                                           NameCase{"twoWideSpaces", u"山田　　太郎", u"山田 太郎"},
                                           NameCase{"mixedSpaces", u"山田 　 太郎", u"山田 太郎"},
                                           NameCase{"givenNameAlone", u"花子", u" 花子"},
                                           NameCase{"empty", u"", u""},
                                           // Only the first separator moves; a later space stays.
                                           NameCase{"laterSpaceKept", u"山田 太郎 二世", u"山田 太郎 二世"}),
                         rowName);

} // namespace

// Screen pixels (96 to the inch) to device dots, halves away from zero on
// both sides of the origin, as an item's frame and its recording both ask.
TEST(PageToDotsTest, roundsHalvesAwayFromZero)
{
    struct TCase {
        qint32 px;
        int dpi;
        qint32 dots;
    };
    const TCase cases[] = {{0, 300, 0},       {96, 300, 300},    {1, 48, 1},       {-1, 48, -1},
                           {1, 47, 0},        {-1, 47, 0},       {5, 48, 3},       {-5, 48, -3},
                           {1, 144, 2},       {-1, 144, -2},     {7, 300, 22},     {-7, 300, -22},
                           {1000000, 1200, 12500000},            {-1000000, 1200, -12500000}};
    for (const TCase &c : cases)
        EXPECT_EQ(PageToDots(TPagePx(c.px), c.dpi), c.dots) << c.px << " px at " << c.dpi << " dpi";
}
