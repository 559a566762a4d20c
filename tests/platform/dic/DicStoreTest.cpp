#include "DicFixture.h"

#include "DicKana.h"
#include "DicStore.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(DicStoreTest, OpensEachFolderOnceAndKeepsPrefecturesAndCitiesInMemory)
{
    const TDicFixture fixture;
    const auto store = TDicStore::forFolder(fixture.folder());
    ASSERT_TRUE(store);
    EXPECT_EQ(TDicStore::forFolder(fixture.folder()), store);
    EXPECT_EQ(store->prefs().size(), 3u);
    ASSERT_EQ(store->cities().size(), 6u);
    EXPECT_EQ(store->city("13101")->name, sj(QStringLiteral("千代田区")));
    EXPECT_EQ(store->cityOfCode6("131016"), store->city("13101"));
    EXPECT_EQ(store->cityOfCode6("131015"), nullptr);
}

TEST(DicStoreTest, MissingFileOrAnotherFormatGivesNoStore)
{
    const TDicFixture fixture;
    EXPECT_FALSE(TDicStore::forFolder(fixture.emptyFolder()));
    const TDicFixture future({}, DicSchemaVersion + 1);
    EXPECT_FALSE(TDicStore::forFolder(future.folder()));
    // A file of the format before the rows of a town had their own numbers.
    const TDicFixture older({}, DicSchemaVersion - 1);
    EXPECT_FALSE(TDicStore::forFolder(older.folder()));
}

TEST(DicStoreTest, PostcodePrefixMatchesOnlyPostcodesStartingWithIt)
{
    const TDicFixture fixture;
    const auto store = TDicStore::forFolder(fixture.folder());
    const auto cities = store->citiesOfPostcode("100");
    ASSERT_EQ(cities.size(), 1u);
    EXPECT_EQ(cities[0].city->code5, "13101");
    EXPECT_EQ(cities[0].towns, 7); // 1010003 lies outside
    EXPECT_EQ(cities[0].larges, 2);
    EXPECT_EQ(store->citiesOfPostcode("1").size(), 2u);
    EXPECT_TRUE(store->citiesOfPostcode("9").empty());
    EXPECT_EQ(store->townsOfPostcode("13101", 0, "101").size(), 1u);
}

TEST(DicStoreTest, TownOfASerialIsItsLowestPostcode)
{
    const TDicFixture fixture;
    const auto store = TDicStore::forFolder(fixture.folder());
    const auto town = store->town("13101", 5, 0);
    ASSERT_TRUE(town);
    EXPECT_EQ(town->name, sj(QStringLiteral("一ツ橋")));
    EXPECT_EQ(town->postcode, "1000003");
    const auto second = store->town("13101", 5, 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->postcode, "1010003");
    EXPECT_EQ(second->seq, 1);
    EXPECT_FALSE(store->town("13101", 5, 2));
    EXPECT_FALSE(store->town("13101", 99, 0));
    EXPECT_EQ(store->townCount("14206", 0), 45);
}

TEST(DicStoreTest, AreaGivesItsCodeAndCitiesInOrder)
{
    const TDicFixture fixture;
    const auto store = TDicStore::forFolder(fixture.folder());
    const auto yokohama = store->area("45123");
    ASSERT_TRUE(yokohama);
    EXPECT_EQ(yokohama->areaCode, "045");
    ASSERT_EQ(yokohama->cities.size(), 2u);
    EXPECT_EQ(yokohama->cities[1]->code5, "14102");
    EXPECT_FALSE(store->area("12345"));
}

TEST(DicStoreTest, OpensWellUnderFiftyMillisecondsAndLooksUpFarUnderAMillisecond)
{
    const TDicFixture fixture;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto store = TDicStore::forFolder(fixture.folder());
    const auto opened = Clock::now();
    constexpr int rounds = 1000;
    for (int i = 0; i < rounds; ++i) {
        (void)store->towns("14206", 0);
        (void)store->citiesOfPostcode("25000");
        (void)store->area("46512");
    }
    const auto done = Clock::now();
    const double openMs = std::chrono::duration<double, std::milli>(opened - start).count();
    const double callUs = std::chrono::duration<double, std::micro>(done - opened).count() / (3 * rounds);
    std::cout << "open " << openMs << " ms, per look-up " << callUs << " us\n";
    EXPECT_LT(openMs, 50.0);
    EXPECT_LT(callUs, 1000.0);
}

TEST(DicStoreTest, KanaHeadIsTheHiraganaOfTheFirstHalfWidthKana)
{
    const QString halfWidth = QStringLiteral("ｦｧｨｩｪｫｬｭｮｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ");
    const QString hiragana = QStringLiteral("をあいうえおやゆよつあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわん");
    for (qsizetype i = 0; i < halfWidth.size(); ++i)
        EXPECT_EQ(DicKanaHead(sj(halfWidth.mid(i) + QStringLiteral("ﾞ"))), sj(hiragana.mid(i, 1))) << i;
    EXPECT_EQ(DicKanaHead(sj(QStringLiteral("ｰ"))), "");
    EXPECT_EQ(DicKanaHead("A"), "");
    EXPECT_EQ(DicKanaHead(""), "");
}
