// Backup and restore of a data folder holding a 100,000-record book, each
// against `cp -a` of the same folder in the same run.
#include "BenchSupport.h"
#include "BookFile.h"
#include "core/BkupDat.h"
#include "core/RestDat.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace {

void copyWithCp(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), from, to}) != 0)
        qFatal("cp -a failed");
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

    const QString backup = dir.path() + QStringLiteral("/backup/");
    const QString plain = dir.path() + QStringLiteral("/plain");
    const double ours = bestOfMs(5, [&] {
        QDir(backup).removeRecursively();
        const TBackupOutcome out = RunBackup(data, backup, books);
        if (!out.AllDone())
            qFatal("backup failed");
    });
    const double cp = bestOfMs(5, [&] { copyWithCp(data, plain); });
    std::printf("backup %.1f ms, cp -a %.1f ms\n", ours, cp);
    report("backup_ratio", ours / cp, "ratio", 2);

    // Restoring the backup over the data folder's book.
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
    });
    const double cpBack = bestOfMs(5, [&] { copyWithCp(backup, plain); });
    std::printf("restore %.1f ms, cp -a %.1f ms\n", restore, cpBack);
    report("restore_ratio", restore / cpBack, "ratio", 2);
    return 0;
}
