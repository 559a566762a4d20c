#pragma once

#include "platform/Exception.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

// Field and index definitions of a table, in the shape the address-book and
// sender tables are declared in.
enum class TFieldType { ftAutoInc, ftInteger, ftString, ftBoolean, ftMemo, ftDateTime };

// Size: the width in bytes for ftString (CP932 bytes, cut at a character
// boundary); for ftMemo the bytes kept in the table row (the memo itself is
// not limited).
struct TFieldDef
{
    QString Name;
    TFieldType DataType = TFieldType::ftString;
    int Size = 0;
};

enum TIndexOption : unsigned { ixPrimary = 1, ixUnique = 2, ixCaseInsensitive = 4, ixDescending = 8 };

// Fields: field names joined with ";" ("JisCode;Adrs2;Adrs3"). The primary
// index has an empty name.
struct TIndexDef
{
    QString Name;
    QString Fields;
    unsigned Options = 0;
};

class TTable;

// A field of the table's current record. Text fields hold the stored bytes
// (Shift-JIS, or whatever byte form the caller stores); AsString converts
// through CP932. Setters need the table in edit or insert state.
class TField
{
public:
    QString FieldName() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    int Size() const { return m_size; }
    bool IsNull() const;

    // Stored bytes; SetAsBytes cuts a text field to Size bytes at a CP932
    // character boundary (a memo keeps everything).
    QByteArray AsBytes() const;
    // The same bytes without a copy, valid until the cursor moves or the
    // record changes; what walks that only compare should read.
    QByteArrayView AsBytesView() const;
    void SetAsBytes(const QByteArray &bytes);
    QString AsString() const;
    void SetAsString(const QString &text);
    qint32 AsInteger() const;
    void SetAsInteger(qint32 value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    QDateTime AsDateTime() const;
    void SetAsDateTime(const QDateTime &value);
    void Clear();

private:
    friend class TTable;
    TField(TTable *table, int index, const TFieldDef &def);
    const QVariant &value() const;
    void setValue(QVariant value);

    TTable *m_table;
    int m_index;
    QString m_name;
    TFieldType m_type;
    int m_size;
};

// Raised by TTable on a failed open, a write that the file refuses, or a
// cursor operation in the wrong state. The message is for the user: what
// could not be done, the file, and the reason in words the user can act on
// (SqlCipher::errorReason), the engine's own text only as a detail.
MURVEN_DECLARE_EXCEPTION(ETableError, Exception);

// A keyed table in a file of its own, walked by a cursor in the order of any
// of its indexes, ascending or descending, with the record-at-a-time editing
// of a classic desktop-database table (Append/Edit, set fields, Post).
//
// Storage: one encrypted SQLite (SQLCipher) database per table, keyed from
// its creation. Text and memo fields are BLOBs of the stored bytes, integer
// and boolean fields INTEGER (0/1), date-times INTEGER milliseconds since
// 1970-01-01T00:00 UTC (read back in local time). Every index of the
// definitions is an SQL index with the record number appended, so equal keys
// come in record-number order; case-insensitive indexes use a collation that
// folds only single-byte ASCII letters of Shift-JIS text.
//
// Sharing: any number of non-exclusive TTable objects may have one file open.
// An exclusive open fails while another TTable of this process has the file
// open, and makes every other open fail while it is held; the exclusive
// connection also takes SQLite's exclusive lock, which keeps other processes
// out.
class TTable
{
public:
    enum class TState { dsInactive, dsBrowse, dsEdit, dsInsert };

    TTable();
    ~TTable();
    TTable(const TTable &) = delete;
    TTable &operator=(const TTable &) = delete;

    // Full path of the table file, e.g. ".../Adrs.DB".
    void SetTableName(const QString &path);
    QString TableName() const;
    void SetPassword(const QByteArray &key);
    void SetExclusive(bool exclusive);
    bool Exclusive() const;

    void SetFieldDefs(QList<TFieldDef> defs);
    void SetIndexDefs(QList<TIndexDef> defs);
    QList<TFieldDef> FieldDefs() const;
    QList<TIndexDef> IndexDefs() const;

