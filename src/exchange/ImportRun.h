#pragma once

#include "exchange/ImportConv.h"
#include "exchange/ImportGroups.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <QString>

#include <functional>
#include <memory>
#include <set>

class QWidget;
class TTable;
class TImportFile;
class TImportAssignment;
class TDMMurven19;

// Reason codes of a line the import did not store, as the error log names
// them.
enum TImportReason : int {
    irsFieldCount = 1,       // more fields than the first line
    irsEncoding = 2,         // not Shift-JIS text
    irsBadCustomCode = 11,   // add: a character a customer code cannot hold
    irsCustomCodeTaken = 12, // add: another record has the code
    irsAddFailed = 19,
    irsNoChange = 21,
    irsNoMatch = 22,
    irsBadCustomCodeUpd = 23,
    irsCustomCodeTakenUpd = 24,
    irsUpdateFailed = 29,
    irsOther = 99,
};
[[nodiscard]] QString ImportReasonText(int Reason);

// The error log of one run ("InError.txt" in the data folder): one line per
// rejected line, Shift-JIS, "number,reason,line" ended by CR LF, the line as
// the run held it (raw bytes for a line that is not Shift-JIS). The first
// rejected line of a run replaces the log of an earlier run; a run without
// one leaves it alone.
class TImportErrorLog
{
public:
    explicit TImportErrorLog(QString Path) : m_path(std::move(Path)) {}
    // Notes one rejected line; nothing reaches the disk before Save.
    void Write(int LineNumber, int Reason, const QByteArray &Line);
    // The same with the reason's text (a reason that names a value).
    void Write(int LineNumber, const QString &ReasonText, const QByteArray &Line);
    [[nodiscard]] int Count() const { return m_count; }
    // Replaces the log on disk with the lines noted, when there are any.
    // Called only for a run that was written: a run given up must leave the
    // log of the last import as it was. False with the reason when the file
    // could not be written (the previous log then stays whole).
    [[nodiscard]] bool Save(QString *Error) const;

private:
    QString m_path;
    QByteArray m_bytes;
    int m_count = 0;
};

// The safety copy of the open book's table files into
// DataPath + "backup.imp/Adrs/" + the book's shown name, made before the
// import writes anything. The table file itself must be copied; the others
// of its family are copied when they exist. False with the reason when the
// copy could not be made: the import must not start then.
[[nodiscard]] bool BackupBookForImport(const QString &BookFolderPath, const QString &BackupFolderPath,
                                       QString *Error);

// The options of one run.
struct TImportRunOptions {
    bool Update = false;
    bool MatchByCustomCode = false; // update: match by 顧客コード, else by record number
    int MatchColumn = 0;            // update: the file column matched
    bool SkipFirst = false;
};

struct TImportRunReport {
    int ReadCount = 0;   // lines read, a skipped first line not counted
    int StoredCount = 0; // records added or changed, and committed
    int Rejected = 0;    // lines not stored, in the log with their reason
    // Lines whose group could not be brought in, in the log with the group
    // named: added as 指定なし, or updated with the group unchanged.
    int GroupLost = 0;
    // The group names the run added to the book, in the order of their places.
    QStringList AddedGroups;
    bool LimitReached = false;
    bool Cancelled = false;
    // Set when the run could not be written (nothing of it reached the
    // book) or stopped on a failure (the log could not be written).
    QString Failure;
    bool Committed = false;
};

// One run of the import over a loaded file: every line (after a skipped
// first one) added as a new record or matched with a stored one and
// updated, through one TRecordRun (one transaction, progress, cancel, the
// input held). Lines that cannot be stored go to the error log and the run
// goes on; the book never takes more than RecordLimit records. A group the
// book does not have is added to its names (TImportGroups, SaveGroupNames);
// a line that cannot have its group is stored without it and logged.
class TImportRun
{
public:
    TImportRun(TTable &Table, const TImportFile &File, const TImportAssignment &Assignment,
               const TImportRunOptions &Options, const TImportContext &Context, const QString &LogPath);

    // Runs with Owner as the progress dialog's parent.
    [[nodiscard]] TImportRunReport Run(QWidget *Owner);

    // Called after every stored record with its values (the input
    // histories).
    std::function<void(const TImportValues &)> OnStored;
    // Called after every line (tests stop a run at a chosen line).
    std::function<void(int ReadCount)> OnLine;
    // Writes the book's group names (entry 0 "指定なし", then groups 1..10)
    // when the run added some: once, just before the run is committed, and
    // once more with the names as they were when that commit fails. False,
    // with the reason, when they could not be written: the run is then given
    // up, so the book never holds records in a group whose name it lost.
    // Unset, the names added are only reported.
    std::function<bool(const QStringList &Names, QString *Error)> SaveGroupNames;

    static int RecordLimit;

    // 0, -1 (a character a code cannot hold) or -2 (held by another record
    // than RecNo; 0: by any record).
    [[nodiscard]] int CheckCustomCode(const QByteArray &Code, qint32 RecNo);

private:
    int addLine(const TImportValues &Values, qint32 &BookCount);
    // The log's text for a line that could not have the group it named.
    [[nodiscard]] QString groupLossText(TImportGroups::TLoss Loss, const QString &Name) const;
    int updateLine(const QByteArray &MatchValue, const TImportValues &Values);
    int findTarget(const QByteArray &MatchValue, qint32 &RecNo);
    // The record that the customer-code index finds first for Code (the
    // lowest record number among equal codes), 0 none.
    qint32 recordOfCode(const QByteArray &Code);
    void noteCode(qint32 RecNo, const QByteArray &Code);

    // The book's customer codes, read once when the run first needs them
    // and kept up to date by its own writes: looking codes up in the table
    // would switch its order between the code index and the record numbers
    // on every line, which costs a read of the whole order each time.
    bool m_codesRead = false;
    QHash<QByteArray, std::set<qint32>> m_codes;
    QHash<qint32, QByteArray> m_codeOf;

    TTable &m_table;
    const TImportFile &m_file;
    const TImportAssignment &m_assignment;
    TImportRunOptions m_options;
    TImportContext m_context;
    QString m_logPath;
};

// Puts the entered words of a stored line into the data module's input
// histories (department, post, honorifics, keywords 6 to 8); the histories
// are saved by SaveImportHistories once the run is over. It saves every
// one it can and returns the messages of those it could not write.
void AddWordsToHistories(TDMMurven19 &Module, const TImportValues &Values);
[[nodiscard]] QStringList SaveImportHistories(TDMMurven19 &Module);

// True when Path names the error log LogPath itself (through links and
// "..", letter case significant as the file system has it): the import
// refuses to read the file it writes its errors to.
[[nodiscard]] bool IsSameFile(const QString &Path, const QString &LogPath);
