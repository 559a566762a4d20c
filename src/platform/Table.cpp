#include "platform/Table.h"

#include "platform/Cp932.h"
#include "platform/SqlCipher.h"

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

struct TTable::Impl
{
    QString path;
    QByteArray password;
    bool exclusive = false;
    QList<TFieldDef> fieldDefs;
    QList<TIndexDef> indexDefs;

    sqlite3 *db = nullptr;
    QString regKey;
    std::shared_ptr<std::atomic<quint64>> version;
    quint64 seen = 0;
    TState state = TState::dsInactive;
    int batchDepth = 0;
    bool inTableBatch = false; // a TTableBatch holds the transaction
    // A One record of a TTableBatch is open: its writes so far.
    bool oneWriteRecord = false;
    int recordWrites = 0;

    // Before a write statement: a One record takes one.
    void beforeWrite() const
    {
        if (oneWriteRecord && recordWrites > 0)
            throw ETableError(
                QStringLiteral("A record of this run takes one write (%1)").arg(QFileInfo(path).fileName()));
    }

    int rowidField = -1; // the autoincrement field, the rowid itself
    QHash<QString, int> fieldIndex; // lower-case name -> field
    QString indexName;
    bool descending = false;

    // The walk: record ids in walk order, with the values of a few integer
    // fields read in the same query (the "hot" fields, learned from the
    // fields a walk reads), so a walk that reads only those never fetches a
    // whole record.
    bool orderValid = false;
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

    std::vector<QVariant> values; // the whole current record, or the edit buffer
    bool loaded = false;
    std::vector<QVariant> scratch;

    qint64 savedCur = 0;
    qsizetype savedPos = -1;
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

    SqlCipher::Statement insertStmt, updateStmt, deleteStmt, fetchStmt;

    QByteArray rowidColumn() const
    {
        return rowidField >= 0 ? quoted(fieldDefs[rowidField].Name) : QByteArray(kHiddenRow);
    }
    QByteArray columnOf(int f) const { return quoted(fieldDefs[f].Name); }

