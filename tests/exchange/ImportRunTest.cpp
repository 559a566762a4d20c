#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "exchange/ImportFile.h"
#include "exchange/ImportRun.h"
#include "exchange/ImportSlots.h"
#include "platform/Cp932.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"
#include "support/ScriptedMessageBoxes.h"
#include "widgets/RecordRun.h"
#include "core/DBInfo.h"
#include "core/GrpEdt.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QByteArray sj(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A book, a file and a run over it: columns 顧客コード,名前,電話,緯度 by
// default, assigned to the rows of the same names.
class ImportRunTest : public ::testing::Test
{
protected:
    void load(const QByteArray &bytes)
    {
        file.SetBytes(bytes);
        const QByteArray first = file.Lines().value(0).Bytes;
        assignment.SetSamples(SplitCsvLine(first, CountCsvFields(first) + 1, false));
    }
    // Three lines B1..B3 after a header, the book's engine raising Action
    // (ABORT: the insert alone, ROLLBACK: the whole transaction) on B2.
    void loadWithB2Raising(const char *Action)
    {
        ASSERT_NO_FATAL_FAILURE(raiseOnB2(Action));
        load(sj("a,b,c,d\r\nB1,x,,\r\nB2,y,,\r\nB3,z,,\r\n"));
        assignDefault();
        options.SkipFirst = true;
    }
    // Lines (in the file's encoding) of a group and a name after the header
    // グループ名,名前, its columns assigned to the group and the name.
    void loadGroupsAndNames(const QByteArray &Lines)
    {
        load(sj("グループ名,名前\r\n") + Lines);
        assignment.PutSample(irGroup, 0);
        assignment.PutSample(irName, 1);
        options.SkipFirst = true;
    }
    void raiseOnB2(const char *Action)
    {
        QString error;
        sqlite3 *db = SqlCipher::open(book.table.TableName(), TablePassword, false, &error);
        ASSERT_NE(db, nullptr) << qPrintable(error);
        const QByteArray trigger = QByteArray("CREATE TRIGGER raise BEFORE INSERT ON Data WHEN new.CustomCode = 'B2' "
                                              "BEGIN SELECT RAISE(") + Action + ", 'refused'); END;";
        const bool made = SqlCipher::exec(db, trigger.constData(), &error);
        SqlCipher::close(db);
        ASSERT_TRUE(made) << qPrintable(error);
    }
    void assignDefault()
    {
        assignment.PutSample(irCustomCode, 0);
        assignment.PutSample(irName, 1);
        assignment.PutSample(irTel, 2);
        assignment.PutSample(irLatitude, 3);
    }
    TImportRunReport run()
    {
        TImportContext context;
        context.Now = QDateTime(QDate(2014, 6, 1), QTime(9, 0));
        context.GroupNames = groupNames;
        TImportRun importRun(book.table, file, assignment, options, context, logPath());
        importRun.SaveGroupNames = [this](const QStringList &names, QString *error) {
            savedNames << names;
            if (groupSaveFails && error)
                *error = QStringLiteral("ディスクの空き容量が足りません。");
            return !groupSaveFails;
        };
        return importRun.Run(nullptr);
    }
    // The group of record RecNo.
    int groupOf(qint32 RecNo)
    {
        EXPECT_TRUE(FindRunRecord(book.table, RecNo));
        return book.table.FieldByName(QStringLiteral("Group")).AsInteger();
    }
    QString logPath() const { return dir.filePath(QStringLiteral("InError.txt")); }
    QByteArray log() const { return readAll(logPath()); }
    int count() { return book.table.RecordCount(); }

    Book book;
    QTemporaryDir dir;
    TImportFile file;
    TImportAssignment assignment;
    TImportRunOptions options;
    // The book's group names, and what the run wrote of them.
    QStringList groupNames{QStringLiteral("指定なし")};
    QList<QStringList> savedNames;
    bool groupSaveFails = false;
};

TEST_F(ImportRunTest, addsEveryGoodLine)
{
    load(sj("顧客コード,名前,電話,緯度\r\nA1,山田,03-1111-2222,\r\nA2,鈴木,,\r\n"));
    assignDefault();
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_TRUE(report.Committed);
    EXPECT_EQ(report.ReadCount, 2);
    EXPECT_EQ(report.StoredCount, 2);
    EXPECT_EQ(count(), 2);
    book.table.First();
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("Tel")).AsBytes(), QByteArray("0311112222"));
    EXPECT_EQ(DecodeUnicodeField(book.table.FieldByName(QStringLiteral("NameKanji")).AsBytes()), QStringLiteral("山田"));
}

