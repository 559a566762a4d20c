#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "exchange/MExport.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>


namespace {

QByteArray sj(const char16_t *text)
{
    return Cp932::encode(QStringView(text));
}

struct PositionCase {
    const char *name;
    qint32 latitude;
    qint32 longitude;
    bool kept;
};

class MarkPositionFilter : public ::testing::TestWithParam<PositionCase>
{
};

TEST_P(MarkPositionFilter, keepsOnlyRecordsWithBothCoordinatesAboveZero)
{
    Book book;
    book.add({{"PrivCorp", false}, {"CorpKanji", sj(u"見本商事")}, {"Latitude", GetParam().latitude},
              {"Longitude", GetParam().longitude}});
    EXPECT_EQ(CollectMarkRows(book.table, {{1, 0}}).size(), GetParam().kept ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Marks, MarkPositionFilter,
                         ::testing::Values(PositionCase{"bothPositive", 128000000, 503000000, true},
                                           PositionCase{"latitudeZero", 0, 503000000, false},
                                           PositionCase{"longitudeZero", 128000000, 0, false},
                                           PositionCase{"latitudeNegative", -5, 503000000, false},
                                           PositionCase{"longitudeNegative", 128000000, -1, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CollectMarkRows, namesPrivateRecordsByNameAndCompaniesByCompany)
{
    Book book;
    book.add({{"PrivCorp", true}, {"NameKanji", EncodeUnicodeField(u"山田 太郎")}, {"CorpKanji", sj(u"無視")},
              {"Latitude", 1}, {"Longitude", 2}});
    book.add({{"PrivCorp", false}, {"NameKanji", EncodeUnicodeField(u"無視")}, {"CorpKanji", sj(u" 見本商事")},
              {"Latitude", 3}, {"Longitude", 4}});
    const QList<TMarkEntry> marks = CollectMarkRows(book.table, {{2, 0}, {9, 1}, {1, 2}});
    EXPECT_EQ(marks, (QList<TMarkEntry>{{sj(u" 見本商事"), 3, 4}, {sj(u"山田 太郎"), 1, 2}}));
}

// Takes every mark except those named "拒否", and remembers them.
class FakeWriter : public TMarkWriter
{
public:
    bool Available(QString *) const override { return true; }
    bool AddMarkToFile(const QString &file, const TMarkEntry &mark) override
    {
        if (mark.Name == sj(u"拒否"))
            return false;
        QFile out(file);
        if (!out.open(QIODevice::Append))
            return false;
        out.write(mark.Name + "\n");
        return true;
    }
};

TEST(MarkRun, tenRowsFourWithAPositionGiveBothCounts)
{
    Book book;
    for (int i = 0; i < 10; ++i)
        book.add({{"PrivCorp", false}, {"CorpKanji", QByteArray::number(i)}, {"Latitude", i % 3 == 0 ? 10 : 0},
                  {"Longitude", 20}});
    TRunRecords rows;
    for (int i = 1; i <= 10; ++i)
        rows << TRunRecord{i, i - 1};
    const QList<TMarkEntry> marks = CollectMarkRows(book.table, rows);
    ASSERT_EQ(marks.size(), 4);
    EXPECT_EQ(MarkQuestion(int(marks.size())),
              QStringLiteral("地図情報を持つ 4 件のデータを  \r\nマークファイルとして出力します  \r\nよろしいですか？  "));
    QTemporaryDir dir;
    FakeWriter writer;
    const TMarkRunResult result = WriteMarks(writer, dir.filePath(QStringLiteral("Mark01.mri")), true, marks);
    EXPECT_EQ(result.Written, 4);
    EXPECT_EQ(MarkDoneMessage(int(rows.size()), result.Written),
              QStringLiteral("マークファイルの出力が完了しました  \r\n\r\n対象件数 : 10 件  \r\n出力件数 : 4 件  "));
}

TEST(MarkRun, aRefusedMarkOnlyLowersTheWrittenCount)
{
    QTemporaryDir dir;
    FakeWriter writer;
    const TMarkRunResult result =
        WriteMarks(writer, dir.filePath(QStringLiteral("m.mri")), false, {{"a", 1, 1}, {sj(u"拒否"), 1, 1}});
    EXPECT_EQ(result.Written, 1);
    EXPECT_TRUE(result.Failure.isEmpty());
}

TEST(MarkRun, overwriteStartsAnewAndAppendKeepsTheOldMarks)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.mri"));
    FakeWriter writer;
    (void)WriteMarks(writer, file, true, {{"old", 1, 1}});
    (void)WriteMarks(writer, file, false, {{"new", 1, 1}});
    QFile appended(file);
    ASSERT_TRUE(appended.open(QIODevice::ReadOnly));
    EXPECT_EQ(appended.readAll(), "old\nnew\n");
    appended.close();
    (void)WriteMarks(writer, file, true, {{"only", 1, 1}});
    QFile overwritten(file);
    ASSERT_TRUE(overwritten.open(QIODevice::ReadOnly));
    EXPECT_EQ(overwritten.readAll(), "only\n");
}

// Counts the marks it is handed.
class CountingWriter : public TMarkWriter
{
public:
    bool Available(QString *) const override { return true; }
    bool AddMarkToFile(const QString &, const TMarkEntry &) override { return ++calls > 0; }
    int calls = 0;
};

TEST(MarkRun, anOldFileThatCannotBeDeletedStopsTheRun)
{
    QTemporaryDir dir;
    // A folder in the file's place cannot be deleted as a file, not even by root.
    const QString file = dir.filePath(QStringLiteral("m.mri"));
    QDir().mkpath(file + QStringLiteral("/inside"));
    CountingWriter writer;
    const TMarkRunResult result = WriteMarks(writer, file, true, {{"new", 1, 1}});
    EXPECT_EQ(writer.calls, 0);
    EXPECT_EQ(result.Written, 0);
    EXPECT_TRUE(result.Failure.startsWith(QStringLiteral("既にあるファイルを削除できませんでした")));
}

TEST(MarkRun, withoutTheMapProgramNothingIsWrittenAndTheUserIsTold)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.mri"));
    const TMarkRunResult result = WriteMarks(*CreateMarkWriter(), file, true, {{"a", 1, 1}});
    EXPECT_EQ(result.Written, 0);
    EXPECT_TRUE(result.Failure.startsWith(QStringLiteral("地図ソフトがインストールされていません")));
    EXPECT_FALSE(QFile::exists(file));
}

TEST(MarkRun, theNothingMessageNamesTheDataSelection)
{
    EXPECT_TRUE(MarkNothingMessage(0).startsWith(QStringLiteral("一覧で選択したデータの中には")));
    EXPECT_TRUE(MarkNothingMessage(1).startsWith(QStringLiteral("指定した範囲のデータの中には")));
    EXPECT_TRUE(MarkNothingMessage(2).startsWith(QStringLiteral("一覧に表示されているデータの中には")));
}

} // namespace
