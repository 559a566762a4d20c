#include "core/DBInfo.h"
#include "exchange/ImportFile.h"
#include "exchange/ImportRun.h"
#include "exchange/ImportSlots.h"
#include "platform/Cp932.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"
#include "support/ChildProcess.h"

#include <sqlcipher/sqlite3.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>

#include <sys/types.h>

// The import killed at random points: each trial starts a child process
// (this test program, running only the child test below) that imports a
// file into a book; the parent kills it at a random line, after a random
// time, or after the run said it was written. The book must then open, pass
// SQLite's integrity check and hold every record the run reported as
// written.

namespace {

constexpr int kLines = 1500;
constexpr int kBase = 20; // records the book holds before each import

const char *const kChildVariable = "MURVEN_IMPORT_KILL_BOOK";
// The child holds still at this line (0: never), so the parent's kill
// lands inside the run however slow the parent is.
const char *const kPauseVariable = "MURVEN_IMPORT_KILL_PAUSE";

QByteArray importFileBytes()
{
    QByteArray bytes = Cp932::encode(u"名前,電話,住所\r\n");
    for (int i = 0; i < kLines; ++i)
        bytes += Cp932::encode(QStringLiteral("山田%1,03-%2,東京都新宿区西新宿%1\r\n").arg(i).arg(1000 + i));
    return bytes;
}

void makeTable(TTable &table, const QString &path)
{
    table.SetTableName(path);
    table.SetPassword(TablePassword);
    table.SetFieldDefs(AdrsFieldDefs);
    table.SetIndexDefs(AdrsIndexDefs);
}

QString integrity(const QString &path)
{
    QString error;
    sqlite3 *db = SqlCipher::open(path, TablePassword, false, &error);
    if (!db)
        return error;
    sqlite3_stmt *statement = nullptr;
    QString result = QStringLiteral("no answer");
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check;", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    SqlCipher::close(db);
    return result;
}

// Runs in the child only: imports into the book named by the variable.
TEST(ImportKillChild, importsAndReports)
{
    const QByteArray book = qgetenv(kChildVariable);
    if (book.isEmpty())
        GTEST_SKIP() << "runs as the child of the kill trials";
    TTable table;
    makeTable(table, QString::fromLocal8Bit(book));
    table.Open();
    TImportFile file;
    file.SetBytes(importFileBytes());
    TImportAssignment assignment;
    const QByteArray first = file.Lines().first().Bytes;
    assignment.SetSamples(SplitCsvLine(first, CountCsvFields(first) + 1, false));
    assignment.PutSample(irName, 0);
    assignment.PutSample(irTel, 1);
    assignment.PutSample(irAdrs1, 2);
    TImportRunOptions options;
    options.SkipFirst = true;
    TImportContext context;
    context.Now = QDateTime::currentDateTime();
    TImportRun run(table, file, assignment, options, context,
                   QString::fromLocal8Bit(book) + QStringLiteral(".InError.txt"));
    const int pauseAt = qEnvironmentVariableIntValue(kPauseVariable);
    run.OnLine = [pauseAt](int read) {
        if (read == pauseAt) {
            std::printf("PAUSED %d\n", read);
            std::fflush(stdout);
            QThread::sleep(60);
        }
    };
    const TImportRunReport report = run.Run(nullptr);
    std::printf("STORED %d %d\n", report.Committed ? 1 : 0, report.StoredCount);
    std::fflush(stdout);
    table.Close();
}

TEST(ImportKillTrials, bookSurvivesAKillAtAnyPoint)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Adrs.DB"));
    {
        TTable table;
        makeTable(table, path);
        ASSERT_TRUE(table.CreateTable());
        table.Open();
        table.BeginBatch();
        for (int i = 0; i < kBase; ++i) {
            table.Append();
            table.Post();
        }
        table.EndBatch();
        table.Close();
    }
    int expected = kBase;
    int killedBeforeReport = 0;
    int reportedTrials = 0;
    QRandomGenerator random(20141207);
    for (int trial = 0; trial < 20; ++trial) {
        // Even trials: the child holds still at a random line (or past the
        // last one: it runs to its end) and is killed there. Odd trials: it
        // is killed after a random time, wherever it is then, the commit
        // included.
        const bool atLine = trial % 2 == 0;
        const int pauseAt = atLine ? 1 + random.bounded(kLines + kLines / 4) : 0;
        QProcess child;
        StartTestChild(child, QStringLiteral("ImportKillChild.*"),
                       {{kChildVariable, path}, {kPauseVariable, QString::number(pauseAt)}});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray output;
        bool reported = false;
        int storedReported = 0;
        QElapsedTimer started;
        started.start();
        const int killAfterMs = atLine ? 60000 : random.bounded(400);
        for (;;) {
            const int left = int(killAfterMs - started.elapsed());
            if (left <= 0 || !child.waitForReadyRead(std::min(left, 20000)))
                break;
            output += child.readAllStandardOutput();
            const qsizetype stored = output.indexOf("STORED ");
            if (stored >= 0 && output.indexOf('\n', stored) > 0) {
                const QList<QByteArray> words = output.mid(stored).split('\n').first().split(' ');
                reported = words.value(1) == "1";
                storedReported = words.value(2).toInt();
                break;
            }
            if (output.contains("PAUSED "))
                break;
        }
        (void)KillRunningChild(child);
        child.waitForFinished(10000);
        if (reported) {
            expected += storedReported;
            ++reportedTrials;
        }
        else
            ++killedBeforeReport;

        ASSERT_EQ(integrity(path), QStringLiteral("ok")) << "trial " << trial;
        TTable table;
        makeTable(table, path);
        ASSERT_NO_THROW(table.Open()) << "trial " << trial;
        // What was reported is there; a run killed before it reported
        // left nothing of itself (one transaction), unless the kill fell
        // between its commit and its report.
        const int count = table.RecordCount();
        if (!reported && count == expected + kLines)
            expected = count;
        EXPECT_EQ(count, expected) << "trial " << trial;
        table.Close();
    }
    // Both kinds of trial happened: killed inside the run, and after it.
    EXPECT_GT(killedBeforeReport, 0);
    EXPECT_GT(reportedTrials, 0);
}

} // namespace
