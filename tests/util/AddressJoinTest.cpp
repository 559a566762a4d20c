#include "util/StrFunc.h"

#include <gtest/gtest.h>

namespace {

struct JoinCase {
    const char *name;
    const char16_t *first, *second, *joined;
};

class AddressJoin : public ::testing::TestWithParam<JoinCase>
{
};

// Lines join with nothing between them unless a number would run into
// the next line's number or Latin letter.
TEST_P(AddressJoin, keepsNumbersOfTwoLinesApart)
{
    const JoinCase &c = GetParam();
    EXPECT_EQ(JoinAddressLines(QString::fromUtf16(c.first), QString::fromUtf16(c.second)), QString::fromUtf16(c.joined));
}

// A building joined to its block number for want of room keeps a blank
// before it whatever the block number ends with; an empty line adds none.
TEST(AddressJoinApart, keepsTheBuildingApartFromTheBlockNumber)
{
    const QString building = QStringLiteral("東京ビルディング");
    EXPECT_EQ(JoinAddressLines(QStringLiteral("丸の内２丁目７－３"), building, true),
              QStringLiteral("丸の内２丁目７－３　東京ビルディング"));
    EXPECT_EQ(JoinAddressLines(QStringLiteral("本町"), QStringLiteral("グランドハイツ"), true),
              QStringLiteral("本町　グランドハイツ"));
    EXPECT_EQ(JoinAddressLines(QStringLiteral("７－３"), QString(), true), QStringLiteral("７－３"));
    EXPECT_EQ(JoinAddressLines(QString(), building, true), building);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AddressJoin,
    ::testing::Values(JoinCase{"fullWidthDigits", u"９－４－２１", u"２０３号室", u"９－４－２１　２０３号室"},
                      JoinCase{"halfWidthDigits", u"9-4-21", u"203", u"9-4-21\u3000203"},
                      JoinCase{"kanjiNumerals", u"三丁目", u"十二番", u"三丁目十二番"},
                      JoinCase{"kanjiNumeralsMeet", u"四丁目五", u"二〇三号", u"四丁目五\u3000二〇三号"},
                      JoinCase{"numberThenHalfWidthLetter", u"80-25", u"J1ビル", u"80-25\u3000J1ビル"},
                      JoinCase{"numberThenFullWidthLetter", u"８０－２５", u"Ｊ１ビル", u"８０－２５　Ｊ１ビル"},
                      JoinCase{"townThenLetter", u"梅田", u"ABCビル", u"梅田ABCビル"},
                      JoinCase{"numberThenBuilding", u"９－４－２１", u"ハイツ２０３", u"９－４－２１ハイツ２０３"},
                      JoinCase{"townThenNumber", u"神宮前", u"９－４", u"神宮前９－４"},
                      JoinCase{"emptySecond", u"２１", u"", u"２１"},
                      JoinCase{"emptyFirst", u"", u"２０３", u"２０３"}),
    [](const ::testing::TestParamInfo<JoinCase> &info) { return std::string(info.param.name); });

} // namespace
