#include "StreamBytes.h"
#include "TextItemSupport.h"
#include "items/SenderRect.h"

#include <gtest/gtest.h>

namespace {

// A block of 225 x 225 at the origin: the grid of 205 maps one to one
// inside the 10-unit margin.
void square(TSenderRect &Block)
{
    Block.SetReferenceDevice(screenFixed());
    Block.SetRect({0, 0, 225, 225});
    Block.ResetChildRect(-1);
    Block.Rebuild(true);
}

TEST(SenderRectTest, newBlockShowsThePrivateSetAndDefaultPlacesFollowTheWriting)
{
    TSenderRect block;
    EXPECT_TRUE(block.IsPrivate());
    EXPECT_TRUE(block.IsWholeBlock());
    EXPECT_EQ(block.ShownItems(), block.PrivateItems());
    EXPECT_EQ(block.PrivatePlaces()[0], TPageRect{});
    block.ResetChildRect(-1);
    EXPECT_EQ(block.PrivatePlaces()[0], (TPageRect{107, 0, 205, 20}));
    EXPECT_EQ(block.PrivatePlaces()[4], (TPageRect{0, 61, 28, 205}));
    EXPECT_EQ(block.CorpPlaces()[12], (TPageRect{0, 61, 20, 205}));
    block.SetHorizontal(true);
    block.ResetChildRect(-1);
    EXPECT_EQ(block.PrivatePlaces()[0], (TPageRect{0, 0, 86, 20}));
    EXPECT_EQ(block.CorpPlaces()[8], (TPageRect{42, 115, 192, 147}));
}

TEST(SenderRectTest, childrenCarryTheSenderAndBlockFlagsAndCompanyAdditionKinds)
{
    TSenderRect block;
    EXPECT_TRUE(block.PosRect().IsSender());
    EXPECT_TRUE(block.PosRect().IsInBlock());
    EXPECT_FALSE(block.CorpLine().IsSender());
    EXPECT_TRUE(block.Post().IsSender());
    EXPECT_EQ(block.GetCorpAddition(0)->GetAddKind(), 19);
    EXPECT_EQ(block.GetCorpAddition(3)->GetAddKind(), 22);
    EXPECT_EQ(block.GetPrivateAddition(1)->GetAddKind(), 0);
    EXPECT_EQ(block.GetCorpAddition(4), nullptr);
}

TEST(SenderRectTest, layoutScalesThePlacesIntoTheBoxAndSkipsHiddenAdditions)
{
    TSenderRect block;
    block.SetPrivateAdditionVisible(0, false);
    square(block);
    EXPECT_EQ(block.PosRect().GetRect(), (TPageRect{117, 10, 215, 30}));
    EXPECT_EQ(block.GetPrivateAddition(0)->GetRect(), TPageRect{}); // never placed
    EXPECT_EQ(block.GetPrivateAddition(1)->GetRect(), (TPageRect{10, 71, 38, 215}));
    EXPECT_EQ(block.ShownItems().size(), 4);
    block.SetRect({0, 0, 430, 225}); // twice as wide
    block.Rebuild(false);
    EXPECT_EQ(block.PosRect().GetRect(), (TPageRect{224, 10, 420, 30}));
}

TEST(SenderRectTest, turningTwiceRestoresEveryPlace)
{
    TSenderRect block;
    block.ResetChildRect(-1);
    const auto privatePlaces = block.PrivatePlaces();
    const auto corpPlaces = block.CorpPlaces();
    block.SetRotate180(true);
    EXPECT_EQ(block.PrivatePlaces()[0], (TPageRect{0, 185, 98, 205}));
    EXPECT_TRUE(block.GetCorpAddition(2)->IsRotate180());
    block.SetRotate180(false);
    EXPECT_EQ(block.PrivatePlaces(), privatePlaces);
    EXPECT_EQ(block.CorpPlaces(), corpPlaces);
}

TEST(SenderRectTest, assigningATurnedBlockKeepsItsPlacesAndTurnsEveryChild)
{
    TSenderRect a, b;
    a.ResetChildRect(-1);
    a.SetRotate180(true);
    a.SetSenderTitle(QStringLiteral("自宅"));
    a.SetPrivate(false);
    a.SetPostVisible(false);
    b.Assign(a);
    EXPECT_EQ(b.PrivatePlaces(), a.PrivatePlaces());
    EXPECT_EQ(b.CorpPlaces(), a.CorpPlaces());
    for (TMetaRect *c : b.PrivateItems() + b.CorpItems())
        EXPECT_TRUE(c->IsRotate180());
    EXPECT_EQ(b.GetSenderTitle(), QStringLiteral("自宅"));
    EXPECT_FALSE(b.IsPrivate());
    EXPECT_FALSE(b.GetPostVisible());
    EXPECT_EQ(b.ShownItems().size(), 12);
}

TEST(SenderRectTest, childModeSelectsTheFirstShownChildHitAndMovesItToTheFront)
{
    TSenderRect block;
    square(block);
    block.SetWholeBlock(false);
    // The name (56..131) and addition 1 (24..52) do not overlap; the name and
    // the address (136..200) neither; put addition 1 over the name.
    TMetaRect *name = block.PrivateItems()[2];
    TMetaRect *addition = block.PrivateItems()[3];
    ASSERT_TRUE(block.PtInRect(100, 100));
    EXPECT_EQ(block.Selected(), name);
    EXPECT_EQ(block.ShownItems().first(), name);
    EXPECT_EQ(block.GetRect(), name->GetRect());
    addition->SetRect(name->GetRect());
    ASSERT_TRUE(block.PtInRect(100, 100));
    EXPECT_EQ(block.Selected(), name); // first in the shown list
    EXPECT_FALSE(block.PtInRect(1000, 1000));
    EXPECT_EQ(block.Selected(), nullptr);
    EXPECT_EQ(block.GetCursor(1000, 1000), TItemCursor::Default);
    EXPECT_EQ(block.HitZone(1000, 1000), THitZone{});
}

TEST(SenderRectTest, movingAChildFitsTheBlockToTheChildrenAndRescalesThePlaces)
{
    TSenderRect block;
    block.SetHorizontal(true);
    square(block);
    block.SetWholeBlock(false);
    ASSERT_TRUE(block.PtInRect(12, 12)); // the postcode at (10, 10, 96, 30)
    block.SetRect({-90, 10, -4, 30});    // 100 to the left
    EXPECT_EQ(block.GetBlockRect(), (TPageRect{-100, 0, 225, 225}));
    // The union is 305 wide: the postcode's place is 0..58 of 205.
    EXPECT_EQ(block.PrivatePlaces()[0], (TPageRect{0, 0, 58, 20}));
    EXPECT_TRUE(block.IsLayoutValid());
}

TEST(SenderRectTest, visibilityChangesEditTheShownListAndResetThePlace)
{
    TSenderRect block;
    block.SetPrivate(false);
    EXPECT_EQ(block.ShownItems().size(), 13);
    block.SetDptmntVisible(1, false);
    EXPECT_EQ(block.ShownItems().size(), 12);
    block.SetDptmntVisible(2, false); // outside the range: nothing
    block.SetDptmntVisible(1, true);
    EXPECT_EQ(block.ShownItems().last(), block.GetDptmntRect(1));
    EXPECT_EQ(block.CorpPlaces()[6], (TPageRect{94, 41, 115, 195}));
}

TEST(SenderRectTest, streamRoundTripsInTheNewestForm)
{
    TSenderRect block;
    block.ResetChildRect(-1);
    block.SetSenderTitle(QStringLiteral("会社"));
    block.GetPrivateAddition(0)->SetContent(QStringLiteral("電話"));
    block.SetCorpAdditionVisible(3, false);
    block.SetRotate180(true);
    block.SetRect({1, 2, 300, 400});
    TItemWriter w;
    block.SaveToStream(w);
    TSenderRect back;
    TItemReader r(w.bytes(), {});
    back.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(back.GetBlockRect(), (TPageRect{1, 2, 300, 400}));
    EXPECT_EQ(back.GetSenderTitle(), QStringLiteral("会社"));
    EXPECT_EQ(back.GetPrivateAddition(0)->GetContent(), QStringLiteral("電話"));
    EXPECT_FALSE(back.GetCorpAdditionVisible(3));
    EXPECT_EQ(back.PrivatePlaces(), block.PrivatePlaces());
    EXPECT_EQ(back.CorpPlaces(), block.CorpPlaces());
    EXPECT_TRUE(back.GetRotate180());
    TItemWriter again;
    back.SaveToStream(again);
    EXPECT_TRUE(sameBytes(again.bytes(), w.bytes()));
    // base 17 + title + 2 + 13 + kinds (2 labels of kind 0) + places 18 x 16 + font + 1 + 1 + 1 + 4 + frame 13 + 1
    EXPECT_EQ(w.bytes().size(), 17 + (4 + 4) + 15 + (1 + 4 + 4) + (1 + 4) + 4 + 288 + (4 + 4 + 9 + 4 + 4 + 4) + 7
                                    + 13 + 1);
}

// Undo puts a block back by reading its stream into it, while the user may
// be editing one of its children: the stored rectangle is the block's.
TEST(SenderRectTest, readingIntoABlockWhoseChildIsSelectedTakesTheBlockRectangle)
{
    TSenderRect source;
    source.ResetChildRect(-1);
    source.SetRect({1, 2, 300, 400});
    TItemWriter w;
    source.SaveToStream(w);

    TSenderRect block;
    square(block);
    block.SetWholeBlock(false);
    ASSERT_TRUE(block.PtInRect(100, 100));
    TItemReader r(w.bytes(), {});
    block.LoadFromStream(r);
    EXPECT_EQ(block.GetBlockRect(), (TPageRect{1, 2, 300, 400}));
    EXPECT_TRUE(block.IsWholeBlock());
    TItemWriter again;
    block.SaveToStream(again);
    EXPECT_TRUE(sameBytes(again.bytes(), w.bytes()));
}

TEST(SenderRectTest, version200FileTakesCorpPlacesFromTheTableAndAByteSelection)
{
    TItemWriter w;
    for (qint32 v : {0, 0, 225, 225})
        w.writeInt32(v);
    w.writeXorString(u"");
    for (int i = 0; i < 5; ++i)
        for (qint32 v : {1, 2, 3, 4})
            w.writeInt32(v);
    w.writeInt32(128);
    w.writeXorString(u"ＭＳ 明朝");
    w.writeInt32(10);
    w.writeInt32(0);
    w.writeInt32(0);
    w.writeBytes(hexBytes("01 00 09")); // horizontal, child mode, selection 9 (beyond the five)
    w.writeBytes(hexBytes("00 00 00 00 00 00000000 00000000"));
    w.writeBytes(hexBytes("01")); // upside down
    TSenderRect block;
    TItemReader r(w.bytes(), {200});
    block.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(block.CorpPlaces(), TSenderRect::DefaultCorpPlaces(true));
    EXPECT_EQ(block.PrivatePlaces()[4], (TPageRect{1, 2, 3, 4}));
    EXPECT_EQ(block.Selected(), nullptr);
    EXPECT_FALSE(block.IsWholeBlock());
    EXPECT_TRUE(block.GetHorizontal());
    EXPECT_TRUE(block.GetRotate180());
    EXPECT_TRUE(block.IsPrivate());
}

TEST(SenderRectTest, truncatedStreamIsRefused)
{
    TSenderRect block;
    TItemWriter w;
    block.SaveToStream(w);
    const QByteArray shortBytes = w.bytes().left(w.bytes().size() - 3);
    TItemReader r(shortBytes, {});
    TSenderRect other;
    EXPECT_THROW(other.LoadFromStream(r), EItemFormatError);
}

} // namespace
