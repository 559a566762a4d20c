// The rules of where an inserted item may land, and of what a print run
// asks about round the bars, at their limits: the last pixel taken and the
// first refused.
#include "EditorsFixture.h"
#include "editors/ItemPlace.h"
#include "items/BarRect.h"
#include "items/FigureRect.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

namespace {

// A design page of Width x Height page pixels (no stamp, no frames) with
// figures without outline at Boxes.
TLayoutDocument pageWith(int Width, int Height, const QList<TPageRect> &Boxes)
{
    TLayoutDocument d;
    d.Kind = TLayoutKind::Design;
    d.Format.Width = int(std::lround(Width * 254.0 / 96));
    d.Format.Height = int(std::lround(Height * 254.0 / 96));
    for (const TPageRect &r : Boxes) {
        auto figure = std::make_unique<TFigureRect>();
        figure->SetFigureKind(TFigureRect::Rectangle);
        figure->SetFrame(false);
        figure->SetRect(r);
        d.Items.push_back(std::move(figure));
        d.ItemRoles.push_back(-1);
    }
    return d;
}

TEST(ItemPlace, aWholePieceKeepsFiveMillimetresFromItsEdges)
{
    const TLayoutDocument d = pageWith(400, 600, {});
    ASSERT_EQ(d.PiecePixels(), QSize(400, 600));
    EXPECT_EQ(PlaceableArea(d), (TPageRect{19, 19, 381, 581}));
}

// A label sheet whose margin is less than a printer's edge keeps the rest
// of that edge on every label; a wide margin leaves the 2 mm of the cut.
struct SheetCase {
    const char *name;
    int margin; // 0.1 mm
    int inset;  // page pixels
};

class LabelSheetEdge : public ::testing::TestWithParam<SheetCase>
{
};

TEST_P(LabelSheetEdge, keepsThePrintersEdgeOrTheCut)
{
    TLayoutDocument d;
    d.Kind = TLayoutKind::Label;
    d.Format = catalogueFormat(14, &d.Grid);
    d.Grid.LeftMargin = d.Grid.TopMargin = GetParam().margin;
    const QSize piece = d.PiecePixels();
    const TPageRect area = PlaceableArea(d);
    EXPECT_EQ(area.Left, GetParam().inset);
    EXPECT_EQ(area.Top, GetParam().inset);
    EXPECT_EQ(piece.width() - area.Right, GetParam().inset);
}

INSTANTIATE_TEST_SUITE_P(Margins, LabelSheetEdge,
                         ::testing::Values(SheetCase{"noMargin", 0, 19}, SheetCase{"oneMillimetre", 10, 15},
                                           SheetCase{"threeMillimetres", 30, 8}, SheetCase{"wide", 186, 8}),
                         rowName);

// Between two boxes 100 apart lies room for 84 (8 of blank each side).
TEST(ItemPlace, anItemTakesTheRoomBetweenTwoItemsToThePixel)
{
    const TLayoutDocument d = pageWith(300, 120, {{19, 19, 100, 101}, {200, 19, 281, 101}});
    const std::optional<TPageRect> fits = FreePlace(d, {84, 82});
    ASSERT_TRUE(fits);
    EXPECT_EQ(*fits, (TPageRect{108, 19, 192, 101}));
    EXPECT_FALSE(FreePlace(d, {85, 82}));
    EXPECT_FALSE(FreePlace(d, {84, 83})) << "the page's edge blank";
}

TEST(ItemPlace, anItemTooLargeIsMadeSmallerToTheRoomLeftProportionsKept)
{
    const TLayoutDocument d = pageWith(300, 120, {{19, 19, 100, 101}, {200, 19, 281, 101}});
    const std::optional<TPageRect> place = FreePlaceShrunk(d, {168, 100}, 15);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->width(), 84);
    EXPECT_EQ(place->height(), 50);
}