    // Creates the file from the definitions under a temporary name in the same
    // folder and renames it, so a half-made table never exists. Replaces
    // nothing: fails when the table exists.
    [[nodiscard]] bool CreateTable(QString *error = nullptr);
    // Finds the file whatever the letter case of its name.
    static bool TableExists(const QString &path);
    // The table files this process has open (any TTable, shared or
    // exclusive) inside the folder or below it; what must be closed before
    // the folder's files are replaced.
    [[nodiscard]] static QStringList OpenFilesUnder(const QString &folder);

    // Raises ETableError: missing file, wrong key, held by an exclusive
    // holder, or an exclusive open while others have the file open. The field
    // and index definitions are read from the file. The temporary files a
    // killed CreateTable of this table left in its folder are removed first.
    void Open();
    // Never raises (destructors close). An open BeginBatch is committed; the
    // writes of an unfinished TTableBatch are rolled back, and the run learns
    // it: it is lost, and its Commit says how many records were undone.
    void Close();
    // How long a write waits for another connection that holds the file
    // (the engine's busy wait), in milliseconds; taken at Open and at the
    // start of each TTableBatch.
    static int BusyWaitMs;
    bool Active() const;

    // "" = primary order (record number).
    void SetIndexName(const QString &name);
    QString IndexName() const;
    // Walk the current index backwards.
    void SetDescending(bool descending);
    bool Descending() const;

    // The fields the coming walks read (any type): they are read together
    // with the order in one query, so stepping through the table and reading
    // them never fetches whole records. Without it a walk learns up to eight
    // integer fields by itself. Changing the set reads the order again.
    void SetWalkFields(const QStringList &names);
    // How many times this table has read its whole order (with the walk
    // fields) since it was made: each read is a pass over every record, so
    // a run that must look at the table once can be held to one.
    [[nodiscard]] int OrderReads() const;

    // Calls visit for every record, in record order, with its record number
    // and the stored bytes of the named fields (in the order of names; a
    // NULL reads empty; a number as its digits). The engine calls visit
    // while it reads the records, so nothing is kept and no order is read:
    // one look at every record of a large table costs little more than the
    // engine's own reading of the fields. The bytes are valid only during the
    // call, and visit must not use the table. The cursor stays where it is.
    // Raises ETableError for an unknown name or a table that cannot be read,
    // and passes on what visit raises; the records visited until then stand.
    void ForEachRecord(const QStringList &names,
                       const std::function<void(qint64 recNo, const QByteArrayView *bytes)> &visit);

    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const;
    bool Bof() const;
    int RecordCount() const;
    bool IsEmpty() const;

    TField &FieldByName(const QString &name); // raises ETableError when unknown
    TField *FindField(const QString &name);
    // The same for a Latin-1 name, without making a string of it.
    TField &FieldByName(QLatin1StringView name);
    TField *FindField(QLatin1StringView name);
    int FieldCount() const;
    TField &Fields(int i);

    // Exact match on the leading fields of the current index; the cursor goes
    // to the first matching record in index order. False leaves it unmoved.
    // A text key longer than its field is cut to the field's width as a
    // write would cut it, so what was written with it is found.
    bool FindKey(const QList<QVariant> &keyValues);
    // The first record whose key is at or after the given key (in the walk's
    // direction); the last record when none is, so the cursor always stands
    // on a record of a table that has any (check the key of the record
    // reached). Text keys are cut as for FindKey.
    void FindNearest(const QList<QVariant> &keyValues);
    // First record in the current order whose fields ("A;B") equal the values.
    // Text values are cut as for FindKey.
    bool Locate(const QString &fieldNames, const QList<QVariant> &values, bool caseInsensitive = false);

    // After Post of an Append the cursor is on the new record; Edit+Post keeps
    // it on the edited record; Delete moves to the next record in the current
    // order (or the new last one); Cancel returns to the previous record.
    //
    // Another table object (or program) may delete the current record: the
    // cursor then stays where the record was, its fields read empty, Edit
    // and Delete raise ETableError (as Post does), and Next and Prior go to
    // the records that were after and before it. Post of an Edit writes only
    // the fields set since Edit, so what another object changed in the other
    // fields meanwhile stays.
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    TState State() const;

    // A run of posts in one transaction for speed. A post that fails inside
    // the batch is undone alone; the others stay. EndBatch commits. When the
    // engine rolled back the whole transaction (a full disk, an I/O error, a
    // run joined to the batch that lost it), every write until the outermost
    // EndBatch raises, and that EndBatch raises ETableError with the reason:
    // nothing of the batch was written.
    void BeginBatch();
    void EndBatch();

