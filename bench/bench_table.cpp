// The table layer against bare SQLite on the same file and key: an ordered
// walk of every sort order of an address book (reading RecNo and Group, what
// the main list does on each refresh), and appending a book in one batch.
#include "BenchSupport.h"
#include "BookGenerator.h"
#include "platform/Cp932.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <algorithm>

namespace {

const QByteArray kKey = "kestru42";
constexpr int kRecords = 100000;

QList<TFieldDef> adrsFields()
{
    using T = TFieldType;
    QList<TFieldDef> f = {{"RecNo", T::ftAutoInc, 0},      {"Group", T::ftInteger, 0},     {"CustomCode", T::ftString, 20},
                          {"Tel", T::ftString, 11},        {"TelDiv", T::ftInteger, 0},    {"Fax", T::ftString, 11},
                          {"PubDate", T::ftString, 6},     {"Portable1", T::ftString, 11}, {"Portable2", T::ftString, 11},
                          {"Pos", T::ftString, 7},         {"Tdfkn", T::ftString, 8},      {"Adrs1", T::ftString, 32},
                          {"Adrs2", T::ftString, 100},     {"Adrs3", T::ftString, 116},    {"AdrsKana", T::ftString, 100},
                          {"JisCode", T::ftString, 5},     {"KajoCode", T::ftString, 6},   {"Latitude", T::ftInteger, 0},
                          {"Longitude", T::ftInteger, 0},  {"PrivCorp", T::ftBoolean, 0},  {"CorpKanji", T::ftString, 120},
                          {"CorpKana", T::ftString, 80},   {"Dptmnt", T::ftString, 100},   {"Post", T::ftString, 50},
                          {"NameKanji", T::ftString, 75},  {"NameKana", T::ftString, 25},  {"Honor", T::ftString, 10},
                          {"IgnoreName", T::ftBoolean, 0}, {"URL", T::ftString, 128},      {"EMail1", T::ftString, 64},
                          {"EMail2", T::ftString, 64}};
    for (int i = 1; i <= 5; ++i)
        f << TFieldDef{QStringLiteral("Joint%1").arg(i), T::ftString, 55};
    for (int i = 1; i <= 5; ++i)
        f << TFieldDef{QStringLiteral("JointHonor%1").arg(i), T::ftString, 10};
    f << TFieldDef{"JointOwner", T::ftInteger, 0} << TFieldDef{"JointPrint", T::ftBoolean, 0};
    for (int i = 1; i <= 5; ++i)
        f << TFieldDef{QStringLiteral("JointPrint%1").arg(i), T::ftBoolean, 0};
    f << TFieldDef{"PrintTarget", T::ftInteger, 0} << TFieldDef{"Sender", T::ftInteger, 0};
    for (int i = 1; i <= 8; ++i)
        f << TFieldDef{QStringLiteral("Keyword%1").arg(i), T::ftString, 100};
    f << TFieldDef{"Note", T::ftMemo, 100} << TFieldDef{"ExtLink", T::ftMemo, 100}
      << TFieldDef{"SymbolMark", T::ftString, 10} << TFieldDef{"SymbolColor", T::ftInteger, 0}
      << TFieldDef{"AddDateTime", T::ftDateTime, 0} << TFieldDef{"UpdDateTime", T::ftDateTime, 0}
      << TFieldDef{"CodeMain", T::ftInteger, 0} << TFieldDef{"CodeSub", T::ftInteger, 0}
      << TFieldDef{"CodeGenre", T::ftInteger, 0};
    return f;
}

QList<TIndexDef> adrsIndexes()
{
    QList<TIndexDef> ix = {{"", "RecNo", ixPrimary | ixUnique}, {"Group", "Group", 0},
                           {"CustomCode", "CustomCode", 0},      {"Tel", "Tel", 0},
                           {"Fax", "Fax", 0},                    {"Portable1", "Portable1", 0},
                           {"Portable2", "Portable2", 0},        {"Pos", "Pos", 0},
                           {"Adrs", "JisCode;Adrs2;Adrs3", ixCaseInsensitive},
                           {"CorpKana", "CorpKana", ixCaseInsensitive},
                           {"NameKana", "NameKana", ixCaseInsensitive}};
    for (int i = 1; i <= 8; ++i)
        ix << TIndexDef{QStringLiteral("Keyword%1").arg(i), QStringLiteral("Keyword%1").arg(i), ixCaseInsensitive};
    ix << TIndexDef{"Category", "CodeMain;CodeSub;CodeGenre", ixCaseInsensitive};
    return ix;
}

// The sort orders of the main list: index name and its ORDER BY for bare SQL.
struct SortOrder
{
    QString index;
    QByteArray orderBy;
};

QList<SortOrder> sortOrders()
{
    const QByteArray ci = QByteArray(" COLLATE ") + SqlCipher::kFoldCollation;
    QList<SortOrder> s = {{"", ""},
                          {"CustomCode", "\"CustomCode\""},
                          {"Tel", "\"Tel\""},
                          {"Pos", "\"Pos\""},
                          {"Adrs", "\"JisCode\"" + ci + ", \"Adrs2\"" + ci + ", \"Adrs3\"" + ci},
                          {"CorpKana", "\"CorpKana\"" + ci},
                          {"NameKana", "\"NameKana\"" + ci}};
    for (int i = 1; i <= 8; ++i)
        s << SortOrder{QStringLiteral("Keyword%1").arg(i), "\"Keyword" + QByteArray::number(i) + "\"" + ci};
    return s;
}

// One record as the stored values of every field (null QVariant = empty).
QList<QVariant> storedRecord(const BookRecord &r, const QList<TFieldDef> &fields)
{
    QHash<QString, QVariant> v;
    auto text = [&](const char *name, const QString &s) {
        if (!s.isEmpty())
            v.insert(QString::fromLatin1(name), Cp932::encode(s));
    };
    v.insert("Group", qint64(r.group));
    text("CustomCode", r.customCode);
    text("Tel", r.tel);
    text("Fax", r.fax);
    text("Portable1", r.portable1);
    text("Pos", r.pos);
    text("Tdfkn", r.tdfkn);
    text("Adrs1", r.adrs1);
    text("Adrs2", r.adrs2);
    text("Adrs3", r.adrs3);
    text("AdrsKana", r.adrsKana);
    text("JisCode", r.jisCode);
    v.insert("PrivCorp", qint64(r.privCorp));
    text("CorpKanji", r.corpKanji);
    text("CorpKana", r.corpKana);
    text("Dptmnt", r.dptmnt);
    text("Post", r.post);
    text("NameKanji", r.nameKanji);
    text("NameKana", r.nameKana);
    text("Honor", r.honor);
    text("EMail1", r.email1);
    for (int i = 0; i < 8; ++i)
        text(QStringLiteral("Keyword%1").arg(i + 1).toLatin1().constData(), r.keywords[i]);
    text("Note", r.note);
    v.insert("AddDateTime", qint64(r.added.toMSecsSinceEpoch()));
    v.insert("UpdDateTime", qint64(r.added.toMSecsSinceEpoch()));
    QList<QVariant> out;
    for (const TFieldDef &f : fields)
        out << v.value(f.Name);
    return out;
}

void createTable(const QString &path)
{
    TTable t;
    t.SetTableName(path);
    t.SetPassword(kKey);
    t.SetFieldDefs(adrsFields());
    t.SetIndexDefs(adrsIndexes());
    QString error;
    if (!t.CreateTable(&error))
        qFatal("cannot create %s: %s", qPrintable(path), qPrintable(error));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QList<TFieldDef> fields = adrsFields();
    BookGenerator gen;
    QList<QList<QVariant>> book;
    book.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i)
        book << storedRecord(gen.next(), fields);

