#pragma once

#include "platform/Table.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QProgressDialog;
class QWidget;

// One record a run works on, taken before the run starts. The run finds it
// by its number alone, so nothing that happens while it runs (a reload, a
// re-sort, another window) can put another record under it. Row is where the
// user saw it in a list when the run was asked for (-1: not from a list);
// it serves only to name the record afterwards.
struct TRunRecord {
    qint32 RecNo = 0;
    int Row = -1;
};
using TRunRecords = QList<TRunRecord>;

// Every record of Table in record-number order, for a run over a whole table
// (the conversions). The table's index and walk fields are left as they were.
[[nodiscard]] TRunRecords TakeTableRecords(TTable &Table);
// Puts Table on the record RecNo (primary order); false when it is gone.
[[nodiscard]] bool FindRunRecord(TTable &Table, qint32 RecNo);

// Drives a command's loop of writes over many records (delete, batch change,
// copy; import, restore and the conversions later): one table batch around
// the whole run with a savepoint per record, so a refused record costs only
// itself; a progress dialog once the run has gone on for a moment, whose
// cancel stops after the current record and keeps what was written; and the
// event loop served between records at a bounded rate, so the windows stay
// painted while the run goes on without paying for it on every record.
//
// From Begin to Commit (or the end of the run object) the run owns the
// input: no key, click, wheel, drop or shortcut reaches any window that
// existed when it began, so nothing can reload or re-sort the rows, start a
// second command, save a form into the run's transaction or close the book
// the run writes through. Windows that appear during the run (its progress
// dialog, a question it asks) take input as usual. Closing a window during
// the run asks whether to stop; yes cancels the run and closes the window
// once the run and the command's own boxes are over.
//
// The records are taken before the run begins (TRunRecord) and each is found
// by its number inside it:
//
//     const TRunRecords records = ...;   // from the list's rows, or TakeTableRecords
//     TRecordRun run(this, table, label, records.size());
//     if (!run.Begin(&error)) ... every record refused, for the reason given
//     for (const TRunRecord &record : records) {
//         const bool written = run.Record([&] { if (!FindRunRecord(table, record.RecNo)) ...; return true; });
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

    // Takes the table's write lock (one wait for another writer) and the
    // input. False, with the table's reason, when the lock cannot be had.
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
    // Records passed with Next so far.
    [[nodiscard]] int Done() const { return m_done; }

    // Writes the run to the file and gives the input back. False, with the
    // reason, when nothing of it was written (a failed commit, or a batch
    // lost on the way). A file that another program holds past the table's
    // busy wait is tried again QuietCommitRetries times, then the user
    // chooses (a positioned message box, 再試行 or キャンセル) between trying
    // again and giving the run up.
    [[nodiscard]] bool Commit(QString *Error);

    // True while a run owns the input (between Begin and its end).
    [[nodiscard]] static bool Running();

    // How long a run goes before its progress appears, and how often the
    // event loop is served, in milliseconds.
    static int ShowAfterMs;
    static int ServeEveryMs;
    // Further tries of a commit that met a busy file before the user is asked.
    static int QuietCommitRetries;

private:
    class TInputGuard;
    void Serve();
    void HideProgress();
    void ReleaseInput();
    bool AskToClose(QWidget *Window);

    QPointer<QWidget> m_owner;
    TTable &m_table;
    QString m_label;
    int m_total = 0;
    int m_done = 0;
    std::optional<TTableBatch> m_batch;
    std::unique_ptr<QProgressDialog> m_progress;
    std::unique_ptr<TInputGuard> m_guard;
    QList<QPointer<QWidget>> m_closeAfter; // windows whose close was asked during the run
    QElapsedTimer m_started;
    qint64 m_lastServed = 0;
    bool m_cancelled = false;
    bool m_shownOnce = false;
    bool m_arrowCursor = false;
};
