#include "core/OptData.h"
#include "core/RepIndex.h"

#include "core/AdrsSel.h"
#include "core/BkupDat.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "DataFolderBooks.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// A data folder with the open book "家族" (folder Book1) and a sender table,
// held by the program's data module as the main list holds them.
class Maintenance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedWait = TTable::BusyWaitMs;
        TTable::BusyWaitMs = 50;
        WriteMarkedBook(AdrsPath + "Book1", "a", 150);
        WriteMarkedBook(AdrsPath + "Book2", "b", 20);
        WriteSenderTable(OtherPath, 3);
        AdrsFolderList = {{"家族", "Book1", AdrsStateUnchanged}, {"仕事", "Book2", AdrsStateUnchanged}};
        AdrsFolderIndex = 0;
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateAdrsTable("Book1");
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        DMMurven19->CreateSenderTable();
    }
    void TearDown() override
    {
        FreeDataModule();
        SetDataFileCopyFailure({});
        AdrsFolderList.clear();
        AdrsFolderIndex = -1;
        TTable::BusyWaitMs = m_savedWait;
    }
    QString book1() const { return AdrsPath + "Book1/Adrs.DB"; }
    static QStringList indexNames(const QString &table)
    {
        sqlite3 *db = SqlCipher::open(table, TablePassword, false, nullptr);
        QStringList names;
        {
            SqlCipher::Statement st(db, "SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name;");
            while (sqlite3_step(st) == SQLITE_ROW)
                names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        }
        SqlCipher::close(db);
        return names;
    }
    static void dropIndex(const QString &table)
    {
        sqlite3 *db = SqlCipher::open(table, TablePassword, false, nullptr);
        ASSERT_TRUE(SqlCipher::exec(db, "DROP INDEX ix3;"));
        SqlCipher::close(db);
    }

    ScopedHome home;
    ScriptedMessageBoxes boxes;
    ScopedDataFolders folders{home.root()};
    int m_savedWait = 0;
};

TEST_F(Maintenance, optimiseShrinksTheBookKeepsItsRecordsAndCopiesBothTablesFirst)
{
    TTable *t = DMMurven19->AdrsTable();
    t->BeginBatch();
    for (t->First(); !t->Eof() && t->RecordCount() > 10;)
        t->Delete();
    t->EndBatch();
    const QStringList kept = BookMarkers(book1());
    const qint64 before = QFileInfo(book1()).size();
    QString error;
    ASSERT_TRUE(OptimizeTables(&error)) << qPrintable(error);
    EXPECT_LT(QFileInfo(book1()).size(), before);
    EXPECT_EQ(BookMarkers(book1()), kept);
    EXPECT_EQ(BookMarkers(DataPath + "backup.opt/Adrs/家族/Adrs.DB"), kept);
    EXPECT_TRUE(QFileInfo::exists(DataPath + "backup.opt/Other/Sender.DB"));
    EXPECT_EQ(DMMurven19->AdrsOpenCount(), 1);
}

TEST_F(Maintenance, optimiseStopsBeforeChangingAnythingWhenTheSafetyCopyFails)
{
    const QByteArray before = fileBytes(book1());
    SetDataFileCopyFailure([](const QString &) { return true; });
    QString error;
    EXPECT_FALSE(OptimizeTables(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("データの控えを作成できなかったため、最適化を中止しました")));
    EXPECT_TRUE(sameBytes(before, fileBytes(book1())));
}

// The safety copy the disk refuses names the cause to mend.
struct SafetyCopyCase {
    const char *name;
    int systemErrno;
    const char16_t *cause;
};
void PrintTo(const SafetyCopyCase &c, std::ostream *os) { *os << c.name; }
class SafetyCopyRefused : public Maintenance, public ::testing::WithParamInterface<SafetyCopyCase> {};