TEST_F(ImportRunTest, headerOnlyWithoutSkipBecomesARecord)
{
    load(sj("顧客コード,名前,電話,緯度\r\n"));
    assignment.PutSample(irName, 1);
    EXPECT_EQ(run().StoredCount, 1);
}

TEST_F(ImportRunTest, longLineRejectedWithFieldCountReason)
{
    load(sj("a,b,c,d\r\nA1,山田,1,2,5\r\n"));
    assignDefault();
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 0);
    EXPECT_EQ(log(), sj("1,１件目と項目数が不一致,A1,山田,1,2,5\r\n"));
}

TEST_F(ImportRunTest, shortLinePaddedAndLoggedWithItsCommas)
{
    load(sj("a,b,c,d\r\nA_1,山田\r\n"));
    assignDefault();
    options.SkipFirst = true;
    (void)run();
    EXPECT_EQ(log(), sj("1,顧客コードに使用不可な文字が含まれていた,A_1,山田,,\r\n"));
}

TEST_F(ImportRunTest, emptyLineBecomesRecordOfDefaults)
{
    load(sj("a,b,c,d\r\n\r\n"));
    assignDefault();
    options.SkipFirst = true;
    EXPECT_EQ(run().StoredCount, 1);
}

TEST_F(ImportRunTest, lineNotShiftJisLoggedRaw)
{
    const QByteArray bad = QString::fromUtf8("B1,テスト").toUtf8();
    load(sj("a,b,c,d\r\n") + bad + "\r\n" + sj("B2,山田,,\r\n"));
    assignDefault();
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 1);
    EXPECT_EQ(log(), "1," + sj("文字コード不正") + "," + bad + "\r\n");
}

TEST_F(ImportRunTest, binaryLinesRejectedAndGoodLinesKept)
{
    QByteArray bytes = sj("a,b,c,d\r\nA1,x,,\r\n");
    bytes += QByteArray("\x00\x01\x82\xFF,\x9F\r\n", 8);
    bytes += sj("A2,y,,\r\n");
    load(bytes);
    assignDefault();
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_EQ(report.ReadCount, 3);
    EXPECT_EQ(report.StoredCount, 2);
    EXPECT_EQ(report.Rejected, 1);
    EXPECT_TRUE(log().startsWith("2," + sj("文字コード不正") + ","));
}

TEST_F(ImportRunTest, quoteLeftOpenKeepsTheRestInOneField)
{
    load(sj("a,b,c,d\r\nA1,\"山田,03,\r\n"));
    assignDefault();
    options.SkipFirst = true;
    EXPECT_EQ(run().StoredCount, 1);
    book.table.First();
    EXPECT_TRUE(book.table.FieldByName(QStringLiteral("Tel")).AsBytes().isEmpty());
}

TEST_F(ImportRunTest, refusedAppendLoggedAndTheRestKept)
{
    ASSERT_NO_FATAL_FAILURE(loadWithB2Raising("ABORT"));
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 2);
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(log(), sj("2,アドレス帳登録失敗,B2,y,,\r\n"));
}

// The engine ends the whole transaction on the second line: that line is
// refused and counted nowhere, and nothing of the run is claimed.
TEST_F(ImportRunTest, anAddWhoseBatchTheEngineRollsBackIsRefusedAndNotCounted)
{
    ASSERT_NO_FATAL_FAILURE(loadWithB2Raising("ROLLBACK"));
    const TImportRunReport report = run();
    EXPECT_EQ(report.Rejected, 1);
    EXPECT_EQ(report.StoredCount, 0);
    EXPECT_FALSE(report.Committed);
    EXPECT_FALSE(report.Failure.isEmpty());
    EXPECT_EQ(count(), 0);
}

TEST_F(ImportRunTest, logNumbersCountDataLinesOnly)
{
    load(sj("a,b,c,d\r\nA1,x,,\r\nA1,y,,\r\nA1,z,,\r\n"));
    assignDefault();
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 1);
    EXPECT_EQ(log(), sj("2,同じ顧客コードのデータが登録済み,A1,y,,\r\n3,同じ顧客コードのデータが登録済み,A1,z,,\r\n"));
}

