#include "FakeHyphen.h"
#include "core/WqhypWrapper.h"
#include "dialogs/DataFrm.h"
#include "dialogs/SenderData.h"
#include "dialogs/SndCmp.h"
#include "items/SenderRect.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct ComposeCase {
    const char *name;
    std::function<void(TSenderData &, TDataFormat &)> setUp;
    bool privateSet;
    bool horizontal;
    std::function<QString(TSenderRect &)> observe;
    const char16_t *expected;
    bool printFlags = false;
};

TSenderData person()
{
    TSenderData d;
    d.Title = QStringLiteral("自宅");
    d.Name = QStringLiteral("山田 太郎");
    d.SelectInfo = 1;
    d.Pos = QStringLiteral("1000014");
    d.Tdfkn = QStringLiteral("東京都");
    d.Adrs1 = QStringLiteral("千代田区永田町");
    d.Adrs2 = QStringLiteral("1-7-1");
    return d;
}

QString name(TSenderRect &B)
{
    return (B.IsPrivate() ? B.NameRect() : B.CorpNameRect()).GetName();
}

QString postcode(TSenderRect &B)
{
    return (B.IsPrivate() ? B.PosRect() : B.CorpPosRect()).GetPostcode();
}

class SenderComposition : public ::testing::TestWithParam<ComposeCase>
{
protected:
    void SetUp() override { SetWqhypForTesting(&FakeTokyoHyphen); }
    void TearDown() override { SetWqhypForTesting(nullptr); }
};

TEST_P(SenderComposition, fillsTheBlockFromTheSender)
{
    const ComposeCase &c = GetParam();
    TSenderData sender = person();
    TDataFormat format;
    c.setUp(sender, format);
    TSenderRect block;
    block.SetPrivate(c.privateSet);
    block.SetHorizontal(c.horizontal);
    ComposeSenderBlock(block, &sender, &format, c.printFlags);
    EXPECT_EQ(c.observe(block), QString::fromUtf16(c.expected));
}

auto none = [](TSenderData &, TDataFormat &) {};

