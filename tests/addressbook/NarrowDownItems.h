#pragma once

#include "addressbook/AdrsSch.h"
#include "core/DBInfo.h"
#include "platform/Table.h"

#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <utility>

// Filter condition items as the filter tests build them, and a scratch book
// for the record tests of the filter and the duplicate display.

// A text condition (kind 0); an empty value has no match mode.
inline TNarrowDownItem textItem(int item, QByteArray value, int match)
{
    TNarrowDownItem i;
    i.Item = item;
    i.Value = std::move(value);
    i.Match = i.Value.isEmpty() ? -1 : match;
    return i;
}

// A pick-list condition (kind 1): the entry at index of the item's list,
// or every other entry when negated.
inline TNarrowDownItem choiceItem(int item, int index, bool negate = false)
{
    TNarrowDownItem i;
    i.Item = item;
    i.Kind = 1;
    i.Value1 = index;
    i.Negate = negate;
    return i;
}

// A month range (kind 11, months as yyyymm) on the first-listed month.
inline TNarrowDownItem monthItem(int from, int to)
{
    TNarrowDownItem i;
    i.Item = 4;
    i.Kind = 11;
    i.Value1 = from;
    i.Value2 = to;
    return i;
}

using Fields = QList<std::pair<const char *, QVariant>>;

// A fresh address table in a temporary folder holding one record per call of add().
class ScratchBook
{
public:
    ScratchBook()
    {
        table.SetTableName(dir.path() + QStringLiteral("/Adrs.DB"));
        table.SetFieldDefs(AdrsFieldDefs);
        table.SetIndexDefs(AdrsIndexDefs);
        EXPECT_TRUE(table.CreateTable());
        table.Open();
    }
    void add(const Fields &fields)
    {
        table.Append();
        for (const auto &[name, value] : fields) {
            TField &f = table.FieldByName(QLatin1String(name));
            if (value.typeId() == QMetaType::Bool)
                f.SetAsBoolean(value.toBool());
            else if (value.typeId() == QMetaType::Int)
                f.SetAsInteger(value.toInt());
            else
                f.SetAsBytes(value.toByteArray());
        }
        table.Post();
    }
    QTemporaryDir dir;
    TTable table;
};