    // Committed to disk when it returns. Inside a TTableBatch it does nothing:
    // the batch's Commit is what writes.
    void FlushBuffers();
    // Optimise and repair: both rebuild the file and its indexes (data and
    // record numbers survive). Need the table open.
    void Pack();
    void RegenerateIndexes();
    // The engine's full check of the file and its indexes: "ok", or what it
    // found wrong, one finding a line. Needs the table open.
    [[nodiscard]] QString IntegrityCheck();
    // A number that changes whenever another handle (of this program or of
    // another) has written the file since this handle last read it: while it
    // is the same, what this handle read earlier is what the file holds.
    // -1 when the file cannot be asked.
    [[nodiscard]] qint64 DataVersion() const;

    // Kept for the callers' shape; the table has no controls to update.
    void DisableControls() {}
    void EnableControls() {}

private:
    friend class TField;
    friend class TTableBatch;
    friend class TTableRead;
    struct Impl;
    std::unique_ptr<Impl> d;
    std::vector<std::unique_ptr<TField>> m_fields;
};

// Several reads in one go (a search and the fields of the record it found)
// under one shared lock of the file, taken and given back once rather than
// for each statement. Inside a transaction already open it does nothing.
// Only for reads: nothing may be written while it is held.
class TTableRead
{
public:
    explicit TTableRead(TTable &Table);
    ~TTableRead();
    TTableRead(const TTableRead &) = delete;
    TTableRead &operator=(const TTableRead &) = delete;

private:
    TTable &m_table;
    quint64 m_serial = 0;
    bool m_began = false;
};

// A run of writes (deletes, edits, appends) over many records in one
// transaction, each record undone alone when it is refused (by its own
// savepoint, or by the engine for a record of one statement) while the others
// stay; nothing reaches the file before Commit. Taking the write lock waits once (the table's busy wait),
// not once per record. Import, restore and the conversions write their runs
// the same way.
//
//     TTableBatch batch(table);          // raises ETableError: held by another writer
//     batch.BeginRecord();
//     ... Delete / Edit+Post / Append+Post, false when refused ...
//     if (!batch.EndRecord(written)) ... // the batch is lost: stop
//     if (!batch.Commit(&error)) ...     // nothing of the run was written
class TTableBatch
{
public:
    // How a record is written. Several: any writes, undone together by the
    // record's savepoint. One: exactly one statement (a Delete, or one Post
    // of an Edit or Append), which the engine undoes alone when it is
    // refused; no savepoint is taken, which spares the run the copy of every
    // page the record touches (a row and a score of index pages). A second
    // write in a One record raises ETableError.
    enum class TRecordWrites { One, Several };

    explicit TTableBatch(TTable &Table);
    // Without a Commit everything of the batch is undone.
    ~TTableBatch();
    TTableBatch(const TTableBatch &) = delete;
    TTableBatch &operator=(const TTableBatch &) = delete;

    void BeginRecord(TRecordWrites Writes = TRecordWrites::Several);
    // Keep: the record's writes stay in the batch; otherwise they are undone
    // and a pending edit or append is cancelled (a One record whose write
    // went through cannot be undone alone: the whole batch is dropped). False
    // when the batch itself was lost (the engine rolled it back after a full
    // disk or an I/O error): the run must stop, and nothing of it will be
    // written.
    [[nodiscard]] bool EndRecord(bool Keep);
    // False, with the reason, when the commit failed or the batch was lost;
    // then nothing of the batch was written. When another connection held
    // the file past the busy wait (Busy()), the batch stays whole and open:
    // Commit may be called again, and destroying the batch gives it up.
    [[nodiscard]] bool Commit(QString *Error = nullptr);
    // The batch was rolled back: by the engine, by a failed commit, or by
    // the table's Close. Nothing of it will be written.
    [[nodiscard]] bool Lost();
    // The last Commit met a file held by another connection.
    [[nodiscard]] bool Busy() const { return m_busy; }

private:
    void Drop();
    // False (and the batch lost) once the table's Close rolled it back.
    bool stillOpen();

    TTable &m_table;
    quint64 m_serial = 0;
    bool m_open = false;
    bool m_inRecord = false;
    bool m_savepoint = false; // the record holds a savepoint
    bool m_lost = false;
    bool m_busy = false;
    QString m_lostReason;
};
