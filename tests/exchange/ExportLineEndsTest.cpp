// A stored value holding a line break (typed before the edits refused one,
// or brought in by an import) never splits a record's line of the export:
// the import ends a line at CR or LF wherever it stands, quoted or not, ends
// the text at Ctrl-Z and refuses a line with a NUL, so each run of these
// bytes is written as one blank.
#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "exchange/CsvFields.h"
#include "exchange/ExportWriter.h"
#include "exchange/ImportFile.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <QBuffer>

namespace {

QByteArray sj(const char16_t *text)
{
    return Cp932::encode(QStringView(text));
}

// ---- one item ----------------------------------------------------------------------

struct ItemCase {
    const char *name;
    int item;
    TRecordValues record;
    const char16_t *expected;
};

std::vector<ItemCase> itemCases()
{
    return {
        {"keywordCrLf", eiKeyword1, {{"Keyword1", sj(u"鍵\r\n錠")}}, u"鍵 錠"},
        {"lastKeywordLoneCr", eiKeyword8, {{"Keyword8", sj(u"鍵\r錠")}}, u"鍵 錠"},
        {"runOfBreaksOneBlank", eiKeyword1, {{"Keyword1", sj(u"鍵\r\n\r\n\n錠")}}, u"鍵 錠"},
        {"breakAtTheEndTrimmed", 2, {{"CustomCode", sj(u"A01\r\n")}}, u"A01"},
        {"addressLineFeed", 12, {{"Adrs2", sj(u"永田町\n一丁目")}}, u"永田町 一丁目"},
        {"endOfFileMark", 13, {{"Adrs3", sj(u"Ａ棟\x1A３階")}}, u"Ａ棟 ３階"},
        {"telephoneNotHyphenatedKeepsOneBlank", eiTel, {{"Tel", sj(u"03\r\n1234")}}, u"03 1234"},
        {"postcode", eiPos, {{"Pos", sj(u"10\n0014")}}, u"10 0014"},
        {"nameInTheAtForm", eiName, {{"NameKanji", EncodeUnicodeField(u"山田\r\n太郎")}}, u"山田 太郎"},
        {"jointName", 30, {{"Joint3", EncodeUnicodeField(u"花\n子")}}, u"花 子"},
        {"jointOwnersName", eiJointOwner, {{"JointOwner", 3}, {"Joint3", EncodeUnicodeField(u"花\r子")}}, u"花 子"},
        {"companyName", 17, {{"CorpKanji", sj(u"株式会社\r\nピクス")}}, u"株式会社 ピクス"},
        {"mailAddress", 26, {{"EMail1", sj(u"a@b\n.jp")}}, u"a@b .jp"},
        {"tabInAOneLineItemStays", eiKeyword1, {{"Keyword1", sj(u"鍵\t錠")}}, u"鍵\t錠"},
        // The memo's own encoding is left as it is; only Ctrl-Z goes.
        {"noteKeepsItsTabsAndMarks", eiNote, {{"Note", sj(u"a\tb\r\nc")}}, u"a\vb\tc"},
        {"noteEndOfFileMark", eiNote, {{"Note", sj(u"a\x1A" u"b")}}, u"a b"},
        {"linkEndOfFileMark", eiExtLink, {{"ExtLink", sj(u"/a\x1A\r\n/b")}}, u"/a \t/b"},
    };
}

class ExportLineEnds : public ::testing::TestWithParam<ItemCase>
{
};

TEST_P(ExportLineEnds, writesEachRunOfLineEndsAsOneBlank)
{
    Book book;
    book.add(GetParam().record);
    book.table.First();
    TExportContext context;
    context.Format.EditHyphen = false;
    EXPECT_EQ(FormatExportValue(GetParam().item, book.table, context), QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Items, ExportLineEnds, ::testing::ValuesIn(itemCases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ExportLineEnds, groupAndSenderNamesKeptWithABreakAreOneLine)
{
    Book book;
    book.add({{"Group", 1}, {"Sender", 7}});
    book.table.First();
    TExportContext context;
    context.GroupNames = {QStringLiteral("指定なし"), QStringLiteral("友\r\n人")};
    context.Senders = {{QStringLiteral("本\n社"), 7}};
    EXPECT_EQ(FormatExportValue(eiGroup, book.table, context), QStringLiteral("友 人"));
    EXPECT_EQ(FormatExportValue(eiSender, book.table, context), QStringLiteral("本 社"));
}

// ---- every field of a record ------------------------------------------------------

struct BreakCase {
    const char *name;
    const char *bytes;
    int length;
};

class ExportLineEndsEverywhere : public ::testing::TestWithParam<BreakCase>
{
};

// Every text field of the address table holds the break, every item is
// written with its header: the file holds the header and one line a
// record, and the import reads as many columns in each record as in the header.
TEST_P(ExportLineEndsEverywhere, everyRecordStaysOneLineOfAsManyColumnsAsTheHeader)
{
    const QByteArray brk(GetParam().bytes, GetParam().length);
    Book book;
    TRecordValues values;
    std::vector<QByteArray> names;
    for (int i = 0; i < book.table.FieldCount(); ++i) {
        const TField &field = book.table.Fields(i);
        if (field.DataType() != TFieldType::ftString && field.DataType() != TFieldType::ftMemo)
            continue;
        names.push_back(field.FieldName().toLatin1());
    }
    for (const QByteArray &name : names) {
        // The names kept in the "@" form: NameKanji, Joint1 .. Joint5.
        const bool wide = name == "NameKanji" || (name.size() == 6 && name.startsWith("Joint"));
        const QByteArray text = wide ? EncodeUnicodeField(QStringLiteral("x") + Cp932::decode(brk) + u'y')
                                     : QByteArray("x") + brk + 'y';
        values.emplace_back(name.constData(), text);
    }
    values.emplace_back("Group", 1);
    for (int r = 0; r < 3; ++r)
        book.add(values);
    TExportContext context;
    context.GroupNames = {QStringLiteral("指定なし"), QStringLiteral("友") + Cp932::decode(brk) + u'人'};
    TExportLayout layout;
    layout.SetAll();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const TRunRecords records = {{1, 0}, {2, 1}, {3, 2}};
    const TExportRunResult result =
        WriteExportRows(out, book.table, records, layout, context, {}, ExportItemCatalogue());
    ASSERT_EQ(result.Written, 3);
    const QByteArray file = out.data();

    QList<QByteArray> lines = file.split('\n');
    ASSERT_EQ(lines.size(), 5) << file.toStdString(); // header, three records, nothing after the last CR LF
    EXPECT_TRUE(lines.takeLast().isEmpty());
    for (QByteArray &line : lines) {
        ASSERT_TRUE(line.endsWith('\r'));
        line.chop(1);
        for (const char c : line)
            EXPECT_TRUE(c != '\r' && c != '\x1A' && c != '\0') << line.toStdString();
    }
    TImportFile read;
    read.SetBytes(file);
    ASSERT_EQ(read.LineCount(), 4);
    for (const TImportFile::TLine &line : read.Lines()) {
        EXPECT_TRUE(line.ValidText);
        EXPECT_EQ(CountCsvFields(line.Bytes), ExportItemCount - 1) << line.Bytes.toStdString();
    }
    const QList<QByteArray> fields = SplitCsvLine(read.Lines()[1].Bytes, ExportItemCount, true);
    EXPECT_EQ(fields[eiKeyword1], QByteArray("x y"));
    EXPECT_EQ(fields[eiName], QByteArray("x y"));
    EXPECT_EQ(fields[eiGroup], sj(u"友 人"));
}

INSTANTIATE_TEST_SUITE_P(Breaks, ExportLineEndsEverywhere,
                         ::testing::Values(BreakCase{"crLf", "\r\n", 2}, BreakCase{"lineFeed", "\n", 1},
                                           BreakCase{"carriageReturn", "\r", 1},
                                           BreakCase{"emptyLines", "\r\n\r\n", 4},
                                           BreakCase{"endOfFileMark", "\x1A", 1}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- the header ---------------------------------------------------------------------

TEST(ExportLineEnds, aKeywordCaptionKeptWithABreakIsWrittenAsItsFixedName)
{
    QStringList captions = ExportItemCatalogue();
    captions[eiKeyword1] = QStringLiteral("趣味\r\n特技");
    captions[eiKeyword1 + 1] = QStringLiteral("\n");
    const QList<QByteArray> names = ExportHeaderNames(captions);
    EXPECT_EQ(names[eiKeyword1], Cp932::encode(KeywordFixedName(1)));
    EXPECT_EQ(names[eiKeyword1 + 1], Cp932::encode(KeywordFixedName(2)));
    TExportLayout layout;
    layout.SetAll();
    const QByteArray header = BuildExportHeader(layout, captions);
    EXPECT_FALSE(header.contains('\r'));
    EXPECT_FALSE(header.contains('\n'));
}

} // namespace