    [[noreturn]] void fail(const QString &what) const
    {
        throw ETableError(QStringLiteral("%1 (%2): %3").arg(what, QFileInfo(path).fileName(),
                                                             SqlCipher::lastError(db)));
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
            fail(QStringLiteral("The table order cannot be read"));
        const size_t expected = order.size();
        order.clear();
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
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            order.push_back(sqlite3_column_int64(st, 0));
            for (int k = 0; k < nh; ++k) {
                hotNull.push_back(sqlite3_column_type(st, k + 1) == SQLITE_NULL);
                hotVals.push_back(sqlite3_column_int64(st, k + 1));
            }
            for (int k = 0; k < nt; ++k) {
                const int col = nh + 1 + k;
                if (sqlite3_column_type(st, col) == SQLITE_NULL) {
                    hotTextRefs.emplace_back(0, -1);
                    continue;
                }
                const char *p = static_cast<const char *>(sqlite3_column_blob(st, col));
                const int n = sqlite3_column_bytes(st, col);
                hotTextRefs.emplace_back(qint32(hotTextArena.size()), qint32(n));
                hotTextArena.insert(hotTextArena.end(), p, p + n);
            }
        }
        if (rc != SQLITE_DONE)
            fail(QStringLiteral("The table order cannot be read"));
        orderValid = true;
        // Back onto the current record, or onto the place it had.
        const qsizetype n = qsizetype(order.size());
        if (n == 0) {
            pos = -1;
            cur = 0;
            eof = bof = true;
            return;
        }
        if (cur != 0) {
            const auto it = std::find(order.begin(), order.end(), cur);
            if (it != order.end()) {
                pos = it - order.begin();
                return;
            }
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

    void loadRecord()
    {
        values.assign(size_t(fieldDefs.size()), QVariant());
        loaded = true;
        if (cur == 0)
            return;
        sqlite3_bind_int64(fetchStmt, 1, cur);
        if (sqlite3_step(fetchStmt) == SQLITE_ROW) {
            for (int f = 0; f < fieldDefs.size(); ++f)
                values[size_t(f)] = readColumn(fetchStmt, f, f);
        }
        sqlite3_reset(fetchStmt);
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

    // First record id of a query, 0 when none.
    qint64 firstId(const QByteArray &sql, const QList<int> &fields, const QList<QVariant> &vals,
                   const QList<int> &bound) const
    {
        SqlCipher::Statement st(db, sql);
        if (!st.valid())
            fail(QStringLiteral("The table cannot be searched"));
        for (int k = 0; k < bound.size(); ++k)
            bindValue(st, k + 1, fields[bound[k]], vals[bound[k]]);
        return sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    }

    void goToId(qint64 id)
    {
        ensureOrder();
        const auto it = std::find(order.begin(), order.end(), id);
        if (it == order.end())
            return;
        moveTo(it - order.begin());
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
    if (!d.loaded && d.orderValid) {
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
        throw ETableError(QStringLiteral("The table is not in edit or insert mode (field %1)").arg(m_name));
    if (m_type == TFieldType::ftAutoInc)
        throw ETableError(QStringLiteral("The field %1 cannot be modified").arg(m_name));
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
    if (isText(m_type) && d.state == TTable::TState::dsBrowse && d.cur != 0 && !d.loaded && d.orderValid) {
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
            throw ETableError(QStringLiteral("'%1' is not a valid integer value for field '%2'").arg(text, m_name));
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
        throw ETableError(QStringLiteral("The field %1 is not a date-time field").arg(m_name));
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
        throw ETableError(QStringLiteral("Cannot change the table name of an open table"));
    d->path = path;
}
QString TTable::TableName() const { return d->path; }
void TTable::SetPassword(const QByteArray &key) { d->password = key; }
void TTable::SetExclusive(bool exclusive)
{
    if (Active())
        throw ETableError(QStringLiteral("Cannot change the sharing of an open table"));
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
            *error = QStringLiteral("Invalid or duplicate field name '%1'").arg(f.Name);
            return false;
        }
        byName.insert(f.Name.toLower(), i);
        if (!cols.isEmpty())
            cols += ", ";
        cols += quoted(f.Name);
        switch (f.DataType) {
        case TFieldType::ftAutoInc:
            if (autoInc >= 0) {
                *error = QStringLiteral("A table has at most one autoincrement field");
                return false;
            }
            autoInc = i;
            cols += " INTEGER PRIMARY KEY AUTOINCREMENT";
            break;
        case TFieldType::ftString:
        case TFieldType::ftMemo:
            if (f.DataType == TFieldType::ftString && f.Size <= 0) {
                *error = QStringLiteral("The text field '%1' has no width").arg(f.Name);
                return false;
            }
            cols += " BLOB";
            break;
        default:
            cols += " INTEGER";
        }
    }
    if (fields.isEmpty()) {
        *error = QStringLiteral("A table needs at least one field");
        return false;
    }
    if (autoInc < 0)
        cols = QByteArray(kHiddenRow) + " INTEGER PRIMARY KEY AUTOINCREMENT, " + cols;
    *table = "CREATE TABLE Data(" + cols + ");";

    for (int n = 0; n < indexes.size(); ++n) {
        const TIndexDef &ix = indexes[n];
        const QStringList names = ix.Fields.split(u';', Qt::SkipEmptyParts);
        if (names.isEmpty()) {
            *error = QStringLiteral("The index '%1' has no fields").arg(ix.Name);
            return false;
        }
        QByteArray terms;
        for (const QString &raw : names) {
            const int f = byName.value(raw.trimmed().toLower(), -1);
            if (f < 0) {
                *error = QStringLiteral("The index '%1' names the unknown field '%2'").arg(ix.Name, raw);
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
        err = QStringLiteral("The table %1 already exists").arg(d->path);
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
    if (ok && !QFile::rename(tmp, target.absoluteFilePath())) {
        err = QStringLiteral("The table %1 cannot be put in place").arg(d->path);
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

void TTable::Open()
{
    if (Active())
        return;
    const QString actual = resolvePath(d->path);
    if (actual.isEmpty())
        throw ETableError(QStringLiteral("The table %1 does not exist").arg(d->path));
    removeCreationLeftovers(actual);
    const QString key = QFileInfo(actual).canonicalFilePath();
    {
        QMutexLocker lock(&registryMutex);
        FileEntry &e = registry()[key];
        if (e.exclusive || (d->exclusive && e.shared > 0)) {
            if (e.shared == 0 && !e.exclusive)
                registry().remove(key);
            throw ETableError(QStringLiteral("The table %1 is in use").arg(d->path));
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
        d->db = SqlCipher::open(actual, d->password, false, &err);
        if (!d->db)
            throw ETableError(err);
        if (d->exclusive) {
            if (!SqlCipher::exec(d->db, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;", &err))
                throw ETableError(QStringLiteral("The table %1 is in use: %2").arg(d->path, err));
        } else {
            sqlite3_busy_timeout(d->db, 3000);
        }
        // The definitions come from the file.
        QList<TFieldDef> fields;
        {
            SqlCipher::Statement st(d->db, "SELECT Name, Type, Size FROM FieldDefs ORDER BY Pos;");
            if (!st.valid())
                throw ETableError(QStringLiteral("%1 is not a table file").arg(d->path));
            while (sqlite3_step(st) == SQLITE_ROW) {
                fields << TFieldDef{QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                                    TFieldType(sqlite3_column_int(st, 1)), sqlite3_column_int(st, 2)};
            }
        }
        QList<TIndexDef> indexes;
        {
            SqlCipher::Statement st(d->db, "SELECT Name, Fields, Options FROM IndexDefs ORDER BY Pos;");
            if (!st.valid())
                throw ETableError(QStringLiteral("%1 is not a table file").arg(d->path));
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
        QByteArray all, ins, marks, upd;
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
            upd += (upd.isEmpty() ? "" : ", ") + quoted(fields[i].Name) + " = ?";
        }
        d->fetchStmt = SqlCipher::Statement(d->db, "SELECT " + all + " FROM Data WHERE rowid = ?;");
        d->insertStmt = SqlCipher::Statement(d->db, "INSERT INTO Data(" + ins + ") VALUES(" + marks + ");");
        d->updateStmt = SqlCipher::Statement(d->db, "UPDATE Data SET " + upd + " WHERE rowid = ?;");
        d->deleteStmt = SqlCipher::Statement(d->db, "DELETE FROM Data WHERE rowid = ?;");
        if (!d->fetchStmt.valid() || !d->insertStmt.valid() || !d->updateStmt.valid() || !d->deleteStmt.valid())
            d->fail(QStringLiteral("The table cannot be prepared"));
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
    d->cur = 0;
    d->pos = -1;
    // An index chosen before the open is kept, as long as the file has it.
    if (!d->indexName.isEmpty() && !d->currentIndex()) {
        const QString name = d->indexName;
        Close();
        throw ETableError(QStringLiteral("The table %1 has no index '%2'").arg(d->path, name));
    }
    First();
}

void TTable::Close()
{
    if (d->state == TState::dsEdit || d->state == TState::dsInsert)
        Cancel();
    if (d->db && d->batchDepth > 0) {
        d->batchDepth = 0;
        // A TTableBatch's writes count only once it commits them.
        if (SqlCipher::exec(d->db, d->inTableBatch ? "ROLLBACK;" : "COMMIT;"))
            d->bump();
    }
    d->inTableBatch = false;
    d->oneWriteRecord = false;
    d->fetchStmt = {};
    d->insertStmt = {};
    d->updateStmt = {};
    d->deleteStmt = {};
    SqlCipher::close(d->db);
    d->db = nullptr;
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
    d->eof = d->bof = true;
    d->loaded = false;
}

bool TTable::Active() const { return d->state != TState::dsInactive; }

namespace {
void checkActive(const TTable &t)
{
    if (!t.Active())
        throw ETableError(QStringLiteral("The table %1 is not open").arg(t.TableName()));
}
} // namespace

void TTable::SetIndexName(const QString &name)
{
    if (Active() && !name.isEmpty()) {
        bool found = false;
        for (const TIndexDef &ix : d->indexDefs)
            found = found || ix.Name.compare(name, Qt::CaseInsensitive) == 0;
        if (!found)
            throw ETableError(QStringLiteral("The table %1 has no index '%2'").arg(d->path, name));
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

namespace {
void toBrowse(TTable &t)
{
    checkActive(t);
    if (t.State() == TTable::TState::dsEdit || t.State() == TTable::TState::dsInsert)
        t.Post();
}
} // namespace

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

TField &TTable::FieldByName(const QString &name)
{
    TField *f = FindField(name);
    if (!f)
        throw ETableError(QStringLiteral("Field '%1' not found").arg(name));
    return *f;
}

TField *TTable::FindField(const QString &name)
{
    for (const auto &f : m_fields) {
        if (f->m_name == name)
            return f.get();
    }
    const int i = d->fieldIndex.value(name.toLower(), -1);
    return i >= 0 ? m_fields[size_t(i)].get() : nullptr;
}

int TTable::FieldCount() const { return int(m_fields.size()); }

TField &TTable::Fields(int i)
{
    if (i < 0 || i >= int(m_fields.size()))
        throw ETableError(QStringLiteral("Field index out of range: %1").arg(i));
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
    QList<int> bound;
    const QByteArray where = d->equalTerms(fields, keyValues, ix && (ix->Options & ixCaseInsensitive), &bound);
    const qint64 id = d->firstId("SELECT rowid FROM Data WHERE " + where + " ORDER BY " + d->orderBy(false) +
                                     " LIMIT 1;",
                                 fields, keyValues, bound);
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
        QVariant v = keyValues[i];
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
        d->fail(QStringLiteral("The table cannot be searched"));
    for (int k = 0; k < vals.size(); ++k) {
        const QVariant &v = vals[k];
        if (v.typeId() == QMetaType::QByteArray && v.toByteArray().isEmpty())
            sqlite3_bind_text(st, k + 1, "", 0, SQLITE_STATIC);
        else
            d->bindValue(st, k + 1, fields[k], v);
    }
    const qint64 id = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
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
            throw ETableError(QStringLiteral("Field '%1' not found").arg(n));
        fields << f;
    }
    if (fields.isEmpty() || fields.size() != values.size())
        return false;
    QList<int> bound;
    const QByteArray where = d->equalTerms(fields, values, caseInsensitive, &bound);
    const qint64 id = d->firstId("SELECT rowid FROM Data WHERE " + where + " ORDER BY " + d->orderBy(d->descending) +
                                     " LIMIT 1;",
                                 fields, values, bound);
    if (id == 0)
        return false;
    d->goToId(id);
    return true;
}

void TTable::Append()
{
    toBrowse(*this);
    d->savedCur = d->cur;
    d->savedPos = d->pos;
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
        throw ETableError(QStringLiteral("The table %1 has no current record to edit").arg(d->path));
    d->loadRecord();
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
    sqlite3_stmt *st = inserting ? d->insertStmt.get() : d->updateStmt.get();
    int k = 1;
    for (int f = 0; f < d->fieldDefs.size(); ++f) {
        if (f != d->rowidField)
            d->bindValue(st, k++, f, d->values[size_t(f)]);
    }
    if (!inserting)
        sqlite3_bind_int64(st, k, d->cur);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE) {
        // Inside a batch only this statement is undone; the batch goes on.
        d->fail(QStringLiteral("The record cannot be posted"));
    }
    ++d->recordWrites;
    if (!inserting && sqlite3_changes(d->db) == 0) {
        // Another table object deleted the record while it was being edited.
        d->bump();
        throw ETableError(QStringLiteral("The record was deleted by another user (%1)")
                              .arg(QFileInfo(d->path).fileName()));
    }
    if (inserting) {
        d->cur = sqlite3_last_insert_rowid(d->db);
        if (d->rowidField >= 0)
            d->values[size_t(d->rowidField)] = QVariant(d->cur);
    }
    d->loaded = true; // the buffer is the record as stored
    if (inserting || !d->keepOrderAfterEdit())
        d->orderValid = false;
    d->eof = d->bof = false;
    d->state = TState::dsBrowse;
    d->bump();
}

void TTable::Cancel()
{
    checkActive(*this);
    if (d->state == TState::dsInsert) {
        d->cur = d->savedCur;
        d->pos = d->savedPos;
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
        throw ETableError(QStringLiteral("The table %1 has no current record to delete").arg(d->path));
    d->beforeWrite();
    sqlite3_bind_int64(d->deleteStmt, 1, d->cur);
    const int rc = sqlite3_step(d->deleteStmt);
    sqlite3_reset(d->deleteStmt);
    if (rc != SQLITE_DONE)
        d->fail(QStringLiteral("The record cannot be deleted"));
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
    if (d->batchDepth++ == 0 && !SqlCipher::exec(d->db, "BEGIN IMMEDIATE;")) {
        d->batchDepth = 0;
        d->fail(QStringLiteral("The table cannot be written"));
    }
}

void TTable::EndBatch()
{
    checkActive(*this);
    if (d->batchDepth == 0)
        return;
    if (--d->batchDepth == 0) {
        if (!SqlCipher::exec(d->db, "COMMIT;"))
            d->fail(QStringLiteral("The table cannot be written"));
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
        if (!SqlCipher::exec(d->db, "COMMIT; BEGIN IMMEDIATE;"))
            d->fail(QStringLiteral("The table cannot be written"));
        d->bump();
    }
}

void TTable::Pack()
{
    toBrowse(*this);
    if (d->batchDepth > 0)
        throw ETableError(QStringLiteral("The table %1 cannot be packed during a batch").arg(d->path));
    if (!SqlCipher::exec(d->db, "VACUUM;"))
        d->fail(QStringLiteral("The table cannot be packed"));
    d->orderValid = false;
    d->bump();
}

void TTable::RegenerateIndexes()
{
    toBrowse(*this);
    if (d->batchDepth > 0)
        throw ETableError(QStringLiteral("The indexes of %1 cannot be rebuilt during a batch").arg(d->path));
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
        throw ETableError(QStringLiteral("The indexes of %1 cannot be rebuilt: %2").arg(d->path, err));
    }
    d->orderValid = false;
    d->bump();
}

// --- TTableBatch -----------------------------------------------------------

namespace {
// Inside a batch someone else began, the run is a savepoint of its own.
constexpr const char *kRunSavepoint = "run";
} // namespace

TTableBatch::TTableBatch(TTable &Table) : m_table(Table)
{
    checkActive(Table);
    TTable::Impl &d = *Table.d;
    if (d.inTableBatch)
        throw ETableError(QStringLiteral("The table %1 is already in a run of writes").arg(d.path));
    if (d.state == TTable::TState::dsEdit || d.state == TTable::TState::dsInsert)
        Table.Post();
    const bool joined = d.batchDepth > 0;
    const QByteArray sql = joined ? QByteArray("SAVEPOINT ") + kRunSavepoint + ';' : QByteArray("BEGIN IMMEDIATE;");
    if (!SqlCipher::exec(d.db, sql.constData()))
        d.fail(QStringLiteral("The table cannot be written"));
    ++d.batchDepth;
    d.inTableBatch = true;
    m_open = true;
}

TTableBatch::~TTableBatch()
{
    if (m_open)
        Drop();
}

void TTableBatch::BeginRecord(TRecordWrites Writes)
{
    TTable::Impl &d = *m_table.d;
    if (!m_open || m_inRecord)
        return;
    m_savepoint = Writes == TRecordWrites::Several;
    if (m_savepoint && !SqlCipher::exec(d.db, "SAVEPOINT rec;"))
        d.fail(QStringLiteral("The table cannot be written"));
    d.oneWriteRecord = !m_savepoint;
    d.recordWrites = 0;
    m_inRecord = true;
}

bool TTableBatch::EndRecord(bool Keep)
{
    TTable::Impl &d = *m_table.d;
    if (!m_open)
        return false;
    if (d.state == TTable::TState::dsEdit || d.state == TTable::TState::dsInsert)
        m_table.Cancel();
    if (m_inRecord) {
        m_inRecord = false;
        d.oneWriteRecord = false;
        QString error;
        bool ok = true;
        if (m_savepoint) {
            ok = SqlCipher::exec(d.db, Keep ? "RELEASE rec;" : "ROLLBACK TO rec; RELEASE rec;", &error);
        } else if (!Keep && d.recordWrites > 0) {
            ok = false;
            error = QStringLiteral("A written record of the run could not be undone alone");
        }
        if (!Keep && m_savepoint) {
            // The walk and the current record may hold what was undone.
            d.orderValid = false;
            d.loaded = false;
            d.bump();
        }
        // A full disk or an I/O error makes the engine roll back the whole
        // transaction: every later write would be a transaction of its own.
        if (!ok || sqlite3_get_autocommit(d.db)) {
            m_lost = true;
            m_lostReason = error.isEmpty() ? QStringLiteral("The run of writes was rolled back") : error;
            Drop();
            return false;
        }
    }
    return true;
}

bool TTableBatch::Commit(QString *Error)
{
    TTable::Impl &d = *m_table.d;
    QString dummy;
    QString &error = Error ? *Error : dummy;
    if (!m_open) {
        error = m_lost ? m_lostReason : QStringLiteral("The run of writes is over");
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
        error = QStringLiteral("The table cannot be written (%1): %2").arg(QFileInfo(d.path).fileName(), why);
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
    d.oneWriteRecord = false;
    if (!d.db || d.batchDepth == 0)
        return;
    d.inTableBatch = false;
    if (d.state == TTable::TState::dsEdit || d.state == TTable::TState::dsInsert)
        m_table.Cancel();
    const bool joined = d.batchDepth > 1;
    --d.batchDepth;
    if (sqlite3_get_autocommit(d.db)) {
        d.batchDepth = 0; // the engine ended the whole transaction
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
