#include "core/DBInfo.h"

#include "core/Env.h"
#include "core/HisInfo.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// A data folder of its own in a temporary home, with the program's folder
// variables pointing into it.
class DataModule : public ::testing::Test
{
protected:
    void SetUp() override { QDir().mkpath(AdrsPath + QStringLiteral("Book1")); }

    QString bookTable() const { return AdrsPath + QStringLiteral("Book1/Adrs.DB"); }

    ScopedHome home;
    ScriptedMessageBoxes boxes;
    TDMMurven19 dm;
    ScopedDataFolders folders{home.root()};
};

TEST_F(DataModule, bookWithoutTableGetsAProtectedTableWithAllFieldsAndIndexes)
{
    dm.CreateAdrsTable(QStringLiteral("Book1"));
    ASSERT_TRUE(dm.OpenAdrs());
    dm.CloseAdrs();

    TTable table;
    table.SetTableName(bookTable());
    EXPECT_THROW(table.Open(), ETableError) << "opened without the key";
    table.SetPassword(TablePassword);
    ASSERT_NO_THROW(table.Open());
    const QList<TFieldDef> fields = table.FieldDefs();
    ASSERT_EQ(fields.size(), 67);
    for (int i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].Name, AdrsFieldDefs[i].Name) << i;
        EXPECT_EQ(fields[i].DataType, AdrsFieldDefs[i].DataType) << i;
        if (fields[i].DataType == TFieldType::ftString) {
            EXPECT_EQ(fields[i].Size, AdrsFieldDefs[i].Size) << i;
        }
    }
    const QList<TIndexDef> indexes = table.IndexDefs();
    ASSERT_EQ(indexes.size(), 20);
    for (int i = 0; i < indexes.size(); ++i) {
        EXPECT_EQ(indexes[i].Name, AdrsIndexDefs[i].Name) << i;
        EXPECT_EQ(indexes[i].Fields, AdrsIndexDefs[i].Fields) << i;
    }
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(DataModule, tableDefinitionsHoldTheStoredLayout)
{
    EXPECT_EQ(AdrsFieldDefs.first().DataType, TFieldType::ftAutoInc);
    EXPECT_EQ(SenderFieldDefs.first().DataType, TFieldType::ftInteger);

    QSet<QString> names;
    for (const TFieldDef &def : AdrsFieldDefs) {
        EXPECT_FALSE(names.contains(def.Name)) << def.Name.toStdString();
        names.insert(def.Name);
        if (def.DataType == TFieldType::ftString) {
            EXPECT_GT(def.Size, 0) << def.Name.toStdString();
        }
    }
    // Every index names existing fields; only the first is primary.
    for (int i = 0; i < AdrsIndexDefs.size(); ++i) {
        for (const QString &field : AdrsIndexDefs[i].Fields.split(QLatin1Char(';')))
            EXPECT_TRUE(names.contains(field)) << field.toStdString();
        EXPECT_EQ((AdrsIndexDefs[i].Options & ixPrimary) != 0, i == 0) << i;
    }
    int byteTotal = 0;
    for (const TFieldDef &def : SenderFieldDefs) {
        if (def.DataType == TFieldType::ftString)
            byteTotal += def.Size;
    }
    // Title 30, Name 75, Tel/Fax 22, Pos 7, Tdfkn 8, Adrs 248, Joint 275,
    // Note 100, Corp/Dptmnt/Post 250, Head 40, Addition 512.
    EXPECT_EQ(byteTotal, 1567);
}

TEST_F(DataModule, senderTableIsCreatedInAnOtherFolderMadeFirst)
{
    ASSERT_FALSE(QDir(OtherPath).exists());
    dm.CreateSenderTable();
    ASSERT_TRUE(dm.OpenSender());
    EXPECT_TRUE(QFile::exists(OtherPath + QStringLiteral("Sender.DB")));
    EXPECT_EQ(dm.SenderTable()->FieldCount(), 42);
    EXPECT_EQ(dm.SenderTable()->IndexDefs().size(), 1);
}