// The least size of its shorter side: taken where it is all the room
// there is, refused a pixel short of it.
TEST(ItemPlace, anItemIsMadeNoSmallerThanItsLeast)
{
    const TLayoutDocument room = pageWith(300, 120, {{19, 19, 100, 101}, {131, 19, 281, 101}});
    const std::optional<TPageRect> least = FreePlaceShrunk(room, {60, 60}, 15);
    ASSERT_TRUE(least);
    EXPECT_EQ(least->width(), 15);
    const TLayoutDocument tight = pageWith(300, 120, {{19, 19, 100, 101}, {130, 19, 281, 101}});
    EXPECT_FALSE(FreePlaceShrunk(tight, {60, 60}, 15));
}

// A figure's outline, drawn on the edge of its box, keeps the blank too.
TEST(ItemPlace, aFiguresOutlineKeepsTheBlank)
{
    TLayoutDocument d = pageWith(300, 120, {{19, 19, 100, 101}});
    auto &figure = static_cast<TFigureRect &>(*d.Items[0]);
    figure.SetFrame(true);
    figure.SetLineWidth(6);
    EXPECT_EQ(InkOutset(figure), 3);
    EXPECT_EQ(InkRect(figure), (TPageRect{16, 16, 103, 104}));
    const std::optional<TPageRect> place = FreePlace(d, {50, 50}, 3);
    ASSERT_TRUE(place);
    EXPECT_GE(place->Left - 3, 103 + 8);
}

// What the print run asks about: an item the user added within the 2 mm
// (8 pixels) round the bars, not one just outside them.
struct BarsCase {
    const char *name;
    int gap;    // between the item and the bars, page pixels
    bool asked;
};

class BarsBlank : public ::testing::TestWithParam<BarsCase>
{
};

TEST_P(BarsBlank, anAddedItemWithinTheBlankIsNamed)
{
    TLayoutDocument d;
    loadLayout(d, 2, TLayoutKind::AddressSide);
    ASSERT_TRUE(ItemsOverBars(d).isEmpty()) << "the frames where the set puts them";
    const TDrawRect *bars = nullptr;
    for (const auto &item : d.Items)
        if (item->GetKind() == TDrawRectKind::Barcode)
            bars = item.get();
    ASSERT_NE(bars, nullptr);
    const TPageRect b = bars->GetRect();
    // Left of the vertical bars of the 長形３号's face.
    auto figure = std::make_unique<TFigureRect>();
    figure->SetFigureKind(TFigureRect::Rectangle);
    figure->SetFrame(false);
    figure->SetRect({b.Left - GetParam().gap - 20, b.Top, b.Left - GetParam().gap, b.Top + 20});
    d.Items.push_back(std::move(figure));
    d.ItemRoles.push_back(-1);
    EXPECT_EQ(ItemsOverBars(d), GetParam().asked ? QList<int>{int(d.Items.size()) - 1} : QList<int>{});
}

INSTANTIATE_TEST_SUITE_P(Gaps, BarsBlank,
                         ::testing::Values(BarsCase{"onTheBars", -5, true}, BarsCase{"touching", 0, true},
                                           BarsCase{"justInsideTheBlank", 7, true},
                                           BarsCase{"justOutsideTheBlank", 8, false}),
                         rowName);

// A frame the user moved into the blank is asked about; the same frame
// where its set puts it is not.
TEST(BarsBlankFrames, aFrameMovedIntoTheBlankIsNamed)
{
    TLayoutDocument d;
    loadLayout(d, 2, TLayoutKind::AddressSide);
    int name = -1;
    const TDrawRect *bars = nullptr;
    for (size_t i = 0; i < d.Items.size(); ++i) {
        if (d.Items[i]->GetKind() == TDrawRectKind::RecipientName && d.OnPrintedSide(i))
            name = int(i);
        if (d.Items[i]->GetKind() == TDrawRectKind::Barcode)
            bars = d.Items[i].get();
    }
    ASSERT_GE(name, 0);
    ASSERT_NE(bars, nullptr);
    TDrawRect &frame = *d.Items[size_t(name)];
    const TPageRect r = frame.GetRect(), b = bars->GetRect();
    // The name stands right of the bars; moved to 7 pixels of them.
    const int dx = b.Right + 7 - r.Left;
    frame.SetRect({r.Left + dx, r.Top, r.Right + dx, r.Bottom});
    EXPECT_EQ(ItemsOverBars(d), QList<int>{name});
    EXPECT_EQ(ItemName(frame), QStringLiteral("氏名"));
}

} // namespace
