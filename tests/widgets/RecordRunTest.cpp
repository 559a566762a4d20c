#include "widgets/RecordRun.h"

#include "platform/SqlCipher.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <functional>

namespace {

// A table of numbered records, and a run over it that appends one record per
// step, each step taking StepMs.
class RecordRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table.SetTableName(dir.filePath(QStringLiteral("Run.DB")));
        table.SetPassword("kestru42");
        table.SetFieldDefs({{QStringLiteral("RecNo"), TFieldType::ftAutoInc, 0},
                            {QStringLiteral("Step"), TFieldType::ftInteger, 0}});
        table.SetIndexDefs({{QString(), QStringLiteral("RecNo"), ixPrimary | ixUnique}});
        ASSERT_TRUE(table.CreateTable());
        table.Open();
    }
    void TearDown() override
    {
        TRecordRun::ShowAfterMs = m_showAfter;
        TTable::BusyWaitMs = m_busyWait;
        if (reader) {
            (void)SqlCipher::exec(reader, "ROLLBACK;");
            SqlCipher::close(reader);
        }
    }

    // Another program's connection that reads the file and holds it, so no
    // commit can take it; letGo() ends the read.
    void holdWithAReader()
    {
        QString error;
        reader = SqlCipher::open(table.TableName(), "kestru42", false, &error);
        ASSERT_NE(reader, nullptr) << error.toStdString();
        ASSERT_TRUE(SqlCipher::exec(reader, "BEGIN; SELECT count(*) FROM Data;"));
    }
    void letGo() { ASSERT_TRUE(SqlCipher::exec(reader, "COMMIT;")); }

    // Records in the file, read by a table of its own.
    int storedCount()
    {
        TTable other;
        other.SetTableName(table.TableName());
        other.SetPassword("kestru42");
        other.Open();
        return other.RecordCount();
    }

    // A run of Steps appends, up to its commit.
    void appendRecords(TRecordRun &run, int steps)
    {
        ASSERT_TRUE(run.Begin(nullptr));
        for (int i = 0; i < steps; ++i) {
            EXPECT_TRUE(run.Record([&] {
                table.Append();
                table.FieldByName(QStringLiteral("Step")).SetAsInteger(i);
                table.Post();
                return true;
            }));
            ASSERT_TRUE(run.Next());
        }
    }

    sqlite3 *reader = nullptr;

    // Runs Steps appends; returns how many the file holds afterwards.
    int runAppends(TRecordRun &run, int steps, int stepMs)
    {
        EXPECT_TRUE(run.Begin(nullptr));
        for (int i = 0; i < steps; ++i) {
            (void)run.Record([&] {
                table.Append();
                table.FieldByName(QStringLiteral("Step")).SetAsInteger(i);
                table.Post();
                return true;
            });
            QThread::msleep(stepMs);
            if (!run.Next())
                break;
        }
        QString error;
        EXPECT_TRUE(run.Commit(&error)) << error.toStdString();
        TTable other;
        other.SetTableName(table.TableName());
        other.SetPassword("kestru42");
        other.Open();
        return other.RecordCount();
    }

    QTemporaryDir dir;
    TTable table;
    QWidget owner;

private:
    const int m_showAfter = TRecordRun::ShowAfterMs;
    const int m_busyWait = TTable::BusyWaitMs;
};

// Answers the message boxes through a callback.
class AnsweringBoxes : public ScriptedMessageBoxes
{
public:
    explicit AnsweringBoxes(std::function<int()> answer) : m_answer(std::move(answer)) {}
    int answer(const TMessageBoxRequest &request) override
    {
        (void)ScriptedMessageBoxes::answer(request);
        return m_answer();
    }

private:
    std::function<int()> m_answer;
};

TEST_F(RecordRunTest, progressAppearsOnlyForARunThatTakesAWhile)
{
    TRecordRun quick(&owner, table, QStringLiteral("短い"), 5);
    EXPECT_EQ(runAppends(quick, 5, 0), 5);
    EXPECT_FALSE(quick.ProgressShown());

    TRecordRun slow(&owner, table, QStringLiteral("長い"), 12);
    EXPECT_EQ(runAppends(slow, 12, TRecordRun::ShowAfterMs / 8), 17);
    EXPECT_TRUE(slow.ProgressShown());
    EXPECT_FALSE(slow.Cancelled());
}

