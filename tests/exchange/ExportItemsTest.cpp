#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "core/WqhypWrapper.h"
#include "exchange/ExportItems.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <QSet>

#include <cstring>
#include <vector>

namespace {

QByteArray sj(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

// A hyphenation library stand-in: "0312345678" becomes "03-1234-5678".
int fakeHyphen(const char *number, char *output, const char *, const TWqhypTime *)
{
    const QByteArray in(number);
    if (in.size() != 10)
        return 1;
    const QByteArray out = in.left(2) + '-' + in.mid(2, 4) + '-' + in.mid(6);
    std::memcpy(output, out.constData(), size_t(out.size() + 1));
    return 0;
}

struct FormatCase {
    const char *name;
    int item;
    TRecordValues record;
    TExportFormat format;
    const char *expected; // UTF-8
};

TExportFormat noHyphen()
{
    TExportFormat format;
    format.EditHyphen = false;
    return format;
}
TExportFormat posOff()
{
    TExportFormat format;
    format.EditPos = false;
    return format;
}
TExportFormat telOff()
{
    TExportFormat format;
    format.EditTel = false;
    return format;
}

std::vector<FormatCase> formatCases()
{
    const TExportFormat on;
    return {
        {"pubDateYearAndMonth", eiPubDate, {{"PubDate", sj("201406")}}, on, "2014/06"},
        {"pubDateYearAloneEndsWithSlash", eiPubDate, {{"PubDate", sj("2014")}}, on, "2014/"},
        {"pubDateEmptyStaysEmpty", eiPubDate, {{"PubDate", sj("")}}, on, ""},
        {"postcodeSevenDigitsHyphenated", eiPos, {{"Pos", sj("1000001")}}, on, "100-0001"},
        {"postcodeFiveDigitsHyphenated", eiPos, {{"Pos", sj("10001")}}, on, "100-01"},
        {"postcodeSixCharactersNotHyphenated", eiPos, {{"Pos", sj("100001")}}, on, "100001"},
        {"postcodeMasterSwitchOff", eiPos, {{"Pos", sj("1000001")}}, noHyphen(), "1000001"},
        {"postcodeOwnSwitchOff", eiPos, {{"Pos", sj("1000001")}}, posOff(), "1000001"},
        {"telHyphenatedWhenBothSwitchesOn", eiTel, {{"Tel", sj(" 0312345678 ")}}, on, "03-1234-5678"},
        {"telTrimmedWhenOwnSwitchOff", eiTel, {{"Tel", sj(" 0312345678 ")}}, telOff(), "0312345678"},
        {"telTrimmedWhenMasterOff", eiTel, {{"Tel", sj("0312345678")}}, noHyphen(), "0312345678"},
        {"mainNumberThree", eiTelDiv, {{"TelDiv", 3}}, on, "代表"},
        {"mainNumberTwoEmpty", eiTelDiv, {{"TelDiv", 2}}, on, ""},
        {"mainNumberZeroEmpty", eiTelDiv, {{"TelDiv", 0}}, on, ""},
        {"colourBlue", eiSymbolColor, {{"SymbolColor", 255}}, on, "000000FF"},
        {"colourNegativeAsTwosComplement", eiSymbolColor, {{"SymbolColor", -1}}, on, "FFFFFFFF"},
        {"jointOwnerZeroIsTheName", eiJointOwner, {{"JointOwner", 0}, {"NameKanji", EncodeUnicodeField(u"山田太郎")}}, on,
         "山田太郎"},
        {"jointOwnerThreeIsThirdJoint", eiJointOwner, {{"JointOwner", 3}, {"Joint3", EncodeUnicodeField(u"花子")}}, on,
         "花子"},
        {"jointOwnerSixEmpty", eiJointOwner, {{"JointOwner", 6}, {"NameKanji", EncodeUnicodeField(u"山田")}}, on, ""},
        {"senderZeroEmpty", eiSender, {{"Sender", 0}}, on, ""},
        {"senderInListGivesTitle", eiSender, {{"Sender", 7}}, on, "本社"},
        {"senderMissingFromListEmpty", eiSender, {{"Sender", 9}}, on, ""},
        {"noteLinesJoinedByTab", eiNote, {{"Note", sj(" 一行目\r\n二行目 ")}}, on, " 一行目\t二行目 "},
        // The import reads a TAB at the end as ending the line before it: a
        // note that ends with a break, or holds blanks alone, gets one more.
        {"noteEndingWithABreakGetsOneMoreTab", eiNote, {{"Note", sj("一行目\r\n")}}, on, "一行目\t\t"},
        {"noteOfOneBreak", eiNote, {{"Note", sj("\r\n")}}, on, "\t\t"},
        {"noteOfBreaksAlone", eiNote, {{"Note", sj("\r\n\r\n\r\n")}}, on, "\t\t\t\t"},
        {"noteWithEmptyLinesInsideGetsNone", eiNote, {{"Note", sj("a\r\n\r\nb")}}, on, "a\t\tb"},
        {"noteStartingWithABreakGetsNone", eiNote, {{"Note", sj("\r\na")}}, on, "\ta"},
        {"noteOfBlanksAlone", eiNote, {{"Note", sj("  ")}}, on, "  \t"},
        {"noteOfATabAloneIsItsMark", eiNote, {{"Note", sj("\t")}}, on, "\v"},
        {"tabEndingTheLastLineIsNoBreak", eiNote, {{"Note", sj("a\t")}}, on, "a\v"},
        {"lineFeedAloneEndsALine", eiNote, {{"Note", sj("a\nb\rc")}}, on, "a\tb\tc"},
        {"emptyNoteEmpty", eiNote, {{"Note", sj("")}}, on, ""},
        {"linksEndingWithABreakGetOneMoreTab", eiExtLink, {{"ExtLink", sj("/a\r\n")}}, on, "/a\t\t"},
        {"nameDecodedAndTrimmed", eiName, {{"NameKanji", EncodeUnicodeField(u" 髙橋 ")}}, on, "髙橋"},
        {"nameStoredAsPlainText", eiName, {{"NameKanji", sj("鈴木")}}, on, "鈴木"},
        {"privateRecord", 16, {{"PrivCorp", true}}, on, "個人"},
        {"companyRecord", 16, {{"PrivCorp", false}}, on, "会社"},
        {"nameNotPrinted", 24, {{"IgnoreName", true}}, on, "印刷しない"},
        {"jointPrinted", 39, {{"JointPrint", true}}, on, "印刷"},
        {"jointNotPrintedEmpty", 40, {{"JointPrint1", false}}, on, ""},
        {"printTargetExcluded", 45, {{"PrintTarget", 2}}, on, "印刷除外"},
        {"printTargetUnknownEmpty", 45, {{"PrintTarget", 5}}, on, ""},
        {"groupNamed", eiGroup, {{"Group", 2}}, on, "取引先"},
        {"groupZeroEmpty", eiGroup, {{"Group", 0}}, on, ""},
        {"groupPastTenEmpty", eiGroup, {{"Group", 11}}, on, ""},
        {"addDate", 59, {{"AddDateTime", QDateTime(QDate(2014, 3, 9), QTime(7, 5, 2))}}, on, "2014/03/09"},
        {"addTimeTwentyFourHour", 60, {{"AddDateTime", QDateTime(QDate(2014, 3, 9), QTime(17, 5, 2))}}, on,
         "17:05:02"},
        {"customCodeTrimmed", 2, {{"CustomCode", sj("  A01  ")}}, on, "A01"},
        {"itemPastCatalogueEmpty", 63, {{"CustomCode", sj("A01")}}, on, ""},
    };
}

class FormatExportValueTest : public ::testing::TestWithParam<FormatCase>
{
protected:
    void SetUp() override { SetWqhypForTesting(&fakeHyphen); }
    void TearDown() override { SetWqhypForTesting(nullptr); }
};

TEST_P(FormatExportValueTest, formatsTheStoredValue)
{
    const FormatCase &c = GetParam();
    Book book;
    book.add(c.record);
    book.table.First();
    TExportContext context;
    context.Format = c.format;
    context.GroupNames = {QStringLiteral("指定なし"), QStringLiteral("友人"), QStringLiteral("取引先")};
    context.Senders = {{QStringLiteral("自宅"), 3}, {QStringLiteral("本社"), 7}};
    EXPECT_EQ(FormatExportValue(c.item, book.table, context), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Items, FormatExportValueTest, ::testing::ValuesIn(formatCases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ExportItemCatalogue, keywordItemsCarryTheUsersNames)
{
    const QString saved = KeywordNames[3];
    KeywordNames[3] = QStringLiteral("趣味");
    const QStringList captions = ExportItemCatalogue();
    KeywordNames[3] = saved;
    ASSERT_EQ(captions.size(), ExportItemCount);
    EXPECT_EQ(captions[eiKeyword1 + 2], QStringLiteral("趣味"));
}

// The names the header gives the keyword columns, from captions a settings
// file can hold: each names its own column, and no two columns alike.
struct HeaderNamesCase {
    const char *name;
    std::vector<std::pair<int, const char16_t *>> captions; // keyword 1..8
    std::vector<std::pair<int, const char16_t *>> written;  // keyword 1..8
};

void PrintTo(const HeaderNamesCase &c, std::ostream *os)
{
    *os << c.name;
}

class KeywordHeaderNames : public ::testing::TestWithParam<HeaderNamesCase>
{
};

TEST_P(KeywordHeaderNames, nameEachKeywordColumnAlone)
{
    QStringList captions = ExportItemCatalogue();
    for (int k = 1; k <= 8; ++k)
        captions[eiKeyword1 + k - 1] = QStringLiteral("語%1").arg(k);
    for (const auto &[keyword, caption] : GetParam().captions)
        captions[eiKeyword1 + keyword - 1] = QString::fromUtf16(caption);
    const QList<QByteArray> names = ExportHeaderNames(captions);
    ASSERT_EQ(names.size(), ExportItemCount);
    for (const auto &[keyword, written] : GetParam().written)
        EXPECT_EQ(Cp932::decode(names[eiKeyword1 + keyword - 1]), QString::fromUtf16(written)) << keyword;
    EXPECT_EQ(Cp932::decode(names[eiName]), QStringLiteral("名前"));
    EXPECT_EQ(QSet<QByteArray>(names.cbegin(), names.cend()).size(), ExportItemCount) << "two columns alike";
}

INSTANTIATE_TEST_SUITE_P(
    Captions, KeywordHeaderNames,
    ::testing::Values(
        HeaderNamesCase{"plainCaptionAsItIs", {{1, u"趣味"}}, {{1, u"趣味"}}},
        HeaderNamesCase{"blanksLeftOut", {{1, u" 趣 味　"}}, {{1, u"趣味"}}},
        HeaderNamesCase{"separatorsKept", {{1, u"a,\"b\""}}, {{1, u"a,\"b\""}}},
        HeaderNamesCase{"blankCaptionByItsFixedName", {{2, u" 　"}}, {{2, u"キーワード２"}}},
        HeaderNamesCase{"captionOfAnotherItemByItsFixedName", {{3, u"名 前"}, {4, u"更新日付"}},
                        {{3, u"キーワード３"}, {4, u"キーワード４"}}},
        HeaderNamesCase{"secondOfTwoAlikeByItsFixedName", {{5, u"同じ"}, {6, u"同 じ"}},
                        {{5, u"同じ"}, {6, u"キーワード６"}}},
        // U+301C and U+FF5E are one character of the code page.
        HeaderNamesCase{"alikeInTheCodePage", {{1, u"〜"}, {2, u"～"}}, {{1, u"～"}, {2, u"キーワード２"}}},
        HeaderNamesCase{"fixedNameOfAnotherKeyword", {{1, u"キーワード２"}, {2, u"名前"}},
                        {{1, u"キーワード１"}, {2, u"キーワード２"}}},
        HeaderNamesCase{"ownFixedNameAsItIs", {{7, u"キーワード７"}}, {{7, u"キーワード７"}}},
        // A header name of another row that the export never writes.
        HeaderNamesCase{"headerNameOfAnotherRowAsItIs", {{8, u"電話"}}, {{8, u"電話"}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ExportItemCatalogue, everyItemReadsAFieldOfTheAddressTable)
{
    Book book;
    for (int item = 0; item < ExportItemCount; ++item) {
        for (const QString &name : ExportItemFields(item))
            EXPECT_NE(book.table.FindField(name), nullptr) << item << " " << name.toStdString();
    }
}

} // namespace
