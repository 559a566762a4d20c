#include "DicFixture.h"

#include "platform/dic/store/DicText.h"

#include <gtest/gtest.h>

#include <array>

// "東京都" in Shift-JIS, and a text whose trail byte is 0x20-like values.
static const std::string kTokyo = "\x93\x8C\x8B\x9E\x93\x73";

TEST(DicTextTest, CutNeverSplitsADoubleByteCharacter)
{
    EXPECT_EQ(DicCutBytes(kTokyo, 5), kTokyo.substr(0, 4));
    EXPECT_EQ(DicCutBytes(kTokyo, 6), kTokyo);
    EXPECT_EQ(DicCutBytes("ab" + kTokyo, 3), "ab");
    // A lead byte at the very end has no trail: it is dropped, not copied half.
    EXPECT_EQ(DicCutBytes("a\x93", 10), "a");
}

TEST(DicTextTest, TrimDropsAsciiAndDoubleByteBlanksOnly)
{
    const std::string wideSpace = "\x81\x40";
    EXPECT_EQ(DicTrim(wideSpace + " " + kTokyo + wideSpace + "\t"), kTokyo);
    // 0x40 as a trail byte (the "@" position) belongs to its character.
    const std::string kanaWithTrail40 = "\x83\x40"; // ァ
    EXPECT_EQ(DicTrim(kanaWithTrail40 + " "), kanaWithTrail40);
    EXPECT_TRUE(DicTrim("  \t").empty());
}

TEST(DicTextTest, FieldsReadUpToTheNulAndWriteCutAndPadded)
{
    std::array<char, 5> field{};
    DicSetField(field.data(), field.size(), kTokyo);
    // Four bytes of text keep room for the NUL: two characters.
    EXPECT_EQ(std::string(field.data(), 4), kTokyo.substr(0, 4));
    EXPECT_EQ(field[4], '\0');
    DicSetField(field.data(), field.size(), "ab", false);
    EXPECT_EQ(std::string(field.data(), 5), std::string("ab\0\0\0", 5));
    DicSetField(field.data(), field.size(), "abcdefg", false);
    EXPECT_EQ(DicField(field.data(), field.size()), "abcde");
    EXPECT_TRUE(DicField(nullptr, 4).empty());
}

TEST(DicTextTest, NormalizedKeyTreatsSmallKeAsKeAndDropsSpaces)
{
    const std::string smallKe = "\x83\x96";  // ヶ
    const std::string ke = "\x83\x50";       // ケ
    EXPECT_EQ(DicNormalizeKey("\x90\x7B" + smallKe + "\x93\x63"), "\x90\x7B" + ke + "\x93\x63");
    EXPECT_EQ(DicNormalizeKey(kTokyo + "\x81\x40 " + kTokyo), kTokyo + kTokyo);
}

struct TAddressKeyCase {
    const char *text; // UTF-8
    const char *key;  // UTF-8
};

class DicAddressKeyTest : public ::testing::TestWithParam<TAddressKeyCase>
{
};

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

TEST(DicTextTest, DigitsAreAsciiDigitsWithinTheLimit)
{
    EXPECT_TRUE(DicIsDigits("1000001", 7));
    EXPECT_FALSE(DicIsDigits("10000011", 7));
    EXPECT_FALSE(DicIsDigits("100-0001", 8));
    EXPECT_FALSE(DicIsDigits("", 7));
}

#include "platform/dic/store/DicEntry.h"

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
