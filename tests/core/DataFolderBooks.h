#pragma once

#include "core/DBInfo.h"
#include "platform/Cp932.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <stdexcept>

#include <sqlcipher/sqlite3.h>

// Books of a data folder for the backup, restore and maintenance tests: each
// record carries a marker text in Keyword1, so a test sees which state of a
// book it reads ("old-3" or "new-3").

inline void WriteMarkedBook(const QString &folder, const QString &prefix, int records,
                            const QString &tableName = QStringLiteral("Adrs.DB"))
{
    QDir().mkpath(folder);
    TTable table;
    table.SetTableName(folder + QLatin1Char('/') + tableName);
    table.SetPassword(TablePassword);
    table.SetFieldDefs(AdrsFieldDefs);
    table.SetIndexDefs(AdrsIndexDefs);
    if (!table.CreateTable())
        throw std::runtime_error("table not created");
    table.Open();
    table.BeginBatch();
    for (int i = 1; i <= records; ++i) {
        table.Append();
        table.FieldByName(QStringLiteral("Keyword1")).SetAsString(QStringLiteral("%1-%2").arg(prefix).arg(i));
        table.FieldByName(QStringLiteral("Tel")).SetAsString(QStringLiteral("0312345678"));
        table.Post();
    }
    table.EndBatch();
    table.Close();
}

inline void WriteSenderTable(const QString &folder, int records)
{
    QDir().mkpath(folder);
    TTable table;
    table.SetTableName(folder + QStringLiteral("/Sender.DB"));
    table.SetPassword(TablePassword);
    table.SetFieldDefs(SenderFieldDefs);
    table.SetIndexDefs(SenderIndexDefs);
    if (!table.CreateTable())
        throw std::runtime_error("table not created");
    table.Open();
    for (int i = 1; i <= records; ++i) {
        table.Append();
        table.FieldByName(QStringLiteral("RecNo")).SetAsInteger(i);
        table.Post();
    }
    table.Close();
}

// The markers of the book in record order; {"<unreadable>"} when the table
// does not open.
inline QStringList BookMarkers(const QString &tablePath)
{
    try {
        TTable table;
        table.SetTableName(tablePath);
        table.SetPassword(TablePassword);
        table.Open();
        QStringList markers;
        for (table.First(); !table.Eof(); table.Next())
            markers << table.FieldByName(QStringLiteral("Keyword1")).AsString();
        table.Close();
        return markers;
    } catch (const ETableError &) {
        return {QStringLiteral("<unreadable>")};
    }
}

inline QStringList Markers(const QString &prefix, int records)
{
    QStringList m;
    for (int i = 1; i <= records; ++i)
        m << QStringLiteral("%1-%2").arg(prefix).arg(i);
    return m;
}

// PRAGMA integrity_check of a table file: "ok" or the engine's findings.
inline QString IntegrityCheck(const QString &tablePath)
{
    QString error;
    sqlite3 *db = SqlCipher::open(tablePath, TablePassword, false, &error);
    if (!db)
        return error;
    QString result;
    {
        SqlCipher::Statement st(db, "PRAGMA integrity_check;");
        while (st.valid() && sqlite3_step(st) == SQLITE_ROW)
            result += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    SqlCipher::close(db);
    return result;
}

// Damages a table past the pages that opening it reads: bytes in the middle
// of its last page (a page of records) are overwritten, so the table still
// opens and lists its definitions, and only reading every page finds it.
inline void DamageLastPage(const QString &tablePath)
{
    QFile f(tablePath);
    if (!f.open(QIODevice::ReadWrite) || f.size() < 4 * 4096)
        throw std::runtime_error("table too small to damage past its first pages");
    f.seek(f.size() - 2048);
    f.write(QByteArray(64, '\x5a'));
}
