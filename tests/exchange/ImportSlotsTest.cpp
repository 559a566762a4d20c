#include "core/Env.h"
#include "exchange/ImportFile.h"
#include "exchange/ImportSlots.h"
#include "platform/Cp932.h"

#include <QHash>

#include <gtest/gtest.h>

#include <vector>

namespace {

using Kind = TImportAssignment::TSlotKind;

QList<QByteArray> header(const char *utf8)
{
    const QByteArray line = Cp932::encode(QString::fromUtf8(utf8));
    return SplitCsvLine(line, CountCsvFields(line) + 1, false);
}

TImportAssignment withSamples(const char *utf8)
{
    TImportAssignment a;
    a.SetSamples(header(utf8));
    return a;
}

TEST(ImportAssignment, sampleGoesIntoFirstFreeSlot)
{
    TImportAssignment a = withSamples("名前,電話");
    EXPECT_EQ(a.PutSample(irName, 0), 1);
    EXPECT_EQ(a.PutSample(irName, 1), 2);
    EXPECT_EQ(a.Slot(irName, 2).Column, 1);
    EXPECT_EQ(a.Slot(irName, 1).Text, QStringLiteral("名前"));
}

TEST(ImportAssignment, blankHeaderShownAsNumberedItem)
{
    TImportAssignment a = withSamples("名前, ,\"\"");
    a.PutSample(irName, 1);
    a.PutSample(irName, 2);
    EXPECT_EQ(a.Slot(irName, 1).Kind, Kind::BlankColumn);
    EXPECT_EQ(a.Slot(irName, 1).Text, QStringLiteral("項目2"));
    EXPECT_EQ(a.Slot(irName, 2).Text, QStringLiteral("項目3"));
}

TEST(ImportAssignment, tenthSlotRefused)
{
    TImportAssignment a = withSamples("a");
    for (int i = 0; i < 9; ++i)
        ASSERT_EQ(a.PutSample(irNote, 0), i + 1);
    EXPECT_TRUE(a.IsFull(irNote));
    EXPECT_EQ(a.PutSample(irNote, 0), 0);
    EXPECT_EQ(a.PutConstant(irNote, QStringLiteral("x")), 0);
    EXPECT_EQ(a.DeleteLast(irNote), 9);
    EXPECT_FALSE(a.IsFull(irNote));
}

TEST(ImportAssignment, blankConstantNeverSet)
{
    TImportAssignment a = withSamples("a");
    EXPECT_EQ(a.PutConstant(irHonor, QStringLiteral(" 　 ").trimmed()), 0);
    EXPECT_EQ(a.PutConstant(irHonor, QStringLiteral("  ")), 0);
    EXPECT_FALSE(a.IsAssigned(irHonor));
}

TEST(ImportAssignment, valuesJoinColumnsAndConstants)
{
    TImportAssignment a = withSamples("姓,名");
    a.PutSample(irName, 0);
    a.PutConstant(irName, QStringLiteral(" ・ "));
    a.PutSample(irName, 1);
    const TImportValues values = a.Values({Cp932::encode(u"山田"), Cp932::encode(u"花子")});
    EXPECT_EQ(values[irName - 1], Cp932::encode(u"山田・花子"));
    EXPECT_TRUE(values[irTel - 1].isEmpty());
}

TEST(ImportAssignment, swapMovesSlotsBothWays)
{
    TImportAssignment a = withSamples("a,b");
    a.PutSample(1, 0);
    a.PutSample(2, 1);
    a.SwapRows(2, 1);
    EXPECT_EQ(a.Slot(1, 1).Column, 1);
    EXPECT_EQ(a.Slot(2, 1).Column, 0);
}

TEST(ImportAssignment, newSamplesClearTheAssignment)
{
    TImportAssignment a = withSamples("a");
    a.PutSample(1, 0);
    a.SetSamples(header("b"));
    EXPECT_FALSE(a.AnyAssigned());
}

struct AutoCase {
    const char *name;
    const char *header;
    int row;
    std::vector<int> columns;
};

void PrintTo(const AutoCase &c, std::ostream *os)
{
    *os << c.name;
}

class AutoAssignment : public ::testing::TestWithParam<AutoCase>
{
};

TEST_P(AutoAssignment, rowTakesColumns)
{
    TImportAssignment a = withSamples(GetParam().header);
    a.AutoAssign(ImportFieldList());
    std::vector<int> columns;
    for (int k = 1; k <= a.FilledCount(GetParam().row); ++k)
        columns.push_back(a.Slot(GetParam().row, k).Column);
    EXPECT_EQ(columns, GetParam().columns);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, AutoAssignment,
    ::testing::Values(AutoCase{"nameByAlias", "電話,氏名", irName, {1}},
                      AutoCase{"telByEnglishName", "tel,名前", irTel, {0}},
                      AutoCase{"telInFullWidthLetters", "名前,ＴＥＬ", irTel, {1}},
                      // A header field is read by the rule of the lines.
                      AutoCase{"quotedHeaderRecognised", "\"電話番号\",名前", irTel, {0}},
                      AutoCase{"firstOfTwoTelephoneNamesWins", "電話,電話番号", irTel, {0}},
                      AutoCase{"prefectureBeforeAddress", "住所,都道府県", irAdrs1, {1, 0}},
                      AutoCase{"firstMatchingColumnWins", "携帯番号,携帯", irPortable1, {0}},
                      AutoCase{"firstMatchingColumnWinsReversed", "携帯,携帯番号", irPortable1, {0}},
                      AutoCase{"unknownHeaderNothing", "趣味", irName, {}},
                      AutoCase{"postcodeMark", "〒,住所", irPos, {0}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AutoAssignmentShown, cellShowsTheRecognisedName)
{
    TImportAssignment a = withSamples("ｔｅｌ");
    a.AutoAssign(ImportFieldList());
    EXPECT_EQ(a.Slot(irTel, 1).Text, QStringLiteral("TEL"));
}

// The export writes a keyword caption without its blanks: the column still
// goes to its keyword.
TEST(AutoAssignmentKeyword, captionWithBlanksIsFoundAsTheExportWroteIt)
{
    const auto saved = KeywordNames;
    KeywordNames[3] = QStringLiteral("趣 味");
    const auto fields = ImportFieldList();
    KeywordNames = saved;
    TImportAssignment a = withSamples("名前,趣味");
    a.AutoAssign(fields);
    EXPECT_EQ(a.Slot(irKeyword1 + 2, 1).Column, 1);
}

// Two keywords captioned alike in an older settings file, in a header an
// older export wrote: each takes its own column, in keyword order.
TEST(AutoAssignmentKeyword, captionsAlikeTakeTheirColumnsInOrder)
{
    const auto saved = KeywordNames;
    KeywordNames[1] = KeywordNames[2] = QStringLiteral("趣味");
    const auto fields = ImportFieldList();
    KeywordNames = saved;
    TImportAssignment a = withSamples("名前,趣味,趣味");
    a.AutoAssign(fields);
    EXPECT_EQ(a.Slot(irKeyword1, 1).Column, 1);
    EXPECT_EQ(a.Slot(irKeyword1 + 1, 1).Column, 2);
}

// Keyword captions kept from an older settings file, in the header the
// export writes for them: every keyword takes its own column, and no column
// goes to another row.
struct KeywordCase {
    const char *name;
    std::vector<std::pair<int, const char16_t *>> captions;
    const char *header;
    std::vector<std::pair<int, int>> rows; // row, the column it takes (-1 none)
};

void PrintTo(const KeywordCase &c, std::ostream *os)
{
    *os << c.name;
}

class KeywordColumns : public ::testing::TestWithParam<KeywordCase>
{
};

TEST_P(KeywordColumns, goToTheirOwnKeywords)
{
    const auto saved = KeywordNames;
    for (const auto &[keyword, caption] : GetParam().captions)
        KeywordNames[size_t(keyword)] = QString::fromUtf16(caption);
    const auto fields = ImportFieldList();
    KeywordNames = saved;
    TImportAssignment a = withSamples(GetParam().header);
    a.AutoAssign(fields);
    for (const auto &[row, column] : GetParam().rows) {
        EXPECT_EQ(a.Slot(row, 1).Column, column) << row;
        EXPECT_EQ(a.FilledCount(row), column >= 0 ? 1 : 0) << row;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Captions, KeywordColumns,
    ::testing::Values(
        KeywordCase{"captionWithACommaInQuotes", {{1, u"趣味,特技"}}, "名前,\"趣味,特技\"", {{irKeyword1, 1}}},
        KeywordCase{"captionWithAQuoteInQuotes", {{1, u"\"趣味"}}, "\"\"\"趣味\",名前", {{irKeyword1, 0}}},
        KeywordCase{"quotedCaptionAndItsUnquotedTwin",
                    {{2, u"\"q\""}, {8, u"q"}},
                    "q,\"\"\"q\"\"\"",
                    {{irKeyword1 + 1, 1}, {irKeyword1 + 7, 0}}},
        KeywordCase{"captionInAnotherCaseOfAnotherCaption",
                    {{1, u"abc"}, {2, u"ABC"}},
                    "ABC,abc",
                    {{irKeyword1, 1}, {irKeyword1 + 1, 0}}},
        KeywordCase{"captionThatIsAnotherRowsHeaderName", {{1, u"電話"}}, "電話", {{irKeyword1, 0}, {irTel, -1}}},
        KeywordCase{"captionOfAnotherItemWrittenAsTheFixedName",
                    {{3, u"名前"}},
                    "キーワード３,名前",
                    {{irName, 1}, {irKeyword1 + 2, 0}}},
        KeywordCase{"blankCaptionWrittenAsTheFixedName", {{4, u" "}}, "キーワード４", {{irKeyword1 + 3, 0}}},
        KeywordCase{"sameCaptionTwiceTheSecondByItsFixedName",
                    {{5, u"同じ"}, {6, u"同じ"}},
                    "キーワード６,同じ",
                    {{irKeyword1 + 4, 1}, {irKeyword1 + 5, 0}}},
        KeywordCase{"fixedNameOfAnotherKeyword",
                    {{1, u"キーワード２"}, {2, u"趣味"}},
                    "趣味,キーワード１",
                    {{irKeyword1, 1}, {irKeyword1 + 1, 0}}},
        // A caption that names an item after the keywords, in a file
        // without the keyword's column: that item's column stays its own.
        KeywordCase{"captionOfALaterItemWithoutTheKeywordsColumn",
                    {{1, u"備考"}},
                    "名前,備考",
                    {{irName, 0}, {irNote, 1}, {irKeyword1, -1}}},
        KeywordCase{"captionOfALaterItemInAnotherWidth",
                    {{2, u"ｼﾝﾎﾞﾙﾏｰｸ"}},
                    "シンボルマーク,名前",
                    {{irSymbolMark, 0}, {irKeyword1 + 1, -1}}},
        // An older export wrote the caption as it stood: the keyword's
        // column first, the item's after it, as the export's order gives.
        KeywordCase{"captionOfALaterItemTwiceFromAnOlderExport",
                    {{1, u"備考"}},
                    "備考,名前,備考",
                    {{irKeyword1, 0}, {irNote, 2}}}),
    [](const auto &info) { return std::string(info.param.name); });

// The names a keyword caption may not take: every other item's, never its
// own keyword's.
TEST(NamesOfOtherItems, holdOtherItemsNamesButNotTheKeywordsOwn)
{
    const QStringList names = NamesOfOtherItems(2);
    for (const char16_t *other : {u"備考", u"TEL", u"都道府県", u"レコード番号", u"更新時刻", u"キーワード",
                                  u"キーワード１", u"キーワード８"})
        EXPECT_TRUE(names.contains(QString::fromUtf16(other))) << QString::fromUtf16(other).toStdString();
    EXPECT_FALSE(names.contains(QStringLiteral("キーワード２")));
}

struct HeaderCase {
    const char *name;
    const char *line;
    bool header;
};

void PrintTo(const HeaderCase &c, std::ostream *os)
{
    *os << c.name;
}

class HeaderLine : public ::testing::TestWithParam<HeaderCase>
{
};

// Whether a file's first line is taken as a header and assigned on loading.
TEST_P(HeaderLine, isRecognised)
{
    const TImportAssignment a = withSamples(GetParam().line);
    EXPECT_EQ(a.IsHeaderLine(ImportFieldList(), {QStringLiteral("レコード番号")}), GetParam().header);
}

INSTANTIATE_TEST_SUITE_P(
    FirstLines, HeaderLine,
    ::testing::Values(HeaderCase{"everyFieldNamed", "名前,敬称,電話番号", true},
                      HeaderCase{"oneNamedField", "名前", true},
                      HeaderCase{"anotherNameOfTheExport", "レコード番号,名前", true},
                      HeaderCase{"prefectureIsAName", "都道府県,住所１", true},
                      HeaderCase{"halfWidthAndCaseIgnored", "ｔｅｌ,名前", true},
                      HeaderCase{"blankFieldBetweenNames", "名前,,敬称", true},
                      HeaderCase{"oneUnknownField", "名前,趣味", false},
                      HeaderCase{"quotedName", "\"名前\",敬称", true},
                      HeaderCase{"quotedUnknownField", "名前,\"趣味\"", false},
                      HeaderCase{"dataLine", "山田太郎,様", false},
                      HeaderCase{"onlyBlanks", " , ", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ImportFieldList, everyRowHasACaptionAndNamesOfItsOwn)
{
    const auto fields = ImportFieldList();
    QHash<QString, int> owner;
    for (int row = 1; row <= ImportFieldCount; ++row) {
        const TImportField &field = fields[row - 1];
        EXPECT_FALSE(field.HeaderNames.isEmpty()) << row;
        const bool memo = row == irNote || row == irExtLink;
        EXPECT_EQ(field.Limit == 0, memo) << row;
        // The fixed names (not the user's keyword captions) name one row each.
        const int fixed = row >= irKeyword1 && row < irNote ? (row == irKeyword1 ? 2 : 1) : int(field.HeaderNames.size());
        for (int i = 0; i < fixed; ++i) {
            const QString name = field.HeaderNames[i];
            EXPECT_FALSE(owner.contains(name)) << qPrintable(name);
            owner.insert(name, row);
        }
    }
    EXPECT_EQ(fields[irAdrs1 - 1].Caption, QStringLiteral("住所１"));
    EXPECT_EQ(fields[irAddTime - 1].Caption, QStringLiteral("登録時刻"));
}

} // namespace