INSTANTIATE_TEST_SUITE_P(
    Cases, SenderComposition,
    ::testing::Values(
        ComposeCase{"postcodeWithMarkGetsMarkAndHyphen", [](TSenderData &, TDataFormat &F) { F.SendPostalMark = 1; },
                    true, true, postcode, u"〒１００-００１４"},
        ComposeCase{"postcodeWithHyphenOnly", [](TSenderData &, TDataFormat &F) { F.SendPostalMark = 2; }, true, true,
                    postcode, u"１００-００１４"},
        ComposeCase{"shortPostcodeGetsTheMarkButNoHyphen",
                    [](TSenderData &S, TDataFormat &F) {
                        S.Pos = QStringLiteral("100");
                        F.SendPostalMark = 1;
                    },
                    true, true, postcode, u"〒１００"},
        ComposeCase{"postcodeAsDigits", none, false, true, postcode, u"１００００１４"},
        ComposeCase{"firstAddressLineJoinsPrefectureAndCity", none, true, true,
                    [](TSenderRect &B) { return B.AddressRect().GetAddressLine(0); }, u"東京都千代田区永田町"},
        ComposeCase{"hiddenPrefecture", [](TSenderData &, TDataFormat &F) { F.HidePrefecture = true; }, true, true,
                    [](TSenderRect &B) { return B.AddressRect().GetAddressLine(0); }, u"千代田区永田町"},
        ComposeCase{"horizontalBlockKeepsItsDashes", none, true, true,
                    [](TSenderRect &B) { return B.AddressRect().GetAddressLine(1); }, u"１－７－１"},
        ComposeCase{"verticalBlockTurnsDashesIntoLongVowelMarks", none, true, false,
                    [](TSenderRect &B) { return B.AddressRect().GetAddressLine(1); }, u"１ー７ー１"},
        ComposeCase{"dashesToNoInAnAddress", [](TSenderData &, TDataFormat &F) { F.HyphenToNo = true; }, true, true,
                    [](TSenderRect &B) { return B.AddressRect().GetAddressLine(1); }, u"１の７の１"},
        ComposeCase{"kanjiNumeralsKeepABuildingsNumber",
                    [](TSenderData &S, TDataFormat &F) {
                        S.Adrs2 = QStringLiteral("1-7-1 J1ビル2-B");
                        F.KanjiNumerals = true;
                        F.HyphenToNo = true;
                    },
                    true, true, [](TSenderRect &B) { return B.AddressRect().GetAddressLine(1); },
                    u"一の七の一　Ｊ１ビル二のＢ"},
        ComposeCase{"companySetPutsEachAddressLineInItsOwnItem", none, false, true,
                    [](TSenderRect &B) { return B.GetCorpAddress(1)->GetAddressLine(0); }, u"１－７－１"},
        ComposeCase{"personName", none, true, true, name, u"山田 太郎"},
        ComposeCase{"unprintedNameTakesTheSameFamilysJointWithTheFamilyName",
                    [](TSenderData &S, TDataFormat &) {
                        S.NamePrint = false;
                        S.Joint[0] = QStringLiteral("花子");
                    },
                    true, true, name, u"山田 花子"},
        ComposeCase{"jointNamesTogetherAppendTheFirstToTheName",
                    [](TSenderData &S, TDataFormat &F) {
                        F.SendSeries = 1;
                        S.Joint[0] = QStringLiteral("花子");
                        S.Joint[1] = QStringLiteral("次郎");
                    },
                    true, true, name, u"山田 太郎・花子"},
        ComposeCase{"jointNamesTogetherMergeTheThirdIntoTheSecondsLine",
                    [](TSenderData &S, TDataFormat &F) {
                        F.SendSeries = 1;
                        S.Joint[0] = QStringLiteral("花子");
                        S.Joint[1] = QStringLiteral("次郎");
                        S.Joint[2] = QStringLiteral("三郎");
                    },
                    true, true, [](TSenderRect &B) { return B.NameRect().GetJointName(0); }, u" 次郎・三郎"},
        ComposeCase{"jointOfAnotherFamilyKeepsItsFullName",
                    [](TSenderData &S, TDataFormat &) { S.Joint[0] = QStringLiteral("佐藤 花子"); }, true, true,
                    [](TSenderRect &B) { return B.NameRect().GetJointName(0); }, u"佐藤 花子"},
        ComposeCase{"unprintedJointIsLeftOut",
                    [](TSenderData &S, TDataFormat &) {
                        S.Joint[0] = QStringLiteral("花子");
                        S.JointPrint[0] = false;
                    },
                    true, true, [](TSenderRect &B) { return QString::number(B.NameRect().GetJointCount()); }, u"0"},
        ComposeCase{"companySenderWithoutNameShowsTheTitleAsName",
                    [](TSenderData &S, TDataFormat &) {
                        S.SelectInfo = 2;
                        S.Name.clear();
                        S.Corp = QStringLiteral("山田商事");
                        S.Dptmnt = QStringLiteral("営業部");
                        S.Post = QStringLiteral("部長");
                    },
                    true, true, name, u"部長"},
        ComposeCase{"companySenderWithoutNameOrTitleShowsTheDepartment",
                    [](TSenderData &S, TDataFormat &) {
                        S.SelectInfo = 2;
                        S.Name.clear();
                        S.Corp = QStringLiteral("山田商事");
                        S.Dptmnt = QStringLiteral("営業部");
                    },
                    true, true, name, u"営業部"},
        ComposeCase{"companyLineAbbreviatedWithHalfWidthBrackets",
                    [](TSenderData &S, TDataFormat &F) {
                        S.SelectInfo = 2;
                        S.Corp = QStringLiteral("株式会社山田");
                        F.CorpForm = 1;
                    },
                    false, true, [](TSenderRect &B) { return B.CorpLine().GetText(); }, u"(株)山田"},
        ComposeCase{"mailLineKeepsHeadAndAddressHalfWidth",
                    [](TSenderData &S, TDataFormat &) {
                        S.Head[0] = QStringLiteral("E-Mail");
                        S.Addition[0] = QStringLiteral("taro-y@example.jp");
                    },
                    false, false, [](TSenderRect &B) { return B.GetCorpAddition(0)->GetContent(); },
                    u"taro-y@example.jp"},
        ComposeCase{"lowerCaseTelIsHyphenatedLikeTel",
                    [](TSenderData &S, TDataFormat &) {
                        S.Head[1] = QStringLiteral("tel");
                        S.Addition[1] = QStringLiteral("0312345678");
                    },
                    false, true, [](TSenderRect &B) { return B.GetCorpAddition(1)->GetContent(); },
                    u"０３－１２３４－５６７８"},
        ComposeCase{"contactLineNotPrintedStaysEmptyInTheEditorsMerge",
                    [](TSenderData &S, TDataFormat &) {
                        S.Head[0] = QStringLiteral("TEL");
                        S.Addition[0] = QStringLiteral("0312345678");
                        S.AdditionPrint[0] = false;
                    },
                    false, true, [](TSenderRect &B) { return B.GetCorpAddition(0)->GetContent(); }, u"", true}),
    rowName);

TEST(SenderCompositionEmpty, missingSenderLeavesEveryChildEmpty)
{
    TSenderRect block;
    TSenderData sender = person();
    ComposeSenderBlock(block, &sender, nullptr);
    ASSERT_FALSE(block.NameRect().GetName().isEmpty());
    ComposeSenderBlock(block, nullptr, nullptr);
    EXPECT_TRUE(block.NameRect().GetName().isEmpty());
    EXPECT_TRUE(block.PosRect().GetPostcode().isEmpty());
    EXPECT_TRUE(block.AddressRect().GetAddressLine(0).isEmpty());
}

} // namespace
