#include "DicFixture.h"

#include <gtest/gtest.h>

namespace {

class WqtelTest : public ::testing::Test
{
protected:
    TDicFixture fixture;
    TDicLibrary lib{"wqtel"};
    TWQTLPrefix prefix = lib.fn<TWQTLPrefix>("WQTLPrefix");
    TWQTLCity2 city2 = lib.fn<TWQTLCity2>("WQTLCity2");
    TWQTLTown2First townFirst = lib.fn<TWQTLTown2First>("WQTLTown2First");
    TWQTLTown2Next townNext = lib.fn<TWQTLTown2Next>("WQTLTown2Next");
    TWQTLTown2Prev townPrev = lib.fn<TWQTLTown2Prev>("WQTLTown2Prev");
    TWQTLTown2Close townClose = lib.fn<TWQTLTown2Close>("WQTLTown2Close");
};

// Entries of a block holding a postcode.
int filled(TGuarded<TWqtelTown> &block)
{
    int n = 0;
    for (std::size_t i = 0; i < WqtelBlockSize; ++i)
        n += block[i].Postcode[0] != 0 ? 1 : 0;
    return n;
}

TEST_F(WqtelTest, NumberGivesAreaCodeAndItsCities)
{
    char out[WqtelPrefixSize];
    std::memset(out, 'x', sizeof out);
    std::int16_t count = 0;
    ASSERT_EQ(prefix("0465123456", out, &count, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(std::string(out, sizeof out), padded("0465", WqtelPrefixSize));
    EXPECT_EQ(count, 1);
    ASSERT_EQ(prefix("0451234567", out, &count, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(count, 2);

    TGuarded<TWqtelCity> cities(WqtelMaxCities);
    ASSERT_EQ(city2("0465123456", cities.data(), fixture.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(cities[0].CityCode), "142069");
    EXPECT_EQ(bytesOf(cities[0].Name), padded(sj(QStringLiteral("神奈川県小田原市")), 40));
    EXPECT_EQ(cities[0].TownCount, 45);
    EXPECT_EQ(cities[1].TownCount, 0);
    EXPECT_TRUE(cities.sentinelIntact());
}

struct TNumberCase { const char *digits; int code; };
class WqtelNumberTest : public WqtelTest, public ::testing::WithParamInterface<TNumberCase> {};

TEST_P(WqtelNumberTest, RefusesNumbersThatAreNotSixToElevenDigitsFromZero)
{
    char out[WqtelPrefixSize] = {};
    std::int16_t count = 0;
    EXPECT_EQ(prefix(GetParam().digits, out, &count, fixture.folder().c_str()), GetParam().code);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, '\0'));
}

INSTANTIATE_TEST_SUITE_P(Numbers, WqtelNumberTest,
                         ::testing::Values(TNumberCase{"465123456", DicWrongInput}, TNumberCase{"04651", DicWrongInput},
                                           TNumberCase{"046512345678", DicWrongInput},
                                           TNumberCase{"0465-12", DicWrongInput}, TNumberCase{"", DicWrongInput},
                                           TNumberCase{"0123450000", DicNotFound},  // no such area
                                           TNumberCase{"0999990000", DicNotFound})); // an area without cities

TEST_F(WqtelTest, TownsComeInBlocksOfTwentyWithMoreAndLastStatuses)
{
    TWqtelCity odawara{};
    std::memcpy(odawara.CityCode, "142069", 6);
    TGuarded<TWqtelTown> block(WqtelBlockSize);
    std::int32_t status = -1;
    void *handle = townFirst("0465123456", &odawara, block.data(), &status, fixture.folder().c_str());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(status, DicBlockMore);
    EXPECT_EQ(filled(block), 20);
    // The city-wide row first, then the towns by serial (穴部 has the first reading).
    EXPECT_EQ(bytesOf(block[0].Code), "142069000000");
    EXPECT_EQ(bytesOf(block[1].Postcode), padded("2500053", 8));
    EXPECT_EQ(bytesOf(block[1].Code), "142069001000");
    EXPECT_EQ(bytesOf(block[1].Town), padded(sj(QStringLiteral("穴部")), 74));
    EXPECT_EQ(std::string(block[1].KanaHead, 2), sj(QStringLiteral("ｱ")) + std::string(1, '\0')); // ｱﾅﾍﾞ
    EXPECT_EQ(townNext(handle, block.data()), DicBlockMore);
    EXPECT_EQ(filled(block), 20);
    EXPECT_EQ(townNext(handle, block.data()), DicBlockLast);
    EXPECT_EQ(filled(block), 5);
    EXPECT_EQ(townNext(handle, block.data()), DicNotFound);
    EXPECT_EQ(townPrev(handle, block.data()), DicBlockMore);
    EXPECT_EQ(bytesOf(block[0].Code), "142069020000");
    EXPECT_EQ(townPrev(handle, block.data()), DicBlockMore);
    EXPECT_EQ(townPrev(handle, block.data()), DicNotFound);
    EXPECT_TRUE(block.sentinelIntact());
    EXPECT_EQ(townClose(handle), DicOk);
    EXPECT_EQ(townClose(handle), DicWrongInput);
}

TEST_F(WqtelTest, BadArgumentsAnswerFourAndMissingDataEight)
{
    TWqtelCity odawara{};
    std::memcpy(odawara.CityCode, "142069", 6);
    TWqtelCity chiyoda = odawara;
    std::memcpy(chiyoda.CityCode, "131016", 6);
    TGuarded<TWqtelTown> block(WqtelBlockSize);
    std::int32_t status = -1;
    EXPECT_EQ(townFirst("0465123456", nullptr, block.data(), &status, fixture.folder().c_str()), nullptr);
    EXPECT_EQ(status, DicWrongInput);
    EXPECT_EQ(townFirst("465123456", &odawara, block.data(), &status, fixture.folder().c_str()), nullptr);
    EXPECT_EQ(status, DicWrongInput);
    EXPECT_EQ(townFirst("0465123456", &chiyoda, block.data(), &status, fixture.folder().c_str()), nullptr);
    EXPECT_EQ(status, DicNotFound); // not a city of the area
    EXPECT_TRUE(block.untouched() && block.sentinelIntact());
    EXPECT_EQ(townNext(nullptr, block.data()), DicWrongInput);
    EXPECT_EQ(townClose(nullptr), DicWrongInput);

    TGuarded<TWqtelCity> cities(WqtelMaxCities);
    EXPECT_EQ(city2(nullptr, cities.data(), fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(city2("0465123456", cities.data(), fixture.emptyFolder().c_str()), DicNotFound);
    EXPECT_TRUE(cities.untouched());
    std::int16_t count = 0;
    EXPECT_EQ(prefix("0465123456", nullptr, &count, fixture.folder().c_str()), DicWrongInput);
}

} // namespace