TEST_F(ImportRunTest, logNumbersWithoutSkipCountTheFirstLine)
{
    load(sj("A_,b,c,d\r\n"));
    assignDefault();
    (void)run();
    EXPECT_TRUE(log().startsWith("1,"));
}

TEST_F(ImportRunTest, runWithoutErrorsLeavesOldLog)
{
    QFile old(logPath());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    load(sj("a,b,c,d\r\nA1,x,,\r\n"));
    assignDefault();
    options.SkipFirst = true;
    (void)run();
    EXPECT_EQ(log(), QByteArray("old"));
}

TEST_F(ImportRunTest, runWithAnErrorReplacesOldLog)
{
    QFile old(logPath());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old line\r\n");
    old.close();
    load(sj("a,b,c,d\r\nA_,x,,\r\n"));
    assignDefault();
    options.SkipFirst = true;
    (void)run();
    EXPECT_FALSE(log().contains("old"));
}

// Another program reads the book at the commit and the user gives the run
// up: the book is as before, so the log of the last import must be too.
TEST_F(ImportRunTest, runGivenUpAtItsCommitLeavesOldLog)
{
    QFile old(logPath());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old line\r\n");
    old.close();
    load(sj("a,b,c,d\r\nA_,x,,\r\nA1,y,,\r\n"));
    assignDefault();
    options.SkipFirst = true;
    const int busyWait = TTable::BusyWaitMs;
    const int quietRetries = TRecordRun::QuietCommitRetries;
    TTable::BusyWaitMs = 20;
    TRecordRun::QuietCommitRetries = 0;
    ScriptedMessageBoxes boxes;
    boxes.enqueue(IDCANCEL);
    sqlite3 *reader = nullptr;
    TImportContext context;
    context.GroupNames = {QStringLiteral("指定なし")};
    TImportRun importRun(book.table, file, assignment, options, context, logPath());
    importRun.OnLine = [&](int read) {
        if (read == 2 && !reader) {
            reader = SqlCipher::open(book.table.TableName(), TablePassword, false, nullptr);
            ASSERT_NE(reader, nullptr);
            ASSERT_TRUE(SqlCipher::exec(reader, "BEGIN; SELECT count(*) FROM Data;"));
        }
    };
    const TImportRunReport report = importRun.Run(nullptr);
    if (reader) {
        (void)SqlCipher::exec(reader, "COMMIT;");
        SqlCipher::close(reader);
    }
    TTable::BusyWaitMs = busyWait;
    TRecordRun::QuietCommitRetries = quietRetries;
    EXPECT_FALSE(report.Committed);
    EXPECT_EQ(report.Rejected, 1);
    EXPECT_EQ(log(), QByteArray("old line\r\n"));
}

TEST_F(ImportRunTest, decimalLatitudeRejectsOnlyItsLine)
{
    load(sj("a,b,c,d\r\nA1,x,,35.6895\r\nA2,y,,356895\r\n"));
    assignDefault();
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 1);
    EXPECT_TRUE(log().startsWith(sj("1,その他のエラー,")));
}

TEST_F(ImportRunTest, recordLimitStopsTheRun)
{
    // 99,999 records take one more, and the next line stops the run.
    book.table.BeginBatch();
    for (int i = 0; i < TImportRun::RecordLimit - 1; ++i) {
        book.table.Append();
        book.table.Post();
    }
    book.table.EndBatch();
    load(sj("a,b,c,d\r\nA1,x,,\r\nA2,y,,\r\nA3,z,,\r\n"));
    assignDefault();
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_TRUE(report.LimitReached);
    EXPECT_EQ(report.StoredCount, 1);
    EXPECT_EQ(report.ReadCount, 2);
    EXPECT_EQ(count(), TImportRun::RecordLimit);
}

// Another program adds a record to the book after the run's handle counted
// it: the limit counts the records the file holds once the run has the
// book to itself, so the book never takes more than the limit (the last
// record taken, the next line refused).
struct ForeignLimitCase {
    const char *name;
    int lines;
    int stored;
    bool limitReached;
};
void PrintTo(const ForeignLimitCase &c, std::ostream *os) { *os << c.name; }
class ImportRunForeignLimit : public ImportRunTest, public ::testing::WithParamInterface<ForeignLimitCase>
{
};

