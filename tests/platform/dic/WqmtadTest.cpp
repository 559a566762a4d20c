#include "DicFixture.h"

#include <gtest/gtest.h>

namespace {

class WqmtadTest : public ::testing::Test
{
protected:
    TDicFixture fixture;
    TDicLibrary lib{"wqmtad"};
    TWQMTAdrs adrs = lib.fn<TWQMTAdrs>("WQMTAdrs");
};

TEST_F(WqmtadTest, TownDetailHoldsEveryFieldAndNoCoordinates)
{
    TWqmtadDetail detail;
    std::memset(&detail, 0x5A, sizeof detail);
    ASSERT_EQ(adrs("13101600300", &detail, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(detail.Latitude, 0);
    EXPECT_EQ(detail.Longitude, 0);
    EXPECT_EQ(bytesOf(detail.Postcode), padded("1000001", 8));
    EXPECT_EQ(bytesOf(detail.PrefKana), padded(sj(QStringLiteral("ﾄｳｷｮｳﾄ")), 10));
    EXPECT_EQ(bytesOf(detail.Pref), padded(sj(QStringLiteral("東京都")), 10));
    EXPECT_EQ(bytesOf(detail.CityKana), padded(sj(QStringLiteral("ﾁﾖﾀﾞｸ")), 26));
    EXPECT_EQ(bytesOf(detail.City), padded(sj(QStringLiteral("千代田区")), 26));
    EXPECT_EQ(bytesOf(detail.OazaKana), padded(sj(QStringLiteral("ﾁﾖﾀﾞ")), 38));
    EXPECT_EQ(bytesOf(detail.Oaza), padded(sj(QStringLiteral("千代田")), 38));
    EXPECT_EQ(bytesOf(detail.AzaKana), std::string(34, '\0'));
    EXPECT_EQ(bytesOf(detail.Aza), std::string(38, '\0'));
}

TEST_F(WqmtadTest, LongTownFillsTheOazaFieldAndContinuesInTheAza)
{
    TWqmtadDetail detail{};
    ASSERT_EQ(adrs("13101600600", &detail, fixture.folder().c_str()), DicOk);
    EXPECT_EQ(bytesOf(detail.Oaza), sj(QStringLiteral("丸の内パシフィックセンチュリープレイス")));
    EXPECT_EQ(bytesOf(detail.Aza), padded(sj(QStringLiteral("丸の内１０階")), 38));
    EXPECT_EQ(bytesOf(detail.OazaKana), padded(sj(QStringLiteral("ﾏﾙﾉｳﾁﾊﾟｼﾌｨｯｸｾﾝﾁｭﾘｰﾌﾟﾚｲｽﾏﾙﾉｳﾁ10ｶｲ")), 38));
}

struct TCodeCase { const char *code; int rc; const char *postcode; };
class WqmtadCodeTest : public WqmtadTest, public ::testing::WithParamInterface<TCodeCase> {};

TEST_P(WqmtadCodeTest, AnswersByCityOazaAndRow)
{
    TWqmtadDetail detail{};
    EXPECT_EQ(adrs(GetParam().code, &detail, fixture.folder().c_str()), GetParam().rc);
    EXPECT_EQ(bytesOf(detail.Postcode), padded(GetParam().postcode, 8));
}

INSTANTIATE_TEST_SUITE_P(Codes, WqmtadCodeTest,
                         ::testing::Values(TCodeCase{"13101600000", DicOk, "1000000"},  // the city itself
                                           TCodeCase{"13101600500", DicOk, "1000003"},  // the town's leading row
                                           TCodeCase{"13101600501", DicOk, "1010003"},  // its second postcode
                                           TCodeCase{"13101600502", DicNotFound, ""},   // no third row
                                           TCodeCase{"131016005A0", DicNotFound, ""},   // row 100
                                           TCodeCase{"13101600001", DicNotFound, ""},   // one city-wide row only
                                           TCodeCase{"34208400001", DicNotFound, ""},
                                           TCodeCase{"131016005a0", DicWrongInput, ""},
                                           TCodeCase{"34208400000", DicOk, ""},         // no city-wide row
                                           TCodeCase{"13101500003", DicNotFound, ""},   // wrong check digit
                                           TCodeCase{"13101699900", DicNotFound, ""},
                                           TCodeCase{"131016A0000", DicNotFound, ""},   // serial 1000
                                           TCodeCase{"131016a0000", DicWrongInput, ""},
                                           TCodeCase{"1310160000", DicWrongInput, ""},
                                           TCodeCase{"131016000001", DicWrongInput, ""},
                                           TCodeCase{"1310160000a", DicWrongInput, ""}));

TEST_F(WqmtadTest, NullArgumentsAnswerFourMissingDataEight)
{
    TWqmtadDetail detail{};
    EXPECT_EQ(adrs(nullptr, &detail, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(adrs("13101600003", nullptr, fixture.folder().c_str()), DicWrongInput);
    EXPECT_EQ(adrs("13101600003", &detail, nullptr), DicWrongInput);
    EXPECT_EQ(adrs("13101600003", &detail, fixture.emptyFolder().c_str()), DicNotFound);
}

} // namespace
