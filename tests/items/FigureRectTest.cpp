#include "StreamBytes.h"
#include "items/FigureRect.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

const TPathOp *pathOp(const TFigureRect &Item, size_t Index)
{
    const auto &ops = Item.GetMetafile().Ops();
    return Index < ops.size() ? std::get_if<TPathOp>(&ops[Index]) : nullptr;
}

TEST(FigureRectTest, aLineKeepsItsOutline)
{
    TFigureRect item;
    item.SetFigureKind(TFigureRect::Ellipse);
    item.SetFrame(false);
    EXPECT_FALSE(item.HasFrame());
    item.SetFigureKind(TFigureRect::Line);
    EXPECT_TRUE(item.HasFrame());
    item.SetFrame(false);
    EXPECT_TRUE(item.HasFrame());
}

TEST(FigureRectTest, aFilledLineFigurePaintsItsBoxBeforeTheLines)
{
    TFigureRect item;
    item.SetRect({0, 0, 40, 20});
    item.SetBack(true);
    item.SetColor1(0x0000FF);
    item.SetLineDirections(1 | 8);
    item.Rebuild(true);
    const TPathOp *box = pathOp(item, 0);
    const TPathOp *lines = pathOp(item, 1);
    ASSERT_TRUE(box && lines);
    EXPECT_EQ(box->Path.boundingRect(), QRectF(0, 0, 40, 20));
    EXPECT_EQ(box->Brush.color(), QColor(255, 0, 0));
    EXPECT_EQ(lines->Path.elementCount(), 4); // two lines: horizontal and the rising diagonal
    EXPECT_EQ(QPointF(lines->Path.elementAt(2)), QPointF(40, 0));
    EXPECT_EQ(lines->Pen.width(), 5);
}

TEST(FigureRectTest, penWidthFollowsTheReferenceResolution)
{
    TFigureRect item;
    item.SetReferenceDpi({600, 600});
    item.SetFigureKind(TFigureRect::Rectangle);
    item.SetRect({0, 0, 96, 48});
    item.Rebuild(false);
    const TPathOp *op = pathOp(item, 0);
    ASSERT_TRUE(op);
    EXPECT_EQ(op->Pen.width(), 31); // 5 x 600 / 96 = 31.25
    EXPECT_EQ(item.GetMetafile().Size(), QSize(600, 600));
}

TEST(FigureRectTest, gradientOnRectanglesAndLinesFillsTheWholeBox)
{
    TFigureRect item;
    item.SetFigureKind(TFigureRect::Rectangle);
    item.SetBack(true);
    item.SetGradation(true);
    item.SetColor1(0x000000);
    item.SetColor2(0xFFFFFF);
    item.SetRect({10, 10, 50, 30});
    item.SetZoom(1);
    item.Rebuild(false);
    EXPECT_TRUE(item.DisplayRegion().isEmpty());
    EXPECT_EQ(item.DisplayGradient().size(), QSize(40, 20));
    item.SetFigureKind(TFigureRect::Ellipse);
    item.Rebuild(false);
    EXPECT_FALSE(item.DisplayRegion().isEmpty());
    QImage canvas(60, 40, QImage::Format_RGB32);
    canvas.fill(Qt::red);
    {
        QPainter p(&canvas);
        item.Draw(p, 0, 0);
    }
    EXPECT_EQ(canvas.pixel(11, 11), qRgb(255, 0, 0)); // outside the ellipse: no gradient
    EXPECT_NE(canvas.pixel(30, 20), qRgb(255, 0, 0));
}

TEST(FigureRectTest, lineStyleOutsideTheTableIsIgnoredAndStylesDash)
{
    TFigureRect item;
    item.SetLineStyle(3);
    item.SetLineStyle(5);
    EXPECT_EQ(item.GetLineStyle(), 3);
    EXPECT_EQ(TFigureRect::DashPattern(4), (QList<qreal>{9, 3, 3, 3, 3, 3}));
    item.SetRect({0, 0, 30, 30});
    item.SetFigureKind(TFigureRect::Diamond);
    item.Rebuild(false);
    const TPathOp *op = pathOp(item, 0);
    ASSERT_TRUE(op);
    EXPECT_EQ(op->Pen.dashPattern(), (QList<qreal>{9, 6, 3, 6}));
}

TEST(FigureRectTest, printGradientIsHalfTheDotsAbove200DpiAnd96DpiBelow)
{
    TFigureRect item;
    item.SetBack(true);
    item.SetGradation(true);
    item.SetRect({0, 0, 96, 48});
    item.CalcPrintRect({}, TPrinterGeometry{{600, 600}, 0, 0}, true);
    EXPECT_EQ(item.PrintGradient().size(), QSize(288, 144)); // 600 x 0.48, 300 x 0.48
    item.CalcPrintRect({}, TPrinterGeometry{{180, 180}, 0, 0}, true);
    EXPECT_EQ(item.PrintGradient().size(), QSize(96, 48));
    item.ReleasePrint();
    EXPECT_TRUE(item.PrintGradient().isNull());
}

TEST(FigureRectTest, gradientBuffersStayBoundedForTheLargestItem)
{
    // A figure as large as the largest paper, at the largest zoom and on a
    // fine printer, still draws its gradient from a small buffer.
    TFigureRect item;
    item.SetBack(true);
    item.SetGradation(true);
    item.SetRect({-MaxPaperPagePx, -MaxPaperPagePx, MaxPaperPagePx, MaxPaperPagePx});
    item.SetZoom(4);
    item.Rebuild(true);
    EXPECT_LE(std::max(item.DisplayGradient().width(), item.DisplayGradient().height()), 1024);
    EXPECT_FALSE(item.DisplayGradient().isNull());
    item.CalcPrintRect({}, TPrinterGeometry{{1200, 1200}, 0, 0}, true);
    EXPECT_LE(std::max(item.PrintGradient().width(), item.PrintGradient().height()), 1024);
    EXPECT_EQ(item.PrintGradient().width(), item.PrintGradient().height());
}

