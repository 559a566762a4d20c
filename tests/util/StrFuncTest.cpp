#include "platform/Cp932.h"
#include "support/RowName.h"
#include "util/StrFunc.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

QByteArray sj(const char16_t *text) { return Cp932::encode(QStringView(text)); }

QString w(const char16_t *text) { return QString::fromUtf16(text); }

// Bytes as hex followed by their decoded text, so a failure shows both.
std::string shown(const QByteArray &bytes)
{
    return bytes.toHex(' ').toStdString() + " [" + Cp932::decode(bytes).toStdString() + "]";
}
std::string shown(const QString &text) { return text.toStdString(); }

// ---- FilterNumberChars, ReverseMbcsString, RemoveSpaces -------------------------

struct FilterCase { const char16_t *text; int kinds; const char *expected; };

class FilterNumberCharsTable : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterNumberCharsTable, keepsOnlyTheChosenSingleByteCharacters)
{
    EXPECT_EQ(shown(FilterNumberChars(sj(GetParam().text), GetParam().kinds)), shown(QByteArray(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterNumberCharsTable,
    ::testing::Values(FilterCase{u"03-12.5", nckDigits | nckHyphen, "03-125"},
                      FilterCase{u"03-12.5", nckPeriod, "."},
                      FilterCase{u"０3－4", nckDigits | nckHyphen, "34"}, // full-width digit and dash dropped
                      FilterCase{u"ｱ1 2ｰ3", nckDigits, "123"})); // half-width kana are single bytes too

// Trail bytes in the ASCII range are never taken for characters: 表 is 95 5C, ソ 83 5C, ア 83 41, 一 88 EA.
TEST(ByteStringHelpers, keepDoubleByteCharactersWhole)
{
    EXPECT_EQ(shown(ReverseMbcsString(sj(u"一一ｱ表"))), shown(sj(u"表ｱ一一")));
    EXPECT_EQ(shown(RemoveSpaces(u" 山田 太郎　様　")), shown(sj(u"山田太郎様")));
    EXPECT_EQ(CountOccurrences(sj(u"表\\ソ\\"), sj(u"\\")), 2);
    EXPECT_EQ(CountOccurrences(sj(u"アA"), sj(u"A")), 1);
}

TEST(SplitFields, cutsAtWholeCharactersAndDelimitersOutsideQuotesAndTrailBytes)
{
    QList<QByteArray> parts{sj(u"ABCDあいう"), "stale"};
    SplitFields(parts, smWidth, 5, QByteArray());
    EXPECT_EQ(shown(parts[0] + '|' + parts[1]), shown(sj(u"ABCD |あいう")));
    parts = {sj(u"表示\\ソフト\\X\\Y"), "stale", "stale"};
    SplitFields(parts, smDelimiter, 0, "\\");
    EXPECT_EQ(shown(parts.join('|')), shown(sj(u"表示|ソフト|X\\Y"))); // the last part takes the rest
    parts = {sj(u"a,\"b,c\",d"), "stale", "stale"};
    SplitFields(parts, smCsv, 0, ",");
    EXPECT_EQ(shown(parts.join('|')), shown(sj(u"a|b,c|d")));
}

// ---- Prefectures ------------------------------------------------------------------------

class EveryPrefecture : public ::testing::TestWithParam<int> {};

TEST_P(EveryPrefecture, isSplitOffInKanjiAndKana)
{
    const int i = GetParam();
    QByteArray prefecture, rest;
    EXPECT_TRUE(SplitPrefecture(PrefectureNamesAnsi()[i] + sj(u"中央1-2"), prefecture, rest));
    EXPECT_EQ(shown(prefecture + '|' + rest), shown(PrefectureNamesAnsi()[i] + '|' + sj(u"中央1-2")));
    EXPECT_TRUE(SplitPrefectureKana(PrefectureReadings()[i] + sj(u"ﾁﾕｳｵｳ"), prefecture, rest));
    EXPECT_EQ(shown(prefecture + '|' + rest), shown(PrefectureReadings()[i] + '|' + sj(u"ﾁﾕｳｵｳ")));
}

INSTANTIATE_TEST_SUITE_P(Rows, EveryPrefecture, ::testing::Range(0, PrefectureCount));

TEST(SplitPrefecture, leavesAnAddressWithoutAPrefectureWhole)
{
    QByteArray prefecture = "old", rest;
    EXPECT_FALSE(SplitPrefecture(sj(u"千代田区丸の内"), prefecture, rest));
    EXPECT_EQ(shown(prefecture + '|' + rest), shown(sj(u"|千代田区丸の内")));
    EXPECT_FALSE(SplitPrefectureKana(sj(u"ﾄｳｷｮｳﾄ"), prefecture, rest)); // small kana: no match
}

// ---- Company types, digits, dashes ---------------------------------------------------------

TEST(WideRewrites, rewriteEveryOccurrence)
{
    EXPECT_EQ(shown(RemovePrefectureNamesW(u"大阪府と京都府と大阪府")), shown(w(u"とと")));
    EXPECT_EQ(shown(AbbreviateCompanyTypeW(u"株式会社A宗教法人B株式会社", false)), shown(w(u"(株)A(宗)B(株)")));
    EXPECT_EQ(shown(ReplaceDashesW(u"１－２－３", 1)), shown(w(u"１の２の３")));
}

// An address converts alike whatever width it was typed in: digits to kanji
// numerals and dashes to の, as a layout with both boxes ticked prints it.
struct NumeralCase { const char *name; const char16_t *typed, *expected; };

class AddressNumerals : public ::testing::TestWithParam<NumeralCase> {};

TEST_P(AddressNumerals, convertDigitsAndDashesOfEitherWidth)
{
    EXPECT_EQ(shown(ReplaceDashesW(DigitsToKanjiW(w(GetParam().typed)), 1)), shown(w(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressNumerals,
    ::testing::Values(
        NumeralCase{"halfWidthLotAndRoom", u"3丁目80-25 J1ビル2-B", u"三丁目八〇の二五 J1ビル二のB"},
        NumeralCase{"fullWidthLotAndRoom", u"３丁目８０－２５　Ｊ１ビル２－Ｂ", u"三丁目八〇の二五　Ｊ１ビル二のＢ"},
        NumeralCase{"halfWidthAfterKanji", u"北一条西2-1", u"北一条西二の一"},
        NumeralCase{"halfWidthBuildingAndRoom", u"2-4-9梅田ビル 1203", u"二の四の九梅田ビル 一二〇三"},
        NumeralCase{"alreadyKanji", u"九の四の二一 二〇三号室", u"九の四の二一 二〇三号室"},
        NumeralCase{"bothWidthsInOneLot", u"１５-25-２２", u"一五の二五の二二"},
        NumeralCase{"minusSign", u"１５−２５", u"一五の二五"},
        NumeralCase{"soundMarkBetweenNumbers", u"2ー4ｰ9", u"二の四の九"},
        NumeralCase{"soundMarkOfAWordStays", u"センター2", u"センター二"},
        NumeralCase{"letterBeforeKeepsTheNumber", u"ＫＳ２１ビル", u"ＫＳ２１ビル"},
        NumeralCase{"letterAfterKeepsTheNumber", u"B2F 101A号室", u"B2F 101A号室"},
        NumeralCase{"everyDigit", u"0123456789０１２３４５６７８９", u"〇一二三四五六七八九〇一二三四五六七八九"}),
    rowName);

// ---- Width mapping ---------------------------------------------------------------------------

struct WidthCase { const char *name; const char16_t *half, *full; };

// Pairs that map onto each other in both directions, wide and code page 932.
class WidthPairs : public ::testing::TestWithParam<WidthCase> {};

TEST_P(WidthPairs, mapBothWays)
{
    const QString half = w(GetParam().half), full = w(GetParam().full);
    EXPECT_EQ(shown(ToFullWidthW(half)), shown(full));
    EXPECT_EQ(shown(ToHalfWidthW(full)), shown(half));
    EXPECT_EQ(shown(ToFullWidth(Cp932::encode(half))), shown(Cp932::encode(full)));
    EXPECT_EQ(shown(ToHalfWidth(Cp932::encode(full))), shown(Cp932::encode(half)));
}

const WidthCase kWidthCases[] = {
    {"symbols", u"!#$%&()*+,-./:;<=>?@[]^_`{|}~", u"！＃＄％＆（）＊＋，－．／：；＜＝＞？＠［］＾＿｀｛｜｝～"},
    {"voicedMarks", u"ｶﾞﾎﾟｳﾞ", u"ガポヴ"},
    {"voicedMarkThatDoesNotCombine", u"ｱﾞﾏﾟ", u"ア゛マ゜"},
    {"mixed", u"山田ﾀﾛｳ(ﾔﾏﾀﾞ) 03-1234 ひら｡", u"山田タロウ（ヤマダ）　０３－１２３４　ひら。"},
};

INSTANTIATE_TEST_SUITE_P(Cases, WidthPairs, ::testing::ValuesIn(kWidthCases), rowName);

TEST(WidthMapping, yenAndBackslashFollowTheCodePageAndSignsWithoutAHalfFormStay)
{
    EXPECT_EQ(shown(ToHalfWidth(sj(u"￥100"))), shown(QByteArray("\\100"))); // 0x5C shows as ¥
    EXPECT_EQ(shown(ToHalfWidthW(u"￥")), shown(w(u"¥")));
    EXPECT_EQ(shown(ToFullWidth("\\")), shown(sj(u"＼")));
    EXPECT_EQ(shown(ToFullWidth(QByteArray("A\x1A", 2))), shown(sj(u"Ａ") + '\x1A')); // the control byte 1A maps
}

TEST(WidthMapping, returnsBrokenTextAndTextItLeavesAloneByteForByte)
{
    // A lone lead byte at the end, an unassigned code, ED 40 (one character with FA 5C, so
    // untouched text keeps its spelling), signs without a half-width form.
    for (const QByteArray &text : {QByteArray("AB\x81", 3), QByteArray("A\x85\x40", 3),
                                   QByteArray("\xED\x40\x88\xEA", 4), Cp932::encode(u"→←↑↓│■○￣￤")}) {
        EXPECT_EQ(shown(ToFullWidth(text)), shown(text));
        EXPECT_EQ(shown(ToHalfWidth(text)), shown(text));
    }
}

TEST(WidthMapping, givesTheSameResultsOnSeveralThreads)
{
    std::vector<int> failures(4, 0);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([t, &failures] {
                for (int i = 0; i < 200; ++i)
                    failures[t] += ToFullWidthW(u"ｶﾞ1") != u"ガ１" || ToHalfWidthW(u"ガ１") != u"ｶﾞ1";
            });
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

} // namespace
