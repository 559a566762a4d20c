#include "DicFixture.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

class Wqk1adTest : public ::testing::Test
{
protected:
    TDicFixture fixture;
    TDicLibrary lib{"wqk1ad"};
    TWQK1ADTdfkn tdfkn = lib.fn<TWQK1ADTdfkn>("WQK1ADTdfkn");
    TWQK1ADTdfknPart tdfknPart = lib.fn<TWQK1ADTdfknPart>("WQK1ADTdfknPart");
    TWQK1ADCityAll cityAll = lib.fn<TWQK1ADCityAll>("WQK1ADCityAll");
    TWQK1ADOhazaAll ohazaAll = lib.fn<TWQK1ADOhazaAll>("WQK1ADOhazaAll");
    TWQK1ADOhazaAll_Chome ohazaAllChome = lib.fn<TWQK1ADOhazaAll_Chome>("WQK1ADOhazaAll_Chome");
    TWQK1ADAzaAll azaAll = lib.fn<TWQK1ADAzaAll>("WQK1ADAzaAll");
};

TEST_F(Wqk1adTest, PrefecturesAllOrOfOneRegionWithUnusedEntriesZeroed)
{
    TGuarded<TWqk1adPref> all(Wqk1adAllPrefectures);
    ASSERT_EQ(tdfkn(all.data(), fixture.folder().c_str()), DicOk);
    EXPECT_EQ(all[1].Number, 14);
    EXPECT_EQ(bytesOf(all[1].Name), padded(sj(QStringLiteral("神奈川県")), 10));
    EXPECT_EQ(all[1].CityCount, 3);
    EXPECT_EQ(all[3].Number, 0);
    EXPECT_TRUE(all.sentinelIntact());

    TGuarded<TWqk1adPref> region(Wqk1adRegionSize);
    ASSERT_EQ(tdfknPart(4, region.data(), fixture.folder().c_str()), DicOk);
    EXPECT_EQ(region[0].Number, 34);
    EXPECT_EQ(region[1].Number, 0);
    EXPECT_EQ(tdfknPart(0, region.data(), fixture.folder().c_str()), DicNotFound);
    for (const int bad : {-1, 6, 99})
        EXPECT_EQ(tdfknPart(bad, region.data(), fixture.folder().c_str()), DicWrongInput) << bad;
    EXPECT_TRUE(region.sentinelIntact());
}

TEST_F(Wqk1adTest, CitiesOfAPrefectureUpToTheCapacity)
{
    TGuarded<TWqk1adCity> cities(2);
    ASSERT_EQ(cityAll(14, cities.data(), 2, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(cities[0].CityCode), std::string("14101\0", 6));
    EXPECT_EQ(bytesOf(cities[0].Head), sj(QStringLiteral("よ")));
    EXPECT_EQ(bytesOf(cities[0].Name), padded(sj(QStringLiteral("横浜市鶴見区")), 40));
    EXPECT_EQ(cities[0].OhazaCount, 1);
    EXPECT_EQ(bytesOf(cities[1].CityCode), std::string("14102\0", 6));
    EXPECT_TRUE(cities.sentinelIntact()); // the third city of 14 is not written

    EXPECT_EQ(cityAll(1, cities.data(), 2, fixture.folder().c_str()), DicNotFound);
    EXPECT_EQ(cityAll(14, cities.data(), 2, fixture.emptyFolder().c_str()), DicNotFound);
    EXPECT_EQ(cityAll(0, cities.data(), 2, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(cityAll(48, cities.data(), 2, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(cityAll(14, cities.data(), -1, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(cityAll(14, nullptr, 2, fixture.folder().c_str()), DicWrongInput);
}

TEST_F(Wqk1adTest, OazasAreTheDistinctTownNamesWithHeadAndRowCount)
{
    TGuarded<TWqk1adOhaza> oazas(8);
    ASSERT_EQ(ohazaAll("13101", oazas.data(), 8, fixture.folder().c_str()), DicOk);
    // 大手町 霞が関 千代田 永田町 一ツ橋 丸の内… by reading.
    EXPECT_EQ(bytesOf(oazas[0].Code), "13101001");
    EXPECT_EQ(bytesOf(oazas[0].Reserved), std::string(4, '\0'));
    EXPECT_EQ(bytesOf(oazas[0].Head), sj(QStringLiteral("お")));
    EXPECT_EQ(bytesOf(oazas[0].Name), padded(sj(QStringLiteral("大手町")), 40));
    EXPECT_EQ(oazas[4].Tag, 2); // 一ツ橋 has two postcodes
    EXPECT_EQ(bytesOf(oazas[5].Name), padded(sj(QStringLiteral("丸の内パシフィックセンチュリープレイス")), 40));
    EXPECT_EQ(bytesOf(oazas[6].Code), std::string(8, '\0'));
    EXPECT_TRUE(oazas.sentinelIntact());

    TGuarded<TWqk1adOhaza> chome(8);
    ASSERT_EQ(ohazaAllChome("13101", chome.data(), 8, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(std::memcmp(chome.data(), oazas.data(), 8 * sizeof(TWqk1adOhaza)), 0);

    TGuarded<TWqk1adOhaza> two(2);
    EXPECT_EQ(ohazaAll("13101", two.data(), 2, fixture.folder().c_str()), DicOk);
    EXPECT_TRUE(two.sentinelIntact());
    for (const char *bad : {"1310", "131016", "1310a", ""})
        EXPECT_EQ(ohazaAll(bad, two.data(), 2, fixture.folder().c_str()), DicWrongInput) << bad;
    EXPECT_EQ(ohazaAll("13101", two.data(), -1, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(ohazaAll("13101", two.data(), 2, fixture.emptyFolder().c_str()), DicNotFound);
}

TEST_F(Wqk1adTest, SerialsAfterNineHundredNinetyNineTakeALetter)
{
    // 1001 made-up towns reading ｸｶｸ0001.. before Hiroshima 府中市's real 斗升町 (ﾄﾏｽﾁｮｳ).
    std::deque<std::string> texts;
    std::vector<TFixtureTown> extra;
    for (int i = 1; i <= 1001; ++i) {
        const std::string number = QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')).toStdString();
        texts.push_back("区画" + number);
        const char *name = texts.back().c_str();
        texts.push_back("ｸｶｸ" + number);
        extra.push_back({"34208", "7290000", name, texts.back().c_str()});
    }
    const TDicFixture many(extra);
    TGuarded<TWqk1adOhaza> oazas(1002);
    ASSERT_EQ(ohazaAll("34208", oazas.data(), 1002, many.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(oazas[998].Code), "34208999");
    EXPECT_EQ(bytesOf(oazas[999].Code), "34208A00");
    EXPECT_EQ(bytesOf(oazas[1001].Code), "34208A02");
    EXPECT_EQ(bytesOf(oazas[1001].Name), padded(sj(QStringLiteral("斗升町")), 40));
    EXPECT_TRUE(oazas.sentinelIntact());
}

TEST_F(Wqk1adTest, AzaLevelIsNotInTheData)
{
    TGuarded<TWqk1adOhaza> azas(1);
    EXPECT_EQ(azaAll("13101001", azas.data(), 1, fixture.folder().c_str()), DicNotFound);
    EXPECT_EQ(azaAll("1310100", azas.data(), 1, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(azaAll(nullptr, azas.data(), 1, fixture.folder().c_str()), DicWrongInput);
    EXPECT_TRUE(azas.untouched());
}

} // namespace
