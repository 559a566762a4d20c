#include "DicFixture.h"

#include <gtest/gtest.h>

namespace {

class WqzsTest : public ::testing::Test
{
protected:
    TDicFixture fixture;
    TDicLibrary lib{"wqzs"};
    TWQZsJisCount jisCount = lib.fn<TWQZsJisCount>("WQZsJisCount");
    TWQZsJisList jisList = lib.fn<TWQZsJisList>("WQZsJisList");
    TWQZsTownCount townCount = lib.fn<TWQZsTownCount>("WQZsTownCount");
    TWQZsTownList townList = lib.fn<TWQZsTownList>("WQZsTownList");
    TWQZsLargeCount largeCount = lib.fn<TWQZsLargeCount>("WQZsLargeCount");
    TWQZsLargeList largeList = lib.fn<TWQZsLargeList>("WQZsLargeList");

    TWqzsCity city(const char *code6)
    {
        TWqzsCity entry{};
        std::memcpy(entry.CityCode, code6, 6);
        return entry;
    }
};

TEST_F(WqzsTest, CityEntryHoldsCodeReadingsAndNamesPadded)
{
    const std::string text = sj(QStringLiteral("東京都千代田区"));
    std::int32_t n = 0;
    ASSERT_EQ(jisCount(text.c_str(), &n, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(n, 1);
    TGuarded<TWqzsCity> list(1);
    ASSERT_EQ(jisList(text.c_str(), list.data(), 1, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(list[0].CityCode), "131016");
    EXPECT_EQ(bytesOf(list[0].PrefKana), padded(sj(QStringLiteral("ﾄｳｷｮｳﾄ")), 10));
    EXPECT_EQ(bytesOf(list[0].Pref), padded(sj(QStringLiteral("東京都")), 10));
    EXPECT_EQ(bytesOf(list[0].CityKana), padded(sj(QStringLiteral("ﾁﾖﾀﾞｸ")), 26));
    EXPECT_EQ(bytesOf(list[0].City), padded(sj(QStringLiteral("千代田区")), 26));
    EXPECT_TRUE(list.sentinelIntact());
}

TEST_F(WqzsTest, TownEntryHoldsPostcodeReadingNameAndCode)
{
    const std::string text = sj(QStringLiteral("千代田区千代田"));
    const TWqzsCity entry = city("131016");
    TGuarded<TWqzsTown> towns(1);
    ASSERT_EQ(townList(text.c_str(), &entry, towns.data(), 1, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(towns[0].Postcode), padded("1000001", 10));
    EXPECT_EQ(bytesOf(towns[0].TownKana), padded(sj(QStringLiteral("ﾁﾖﾀﾞ")), 102));
    EXPECT_EQ(bytesOf(towns[0].Town), padded(sj(QStringLiteral("千代田")), 102));
    EXPECT_EQ(bytesOf(towns[0].TownCode), "0030000");
}

TEST_F(WqzsTest, EachPostcodeRowOfATownHasItsOwnCode)
{
    const std::string text = sj(QStringLiteral("千代田区一ツ橋"));
    const TWqzsCity entry = city("131016");
    TGuarded<TWqzsTown> towns(2);
    ASSERT_EQ(townList(text.c_str(), &entry, towns.data(), 2, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(towns[0].Postcode), padded("1000003", 10));
    EXPECT_EQ(bytesOf(towns[0].TownCode), "0050000");
    EXPECT_EQ(bytesOf(towns[1].Postcode), padded("1010003", 10));
    EXPECT_EQ(bytesOf(towns[1].TownCode), "0050100");
}

TEST_F(WqzsTest, LargeOfficesMatchTownAndStreetAndComeWithTheirTown)
{
    const TWqzsCity entry = city("131016");
    std::int32_t n = 0;
    const std::string all = sj(QStringLiteral("千代田区"));
    ASSERT_EQ(largeCount(all.c_str(), &entry, &n, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(n, 2);
    const std::string text = sj(QStringLiteral("千代田区永田町２丁目１１－１"));
    ASSERT_EQ(largeCount(text.c_str(), &entry, &n, fixture.folder().c_str()), DicOk);
    ASSERT_EQ(n, 1);
    TGuarded<TWqzsTown> towns(1);
    TGuarded<TDicLarge> larges(1);
    ASSERT_EQ(largeList(text.c_str(), &entry, towns.data(), larges.data(), 1, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(towns[0].Postcode), padded("1006150", 10));
    EXPECT_EQ(bytesOf(towns[0].Town), padded(sj(QStringLiteral("永田町")), 102));
    EXPECT_EQ(bytesOf(towns[0].TownCode), "0040000");
    EXPECT_EQ(bytesOf(larges[0].Name), padded(sj(QStringLiteral("株式会社　エヌ・ティ・ティ・ドコモ")), 62));
    EXPECT_EQ(bytesOf(larges[0].Kana), padded("", 62));
    EXPECT_TRUE(towns.sentinelIntact() && larges.sentinelIntact());
}

TEST_F(WqzsTest, BadInputAnswersFourAndWritesNothing)
{
    const std::string text = sj(QStringLiteral("府中市"));
    const char *folder = fixture.folder().c_str();
    std::int32_t n = 0;
    TGuarded<TWqzsCity> list(2);
    EXPECT_EQ(jisCount(nullptr, &n, folder), DicWrongInput);
    EXPECT_EQ(jisCount(text.c_str(), nullptr, folder), DicWrongInput);
    EXPECT_EQ(jisCount(text.c_str(), &n, nullptr), DicWrongInput);
    EXPECT_EQ(jisCount("", &n, folder), DicWrongInput);
    EXPECT_EQ(jisCount(std::string(255, 'a').c_str(), &n, folder), DicWrongInput);
    EXPECT_EQ(jisList(text.c_str(), list.data(), 1, folder), DicWrongInput); // two cities found
    EXPECT_EQ(jisList(text.c_str(), list.data(), -2, folder), DicWrongInput);
    EXPECT_EQ(jisList(text.c_str(), nullptr, 2, folder), DicWrongInput);
    EXPECT_TRUE(list.untouched());

    const TWqzsCity bad = city("13101X");
    const TWqzsCity good = city("131016");
    TGuarded<TWqzsTown> towns(1);
    EXPECT_EQ(townCount(text.c_str(), &bad, &n, folder), DicWrongInput);
    EXPECT_EQ(townCount(text.c_str(), nullptr, &n, folder), DicWrongInput);
    const std::string all = sj(QStringLiteral("千代田区"));
    EXPECT_EQ(townList(all.c_str(), &good, towns.data(), 1, folder), DicWrongInput); // eight towns
    EXPECT_EQ(largeList(all.c_str(), &good, towns.data(), nullptr, 2, folder), DicWrongInput);
    EXPECT_TRUE(towns.untouched() && towns.sentinelIntact());
}

TEST_F(WqzsTest, NoCityNoTownOrNoDataAnswersEight)
{
    const std::string text = sj(QStringLiteral("府中市"));
    std::int32_t n = 0;
    EXPECT_EQ(jisCount(text.c_str(), &n, fixture.emptyFolder().c_str()), DicNotFound);
    EXPECT_EQ(jisCount(sj(QStringLiteral("大阪府")).c_str(), &n, fixture.folder().c_str()), DicNotFound);
    const TWqzsCity entry = city("131016");
    EXPECT_EQ(townCount(text.c_str(), &entry, &n, fixture.emptyFolder().c_str()), DicNotFound);
    EXPECT_EQ(townCount(sj(QStringLiteral("千代田区大阪町")).c_str(), &entry, &n, fixture.folder().c_str()), DicNotFound);
}

} // namespace