TEST_P(SafetyCopyRefused, stopsTheOptimiseNamingTheCause)
{
    const QByteArray before = fileBytes(book1());
    SetDataFileCopyFailure([](const QString &) { return true; }, GetParam().systemErrno);
    QString error;
    EXPECT_FALSE(OptimizeTables(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("データの控えを作成できなかったため、最適化を中止しました  \r\n")))
        << qPrintable(error);
    EXPECT_TRUE(error.contains(QString::fromUtf16(GetParam().cause))) << qPrintable(error);
    EXPECT_TRUE(sameBytes(before, fileBytes(book1())));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, SafetyCopyRefused,
    ::testing::Values(SafetyCopyCase{"folderNotWritable", EACCES, u"ファイルのあるフォルダーに書き込む権限がありません。"},
                      SafetyCopyCase{"readOnlyDisk", EROFS, u"ディスクが読み取り専用のため、書き込めません。"},
                      SafetyCopyCase{"diskFull", ENOSPC, u"ディスクの空き容量が足りません。"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Maintenance, optimiseThatCannotRestructureIsAFailureNeverDone)
{
    // Another program reading the book keeps the engine from rewriting it.
    sqlite3 *reader = SqlCipher::open(book1(), TablePassword, false, nullptr);
    ASSERT_TRUE(SqlCipher::exec(reader, "BEGIN; SELECT count(*) FROM Data;"));
    QString error;
    EXPECT_FALSE(OptimizeTables(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("アドレス帳データの最適化に失敗しました"))) << qPrintable(error);
    (void)SqlCipher::exec(reader, "COMMIT;");
    SqlCipher::close(reader);
    EXPECT_EQ(DMMurven19->AdrsOpenCount(), 1);
    EXPECT_TRUE(DMMurven19->AdrsTable()->Active());
}

TEST_F(Maintenance, repairRebuildsAMissingIndexOfTheOpenBookAndSharesItAgain)
{
    const QStringList whole = indexNames(book1());
    dropIndex(book1());
    bool repaired = false;
    QString error;
    ASSERT_TRUE(RepairIndexes({0, false}, &repaired, &error)) << qPrintable(error);
    EXPECT_TRUE(repaired);
    EXPECT_EQ(indexNames(book1()), whole);
    EXPECT_TRUE(DMMurven19->AdrsTable()->Active());
    EXPECT_FALSE(DMMurven19->AdrsTable()->Exclusive());
    EXPECT_TRUE(QFileInfo::exists(DataPath + "backup.rep/Adrs/家族/Adrs.DB"));
}

TEST_F(Maintenance, repairReturnsTheOpenBookToSharedUseWhenItCannotHaveItAlone)
{
    TTable other;
    other.SetTableName(book1());
    other.SetPassword(TablePassword);
    other.Open(); // another window's handle: no exclusive use now
    bool repaired = false;
    QString error;
    EXPECT_FALSE(RepairIndexes({0, false}, &repaired, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(DMMurven19->AdrsTable()->Active());
    EXPECT_FALSE(DMMurven19->AdrsTable()->Exclusive());
    other.Close();
}

TEST_F(Maintenance, repairOfAnotherBookLeavesTheOpenBookUntouched)
{
    const QByteArray open = fileBytes(book1());
    dropIndex(AdrsPath + "Book2/Adrs.DB");
    bool repaired = true;
    QString error;
    ASSERT_TRUE(RepairIndexes({1, false}, &repaired, &error)) << qPrintable(error);
    EXPECT_FALSE(repaired);
    EXPECT_EQ(indexNames(AdrsPath + "Book2/Adrs.DB"), indexNames(book1()));
    EXPECT_TRUE(sameBytes(open, fileBytes(book1())));
}

TEST_F(Maintenance, repairOfTheSenderAloneCopiesOnlyTheSenderTable)
{
    bool repaired = false;
    QString error;
    ASSERT_TRUE(RepairIndexes({-1, true}, &repaired, &error)) << qPrintable(error);
    EXPECT_TRUE(QFileInfo::exists(DataPath + "backup.rep/Other/Sender.DB"));
    EXPECT_FALSE(QFileInfo::exists(DataPath + "backup.rep/Adrs"));
}

TEST_F(Maintenance, repairStopsWhenTheSafetyCopyFails)
{
    dropIndex(book1());
    const QStringList damaged = indexNames(book1());
    SetDataFileCopyFailure([](const QString &) { return true; });
    bool repaired = false;
    QString error;
    EXPECT_FALSE(RepairIndexes({0, true}, &repaired, &error));
    EXPECT_EQ(indexNames(book1()), damaged);
    EXPECT_TRUE(DMMurven19->AdrsTable()->Active());
}

TEST_F(Maintenance, repairDialogAsksForABookWhenNoneIsChosen)
{
    AdrsFolderIndex = -1;
    TRepairIndex dialog;
    dialog.btnRepairClick();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("修復するアドレス帳を選択してください  "));
}

} // namespace
