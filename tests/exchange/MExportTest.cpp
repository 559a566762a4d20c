#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "exchange/MExport.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "support/DataFolders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Takes every mark except those named "拒否"; a mark is its name and a line end.
class FakeWriter : public TMarkWriter
{
public:
    bool Available(QString *) const override { return true; }
    std::optional<QByteArray> MarkRecord(const TMarkEntry &mark) override
    {
        if (mark.Name == sj(u"拒否"))
            return std::nullopt;
        return mark.Name + "\n";
    }
};

QByteArray readAll(const QString &file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

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

TEST(CollectMarkRows, stopsWhenTheRunIsCancelled)
{
    Book book;
    for (int i = 0; i < 3; ++i)
        book.add({{"PrivCorp", false}, {"CorpKanji", QByteArray::number(i)}, {"Latitude", 1}, {"Longitude", 2}});
    bool stopped = false;
    int calls = 0;
    const QList<TMarkEntry> marks =
        CollectMarkRows(book.table, {{1, 0}, {2, 1}, {3, 2}}, [&] { return ++calls < 2; }, &stopped);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(marks.size(), 2);
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
    EXPECT_EQ(readAll(file), "old\nnew\n");
    (void)WriteMarks(writer, file, true, {{"only", 1, 1}});
    EXPECT_EQ(readAll(file), "only\n");
}

TEST(MarkRun, theSenderTableIsNeverWrittenOver)
{
    QTemporaryDir dir;
    const ScopedDataFolders folders{dir.path()};
    const QString sender = OtherPath + QStringLiteral("Sender.DB");
    ASSERT_TRUE(QDir().mkpath(OtherPath));
    {
        QFile f(sender);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("table");
    }
    FakeWriter writer;
    const TMarkRunResult result = WriteMarks(writer, sender, true, {{"a", 1, 1}});
    EXPECT_EQ(result.Written, 0);
    EXPECT_TRUE(result.Failure.startsWith(QStringLiteral("プログラムが使用しているファイルには出力できません")));
    EXPECT_EQ(readAll(sender), "table");
}

TEST(MarkRun, whenEveryMarkIsRefusedTheOldFileIsLeftAlone)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.mri"));
    FakeWriter writer;
    (void)WriteMarks(writer, file, true, {{"old", 1, 1}});
    const TMarkRunResult result = WriteMarks(writer, file, true, {{sj(u"拒否"), 1, 1}});
    EXPECT_EQ(result.Written, 0);
    EXPECT_EQ(readAll(file), "old\n");
}

TEST(MarkRun, aFileThatCannotBeReplacedStopsTheRunAndStaysAsItWas)
{
    QTemporaryDir dir;
    // A folder in the file's place cannot be replaced by a file, not even by root.
    const QString file = dir.filePath(QStringLiteral("m.mri"));
    QDir().mkpath(file + QStringLiteral("/inside"));
    FakeWriter writer;
    const TMarkRunResult result = WriteMarks(writer, file, true, {{"new", 1, 1}});
    EXPECT_EQ(result.Written, 0);
    EXPECT_TRUE(result.Failure.startsWith(QStringLiteral("マークファイルに出力できませんでした")));
    EXPECT_TRUE(QFileInfo(file + QStringLiteral("/inside")).isDir());
}

TEST(MarkRun, aFailedReplaceKeepsTheOldMarksWhole)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.mri"));
    FakeWriter writer;
    (void)WriteMarks(writer, file, true, {{"old", 1, 1}});
    for (const SafeFile::Step failing : {SafeFile::Step::WriteTemporary, SafeFile::Step::SyncTemporary,
                                         SafeFile::Step::RenameTemporary}) {
        SafeFile::setFailureHook([failing](SafeFile::Step step) { return step == failing; });
        const TMarkRunResult result = WriteMarks(writer, file, false, {{"new", 1, 1}});
        SafeFile::setFailureHook({});
        EXPECT_EQ(result.Written, 0) << int(failing);
        EXPECT_FALSE(result.Failure.isEmpty()) << int(failing);
        EXPECT_EQ(readAll(file), "old\n") << int(failing);
    }
}

// ---- AtlasMate's mark records

struct RecordCase {
    const char *name;
    QByteArray markName;
    QByteArray stored;
};

class AtlasMarkRecordRoundTrip : public ::testing::TestWithParam<RecordCase>
{
};