TEST_P(ImportRunForeignLimit, countsTheRecordAnotherProgramAdded)
{
    const ForeignLimitCase &c = GetParam();
    book.table.BeginBatch();
    for (int i = 0; i < TImportRun::RecordLimit - 21; ++i) {
        book.table.Append();
        book.table.Post();
    }
    book.table.EndBatch();
    ASSERT_EQ(count(), TImportRun::RecordLimit - 21); // the run's handle has read the book
    QString error;
    sqlite3 *other = SqlCipher::open(book.table.TableName(), TablePassword, false, &error);
    ASSERT_NE(other, nullptr) << qPrintable(error);
    const bool added = SqlCipher::exec(other, "INSERT INTO Data(NameKanji) VALUES(X'8ab4');", &error);
    SqlCipher::close(other);
    ASSERT_TRUE(added) << qPrintable(error);
    QByteArray lines = "a,b,c,d\r\n";
    for (int i = 1; i <= c.lines; ++i)
        lines += "L" + QByteArray::number(i) + ",x,,\r\n";
    load(lines);
    assignDefault();
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_EQ(report.LimitReached, c.limitReached);
    EXPECT_EQ(report.StoredCount, c.stored);
    EXPECT_EQ(count(), TImportRun::RecordLimit);
}

INSTANTIATE_TEST_SUITE_P(ImportRun, ImportRunForeignLimit,
                         ::testing::Values(ForeignLimitCase{"lastRecordTaken", 20, 20, false},
                                           ForeignLimitCase{"nextLineRefused", 21, 20, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ImportRunTest, updateByCustomCodeTrimsTheValue)
{
    book.add({{"CustomCode", QByteArray("A001")}, {"Tel", QByteArray("0300000000")}});
    load(sj("code,tel\r\n A001 ,0311112222\r\n"));
    assignment.PutSample(irTel, 1);
    options = {true, true, 0, true};
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 1);
    book.table.SetIndexName(QString());
    book.table.First();
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("Tel")).AsBytes(), QByteArray("0311112222"));
}

TEST_F(ImportRunTest, updateWithoutMatchLogsNoMatch)
{
    book.add({{"CustomCode", QByteArray("A001")}});
    load(sj("code,tel\r\nB001,0311112222\r\nx,1\r\n"));
    assignment.PutSample(irTel, 1);
    options = {true, false, 0, true};
    (void)run();
    EXPECT_EQ(log(), sj("1,突き合わす項目と一致するデータが無い,B001,0311112222\r\n"
                        "2,突き合わす項目と一致するデータが無い,x,1\r\n"));
}

TEST_F(ImportRunTest, updateWithSameValuesChangesNothing)
{
    book.add({{"Tel", QByteArray("0311112222")}});
    load(sj("no,tel\r\n1,03-1111-2222\r\n"));
    assignment.PutSample(irTel, 1);
    options = {true, false, 0, true};
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 0);
    EXPECT_TRUE(log().startsWith(sj("1,内容が同じなので更新の必要が無い,")));
}

TEST_F(ImportRunTest, updateByRecNoRefusesCodeOfAnotherRecord)
{
    book.add({{"CustomCode", QByteArray("A001")}});
    book.add({{"CustomCode", QByteArray("A002")}});
    load(sj("no,code\r\n2,A001\r\n"));
    assignment.PutSample(irCustomCode, 1);
    options = {true, false, 0, true};
    (void)run();
    EXPECT_TRUE(log().startsWith(sj("1,同じ顧客コードのデータが登録済み,")));
}

TEST_F(ImportRunTest, updateByRecNoWithTheRecordsOwnCodeUpdatesIt)
{
    book.add({{"CustomCode", QByteArray("A001")}, {"Tel", QByteArray("0300000000")}});
    book.add({{"CustomCode", QByteArray("A002")}, {"Tel", QByteArray("0300000000")}});
    load(sj("no,code,tel\r\n2,A002,0311112222\r\n"));
    assignment.PutSample(irCustomCode, 1);
    assignment.PutSample(irTel, 2);
    options = {true, false, 0, true};
    EXPECT_EQ(run().StoredCount, 1);
    EXPECT_TRUE(log().isEmpty()) << log().toStdString();
    ASSERT_TRUE(FindRunRecord(book.table, 2));
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("Tel")).AsBytes(), QByteArray("0311112222"));
}

