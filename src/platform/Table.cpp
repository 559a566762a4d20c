#include "platform/Table.h"

#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/SqlCipher.h"
#include "platform/WriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <map>
#include <utility>

// Layout of a table file (an SQLCipher database):
//   Data       the records; the autoincrement field is the INTEGER PRIMARY KEY
//              AUTOINCREMENT (so a number is never handed out twice, not even
//              after the last record was deleted); a table without one gets a
//              hidden "__Row" column in that role, so record order survives
//              VACUUM. Text and memo fields hold the stored bytes (Shift-JIS)
//              with the TEXT storage class, never UTF-8: SQLite only looks
//              inside them through the CP932_NOCASE collation. An empty text is
//              stored as NULL. Date-times are INTEGER milliseconds since the
//              epoch (UTC).
//   FieldDefs  Pos, Name, Type (TFieldType as integer), Size
//   IndexDefs  Pos, Name, Fields ("A;B"), Options (TIndexOption bits)
// Index n of the definitions is the SQL index "ix<n>"; SQLite appends the
// rowid to every index entry, so equal keys stay in record-number order.

namespace {

constexpr const char *kHiddenRow = "__Row";
constexpr qint64 kNullIntKey = std::numeric_limits<qint64>::min();

QByteArray quoted(const QString &name)
{
    QByteArray n = name.toUtf8();
    n.replace('"', "\"\"");
    return '"' + n + '"';
}

bool isText(TFieldType t)
{
    return t == TFieldType::ftString || t == TFieldType::ftMemo;
}

// Open files of this process: shared opens are counted, an exclusive open is
// alone. The version counter moves on every committed write, so the other
// TTable objects on the file re-read their order before the next move.
struct FileEntry
{
    int shared = 0;
    bool exclusive = false;
    std::shared_ptr<std::atomic<quint64>> version = std::make_shared<std::atomic<quint64>>(1);
};

QMutex registryMutex;
QHash<QString, FileEntry> &registry()
{
    static QHash<QString, FileEntry> r;
    return r;
}

// The existing file of that name in that folder, whatever the letter case of
// the file name; empty when there is none.
QString resolvePath(const QString &path)
{
    const QFileInfo fi(path);
    if (fi.isFile())
        return fi.absoluteFilePath();
    const QDir dir = fi.absoluteDir();
    if (!dir.exists())
        return {};
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &n : names) {
        if (n.compare(fi.fileName(), Qt::CaseInsensitive) == 0)
            return dir.absoluteFilePath(n);
    }
    return {};
}

} // namespace

namespace {
// The running ForEachRecord: its visit, the bytes handed to it, and what it
// raised.
struct TVisitState {
    const std::function<void(qint64, const QByteArrayView *)> *Visit = nullptr;
    std::vector<QByteArrayView> Bytes;
    std::exception_ptr Error;
};
} // namespace

struct TTable::Impl
{
    QString path;
    QByteArray password;
    bool exclusive = false;
    QList<TFieldDef> fieldDefs;
    QList<TIndexDef> indexDefs;

    sqlite3 *db = nullptr;
    // ForEachRecord's callback is registered once per connection.
    bool visitRegistered = false;
    TVisitState visit;
    QString regKey;
    std::shared_ptr<std::atomic<quint64>> version;
    quint64 seen = 0;
    TState state = TState::dsInactive;
    int batchDepth = 0;
    bool inTableBatch = false; // a TTableBatch holds the transaction
    // Counts the TTableBatch runs (and the closes), so a run knows whether
    // the transaction it began is still its own.
    quint64 batchSerial = 0;
    int runKept = 0;          // records the open TTableBatch kept
    QString closedRunReason;  // what Close said when it rolled back a run
    // The engine ended the transaction of a batch that is still open (a
    // full disk, an I/O error, or a run joined to the batch lost it): why.
    // Every write raises it until the outermost EndBatch reports it.
    mutable QString lostReason;
    mutable QString lastReason; // the reason of the last failure (fail())
    // A One record of a TTableBatch is open: its writes so far.
    bool oneWriteRecord = false;
    int recordWrites = 0;

    QString fileName() const { return QFileInfo(path).fileName(); }

    // The message of a batch the engine rolled back whole.
    QString lostText() const
    {
        return QStringLiteral("データベースエンジンが書き込みの途中で全体を取り消したため、"
                              "この一連の書き込みは1件も保存されていません（%1）。%2")
            .arg(fileName(), lastReason);
    }

    // After a failed statement inside a batch: did the engine end the whole
    // transaction? A TTableBatch finds out for itself (EndRecord).
    void noteLostTransaction() const
    {
        if (db && batchDepth > 0 && !inTableBatch && lostReason.isEmpty() && sqlite3_get_autocommit(db))
            lostReason = lostText();
    }

    // Before a write statement: a One record takes one; a batch whose
    // transaction is gone takes none (each would be a transaction of its own).
    void beforeWrite() const
    {
        if (!lostReason.isEmpty())
            throw ETableError(lostReason);
        if (oneWriteRecord && recordWrites > 0)
            throw ETableError(
                QStringLiteral("この処理では1件のデータに1回しか書き込めません（%1）").arg(fileName()));
    }

    int rowidField = -1; // the autoincrement field, the rowid itself
    size_t fieldHint = 0; // where FindField looks first
    QHash<QString, int> fieldIndex; // lower-case name -> field
    QString indexName;
    bool descending = false;

    // The walk: record ids in walk order, with the values of a few integer
    // fields read in the same query (the "hot" fields, learned from the
    // fields a walk reads), so a walk that reads only those never fetches a
    // whole record.
    bool orderValid = false;
    int orderReads = 0;
    std::vector<qint64> order;
    std::vector<int> hot;         // field indexes
    std::vector<int> hotSlot;     // per field: slot in hot, or -1
    std::vector<qint64> hotVals;  // order.size() * hot.size()
    std::vector<char> hotNull;
    std::vector<char> wanted;     // integer fields read from whole records during a walk
    std::vector<char> walkFields; // fields the caller said its walks read (SetWalkFields), any type
    std::vector<int> hotText;     // text field indexes read with the order
    std::vector<int> hotTextSlot; // per field: slot in hotText, or -1
    // The text values read with the order: one arena of bytes, and per
    // (record, slot) the offset and length of its bytes (-1: NULL).
    std::vector<char> hotTextArena;
    std::vector<std::pair<qint32, qint32>> hotTextRefs; // order.size() * hotText.size()
    qsizetype pos = -1;
    bool eof = true;
    bool bof = true;
    qint64 cur = 0; // current record id, 0 = none
    // The current record was deleted by someone else: cur is still its id,
    // and pos is where the record after it now stands (order.size() when
    // none), so Next and Prior go on from the place it had.
    bool curGone = false;

    std::vector<QVariant> values; // the whole current record, or the edit buffer
    bool loaded = false;
    std::vector<QVariant> scratch;

    bool savedEof = true, savedBof = true;
    std::vector<QVariant> original; // the record as Edit found it

    // After an edit that left the key of the current order alone, the walk
    // stays valid: a loop that edits every record it walks over must not
    // re-read the order at every step.
    bool keepOrderAfterEdit()
    {
        if (!orderValid || pos < 0 || size_t(pos) >= order.size() || order[size_t(pos)] != cur)
            return false;
        for (int f : indexFields(currentIndex())) {
            if (f < 0 || values[size_t(f)] != original[size_t(f)])
                return false;
        }
        const size_t nh = hot.size();
        for (size_t k = 0; k < nh; ++k) {
            const QVariant &v = values[size_t(hot[k])];
            hotNull[size_t(pos) * nh + k] = !v.isValid();
            hotVals[size_t(pos) * nh + k] = v.toLongLong();
        }
        const size_t nt = hotText.size();
        for (size_t k = 0; k < nt; ++k) {
            const QVariant &v = values[size_t(hotText[k])];
            if (!v.isValid() || v.isNull()) {
                hotTextRefs[size_t(pos) * nt + k] = {0, -1};
                continue;
            }
            // The edited text goes to the end of the arena; the old bytes stay unused.
            const QByteArray bytes = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : Cp932::encode(v.toString());
            hotTextRefs[size_t(pos) * nt + k] = {qint32(hotTextArena.size()), qint32(bytes.size())};
            hotTextArena.insert(hotTextArena.end(), bytes.constBegin(), bytes.constEnd());
        }
        return true;
    }

    SqlCipher::Statement insertStmt, deleteStmt, fetchStmt;
    // UPDATE statements by the fields they write (one flag per field).
    std::map<std::vector<char>, SqlCipher::Statement> updateStmts;

    sqlite3_stmt *updateStatement(const std::vector<char> &fields)
    {
        auto it = updateStmts.find(fields);
        if (it == updateStmts.end()) {
            QByteArray set;
            for (size_t f = 0; f < fields.size(); ++f) {
                if (fields[f])
                    set += (set.isEmpty() ? "" : ", ") + columnOf(int(f)) + " = ?";
            }
            SqlCipher::Statement st(db, "UPDATE Data SET " + set + " WHERE rowid = ?;");
            if (!st.valid())
                fail(QStringLiteral("データを書き込めません"));
            it = updateStmts.emplace(fields, std::move(st)).first;
        }
        return it->second.get();
    }

    // Whether two buffer values store the same (a text set from a QString
    // and the same bytes read from the file are one value).
    bool sameStored(int f, const QVariant &a, const QVariant &b) const
    {
        const bool nullA = !a.isValid() || a.isNull();
        const bool nullB = !b.isValid() || b.isNull();
        if (nullA || nullB)
            return nullA == nullB;
        if (isText(fieldDefs[f].DataType)) {
            const auto bytes = [](const QVariant &v) {
                return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : Cp932::encode(v.toString());
            };
            return bytes(a) == bytes(b);
        }
        if (fieldDefs[f].DataType == TFieldType::ftDateTime) {
            const auto ms = [](const QVariant &v) {
                return v.typeId() == QMetaType::QDateTime ? v.toDateTime().toMSecsSinceEpoch() : v.toLongLong();
            };
            return ms(a) == ms(b);
        }
        return a.toLongLong() == b.toLongLong();
    }