// The cancel button stops the run after the record in hand; every record
// written so far is in the file.
TEST_F(RecordRunTest, cancelStopsAfterTheCurrentRecordAndKeepsWhatWasWritten)
{
    TRecordRun::ShowAfterMs = 0;
    std::function<void()> pressCancel = [&] {
        auto *progress = owner.findChild<QProgressDialog *>(QStringLiteral("RecordRunProgress"));
        QPushButton *cancel = progress ? progress->findChild<QPushButton *>() : nullptr;
        if (!cancel || !progress->isVisible()) {
            QTimer::singleShot(0, pressCancel);
            return;
        }
        QTest::mouseClick(cancel, Qt::LeftButton);
    };
    QTimer::singleShot(0, pressCancel);
    TRecordRun run(&owner, table, QStringLiteral("取り消し"), 1000);
    const int written = runAppends(run, 1000, 1);
    EXPECT_TRUE(run.Cancelled());
    EXPECT_GE(written, 1);
    EXPECT_LT(written, 1000);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the pointer is the caller's again";
}

// A run over a whole table takes its record numbers before it starts.
TEST_F(RecordRunTest, takeTableRecordsListsEveryRecordInNumberOrder)
{
    for (int i = 0; i < 4; ++i) {
        table.Append();
        table.FieldByName(QStringLiteral("Step")).SetAsInteger(i);
        table.Post();
    }
    ASSERT_TRUE(FindRunRecord(table, 2));
    table.Delete();
    const TRunRecords records = TakeTableRecords(table);
    QList<qint32> recNos;
    for (const TRunRecord &record : records) {
        recNos << record.RecNo;
        EXPECT_EQ(record.Row, -1);
    }
    EXPECT_EQ(recNos, (QList<qint32>{1, 3, 4}));
    EXPECT_FALSE(FindRunRecord(table, 2));
}

// Between Begin and Commit typing reaches no window that was there before,
// but a window the run opens (a question) takes it; afterwards all is as before.
TEST_F(RecordRunTest, inputReachesOnlyWindowsOpenedDuringTheRun)
{
    QLineEdit before;
    before.show();
    TRecordRun run(&owner, table, QStringLiteral("入力"), 1);
    ASSERT_TRUE(run.Begin(nullptr));
    EXPECT_TRUE(TRecordRun::Running());
    QLineEdit during;
    during.show();
    QTest::keyClicks(&before, QStringLiteral("ab"));
    QTest::keyClicks(&during, QStringLiteral("cd"));
    QTest::mouseDClick(&before, Qt::LeftButton);
    EXPECT_EQ(before.text(), QString());
    EXPECT_EQ(during.text(), QStringLiteral("cd"));
    EXPECT_TRUE(run.Commit(nullptr));

    EXPECT_FALSE(TRecordRun::Running());
    QTest::keyClicks(&before, QStringLiteral("ef"));
    EXPECT_EQ(before.text(), QStringLiteral("ef"));
}