// The joint owner's own print flag is set, so the owner's name is printed.
struct OwnerCase {
    const char *label;
    const char *owner;
    int jointOwner;
    const char *printFlag;
};
void PrintTo(const OwnerCase &c, std::ostream *os) { *os << c.label; }
class ImportJointOwnerTest : public ImportRunTest, public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(ImportJointOwnerTest, printsTheOwnersName)
{
    load(sj("owner,j1,j5\r\n") + sj(GetParam().owner) + sj(",一郎,五郎\r\n"));
    assignment.PutSample(irJointOwner, 0);
    assignment.PutSample(irJoint1, 1);
    assignment.PutSample(irJoint1 + 4, 2);
    options.SkipFirst = true;
    ASSERT_EQ(run().StoredCount, 1);
    book.table.First();
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("JointOwner")).AsInteger(), GetParam().jointOwner);
    EXPECT_TRUE(book.table.FieldByName(QLatin1String(GetParam().printFlag)).AsBoolean());
}

INSTANTIATE_TEST_SUITE_P(Owners, ImportJointOwnerTest,
                         ::testing::Values(OwnerCase{"fifthByNumber", "5", 5, "JointPrint5"},
                                           OwnerCase{"fifthByName", "五郎", 5, "JointPrint5"},
                                           OwnerCase{"firstByNumber", "1", 1, "JointPrint1"}),
                         [](const auto &info) { return std::string(info.param.label); });

TEST_F(ImportRunTest, codeFreedEarlierInTheRunCanBeTaken)
{
    book.add({{"CustomCode", QByteArray("A001")}});
    book.add({{"CustomCode", QByteArray("A002")}});
    load(sj("no,code\r\n1,B001\r\n2,A001\r\n"));
    assignment.PutSample(irCustomCode, 1);
    options = {true, false, 0, true};
    EXPECT_EQ(run().StoredCount, 2);
}

TEST_F(ImportRunTest, codeTakenEarlierInTheRunIsRefused)
{
    book.add({{"CustomCode", QByteArray("A001")}});
    book.add({{"CustomCode", QByteArray("A002")}});
    load(sj("no,code\r\n1,C001\r\n2,C001\r\n"));
    assignment.PutSample(irCustomCode, 1);
    options = {true, false, 0, true};
    EXPECT_EQ(run().StoredCount, 1);
    EXPECT_TRUE(log().startsWith(sj("2,同じ顧客コードのデータが登録済み,")));
}

TEST_F(ImportRunTest, sharedCodeUpdatesTheFirstRecordInCodeOrder)
{
    book.add({{"CustomCode", QByteArray("A001")}, {"Tel", QByteArray("01")}});
    book.add({{"CustomCode", QByteArray("A001")}, {"Tel", QByteArray("02")}});
    load(sj("code,tel\r\nA001,0399\r\n"));
    assignment.PutSample(irTel, 1);
    options = {true, true, 0, true};
    EXPECT_EQ(run().StoredCount, 1);
    book.table.SetIndexName(QString());
    book.table.First();
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("Tel")).AsBytes(), QByteArray("0399"));
    book.table.Next();
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("Tel")).AsBytes(), QByteArray("02"));
}

TEST_F(ImportRunTest, updateRejectedLineLeavesRecordWhole)
{
    book.add({{"Tel", QByteArray("0300000000")}, {"Latitude", 5}});
    load(sj("no,tel,lat\r\n1,0311112222,35.5\r\n"));
    assignment.PutSample(irTel, 1);
    assignment.PutSample(irLatitude, 2);
    options = {true, false, 0, true};
    (void)run();
    book.table.First();
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("Tel")).AsBytes(), QByteArray("0300000000"));
}

// ---- Groups the book does not have ------------------------------------------

// The book's ten names: the defaults, the first Named of them named.
QStringList namesUpTo(int Named)
{
    static const char *const names[] = {"家族", "親戚", "友人", "仕事", "学校", "近所", "趣味", "旧友", "顧客", "取引先"};
    QStringList list{QStringLiteral("指定なし")};
    for (int i = 1; i <= GroupCount; ++i)
        list << (i <= Named ? QString::fromUtf8(names[i - 1]) : DefaultGroupName(i));
    return list;
}