TEST_F(DataModule, openCountKeepsTheTableOpenUntilTheLastClose)
{
    dm.CreateAdrsTable(QStringLiteral("Book1"));
    ASSERT_TRUE(dm.OpenAdrs());
    ASSERT_TRUE(dm.OpenAdrs());
    EXPECT_EQ(dm.AdrsOpenCount(), 2);
    dm.CloseAdrs();
    EXPECT_TRUE(dm.AdrsTable()->Active());
    dm.CloseAdrs();
    EXPECT_FALSE(dm.AdrsTable()->Active());
    EXPECT_EQ(dm.AdrsOpenCount(), 0);
    dm.CloseAdrs();
    EXPECT_EQ(dm.AdrsOpenCount(), 0);
    EXPECT_FALSE(dm.AdrsTable()->Active());
}

TEST_F(DataModule, failedFirstOpenReportsAndLeavesTheCounterAtZero)
{
    dm.CreateAdrsTable(QStringLiteral("NoSuchBook"));
    EXPECT_FALSE(dm.OpenAdrs());
    EXPECT_EQ(dm.AdrsOpenCount(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳ファイルがオープンできませんでした  "));
    EXPECT_EQ(boxes.last().caption, QStringLiteral("ピルカノス2014"));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
    EXPECT_EQ(boxes.last().mode, int(mbpSystem));

    // Once the folder exists the next open really opens.
    QDir().mkpath(AdrsPath + QStringLiteral("NoSuchBook"));
    ASSERT_TRUE(dm.OpenAdrs());
    EXPECT_TRUE(dm.AdrsTable()->Active());
    EXPECT_EQ(dm.AdrsOpenCount(), 1);
}

TEST_F(DataModule, failedSenderOpenShowsTheSenderMessage)
{
    // A file where the folder should be: the folder cannot be made.
    QDir().mkpath(DataPath);
    QFile blocker(DataPath + QStringLiteral("Other"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    OtherPath = DataPath + QStringLiteral("Other/");
    dm.CreateSenderTable();
    EXPECT_FALSE(dm.OpenSender());
    EXPECT_EQ(dm.SenderOpenCount(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("差出人ファイルがオープンできませんでした  "));
}

TEST_F(DataModule, exclusiveOpensOfOpenTablesFailWithTheSubMessages)
{
    dm.CreateAdrsTable(QStringLiteral("Book1"));
    dm.CreateSenderTable();
    ASSERT_TRUE(dm.OpenAdrs() && dm.OpenSender());
    EXPECT_FALSE(dm.OpenAdrsSub(QStringLiteral("Book1")));
    EXPECT_FALSE(dm.OpenSenderSub());
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("アドレス帳ファイルがオープンできませんでした（サブ）  "));
    EXPECT_EQ(boxes.shown()[1].text, QStringLiteral("差出人ファイルがオープンできませんでした（サブ）  "));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
    EXPECT_NE(dm.AdrsSubTable(), nullptr);
    dm.CloseAdrsSub();
    EXPECT_EQ(dm.AdrsSubTable(), nullptr);

    dm.CloseAdrs();
    dm.CloseSender();
    ASSERT_TRUE(dm.OpenAdrsSub(QStringLiteral("Book1")));
    EXPECT_TRUE(dm.AdrsSubTable()->Exclusive());
    EXPECT_TRUE(dm.OpenSenderSub());
    // While the exclusive handle is held, the shared one cannot open.
    EXPECT_FALSE(dm.OpenAdrs());
    dm.CloseAdrsSub();
    EXPECT_TRUE(dm.OpenAdrs());
}

TEST_F(DataModule, postedRecordIsOnDiskAndTheBookIsFoundWhateverTheCaseOfItsName)
{
    dm.CreateAdrsTable(QStringLiteral("Book1"));
    ASSERT_TRUE(dm.OpenAdrs());
    dm.AdrsTable()->Append();
    dm.AdrsTable()->FieldByName(QStringLiteral("CodeMain")).SetAsInteger(3);
    PostAndFlush(*dm.AdrsTable());
    TTable reader;
    reader.SetTableName(bookTable());
    reader.SetPassword(TablePassword);
    reader.Open();
    ASSERT_EQ(reader.RecordCount(), 1);
    EXPECT_EQ(reader.FieldByName(QStringLiteral("CodeMain")).AsInteger(), 3);
    reader.Close();
    dm.CloseAdrs();
    dm.FreeAdrsTable();

    ASSERT_TRUE(QFile::rename(bookTable(), AdrsPath + QStringLiteral("Book1/adrs.db")));
    dm.CreateAdrsTable(QStringLiteral("Book1"));
    ASSERT_TRUE(dm.OpenAdrs());
    EXPECT_EQ(dm.AdrsTable()->RecordCount(), 1);
    EXPECT_EQ(QDir(AdrsPath + QStringLiteral("Book1")).entryList(QDir::Files).size(), 1);
}

TEST_F(DataModule, switchingBooksOpensTheNewBook)
{
    QDir().mkpath(AdrsPath + QStringLiteral("Book2"));
    dm.CreateAdrsTable(QStringLiteral("Book1"));
    ASSERT_TRUE(dm.OpenAdrs());
    dm.CreateAdrsTable(QStringLiteral("Book2"));
    ASSERT_TRUE(dm.OpenAdrs());
    EXPECT_TRUE(dm.AdrsTable()->Active());
    EXPECT_TRUE(QFile::exists(AdrsPath + QStringLiteral("Book2/Adrs.DB")));
}

const char *const HistoryFiles[] = {"Dptmnt.mtd", "Post.mtd", "Honor.mtd", "Keyword1.mtd", "Keyword2.mtd",
                                    "Keyword3.mtd"};

QList<THistoryData *> histories(const TDMMurven19 &dm)
{
    return {dm.DptmntHistory(), dm.PostHistory(), dm.HonorHistory(),
            dm.KeywordHistory(1), dm.KeywordHistory(2), dm.KeywordHistory(3)};
}

TEST_F(DataModule, createDatabaseMakesTheSixHistoriesThatConnectLoadsAndDisconnectUnloads)
{
    dm.CreateDatabase();
    EXPECT_TRUE(dm.DatabaseExists());
    EXPECT_EQ(dm.DatabaseName(), DataPath);
    const int limits[] = {100, 50, 10, 100, 100, 100};
    const QList<THistoryData *> list = histories(dm);
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(list[i], nullptr) << i;
        EXPECT_EQ(list[i]->FileName(), HistoryPath + QLatin1String(HistoryFiles[i]));
        EXPECT_EQ(list[i]->MaxLength(), limits[i]);
        EXPECT_TRUE(QFile::exists(list[i]->FileName()));
        EXPECT_FALSE(list[i]->IsLoaded());
    }
    EXPECT_EQ(dm.KeywordHistory(0), nullptr);
    EXPECT_EQ(dm.KeywordHistory(4), nullptr);
    dm.Connect();
    EXPECT_TRUE(dm.Connected());
    for (THistoryData *history : histories(dm))
        EXPECT_TRUE(history->IsLoaded());
    dm.Disconnect();
    EXPECT_FALSE(dm.Connected());
    for (THistoryData *history : histories(dm))
        EXPECT_FALSE(history->IsLoaded());
    dm.FreeDatabase();
    EXPECT_FALSE(dm.DatabaseExists());
    EXPECT_EQ(dm.PostHistory(), nullptr);
}

// Count 2, then one whole entry "ab" (length 8 + 2, eight bytes, text
// XOR 0xFF) and a record cut short.
const QByteArray damagedHistory("\x02\0\0\0" "\x0a\0\0\0\0\0\0\0\0" "\x9e\x9d" "\x0d\0\0\0", 19);

TEST_F(DataModule, damagedHistoriesAreReportedInOrderAndTheRestLoad)
{
    dm.CreateDatabase();
    for (const char *name : {"Post.mtd", "Keyword2.mtd"}) {
        QFile file(HistoryPath + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damagedHistory);
    }
    ASSERT_NO_THROW(dm.Connect());
    EXPECT_TRUE(dm.Connected());
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(HistoryPath + QStringLiteral("Post.mtd")));
    EXPECT_TRUE(boxes.shown()[1].text.startsWith(HistoryPath + QStringLiteral("Keyword2.mtd")));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
    EXPECT_EQ(boxes.last().mode, int(mbpSystem));
    for (THistoryData *history : histories(dm))
        EXPECT_TRUE(history->IsLoaded()) << history->FileName().toStdString();
    // The entry read before the damage is kept.
    ASSERT_EQ(dm.PostHistory()->GetCount(), 1);
    EXPECT_EQ(dm.PostHistory()->GetText(0), QByteArray("ab"));
}

} // namespace
