#include "core/DBInfo.h"

#include "core/Env.h"
#include "core/HisInfo.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"
#include "support/UnreadableNotices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// The stored layout of Adrs.DB and Sender.DB as the file format fixes it: A autoincrement,
// I long integer, L logical, M memo (with the bytes kept in the row), T
// timestamp, a number: text of that many bytes. Written out here, not taken from the program's own definition.
const char kAdrsLayout[] =
    "RecNo:A Group:I CustomCode:20 Tel:11 TelDiv:I Fax:11 PubDate:6 Portable1:11 Portable2:11 Pos:7 Tdfkn:8 "
    "Adrs1:32 Adrs2:100 Adrs3:116 AdrsKana:100 JisCode:5 KajoCode:6 Latitude:I Longitude:I PrivCorp:L "
    "CorpKanji:120 CorpKana:80 Dptmnt:100 Post:50 NameKanji:75 NameKana:25 Honor:10 IgnoreName:L URL:128 "
    "EMail1:64 EMail2:64 Joint1:55 Joint2:55 Joint3:55 Joint4:55 Joint5:55 JointHonor1:10 JointHonor2:10 "
    "JointHonor3:10 JointHonor4:10 JointHonor5:10 JointOwner:I JointPrint:L JointPrint1:L JointPrint2:L "
    "JointPrint3:L JointPrint4:L JointPrint5:L PrintTarget:I Sender:I Keyword1:100 Keyword2:100 Keyword3:100 "
    "Keyword4:100 Keyword5:100 Keyword6:100 Keyword7:100 Keyword8:100 Note:M100 ExtLink:M100 SymbolMark:10 "
    "SymbolColor:I AddDateTime:T UpdDateTime:T CodeMain:I CodeSub:I CodeGenre:I";
const char kSenderLayout[] =
    "RecNo:I Title:30 Name:75 Tel:11 Fax:11 Pos:7 Tdfkn:8 Adrs1:32 Adrs2:100 Adrs3:116 SelectInfo:I Joint1:55 "
    "Joint2:55 Joint3:55 Joint4:55 Joint5:55 Note1:20 Note2:20 Note3:20 Note4:20 Note5:20 NamePrint:L "
    "JointPrint1:L JointPrint2:L JointPrint3:L JointPrint4:L JointPrint5:L Corp:100 Dptmnt:100 Post:50 "
    "Head1:10 Head2:10 Head3:10 Head4:10 Addition1:128 Addition2:128 Addition3:128 Addition4:128 "
    "AdditionPrint1:L AdditionPrint2:L AdditionPrint3:L AdditionPrint4:L";

// The layout of an open table in the notation above.
QString layoutOf(const TTable &table)
{
    QStringList fields;
    for (const TFieldDef &def : table.FieldDefs()) {
        const char *kinds[] = {"A", "I", nullptr, "L", "M", "T"};
        const char *kind = kinds[static_cast<int>(def.DataType)];
        const QString size = kind && def.DataType != TFieldType::ftMemo ? QString() : QString::number(def.Size);
        fields << def.Name + QLatin1Char(':') + QLatin1String(kind ? kind : "") + size;
    }
    return fields.join(QLatin1Char(' '));
}

TEST_F(DataModule, missingTablesAreCreatedProtectedWithTheFixedFieldWidthsAndIndexes)
{
    dm.CreateAdrsTable(QStringLiteral("Book1"));
    ASSERT_TRUE(dm.OpenAdrs());
    dm.CloseAdrs();
    ASSERT_FALSE(QDir(OtherPath).exists());
    dm.CreateSenderTable();
    ASSERT_TRUE(dm.OpenSender());
    dm.CloseSender();

    TTable table;
    table.SetTableName(bookTable());
    EXPECT_THROW(table.Open(), ETableError) << "opened without the key";
    table.SetPassword(TablePassword);
    ASSERT_NO_THROW(table.Open());
    EXPECT_EQ(layoutOf(table).toStdString(), kAdrsLayout);
    // Index options: ! primary and unique, ~ case-insensitive, ? anything else.
    QStringList indexes;
    for (const TIndexDef &index : table.IndexDefs())
        indexes << index.Name + QLatin1Char('=') + index.Fields +
                       QLatin1String(index.Options == (ixPrimary | ixUnique) ? "!"
                                     : index.Options == ixCaseInsensitive    ? "~"
                                                                             : (index.Options ? "?" : ""));
    EXPECT_EQ(indexes.join(QLatin1Char(' ')).toStdString(),
              "=RecNo! Group=Group CustomCode=CustomCode Tel=Tel Fax=Fax Portable1=Portable1 Portable2=Portable2 "
              "Pos=Pos Adrs=JisCode;Adrs2;Adrs3~ CorpKana=CorpKana~ NameKana=NameKana~ Keyword1=Keyword1~ "
              "Keyword2=Keyword2~ Keyword3=Keyword3~ Keyword4=Keyword4~ Keyword5=Keyword5~ Keyword6=Keyword6~ "
              "Keyword7=Keyword7~ Keyword8=Keyword8~ Category=CodeMain;CodeSub;CodeGenre~");
    table.Close();

    TTable sender;
    sender.SetTableName(OtherPath + QStringLiteral("Sender.DB"));
    sender.SetPassword(TablePassword);
    ASSERT_NO_THROW(sender.Open());
    EXPECT_EQ(layoutOf(sender).toStdString(), kSenderLayout);
    EXPECT_EQ(sender.IndexDefs().size(), 1);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(DataModule, failedFirstOpenReportsAndLeavesTheCounterAtZero)
{
    dm.CreateAdrsTable(QStringLiteral("NoSuchBook"));
    EXPECT_FALSE(dm.OpenAdrs());
    EXPECT_EQ(dm.AdrsOpenCount(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("アドレス帳ファイルがオープンできませんでした  \r\n\r\n")))
        << qPrintable(boxes.last().text);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("ファイルまたはそのフォルダーが見つかりません。")))
        << qPrintable(boxes.last().text);

    // Once the folder exists the next open really opens.
    QDir().mkpath(AdrsPath + QStringLiteral("NoSuchBook"));
    ASSERT_TRUE(dm.OpenAdrs());
    EXPECT_TRUE(dm.AdrsTable()->Active());
    EXPECT_EQ(dm.AdrsOpenCount(), 1);
}

