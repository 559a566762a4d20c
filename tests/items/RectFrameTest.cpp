#include "StreamBytes.h"
#include "items/RectFrame.h"
#include "support/RowName.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TRectFrame frame(quint8 Lines, quint8 Corner, quint8 Width)
{
    TRectFrame f;
    f.SetFrame(true);
    f.SetLineCount(Lines);
    f.SetCorner(Corner);
    f.SetLineWidth(Width);
    return f;
}

struct DrawnFrame {
    QImage image;
    QRect inner;
};

DrawnFrame draw(const TRectFrame &F, const QRect &R, double Scale)
{
    DrawnFrame d{QImage(R.right() + 10, R.bottom() + 10, QImage::Format_RGB32), {}};
    d.image.fill(Qt::white);
    QPainter p(&d.image);
    F.Draw(p, R, d.inner, Scale);
    return d;
}

bool ink(const QImage &I, int X, int Y)
{
    return qGray(I.pixel(X, Y)) < 128;
}

TEST(RectFrameTest, thinnestLineAtASmallScaleDrawsOnePixelButInsetsNothing)
{
    const TRectFrame f = frame(0, 0, 0);
    const DrawnFrame d = draw(f, QRect(0, 0, 50, 30), 0.2);
    EXPECT_TRUE(ink(d.image, 0, 15));
    EXPECT_FALSE(ink(d.image, 1, 15));
    QRect inner;
    f.InnerRect(QRect(0, 0, 50, 30), inner, 0.2);
    EXPECT_EQ(inner, QRect(0, 0, 50, 30));
}

TEST(RectFrameTest, doubleThinLineDrawsTheInnerLineFourPixelsInside)
{
    const DrawnFrame d = draw(frame(1, 0, 0), QRect(0, 0, 60, 40), 1.0);
    // Outer pen 2 (x 0 and 1), the inner line of 1 at x 4.
    EXPECT_TRUE(ink(d.image, 0, 20));
    EXPECT_TRUE(ink(d.image, 1, 20));
    EXPECT_FALSE(ink(d.image, 2, 20));
    EXPECT_FALSE(ink(d.image, 3, 20));
    EXPECT_TRUE(ink(d.image, 4, 20));
    EXPECT_FALSE(ink(d.image, 5, 20));
    EXPECT_EQ(d.inner, QRect(0, 0, 60, 40).adjusted(5, 5, -5, -5));
}

TEST(RectFrameTest, doubleLineWithoutRoomInsideDrawsOnlyTheOuterLine)
{
    const DrawnFrame d = draw(frame(1, 0, 2), QRect(0, 0, 24, 24), 1.0);
    // Width 10 leaves 4 pixels in the middle; the inner line, 15 further in,
    // would have no area.
    EXPECT_TRUE(d.inner.isEmpty());
    EXPECT_TRUE(ink(d.image, 9, 12));
    EXPECT_FALSE(ink(d.image, 10, 12));
    EXPECT_FALSE(ink(d.image, 13, 12));
}

TEST(RectFrameTest, backgroundWithoutOutlineFillsTheWholeRectangle)
{
    TRectFrame f;
    f.SetBack(true);
    f.SetBackColor(0x000000);
    const DrawnFrame d = draw(f, QRect(0, 0, 30, 20), 1.0);
    EXPECT_EQ(d.inner, QRect(0, 0, 30, 20));
    EXPECT_TRUE(ink(d.image, 0, 0));
    EXPECT_TRUE(ink(d.image, 29, 19));
    EXPECT_FALSE(ink(d.image, 30, 20));
}

struct InsetCase {
    const char *name;
    quint8 lines, corner, width;
    int inner; // inset on every side of a 200 x 100 content box
    int outer; // growth around a 200 x 100 content box
};

class FrameInsetTest : public ::testing::TestWithParam<InsetCase> {};

TEST_P(FrameInsetTest, innerAndOuterRectanglesFollowTheLineAndCorner)
{
    const InsetCase &c = GetParam();
    const TRectFrame f = frame(c.lines, c.corner, c.width);
    QRect inner, outer;
    f.InnerRect(QRect(0, 0, 200, 100), inner, 1.0);
    f.OuterRect(QRect(0, 0, 200, 100), outer);
    EXPECT_EQ(inner, QRect(0, 0, 200, 100).adjusted(c.inner, c.inner, -c.inner, -c.inner));
    EXPECT_EQ(outer, QRect(0, 0, 200, 100).adjusted(-c.outer, -c.outer, c.outer, c.outer));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameInsetTest,
    ::testing::Values(InsetCase{"singleSquare", 0, 0, 1, 6, 6},
                      // (100 / 10 - 6) / 2 = 2; (100 + 6) / 16 - 3 = 3.6 -> 4.
                      InsetCase{"singleRounded", 0, 1, 1, 8, 10},
                      InsetCase{"doubleWideSquare", 1, 0, 2, 20, 20},
                      // (min(185, 85) / 12 - 10) / 2 < 0 -> 0; (110 / 20 - 5) = 0.5 -> 1.
                      InsetCase{"doubleWideRounded", 1, 1, 2, 20, 21},
                      InsetCase{"doubleThinSquare", 1, 0, 0, 5, 5}),
    rowName);

TEST(RectFrameTest, assignFiresOnlyTheNotificationsOfWhatChanged)
{
    TRectFrame f = frame(1, 1, 2);
    int outline = 0, back = 0;
    f.OnChange = [&](TRectFrame &) { ++outline; };
    f.OnBackChange = [&](TRectFrame &) { ++back; };
    TRectFrame same = frame(1, 1, 2);
    f.Assign(same);
    EXPECT_EQ(outline + back, 0);
    same.SetBackColor(0x00FF00);
    f.Assign(same);
    EXPECT_EQ(outline, 0);
    EXPECT_EQ(back, 1);
    f.SetCorner(0);
    f.SetCorner(0);
    EXPECT_EQ(outline, 1);
}

TEST(RectFrameTest, streamRoundTripsByteForByteWithoutNotifying)
{
    // Frame on, back on, double, rounded, width 1, frame red, back blue.
    const QByteArray bytes = hexBytes("01 01 01 01 01 FF000000 0000FF00");
    TRectFrame f;
    int fired = 0;
    f.OnChange = [&](TRectFrame &) { ++fired; };
    TItemReader r(bytes, {});
    f.LoadFromStream(r);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(f.GetFrameColor(), 0xFF);
    TItemWriter w;
    f.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), bytes));
}

TEST(RectFrameTest, widthIndexOutsideTheTableIsAFormatError)
{
    TRectFrame f;
    const QByteArray stored = hexBytes("01 00 00 00 07 00000000 00000000");
    TItemReader r(stored, {});
    EXPECT_THROW(f.LoadFromStream(r), EItemFormatError);
}

} // namespace
