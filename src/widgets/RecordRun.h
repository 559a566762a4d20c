#pragma once

#include "platform/Table.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QProgressDialog;
class QWidget;

// Drives a command's loop of writes over many records (delete, batch change,
// copy; import, restore and the conversions later): one table batch around
// the whole run with a savepoint per record, so a refused record costs only
// itself; a progress dialog once the run has gone on for a moment, whose
// cancel stops after the current record and keeps what was written; and the
// event loop served between records at a bounded rate, so the windows stay
// painted while the run goes on without paying for it on every record.
//
//     TRecordRun run(this, table, label, total);
//     if (!run.Begin(&error)) ... every record refused, for the reason given
//     for (...) {
//         const bool written = run.Record([&] { ...; return true; });
//         if (!run.Next()) break;      // cancelled, or the batch was lost
//     }
//     if (!run.Commit(&error)) ...     // nothing of the run was written
class TRecordRun
{
public:
    TRecordRun(QWidget *Owner, TTable &Table, const QString &Label, int Total);
    ~TRecordRun();
    TRecordRun(const TRecordRun &) = delete;
    TRecordRun &operator=(const TRecordRun &) = delete;

    // Takes the table's write lock (one wait for another writer). False,
    // with the table's reason, when it cannot be had.
    [[nodiscard]] bool Begin(QString *Error);

    // One record's writes, undone alone when refused: Write returns true to
    // keep them, false when the record was refused. Writes says whether the
    // record is written with one statement or several (TTableBatch). An
    // exception leaving Write undoes the record and goes on up. True when
    // the record's writes are in the batch.
    template <typename F>
    bool Record(F &&Write, TTableBatch::TRecordWrites Writes = TTableBatch::TRecordWrites::Several)
    {
        m_batch->BeginRecord(Writes);
        bool keep = false;
        try {
            keep = Write();
        } catch (...) {
            (void)m_batch->EndRecord(false);
            throw;
        }
        return m_batch->EndRecord(keep) && keep;
    }

    // After each record: the progress moves on. False once the run must
    // stop: the user cancelled, or the batch was lost.
    [[nodiscard]] bool Next();
    [[nodiscard]] bool Cancelled() const { return m_cancelled; }
    [[nodiscard]] bool ProgressShown() const { return m_shownOnce; }

    // Writes the run to the file. False, with the reason, when nothing of it
    // was written (a failed commit, or a batch lost on the way). A file that
    // another program holds past the table's busy wait is tried again
    // QuietCommitRetries times, then the user chooses (a positioned message
    // box, 再試行 or キャンセル) between trying again and giving the run up.
    [[nodiscard]] bool Commit(QString *Error);

    // How long a run goes before its progress appears, and how often the
    // event loop is served, in milliseconds.
    static int ShowAfterMs;
    static int ServeEveryMs;
    // Further tries of a commit that met a busy file before the user is asked.
    static int QuietCommitRetries;

private:
    void Serve();

    QPointer<QWidget> m_owner;
    TTable &m_table;
    QString m_label;
    int m_total = 0;
    int m_done = 0;
    std::optional<TTableBatch> m_batch;
    std::unique_ptr<QProgressDialog> m_progress;
    QElapsedTimer m_started;
    qint64 m_lastServed = 0;
    bool m_cancelled = false;
    bool m_shownOnce = false;
    bool m_arrowCursor = false;
};
