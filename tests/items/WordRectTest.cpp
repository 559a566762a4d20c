#include "StreamBytes.h"
#include "TextItemSupport.h"
#include "items/WordRect.h"

#include <gtest/gtest.h>

namespace {

// The fixed metrics: a full-width character and a line are one em.
struct Drawn {
    QString text;
    QPoint origin;
    int height;
};

QList<Drawn> drawn(const TWordRect &Item)
{
    QList<Drawn> out;
    for (const TTextOp *op : textOps(Item))
        out.append({op->Text, op->Origin, std::abs(op->Font.Height)});
    return out;
}

void setLines(TWordRect &Item, const QStringList &Lines)
{
    Item.SetLineCount(int(Lines.size()));
    for (int i = 0; i < Lines.size(); ++i)
        Item.SetLine(i, Lines.at(i));
}

TWordRect &horizontal(TWordRect &Item)
{
    Item.SetHorizontal(true);
    return Item;
}

TEST(WordRectTest, fittedLineShrinksToTheBoxAndAlignsRightAtTheTop)
{
    TWordRect item;
    horizontal(item);
    setLines(item, {QStringLiteral("一二三")});
    layOut(item, {0, 0, 100, 40});
    const auto d = drawn(item);
    ASSERT_EQ(d.size(), 1);
    // S = 32 gives 32; three characters of 32 exceed L = 92: 32 x 92 / 96 = 30.
    EXPECT_EQ(d[0].height, 30);
    EXPECT_EQ(d[0].origin, QPoint(4 + 92 - 90, 4));
}

TEST(WordRectTest, unspecifiedSpacingSpreadsTheLinesOverTheBox)
{
    TWordRect item;
    horizontal(item);
    item.SetFontSizeIndex(1); // 7 pt: 9 pixels at 96 dpi
    item.SetAlignment(2);
    setLines(item, {QStringLiteral("一"), QStringLiteral("二")});
    layOut(item, {0, 0, 100, 60});
    const auto d = drawn(item);
    ASSERT_EQ(d.size(), 2);
    EXPECT_EQ(d[0].origin, QPoint(4, 4));
    EXPECT_EQ(d[1].origin, QPoint(4, 4 + 52 - 9)); // the last line ends at the end of S
}

TEST(WordRectTest, fixedSizeTallerThanTheBoxDrawsNoText)
{
    TWordRect item;
    horizontal(item);
    item.SetFontSizeIndex(4); // 10 pt: 13 pixels, box leaves 8
    setLines(item, {QStringLiteral("一")});
    layOut(item, {0, 0, 100, 16});
    EXPECT_TRUE(drawn(item).isEmpty());
}

TEST(WordRectTest, fixedSizeWithoutWrapCutsTheTailAndWithWrapBreaks)
{
    TWordRect item;
    horizontal(item);
    item.SetFontSizeIndex(1);
    item.SetAlignment(2);
    item.SetLineSpace(1);
    setLines(item, {QStringLiteral("一二三四五六七八九十")});
    layOut(item, {0, 0, 50, 100}); // L = 42: four characters of 9
    auto d = drawn(item);
    ASSERT_EQ(d.size(), 1);
    EXPECT_EQ(d[0].text, QStringLiteral("一二三四"));
    item.SetWordWrap(true);
    item.Rebuild(false);
    d = drawn(item);
    ASSERT_EQ(d.size(), 3);
    EXPECT_EQ(d[1].text, QStringLiteral("五六七八"));
    EXPECT_EQ(d[2].text, QStringLiteral("九十"));
    EXPECT_EQ(d[2].origin, QPoint(4, 4 + 2 * 9));
}

TEST(WordRectTest, fittedWrapBreaksALongLineRatherThanShrinkingIt)
{
    TWordRect item;
    horizontal(item);
    item.SetWordWrap(true);
    item.SetAlignment(2);
    setLines(item, {QString(20, QChar(0x4E00))});
    layOut(item, {0, 0, 200, 40}); // L = 192, S = 32
    const auto d = drawn(item);
    ASSERT_EQ(d.size(), 2);
    EXPECT_EQ(d[0].height, 16);
    EXPECT_EQ(d[0].text.size(), 12);
    EXPECT_EQ(d[1].text.size(), 8);
}

TEST(WordRectTest, verticalColumnsStartAtTheRightOrEndAtTheLeft)
{
    TWordRect item;
    item.SetFontSizeIndex(1);
    item.SetLineSpace(1);
    setLines(item, {QStringLiteral("一"), QStringLiteral("二")});
    layOut(item, {0, 0, 40, 100}); // S = 32 across the columns
    auto d = drawn(item);
    ASSERT_EQ(d.size(), 2);
    EXPECT_EQ(d[0].origin, QPoint(4 + 32, 4));
    EXPECT_EQ(d[1].origin, QPoint(4 + 32 - 9, 4));
    item.SetAlignment(2);
    item.Rebuild(false);
    d = drawn(item);
    EXPECT_EQ(d[1].origin, QPoint(4 + 9, 4)); // the last column's left edge on the inner edge
    EXPECT_EQ(d[0].origin, QPoint(4 + 18, 4));
}

TEST(WordRectTest, rotate180MirrorsInTheWholeContentSize)
{
    TWordRect item;
    horizontal(item);
    item.SetFontSizeIndex(1);
    item.SetAlignment(2);
    item.SetRotate180(true);
    setLines(item, {QStringLiteral("一")});
    layOut(item, {0, 0, 100, 40});
    const auto d = drawn(item);
    ASSERT_EQ(d.size(), 1);
    EXPECT_EQ(d[0].origin, QPoint(100 - 4, 40 - 4));
}

TEST(WordRectTest, noLinesShowsOnlyTheFrame)
{
    TWordRect item;
    item.Frame().SetFrame(true);
    item.Frame().SetBack(true);
    layOut(item, {0, 0, 100, 40});
    EXPECT_TRUE(drawn(item).isEmpty());
    EXPECT_FALSE(item.GetMetafile().IsEmpty());
}

TEST(WordRectTest, frameChangeAndSettersInvalidateOnlyOnChange)
{
    TWordRect item;
    layOut(item, {0, 0, 100, 40});
    ASSERT_TRUE(item.IsValid());
    item.SetAlignment(0);
    item.SetLineCount(0);
    EXPECT_TRUE(item.IsValid());
    item.Frame().SetBackColor(0x123456);
    EXPECT_FALSE(item.IsValid());
}

TEST(WordRectTest, assignCopiesLinesSettingsAndFrame)
{
    TWordRect a, b;
    setLines(a, {QStringLiteral("x"), QStringLiteral("y")});
    a.SetAlignment(4);
    a.SetVHRatio(150);
    a.SetLineSpace(5);
    a.SetWordWrap(true);
    a.SetFontSizeIndex(3);
    a.Frame().SetFrame(true);
    b.Assign(a);
    EXPECT_EQ(b.Lines(), a.Lines());
    EXPECT_EQ(b.GetAlignment(), 4);
    EXPECT_EQ(b.GetVHRatio(), 150);
    EXPECT_EQ(b.GetLineSpace(), 5);
    EXPECT_TRUE(b.GetWordWrap());
    EXPECT_EQ(b.GetFontSizeIndex(), 3);
    EXPECT_TRUE(b.Frame().HasFrame());
}

QByteArray textItemHead(qint32 Version)
{
    QByteArray b = hexBytes(kItemRect);
    if (Version >= 201)
        b += hexBytes("01");
    b += hexBytes(kItemFont);
    if (Version >= 600)
        b += hexBytes("02000000");
    b += hexBytes("01"); // horizontal
    if (Version >= 200)
        b += hexBytes("00");
    return b;
}

const char *kFrame = "01 00 00 00 01 FF000000 00000000";

TEST(WordRectTest, writesTheVersion600FormAndReadsItBack)
{
    TWordRect item;
    TItemReader head(textItemHead(600) + hexBytes("00000000 64000000 00000000 00 00") + hexBytes(kFrame), {600});
    item.LoadFromStream(head);
    ASSERT_TRUE(head.atEnd());
    setLines(item, {QStringLiteral("あ")});
    item.SetAlignment(5);
    TItemWriter w;
    item.SaveToStream(w);
    TItemWriter lines;
    lines.writeInt32(1);
    lines.writeXorWideString(u"あ");
    EXPECT_TRUE(sameBytes(w.bytes(), textItemHead(600) + lines.bytes() + hexBytes("64000000 05000000 00 00")
                                         + hexBytes(kFrame)));
    TWordRect back;
    TItemReader r(w.bytes(), {600});
    back.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(back.Lines(), item.Lines());
    EXPECT_EQ(back.GetAlignment(), 5);
    EXPECT_EQ(back.GetFontSizeIndex(), 2);
}

TEST(WordRectTest, version500StoresShiftJisLinesAndTheSizeIndexAfterThem)
{
    TItemWriter body;
    body.writeInt32(1);
    body.writeXorString(u"漢字");
    body.writeInt32(7);                       // size index
    body.writeInt32(150);                     // width ratio
    body.writeBytes(hexBytes("03000000 01 04")); // alignment, wrap, spacing
    TWordRect item;
    TItemReader r(textItemHead(500) + body.bytes() + hexBytes(kFrame), {500});
    item.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(item.GetLine(0), QStringLiteral("漢字"));
    EXPECT_EQ(item.GetFontSizeIndex(), 7);
    EXPECT_EQ(item.GetVHRatio(), 150);
    EXPECT_TRUE(item.GetWordWrap());
    EXPECT_EQ(item.GetLineSpace(), 4);
}

TEST(WordRectTest, version150HasNeitherSizeIndexNorRatioNorSpacing)
{
    TItemWriter body;
    body.writeInt32(0);
    body.writeBytes(hexBytes("00000000 00"));
    TWordRect item;
    item.SetFontSizeIndex(5);
    TItemReader r(textItemHead(150) + body.bytes() + hexBytes(kFrame), {150});
    item.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(item.GetFontSizeIndex(), 0);
    EXPECT_EQ(item.GetVHRatio(), 100);
    EXPECT_EQ(item.GetLineSpace(), 3);
}

TEST(WordRectTest, aLineCountBeyondTheStreamIsRefused)
{
    TWordRect item;
    TItemReader r(textItemHead(600) + hexBytes("FFFFFF7F"), {600});
    EXPECT_THROW(item.LoadFromStream(r), EItemFormatError);
}

} // namespace
