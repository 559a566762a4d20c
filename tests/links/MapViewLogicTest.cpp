#include "links/MapPrograms.h"

#include <gtest/gtest.h>

namespace {

constexpr qint32 kLat = 128000000;
constexpr qint32 kLon = 503123456;

TAreaProbe address(qint32 scale, qint32 lat)
{
    TAreaProbe a;
    a.AddressFound = true;
    a.AddressScale = scale;
    a.AddressLatitude = lat;
    a.AddressLongitude = lat + 1;
    return a;
}

TAreaProbe position(qint32 scale)
{
    TAreaProbe a;
    a.IncludesPosition = true;
    a.PositionScale = scale;
    return a;
}

TEST(ProAtlasArea, addressFoundInTwoAreasTakesTheMoreDetailedOne)
{
    const TAreaChoice c = ChooseProAtlasArea({address(5000, 1), address(2500, 2), address(8000, 3)}, 1, 0, 0);
    EXPECT_TRUE(c.Found);
    EXPECT_EQ(c.Area, 1);
    EXPECT_EQ(c.Scale, 2500);
    EXPECT_EQ(c.Latitude, 2);
}

TEST(ProAtlasArea, onATieTheEarlierAreaStays)
{
    EXPECT_EQ(ChooseProAtlasArea({position(9000), position(2500), position(2500)}, 0, kLat, kLon).Area, 1);
}

TEST(ProAtlasArea, byPositionTakesTheAddressWhenThePositionLiesInNoArea)
{
    const TAreaChoice c = ChooseProAtlasArea({TAreaProbe{}, address(4000, 7)}, 0, kLat, kLon);
    EXPECT_EQ(c.Area, 1);
    EXPECT_EQ(c.Latitude, 7);
}

TEST(ProAtlasArea, byAddressTakesThePositionWhenTheAddressIsNotFound)
{
    const TAreaChoice c = ChooseProAtlasArea({position(3000)}, 1, kLat, kLon);
    EXPECT_EQ(c.Area, 0);
    EXPECT_TRUE(c.Found);
    EXPECT_EQ(c.Latitude, kLat);
    EXPECT_EQ(c.Longitude, kLon);
}

TEST(ProAtlasArea, nothingFoundShowsTheFirstArea)
{
    const TAreaChoice c = ChooseProAtlasArea({TAreaProbe{}, TAreaProbe{}}, 0, kLat, kLon);
    EXPECT_FALSE(c.Found);
    EXPECT_EQ(c.Area, 0);
}

struct ScaleCase
{
    quint32 mask;
    int scale;
};

class MapFanScaleTest : public ::testing::TestWithParam<ScaleCase>
{
};

TEST_P(MapFanScaleTest, opensAtTheMostDetailedOfferedScale)
{
    EXPECT_EQ(MapFanOpeningScale(GetParam().mask), GetParam().scale);
}

INSTANTIATE_TEST_SUITE_P(Masks, MapFanScaleTest,
                         ::testing::Values(ScaleCase{0x40000u, 0},                   // 全国図 only
                                           ScaleCase{0x40000u << 11 | 0x40000u, 11}, // 詳細図 offered
                                           ScaleCase{0x40000u << 7 | 0x40000u << 3, 7}, ScaleCase{0x3FFFFu, -1}));

TEST(ProAtlasWResult, versionsOneAndTwoReadTheMarkedText)
{
    EXPECT_EQ(ProAtlasWResult(2, QStringLiteral("35/33/20000"), QStringLiteral("139/45/23456"), 1, 2),
              std::make_pair(35 * 3600000 + 33 * 60000 + 20000, 139 * 3600000 + 45 * 60000 + 23456));
}

TEST(ProAtlasWResult, laterVersionsTakeTheNumbers)
{
    EXPECT_EQ(ProAtlasWResult(3, QStringLiteral("35/33/20000"), QString(), kLat, kLon), std::make_pair(kLat, kLon));
}

TEST(AtlasPhoneAnswer, readsHexadecimalHeadAndDecimalLongs)
{
    const QByteArray answer = QByteArrayLiteral("1A2B3C4D  0001234500987654");
    const TAtlasMesh mesh = ParseAtlasPhoneAnswer(answer);
    EXPECT_EQ(mesh, (TAtlasMesh{0x1A2B, 0x3C, 0x4D, 12345, 987654}));
    EXPECT_FALSE(mesh.IsEmpty());
}

TEST(AtlasPhoneAnswer, emptyAnswerIsAnEmptyMesh)
{
    EXPECT_TRUE(ParseAtlasPhoneAnswer(QByteArray(124, '\0')).IsEmpty());
}

} // namespace
