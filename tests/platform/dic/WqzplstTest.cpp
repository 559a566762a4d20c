#include "DicFixture.h"

#include <gtest/gtest.h>

namespace {

class WqzplstTest : public ::testing::Test
{
protected:
    TDicFixture fixture;
    TDicLibrary lib{"wqzplst"};
    TWQZPLSTFirst first = lib.fn<TWQZPLSTFirst>("WQZPLSTFirst");
    TWQZPLSTCityList cityList = lib.fn<TWQZPLSTCityList>("WQZPLSTCityList");
    TWQZPLSTTownList townList = lib.fn<TWQZPLSTTownList>("WQZPLSTTownList");
    TWQZPLSTLgTownList lgTownList = lib.fn<TWQZPLSTLgTownList>("WQZPLSTLgTownList");
    TWQZPLSTClose close = lib.fn<TWQZPLSTClose>("WQZPLSTClose");
    TWQZPLSTPost post = lib.fn<TWQZPLSTPost>("WQZPLSTPost");

    struct TOpened {
        void *handle = nullptr;
        std::int32_t count = 0;
        std::int16_t status = -1;
    };
    TOpened open(const char *digits, const std::string &folder)
    {
        TOpened o;
        o.handle = first(digits, &o.count, &o.status, folder.c_str());
        return o;
    }
};

TEST_F(WqzplstTest, SevenDigitsGiveTheCityTheTownAndTheFormattedPostcode)
{
    const TOpened o = open("1000001", fixture.folder());
    ASSERT_EQ(o.status, DicOk);
    ASSERT_NE(o.handle, nullptr);
    ASSERT_EQ(o.count, 1);
    TGuarded<TWqzplstCity> cities(1);
    ASSERT_EQ(cityList(o.handle, cities.data(), 0, 1), DicOk);
    EXPECT_EQ(bytesOf(cities[0].CityCode), "131016");
    EXPECT_EQ(bytesOf(cities[0].Kana), padded(sj(QStringLiteral("ﾄｳｷﾖｳﾄﾁﾖﾀﾞｸ")), 40));
    EXPECT_EQ(bytesOf(cities[0].Name), padded(sj(QStringLiteral("東京都千代田区")), 40));
    EXPECT_EQ(cities[0].TownCount, 1);
    EXPECT_EQ(cities[0].LargeCount, 0);

    TGuarded<TWqzplstTown> towns(1);
    ASSERT_EQ(townList(o.handle, &cities[0], towns.data(), 0, 1), DicOk);
    EXPECT_EQ(bytesOf(towns[0].Postcode), padded("1000001", 8));
    EXPECT_EQ(bytesOf(towns[0].TownKana), padded(sj(QStringLiteral("ﾁﾖﾀﾞ")), 102));
    EXPECT_EQ(bytesOf(towns[0].Town), padded(sj(QStringLiteral("千代田")), 102));
    EXPECT_EQ(bytesOf(towns[0].TownCode), "0030000");
    EXPECT_TRUE(towns.sentinelIntact());

    char formatted[9];
    std::memset(formatted, 'x', sizeof formatted);
    ASSERT_EQ(post(o.handle, formatted), DicOk);
    EXPECT_EQ(std::string(formatted, 9), std::string("100-0001\0", 9));
    EXPECT_EQ(close(o.handle), DicOk);
    EXPECT_EQ(close(o.handle), DicWrongInput);
}

TEST_F(WqzplstTest, ShortDigitsCountTownsAndLargeOfficesOfEachCity)
{
    const TOpened o = open("100", fixture.folder());
    ASSERT_EQ(o.status, DicOk);
    TGuarded<TWqzplstCity> cities(1);
    ASSERT_EQ(cityList(o.handle, cities.data(), 0, 1), DicOk);
    EXPECT_EQ(cities[0].TownCount, 7);
    ASSERT_EQ(cities[0].LargeCount, 2);
    TGuarded<TWqzplstTown> towns(2);
    TGuarded<TDicLarge> larges(2);
    ASSERT_EQ(lgTownList(o.handle, &cities[0], towns.data(), larges.data(), 0, 2), DicOk);
    EXPECT_EQ(bytesOf(towns[0].Postcode), padded("1006051", 8)); // 霞が関 before 永田町 by serial
    EXPECT_EQ(bytesOf(larges[1].Name), padded(sj(QStringLiteral("株式会社　エヌ・ティ・ティ・ドコモ")), 62));
    EXPECT_TRUE(towns.sentinelIntact() && larges.sentinelIntact());
    char formatted[9] = {};
    ASSERT_EQ(post(o.handle, formatted), DicOk);
    EXPECT_STREQ(formatted, "100");
    EXPECT_EQ(close(o.handle), DicOk);

    const TOpened tokyo = open("1", fixture.folder());
    EXPECT_EQ(tokyo.count, 2);
    EXPECT_EQ(close(tokyo.handle), DicOk);
}

struct TFirstCase { const char *digits; int status; };
class WqzplstFirstTest : public WqzplstTest, public ::testing::WithParamInterface<TFirstCase> {};

TEST_P(WqzplstFirstTest, RefusesBadDigitsAndFindsNothingWithoutAHandle)
{
    const TOpened o = open(GetParam().digits, fixture.folder());
    EXPECT_EQ(o.status, GetParam().status);
    EXPECT_EQ(o.handle, nullptr);
    EXPECT_EQ(o.count, 0);
}

INSTANTIATE_TEST_SUITE_P(Digits, WqzplstFirstTest,
                         ::testing::Values(TFirstCase{"", DicWrongInput}, TFirstCase{"10000011", DicWrongInput},
                                           TFirstCase{"100-0001", DicWrongInput}, TFirstCase{"10a", DicWrongInput},
                                           TFirstCase{"9", DicNotFound}, TFirstCase{"1000002", DicNotFound}));

TEST_F(WqzplstTest, BadHandlesPointersAndCountsAnswerFourAndWriteNothing)
{
    std::int32_t count = 0;
    std::int16_t status = -1;
    EXPECT_EQ(first(nullptr, &count, &status, fixture.folder().c_str()), nullptr);
    EXPECT_EQ(status, DicWrongInput);
    EXPECT_EQ(first("100", nullptr, &status, fixture.folder().c_str()), nullptr);
    EXPECT_EQ(status, DicWrongInput);
    EXPECT_EQ(first("100", &count, &status, fixture.emptyFolder().c_str()), nullptr);
    EXPECT_EQ(status, DicNotFound);
    EXPECT_EQ(first("100", &count, nullptr, fixture.folder().c_str()), nullptr);

    const TOpened o = open("100", fixture.folder());
    TGuarded<TWqzplstCity> cities(1);
    EXPECT_EQ(cityList(o.handle, cities.data(), 0, 2), DicWrongInput);
    EXPECT_EQ(cityList(o.handle, cities.data(), 0, -1), DicWrongInput);
    EXPECT_EQ(cityList(nullptr, cities.data(), 0, 1), DicWrongInput);
    EXPECT_TRUE(cities.untouched() && cities.sentinelIntact());

    TWqzplstCity chiyoda{};
    std::memcpy(chiyoda.CityCode, "131016", 6);
    TWqzplstCity fuchu = chiyoda;
    std::memcpy(fuchu.CityCode, "132063", 6);
    TGuarded<TWqzplstTown> towns(6);
    EXPECT_EQ(townList(o.handle, &chiyoda, towns.data(), 0, 6), DicWrongInput); // seven towns
    EXPECT_EQ(townList(o.handle, &fuchu, towns.data(), 0, 6), DicNotFound);     // not in the list
    EXPECT_EQ(townList(o.handle, nullptr, towns.data(), 0, 6), DicWrongInput);
    EXPECT_EQ(lgTownList(o.handle, &chiyoda, towns.data(), nullptr, 0, 2), DicWrongInput);
    EXPECT_TRUE(towns.untouched() && towns.sentinelIntact());
    EXPECT_EQ(post(o.handle, nullptr), DicWrongInput);
    EXPECT_EQ(close(o.handle), DicOk);
    EXPECT_EQ(close(nullptr), DicWrongInput);
}

} // namespace