TEST(FigureRectTest, aBoundedGradientStillCoversTheWholeShape)
{
    TFigureRect item;
    item.SetBack(true);
    item.SetGradation(true);
    item.SetColor1(0x0000FF);
    item.SetColor2(0x0000FF);
    item.SetFigureKind(TFigureRect::Rectangle);
    item.SetFrame(false);
    item.SetRect({0, 0, 1500, 40});
    item.SetZoom(1);
    QImage canvas(1500, 40, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    item.Draw(painter, 0, 0);
    painter.end();
    for (const int x : {10, 750, 1490})
        EXPECT_EQ(canvas.pixelColor(x, 20).name().toStdString(), "#ff0000") << x;
}

TEST(FigureRectTest, settersClearOnlyTheStateTheyAffect)
{
    TFigureRect item;
    item.SetRect({0, 0, 20, 20});
    item.Rebuild(false);
    ASSERT_TRUE(item.IsContentValid() && item.IsGradientValid() && item.IsRegionValid());
    item.SetColor1(0x123456); // no gradient fill: only the content
    EXPECT_FALSE(item.IsContentValid());
    EXPECT_TRUE(item.IsGradientValid());
    item.SetBack(true);
    item.SetGradation(true);
    item.Rebuild(false);
    item.SetZoom(2);
    EXPECT_TRUE(item.IsContentValid());
    EXPECT_FALSE(item.IsGradientValid());
    EXPECT_FALSE(item.IsRegionValid());
}

TEST(FigureRectTest, streamIsByteExactAndVersion299HasNoSectorDirection)
{
    TFigureRect item;
    item.SetRect({1, 2, 3, 4});
    item.SetFigureKind(TFigureRect::Sector);
    item.SetSectorDirection(2);
    item.SetCornerRadius(1, 2);
    item.SetLineStyle(1);
    item.SetColor2(0x00FF00);
    item.SetGradientAngle(45);
    TItemWriter w;
    item.SaveToStream(w);
    const QByteArray expected = hexBytes("01000000 02000000 03000000 04000000 01"
                                         "01 00 00 04 01 00 02 00 00 02 01"
                                         "05000000 00000000 00000000 00FF0000 2D000000");
    EXPECT_TRUE(sameBytes(w.bytes(), expected));
    TFigureRect back;
    TItemReader r(w.bytes(), {});
    back.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    TItemWriter again;
    back.SaveToStream(again);
    EXPECT_TRUE(sameBytes(again.bytes(), expected));

    QByteArray old = expected;
    old.remove(16 + 1 + 9, 1); // no sector direction
    TFigureRect older;
    older.SetSectorDirection(1);
    TItemReader r299(old, {299});
    older.LoadFromStream(r299);
    EXPECT_TRUE(r299.atEnd());
    EXPECT_EQ(older.GetSectorDirection(), 1);
    EXPECT_EQ(older.GetLineStyle(), 1);
}

TEST(FigureRectTest, damagedKindsAndStylesAreClamped)
{
    const QByteArray bytes = hexBytes("00000000 00000000 0A000000 0A000000 01"
                                      "01 00 00 09 01 07 07 00 00 09 08"
                                      "05000000 00000000 00000000 00000000 00000000");
    TFigureRect item;
    TItemReader r(bytes, {});
    item.LoadFromStream(r);
    EXPECT_EQ(item.GetFigureKind(), TFigureRect::Diamond);
    EXPECT_EQ(item.GetCornerRadius(0), 2);
    EXPECT_EQ(item.GetSectorDirection(), 3);
    EXPECT_EQ(item.GetLineStyle(), 0);
    const QByteArray shortBytes = bytes.left(30);
    TItemReader shortReader(shortBytes, {});
    TFigureRect other;
    EXPECT_THROW(other.LoadFromStream(shortReader), EItemFormatError);
}

} // namespace

// A figure recorded for the screen (no printer known when it was laid out)
// still prints at its size on a page of any resolution: 124 page pixels
// (32.8 mm) stay 32.8 mm at 300 and at 1200 dpi.
class FigurePrintSize : public ::testing::TestWithParam<int>
{
};

TEST_P(FigurePrintSize, aFigureRecordedForTheScreenPrintsAtItsSize)
{
    const int dpi = GetParam();
    TFigureRect item;
    item.SetFigureKind(TFigureRect::Rectangle);
    item.SetFrame(false);
    item.SetBack(true);
    item.SetColor1(0x000000);
    item.SetRect({10, 10, 134, 134});
    item.Rebuild(false);
    ASSERT_EQ(item.GetMetafile().Dpi(), (TDeviceDpi{96, 96}));
    item.CalcPrintRect({}, TPrinterGeometry{{dpi, dpi}, 0, 0}, true);
    const int side = PageToDots(TPagePx(150), dpi);
    QImage page(side, side, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        item.Print(painter, 0, 0);
    }
    int left = side, right = -1;
    for (int x = 0; x < side; ++x)
        if (qGray(page.pixel(x, page.height() / 2)) < 128) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    const double mm = (right - left + 1) * 25.4 / dpi;
    EXPECT_NEAR(mm, 124 * 25.4 / 96, 0.3) << "at " << dpi << " dpi";
}

INSTANTIATE_TEST_SUITE_P(Resolutions, FigurePrintSize, ::testing::Values(96, 300, 1200));