TEST_F(ImportRunTest, newGroupsAreAddedOnceAndTheirRecordsAreInThem)
{
    loadGroupsAndNames(sj("友人,山田\r\n取引先,鈴木\r\n友人,佐藤\r\n"));
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 3);
    EXPECT_EQ(report.GroupLost, 0);
    EXPECT_EQ(report.AddedGroups, (QStringList{QStringLiteral("友人"), QStringLiteral("取引先")}));
    ASSERT_EQ(savedNames.size(), 1) << "the names are written once";
    EXPECT_EQ(savedNames[0].value(1), QStringLiteral("友人"));
    EXPECT_EQ(savedNames[0].value(2), QStringLiteral("取引先"));
    EXPECT_EQ(savedNames[0].value(3), DefaultGroupName(3));
    EXPECT_EQ(groupOf(1), 1);
    EXPECT_EQ(groupOf(2), 2);
    EXPECT_EQ(groupOf(3), 1);
    EXPECT_TRUE(log().isEmpty()) << log().toStdString();
}

TEST_F(ImportRunTest, groupsTheBookHasWriteNoNames)
{
    groupNames = namesUpTo(3);
    loadGroupsAndNames(sj("友人,山田\r\n家族,鈴木\r\n"));
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 2);
    EXPECT_TRUE(savedNames.isEmpty());
    EXPECT_TRUE(report.AddedGroups.isEmpty());
    EXPECT_EQ(groupOf(1), 3);
    EXPECT_EQ(groupOf(2), 1);
}

// A book's name with a blank at an end, as older group files hold it, is
// the group the file names without it: no second group looking the same,
// which the group-name editor would refuse at every save.
TEST_F(ImportRunTest, aBookNameWithAnEndBlankIsTheGroupTheFileNames)
{
    groupNames = namesUpTo(3);
    groupNames[3] = QStringLiteral("　友人");
    loadGroupsAndNames(sj("友人,山田\r\n"));
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 1);
    EXPECT_TRUE(report.AddedGroups.isEmpty());
    EXPECT_TRUE(savedNames.isEmpty());
    EXPECT_EQ(groupOf(1), 3);
}

// A place a record of the book is in is not free, even under its default name.
TEST_F(ImportRunTest, newGroupSkipsThePlacesRecordsAreIn)
{
    book.add({{"Group", 1}});
    book.add({{"Group", 2}});
    loadGroupsAndNames(sj("友人,山田\r\n"));
    ASSERT_EQ(run().StoredCount, 1);
    ASSERT_EQ(savedNames.size(), 1);
    EXPECT_EQ(savedNames[0].value(1), DefaultGroupName(1));
    EXPECT_EQ(savedNames[0].value(3), QStringLiteral("友人"));
    EXPECT_EQ(groupOf(3), 3);
}

// The row that cannot have its group: stored without it, named in the log
// with the group and the reason.
struct LostGroupCase {
    const char *name;
    int named;        // the book's own names (10: no free place)
    const char *line; // group,name
    const char *reason;
};

void PrintTo(const LostGroupCase &c, std::ostream *os)
{
    *os << c.name;
}

class ImportLostGroup : public ImportRunTest, public ::testing::WithParamInterface<LostGroupCase>
{
};