TEST_F(DataModule, aDamagedSenderTableIsNamedInTheMessage)
{
    ASSERT_TRUE(QDir().mkpath(OtherPath));
    QFile damaged(OtherPath + QStringLiteral("Sender.DB"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    dm.CreateSenderTable();
    EXPECT_FALSE(dm.OpenSender());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text.section(QStringLiteral("\r\n\r\n"), 0, 0),
              QStringLiteral("差出人ファイルがオープンできませんでした  \r\n") +
                  QDir::toNativeSeparators(OtherPath + QStringLiteral("Sender.DB")) + QStringLiteral("  "));
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("ファイルが壊れています。"))) << qPrintable(boxes.last().text);
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
    EXPECT_EQ(boxes.shown()[1].text, QStringLiteral("差出人ファイルがオープンできませんでした（サブ）  \r\n") +
                                         QDir::toNativeSeparators(OtherPath + QStringLiteral("Sender.DB")) +
                                         QStringLiteral("  "));
    dm.CloseAdrsSub();
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

    // Switching to another book opens that book's own, new table.
    QDir().mkpath(AdrsPath + QStringLiteral("Book2"));
    dm.CreateAdrsTable(QStringLiteral("Book2"));
    ASSERT_TRUE(dm.OpenAdrs());
    EXPECT_EQ(dm.AdrsTable()->RecordCount(), 0);
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
    const int limits[] = {100, 50, 10, 100, 100, 100};
    const QList<THistoryData *> list = histories(dm);
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(list[i], nullptr) << i;
        EXPECT_EQ(list[i]->FileName(), HistoryPath + QLatin1String(HistoryFiles[i]));
        EXPECT_EQ(list[i]->MaxLength(), limits[i]);
        EXPECT_TRUE(QFile::exists(list[i]->FileName()));
        EXPECT_FALSE(list[i]->IsLoaded());
    }
    dm.Connect();
    EXPECT_TRUE(dm.Connected());
    for (THistoryData *history : histories(dm))
        EXPECT_TRUE(history->IsLoaded());
    dm.Disconnect();
    EXPECT_FALSE(dm.Connected());
    for (THistoryData *history : histories(dm))
        EXPECT_FALSE(history->IsLoaded());
}

// Count 2, then one whole entry "ab" (length 8 + 2, eight bytes, text
// XOR 0xFF) and a record cut short.
const QByteArray damagedHistory("\x02\0\0\0" "\x0a\0\0\0\0\0\0\0\0" "\x9e\x9d" "\x0d\0\0\0", 19);

// A damaged history is kept aside whole and named to the user, in the order
// of loading; it starts from its defaults (the shipped word list for Post,
// nothing for Keyword2), the others load and the book opens.
TEST_F(DataModule, damagedHistoriesAreKeptAsideAndStartFromTheirDefaults)
{
    const QString savedAppPath = AppPath;
    AppPath = home.root() + QStringLiteral("/program/");
    QDir().mkpath(AppPath + QStringLiteral("Common/History"));
    THistoryData shipped(AppPath + QStringLiteral("Common/History/Post.mtd"), true, 50);
    shipped.Add("shipped", 1.0);
    ASSERT_TRUE(shipped.Save());

    dm.CreateDatabase();
    for (const char *name : {"Post.mtd", "Keyword2.mtd"})
        writeBytes(HistoryPath + QLatin1String(name), damagedHistory);
    ASSERT_NO_THROW(dm.Connect());
    AppPath = savedAppPath;
    EXPECT_TRUE(dm.Connected());
    ASSERT_EQ(boxes.count(), 2);
    for (int i = 0; i < 2; ++i) {
        const QString file = HistoryPath + QLatin1String(i == 0 ? "Post.mtd" : "Keyword2.mtd");
        EXPECT_TRUE(keptAsideAndNamed(file, damagedHistory, boxes.shown()[i].text)) << i;
    }
    for (THistoryData *history : histories(dm))
        EXPECT_TRUE(history->IsLoaded()) << history->FileName().toStdString();
    ASSERT_EQ(dm.PostHistory()->GetCount(), 1);
    EXPECT_EQ(dm.PostHistory()->GetText(0), QByteArray("shipped"));
    EXPECT_EQ(dm.KeywordHistory(2)->GetCount(), 0);
}

} // namespace
