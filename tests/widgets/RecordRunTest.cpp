#include "widgets/RecordRun.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

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
    void TearDown() override { TRecordRun::ShowAfterMs = m_showAfter; }

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

} // namespace