    // A text key cut to its field's width, as writing the text would cut it.
    QVariant keyValue(int f, const QVariant &v) const
    {
        if (f < 0 || fieldDefs[f].DataType != TFieldType::ftString || !v.isValid() || v.isNull())
            return v;
        const QByteArray bytes = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : Cp932::encode(v.toString());
        return QVariant(Cp932::truncated(bytes, fieldDefs[f].Size));
    }
    QList<QVariant> keyValues(const QList<int> &fields, const QList<QVariant> &vals) const
    {
        QList<QVariant> out;
        for (int i = 0; i < vals.size(); ++i)
            out << (i < fields.size() ? keyValue(fields[i], vals[i]) : vals[i]);
        return out;
    }

    QByteArray rowidColumn() const
    {
        return rowidField >= 0 ? quoted(fieldDefs[rowidField].Name) : QByteArray(kHiddenRow);
    }
    QByteArray columnOf(int f) const { return quoted(fieldDefs[f].Name); }

    [[noreturn]] void fail(const QString &what) const
    {
        lastReason = SqlCipher::lastError(db);
        noteLostTransaction();
        throw ETableError(QStringLiteral("%1（%2）。%3").arg(what, fileName(), lastReason));
    }

    // Our own write: the others re-read, we have brought our state up to
    // date already, unless someone else wrote since we last looked.
    void bump()
    {
        if (!version)
            return;
        const quint64 now = ++*version;
        if (seen == now - 1)
            seen = now;
    }

    // The engine's count of the commits other connections (of this program
    // or of another) made on the file, when this handle last looked; -1
    // before the first look.
    qint64 fileVersion = -1;
    qint64 readFileVersion() const
    {
        SqlCipher::Statement st(db, "PRAGMA data_version;");
        if (!st.valid() || sqlite3_step(st) != SQLITE_ROW)
            return -1;
        return sqlite3_column_int64(st, 0);
    }
    // Inside a transaction just begun: what another program wrote since
    // this handle last looked makes it read its order and the record again,
    // so the count and the records seen under the lock are the file's.
    void noticeOtherWriters()
    {
        const qint64 now = readFileVersion();
        if (now < 0 || now != fileVersion) {
            orderValid = false;
            // A record being edited keeps the values set so far.
            if (state == TTable::TState::dsBrowse)
                loaded = false;
        }
        fileVersion = now;
    }

    void ensureFresh()
    {
        if (version && version->load() != seen) {
            seen = version->load();
            orderValid = false;
            loaded = false;
        }
    }

    const TIndexDef *currentIndex() const
    {
        for (const TIndexDef &ix : indexDefs) {
            if (indexName.isEmpty() ? (ix.Options & ixPrimary) != 0
                                    : ix.Name.compare(indexName, Qt::CaseInsensitive) == 0)
                return &ix;
        }
        return nullptr;
    }

    QList<int> indexFields(const TIndexDef *ix) const
    {
        QList<int> out;
        if (!ix)
            return out;
        for (const QString &n : ix->Fields.split(u';', Qt::SkipEmptyParts))
            out << fieldIndex.value(n.trimmed().toLower(), -1);
        return out;
    }

    QByteArray orderBy(bool reverse) const
    {
        const TIndexDef *ix = currentIndex();
        QByteArray out;
        for (int f : indexFields(ix)) {
            if (f < 0 || f == rowidField)
                continue;
            out += columnOf(f);
            if ((ix->Options & ixCaseInsensitive) && isText(fieldDefs[f].DataType))
                out += QByteArray(" COLLATE ") + SqlCipher::kFoldCollation;
            if (bool(ix->Options & ixDescending) != reverse)
                out += " DESC";
            out += ", ";
        }
        // The record number ends every order: equal keys come in record order,
        // as the index entries (which end with the rowid) already are.
        out += rowidColumn() + (reverse ? " DESC" : "");
        return out;
    }

    void rebuildOrder()
    {
        // Before the order is read: a commit between the two makes the next
        // look read it once more, never keeps an older order for newer.
        fileVersion = readFileVersion();
        ++orderReads;
        hot.clear();
        hotText.clear();
        hotSlot.assign(size_t(fieldDefs.size()), -1);
        hotTextSlot.assign(size_t(fieldDefs.size()), -1);
        int learned = 0;
        for (int f = 0; f < fieldDefs.size(); ++f) {
            if (f == rowidField)
                continue;
            if (walkFields[size_t(f)] && isText(fieldDefs[f].DataType)) {
                hotTextSlot[f] = int(hotText.size());
                hotText.push_back(f);
            } else if (walkFields[size_t(f)] || (wanted[size_t(f)] && learned < 8)) {
                learned += walkFields[size_t(f)] ? 0 : 1;
                hotSlot[f] = int(hot.size());
                hot.push_back(f);
            }
        }
        QByteArray sql = "SELECT " + rowidColumn();
        for (int f : hot)
            sql += ", " + columnOf(f);
        for (int f : hotText)
            sql += ", " + columnOf(f);
        sql += " FROM Data ORDER BY " + orderBy(descending);
        SqlCipher::Statement st(db, sql);
        if (!st.valid())
            fail(QStringLiteral("データの並び順を読み込めません"));
        // The order read before: where the current record stood in it, should
        // it be gone from the new one.
        std::vector<qint64> previous;
        previous.swap(order);
        const size_t expected = previous.size();
        hotVals.clear();
        hotNull.clear();
        const size_t arenaBefore = hotTextArena.size();
        hotTextArena.clear();
        hotTextRefs.clear();
        const int nh = int(hot.size());
        const int nt = int(hotText.size());
        order.reserve(expected);
        hotVals.reserve(expected * size_t(nh));
        hotNull.reserve(expected * size_t(nh));
        hotTextRefs.reserve(expected * size_t(nt));
        hotTextArena.reserve(nt > 0 ? std::max(arenaBefore, expected * size_t(nt) * 16) : 0);
        // A whole order is every record's fields: a value's type is asked
        // for only where the value alone cannot tell NULL (0, no bytes).
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            order.push_back(sqlite3_column_int64(st, 0));
            for (int k = 0; k < nh; ++k) {
                const qint64 v = sqlite3_column_int64(st, k + 1);
                hotNull.push_back(v == 0 && sqlite3_column_type(st, k + 1) == SQLITE_NULL);
                hotVals.push_back(v);
            }
            for (int k = 0; k < nt; ++k) {
                const int col = nh + 1 + k;
                const char *p = static_cast<const char *>(sqlite3_column_blob(st, col));
                if (!p && sqlite3_column_type(st, col) == SQLITE_NULL) {
                    hotTextRefs.emplace_back(0, -1);
                    continue;
                }
                const int n = p ? sqlite3_column_bytes(st, col) : 0;
                hotTextRefs.emplace_back(qint32(hotTextArena.size()), qint32(n));
                hotTextArena.insert(hotTextArena.end(), p, p + n);
            }
        }
        if (rc != SQLITE_DONE)
            fail(QStringLiteral("データの並び順を読み込めません"));
        orderValid = true;
        // Back onto the current record, or onto the place it had.
        const qsizetype n = qsizetype(order.size());
        if (n == 0) {
            pos = -1;
            cur = 0;
            curGone = false;
            eof = bof = true;
            return;
        }
        if (cur != 0) {
            const auto it = std::find(order.begin(), order.end(), cur);
            if (it != order.end()) {
                pos = it - order.begin();
                curGone = false;
                return;
            }
            // Deleted elsewhere. The cursor stays on it (so that Delete and
            // Edit refuse it rather than take a neighbour), at the place of
            // the first record after it that is still there.
            const qsizetype start = curGone ? pos : pos + 1;
            QHash<qint64, qsizetype> where;
            where.reserve(n);
            for (qsizetype i = 0; i < n; ++i)
                where.insert(order[size_t(i)], i);
            pos = n;
            for (qsizetype i = std::max<qsizetype>(start, 0); i < qsizetype(previous.size()); ++i) {
                const auto found = where.constFind(previous[size_t(i)]);
                if (found != where.constEnd()) {
                    pos = *found;
                    break;
                }
            }
            curGone = true;
            loaded = false;
            return;
        }
        pos = std::clamp<qsizetype>(pos, 0, n - 1);
        cur = order[size_t(pos)];
        loaded = false;
    }

    void ensureOrder()
    {
        ensureFresh();
        if (!orderValid)
            rebuildOrder();
    }

    // Starts a cursor move on the loaded order; false, with the cursor on no
    // record and at both ends, when the table holds none.
    bool startMove()
    {
        ensureOrder();
        if (!order.empty())
            return true;
        moveTo(-1);
        eof = bof = true;
        return false;
    }

    void moveTo(qsizetype p)
    {
        pos = p;
        cur = p >= 0 ? order[size_t(p)] : 0;
        curGone = false;
        loaded = false;
    }

    QVariant readColumn(sqlite3_stmt *st, int col, int f) const
    {
        if (sqlite3_column_type(st, col) == SQLITE_NULL)
            return {};
        if (isText(fieldDefs[f].DataType)) {
            const char *p = static_cast<const char *>(sqlite3_column_blob(st, col));
            return QByteArray(p, sqlite3_column_bytes(st, col));
        }
        return QVariant(qint64(sqlite3_column_int64(st, col)));
    }

    // False when the current record is not in the file (the fields read empty).
    bool loadRecord()
    {
        values.assign(size_t(fieldDefs.size()), QVariant());
        loaded = true;
        if (cur == 0)
            return false;
        sqlite3_bind_int64(fetchStmt, 1, cur);
        const int rc = sqlite3_step(fetchStmt);
        const bool found = rc == SQLITE_ROW;
        if (found) {
            for (int f = 0; f < fieldDefs.size(); ++f)
                values[size_t(f)] = readColumn(fetchStmt, f, f);
        }
        sqlite3_reset(fetchStmt);
        // A damaged or unreadable file is no missing record: its fields
        // would read as empty and print or save as such.
        if (!found && rc != SQLITE_DONE) {
            loaded = false;
            fail(QStringLiteral("データを読み込めません"));
        }
        return found;
    }

    [[noreturn]] void failDeletedElsewhere() const
    {
        throw ETableError(QStringLiteral("このデータはほかの画面かほかのプログラムで削除されています（%1）")
                              .arg(fileName()));
    }

    void bindValue(sqlite3_stmt *st, int k, int f, const QVariant &v) const
    {
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(st, k);
        } else if (isText(fieldDefs[f].DataType)) {
            const QByteArray b = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : Cp932::encode(v.toString());
            sqlite3_bind_text(st, k, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        } else if (fieldDefs[f].DataType == TFieldType::ftDateTime && v.typeId() == QMetaType::QDateTime) {
            sqlite3_bind_int64(st, k, v.toDateTime().toMSecsSinceEpoch());
        } else {
            sqlite3_bind_int64(st, k, v.toLongLong());
        }
    }

    bool isEmptyKey(int f, const QVariant &v) const
    {
        if (!v.isValid() || v.isNull())
            return true;
        if (isText(fieldDefs[f].DataType))
            return v.typeId() == QMetaType::QByteArray ? v.toByteArray().isEmpty() : v.toString().isEmpty();
        return false;
    }

    // "field = ?" terms for an exact match; an empty key matches the empty
    // (NULL) field.
    QByteArray equalTerms(const QList<int> &fields, const QList<QVariant> &vals, bool fold, QList<int> *bound) const
    {
        QByteArray where;
        for (int i = 0; i < fields.size(); ++i) {
            const int f = fields[i];
            if (!where.isEmpty())
                where += " AND ";
            if (isEmptyKey(f, vals[i])) {
                where += columnOf(f) + " IS NULL";
                continue;
            }
            where += columnOf(f);
            if (fold && isText(fieldDefs[f].DataType))
                where += QByteArray(" COLLATE ") + SqlCipher::kFoldCollation;
            where += " = ?";
            *bound << i;
        }
        return where;
    }

    // The search statements, kept prepared by their text: a run that finds
    // record after record by its key (printing, exporting a list) prepares
    // its statement once, not once a record. Finalised at Close.
    mutable std::map<QByteArray, SqlCipher::Statement> findStmts;

    // First record id of a query, 0 when none.
    qint64 firstId(const QByteArray &sql, const QList<int> &fields, const QList<QVariant> &vals,
                   const QList<int> &bound) const
    {
        auto it = findStmts.find(sql);
        if (it == findStmts.end()) {
            SqlCipher::Statement st(db, sql);
            if (!st.valid())
                fail(QStringLiteral("データを検索できません"));
            // The texts vary with the fields and with which keys are empty;
            // a handful are in use at a time.
            if (findStmts.size() >= 32)
                findStmts.clear();
            it = findStmts.emplace(sql, std::move(st)).first;
        }
        sqlite3_stmt *st = it->second.get();
        for (int k = 0; k < bound.size(); ++k)
            bindValue(st, k + 1, fields[bound[k]], vals[bound[k]]);
        const int rc = sqlite3_step(st);
        const qint64 id = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        // Not found only when the search ran to its end; a damaged file
        // stops it and is reported, never taken for no record.
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            fail(QStringLiteral("データを検索できません"));
        return id;
    }

    void goToId(qint64 id)
    {
        ensureOrder();
        // Records are mostly found in the order they are walked: the next
        // place, or the current one, before a search of the whole order.
        qsizetype p = -1;
        for (const qsizetype near : {pos + 1, pos}) {
            if (near >= 0 && size_t(near) < order.size() && order[size_t(near)] == id) {
                p = near;
                break;
            }
        }
        if (p < 0) {
            const auto it = std::find(order.begin(), order.end(), id);
            if (it == order.end())
                return;
            p = it - order.begin();
        }
        moveTo(p);
        eof = bof = false;
    }
};