// A menu command's key on a window that was there before the run is held
// back like any other input, so no second command starts inside the run.
TEST_F(RecordRunTest, shortcutOfAWindowOpenBeforeTheRunDoesNotFireDuringIt)
{
    QWidget before;
    QAction command(&before);
    command.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    before.addAction(&command);
    int fired = 0;
    QObject::connect(&command, &QAction::triggered, [&] { ++fired; });
    before.show();
    before.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&before));
    QTest::keyClick(&before, Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(fired, 1) << "the key reaches the command outside a run";

    TRecordRun run(&owner, table, QStringLiteral("入力"), 1);
    ASSERT_TRUE(run.Begin(nullptr));
    QTest::keyClick(&before, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(run.Commit(nullptr));

    QTest::keyClick(&before, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(fired, 2);
}

// Another program reads the book past the busy wait at the commit: the
// commit is tried again by itself, then the user is asked; every 再試行
// tries once more, and キャンセル gives the whole run up.
TEST_F(RecordRunTest, busyCommitAsksTheUserAndGivingUpWritesNothing)
{
    TTable::BusyWaitMs = 100;
    QElapsedTimer clock;
    qint64 firstAsked = -1;
    QList<int> answers{IDRETRY, IDCANCEL};
    AnsweringBoxes boxes([&] {
        if (firstAsked < 0)
            firstAsked = clock.elapsed();
        return answers.takeFirst();
    });
    TRecordRun run(&owner, table, QStringLiteral("書き込み"), 20);
    appendRecords(run, 20);
    holdWithAReader();
    QString error;
    clock.start();
    EXPECT_FALSE(run.Commit(&error));

    EXPECT_GE(firstAsked, (1 + TRecordRun::QuietCommitRetries) * TTable::BusyWaitMs)
        << "each quiet try waits for the reader before the user is asked";
    ASSERT_EQ(boxes.count(), 2);
    for (const TMessageBoxRequest &box : boxes.shown()) {
        EXPECT_EQ(box.flags, unsigned(MB_RETRYCANCEL | MB_ICONWARNING));
        EXPECT_EQ(box.owner, &owner);
        EXPECT_TRUE(box.text.contains(QStringLiteral("Run.DB を使用中"))) << qPrintable(box.text);
    }
    EXPECT_TRUE(error.contains(QStringLiteral("1件も書き込まれていません"))) << qPrintable(error);
    letGo();
    EXPECT_EQ(storedCount(), 0);
    EXPECT_EQ(table.RecordCount(), 0) << "the run's own walk holds none of it either";
}

TEST_F(RecordRunTest, busyCommitRetriedByTheUserAfterTheReaderLetGoWritesTheWholeRun)
{
    TTable::BusyWaitMs = 30;
    AnsweringBoxes boxes([this] {
        letGo();
        return int(IDRETRY);
    });
    TRecordRun run(&owner, table, QStringLiteral("書き込み"), 20);
    appendRecords(run, 20);
    holdWithAReader();
    QString error;
    EXPECT_TRUE(run.Commit(&error)) << qPrintable(error);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(storedCount(), 20);
}

// The engine rolls the whole transaction back in the middle of a run (a
// full disk or an I/O error does; here the file's own rule does): the run
// notices at that record, stops, and reports that nothing was written.
TEST_F(RecordRunTest, runWhoseTransactionTheEngineRollsBackStopsAndWritesNothing)
{
    {
        TRecordRun fill(&owner, table, QStringLiteral("準備"), 6);
        appendRecords(fill, 6);
        ASSERT_TRUE(fill.Commit(nullptr));
    }
    QString error;
    sqlite3 *db = SqlCipher::open(table.TableName(), "kestru42", false, &error);
    ASSERT_TRUE(SqlCipher::exec(db, "CREATE TRIGGER lose BEFORE DELETE ON Data WHEN old.RecNo = 4 "
                                    "BEGIN SELECT RAISE(ROLLBACK, 'disk I/O error'); END;",
                                &error))
        << error.toStdString();
    SqlCipher::close(db);

    TRecordRun run(&owner, table, QStringLiteral("削除"), 6);
    ASSERT_TRUE(run.Begin(&error));
    QList<int> tried;
    for (int recNo = 1; recNo <= 6; ++recNo) {
        tried << recNo;
        (void)run.Record([&] {
            if (!table.FindKey({QVariant(recNo)}))
                return false;
            try {
                table.Delete();
                return true;
            } catch (const ETableError &) {
                return false;
            }
        }, TTableBatch::TRecordWrites::One);
        if (!run.Next())
            break;
    }
    EXPECT_EQ(tried, (QList<int>{1, 2, 3, 4})) << "stops at the record where the transaction was lost";
    EXPECT_FALSE(run.Cancelled());
    EXPECT_FALSE(run.Commit(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("1件も保存されていません"))) << qPrintable(error);
    EXPECT_EQ(storedCount(), 6);
    EXPECT_EQ(table.RecordCount(), 6);
}

} // namespace
