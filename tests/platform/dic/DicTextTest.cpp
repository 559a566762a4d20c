#include "DicFixture.h"

#include "platform/dic/store/DicEntry.h"
#include "platform/dic/store/DicText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

struct TAddressKeyCase { const char *text; const char *key; }; // UTF-8
class DicAddressKeyTest : public ::testing::TestWithParam<TAddressKeyCase> {};

TEST_P(DicAddressKeyTest, WritesEveryNumberInAsciiDigits)
{
    EXPECT_EQ(DicAddressKey(sj(QString::fromUtf8(GetParam().text))), sj(QString::fromUtf8(GetParam().key)));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, DicAddressKeyTest,
    ::testing::Values(TAddressKeyCase{"永山北４条", "永山北4条"}, TAddressKeyCase{"永山北四条", "永山北4条"},
                      TAddressKeyCase{"南十条西", "南10条西"}, TAddressKeyCase{"北二十条西", "北20条西"},
                      TAddressKeyCase{"十五", "15"}, TAddressKeyCase{"二十五丁目", "25丁目"},
                      TAddressKeyCase{"一〇", "10"}, TAddressKeyCase{"十十", "1010"},
                      TAddressKeyCase{"北 ３条西１２", "北3条西12"}, TAddressKeyCase{"百人町", "百人町"}));

TEST(DicTextTest, OazaNumbersRoundTripAndTownCodesCarryThem)
{
    for (const int serial : {0, 1, 999, 1000, 1099, 1100, 3599})
        EXPECT_EQ(DicOazaSerial(DicOazaNumber(serial)), serial) << serial;
    EXPECT_EQ(DicOazaNumber(1000), "A00");
    EXPECT_EQ(DicOazaNumber(3599), "Z99");
    EXPECT_TRUE(DicOazaNumber(3600).empty());
    EXPECT_EQ(DicOazaSerial("a00"), -1);
    EXPECT_EQ(DicOazaSerial("12"), -1);
    EXPECT_EQ(DicTownCode(3, 0), "0030000");
    EXPECT_EQ(DicTownCode(1001, 0), "A010000");
}

TEST(DicTextTest, RowNumbersRoundTripAndFollowTheOazaNumberInTheTownCode)
{
    for (const int seq : {0, 1, 99, 100, 135, 136, DicMaxTownSeq})
        EXPECT_EQ(DicRowSeq(DicRowNumber(seq)), seq) << seq;
    EXPECT_EQ(DicRowNumber(100), "A0");
    EXPECT_EQ(DicRowNumber(110), "AA");
    EXPECT_EQ(DicRowNumber(DicMaxTownSeq), "ZZ");
    EXPECT_TRUE(DicRowNumber(DicMaxTownSeq + 1).empty());
    for (const char *bad : {"0A", "a0", "A", "A00", "-1", "Z_"})
        EXPECT_EQ(DicRowSeq(bad), -1) << bad;
    EXPECT_EQ(DicTownCode(3, 1), "0030100");
    EXPECT_EQ(DicTownCode(1001, 110), "A01AA00");
    EXPECT_TRUE(DicTownCode(3, DicMaxTownSeq + 1).empty());
}

// An answer field that is blank (or nothing at all) leaves the record's
// field NUL from its first byte, whatever it held.
TEST(DicTextTest, BlankOrMissingTextLeavesTheFieldAllNul)
{
    for (const std::string_view text : {std::string_view(), std::string_view(""), std::string_view("  \x81\x40 ")}) {
        char field[8];
        std::memset(field, 'x', sizeof field);
        DicSetField(field, sizeof field, DicTrim(text));
        EXPECT_EQ(std::string(field, sizeof field), std::string(sizeof field, '\0'));
    }
}
