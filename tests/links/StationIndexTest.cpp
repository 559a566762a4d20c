#include "links/StationIndex.h"

#include "StationFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace fixture;

namespace {

struct TDirectionCase
{
    const char *name;
    qint32 dLat;
    qint32 dLon;
    int direction;
};

class StationDirectionTest : public ::testing::TestWithParam<TDirectionCase>
{
};

TEST_P(StationDirectionTest, namesTheSectorOfTheStation)
{
    const TDirectionCase &c = GetParam();
    EXPECT_EQ(StationDirection(kCentreLat, kCentreLon, kCentreLat + c.dLat, kCentreLon + c.dLon), c.direction);
}

INSTANTIATE_TEST_SUITE_P(
    Sectors, StationDirectionTest,
    ::testing::Values(TDirectionCase{"dueNorth", 1000, 0, 1}, TDirectionCase{"northEast", 1000, 1000, 2},
                      TDirectionCase{"dueEast", 0, 1000, 3}, TDirectionCase{"southEast", -1000, 1000, 4},
                      TDirectionCase{"dueSouth", -1000, 0, 5}, TDirectionCase{"slightlySouth", -1, 0, 5},
                      TDirectionCase{"southWest", -1000, -1000, 6}, TDirectionCase{"dueWest", 0, -1000, 7},
                      TDirectionCase{"northWest", 1000, -1000, 8}, TDirectionCase{"samePoint", 0, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

struct TAngleCase
{
    const char *name;
    double c;
    double s;
    int direction;
};

class DirectionOfAnglesTest : public ::testing::TestWithParam<TAngleCase>
{
};

TEST_P(DirectionOfAnglesTest, boundaryBelongsToTheSectorBeforeIt)
{
    EXPECT_EQ(DirectionOfAngles(GetParam().c, GetParam().s), GetParam().direction);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, DirectionOfAnglesTest,
    ::testing::Values(TAngleCase{"exactly22_5IsNorth", 22.5, 22.5, 1},
                      TAngleCase{"justPast22_5IsNorthEast", 22.500001, 22.500001, 2},
                      TAngleCase{"exactly22_5WestIsNorth", 22.5, -22.5, 1},
                      TAngleCase{"exactly67_5IsNorthEast", 67.5, 67.5, 2},
                      TAngleCase{"exactly90IsEast", 90, 90, 3}, TAngleCase{"exactly157_5WestIsSouthWest", 157.5, -22.5, 6},
                      TAngleCase{"exactly180IsSouth", 180, 0, 5}, TAngleCase{"beyond180IsNone", 180.5, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StationDirection, stationJustOver22_5DegreesEastIsNorthEast)
{
    const qint32 dLat = 1000000;
    const auto dLon = qint32(std::ceil(dLat * std::tan(22.5 * std::numbers::pi / 180.0)));
    EXPECT_EQ(StationDirection(0, 0, dLat, dLon), 2);
    EXPECT_EQ(StationDirection(0, 0, dLat, dLon - 2), 1);
}

TEST(StationDistance, equalPointsAreZeroMetres)
{
    EXPECT_EQ(StationDistance(kCentreLat, kCentreLon, kCentreLat, kCentreLon), 0);
}

TEST(StationDistance, latitudeAloneCountsTheArcFactorRoundedHalfAway)
{
    // 100,000 thousandths of an arc-second are 3086.419753 m.
    EXPECT_EQ(StationDistance(kCentreLat, kCentreLon, kCentreLat + 100000, kCentreLon), 3086);
    EXPECT_EQ(StationDistance(kCentreLat, kCentreLon, kCentreLat - 100000, kCentreLon), 3086);
    // 162 thousandths are 4.99999 m, 163 are 5.03 m.
    EXPECT_EQ(StationDistance(kCentreLat, kCentreLon, kCentreLat + 162, kCentreLon), 5);
}

TEST(StationDistance, eastWestIsShortenedByTheCosineOfTheLatitude)
{
    // Two kilometres east at 35°; without the cosine it read 2442 m.
    EXPECT_NEAR(StationDistance(kCentreLat, kCentreLon, kCentreLat, kCentreLon + 2 * kKmEast), 2000, 1);
}

TEST(DirectionName, namesTheEightCodesAndNothingElse)
{
    EXPECT_EQ(DirectionName(1), QStringLiteral("北"));
    EXPECT_EQ(DirectionName(4), QStringLiteral("南東"));
    EXPECT_EQ(DirectionName(8), QStringLiteral("北西"));
    EXPECT_TRUE(DirectionName(0).isEmpty());
    EXPECT_TRUE(DirectionName(99).isEmpty());
}

class MemoryStationIndexTest : public ::testing::Test
{
protected:
    TMemoryStationIndex index{Stations()};
};

TEST_F(MemoryStationIndexTest, nearestAreListedNearestFirstWithDistanceAndDirection)
{
    const auto near = index.Nearest(kCentreLat, kCentreLon, 10000, 3);
    ASSERT_EQ(near.size(), 3u);
    EXPECT_EQ(near[0].Station.Name, QStringLiteral("みどり台"));
    EXPECT_NEAR(near[0].Distance, 1000, 1);
    EXPECT_EQ(near[0].Direction, 1);
    EXPECT_EQ(near[1].Station.Name, QStringLiteral("さくら町"));
    EXPECT_EQ(near[1].Direction, 3);
    EXPECT_EQ(near[2].Station.Name, QStringLiteral("あおば"));
    EXPECT_EQ(near[2].Direction, 5);
}

TEST_F(MemoryStationIndexTest, stationsBeyondTheRadiusAreLeftOut)
{
    const auto near = index.Nearest(kCentreLat, kCentreLon, 10000, 10);
    ASSERT_EQ(near.size(), 5u);
    for (const TNearStation &s : near)
        EXPECT_LE(s.Distance, 10000) << s.Station.Name.toStdString();
}

// The radius is a limit tested on both sides: a station exactly at it is
// among the nearest, one metre less leaves it out.
TEST_F(MemoryStationIndexTest, stationExactlyAtTheRadiusIsAmongTheNearest)
{
    const auto all = index.Nearest(kCentreLat, kCentreLon, 10000, 10);
    ASSERT_FALSE(all.empty());
    const TNearStation &nearest = all.front();
    auto holds = [&](qint32 Radius) {
        const auto near = index.Nearest(kCentreLat, kCentreLon, Radius, 10);
        return std::any_of(near.begin(), near.end(),
                           [&](const TNearStation &S) { return S.Station.Through == nearest.Station.Through; });
    };
    EXPECT_TRUE(holds(nearest.Distance));
    EXPECT_FALSE(holds(nearest.Distance - 1));
}

TEST_F(MemoryStationIndexTest, farFromEveryStationFindsNone)
{
    EXPECT_TRUE(index.Nearest(kCentreLat - 100 * kKmNorth, kCentreLon, 10000, 3).empty());
}

TEST_F(MemoryStationIndexTest, linesOfAStationAndOfAnUnknownOne)
{
    EXPECT_EQ(index.LinesOf(12), (QStringList{QStringLiteral("架空本線"), QStringLiteral("空想線")}));
    EXPECT_EQ(index.LinesOf(16), QStringList());
    EXPECT_FALSE(index.LinesOf(99).has_value());
}

TEST_F(MemoryStationIndexTest, kanaPrefixFindsTheStationsInReadingOrder)
{
    const auto found = index.ByKanaPrefix(QStringLiteral("ｻｸﾗ"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].Name, QStringLiteral("さくら台"));
    EXPECT_EQ(found[1].Name, QStringLiteral("さくら町"));
}

TEST_F(MemoryStationIndexTest, emptyPrefixFindsNothing)
{
    EXPECT_TRUE(index.ByKanaPrefix(QString()).empty());
}

} // namespace