// --- TField ----------------------------------------------------------------

TField::TField(TTable *table, int index, const TFieldDef &def)
    : m_table(table), m_index(index), m_name(def.Name), m_type(def.DataType), m_size(def.Size)
{
}

const QVariant &TField::value() const
{
    TTable::Impl &d = *m_table->d;
    const size_t i = size_t(m_index);
    if (d.state == TTable::TState::dsEdit || d.state == TTable::TState::dsInsert)
        return d.values[i];
    if (d.state == TTable::TState::dsInactive || d.cur == 0) {
        d.scratch[i] = QVariant();
        return d.scratch[i];
    }
    if (m_index == d.rowidField) {
        d.scratch[i] = QVariant(d.cur);
        return d.scratch[i];
    }
    if (!d.loaded && d.orderValid && !d.curGone) {
        const int slot = d.hotSlot[i];
        if (slot >= 0) {
            const size_t k = size_t(d.pos) * d.hot.size() + size_t(slot);
            d.scratch[i] = d.hotNull[k] ? QVariant() : QVariant(d.hotVals[k]);
            return d.scratch[i];
        }
        const int textSlot = d.hotTextSlot[i];
        if (textSlot >= 0) {
            const auto [offset, length] = d.hotTextRefs[size_t(d.pos) * d.hotText.size() + size_t(textSlot)];
            d.scratch[i] = length < 0 ? QVariant() : QVariant(QByteArray(d.hotTextArena.data() + offset, length));
            return d.scratch[i];
        }
        if (!isText(m_type))
            d.wanted[i] = 1;
    }
    if (!d.loaded)
        d.loadRecord();
    return d.values[i];
}

void TField::setValue(QVariant v)
{
    TTable::Impl &d = *m_table->d;
    if (d.state != TTable::TState::dsEdit && d.state != TTable::TState::dsInsert)
        throw ETableError(QStringLiteral("データの編集中ではないため、項目 %1 に書き込めません").arg(m_name));
    if (m_type == TFieldType::ftAutoInc)
        throw ETableError(QStringLiteral("項目 %1 は変更できません").arg(m_name));
    d.values[size_t(m_index)] = std::move(v);
}

bool TField::IsNull() const
{
    const QVariant &v = value();
    return !v.isValid() || v.isNull();
}

QByteArrayView TField::AsBytesView() const
{
    TTable::Impl &d = *m_table->d;
    if (isText(m_type) && d.state == TTable::TState::dsBrowse && d.cur != 0 && !d.loaded && d.orderValid &&
        !d.curGone) {
        const int slot = d.hotTextSlot[size_t(m_index)];
        if (slot >= 0) {
            const auto [offset, length] = d.hotTextRefs[size_t(d.pos) * d.hotText.size() + size_t(slot)];
            return length < 0 ? QByteArrayView() : QByteArrayView(d.hotTextArena.data() + offset, length);
        }
    }
    const QVariant &v = value();
    if (isText(m_type) && v.typeId() == QMetaType::QByteArray)
        return *static_cast<const QByteArray *>(v.constData());
    // Other types have no stored bytes: their text form lives in the scratch slot.
    d.scratch[size_t(m_index)] = AsBytes();
    return *static_cast<const QByteArray *>(d.scratch[size_t(m_index)].constData());
}

QByteArray TField::AsBytes() const
{
    const QVariant &v = value();
    if (!v.isValid())
        return {};
    if (isText(m_type))
        return v.toByteArray();
    return AsString().toLatin1();
}

void TField::SetAsBytes(const QByteArray &bytes)
{
    if (!isText(m_type)) {
        SetAsString(QString::fromLatin1(bytes));
        return;
    }
    const QByteArray b = m_type == TFieldType::ftString ? Cp932::truncated(bytes, m_size) : bytes;
    setValue(b.isEmpty() ? QVariant() : QVariant(b));
}

QString TField::AsString() const
{
    const QVariant &v = value();
    if (!v.isValid())
        return {};
    switch (m_type) {
    case TFieldType::ftString:
    case TFieldType::ftMemo:
        return Cp932::decode(v.toByteArray());
    case TFieldType::ftBoolean:
        return v.toLongLong() ? QStringLiteral("True") : QStringLiteral("False");
    case TFieldType::ftDateTime:
        return AsDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    default:
        return QString::number(v.toLongLong());
    }
}

void TField::SetAsString(const QString &text)
{
    switch (m_type) {
    case TFieldType::ftString:
    case TFieldType::ftMemo:
        SetAsBytes(Cp932::encode(text));
        return;
    case TFieldType::ftBoolean:
        if (text.isEmpty())
            Clear();
        else
            SetAsBoolean(text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0 || text == u"1");
        return;
    case TFieldType::ftDateTime:
        if (text.isEmpty())
            Clear();
        else
            SetAsDateTime(QDateTime::fromString(text, QStringLiteral("yyyy/MM/dd hh:mm:ss")));
        return;
    default: {
        if (text.trimmed().isEmpty()) {
            Clear();
            return;
        }
        bool ok = false;
        const qint32 n = text.trimmed().toInt(&ok);
        if (!ok)
            throw ETableError(QStringLiteral("「%1」は項目 %2 に入る整数ではありません").arg(text, m_name));
        SetAsInteger(n);
    }
    }
}

qint32 TField::AsInteger() const
{
    const QVariant &v = value();
    if (!v.isValid())
        return 0;
    if (isText(m_type))
        return Cp932::decode(v.toByteArray()).trimmed().toInt();
    return qint32(v.toLongLong());
}