    // (b) Appending the book in one batch.
    const QString ours = dir.filePath("Adrs.DB");
    const QString bare = dir.filePath("Bare.DB");
    createTable(ours);
    createTable(bare);
    TTable table;
    table.SetTableName(ours);
    table.SetPassword(kKey);
    table.Open();
    const double appendOurs = bestOfMs(1, [&] {
        table.DisableControls();
        table.BeginBatch();
        for (const QList<QVariant> &rec : book) {
            table.Append();
            for (int f = 1; f < fields.size(); ++f) {
                const QVariant &v = rec[f];
                if (!v.isValid())
                    continue;
                TField &field = table.Fields(f);
                if (v.typeId() == QMetaType::QByteArray)
                    field.SetAsBytes(v.toByteArray());
                else if (fields[f].DataType == TFieldType::ftDateTime)
                    field.SetAsDateTime(QDateTime::fromMSecsSinceEpoch(v.toLongLong()));
                else
                    field.SetAsInteger(qint32(v.toLongLong()));
            }
            table.Post();
        }
        table.EndBatch();
        table.EnableControls();
    });
    const double appendBare = bestOfMs(1, [&] {
        QString error;
        sqlite3 *db = SqlCipher::open(bare, kKey, false, &error);
        QByteArray cols, marks;
        for (int f = 1; f < fields.size(); ++f) {
            cols += (f > 1 ? ", \"" : "\"") + fields[f].Name.toLatin1() + '"';
            marks += f > 1 ? ", ?" : "?";
        }
        (void)SqlCipher::exec(db, "BEGIN;");
        {
            SqlCipher::Statement st(db, "INSERT INTO Data(" + cols + ") VALUES(" + marks + ");");
            for (const QList<QVariant> &rec : book) {
                for (int f = 1; f < fields.size(); ++f) {
                    const QVariant &v = rec[f];
                    if (!v.isValid()) {
                        sqlite3_bind_null(st, f);
                    } else if (v.typeId() == QMetaType::QByteArray) {
                        const QByteArray b = v.toByteArray();
                        sqlite3_bind_text(st, f, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                    } else {
                        sqlite3_bind_int64(st, f, v.toLongLong());
                    }
                }
                sqlite3_step(st);
                sqlite3_reset(st);
            }
        }
        (void)SqlCipher::exec(db, "COMMIT;");
        SqlCipher::close(db);
    });
    std::printf("append %d records: table %.1f ms, bare SQLite %.1f ms\n", kRecords, appendOurs, appendBare);

    // (a) Walking every sort order, ascending and descending, on the same file.
    const QList<SortOrder> orders = sortOrders();
    qint64 sinkOurs = 0, sinkBare = 0;
    const auto walkOursOnce = [&] {
        sinkOurs = 0;
        for (const SortOrder &o : orders) {
            for (bool desc : {false, true}) {
                table.SetIndexName(o.index);
                table.SetDescending(desc);
                TField &recNo = table.FieldByName("RecNo");
                TField &group = table.FieldByName("Group");
                for (table.First(); !table.Eof(); table.Next())
                    sinkOurs += recNo.AsInteger() + group.AsInteger();
            }
        }
    };
    QString error;
    sqlite3 *db = SqlCipher::open(ours, kKey, false, &error);
    const auto walkBareOnce = [&] {
        sinkBare = 0;
        for (const SortOrder &o : orders) {
            for (bool desc : {false, true}) {
                QByteArray order;
                for (const QByteArray &term : o.orderBy.split(',')) {
                    if (!term.trimmed().isEmpty())
                        order += term.trimmed() + (desc ? " DESC, " : ", ");
                }
                order += desc ? "RecNo DESC" : "RecNo";
                SqlCipher::Statement st(db, "SELECT RecNo, \"Group\" FROM Data ORDER BY " + order + ";");
                while (sqlite3_step(st) == SQLITE_ROW)
                    sinkBare += sqlite3_column_int64(st, 0) + sqlite3_column_int64(st, 1);
            }
        }
    };
    // Both warm their page caches first; then the runs alternate, so a busy
    // machine slows both sides alike, and the best run of each counts.
    walkOursOnce();
    walkBareOnce();
    double walkOurs = 1e300, walkBare = 1e300;
    for (int run = 0; run < 2; ++run) {
        walkOurs = std::min(walkOurs, bestOfMs(1, walkOursOnce));
        walkBare = std::min(walkBare, bestOfMs(1, walkBareOnce));
    }
    SqlCipher::close(db);
    if (sinkOurs != sinkBare)
        std::printf("walk mismatch: %lld vs %lld\n", static_cast<long long>(sinkOurs), static_cast<long long>(sinkBare));
    std::printf("walk of %lld orders over %d records: table %.1f ms, bare SQLite %.1f ms\n",
                static_cast<long long>(orders.size() * 2), kRecords, walkOurs, walkBare);
    report("walk_ratio", walkOurs / walkBare, "ratio", 1.5);
    report("append_ratio", appendOurs / appendBare, "ratio", 2);
    return 0;
}