TEST_P(ImportLostGroup, rowIsStoredWithoutTheGroupAndLogged)
{
    const LostGroupCase &c = GetParam();
    groupNames = namesUpTo(c.named);
    loadGroupsAndNames(sj("家族,山田\r\n") + sj(c.line) + "\r\n");
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 2);
    EXPECT_EQ(report.Rejected, 0);
    EXPECT_EQ(report.GroupLost, 1);
    EXPECT_TRUE(savedNames.isEmpty());
    EXPECT_EQ(groupOf(2), 0);
    EXPECT_EQ(Cp932::decode(log()), QStringLiteral("2,%1,%2\r\n").arg(QString::fromUtf8(c.reason), QString::fromUtf8(c.line)));
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, ImportLostGroup,
    ::testing::Values(
        LostGroupCase{"noFreePlace", 10, "同僚,鈴木", "グループ「同僚」を追加する空きが無いため指定なしで登録"},
        LostGroupCase{"nameTooLong", 1, "あいうえおかきくけこa,鈴木",
                      "グループ名「あいうえおかきくけこa」が全角10文字（半角20文字）を超えるため指定なしで登録"},
        LostGroupCase{"commaInTheName", 1, "\"友人,知人\",鈴木",
                      "グループ名「友人,知人」に使用不可な文字が含まれていたため指定なしで登録"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ImportRunTest, updateThatCannotBringItsGroupInKeepsTheGroupAndLogsTheRow)
{
    groupNames = namesUpTo(10);
    book.add({{"Group", 3}, {"Tel", QByteArray("0300000000")}});
    load(sj("no,group,tel\r\n1,同僚,0311112222\r\n"));
    assignment.PutSample(irGroup, 1);
    assignment.PutSample(irTel, 2);
    options = {true, false, 0, true};
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 1);
    EXPECT_EQ(report.GroupLost, 1);
    EXPECT_EQ(groupOf(1), 3);
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("Tel")).AsBytes(), QByteArray("0311112222"));
    EXPECT_EQ(log(), sj("1,グループ「同僚」を追加する空きが無いためグループは変更せず,1,同僚,0311112222\r\n"));
}

TEST_F(ImportRunTest, updateToANewGroupMovesTheRecordIntoIt)
{
    book.add({{"Group", 1}});
    load(sj("no,group\r\n1,友人\r\n"));
    assignment.PutSample(irGroup, 1);
    options = {true, false, 0, true};
    EXPECT_EQ(run().StoredCount, 1);
    EXPECT_EQ(groupOf(1), 2) << "the place the record was in is not free";
    ASSERT_EQ(savedNames.size(), 1);
    EXPECT_EQ(savedNames[0].value(2), QStringLiteral("友人"));
}

TEST_F(ImportRunTest, lineNotStoredGivesItsGroupPlaceBack)
{
    load(sj("顧客コード,グループ名,名前\r\nA_1,友人,山田\r\nA2,取引先,鈴木\r\n"));
    assignment.PutSample(irCustomCode, 0);
    assignment.PutSample(irGroup, 1);
    assignment.PutSample(irName, 2);
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_EQ(report.StoredCount, 1);
    EXPECT_EQ(report.Rejected, 1);
    EXPECT_EQ(report.AddedGroups, QStringList{QStringLiteral("取引先")});
    ASSERT_EQ(savedNames.size(), 1);
    EXPECT_EQ(savedNames[0].value(1), QStringLiteral("取引先"));
    EXPECT_EQ(groupOf(1), 1);
}

// The names are written before the records: when they cannot be, nothing
// of the run is kept, so no record is in a group whose name the book lost.
TEST_F(ImportRunTest, groupNamesThatCannotBeWrittenImportNothing)
{
    QFile old(logPath());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old line\r\n");
    old.close();
    groupSaveFails = true;
    loadGroupsAndNames(sj("友人,山田\r\n,鈴木\r\n"));
    const TImportRunReport report = run();
    EXPECT_FALSE(report.Committed);
    EXPECT_EQ(report.StoredCount, 0);
    EXPECT_TRUE(report.Failure.contains(QStringLiteral("グループ名"))) << report.Failure.toStdString();
    EXPECT_TRUE(report.Failure.contains(QStringLiteral("ディスクの空き容量が足りません。"))) << report.Failure.toStdString();
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(log(), QByteArray("old line\r\n"));
}

// The run's records are lost at the commit: the names it added go too.
TEST_F(ImportRunTest, groupNamesAddedAreTakenBackWhenTheRunIsNotWritten)
{
    ASSERT_NO_FATAL_FAILURE(raiseOnB2("ROLLBACK"));
    load(sj("code,group,name\r\nB1,友人,x\r\nB2,取引先,y\r\n"));
    assignment.PutSample(irCustomCode, 0);
    assignment.PutSample(irGroup, 1);
    assignment.PutSample(irName, 2);
    options.SkipFirst = true;
    const TImportRunReport report = run();
    EXPECT_FALSE(report.Committed);
    EXPECT_EQ(count(), 0);
    ASSERT_EQ(savedNames.size(), 2);
    EXPECT_EQ(savedNames[0].value(1), QStringLiteral("友人"));
    EXPECT_EQ(savedNames[0].value(2), DefaultGroupName(2)) << "the refused line's group is not added";
    EXPECT_EQ(savedNames[1], namesUpTo(0)) << "the names as they were";
}

