#pragma once

#include "core/DBInfo.h"
#include "platform/Cp932.h"
#include "platform/Table.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QVariant>

#include <stdexcept>
#include <utility>
#include <vector>

// Fields of one record by name: text as stored bytes, integers, booleans, stamps.
using TRecordValues = std::vector<std::pair<const char *, QVariant>>;

inline void appendRecord(TTable &table, const TRecordValues &values)
{
    table.Append();
    for (const auto &[name, value] : values) {
        TField &field = table.FieldByName(QString::fromLatin1(name));
        switch (value.typeId()) {
        case QMetaType::QByteArray: field.SetAsBytes(value.toByteArray()); break;
        case QMetaType::QString: field.SetAsString(value.toString()); break;
        case QMetaType::Bool: field.SetAsBoolean(value.toBool()); break;
        case QMetaType::QDateTime: field.SetAsDateTime(value.toDateTime()); break;
        default: field.SetAsInteger(value.toInt());
        }
    }
    table.Post();
}

// An address table of its own in a temporary folder.
class Book
{
public:
    Book()
    {
        table.SetTableName(dir.filePath(QStringLiteral("Adrs.DB")));
        table.SetPassword(TablePassword);
        table.SetFieldDefs(AdrsFieldDefs);
        table.SetIndexDefs(AdrsIndexDefs);
        if (!table.CreateTable())
            throw std::runtime_error("table not created");
        table.Open();
    }
    void add(const TRecordValues &values) { appendRecord(table, values); }
    // Records whose keyword 1 holds Keyword (the record number in it: %1).
    void addKeywords(int count, const char *keyword)
    {
        table.BeginBatch();
        for (int i = 1; i <= count; ++i)
            add({{"Keyword1", Cp932::encode(QString::fromUtf8(keyword).arg(i))}});
        table.EndBatch();
    }

    QTemporaryDir dir;
    TTable table;
};
