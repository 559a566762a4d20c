#include "DicFixture.h"

#include <gtest/gtest.h>

namespace {

class WQZsCnvTest : public ::testing::Test
{
protected:
    TDicFixture fixture;
    TDicLibrary lib{"wqzscnv"};
    TWQZSCAdrs adrs = lib.fn<TWQZSCAdrs>("WQZSCAdrs");
};

struct TCnvCase { const char *text; int code; const char *cityCode; const char *postcode; const char *town;
                  const char *townCode; };
class WQZsCnvCaseTest : public WQZsCnvTest, public ::testing::WithParamInterface<TCnvCase> {};

TEST_P(WQZsCnvCaseTest, PicksOneCityAndTheLongestTown)
{
    const TCnvCase &c = GetParam();
    TWqzscnvResult result;
    std::memset(&result, 0x5A, sizeof result);
    EXPECT_EQ(adrs(sj(QString::fromUtf8(c.text)).c_str(), &result, fixture.folder().c_str()), c.code);
    EXPECT_EQ(bytesOf(result.CityCode), padded(c.cityCode, 6));
    EXPECT_EQ(bytesOf(result.Postcode), padded(c.postcode, 10));
    EXPECT_EQ(bytesOf(result.Town), padded(sj(QString::fromUtf8(c.town)), 102));
    EXPECT_EQ(bytesOf(result.TownCode), padded(c.townCode, 7));
    EXPECT_EQ(bytesOf(result.Reserved), std::string(3, '\0'));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WQZsCnvCaseTest,
    ::testing::Values(TCnvCase{"東京都千代田区千代田1-1", DicOk, "131016", "1000001", "千代田", "0030000"},
                      // 一ツ橋 has rows of two postcodes that the text does not tell apart.
                      TCnvCase{" 千代田区一ツ橋２丁目 ", DicNotFound, "", "", "", ""},
                      TCnvCase{"広島県府中市斗升町", DicOk, "342084", "7293201", "斗升町", "0010000"},
                      TCnvCase{"千代田区大阪町", DicCityOnly, "131016", "1000000", "", "0000000"},
                      TCnvCase{"広島県府中市", DicCityOnly, "342084", "", "", ""},
                      TCnvCase{"大阪市北区", DicNotFound, "", "", "", ""},
                      TCnvCase{"　", DicWrongInput, "", "", "", ""}));

TEST_F(WQZsCnvTest, ResultHoldsEveryFieldPadded)
{
    TWqzscnvResult result{};
    ASSERT_EQ(adrs(sj(QStringLiteral("千代田区千代田")).c_str(), &result, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(result.PrefKana), padded(sj(QStringLiteral("ﾄｳｷｮｳﾄ")), 10));
    EXPECT_EQ(bytesOf(result.Pref), padded(sj(QStringLiteral("東京都")), 10));
    EXPECT_EQ(bytesOf(result.CityKana), padded(sj(QStringLiteral("ﾁﾖﾀﾞｸ")), 26));
    EXPECT_EQ(bytesOf(result.City), padded(sj(QStringLiteral("千代田区")), 26));
    EXPECT_EQ(bytesOf(result.TownKana), padded(sj(QStringLiteral("ﾁﾖﾀﾞ")), 102));
}

TEST_F(WQZsCnvTest, BadArgumentsAnswerFourMissingDataEight)
{
    TWqzscnvResult result{};
    EXPECT_EQ(adrs(nullptr, &result, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(adrs("x", nullptr, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(adrs("x", &result, nullptr), DicWrongInput);
    EXPECT_EQ(adrs(sj(QStringLiteral("府中市")).c_str(), &result, fixture.emptyFolder().c_str()), DicNotFound);
}

} // namespace