TEST(ImportBackup, copiesTheTableFile)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("book"));
    QFile table(dir.filePath(QStringLiteral("book/Adrs.DB")));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("table bytes");
    table.close();
    QString error;
    ASSERT_TRUE(BackupBookForImport(dir.filePath(QStringLiteral("book")), dir.filePath(QStringLiteral("backup.imp/Adrs/帳")),
                                    &error));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("backup.imp/Adrs/帳/Adrs.DB"))), QByteArray("table bytes"));
}

TEST(ImportBackup, failsWhenTheFolderCannotBeMade)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("book"));
    QFile table(dir.filePath(QStringLiteral("book/Adrs.DB")));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.close();
    QFile blocker(dir.filePath(QStringLiteral("backup.imp")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    EXPECT_FALSE(BackupBookForImport(dir.filePath(QStringLiteral("book")), dir.filePath(QStringLiteral("backup.imp/Adrs/帳")),
                                     &error));
    EXPECT_FALSE(error.isEmpty());
}

namespace {
void writeBackupFile(const QString &Path, const QByteArray &Bytes)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Bytes);
}
} // namespace

TEST(ImportBackup, failedCopyLeavesThePreviousBackupWhole)
{
    QTemporaryDir dir;
    const QString backup = dir.filePath(QStringLiteral("backup.imp/Adrs/帳"));
    QDir(dir.path()).mkpath(QStringLiteral("backup.imp/Adrs/帳"));
    writeBackupFile(backup + QStringLiteral("/Adrs.DB"), "old table");
    writeBackupFile(backup + QStringLiteral("/Adrs.PX"), "old index");
    QDir(dir.path()).mkpath(QStringLiteral("book"));
    writeBackupFile(dir.filePath(QStringLiteral("book/Adrs.DB")), "new table");
    // A folder where a family file should be cannot be read, so the copy fails after the table.
    QDir(dir.path()).mkpath(QStringLiteral("book/Adrs.PX"));
    QString error;
    EXPECT_FALSE(BackupBookForImport(dir.filePath(QStringLiteral("book")), backup, &error));
    EXPECT_EQ(readAll(backup + QStringLiteral("/Adrs.DB")), QByteArray("old table"));
    EXPECT_EQ(readAll(backup + QStringLiteral("/Adrs.PX")), QByteArray("old index"));
}

TEST(ImportBackup, newCopyKeepsNoFileOfTheOlderOne)
{
    QTemporaryDir dir;
    const QString backup = dir.filePath(QStringLiteral("backup.imp/Adrs/帳"));
    QDir(dir.path()).mkpath(QStringLiteral("backup.imp/Adrs/帳"));
    writeBackupFile(backup + QStringLiteral("/Adrs.DB"), "old table");
    writeBackupFile(backup + QStringLiteral("/Adrs.X02"), "old secondary index");
    QDir(dir.path()).mkpath(QStringLiteral("book"));
    writeBackupFile(dir.filePath(QStringLiteral("book/Adrs.DB")), "new table");
    QString error;
    ASSERT_TRUE(BackupBookForImport(dir.filePath(QStringLiteral("book")), backup, &error)) << error.toStdString();
    EXPECT_EQ(readAll(backup + QStringLiteral("/Adrs.DB")), QByteArray("new table"));
    EXPECT_FALSE(QFileInfo::exists(backup + QStringLiteral("/Adrs.X02")));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("backup.imp/Adrs"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("帳")})
        << "no temporary of the copy is left";
}

TEST(ImportBackup, failsWithoutTheTableFile)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(BackupBookForImport(dir.path(), dir.filePath(QStringLiteral("copy")), &error));
}

TEST(ImportErrorLogPath, sameFileThroughDotDot)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    QFile log(dir.filePath(QStringLiteral("InError.txt")));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.close();
    EXPECT_TRUE(IsSameFile(dir.filePath(QStringLiteral("sub/../InError.txt")), log.fileName()));
}

TEST(ImportErrorLogPath, letterCaseMatters)
{
    QTemporaryDir dir;
    QFile log(dir.filePath(QStringLiteral("InError.txt")));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.close();
    QFile other(dir.filePath(QStringLiteral("inerror.txt")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    EXPECT_FALSE(IsSameFile(other.fileName(), log.fileName()));
}

} // namespace
