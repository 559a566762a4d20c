#include "links/MapSearch.h"

#include <gtest/gtest.h>

namespace {

struct FixUpCase
{
    const char *name;
    qint32 mode;
    bool position;
    const char *text;
    bool unsupported;
    TMapFixUp answer;
    qint32 modeAfter;
};

class FixUpTest : public ::testing::TestWithParam<FixUpCase>
{
};

TEST_P(FixUpTest, answersAndAdjustsMode)
{
    const FixUpCase &c = GetParam();
    qint32 mode = c.mode;
    EXPECT_EQ(FixUpMapMode(mode, c.position, QString::fromUtf8(c.text), c.unsupported), c.answer);
    EXPECT_EQ(mode, c.modeAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FixUpTest,
    ::testing::Values(FixUpCase{"positionAskedAndPresent", 0, true, "", false, TMapFixUp::ByPosition, 0},
                      FixUpCase{"positionMissingTurnsToAddress", 0, false, "東京都", false, TMapFixUp::ByAddress, 1},
                      FixUpCase{"positionAndAddressMissing", 0, false, "", false, TMapFixUp::NothingForPosition, 0},
                      FixUpCase{"addressAskedAndPresent", 1, true, "東京都", false, TMapFixUp::ByAddress, 1},
                      FixUpCase{"addressMissingTurnsToPosition", 1, true, "", false, TMapFixUp::ByPosition, 0},
                      FixUpCase{"addressAndPositionMissing", 1, false, "", false, TMapFixUp::NothingForAddress, 1},
                      FixUpCase{"oldVersionCannotSearchAddress", 1, false, "", true, TMapFixUp::AddressUnsupported, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MapPosition, zeroOrNegativeIsNoPosition)
{
    EXPECT_FALSE(IsValidPosition(0, 500));
    EXPECT_FALSE(IsValidPosition(500, -1));
    EXPECT_TRUE(IsValidPosition(1, 1));
}

TEST(ArcMs, splitsAndJoinsWholeParts)
{
    const qint32 v = 35 * 3600000 + 41 * 60000 + 22 * 1000 + 5;
    const TArcMsParts p = ArcMsParts(v);
    EXPECT_EQ(p.Degrees, 35u);
    EXPECT_EQ(p.Minutes, 41u);
    EXPECT_EQ(p.Seconds, 22u);
    EXPECT_EQ(p.Milliseconds, 5u);
    EXPECT_EQ(FromArcMsParts(p), v);
}

struct UnitCase
{
    qint32 value;
    qint32 units;
};

class MapFanUnitTest : public ::testing::TestWithParam<UnitCase>
{
};

TEST_P(MapFanUnitTest, convertsHalfAwayFromZero)
{
    EXPECT_EQ(ToMapFanUnits(GetParam().value), GetParam().units);
}

// Forward, v x 0.256 never ends in exactly .5; 8,000,000 x 256 would
// overflow 32 bits, the result does not.
INSTANTIATE_TEST_SUITE_P(Units, MapFanUnitTest,
                         ::testing::Values(UnitCase{125, 32}, UnitCase{2, 1}, UnitCase{1, 0}, UnitCase{-2, -1},
                                           UnitCase{-1, 0}, UnitCase{500000000, 128000000},
                                           UnitCase{2147483647, 549755814}));

TEST(MapFanUnits, halfGoesAwayFromZero)
{
    // 16 units are 62.5 thousandths exactly.
    EXPECT_EQ(FromMapFanUnits(16), 63);
    EXPECT_EQ(FromMapFanUnits(-16), -63);
    EXPECT_EQ(FromMapFanUnits(1), 4); // 3.90625
    EXPECT_EQ(FromMapFanUnits(64), 250);
}

TEST(MapFanUnits, roundTripStaysWithinTwoThousandths)
{
    for (qint32 v : {1, 7, 999, 128000123, 503123456, 2147483000}) {
        const qint32 back = FromMapFanUnits(ToMapFanUnits(v));
        EXPECT_LE(std::abs(qint64(back) - v), 2) << v;
    }
}

TEST(ProAtlasText, writesDegreesMinutesAndFiveDigitRemainder)
{
    const qint32 v = 139 * 3600000 + 5 * 60000 + 1234;
    EXPECT_EQ(ProAtlasPositionText(v), QStringLiteral("139/05/01234"));
    EXPECT_EQ(ProAtlasPositionValue(ProAtlasPositionText(v)), v);
}

TEST(ProAtlasText, zeroIsEmptyAndTextWithoutSlashesIsZero)
{
    EXPECT_TRUE(ProAtlasPositionText(0).isEmpty());
    EXPECT_EQ(ProAtlasPositionValue(QStringLiteral("139.5")), 0);
    EXPECT_EQ(ProAtlasPositionValue(QStringLiteral("139/5")), 0);
}

TEST(MapCornerText, secondsKeepLeadingZerosOfMilliseconds)
{
    const qint32 lat = 35 * 3600000 + 41 * 60000 + 22 * 1000 + 5;
    const qint32 lon = 139 * 3600000 + 7 * 60000 + 3 * 1000 + 450;
    EXPECT_EQ(MapCornerText(QStringLiteral("左上"), lat, lon),
              QStringLiteral("左上 北緯 : 35度41分22.005秒  東経 : 139度07分03.450秒\r\n"));
}

TEST(MapProgramNames, hintsNameTheChosenProgram)
{
    EXPECT_EQ(MapButtonHint(5), QStringLiteral("地図表示\r\nMapFanⅣ/Ⅴ"));
    EXPECT_EQ(RouteButtonHint(1), QStringLiteral("路線検索\r\n乗換案内"));
}

} // namespace
