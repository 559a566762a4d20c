// Backup and restore of a data folder holding a 100,000-record book, each
// against a bare reference that does the same safety work with bare tools in
// the same run: `cp -a` of the folder, then one check of every table copied
// (opened with its key as the program opens it, then PRAGMA quick_check). The
// ratio is then what the program's own way of copying costs beyond the check
// that keeps a damaged table from replacing a good one.
#include "BenchSupport.h"
#include "BookFile.h"
#include "core/BkupDat.h"
#include "core/DBInfo.h"
#include "core/RestDat.h"
#include "platform/SqlCipher.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

namespace {

// One PRAGMA over the table, every row of its answer read; "ok" when whole.
QString checkTable(const QString &path, const char *pragma)
{
    QString error;
    sqlite3 *db = SqlCipher::open(path, TablePassword, false, &error);
    if (!db)
        return error;
    QString answer;
    {
        SqlCipher::Statement st(db, pragma);
        while (st.valid() && sqlite3_step(st) == SQLITE_ROW)
            answer += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    SqlCipher::close(db);
    return answer;
}

// The bare reference: the folder copied with cp -a, then each table of the
// copy checked once.
void copyAndCheck(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), from, to}) != 0)
        qFatal("cp -a failed");
    QDirIterator tables(to, {QStringLiteral("*.DB")}, QDir::Files, QDirIterator::Subdirectories);
    while (tables.hasNext()) {
        const QString table = tables.next();
        if (checkTable(table, "PRAGMA quick_check;") != QStringLiteral("ok"))
            qFatal("the copy of %s is not whole", qPrintable(table));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/data/");
    QDir().mkpath(data + QStringLiteral("Adrs/家族"));
    WriteGeneratedBook(data + QStringLiteral("Adrs/家族/Adrs.DB"), 100000);
    const QList<TBackupBook> books = {{QStringLiteral("家族"), QStringLiteral("家族")}};

    // What the two checks cost on this book (the full one is not used).
    const QString table = data + QStringLiteral("Adrs/家族/Adrs.DB");
    const double quick = bestOfMs(3, [&] { (void)checkTable(table, "PRAGMA quick_check;"); });
    const double full = bestOfMs(3, [&] { (void)checkTable(table, "PRAGMA integrity_check;"); });
    std::printf("quick_check %.1f ms, integrity_check %.1f ms\n", quick, full);

    const QString backup = dir.path() + QStringLiteral("/backup/");
    const QString plain = dir.path() + QStringLiteral("/plain");
    const double ours = bestOfMs(5, [&] {
        QDir(backup).removeRecursively();
        const TBackupOutcome out = RunBackup(data, backup, books);
        if (!out.AllDone())
            qFatal("backup failed");
    });
    const double reference = bestOfMs(5, [&] { copyAndCheck(data, plain); });
    std::printf("backup %.1f ms, cp -a and a check of each table %.1f ms\n", ours, reference);
    report("backup_ratio", ours / reference, "ratio", 2);

    // Restoring the backup over the data folder's book, the folder it
    // replaced removed as the wizard does once it has shown the outcome.
    const QStringList sourceBooks = CheckRestoreSource(backup).Books;
    const double restore = bestOfMs(5, [&] {
        TRestoreRun run;
        run.SrcFolder = backup;
        run.DestFolder = data;
        run.SourceBooks = sourceBooks;
        if (!run.Run())
            qFatal("restore refused");
        for (const TCopyRow &row : run.AllRows()) {
            if (row.Code != CopyResult::Done)
                qFatal("restore failed");
        }
        if (!run.RemoveReplacedFolders().isEmpty())
            qFatal("replaced folder left");
    });
    const double referenceBack = bestOfMs(5, [&] { copyAndCheck(backup, plain); });
    std::printf("restore %.1f ms, cp -a and a check of each table %.1f ms\n", restore, referenceBack);
    report("restore_ratio", restore / referenceBack, "ratio", 2);
    return 0;
}
