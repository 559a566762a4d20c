#include "items/PathUtils.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <numbers>

namespace {

TEST(PathUtilsTest, ellipseIsFourBezierPiecesAroundItsCentre)
{
    TPath path;
    EllipsePath(path, 0, 0, 101, 51);
    ASSERT_EQ(path.GetCount(), 13);
    const TPathPoint first = path.GetPoint(0);
    EXPECT_EQ(first.Kind, 0);
    EXPECT_EQ(QPoint(first.X, first.Y), QPoint(100, 25)); // 100.5, 25.5 biased down
    for (int i = 1; i < 13; ++i)
        EXPECT_EQ(path.GetPoint(i).Kind, 2) << i;
    // The quarter points: top, left, bottom, and back to the right.
    EXPECT_EQ(QPoint(path.GetPoint(3).X, path.GetPoint(3).Y), QPoint(50, 0));
    EXPECT_EQ(QPoint(path.GetPoint(6).X, path.GetPoint(6).Y), QPoint(0, 25));
    EXPECT_EQ(QPoint(path.GetPoint(9).X, path.GetPoint(9).Y), QPoint(50, 50));
    EXPECT_EQ(QPoint(path.GetPoint(12).X, path.GetPoint(12).Y), QPoint(100, 25));
    EXPECT_TRUE(path.GetPoint(12).Closes);
    EXPECT_FALSE(path.GetPoint(11).Closes);
}

TEST(PathUtilsTest, aQuarterSweepIsOnePieceAndThreeEighthsTwo)
{
    TPath quarter, more;
    QPoint start;
    ArcPath(quarter, start, std::numbers::pi / 2, 0, 10, 10, 0, 0);
    EXPECT_EQ(quarter.GetCount(), 4);
    ArcPath(more, start, 3 * std::numbers::pi / 4, 0, 10, 10, 0, 0);
    EXPECT_EQ(more.GetCount(), 7);
}

TEST(PathUtilsTest, sameStartAndEndRayDrawsOnlyTheStartPoint)
{
    TPath path;
    QPoint start;
    ArcByPoints(path, 0, 0, 20, 20, 20, 10, 30, 10, start); // both rays at angle 0 from (10, 10)
    ASSERT_EQ(path.GetCount(), 2);
    EXPECT_EQ(path.GetPoint(0).Kind, 0);
    EXPECT_EQ(path.GetPoint(1).Kind, 1);
    EXPECT_EQ(QPoint(path.GetPoint(1).X, path.GetPoint(1).Y), start);
}

TEST(PathUtilsTest, rectangleAndSectorCloseTheirFigures)
{
    TPath rect;
    RectanglePath(rect, 10, 20, 0, 0);
    ASSERT_EQ(rect.GetCount(), 4);
    EXPECT_EQ(QPoint(rect.GetPoint(2).X, rect.GetPoint(2).Y), QPoint(9, 19));
    EXPECT_TRUE(rect.GetPoint(3).Closes);
    TPath sector;
    SectorPath(sector, 0, 0, 21, 21, 20, 10, 10, 0); // a quarter from the right to the top
    ASSERT_EQ(sector.GetCount(), 6);
    EXPECT_EQ(QPoint(sector.GetPoint(4).X, sector.GetPoint(4).Y), QPoint(11, 11)); // 10.5 rounded away
    EXPECT_TRUE(sector.GetPoint(5).Closes);
    TPath round;
    RoundRectPath(round, 0, 0, 100, 60, 500, 20);
    EXPECT_EQ(round.GetCount(), 13);
    EXPECT_TRUE(round.ToPainterPath().contains(QPointF(50, 30)));
}

TEST(PathUtilsTest, pointsOutsideTheRangeRaise)
{
    TPath path;
    RectanglePath(path, 0, 0, 5, 5);
    try {
        (void)path.GetPoint(-1);
        FAIL();
    } catch (const EPathError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TPath.GetPoint: Index is Out of Range"));
    }
    EXPECT_THROW((void)path.GetPoint(path.GetCount()), EPathError);
}

TEST(PathUtilsTest, dashedStrokeDrawsAndSkipsInPenWidths)
{
    TPath line;
    line.AddMoveTo({0, 10});
    line.AddLineTo({100, 10});
    QImage img(110, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        StrokePath(p, line, {2, 1}, 5, Qt::black, true); // 10 drawn, 5 skipped
    }
    EXPECT_EQ(img.pixel(5, 10), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(12, 10), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(20, 10), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(27, 10), qRgb(255, 255, 255));
    img.fill(Qt::white);
    {
        QPainter p(&img);
        StrokePath(p, line, {0, 0}, 5, Qt::black, true);
    }
    EXPECT_EQ(img.pixel(5, 10), qRgb(255, 255, 255));
}

} // namespace
