#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "exchange/ListPrtText.h"
#include "platform/Cp932.h"
#include "support/OtherHandle.h"

#include <gtest/gtest.h>

namespace {

QByteArray sj(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

struct CellCase {
    const char *name;
    TRecordValues values;
    int item;
    const char *expected;
    bool ignoreTdfkn = false;
};

class ListPrtCellText : public ::testing::TestWithParam<CellCase> {};

} // namespace

TEST_P(ListPrtCellText, printsTheFieldAsTheListShowsIt)
{
    const CellCase &c = GetParam();
    Book book;
    book.add(c.values);
    book.table.First();
    TListPrintJob job;
    job.Layout.IgnoreTdfkn = c.ignoreTdfkn;
    job.Columns = {{c.item, 10, 0}};
    std::array<QString, 11> groups;
    groups[3] = QStringLiteral("取引先");
    const QStringList texts = ListPrintRowTexts(book.table, job, groups, QString());
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts.front(), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListPrtCellText,
    ::testing::Values(
        CellCase{"groupName", {{"Group", 3}}, 2, "取引先"},
        CellCase{"noGroup", {{"Group", 0}}, 2, ""},
        CellCase{"sevenDigitPostcode", {{"Pos", sj("1234567")}}, 10, "123-4567"},
        CellCase{"fiveDigitPostcode", {{"Pos", sj("12345")}}, 10, "123-45"},
        CellCase{"fourDigitPostcodeUnchanged", {{"Pos", sj("1234")}}, 10, "1234"},
        CellCase{"yearAndMonth", {{"PubDate", sj("201404")}}, 7, "2014/04"},
        CellCase{"representativeTelephone", {{"TelDiv", 3}}, 5, "○"},
        CellCase{"otherTelephone", {{"TelDiv", 1}}, 5, ""},
        CellCase{"addressWithPrefecture",
                 {{"Tdfkn", sj("東京都 ")}, {"Adrs1", sj(" 千代田区")}, {"Adrs2", sj("丸の内")}},
                 11,
                 "東京都千代田区丸の内"},
        CellCase{"addressWithoutPrefecture",
                 {{"Tdfkn", sj("東京都")}, {"Adrs1", sj("千代田区")}},
                 11,
                 "千代田区",
                 true},
        CellCase{"private", {{"PrivCorp", true}}, 14, "個人"},
        CellCase{"company", {{"PrivCorp", false}}, 14, "会社"},
        CellCase{"notesOnOneLine", {{"Note", sj("一行目\r\n二行目")}}, 37, "一行目 二行目"},
        CellCase{"noteEndingInABreakKeepsItsBlank", {{"Note", sj("一行目\r\n二行目\r\n")}}, 37, "一行目 二行目 "},
        CellCase{"noteOfLineFeedsOnOneLine", {{"Note", sj("一行目\n二行目\n")}}, 37, "一行目 二行目 "},
        CellCase{"noteOfCarriageReturnsOnOneLine", {{"Note", sj("一行目\r二行目")}}, 37, "一行目 二行目"},
        CellCase{"noteOfMixedBreaksOneBlankEach", {{"Note", sj("a\n\r\nb\rc")}}, 37, "a  b c"},
        CellCase{"noteOfBreaksAlone", {{"Note", sj("\r\n\r\n")}}, 37, "  "},
        CellCase{"keywordTrimmed", {{"Keyword2", sj(" 趣味 ")}}, 30, "趣味"},
        CellCase{"addStamp", {{"AddDateTime", QDateTime(QDate(2014, 4, 1), QTime(9, 5, 7))}}, 39,
                 "2014/04/01 09:05:07"},
        CellCase{"addTime", {{"AddDateTime", QDateTime(QDate(2014, 4, 1), QTime(9, 5, 7))}}, 41, "09:05:07"},
        CellCase{"blankColumn", {{"Keyword1", sj("x")}}, 0, ""},
        CellCase{"itemOutsideTheCatalogue", {{"Keyword1", sj("x")}}, 45, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListPrtCellTexts, nameIsDecodedFromItsWideForm)
{
    Book book;
    const QString name = QStringLiteral("髙橋 𠮷男");
    book.add({{"NameKanji", EncodeUnicodeField(name)}});
    book.table.First();
    TListPrintJob job;
    job.Columns = {{19, 14, 0}, {1, 4, 0}};
    EXPECT_EQ(ListPrintRowTexts(book.table, job, {}, QString()), (QStringList{name, QString()}));
}

struct MarginCase {
    const char *text;
    std::optional<int> tenths;
};

class ListPrtMargin : public ::testing::TestWithParam<MarginCase> {};

TEST_P(ListPrtMargin, takesMillimetresWithOneDecimal)
{
    EXPECT_EQ(ParseListPrintMargin(QString::fromLatin1(GetParam().text)), GetParam().tenths) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, ListPrtMargin,
                         ::testing::Values(MarginCase{"12.5", 125}, MarginCase{"12.", 120}, MarginCase{"5", 50},
                                           MarginCase{" 50.0 ", 500}, MarginCase{".5", 5}, MarginCase{"0", 0},
                                           MarginCase{"123", std::nullopt}, MarginCase{"1.25", std::nullopt},
                                           MarginCase{"1..2", std::nullopt}, MarginCase{"1 2", std::nullopt},
                                           MarginCase{".", std::nullopt}, MarginCase{"60.0", std::nullopt},
                                           MarginCase{"", std::nullopt}, MarginCase{"-1", std::nullopt}));

TEST(ListPrtMarginText, showsOneDecimal)
{
    EXPECT_EQ(ListPrintMarginText(125), QStringLiteral("12.5"));
    EXPECT_EQ(ListPrintMarginText(0), QStringLiteral("0.0"));
}

// The rows of a long list are fetched a batch under one read of the book:
// each record still gives its own texts across the batches' edges, a record
// gone gives none, and once the reader is done another handle saves at once.
TEST(ListPrtRowReader, fetchesRecordsInBatchesAndLetsTheBookGo)
{
    Book book;
    book.table.BeginBatch();
    for (int i = 1; i <= 300; ++i)
        book.add({{"Pos", sj(QStringLiteral("%1").arg(1000000 + i).toUtf8().constData())}});
    book.table.EndBatch();
    ASSERT_TRUE(book.table.FindKey({QVariant(200)}));
    book.table.Delete();
    TListPrintJob job;
    job.Columns = {{10, 10, 0}};
    OtherHandle handle(book.table);
    TTable &other = handle.table;
    {
        TListRowReader reader(book.table, job, {}, QString());
        for (qint32 recNo = 300; recNo >= 1; --recNo) {
            const std::optional<QStringList> row = reader.Fetch(recNo);
            if (recNo == 200) {
                EXPECT_FALSE(row.has_value());
                continue;
            }
            ASSERT_TRUE(row.has_value()) << recNo;
            EXPECT_EQ(row->value(0), QStringLiteral("100-%1").arg(recNo, 4, 10, QLatin1Char('0'))) << recNo;
        }
        // While the reader holds its batch the book is not written under it.
        ASSERT_TRUE(other.FindKey({QVariant(1)}));
        other.Edit();
        other.FieldByName(QStringLiteral("Adrs2")).SetAsString(QStringLiteral("held"));
        EXPECT_THROW(other.Post(), ETableError);
        other.Cancel();
    }
    ASSERT_TRUE(other.FindKey({QVariant(1)}));
    other.Edit();
    other.FieldByName(QStringLiteral("Adrs2")).SetAsString(QStringLiteral("free"));
    EXPECT_NO_THROW(other.Post());
}

// Given back once a page's records are read, the book takes another
// handle's save at once while the page is painted; the next fetch reads on
// and finds what was saved.
TEST(ListPrtRowReader, releasedTheBookTakesASaveAndTheNextFetchSeesIt)
{
    Book book;
    for (int i = 1; i <= 3; ++i)
        book.add({{"Pos", sj(QStringLiteral("%1").arg(1000000 + i).toUtf8().constData())}});
    TListPrintJob job;
    job.Columns = {{10, 10, 0}};
    OtherHandle handle(book.table);
    TTable &other = handle.table;
    TListRowReader reader(book.table, job, {}, QString());
    ASSERT_TRUE(reader.Fetch(1).has_value());
    reader.Release();
    ASSERT_TRUE(other.FindKey({QVariant(2)}));
    EXPECT_NO_THROW(other.Delete());
    EXPECT_FALSE(reader.Fetch(2).has_value());
    const std::optional<QStringList> third = reader.Fetch(3);
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->value(0), QStringLiteral("100-0003"));
}