void TField::SetAsInteger(qint32 value)
{
    if (isText(m_type))
        SetAsBytes(QByteArray::number(value));
    else if (m_type == TFieldType::ftBoolean)
        setValue(QVariant(qint64(value != 0)));
    else
        setValue(QVariant(qint64(value)));
}

bool TField::AsBoolean() const
{
    const QVariant &v = value();
    if (!v.isValid())
        return false;
    if (isText(m_type))
        return AsString().compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
    return v.toLongLong() != 0;
}

void TField::SetAsBoolean(bool value)
{
    if (isText(m_type))
        SetAsBytes(value ? QByteArray("True") : QByteArray("False"));
    else
        setValue(QVariant(qint64(value ? 1 : 0)));
}

QDateTime TField::AsDateTime() const
{
    const QVariant &v = value();
    if (!v.isValid() || m_type != TFieldType::ftDateTime)
        return {};
    return QDateTime::fromMSecsSinceEpoch(v.toLongLong());
}

void TField::SetAsDateTime(const QDateTime &value)
{
    if (m_type != TFieldType::ftDateTime)
        throw ETableError(QStringLiteral("項目 %1 は日時の項目ではありません").arg(m_name));
    setValue(value.isValid() ? QVariant(qint64(value.toMSecsSinceEpoch())) : QVariant());
}

void TField::Clear()
{
    setValue(QVariant());
}

// --- TTable ----------------------------------------------------------------

TTable::TTable() : d(std::make_unique<Impl>()) {}

TTable::~TTable()
{
    try {
        Close();
    } catch (...) {
        // Closing never leaves anything to report: the posts were committed.
    }
}

void TTable::SetTableName(const QString &path)
{
    if (Active())
        throw ETableError(QStringLiteral("開いているファイルの名前は変えられません"));
    d->path = path;
}
QString TTable::TableName() const { return d->path; }
void TTable::SetPassword(const QByteArray &key) { d->password = key; }
void TTable::SetExclusive(bool exclusive)
{
    if (Active())
        throw ETableError(QStringLiteral("開いているファイルの共有の設定は変えられません"));
    d->exclusive = exclusive;
}
bool TTable::Exclusive() const { return d->exclusive; }
void TTable::SetFieldDefs(QList<TFieldDef> defs) { d->fieldDefs = std::move(defs); }
void TTable::SetIndexDefs(QList<TIndexDef> defs) { d->indexDefs = std::move(defs); }
QList<TFieldDef> TTable::FieldDefs() const { return d->fieldDefs; }
QList<TIndexDef> TTable::IndexDefs() const { return d->indexDefs; }