TEST_P(AtlasMarkRecordRoundTrip, readsBackTheMeshAndTheStoredName)
{
    const TAtlasMesh mesh{0x1234, 0x56, 0x78, 0x9abcdef0u, 42};
    const QByteArray record = AtlasMarkRecord(mesh, GetParam().markName);
    ASSERT_EQ(record.size(), AtlasMarkRecordSize);
    const std::optional<QList<TAtlasMark>> marks = ReadAtlasMarkFile(record);
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(*marks, (QList<TAtlasMark>{{mesh, GetParam().stored}}));
    // Write, read, write: the same bytes.
    EXPECT_EQ(AtlasMarkRecord(marks->first().Mesh, marks->first().Name), record);
}

INSTANTIATE_TEST_SUITE_P(
    Marks, AtlasMarkRecordRoundTrip,
    ::testing::Values(RecordCase{"empty", QByteArray(), QByteArray()},
                      RecordCase{"shiftJis", sj(u"見本商事 本店"), sj(u"見本商事 本店")},
                      RecordCase{"longestThatFits", QByteArray(515, 'a'), QByteArray(515, 'a')},
                      RecordCase{"tooLongIsCut", QByteArray(600, 'b'), QByteArray(515, 'b')}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AtlasMarkRecord, laysOutTheHeaderAndTheMeshLittleEndian)
{
    const QByteArray record = AtlasMarkRecord({0x0102, 3, 4, 0x05060708u, 0x090a0b0cu}, "x");
    EXPECT_EQ(record.left(17), QByteArray::fromHex("01000000" "0201" "0304" "08070605" "0c0b0a09" "78"));
    EXPECT_EQ(record.at(17), '\0');
}

struct BrokenCase {
    const char *name;
    QByteArray bytes;
};

class BrokenMarkFile : public ::testing::TestWithParam<BrokenCase>
{
};

TEST_P(BrokenMarkFile, isNotTakenForMarks)
{
    EXPECT_FALSE(ReadAtlasMarkFile(GetParam().bytes).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Marks, BrokenMarkFile,
    ::testing::Values(BrokenCase{"truncated", AtlasMarkRecord({1, 0, 0, 0, 0}, "a").left(531)},
                      BrokenCase{"wrongHeader", QByteArray(1, '\2') + AtlasMarkRecord({1, 0, 0, 0, 0}, "a").mid(1)},
                      BrokenCase{"nameWithoutEnd", AtlasMarkRecord({1, 0, 0, 0, 0}, "a").left(16)
                                                        + QByteArray(AtlasMarkNameSize, 'z')}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AtlasMarkWriter, refusesAPositionOffTheMap)
{
    TAtlasMarkWriter writer([](qint32 latitude, qint32) -> std::optional<TAtlasMesh> {
        if (latitude == 1)
            return std::nullopt;
        if (latitude == 2)
            return TAtlasMesh{};
        return TAtlasMesh{7, 0, 0, 0, 0};
    });
    EXPECT_FALSE(writer.MarkRecord({"a", 1, 5}).has_value());
    EXPECT_FALSE(writer.MarkRecord({"a", 2, 5}).has_value());
    EXPECT_FALSE(writer.MarkRecord({"a", 3, 0}).has_value());
    EXPECT_TRUE(writer.MarkRecord({"a", 3, 5}).has_value());
}

// Appending is the default answer when the chosen file exists: a file that
// is no mark file (a text export chosen by mistake) is refused whole, never
// given mark records after its own bytes.
TEST(MarkRun, appendingToAFileThatIsNoMarkFileIsRefusedAndLeavesItAsItWas)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("addresses.csv"));
    const QByteArray csv = sj(u"名前,電話番号\r\n山田,0312345678\r\n");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(csv);
    }
    TAtlasMarkWriter writer([](qint32, qint32) { return std::optional(TAtlasMesh{7, 1, 2, 3, 4}); });
    const TMarkRunResult result = WriteMarks(writer, file, false, {{"a", 1, 1}});
    EXPECT_EQ(result.Written, 0);
    EXPECT_FALSE(result.Failure.isEmpty());
    EXPECT_EQ(readAll(file), csv);
}

TEST(MarkRun, appendingToAMarkFileOfTheMapProgramKeepsItsMarks)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.mri"));
    TAtlasMarkWriter writer([](qint32, qint32) { return std::optional(TAtlasMesh{7, 1, 2, 3, 4}); });
    ASSERT_EQ(WriteMarks(writer, file, true, {{"a", 1, 1}}).Written, 1);
    ASSERT_EQ(WriteMarks(writer, file, false, {{"b", 1, 1}}).Written, 1);
    const std::optional<QList<TAtlasMark>> marks = ReadAtlasMarkFile(readAll(file));
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(marks->size(), 2);
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