namespace {

// The DDL of a table and its indexes from the definitions; empty on a fault
// in the definitions (error set).
bool schemaSql(const QList<TFieldDef> &fields, const QList<TIndexDef> &indexes, QByteArray *table,
               QList<QByteArray> *indexSql, QString *error)
{
    QHash<QString, int> byName;
    int autoInc = -1;
    QByteArray cols;
    for (int i = 0; i < fields.size(); ++i) {
        const TFieldDef &f = fields[i];
        if (f.Name.isEmpty() || byName.contains(f.Name.toLower()) ||
            f.Name.compare(QLatin1String(kHiddenRow), Qt::CaseInsensitive) == 0) {
            *error = QStringLiteral("項目名 %1 が正しくないか、重複しています").arg(f.Name);
            return false;
        }
        byName.insert(f.Name.toLower(), i);
        if (!cols.isEmpty())
            cols += ", ";
        cols += quoted(f.Name);
        switch (f.DataType) {
        case TFieldType::ftAutoInc:
            if (autoInc >= 0) {
                *error = QStringLiteral("自動で番号を振る項目は一つまでです");
                return false;
            }
            autoInc = i;
            cols += " INTEGER PRIMARY KEY AUTOINCREMENT";
            break;
        case TFieldType::ftString:
        case TFieldType::ftMemo:
            if (f.DataType == TFieldType::ftString && f.Size <= 0) {
                *error = QStringLiteral("文字の項目 %1 に長さがありません").arg(f.Name);
                return false;
            }
            cols += " BLOB";
            break;
        default:
            cols += " INTEGER";
        }
    }
    if (fields.isEmpty()) {
        *error = QStringLiteral("項目が一つもありません");
        return false;
    }
    if (autoInc < 0)
        cols = QByteArray(kHiddenRow) + " INTEGER PRIMARY KEY AUTOINCREMENT, " + cols;
    *table = "CREATE TABLE Data(" + cols + ");";

    for (int n = 0; n < indexes.size(); ++n) {
        const TIndexDef &ix = indexes[n];
        const QStringList names = ix.Fields.split(u';', Qt::SkipEmptyParts);
        if (names.isEmpty()) {
            *error = QStringLiteral("索引 %1 に項目がありません").arg(ix.Name);
            return false;
        }
        QByteArray terms;
        for (const QString &raw : names) {
            const int f = byName.value(raw.trimmed().toLower(), -1);
            if (f < 0) {
                *error = QStringLiteral("索引 %1 の項目 %2 がありません").arg(ix.Name, raw);
                return false;
            }
            if (f == autoInc && names.size() == 1)
                break; // the record order itself
            if (!terms.isEmpty())
                terms += ", ";
            terms += quoted(fields[f].Name);
            if ((ix.Options & ixCaseInsensitive) && isText(fields[f].DataType))
                terms += QByteArray(" COLLATE ") + SqlCipher::kFoldCollation;
            if (ix.Options & ixDescending)
                terms += " DESC";
        }
        if (terms.isEmpty())
            continue;
        const bool unique = ix.Options & (ixUnique | ixPrimary);
        *indexSql << QByteArray("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX ix" + QByteArray::number(n) +
                         " ON Data(" + terms + ");";
    }
    return true;
}

constexpr int kCreatingSuffixLength = 8; // hexadecimal digits
const QString kJournalSuffix = QStringLiteral("-journal");

// A table is built under ".<name>.creating-<8 hex digits>" beside its final name.
QString creatingPrefix(const QString &fileName)
{
    return QLatin1Char('.') + fileName + QStringLiteral(".creating-");
}

// A process killed while it created the table left its temporary file and
// the temporary's journal behind. Once the table exists nobody can still be
// creating it, so they hold nothing anyone needs. The table's own journal is
// never touched: it may be needed to roll back an interrupted write.
void removeCreationLeftovers(const QString &tablePath)
{
    const QFileInfo table(tablePath);
    const QDir folder = table.absoluteDir();
    const QString prefix = creatingPrefix(table.fileName());
    // No name filter: a file name may hold wildcard characters of its own.
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : entries) {
        if (!name.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        QStringView rest = QStringView(name).mid(prefix.size());
        if (rest.endsWith(kJournalSuffix))
            rest.chop(kJournalSuffix.size());
        bool hex = false;
        if (rest.size() == kCreatingSuffixLength)
            (void)rest.toUInt(&hex, 16);
        if (hex && !QFile::remove(folder.filePath(name)))
            qWarning("The leftover %s of an interrupted table creation cannot be removed",
                     qPrintable(QDir::toNativeSeparators(folder.filePath(name))));
    }
}

} // namespace

bool TTable::CreateTable(QString *error)
{
    QString dummy;
    QString &err = error ? *error : dummy;
    if (TableExists(d->path)) {
        err = QStringLiteral("ファイル %1 は既にあります").arg(d->path);
        return false;
    }
    QByteArray tableSql;
    QList<QByteArray> indexSql;
    if (!schemaSql(d->fieldDefs, d->indexDefs, &tableSql, &indexSql, &err))
        return false;

    const QFileInfo target(d->path);
    const QString tmp = target.absoluteDir().absoluteFilePath(
        creatingPrefix(target.fileName()) +
        QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), kCreatingSuffixLength, 16, QLatin1Char('0')));
    sqlite3 *db = SqlCipher::open(tmp, d->password, true, &err);
    if (!db) {
        QFile::remove(tmp);
        // The temporary's name is the program's business: the user is told
        // of the file it was to become.
        err.replace(tmp, d->path);
        return false;
    }
    bool ok = SqlCipher::exec(db, "BEGIN;", &err) &&
              SqlCipher::exec(db,
                              "CREATE TABLE FieldDefs(Pos INTEGER PRIMARY KEY, Name TEXT NOT NULL,"
                              " Type INTEGER NOT NULL, Size INTEGER NOT NULL);"
                              "CREATE TABLE IndexDefs(Pos INTEGER PRIMARY KEY, Name TEXT NOT NULL,"
                              " Fields TEXT NOT NULL, Options INTEGER NOT NULL);",
                              &err) &&
              SqlCipher::exec(db, tableSql.constData(), &err);
    for (const QByteArray &s : indexSql)
        ok = ok && SqlCipher::exec(db, s.constData(), &err);
    if (ok) {
        SqlCipher::Statement fst(db, "INSERT INTO FieldDefs VALUES(?, ?, ?, ?);");
        for (int i = 0; ok && i < d->fieldDefs.size(); ++i) {
            const QByteArray name = d->fieldDefs[i].Name.toUtf8();
            sqlite3_bind_int(fst, 1, i);
            sqlite3_bind_text(fst, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(fst, 3, int(d->fieldDefs[i].DataType));
            sqlite3_bind_int(fst, 4, d->fieldDefs[i].Size);
            ok = sqlite3_step(fst) == SQLITE_DONE;
            sqlite3_reset(fst);
        }
        SqlCipher::Statement ist(db, "INSERT INTO IndexDefs VALUES(?, ?, ?, ?);");
        for (int i = 0; ok && i < d->indexDefs.size(); ++i) {
            const QByteArray name = d->indexDefs[i].Name.toUtf8();
            const QByteArray fields = d->indexDefs[i].Fields.toUtf8();
            sqlite3_bind_int(ist, 1, i);
            sqlite3_bind_text(ist, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(ist, 3, fields.constData(), int(fields.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(ist, 4, d->indexDefs[i].Options);
            ok = sqlite3_step(ist) == SQLITE_DONE;
            sqlite3_reset(ist);
        }
        if (!ok)
            err = SqlCipher::lastError(db);
    }
    ok = ok && SqlCipher::exec(db, "COMMIT;", &err);
    SqlCipher::close(db);
    // Only into an empty place: a book another program made under this name
    // while this one was being written stays as it is.
    if (ok && !RenameNoReplace(tmp, target.absoluteFilePath())) {
        err = errno == EEXIST ? QStringLiteral("ファイル %1 は既にあります").arg(d->path)
                              : QStringLiteral("ファイル %1 を作成できません。%2")
                                    .arg(d->path, WriteErrorReason(errno, TWriteTarget::Folder));
        ok = false;
    }
    if (!ok) {
        QFile::remove(tmp);
        QFile::remove(tmp + kJournalSuffix);
    }
    return ok;
}

bool TTable::TableExists(const QString &path)
{
    return !resolvePath(path).isEmpty();
}

QStringList TTable::OpenFilesUnder(const QString &folder)
{
    QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty())
        return {};
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    QStringList open;
    QMutexLocker lock(&registryMutex);
    for (auto it = registry().cbegin(); it != registry().cend(); ++it) {
        if ((it->shared > 0 || it->exclusive) && it.key().startsWith(root))
            open << it.key();
    }
    return open;
}

void TTable::Open()
{
    if (Active())
        return;
    const QString actual = resolvePath(d->path);
    if (actual.isEmpty())
        throw ETableError(QStringLiteral("ファイル %1 が見つかりません").arg(d->path));
    removeCreationLeftovers(actual);
    const QString key = QFileInfo(actual).canonicalFilePath();
    {
        QMutexLocker lock(&registryMutex);
        FileEntry &e = registry()[key];
        if (e.exclusive || (d->exclusive && e.shared > 0)) {
            if (e.shared == 0 && !e.exclusive)
                registry().remove(key);
            throw ETableError(QStringLiteral("ファイル %1 はほかの処理が使用中です").arg(d->path));
        }
        if (d->exclusive)
            e.exclusive = true;
        else
            ++e.shared;
        d->version = e.version;
    }
    d->regKey = key;
    try {
        QString err;
        // A shared handle waits for another writer's commit from its first
        // read on; an exclusive one learns at once that the file is in use.
        d->db = SqlCipher::open(actual, d->password, false, &err, d->exclusive ? 0 : BusyWaitMs);
        if (!d->db)
            throw ETableError(err);
        if (d->exclusive) {
            if (!SqlCipher::exec(d->db, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;", &err))
                throw ETableError(QStringLiteral("ファイル %1 はほかのプログラムが使用中です。%2").arg(d->path, err));
        }
        // The definitions come from the file.
        QList<TFieldDef> fields;
        {
            SqlCipher::Statement st(d->db, "SELECT Name, Type, Size FROM FieldDefs ORDER BY Pos;");
            if (!st.valid())
                throw ETableError(QStringLiteral("%1 はこのプログラムのデータファイルではないか、ファイルが壊れています").arg(d->path));
            while (sqlite3_step(st) == SQLITE_ROW) {
                fields << TFieldDef{QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                                    TFieldType(sqlite3_column_int(st, 1)), sqlite3_column_int(st, 2)};
            }
        }
        QList<TIndexDef> indexes;
        {
            SqlCipher::Statement st(d->db, "SELECT Name, Fields, Options FROM IndexDefs ORDER BY Pos;");
            if (!st.valid())
                throw ETableError(QStringLiteral("%1 はこのプログラムのデータファイルではないか、ファイルが壊れています").arg(d->path));
            while (sqlite3_step(st) == SQLITE_ROW) {
                indexes << TIndexDef{QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                                     QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))),
                                     unsigned(sqlite3_column_int64(st, 2))};
            }
        }
        d->fieldDefs = fields;
        d->indexDefs = indexes;
        d->fieldIndex.clear();
        d->rowidField = -1;
        m_fields.clear();
        QByteArray all, ins, marks;
        for (int i = 0; i < fields.size(); ++i) {
            d->fieldIndex.insert(fields[i].Name.toLower(), i);
            m_fields.push_back(std::unique_ptr<TField>(new TField(this, i, fields[i])));
            if (fields[i].DataType == TFieldType::ftAutoInc)
                d->rowidField = i;
        }
        for (int i = 0; i < fields.size(); ++i) {
            all += (i ? ", " : "") + d->columnOf(i);
            if (i == d->rowidField)
                continue;
            ins += (ins.isEmpty() ? "" : ", ") + quoted(fields[i].Name);
            marks += marks.isEmpty() ? "?" : ", ?";
        }
        d->fetchStmt = SqlCipher::Statement(d->db, "SELECT " + all + " FROM Data WHERE rowid = ?;");
        d->insertStmt = SqlCipher::Statement(d->db, "INSERT INTO Data(" + ins + ") VALUES(" + marks + ");");
        d->deleteStmt = SqlCipher::Statement(d->db, "DELETE FROM Data WHERE rowid = ?;");
        if (!d->fetchStmt.valid() || !d->insertStmt.valid() || !d->deleteStmt.valid())
            d->fail(QStringLiteral("ファイルを開けません"));
    } catch (...) {
        Close();
        throw;
    }
    const size_t n = size_t(d->fieldDefs.size());
    d->values.assign(n, QVariant());
    d->scratch.assign(n, QVariant());
    d->wanted.assign(n, 0);
    if (d->walkFields.size() != n)
        d->walkFields.assign(n, 0);
    d->hotSlot.assign(n, -1);
    d->hotTextSlot.assign(n, -1);
    d->state = TState::dsBrowse;
    d->orderValid = false;
    d->seen = d->version->load();
    d->fileVersion = d->readFileVersion();
    d->cur = 0;
    d->pos = -1;
    d->curGone = false;
    // An index chosen before the open is kept, as long as the file has it.
    if (!d->indexName.isEmpty() && !d->currentIndex()) {
        const QString name = d->indexName;
        Close();
        throw ETableError(QStringLiteral("ファイル %1 に索引 %2 がありません").arg(d->path, name));
    }
    First();
}

void TTable::Close()
{
    if (d->state == TState::dsEdit || d->state == TState::dsInsert)
        Cancel();
    if (d->db && d->batchDepth > 0) {
        d->batchDepth = 0;
        if (d->inTableBatch) {
            // A TTableBatch's writes count only once it commits them: the run
            // is told what was undone, and says so when it ends.
            d->closedRunReason = QStringLiteral("ファイル %1 が閉じられたため、この処理で書き込んだ%2件のデータは"
                                                "すべて取り消されました。")
                                     .arg(d->fileName())
                                     .arg(d->runKept);
            if (!sqlite3_get_autocommit(d->db))
                (void)SqlCipher::exec(d->db, "ROLLBACK;");
        } else if (!sqlite3_get_autocommit(d->db)) {
            QString why;
            if (SqlCipher::exec(d->db, "COMMIT;", &why))
                d->bump();
            else
                qWarning("The writes of an open batch on %s were lost at its close: %s", qPrintable(d->path),
                         qPrintable(why));
        }
    }
    ++d->batchSerial;
    d->inTableBatch = false;
    d->oneWriteRecord = false;
    d->lostReason.clear();
    d->fetchStmt = {};
    d->insertStmt = {};
    d->updateStmts.clear();
    d->findStmts.clear();
    d->deleteStmt = {};
    SqlCipher::close(d->db);
    d->db = nullptr;
    d->visitRegistered = false;
    if (!d->regKey.isEmpty()) {
        QMutexLocker lock(&registryMutex);
        auto it = registry().find(d->regKey);
        if (it != registry().end()) {
            if (d->exclusive)
                it->exclusive = false;
            else if (it->shared > 0)
                --it->shared;
            if (it->shared == 0 && !it->exclusive)
                registry().erase(it);
        }
        d->regKey.clear();
    }
    d->version.reset();
    d->state = TState::dsInactive;
    d->orderValid = false;
    d->order.clear();
    d->hotVals.clear();
    d->hotNull.clear();
    d->cur = 0;
    d->pos = -1;
    d->curGone = false;
    d->eof = d->bof = true;
    d->loaded = false;
}

bool TTable::Active() const { return d->state != TState::dsInactive; }

namespace {
void checkActive(const TTable &t)
{
    if (!t.Active())
        throw ETableError(QStringLiteral("ファイル %1 が開かれていません").arg(t.TableName()));
}
} // namespace

void TTable::SetIndexName(const QString &name)
{
    if (Active() && !name.isEmpty()) {
        bool found = false;
        for (const TIndexDef &ix : d->indexDefs)
            found = found || ix.Name.compare(name, Qt::CaseInsensitive) == 0;
        if (!found)
            throw ETableError(QStringLiteral("ファイル %1 に索引 %2 がありません").arg(d->path, name));
    }
    if (Active() && (d->state == TState::dsEdit || d->state == TState::dsInsert))
        Post();
    d->indexName = name;
    d->orderValid = false;
}
QString TTable::IndexName() const { return d->indexName; }

void TTable::SetDescending(bool descending)
{
    if (descending == d->descending)
        return;
    if (Active() && (d->state == TState::dsEdit || d->state == TState::dsInsert))
        Post();
    d->descending = descending;
    d->orderValid = false;
}
bool TTable::Descending() const { return d->descending; }

void TTable::SetWalkFields(const QStringList &names)
{
    std::vector<char> fields(size_t(d->fieldDefs.size()), 0);
    for (const QString &name : names) {
        const int f = d->fieldIndex.value(name.toLower(), -1);
        if (f >= 0)
            fields[size_t(f)] = 1;
    }
    if (fields == d->walkFields)
        return;
    d->walkFields = std::move(fields);
    d->orderValid = false;
}

int TTable::OrderReads() const { return d->orderReads; }

namespace {
void toBrowse(TTable &t)
{
    checkActive(t);
    if (t.State() == TTable::TState::dsEdit || t.State() == TTable::TState::dsInsert)
        t.Post();
}
} // namespace

namespace {
// The SQL function through which the engine hands ForEachRecord each record:
// the record number, then the fields. It selects nothing.
constexpr const char *kVisitFunction = "murven_visit_record";

void visitRecord(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    auto &state = *static_cast<TVisitState *>(sqlite3_user_data(context));
    sqlite3_result_int(context, 0);
    if (!state.Visit || state.Error || argc < 1 || size_t(argc - 1) > state.Bytes.size())
        return;
    for (int i = 1; i < argc; ++i) {
        const auto *bytes = static_cast<const char *>(sqlite3_value_blob(argv[i]));
        state.Bytes[size_t(i - 1)] = bytes ? QByteArrayView(bytes, sqlite3_value_bytes(argv[i])) : QByteArrayView();
    }
    // Nothing may unwind through the engine: what visit raises ends the
    // query and is raised again once the engine has returned.
    try {
        (*state.Visit)(sqlite3_value_int64(argv[0]), state.Bytes.data());
    } catch (...) {
        state.Error = std::current_exception();
        sqlite3_result_error(context, "visit", -1);
    }
}
} // namespace

void TTable::ForEachRecord(const QStringList &names,
                           const std::function<void(qint64 recNo, const QByteArrayView *bytes)> &visit)
{
    toBrowse(*this);
    QByteArray sql = QByteArray("SELECT 1 FROM Data WHERE ") + kVisitFunction + "(rowid";
    for (const QString &name : names) {
        const int f = d->fieldIndex.value(name.toLower(), -1);
        if (f < 0)
            throw ETableError(QStringLiteral("項目 %1 がありません").arg(name));
        sql += ", " + (f == d->rowidField ? QByteArray("rowid") : d->columnOf(f));
    }
    sql += ") ORDER BY rowid;";
    // A new function name is never refused while other statements run; the
    // name is registered once and stays for the connection's life.
    if (!d->visitRegistered) {
        if (sqlite3_create_function_v2(d->db, kVisitFunction, -1, SQLITE_UTF8, &d->visit, visitRecord, nullptr,
                                       nullptr, nullptr) != SQLITE_OK)
            d->fail(QStringLiteral("データを読み込めません"));
        d->visitRegistered = true;
    }
    SqlCipher::Statement st(d->db, sql);
    if (!st.valid())
        d->fail(QStringLiteral("データを読み込めません"));
    d->visit.Visit = &visit;
    d->visit.Bytes.assign(size_t(names.size()), QByteArrayView());
    d->visit.Error = nullptr;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    d->visit.Visit = nullptr;
    if (d->visit.Error) {
        std::exception_ptr error;
        std::swap(error, d->visit.Error);
        std::rethrow_exception(error);
    }
    if (rc != SQLITE_DONE)
        d->fail(QStringLiteral("データを読み込めません"));
}

void TTable::First()
{
    toBrowse(*this);
    if (!d->startMove())
        return;
    d->moveTo(0);
    d->bof = true;
    d->eof = false;
}

void TTable::Last()
{
    toBrowse(*this);
    if (!d->startMove())
        return;
    d->moveTo(qsizetype(d->order.size()) - 1);
    d->eof = true;
    d->bof = false;
}

void TTable::Next()
{
    toBrowse(*this);
    if (!d->startMove())
        return;
    const qsizetype n = qsizetype(d->order.size());
    if (d->curGone) {
        // The record after the deleted one stands in its place.
        const bool after = d->pos < n;
        d->moveTo(after ? d->pos : n - 1);
        d->eof = !after;
        d->bof = false;
        return;
    }
    if (d->pos < n - 1) {
        d->moveTo(d->pos + 1);
        d->eof = false;
    } else {
        d->eof = true;
    }
    d->bof = false;
}

void TTable::Prior()
{
    toBrowse(*this);
    if (!d->startMove())
        return;
    if (d->curGone) {
        const bool before = d->pos > 0;
        d->moveTo(before ? d->pos - 1 : 0);
        d->bof = !before;
        d->eof = false;
        return;
    }
    if (d->pos > 0) {
        d->moveTo(d->pos - 1);
        d->bof = false;
    } else {
        d->bof = true;
    }
    d->eof = false;
}

bool TTable::Eof() const { return d->eof; }
bool TTable::Bof() const { return d->bof; }

int TTable::RecordCount() const
{
    checkActive(*this);
    d->ensureOrder();
    return int(d->order.size());
}

bool TTable::IsEmpty() const { return RecordCount() == 0; }

namespace {
// The field of that exact name: first the one after the field found last
// (readers and writers go through a record's fields in the table's order),
// then all of them; Hint becomes the place after the field found.
template <class Name>
TField *findExact(const std::vector<std::unique_ptr<TField>> &fields, size_t &hint, const Name &name)
{
    const size_t n = fields.size();
    if (hint < n && fields[hint]->FieldName() == name)
        return fields[hint++].get();
    for (size_t i = 0; i < n; ++i) {
        if (fields[i]->FieldName() == name) {
            hint = i + 1;
            return fields[i].get();
        }
    }
    return nullptr;
}
} // namespace

TField &TTable::FieldByName(const QString &name)
{
    TField *f = FindField(name);
    if (!f)
        throw ETableError(QStringLiteral("項目 %1 がありません").arg(name));
    return *f;
}

TField &TTable::FieldByName(QLatin1StringView name)
{
    TField *f = FindField(name);
    if (!f)
        throw ETableError(QStringLiteral("項目 %1 がありません").arg(name));
    return *f;
}

TField *TTable::FindField(const QString &name)
{
    if (TField *f = findExact(m_fields, d->fieldHint, name))
        return f;
    const int i = d->fieldIndex.value(name.toLower(), -1);
    return i >= 0 ? m_fields[size_t(i)].get() : nullptr;
}

TField *TTable::FindField(QLatin1StringView name)
{
    if (TField *f = findExact(m_fields, d->fieldHint, name))
        return f;
    const int i = d->fieldIndex.value(QString(name).toLower(), -1);
    return i >= 0 ? m_fields[size_t(i)].get() : nullptr;
}

int TTable::FieldCount() const { return int(m_fields.size()); }

TField &TTable::Fields(int i)
{
    if (i < 0 || i >= int(m_fields.size()))
        throw ETableError(QStringLiteral("項目の番号 %1 が範囲の外です").arg(i));
    return *m_fields[size_t(i)];
}

bool TTable::FindKey(const QList<QVariant> &keyValues)
{
    toBrowse(*this);
    const TIndexDef *ix = d->currentIndex();
    QList<int> fields = ix ? d->indexFields(ix) : QList<int>{d->rowidField};
    fields = fields.mid(0, qMin(fields.size(), keyValues.size()));
    if (fields.isEmpty() || fields.contains(-1))
        return false;
    const QList<QVariant> keys = d->keyValues(fields, keyValues.mid(0, fields.size()));
    QList<int> bound;
    const QByteArray where = d->equalTerms(fields, keys, ix && (ix->Options & ixCaseInsensitive), &bound);
    const qint64 id = d->firstId("SELECT rowid FROM Data WHERE " + where + " ORDER BY " + d->orderBy(false) +
                                     " LIMIT 1;",
                                 fields, keys, bound);
    if (id == 0)
        return false;
    d->goToId(id);
    return true;
}

void TTable::FindNearest(const QList<QVariant> &keyValues)
{
    toBrowse(*this);
    const TIndexDef *ix = d->currentIndex();
    QList<int> fields = ix ? d->indexFields(ix) : QList<int>{d->rowidField};
    fields = fields.mid(0, qMin(fields.size(), keyValues.size()));
    if (fields.isEmpty() || fields.contains(-1)) {
        First();
        return;
    }
    // Row-value comparison on the key fields, NULL taken as the smallest
    // value so that an empty key finds the empty fields.
    const bool fold = ix && (ix->Options & ixCaseInsensitive);
    QByteArray lhs, rhs;
    QList<QVariant> vals;
    QList<int> bound;
    for (int i = 0; i < fields.size(); ++i) {
        const int f = fields[i];
        const bool text = isText(d->fieldDefs[f].DataType);
        lhs += (i ? ", " : "") + (text ? "IFNULL(" + d->columnOf(f) + ", '')" : "IFNULL(" + d->columnOf(f) + ", " +
                                                                                 QByteArray::number(kNullIntKey) + ")");
        if (text && fold)
            lhs += QByteArray(" COLLATE ") + SqlCipher::kFoldCollation;
        rhs += i ? ", ?" : "?";
        QVariant v = d->keyValue(f, keyValues[i]);
        if (d->isEmptyKey(f, v))
            v = text ? QVariant(QByteArray("")) : QVariant(kNullIntKey);
        vals << v;
        bound << i;
    }
    // The walk's direction decides what "at or after" means.
    const bool down = d->descending != bool(ix && (ix->Options & ixDescending));
    const QByteArray sql = "SELECT rowid FROM Data WHERE (" + lhs + ") " + (down ? "<=" : ">=") + " (" + rhs +
                           ") ORDER BY " + d->orderBy(d->descending) + " LIMIT 1;";
    // An empty text key must bind as '' (TEXT), not NULL.
    SqlCipher::Statement st(d->db, sql);
    if (!st.valid())
        d->fail(QStringLiteral("データを検索できません"));
    for (int k = 0; k < vals.size(); ++k) {
        const QVariant &v = vals[k];
        if (v.typeId() == QMetaType::QByteArray && v.toByteArray().isEmpty())
            sqlite3_bind_text(st, k + 1, "", 0, SQLITE_STATIC);
        else
            d->bindValue(st, k + 1, fields[k], v);
    }
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        d->fail(QStringLiteral("データを検索できません"));
    const qint64 id = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    if (id == 0) {
        Last();
        return;
    }
    d->goToId(id);
}

bool TTable::Locate(const QString &fieldNames, const QList<QVariant> &values, bool caseInsensitive)
{
    toBrowse(*this);
    QList<int> fields;
    for (const QString &n : fieldNames.split(u';', Qt::SkipEmptyParts)) {
        const int f = d->fieldIndex.value(n.trimmed().toLower(), -1);
        if (f < 0)
            throw ETableError(QStringLiteral("項目 %1 がありません").arg(n));
        fields << f;
    }
    if (fields.isEmpty() || fields.size() != values.size())
        return false;
    const QList<QVariant> keys = d->keyValues(fields, values);
    QList<int> bound;
    const QByteArray where = d->equalTerms(fields, keys, caseInsensitive, &bound);
    const qint64 id = d->firstId("SELECT rowid FROM Data WHERE " + where + " ORDER BY " + d->orderBy(d->descending) +
                                     " LIMIT 1;",
                                 fields, keys, bound);
    if (id == 0)
        return false;
    d->goToId(id);
    return true;
}

void TTable::Append()
{
    toBrowse(*this);
    // The cursor stays where it is while the new record is filled in (a
    // re-read of the order meanwhile follows it); Cancel only restores the
    // end flags.
    d->savedEof = d->eof;
    d->savedBof = d->bof;
    d->values.assign(size_t(d->fieldDefs.size()), QVariant());
    d->state = TState::dsInsert;
}

void TTable::Edit()
{
    checkActive(*this);
    if (d->state == TState::dsEdit || d->state == TState::dsInsert)
        return;
    d->ensureFresh();
    if (d->cur == 0)
        throw ETableError(QStringLiteral("編集するデータがありません（%1）").arg(d->path));
    if (d->curGone || !d->loadRecord())
        d->failDeletedElsewhere();
    d->original = d->values;
    d->state = TState::dsEdit;
}

void TTable::Post()
{
    checkActive(*this);
    if (d->state == TState::dsBrowse)
        return;
    const bool inserting = d->state == TState::dsInsert;
    d->beforeWrite();
    const size_t nf = size_t(d->fieldDefs.size());
    sqlite3_stmt *st = nullptr;
    if (inserting) {
        st = d->insertStmt.get();
        int k = 1;
        for (int f = 0; f < int(nf); ++f) {
            if (f != d->rowidField)
                d->bindValue(st, k++, f, d->values[size_t(f)]);
        }
    } else {
        // Only the fields set since Edit: another table object's change to
        // the other fields meanwhile is not written back over.
        std::vector<char> changed(nf, 0);
        bool any = false;
        for (int f = 0; f < int(nf); ++f) {
            if (f != d->rowidField && !d->sameStored(f, d->values[size_t(f)], d->original[size_t(f)]))
                changed[size_t(f)] = any = true;
        }
        if (any) {
            st = d->updateStatement(changed);
            int k = 1;
            for (int f = 0; f < int(nf); ++f) {
                if (changed[size_t(f)])
                    d->bindValue(st, k++, f, d->values[size_t(f)]);
            }
            sqlite3_bind_int64(st, k, d->cur);
        }
    }
    if (st) {
        const int rc = sqlite3_step(st);
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        if (rc != SQLITE_DONE) {
            // Inside a batch only this statement is undone; the batch goes on.
            d->fail(QStringLiteral("データを書き込めません"));
        }
    }
    // Nothing to write still needs the record to be there.
    const bool gone = !inserting && (st ? sqlite3_changes(d->db) == 0 : !d->loadRecord());
    if (gone) {
        // Another table object deleted the record while it was being edited.
        d->orderValid = false;
        d->loaded = false;
        d->failDeletedElsewhere();
    }
    if (st)
        ++d->recordWrites;
    if (inserting) {
        d->cur = sqlite3_last_insert_rowid(d->db);
        d->curGone = false;
        if (d->rowidField >= 0)
            d->values[size_t(d->rowidField)] = QVariant(d->cur);
    }
    // The buffer is the record as stored, unless someone else wrote since
    // this table last looked (their fields may be newer than ours).
    d->loaded = !d->version || d->version->load() == d->seen;
    if (inserting || !d->keepOrderAfterEdit())
        d->orderValid = false;
    d->eof = d->bof = false;
    d->state = TState::dsBrowse;
    if (st)
        d->bump();
}

void TTable::Cancel()
{
    checkActive(*this);
    if (d->state == TState::dsInsert) {
        d->eof = d->savedEof;
        d->bof = d->savedBof;
    }
    d->loaded = false;
    d->state = TState::dsBrowse;
}

void TTable::Delete()
{
    checkActive(*this);
    if (d->state == TState::dsInsert) {
        Cancel();
        return;
    }
    if (d->state == TState::dsEdit)
        Cancel();
    d->ensureOrder();
    if (d->cur == 0 || d->order.empty())
        throw ETableError(QStringLiteral("削除するデータがありません（%1）").arg(d->path));
    if (d->curGone)
        d->failDeletedElsewhere();
    d->beforeWrite();
    sqlite3_bind_int64(d->deleteStmt, 1, d->cur);
    const int rc = sqlite3_step(d->deleteStmt);
    sqlite3_reset(d->deleteStmt);
    if (rc != SQLITE_DONE)
        d->fail(QStringLiteral("データを削除できません"));
    if (sqlite3_changes(d->db) == 0) {
        // Deleted by another program: the order this table holds is stale.
        d->orderValid = false;
        d->loaded = false;
        d->failDeletedElsewhere();
    }
    ++d->recordWrites;
    // Out of the walk without re-reading it: the next record takes the place.
    const size_t p = size_t(d->pos);
    const size_t nh = d->hot.size();
    d->order.erase(d->order.begin() + qsizetype(p));
    d->hotVals.erase(d->hotVals.begin() + qsizetype(p * nh), d->hotVals.begin() + qsizetype((p + 1) * nh));
    d->hotNull.erase(d->hotNull.begin() + qsizetype(p * nh), d->hotNull.begin() + qsizetype((p + 1) * nh));
    const size_t nt = d->hotText.size();
    d->hotTextRefs.erase(d->hotTextRefs.begin() + qsizetype(p * nt), d->hotTextRefs.begin() + qsizetype((p + 1) * nt));
    const qsizetype n = qsizetype(d->order.size());
    if (n == 0) {
        d->moveTo(-1);
        d->eof = d->bof = true;
    } else {
        d->moveTo(std::min(d->pos, n - 1));
        d->eof = d->bof = false;
    }
    d->bump();
}

TTable::TState TTable::State() const { return d->state; }

void TTable::BeginBatch()
{
    checkActive(*this);
    if (d->batchDepth++ == 0) {
        d->lostReason.clear();
        if (!SqlCipher::exec(d->db, "BEGIN IMMEDIATE;")) {
            d->batchDepth = 0;
            d->fail(QStringLiteral("ファイルに書き込めません"));
        }
    }
}

void TTable::EndBatch()
{
    checkActive(*this);
    if (d->batchDepth == 0)
        return;
    if (--d->batchDepth == 0) {
        // The engine may have ended the transaction (noted by a failed write,
        // or by a run joined to the batch): nothing of the batch is in the
        // file, and the one who began it must hear so.
        if (d->lostReason.isEmpty() && sqlite3_get_autocommit(d->db))
            d->lostReason = d->lostText();
        if (!d->lostReason.isEmpty()) {
            const QString reason = std::exchange(d->lostReason, QString());
            if (!sqlite3_get_autocommit(d->db))
                (void)SqlCipher::exec(d->db, "ROLLBACK;");
            d->orderValid = false;
            d->loaded = false;
            d->bump();
            throw ETableError(reason);
        }
        QString why;
        if (!SqlCipher::exec(d->db, "COMMIT;", &why)) {
            // Still open after a refused commit (another reader): undone, so
            // the table is left as it was and the next batch starts clean.
            if (!sqlite3_get_autocommit(d->db))
                (void)SqlCipher::exec(d->db, "ROLLBACK;");
            d->orderValid = false;
            d->loaded = false;
            d->bump();
            throw ETableError(QStringLiteral("一連の書き込みを保存できませんでした（%1）。%2")
                                  .arg(d->fileName(), why));
        }
        // A page cache left behind by a big batch of writes slows the reads
        // that follow by a quarter; they are quicker filling it afresh.
        sqlite3_db_release_memory(d->db);
        d->bump();
    }
}

void TTable::FlushBuffers()
{
    checkActive(*this);
    // Outside a batch every post is its own durable (synchronous = FULL)
    // transaction; inside one, commit what is there and carry on. A
    // TTableBatch's transaction ends only by its own Commit.
    if (d->batchDepth > 0 && !d->inTableBatch) {
        if (!d->lostReason.isEmpty())
            throw ETableError(d->lostReason);
        if (!SqlCipher::exec(d->db, "COMMIT; BEGIN IMMEDIATE;"))
            d->fail(QStringLiteral("ファイルに書き込めません"));
        d->bump();
    }
}

void TTable::Pack()
{
    toBrowse(*this);
    if (d->batchDepth > 0)
        throw ETableError(QStringLiteral("書き込みの途中のため、ファイル %1 を最適化できません").arg(d->path));
    if (!SqlCipher::exec(d->db, "VACUUM;"))
        d->fail(QStringLiteral("ファイルを最適化できません"));
    d->orderValid = false;
    d->bump();
}

void TTable::RegenerateIndexes()
{
    toBrowse(*this);
    if (d->batchDepth > 0)
        throw ETableError(QStringLiteral("書き込みの途中のため、ファイル %1 の索引を作り直せません").arg(d->path));
    QByteArray tableSql;
    QList<QByteArray> indexSql;
    QString err;
    if (!schemaSql(d->fieldDefs, d->indexDefs, &tableSql, &indexSql, &err))
        throw ETableError(err);
    // Drop and build every index again from the stored definitions, so a
    // damaged or missing index comes back whole.
    QList<QByteArray> existing;
    {
        SqlCipher::Statement st(d->db, "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'Data'"
                                       " AND sql IS NOT NULL;");
        while (st.valid() && sqlite3_step(st) == SQLITE_ROW)
            existing << QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    bool ok = SqlCipher::exec(d->db, "BEGIN IMMEDIATE;", &err);
    for (const QByteArray &name : existing)
        ok = ok && SqlCipher::exec(d->db, ("DROP INDEX " + quoted(QString::fromUtf8(name)) + ";").constData(), &err);
    for (const QByteArray &s : indexSql)
        ok = ok && SqlCipher::exec(d->db, s.constData(), &err);
    ok = ok && SqlCipher::exec(d->db, "COMMIT;", &err);
    if (!ok) {
        (void)SqlCipher::exec(d->db, "ROLLBACK;");
        throw ETableError(QStringLiteral("ファイル %1 の索引を作り直せません。%2").arg(d->path, err));
    }
    d->orderValid = false;
    d->bump();
}

QString TTable::IntegrityCheck()
{
    toBrowse(*this);
    SqlCipher::Statement st(d->db, "PRAGMA integrity_check;");
    if (!st.valid())
        throw ETableError(QStringLiteral("ファイル %1 を検査できません。%2").arg(d->path, SqlCipher::lastError(d->db)));
    QStringList findings;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        findings << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    if (rc != SQLITE_DONE)
        throw ETableError(QStringLiteral("ファイル %1 を検査できません。%2").arg(d->path, SqlCipher::lastError(d->db)));
    return findings.join(QLatin1Char('\n'));
}

qint64 TTable::DataVersion() const
{
    if (!d->db)
        return -1;
    // The engine's own count of the commits other connections made, which
    // it reads from the file as the statement begins.
    return d->readFileVersion();
}

// --- TTableBatch -----------------------------------------------------------

namespace {
// Inside a batch someone else began, the run is a savepoint of its own.
constexpr const char *kRunSavepoint = "run";
} // namespace

TTableRead::TTableRead(TTable &Table) : m_table(Table)
{
    TTable::Impl &d = *m_table.d;
    if (!d.db || !sqlite3_get_autocommit(d.db))
        return;
    m_serial = d.batchSerial;
    m_began = SqlCipher::exec(d.db, "BEGIN;");
    // The first read takes the shared lock, which stays to the end: what
    // is read under it is one state of the file, looked at afresh.
    if (m_began)
        d.noticeOtherWriters();
}

TTableRead::~TTableRead()
{
    TTable::Impl &d = *m_table.d;
    // Closed meanwhile (the serial moved on): the close ended it.
    if (!m_began || !d.db || d.batchSerial != m_serial || sqlite3_get_autocommit(d.db))
        return;
    // Nothing was written: ending it only gives the lock back.
    if (!SqlCipher::exec(d.db, "COMMIT;"))
        (void)SqlCipher::exec(d.db, "ROLLBACK;");
}

int TTable::BusyWaitMs = 3000;

TTableBatch::TTableBatch(TTable &Table) : m_table(Table)
{
    checkActive(Table);
    TTable::Impl &d = *Table.d;
    if (d.inTableBatch)
        throw ETableError(QStringLiteral("ファイル %1 はほかの一連の書き込みの途中です").arg(d.path));
    if (d.state == TTable::TState::dsEdit || d.state == TTable::TState::dsInsert)
        Table.Post();
    if (!d.lostReason.isEmpty())
        throw ETableError(d.lostReason);
    if (!d.exclusive)
        sqlite3_busy_timeout(d.db, TTable::BusyWaitMs);
    const bool joined = d.batchDepth > 0;
    const QByteArray sql = joined ? QByteArray("SAVEPOINT ") + kRunSavepoint + ';' : QByteArray("BEGIN IMMEDIATE;");
    if (!SqlCipher::exec(d.db, sql.constData()))
        d.fail(QStringLiteral("ファイルに書き込めません"));
    // From here no other program writes until the batch ends: the run's
    // count of records and its look-ups start from what the file holds.
    if (!joined)
        d.noticeOtherWriters();
    ++d.batchDepth;
    d.inTableBatch = true;
    d.runKept = 0;
    m_serial = ++d.batchSerial;
    m_open = true;
}

TTableBatch::~TTableBatch()
{
    if (stillOpen())
        Drop();
}

bool TTableBatch::stillOpen()
{
    if (!m_open)
        return false;
    const TTable::Impl &d = *m_table.d;
    if (d.db && d.inTableBatch && d.batchSerial == m_serial)
        return true;
    // The table was closed under the run, which rolled it back.
    m_open = false;
    m_inRecord = false;
    m_lost = true;
    m_lostReason = d.closedRunReason;
    return false;
}

bool TTableBatch::Lost()
{
    (void)stillOpen();
    return m_lost;
}

void TTableBatch::BeginRecord(TRecordWrites Writes)
{
    TTable::Impl &d = *m_table.d;
    if (!stillOpen() || m_inRecord)
        return;
    m_savepoint = Writes == TRecordWrites::Several;
    if (m_savepoint && !SqlCipher::exec(d.db, "SAVEPOINT rec;"))
        d.fail(QStringLiteral("ファイルに書き込めません"));
    d.oneWriteRecord = !m_savepoint;
    d.recordWrites = 0;
    m_inRecord = true;
}

bool TTableBatch::EndRecord(bool Keep)
{
    TTable::Impl &d = *m_table.d;
    if (!stillOpen())
        return false;
    if (d.state == TTable::TState::dsEdit || d.state == TTable::TState::dsInsert)
        m_table.Cancel();
    if (m_inRecord) {
        m_inRecord = false;
        d.oneWriteRecord = false;
        QString error;
        bool ok = true;
        // A full disk or an I/O error makes the engine roll back the whole
        // transaction: every later write would be a transaction of its own.
        const bool engineEnded = sqlite3_get_autocommit(d.db) != 0;
        if (engineEnded) {
            ok = false;
            error = d.lostText();
        } else if (m_savepoint) {
            ok = SqlCipher::exec(d.db, Keep ? "RELEASE rec;" : "ROLLBACK TO rec; RELEASE rec;", &error);
        } else if (!Keep && d.recordWrites > 0) {
            ok = false;
            error = QStringLiteral("書き込んだデータを1件だけ取り消すことができないため、"
                                   "この処理のデータは1件も書き込まれていません（%1）。")
                        .arg(d.fileName());
        }
        if (!Keep && m_savepoint) {
            // The walk and the current record may hold what was undone.
            d.orderValid = false;
            d.loaded = false;
            d.bump();
        }
        if (!ok || sqlite3_get_autocommit(d.db)) {
            m_lost = true;
            m_lostReason = error.isEmpty() ? d.lostText() : error;
            Drop();
            return false;
        }
        if (Keep)
            ++d.runKept;
    }
    return true;
}

bool TTableBatch::Commit(QString *Error)
{
    TTable::Impl &d = *m_table.d;
    QString dummy;
    QString &error = Error ? *Error : dummy;
    m_busy = false;
    if (!stillOpen()) {
        error = m_lost ? m_lostReason : QStringLiteral("この一連の書き込みは既に終わっています。");
        return false;
    }
    if (m_inRecord)
        (void)EndRecord(true);
    if (!m_open) {
        error = m_lostReason;
        return false;
    }
    if (d.state == TTable::TState::dsEdit || d.state == TTable::TState::dsInsert)
        m_table.Cancel();
    const bool joined = d.batchDepth > 1;
    const QByteArray sql = joined ? QByteArray("RELEASE ") + kRunSavepoint + ';' : QByteArray("COMMIT;");
    QString why;
    if (!SqlCipher::exec(d.db, sql.constData(), &why)) {
        error = QStringLiteral("この処理のデータを書き込めませんでした（%1）。%2").arg(d.fileName(), why);
        // Another connection reads the file: the engine keeps the
        // transaction whole, so the commit can be tried again.
        if (!sqlite3_get_autocommit(d.db) && (sqlite3_extended_errcode(d.db) & 0xff) == SQLITE_BUSY) {
            m_busy = true;
            return false;
        }
        m_lost = true;
        m_lostReason = error;
        Drop();
        return false;
    }
    m_open = false;
    --d.batchDepth;
    d.inTableBatch = false;
    if (!joined) {
        // As after any big batch: the reads that follow fill the cache afresh.
        sqlite3_db_release_memory(d.db);
    }
    d.bump();
    return true;
}

void TTableBatch::Drop()
{
    TTable::Impl &d = *m_table.d;
    m_open = false;
    m_inRecord = false;
    m_busy = false;
    d.oneWriteRecord = false;
    if (!d.db || d.batchDepth == 0)
        return;
    d.inTableBatch = false;
    if (d.state == TTable::TState::dsEdit || d.state == TTable::TState::dsInsert)
        m_table.Cancel();
    const bool joined = d.batchDepth > 1;
    --d.batchDepth;
    if (sqlite3_get_autocommit(d.db)) {
        // The engine ended the whole transaction, the batch this run joined
        // with it: whoever began that batch hears of it at its EndBatch.
        if (joined && d.lostReason.isEmpty())
            d.lostReason = m_lostReason.isEmpty() ? d.lostText() : m_lostReason;
    } else if (joined) {
        (void)SqlCipher::exec(d.db, (QByteArray("ROLLBACK TO ") + kRunSavepoint + "; RELEASE " + kRunSavepoint +
                                     ';').constData());
    } else {
        (void)SqlCipher::exec(d.db, "ROLLBACK;");
    }
    d.orderValid = false;
    d.loaded = false;
    d.bump();
}
